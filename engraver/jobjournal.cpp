#include "engraver/jobjournal.h"

#include "engraver/engraverlog.h"
#include "imaging/threadhandover.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <cmath>

namespace {
constexpr int chunkBytes = 1024;
constexpr int areaPixels = 1600;
constexpr int recordLimit = 4096; // records address less than this either way
// A state file is a few hundred bytes; anything much larger is not ours.
constexpr qint64 maxStateBytes = 64 * 1024;
const char stateName[] = "unfinished-job.json";
const char formatTag[] = "vandra-job-journal";
constexpr int formatVersion = 1;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcEngraver) << "cannot write the job journal" << path << "-"
                              << file.errorString();
        return false;
    }
    return true;
}
} // namespace

bool JournalState::operator==(const JournalState &o) const
{
    return job == o.job && size == o.size && confirmed == o.confirmed && x == o.x && y == o.y
        && mode == o.mode && qFuzzyCompare(power + 2, o.power + 2)
        && qFuzzyCompare(depth + 2, o.depth + 2) && passes == o.passes && passesDone == o.passesDone
        && xmin == o.xmin && ymin == o.ymin && xmax == o.xmax && ymax == o.ymax
        && pictureSize == o.pictureSize;
}

namespace Journal {

quint32 resumePosition(quint32 sent, quint32 size)
{
    const quint32 at = qMin(sent, size);
    return at == 0 ? 0 : (at - 1) / chunkBytes * chunkBytes;
}

QByteArray encode(const JournalState &s)
{
    QJsonObject o;
    o.insert(QStringLiteral("format"), QLatin1String(formatTag));
    o.insert(QStringLiteral("version"), formatVersion);
    o.insert(QStringLiteral("job"), QString::number(s.job, 16));
    o.insert(QStringLiteral("size"), double(s.size));
    o.insert(QStringLiteral("confirmed"), double(s.confirmed));
    o.insert(QStringLiteral("x"), s.x);
    o.insert(QStringLiteral("y"), s.y);
    o.insert(QStringLiteral("mode"), s.mode);
    o.insert(QStringLiteral("power"), s.power);
    o.insert(QStringLiteral("depth"), s.depth);
    o.insert(QStringLiteral("passes"), s.passes);
    o.insert(QStringLiteral("passesDone"), s.passesDone);
    o.insert(QStringLiteral("xmin"), s.xmin);
    o.insert(QStringLiteral("ymin"), s.ymin);
    o.insert(QStringLiteral("xmax"), s.xmax);
    o.insert(QStringLiteral("ymax"), s.ymax);
    o.insert(QStringLiteral("width"), s.pictureSize.width());
    o.insert(QStringLiteral("height"), s.pictureSize.height());
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool decode(const QByteArray &text, JournalState *state, QString *why)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (!document.isObject()) {
        *why = QStringLiteral("not a JSON object: ") + error.errorString();
        return false;
    }
    const QJsonObject o = document.object();
    if (o.value(QStringLiteral("format")).toString() != QLatin1String(formatTag)
        || o.value(QStringLiteral("version")).toInt() != formatVersion) {
        *why = QStringLiteral("not a job journal of this version");
        return false;
    }
    // Every number must be there, whole and in its range.
    bool ok = true;
    const auto whole = [&o, &ok](const char *key, double low, double high) {
        const QJsonValue v = o.value(QLatin1String(key));
        const double d = v.toDouble(-1e300);
        if (!v.isDouble() || d != std::floor(d) || d < low || d > high)
            ok = false;
        return qint64(ok ? d : 0);
    };
    const auto fraction = [&o, &ok](const char *key) {
        const double d = o.value(QLatin1String(key)).toDouble(-2);
        if (!(d == -1 || (d >= 0 && d <= 1)))
            ok = false;
        return d;
    };
    JournalState s;
    bool idOk = false;
    s.job = o.value(QStringLiteral("job")).toString().toULongLong(&idOk, 16);
    s.size = whole("size", 4, double(recordLimit) * recordLimit * 4);
    s.confirmed = quint32(whole("confirmed", 0, double(s.size)));
    s.x = int(whole("x", -areaPixels * 4, areaPixels * 4));
    s.y = int(whole("y", -areaPixels * 4, areaPixels * 4));
    s.mode = int(whole("mode", 1, 2));
    s.power = fraction("power");
    s.depth = fraction("depth");
    s.passes = int(whole("passes", 1, 20));
    s.passesDone = int(whole("passesDone", 0, s.passes - 1));
    s.xmin = int(whole("xmin", 0, recordLimit));
    s.ymin = int(whole("ymin", 0, recordLimit));
    s.xmax = int(whole("xmax", 0, recordLimit));
    s.ymax = int(whole("ymax", 0, recordLimit));
    s.pictureSize
        = QSize(int(whole("width", 1, recordLimit)), int(whole("height", 1, recordLimit)));
    if (!ok || !idOk || s.job == 0 || s.size % 4 != 0) {
        *why = QStringLiteral("a field is missing or out of range");
        return false;
    }
    *state = s;
    return true;
}

} // namespace Journal

