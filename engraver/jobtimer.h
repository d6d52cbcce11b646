#pragma once

#include <QObject>
#include <QVariantMap>
#include <QtGlobal>

#include <functional>

// How long a job will take. While it runs, the pace is measured from the job
// bytes the engraver has asked for (each data request confirms the chunk
// before it) against the time spent running, paused time left out, and
// smoothed so that a change of depth shows within half a minute. Before the
// job starts, the estimate comes from its size and the pace expected at its
// depth (expectedPace below).
//
// Plain arithmetic on times given by the caller, so that it is tested
// without waiting; JobTimer below gives it a clock and a QML face.
class PaceEstimate
{
public:
    // A new job: no pace measured yet.
    void reset();
    // The job runs from nowMs on (started or resumed).
    void run(qint64 nowMs);
    // The job stops running at nowMs (paused, stopped, interrupted).
    void hold(qint64 nowMs);
    // The engraver has taken the job's bytes up to confirmedBytes by nowMs.
    void confirmed(qint64 confirmedBytes, qint64 nowMs);

    bool isRunning() const { return m_running; }
    // Bytes a second, smoothed; 0 until two confirmations while running.
    double bytesPerSecond() const { return m_rate; }
    // Milliseconds spent running so far.
    qint64 runningMs(qint64 nowMs) const;
    // The job's bytes the engraver has taken so far; 0 before the first.
    qint64 confirmedBytes() const { return m_lastBytes < 0 ? 0 : m_lastBytes; }
    // Seconds still to go for a job of totalBytes; -1 while unknown.
    qint64 secondsLeft(qint64 totalBytes) const;
    // The same in milliseconds, unrounded; -1 while unknown.
    double millisecondsLeft(qint64 totalBytes) const;

private:
    bool m_running = false;
    qint64 m_runningSince = 0;
    qint64 m_runMs = 0; // running time before m_runningSince
    qint64 m_lastBytes = -1;
    qint64 m_lastRunMs = 0;
    double m_rate = 0;
};

// The pace a job is expected to keep before it has run, in bytes a second,
// for a depth in percent (0 to 100). Without history it is the pace model
// that ships with the program (jobtimer.cpp tells how it was made), between
// about 6700 bytes a second at depth 0 and 3000 at full depth.
double modelPace(int depth);
// The model refined by the paces measured on finished jobs ("jobPace": depth
// in percent as text → bytes a second): the pace measured at this depth if
// there is one, else the model scaled by how the engraver compared with it
// at the nearest depth measured (a slower engraver is slower at every depth).
double expectedPace(int depth, const QVariantMap &remembered);

// The control page's clock for the time left: fed the job's size, the
// engraver's status and the progress of the upload, it publishes the
// seconds still to go and, once a job has ended, how long it took. The pace
// of finished jobs is remembered per depth in the settings store under
// "jobPace" (a map of depth in percent to bytes a second).
class JobTimer : public QObject
{
    Q_OBJECT
    // Seconds still to go: measured while a job runs (from the expected pace
    // until the first measurement), the whole job's estimate before it
    // starts; -1 without a job.
    Q_PROPERTY(int secondsLeft READ secondsLeft NOTIFY changed)
    // What the whole job is expected to take at the depth set, from the
    // expected pace; -1 without a job.
    Q_PROPERTY(int secondsEstimate READ secondsEstimate NOTIFY changed)
    // How long the last job that ended took, in seconds of running time; -1
    // until one has ended (and again once the next one starts).
    Q_PROPERTY(int secondsTaken READ secondsTaken NOTIFY changed)
    // The depth setting in percent, for the estimate before play.
    Q_PROPERTY(int depth READ depth WRITE setDepth NOTIFY changed)
    // A job burned several times in a row: the times cover every pass, and
    // the progress of pass `pass` (1 to passes) counts after the passes
    // before it.
    Q_PROPERTY(int passes READ passes WRITE setPasses NOTIFY changed)
    Q_PROPERTY(int pass READ pass WRITE setPass NOTIFY changed)

public:
    explicit JobTimer(QObject *parent = nullptr);

    int secondsLeft() const { return m_secondsLeft; }
    int secondsEstimate() const { return m_secondsEstimate; }
    int secondsTaken() const { return m_secondsTaken; }
    int depth() const { return m_depth; }
    void setDepth(int depth);
    int passes() const { return m_passes; }
    void setPasses(int passes);
    int pass() const { return m_pass; }
    void setPass(int pass);

    // A new job of this many bytes has been published.
    Q_INVOKABLE void prepare(qint64 totalBytes);
    // The engraver reports the job running (20), paused (21) or stopped (22).
    Q_INVOKABLE void started();
    Q_INVOKABLE void paused();
    // finished: the whole job was sent before the stop.
    Q_INVOKABLE void stopped(bool finished);
    // The link went down: the job stops running until it is resumed.
    Q_INVOKABLE void interrupted();
    // The share of the job sent before the chunk being sent now (0 to 1).
    Q_INVOKABLE void progress(double share);

    // The clock in milliseconds, the monotonic clock by default: a test
    // drives the timer on a clock of its own instead of waiting.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

signals:
    void changed();

private:
    void update();
    void readRemembered();

    PaceEstimate m_pace;
    std::function<qint64()> m_clock;
    qint64 m_totalBytes = 0;
    int m_depth = 0;
    int m_passes = 1;
    int m_pass = 1;
    QVariantMap m_remembered; // "jobPace" as checked, read with each new job
    int m_secondsLeft = -1;
    int m_secondsEstimate = -1;
    int m_secondsTaken = -1;
};
