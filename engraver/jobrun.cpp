#include "engraver/jobrun.h"

#include "engraver/commands.h"
#include "engraver/engraverlog.h"
#include "engraver/jobbuffer.h"
#include "engraver/jobpicture.h"
#include "engraver/operations.h"
#include "imaging/threadhandover.h"
#include "settings/storedsettings.h"

#include <QFutureWatcher>
#include <QPainter>
#include <QSettings>
#include <QtConcurrent>

namespace {
const QString passesKey = QStringLiteral("passes");
}

int JobRun::nextPass(int pass, int passes, bool sentWhole, bool stopAsked)
{
    if (!sentWhole || stopAsked || pass >= passes)
        return 0;
    return pass + 1;
}

JobRun::JobRun(QObject *parent)
    : JobRun(new JobJournal(JobJournal::defaultDirectory()), parent)
{
    m_journal->setParent(this);
}

JobRun::JobRun(JobJournal *journal, QObject *parent)
    : QObject(parent)
    , m_journal(journal)
{ }

void JobRun::setController(QObject *controller)
{
    if (controller == m_controller)
        return;
    if (m_operations) {
        disconnect(m_operations->jobBuffer(), nullptr, this, nullptr);
        disconnect(m_operations, nullptr, this, nullptr);
    }
    m_controller = controller;
    m_operations = qobject_cast<Operations *>(controller);
    if (m_operations) {
        connect(m_operations->jobBuffer(), &JobBuffer::changed, this, &JobRun::noteProgress);
        connect(m_operations, &Operations::finishedLoad, this, &JobRun::jobPublished);
        // Leaving the program during a job stops it (stopAndDisconnect):
        // the user's stop, which leaves nothing to take up.
        connect(m_operations, &Operations::linkClosed, this, [this] {
            if (m_active)
                stopReported(false);
        });
    }
    emit changed();
}

void JobRun::setPasses(int passes)
{
    passes = qBound(1, passes, maxPasses);
    if (passes == m_passes)
        return;
    m_passes = passes;
    if (m_rememberPasses)
        QSettings().setValue(passesKey, passes);
    emit changed();
}

void JobRun::setRememberPasses(bool remember)
{
    if (remember == m_rememberPasses)
        return;
    m_rememberPasses = remember;
    if (remember)
        m_passes = StoredSettings::read(QSettings(), passesKey).toInt();
    emit changed();
}

double JobRun::resumeShare() const
{
    return m_state.size > 0 ? double(m_state.confirmed) / double(m_state.size) : 0.0;
}

void JobRun::setPower(double power)
{
    if (qFuzzyCompare(power + 2, m_power + 2))
        return;
    m_power = power;
    if (m_active) {
        m_state.power = power;
        journalNow();
    }
    emit changed();
}

void JobRun::setDepth(double depth)
{
    if (qFuzzyCompare(depth + 2, m_depth + 2))
        return;
    m_depth = depth;
    if (m_active) {
        m_state.depth = depth;
        journalNow();
    }
    emit changed();
}

void JobRun::started(double x, double y, int mode)
{
    m_resumePending = false;
    m_resuming = false;
    m_stopAsked = false;
    m_active = true;
    m_pass = 1;
    m_state = JournalState();
    m_state.x = EngraverCommand::wholePixels(x);
    m_state.y = EngraverCommand::wholePixels(y);
    m_state.mode = mode == 1 ? 1 : 2;
    m_state.power = qBound(-1.0, m_power, 1.0);
    m_state.depth = qBound(-1.0, m_depth, 1.0);
    m_state.passes = m_passes;
    if (m_operations) {
        const JobBuffer *buffer = m_operations->jobBuffer();
        m_state.xmin = buffer->xmin();
        m_state.ymin = buffer->ymin();
        m_state.xmax = buffer->xmax();
        m_state.ymax = buffer->ymax();
        m_state.pictureSize
            = QSize(qMax(1, buffer->pictureWidth()), qMax(1, buffer->pictureHeight()));
        m_state.size = buffer->size();
        if (m_journal && buffer->size() > 0)
            m_journal->begin(buffer->bytes(), m_state);
    }
    emit changed();
    emit passStarted(m_pass);
}

void JobRun::stopAsked()
{
    m_stopAsked = true;
}

int JobRun::stopReported(bool sentWhole)
{
    if (m_resuming) {
        // The engraver has let go of whatever the earlier run left it
        // waiting for: the job starts again where it was cut short.
        m_resuming = false;
        m_active = true;
        m_stopAsked = false;
        if (m_operations)
            m_operations->jobBuffer()->startFrom(m_state.confirmed);
        emit changed();
        emit passStarted(m_pass);
        return ContinueJob;
    }
    if (!m_active)
        return RunOver;
    const int next = nextPass(m_pass, m_passes, sentWhole, m_stopAsked);
    if (next > 0) {
        m_pass = next;
        m_state.passesDone = next - 1;
        m_state.confirmed = 0;
        journalNow();
        emit changed();
        emit passStarted(m_pass);
        return NextPass;
    }
    // Ended, or stopped by the user: nothing is left to take up.
    m_active = false;
    m_stopAsked = false;
    if (m_journal)
        m_journal->end();
    emit changed();
    return RunOver;
}

