#include "imaging/imageprocess.h"

#include "imaging/algorithms.h"
#include "imaging/imaginglog.h"
#include "imaging/threadhandover.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>
#include <QThreadPool>

#include <utility>

Q_LOGGING_CATEGORY(lcImaging, "vandra.imaging")

std::atomic<int> autoRunEventType {0};

int ensureAutoRunEventType()
{
    // A function-local static is initialised once even when a pool thread
    // and the GUI thread get here at the same time.
    static const int type = [] {
        const int registered = QEvent::registerEventType();
        autoRunEventType.store(registered);
        return registered;
    }();
    return type;
}

AlgorithmAutoRun::AlgorithmAutoRun(ImageProcess *receiver, QImage *image,
                                   Imaging::Algorithm algorithm, double para,
                                   const Imaging::LookSettings &look)
    : m_receiver(receiver)
    , m_image(image)
    , m_algorithm(algorithm)
    , m_mutex(receiver->mutex())
    , m_para(para)
    , m_look(look)
    , m_ended(receiver->endedRuns())
{ }

void AlgorithmAutoRun::run()
{
    takeOver(this);
    qDebug() << "r id" << QThread::currentThreadId();
    if (m_algorithm < Imaging::Grey || m_algorithm >= Imaging::AlgorithmCount) {
        qCWarning(lcImaging) << "run skipped: there is no algorithm" << int(m_algorithm);
    } else if (Imaging::isLook(m_algorithm)) {
        // A look starts again from the grey base picture, which the image
        // still shares: the look reads it and writes a picture of its own,
        // with the tone first and, for the dithered look, the chosen method.
        QMutexLocker locker(m_mutex);
        *m_image
            = Imaging::lookImage(*m_image, m_algorithm, m_para, m_look, std::move(m_lookMemory));
    } else {
        // While the grey picture is the one on show too (a picture just
        // loaded or cleared), the edit is made once and serves both.
        const bool together = m_editedGrey && m_editedGrey->cacheKey() == m_image->cacheKey();
        algorithmTable[m_algorithm](m_image, m_mutex, m_para, &m_job);
        if (together) {
            QMutexLocker locker(m_mutex);
            *m_editedGrey = *m_image;
        } else if (m_editedGrey) {
            algorithmTable[m_algorithm](m_editedGrey, m_mutex, m_para, &m_job);
        }
    }

    // Once the event is posted the GUI thread may delete this object at any
    // moment: only locals are used from here on. The receiver itself stays
    // alive until the run has been counted as ended.
    EndedRuns *ended = m_ended;
    ImageProcess *target = m_receiver.data();
    auto *event = new AutoRunEvent(this);
    // Everything this run wrote or read is done with: the GUI thread may
    // take it over from here.
    handOver(ended);
    if (target)
        QCoreApplication::postEvent(target, event, 0);
    else
        delete event;
    ended->release();
}

AlgorithmAutoRun::~AlgorithmAutoRun() = default;

AutoRunEvent::AutoRunEvent(AlgorithmAutoRun *run)
    : QEvent(QEvent::Type(ensureAutoRunEventType()))
    , m_run(run)
{ }

AutoRunEvent::~AutoRunEvent() = default;

ImageProcess::ImageProcess(QObject *parent, Callbacks callbacks)
    : QObject(parent)
    , m_callbacks(std::move(callbacks))
{ }

ImageProcess::~ImageProcess()
{
    // Runs still waiting in the pool never start; a run already working on
    // an image of the canvas is waited for, so that it neither outlives the
    // images nor posts to this object once it is gone. Events it posted are
    // dropped with this object.
    for (AlgorithmAutoRun *run : qAsConst(m_runList)) {
        if (QThreadPool::globalInstance()->tryTake(run))
            --m_startedRuns;
    }
    m_endedRuns.acquire(m_startedRuns);
    qDeleteAll(m_runList);
    m_runList.clear();
}

void ImageProcess::start(AlgorithmAutoRun *run)
{
    m_runList.append(run);
    run->setAutoDelete(false);
    ++m_startedRuns;
    handOver(run);
    QThreadPool::globalInstance()->start(run, 0);
}

bool ImageProcess::event(QEvent *e)
{
    qDebug() << "c id" << QThread::currentThreadId();
    // Before the event is read at all: a run's event was made on its thread.
    takeOver(&m_endedRuns);
    if (e->type() != ensureAutoRunEventType())
        return QObject::event(e);

    AlgorithmAutoRun *run = static_cast<AutoRunEvent *>(e)->run();
    // Taken off the list before the canvas hears of it, so that a process()
    // call made while the canvas handles the end of this run is not mistaken
    // for one arriving during a run.
    if (m_runList.removeOne(run)) {
        const Imaging::Algorithm algorithm = run->algorithm();
        if (algorithm == Imaging::SaveByte)
            m_callbacks.jobBuilt(run->takeJob());
        m_callbacks.reported(algorithm);
    }
    delete run;
    if (m_runList.isEmpty())
        m_callbacks.idle();
    return true;
}
