#include "app/workfiles.h"

#include "app/backgroundwrite.h"

#include "drawboard/drawimage.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QQmlEngine>
#include <QSequentialIterable>
#include <QTimer>
#include <QtConcurrent>

#include <cmath>

Q_DECLARE_LOGGING_CATEGORY(lcDesktop)

namespace {

// The local file a URL, a path or the first of a list names; empty for
// anything else.
QString localPathOf(const QVariant &source)
{
    QVariant first = source;
    const int type = source.userType();
    if (type != QMetaType::QString && type != QMetaType::QUrl
        && source.canConvert<QVariantList>()) {
        const auto list = source.value<QSequentialIterable>();
        first = list.begin() != list.end() ? *list.begin() : QVariant();
    }
    if (first.userType() == QMetaType::QUrl) {
        const QUrl url = first.toUrl();
        return url.isLocalFile() ? url.toLocalFile() : QString();
    }
    const QString text = first.toString();
    const QUrl url(text, QUrl::TolerantMode);
    if (url.isLocalFile())
        return url.toLocalFile();
    return url.scheme().isEmpty() ? text : QString();
}

double within(const QVariant &value, double low, double high)
{
    const double number = value.toDouble();
    return std::isfinite(number) ? qBound(low, number, high) : low;
}

} // namespace

WorkFiles::WorkFiles(QObject *parent)
    : QObject(parent)
{
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &WorkFiles::timedOut);
}

WorkFiles::~WorkFiles()
{
    // A read still under way may hang on its file: the pool goes on
    // without it.
    giveUp();
}

QObject *WorkFiles::create(QQmlEngine *engine, QJSEngine *)
{
    return new WorkFiles(engine);
}

QString WorkFiles::pattern() const
{
    return QLatin1Char('*') + QLatin1String(WorkFile::suffix);
}

bool WorkFiles::isWorkFile(const QVariant &source) const
{
    return localPathOf(source).endsWith(QLatin1String(WorkFile::suffix), Qt::CaseInsensitive);
}

std::optional<WorkFile::Engraver> WorkFiles::engraverFrom(const QVariantMap &map)
{
    if (map.isEmpty())
        return std::nullopt;
    WorkFile::Engraver engraver;
    engraver.laserPower = within(map.value(QStringLiteral("laserPower")), 0, 100);
    engraver.depth = within(map.value(QStringLiteral("depth")), 0, 100);
    engraver.fan = map.value(QStringLiteral("fan")).toBool();
    if (map.value(QStringLiteral("placed")).toBool()) {
        const double side = WorkFile::areaMillimetres;
        engraver.placementMm = QPointF(within(map.value(QStringLiteral("x")), 0, side),
                                       within(map.value(QStringLiteral("y")), 0, side));
    }
    return engraver;
}

QVariantMap WorkFiles::settingsOf(const WorkFile::Work &work)
{
    const Imaging::LookSettings &settings = work.settings;
    QVariantMap map {
        {QStringLiteral("look"), int(work.look)},
        {QStringLiteral("threshold"), work.threshold},
        {QStringLiteral("brightness"), settings.tone.brightness},
        {QStringLiteral("contrast"), settings.tone.contrast},
        {QStringLiteral("gamma"), settings.tone.gamma},
        {QStringLiteral("ditherMethod"), int(settings.dither.method)},
        {QStringLiteral("serpentine"), settings.dither.serpentine},
        {QStringLiteral("halftoneCell"), settings.dither.cellSize},
        {QStringLiteral("dotSize"), settings.dither.dotSize},
    };
    if (work.engraver) {
        const WorkFile::Engraver &engraver = *work.engraver;
        QVariantMap part {
            {QStringLiteral("laserPower"), engraver.laserPower},
            {QStringLiteral("depth"), engraver.depth},
            {QStringLiteral("fan"), engraver.fan},
            {QStringLiteral("placed"), engraver.placementMm.has_value()},
        };
        if (engraver.placementMm) {
            part.insert(QStringLiteral("x"), engraver.placementMm->x());
            part.insert(QStringLiteral("y"), engraver.placementMm->y());
        }
        map.insert(QStringLiteral("engraver"), part);
    }
    return map;
}