void JobRun::noteProgress()
{
    if (!m_active || m_resuming || !m_operations || !m_journal)
        return;
    const JobBuffer *buffer = m_operations->jobBuffer();
    const quint32 confirmed = Journal::resumePosition(buffer->position(), quint32(buffer->size()));
    if (confirmed == m_state.confirmed)
        return;
    m_state.confirmed = confirmed;
    m_journal->update(m_state);
}

void JobRun::journalNow()
{
    if (m_journal)
        m_journal->update(m_state);
}

bool JobRun::unfinishedJob()
{
    JournalState state;
    if (m_active || !m_journal || !m_journal->read(&state))
        return false;
    m_state = state;
    emit changed();
    return true;
}

// An unfinished job as the journal keeps it, with the preview the page
// shows of it: the records' picture where it lies in the whole picture, at
// the buffer's preview scale. Only files and local pictures, so that it can
// be made on a pool thread: a job covering the whole area takes tens of ms.
struct JobRun::TakenUp
{
    bool read = false;
    JournalState state;
    QByteArray records;
    QImage preview;
    QSize size;
};

JobRun::TakenUp JobRun::readUnfinished(const JobJournal *journal, double previewScale)
{
    TakenUp job;
    if (!journal->read(&job.state, &job.records))
        return job;
    job.read = true;
    const QImage picture = jobPicture(job.records);
    job.size = job.state.pictureSize.expandedTo(picture.size());
    job.preview
        = QImage(JobBuffer::scaledPreviewSize(job.size, previewScale), QImage::Format_ARGB32);
    job.preview.fill(Qt::white);
    if (!picture.isNull()) {
        QPainter painter(&job.preview);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const double sx = double(job.preview.width()) / job.size.width();
        const double sy = double(job.preview.height()) / job.size.height();
        painter.drawImage(QRectF(0, 0, picture.width() * sx, picture.height() * sy), picture);
    }
    return job;
}

JobRun::~JobRun()
{
    // The read works on the journal, which may go with this object.
    if (m_takingUp)
        m_takingUp->waitForFinished();
}

bool JobRun::takeUpJob()
{
    if (!m_journal || !m_operations || m_active || m_takingUp)
        return false;
    return publishTakenUp(readUnfinished(m_journal, m_operations->jobBuffer()->previewScale()));
}

bool JobRun::takeUpJobLater()
{
    if (!m_journal || !m_operations || m_active || m_takingUp)
        return false;
    auto *watcher = new QFutureWatcher<TakenUp>(this);
    m_takingUp = watcher;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        takeOver(this);
        m_takingUp = nullptr;
        watcher->deleteLater();
        // A run started meanwhile has its own job; the one read is dropped.
        emit jobTakenUp(!m_active && m_operations && publishTakenUp(watcher->result()));
    });
    const JobJournal *journal = m_journal;
    const double previewScale = m_operations->jobBuffer()->previewScale();
    handOver(this);
    watcher->setFuture(QtConcurrent::run([this, journal, previewScale] {
        takeOver(this);
        TakenUp job = readUnfinished(journal, previewScale);
        handOver(this);
        return job;
    }));
    emit changed();
    return true;
}

bool JobRun::publishTakenUp(const TakenUp &job)
{
    if (!job.read)
        return false;
    JobBuffer *buffer = m_operations->jobBuffer();
    buffer->publish(job.preview, job.records, job.state.xmin, job.state.ymin, job.state.xmax,
                    job.state.ymax, job.size);
    m_publishing = true;
    m_operations->finishedLoadProcess();
    m_publishing = false;
    m_state = job.state;
    m_passes = job.state.passes;
    m_pass = job.state.passesDone + 1;
    m_resumePending = true;
    m_active = false;
    emit changed();
    return true;
}

// A new job from the editing page replaces one taken up and not continued:
// play starts the new one.
void JobRun::jobPublished()
{
    if (!m_publishing && (m_resumePending || m_resuming))
        discardJob();
}

void JobRun::discardJob()
{
    m_resumePending = false;
    m_resuming = false;
    if (m_journal)
        m_journal->end();
    emit changed();
}

void JobRun::continueJob()
{
    if (!m_resumePending)
        return;
    m_resumePending = false;
    m_resuming = true;
    // The journal goes on as it was: a run killed again before the engraver
    // confirms anything more starts from the same place.
    if (m_journal && m_operations)
        m_journal->begin(m_operations->jobBuffer()->bytes(), m_state);
    emit changed();
}
