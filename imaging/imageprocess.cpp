#include "imaging/imageprocess.h"

#include "imaging/algorithms.h"
#include "imaging/threadhandover.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>
#include <QThreadPool>

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
                                   DrawImage::ProcessAlgorithm algorithm, QMutex *mutex,
                                   double para)
    : receiver(receiver)
    , image(image)
    , algorithm(algorithm)
    , mutex(mutex)
    , para(para)
    , m_ended(receiver->endedRuns())
{ }

void AlgorithmAutoRun::run()
{
    takeOver(this);
    qDebug() << "r id" << QThread::currentThreadId();
    bool done = false;
    if (algorithm == DrawImage::Binarize || algorithm == DrawImage::Floyd
        || algorithm == DrawImage::GreyFilter) {
        // The tone goes first, on the fresh copy of the grey picture; the
        // dithered look takes the chosen method. With the neutral tone and
        // plain Floyd, the table's own entries run alone, as they always did.
        QMutexLocker locker(mutex);
        if (!image->isNull()) {
            Imaging::applyTone(*image, look.tone);
            if (algorithm == DrawImage::Floyd && !look.plainFloyd()) {
                Imaging::DitherOptions options = look.dither;
                options.threshold = para;
                Imaging::dither(*image, options);
                done = true;
            }
        }
    }
    if (!done && algorithm >= DrawImage::Grey && algorithm < DrawImage::AlgorithmCount)
        algorithmTable[algorithm](image, mutex, para, &job);

    // Once the event is posted the GUI thread may delete this object at any
    // moment: only locals are used from here on. The receiver itself stays
    // alive until the run has been counted as ended.
    EndedRuns *ended = m_ended;
    auto *event = new AutoRunEvent(this);
    handOver(m_ended);
    if (ImageProcess *target = receiver.data())
        QCoreApplication::postEvent(target, event, 0);
    else
        delete event;
    ended->release();
}

AlgorithmAutoRun::~AlgorithmAutoRun() = default;

AutoRunEvent::AutoRunEvent(AlgorithmAutoRun *run)
    : QEvent(QEvent::Type(ensureAutoRunEventType()))
    , run(run)
{ }

AutoRunEvent::~AutoRunEvent() = default;

ImageProcess::ImageProcess(DrawImage *canvas)
    : QObject(canvas)
    , canvas(canvas)
{ }

ImageProcess::~ImageProcess()
{
    // Runs still waiting in the pool never start; a run already working on
    // an image of the canvas is waited for, so that it neither outlives the
    // images nor posts to this object once it is gone. Events it posted are
    // dropped with this object.
    for (AlgorithmAutoRun *run : qAsConst(runList)) {
        if (QThreadPool::globalInstance()->tryTake(run))
            --m_startedRuns;
    }
    m_endedRuns.acquire(m_startedRuns);
    qDeleteAll(runList);
    runList.clear();
}

void ImageProcess::start(AlgorithmAutoRun *run)
{
    runList.append(run);
    run->setAutoDelete(false);
    ++m_startedRuns;
    handOver(run);
    QThreadPool::globalInstance()->start(run, 0);
}

bool ImageProcess::event(QEvent *e)
{
    qDebug() << "c id" << QThread::currentThreadId();
    if (e->type() != ensureAutoRunEventType())
        return QObject::event(e);
    takeOver(&m_endedRuns);

    AlgorithmAutoRun *run = static_cast<AutoRunEvent *>(e)->run;
    // Taken off the list before the canvas hears of it, so that a process()
    // call made while the canvas handles the end of this run is not mistaken
    // for one arriving during a run.
    if (runList.removeOne(run)) {
        if (run->algorithm == DrawImage::SaveByte)
            canvas->publishJob(run->job);
        emit canvas->finished(run->algorithm);
    }
    delete run;
    if (runList.isEmpty())
        canvas->startQueuedRun();
    return true;
}