bool WorkFiles::save(DrawImage *canvas, const QUrl &file, const QVariantMap &engraver)
{
    // While a run is under way its pool thread may be writing the pictures.
    if (!canvas || canvas->isBusy() || canvas->isLoading() || !file.isLocalFile())
        return false;
    WorkFile::Work work;
    // Shared copies: an edit made while the file is written gets pictures
    // of its own.
    work.picture = canvas->editedGrey();
    if (work.picture.isNull())
        return false;
    work.look = Imaging::Algorithm(canvas->look());
    work.threshold = qBound(0.0, canvas->lookThreshold(), 255.0);
    work.settings = canvas->lookSettings();
    work.engraver = engraverFrom(engraver);
    const QString path = WorkFile::pathFor(file.toLocalFile());
    writeInBackground(
        this, path, "work", [work, path] { return WorkFile::writeFile(work, path); },
        [this](const QString &written, const QString &error) { emit workSaved(written, error); });
    return true;
}

bool WorkFiles::open(DrawImage *canvas, const QVariant &source)
{
    const QString path = localPathOf(source);
    if (!canvas || path.isEmpty())
        return false;
    giveUp();
    m_canvas = canvas;
    m_path = path;
    // On a loader thread, as a picture: a file on a share that stopped
    // answering holds that thread, never one of the canvas's runs.
    auto result = std::make_shared<WorkFile::ReadResult>();
    m_result = result;
    m_load = Imaging::LoaderPool::shared()->start([path, result] {
        *result = WorkFile::readFile(path);
        Imaging::LoadedPicture loaded;
        loaded.path = path;
        return loaded;
    });
    m_watcher = new QFutureWatcher<Imaging::LoadedPicture>(this);
    auto *watcher = m_watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        if (watcher == m_watcher)
            readFinished();
    });
    watcher->setFuture(m_load.future);
    if (m_timeout > 0)
        m_timer->start(m_timeout);
    return true;
}

void WorkFiles::readFinished()
{
    // The result is read only once its thread has handed it over.
    Imaging::LoaderPool::result(m_load);
    const WorkFile::ReadResult result = *m_result;
    m_watcher->deleteLater();
    m_watcher = nullptr;
    m_load = {};
    m_result.reset();
    m_timer->stop();
    if (result.problem != WorkFile::Problem::None) {
        qCWarning(lcDesktop) << "cannot open the work" << m_path << "-" << result.detail;
        emit workRefused(m_path, int(result.problem), result.detail);
        return;
    }
    // The page is gone with its canvas: nobody is waiting for the work.
    if (!m_canvas)
        return;
    qCInfo(lcDesktop) << "work read from" << m_path;
    emit workOpened(m_path, settingsOf(result.work));
    // Named as a picture beside the work file, so that Save writes a picture
    // file there, not one that claims to be a work.
    QString name = m_path;
    if (name.endsWith(QLatin1String(WorkFile::suffix), Qt::CaseInsensitive))
        name.chop(int(qstrlen(WorkFile::suffix)));
    m_canvas->loadEdited(result.work.picture, name + QStringLiteral(".png"));
}

void WorkFiles::giveUp()
{
    if (!m_watcher)
        return;
    Imaging::LoaderPool::shared()->giveUp(m_load);
    delete m_watcher;
    m_watcher = nullptr;
    m_load = {};
    m_result.reset();
    m_timer->stop();
}

void WorkFiles::timedOut()
{
    if (!m_watcher)
        return;
    qCWarning(lcDesktop) << "gave up reading the work" << m_path << "after" << m_timeout << "ms";
    giveUp();
    emit workRefused(m_path, TimedOut, QStringLiteral("no answer after %1 ms").arg(m_timeout));
}
