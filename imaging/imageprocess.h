#pragma once

#include "imaging/algorithms.h"
#include "imaging/engravingjob.h"
#include "imaging/looks.h"
#include "imaging/processalgorithm.h"

#include <QEvent>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QRunnable>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

class ImageProcess;

// Counts runs that have come back from their algorithm and posted their
// event, so that the canvas can wait for them before its images go away.
// Plain standard primitives, which thread checkers understand.
class EndedRuns
{
public:
    void release()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_count;
        m_changed.notify_all();
    }
    void acquire(int runs)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_count >= runs; });
        m_count -= runs;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_count = 0;
};

// The registered type of AutoRunEvent, 0 until first needed.
extern std::atomic<int> autoRunEventType;
// Registers the type on first use (from any thread) and returns it.
int ensureAutoRunEventType();

// One algorithm run on the global thread pool. It works on an image owned by
// the canvas and tells the canvas's ImageProcess by a posted event when the
// algorithm has returned. The pool never deletes it: ImageProcess does.
class AlgorithmAutoRun : public QRunnable
{
public:
    AlgorithmAutoRun(ImageProcess *receiver, QImage *image, Imaging::Algorithm algorithm,
                     double para, const Imaging::LookSettings &look = Imaging::LookSettings());
    void run() override;
    ~AlgorithmAutoRun() override;

    Imaging::Algorithm algorithm() const { return m_algorithm; }
    // What a SaveByte run starts from: memory to reuse for the records and
    // the size of the preview wanted (see Imaging::EngravingJob). Set before
    // the run is started.
    void setJob(Imaging::EngravingJob job) { m_job = std::move(job); }
    // What a SaveByte run built; taken by the GUI thread only after the run
    // has posted its completion event.
    Imaging::EngravingJob takeJob() { return std::move(m_job); }
    // A second picture that takes the same algorithm after `image`: the
    // canvas's grey picture, which every edit of the picture on show changes
    // too so that the looks start from it with the edits kept. Set before
    // the run is started.
    void setEditedGrey(QImage *grey) { m_editedGrey = grey; }
    // Memory a look may write its picture into (see Imaging::lookImage),
    // held by nobody else. Set before the run is started.
    void setLookMemory(QImage memory) { m_lookMemory = std::move(memory); }

private:
    QPointer<ImageProcess> m_receiver;
    QImage *m_image;
    QImage *m_editedGrey = nullptr;
    Imaging::Algorithm m_algorithm;
    QMutex *m_mutex;
    double m_para;
    Imaging::LookSettings m_look;
    Imaging::EngravingJob m_job;
    QImage m_lookMemory;
    // Released as the very last step of run(); owned by the receiver, which
    // waits for it before it goes away.
    EndedRuns *m_ended;
};

// Posted by a finished run to its ImageProcess. It does not own the run.
class AutoRunEvent : public QEvent
{
public:
    explicit AutoRunEvent(AlgorithmAutoRun *run);
    ~AutoRunEvent() override;

    AlgorithmAutoRun *run() const { return m_run; }

private:
    AlgorithmAutoRun *m_run;
};

// Lives in the GUI thread as a child of the canvas: owns the processing mutex
// and the runs under way, and tells its owner of each completion event
// through the callbacks the owner gives it (the canvas turns them into its
// finished() signal), so that the pipeline knows nothing of the canvas.
class ImageProcess : public QObject
{
public:
    // Called on the GUI thread for each run reported, in this order:
    // jobBuilt with what a SaveByte run built, then reported, then, once no
    // run is under way any more, idle.
    struct Callbacks
    {
        std::function<void(Imaging::EngravingJob job)> jobBuilt;
        std::function<void(Imaging::Algorithm algorithm)> reported;
        std::function<void()> idle;
    };

    ImageProcess(QObject *parent, Callbacks callbacks);
    // Waits for a run still working on the canvas's images, drops runs that
    // have not started, and deletes every listed run.
    ~ImageProcess() override;

    // Lists the run and hands it to the global thread pool.
    void start(AlgorithmAutoRun *run);
    // Whether a run has been started and not yet reported.
    bool hasRunUnderWay() const { return !m_runList.isEmpty(); }
    EndedRuns *endedRuns() { return &m_endedRuns; }
    // The processing mutex: held by every algorithm for its whole run.
    QMutex *mutex() { return &m_mutex; }

protected:
    bool event(QEvent *e) override;

private:
    Callbacks m_callbacks;
    QList<AlgorithmAutoRun *> m_runList; // started and not yet reported
    QMutex m_mutex;
    EndedRuns m_endedRuns;
    int m_startedRuns = 0; // runs handed to the pool that have not been waited for
};
