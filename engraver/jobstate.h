#pragma once

#include <QObject>

// Where the job on the engraver stands, as the engraver reports it and as
// the link allows: nothing on it (idle), running, paused, or interrupted
// when the link went down during a job. The control page only mirrors the
// engraver, so the state moves on its status replies and on the link
// dropping, never on a command sent. An interrupted job resumes with the
// next start and is over with the next stop, as after a pause.
//
// next() is the whole of the rule, a plain function tested on its own; the
// object holds the current state for the page's bindings.
class JobState : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Phase phase READ phase NOTIFY changed)
    Q_PROPERTY(bool idle READ isIdle NOTIFY changed)
    Q_PROPERTY(bool running READ isRunning NOTIFY changed)
    Q_PROPERTY(bool paused READ isPaused NOTIFY changed)
    Q_PROPERTY(bool interrupted READ isInterrupted NOTIFY changed)
    // A job is on the engraver, running or paused: meanwhile the page keeps
    // the picture, the frame button and the laser marker where they are. An
    // interrupted job is not active, as nothing is known of it until the
    // engraver reports again.
    Q_PROPERTY(bool active READ isActive NOTIFY changed)

public:
    enum Phase { Idle, Running, Paused, Interrupted };
    Q_ENUM(Phase)

    // What moves the state on: the engraver's status replies (started,
    // paused, stopped) and the link going down.
    enum Event { StartReported, PauseReported, StopReported, LinkLost };
    Q_ENUM(Event)

    // The state after event in the state from.
    static Phase next(Phase from, Event event);

    explicit JobState(QObject *parent = nullptr);

    Phase phase() const { return m_phase; }
    bool isIdle() const { return m_phase == Idle; }
    bool isRunning() const { return m_phase == Running; }
    bool isPaused() const { return m_phase == Paused; }
    bool isInterrupted() const { return m_phase == Interrupted; }
    bool isActive() const { return m_phase == Running || m_phase == Paused; }

    // Each returns whether the state changed: a pause reported with no job
    // running, or a link lost between jobs, leaves it as it is.
    Q_INVOKABLE bool engraverStarted() { return apply(StartReported); }
    Q_INVOKABLE bool engraverPaused() { return apply(PauseReported); }
    Q_INVOKABLE bool engraverStopped() { return apply(StopReported); }
    Q_INVOKABLE bool linkLost() { return apply(LinkLost); }

    bool apply(Event event);

signals:
    void changed();

private:
    Phase m_phase = Idle;
};