JobJournal::JobJournal(const QString &directory, QObject *parent)
    : QObject(parent)
    , m_directory(directory)
{
    m_writer.setMaxThreadCount(1);
    m_writer.setExpiryTimeout(-1);
    m_updateTimer.setSingleShot(true);
    m_updateTimer.setInterval(updateIntervalMs);
    connect(&m_updateTimer, &QTimer::timeout, this, &JobJournal::writeState);
}

JobJournal::~JobJournal()
{
    if (m_updateTimer.isActive())
        writeState();
    m_writer.waitForDone();
}

QString JobJournal::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString JobJournal::statePath() const
{
    return m_directory + QLatin1Char('/') + QLatin1String(stateName);
}

QString JobJournal::recordsPath(quint64 job) const
{
    return m_directory
        + QStringLiteral("/unfinished-job-%1.records").arg(job, 16, 16, QLatin1Char('0'));
}

void JobJournal::begin(const QByteArray &records, JournalState state)
{
    m_updateTimer.stop();
    m_havePending = false;
    removeAll();
    state.job = QRandomGenerator::global()->generate64() | 1;
    state.size = records.size();
    m_active = true;
    const QString directory = m_directory;
    const QString recordsFile = recordsPath(state.job);
    const QString stateFile = statePath();
    const QByteArray text = Journal::encode(state);
    // The records first: a state on disk always has its records.
    write([directory, recordsFile, stateFile, records, text] {
        QDir().mkpath(directory);
        if (writeFile(recordsFile, records))
            writeFile(stateFile, text);
    });
    m_pending = state;
}

void JobJournal::update(const JournalState &state)
{
    if (!m_active)
        return;
    // The records stay those begin() wrote.
    const quint64 job = m_pending.job;
    const qint64 size = m_pending.size;
    m_pending = state;
    m_pending.job = job;
    m_pending.size = size;
    m_havePending = true;
    if (!m_updateTimer.isActive())
        m_updateTimer.start();
}

void JobJournal::writeState()
{
    if (!m_active || !m_havePending)
        return;
    m_havePending = false;
    const QString stateFile = statePath();
    const QByteArray text = Journal::encode(m_pending);
    write([stateFile, text] { writeFile(stateFile, text); });
}

void JobJournal::end()
{
    m_updateTimer.stop();
    m_havePending = false;
    m_active = false;
    removeAll();
}

void JobJournal::removeAll()
{
    const QString directory = m_directory;
    const QString stateFile = statePath();
    write([directory, stateFile] {
        // The state first: records without a state are never read.
        QFile::remove(stateFile);
        const QStringList old
            = QDir(directory).entryList({QStringLiteral("unfinished-job-*.records")}, QDir::Files);
        for (const QString &name : old)
            QFile::remove(directory + QLatin1Char('/') + name);
    });
}

void JobJournal::write(std::function<void()> work)
{
    // What the work captured crosses to the writer through the pool's
    // queue, which the thread checker cannot see: all of it is written
    // before the hand-over.
    // The mark is a fixed address, as the task's own memory is what it
    // guards.
    static const char writes = 0;
    std::function<void()> task = [work = std::move(work)] {
        takeOver(&writes);
        work();
    };
    handOver(&writes);
    m_writer.start(std::move(task));
}

void JobJournal::flush()
{
    if (m_updateTimer.isActive()) {
        m_updateTimer.stop();
        writeState();
    }
    m_writer.waitForDone();
}

bool JobJournal::read(JournalState *state, QByteArray *records) const
{
    QFile stateFile(statePath());
    if (!stateFile.exists())
        return false;
    if (!QFileInfo(stateFile).isFile() || stateFile.size() > maxStateBytes
        || !stateFile.open(QIODevice::ReadOnly)) {
        qCWarning(lcEngraver) << "ignoring the job journal" << statePath()
                              << "- not a readable file of a state's size";
        return false;
    }
    QString why;
    JournalState s;
    if (!Journal::decode(stateFile.readAll(), &s, &why)) {
        qCWarning(lcEngraver) << "ignoring the job journal" << statePath() << "-" << why;
        return false;
    }
    QFile recordsFile(recordsPath(s.job));
    if (!QFileInfo(recordsFile).isFile() || recordsFile.size() != s.size
        || !recordsFile.open(QIODevice::ReadOnly)) {
        qCWarning(lcEngraver) << "ignoring the job journal" << statePath()
                              << "- its records are missing or of another size";
        return false;
    }
    if (!records) {
        *state = s;
        return true;
    }
    *records = recordsFile.readAll();
    if (records->size() != s.size) {
        qCWarning(lcEngraver) << "ignoring the job journal" << statePath()
                              << "- its records cannot be read whole";
        records->clear();
        return false;
    }
    *state = s;
    return true;
}
