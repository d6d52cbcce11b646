#include "engraver/jobstate.h"

#include "engraver/engraverlog.h"

JobState::Phase JobState::next(Phase from, Event event)
{
    switch (event) {
    case StartReported:
        // A new job, a paused one going on, or an interrupted one resumed
        // after the link came back: the engraver says it runs.
        return Running;
    case PauseReported:
        // Only a running job can be paused; a stray report changes nothing.
        return from == Running ? Paused : from;
    case StopReported:
        return Idle;
    case LinkLost:
        // An engraver that has gone cannot report the end of its job, so
        // nothing may wait for that report. Between jobs there is nothing
        // to lose.
        return from == Running || from == Paused ? Interrupted : from;
    }
    return from;
}

JobState::JobState(QObject *parent)
    : QObject(parent)
{ }

bool JobState::apply(Event event)
{
    const Phase to = next(m_phase, event);
    if (to == m_phase)
        return false;
    qCDebug(lcEngraver) << "job" << m_phase << "->" << to << "on" << event;
    m_phase = to;
    emit changed();
    return true;
}
