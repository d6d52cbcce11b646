#pragma once

#include "engraver/jobjournal.h"

#include <QObject>
#include <QPointer>

class Operations;
class QFutureWatcherBase;

// One run of the prepared job on the engraver, beyond what the engraver
// itself knows of it: the passes (the same job burned again at the same
// place, up to maxPasses times, for depth), and the journal that lets a run
// cut short by the program or the computer stopping be taken up again.
//
// The control page and the command line both drive it and send the
// commands: they tell it of a run they start and of a stop the user asks
// for, and hand it the engraver's stop report, which it answers with what
// follows: the next pass, the part of a job taken up again, or the end.
//
// The controller is the engraver controller (Operations) whose job buffer
// the journal keeps and positions; anything else (a page test's stand-in)
// counts passes without a journal.
class JobRun : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *controller READ controller WRITE setController NOTIFY changed)
    // How many times the next run burns the job, 1 to maxPasses. The page
    // keeps it in the settings ("passes"); the command line does not.
    Q_PROPERTY(int passes READ passes WRITE setPasses NOTIFY changed)
    Q_PROPERTY(bool rememberPasses READ rememberPasses WRITE setRememberPasses NOTIFY changed)
    // The laser power and depth set, 0 to 1 (-1 when not known), kept in
    // the journal so that a job taken up again burns as it did.
    Q_PROPERTY(double power READ power WRITE setPower NOTIFY changed)
    Q_PROPERTY(double depth READ depth WRITE setDepth NOTIFY changed)
    // The pass being burned (1 to passes) while a run is on, else 0.
    Q_PROPERTY(int pass READ pass NOTIFY changed)
    // A run is on: from its start until the stop that ends its last pass.
    Q_PROPERTY(bool active READ active NOTIFY changed)
    // A job left unfinished by an earlier run has been taken up and waits
    // for play, which continues it where it stopped.
    Q_PROPERTY(bool resumePending READ resumePending NOTIFY changed)
    // Where that job is placed on the engraving area, in engraving pixels.
    Q_PROPERTY(int resumeX READ resumeX NOTIFY changed)
    Q_PROPERTY(int resumeY READ resumeY NOTIFY changed)
    // The start command's marker of that job, and its power and depth (0 to
    // 1, -1 when not known).
    Q_PROPERTY(int resumeMode READ resumeMode NOTIFY changed)
    Q_PROPERTY(double resumePower READ resumePower NOTIFY changed)
    Q_PROPERTY(double resumeDepth READ resumeDepth NOTIFY changed)
    // The share of the job already burned when it was cut short.
    Q_PROPERTY(double resumeShare READ resumeShare NOTIFY changed)

public:
    static constexpr int maxPasses = 20;

    // What follows the engraver's stop report.
    enum Next {
        RunOver, // the run has ended, or there was none
        NextPass, // start the job again from its first byte, at the same place
        ContinueJob, // start the job taken up, at resumeX, resumeY (sending
                     // from where it was cut short: the buffer is set)
    };
    Q_ENUM(Next)

    // The pass that follows when the engraver reports the end of pass
    // `pass` of `passes`: the next one if the job was sent whole and the
    // user asked for no stop, else 0 (the run is over).
    static int nextPass(int pass, int passes, bool sentWhole, bool stopAsked);

    explicit JobRun(QObject *parent = nullptr);
    // journal: where the run keeps its journal (null: none is kept).
    explicit JobRun(JobJournal *journal, QObject *parent = nullptr);
    ~JobRun() override;

    QObject *controller() const { return m_controller; }
    void setController(QObject *controller);
    int passes() const { return m_passes; }
    void setPasses(int passes);
    bool rememberPasses() const { return m_rememberPasses; }
    void setRememberPasses(bool remember);
    double power() const { return m_power; }
    void setPower(double power);
    double depth() const { return m_depth; }
    void setDepth(double depth);
    int pass() const { return m_active ? m_pass : 0; }
    bool active() const { return m_active; }
    bool resumePending() const { return m_resumePending; }
    int resumeX() const { return m_state.x; }
    int resumeY() const { return m_state.y; }
    int resumeMode() const { return m_state.mode; }
    double resumePower() const { return m_state.power; }
    double resumeDepth() const { return m_state.depth; }
    double resumeShare() const;
    JobJournal *journal() const { return m_journal; }

    // A new run of the prepared job has been started at (x, y) in the
    // given mode (1 grey, 2 black and white), from the job's first byte:
    // pass 1. The place is rounded to whole engraving pixels as the start
    // command rounds it.
    Q_INVOKABLE void started(double x, double y, int mode);
    // The user asked for a stop: no pass follows.
    Q_INVOKABLE void stopAsked();
    // The engraver reports that the job stopped, the job sent whole or not:
    // what the caller is to start now (Next).
    Q_INVOKABLE int stopReported(bool sentWhole);
    // Whether an earlier run left a job unfinished (the journal is read;
    // resumeX, resumeY and resumeShare tell of it).
    Q_INVOKABLE bool unfinishedJob();
    // Publishes the unfinished job into the controller's buffer and makes
    // it wait for continueJob(); false when there is none to take up.
    Q_INVOKABLE bool takeUpJob();
    // The same, with the journal read and the preview drawn on a pool
    // thread, so that a large job keeps no window waiting: jobTakenUp
    // follows. False, and no signal, when nothing can be taken up now.
    Q_INVOKABLE bool takeUpJobLater();
    // Forgets the unfinished job.
    Q_INVOKABLE void discardJob();
    // The caller is about to continue the job taken up by stopping the
    // engraver first (it may still wait for the chunk the earlier run was
    // sending); the stop report then answers ContinueJob, and the caller
    // sets the power and depth as they were and starts the job at its place.
    Q_INVOKABLE void continueJob();

signals:
    void changed();
    // takeUpJobLater() is done: whether the job waits for play now.
    void jobTakenUp(bool ok);
    // A pass begins (also the first, and the resumed part of one).
    void passStarted(int pass);

private:
    void noteProgress();
    void jobPublished();
    void journalNow();
    // An unfinished job read from the journal, with its preview.
    struct TakenUp;
    static TakenUp readUnfinished(const JobJournal *journal, double previewScale);
    bool publishTakenUp(const TakenUp &job);

    QPointer<QObject> m_controller;
    QPointer<Operations> m_operations; // the controller, when it is the real one
    JobJournal *m_journal = nullptr;
    int m_passes = 1;
    double m_power = -1;
    double m_depth = -1;
    bool m_rememberPasses = false;
    int m_pass = 1;
    bool m_active = false;
    bool m_stopAsked = false;
    bool m_resumePending = false;
    bool m_resuming = false; // continueJob() waits for the engraver's stop report
    bool m_publishing = false; // takeUpJob() publishes the job it took up
    QFutureWatcherBase *m_takingUp = nullptr; // takeUpJobLater()'s read, while it runs
    JournalState m_state; // the run as the journal keeps it
};
