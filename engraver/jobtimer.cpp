#include "engraver/jobtimer.h"

#include "settings/storedsettings.h"

#include <QElapsedTimer>
#include <QSettings>

#include <cmath>

namespace {

// How quickly the smoothed pace follows a change: about this much running
// time for two thirds of the way.
constexpr double smoothingMs = 20000;

// Records of 4 bytes, 1024 to a chunk: a pace needs a few chunks to mean
// anything, and the first request comes before any burning.
constexpr qint64 minimumSampleMs = 100;

qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

const QString paceKey = QStringLiteral("jobPace");

} // namespace

void PaceEstimate::reset()
{
    *this = PaceEstimate();
}

void PaceEstimate::run(qint64 nowMs)
{
    if (m_running)
        return;
    m_running = true;
    m_runningSince = nowMs;
}

void PaceEstimate::hold(qint64 nowMs)
{
    if (!m_running)
        return;
    m_runMs += nowMs - m_runningSince;
    m_running = false;
}

qint64 PaceEstimate::runningMs(qint64 nowMs) const
{
    return m_runMs + (m_running ? nowMs - m_runningSince : 0);
}

void PaceEstimate::confirmed(qint64 confirmedBytes, qint64 nowMs)
{
    const qint64 ran = runningMs(nowMs);
    if (m_lastBytes < 0 || confirmedBytes < m_lastBytes) {
        // The first word of the job, or a job sent again from its start.
        m_lastBytes = confirmedBytes;
        m_lastRunMs = ran;
        return;
    }
    const qint64 spent = ran - m_lastRunMs;
    if (spent < minimumSampleMs)
        return;
    const double rate = double(confirmedBytes - m_lastBytes) * 1000.0 / double(spent);
    // The longer the sample, the more it counts.
    const double weight = m_rate > 0 ? 1.0 - std::exp(-double(spent) / smoothingMs) : 1.0;
    m_rate += weight * (rate - m_rate);
    m_lastBytes = confirmedBytes;
    m_lastRunMs = ran;
}

double PaceEstimate::millisecondsLeft(qint64 totalBytes) const
{
    if (m_rate <= 0 || m_lastBytes < 0)
        return -1;
    return std::max(0.0, double(totalBytes - m_lastBytes) * 1000.0 / m_rate);
}

qint64 PaceEstimate::secondsLeft(qint64 totalBytes) const
{
    const double left = millisecondsLeft(totalBytes);
    return left < 0 ? -1 : qint64(std::ceil(left / 1000.0));
}

JobTimer::JobTimer(QObject *parent)
    : QObject(parent)
    , m_clock(monotonicMs)
{ }

void JobTimer::setDepth(int depth)
{
    if (depth == m_depth)
        return;
    m_depth = depth;
    update();
}

void JobTimer::prepare(qint64 totalBytes)
{
    m_totalBytes = totalBytes;
    m_pace.reset();
    update();
}

void JobTimer::started()
{
    if (!m_pace.isRunning() && m_secondsTaken >= 0) {
        // A job begins anew: what the last one took is no longer shown.
        m_secondsTaken = -1;
    }
    m_pace.run(m_clock());
    update();
}

void JobTimer::paused()
{
    m_pace.hold(m_clock());
    update();
}

void JobTimer::interrupted()
{
    paused();
}

void JobTimer::stopped(bool finished)
{
    const qint64 now = m_clock();
    m_pace.hold(now);
    const qint64 ranMs = m_pace.runningMs(now);
    if (finished && ranMs > 0) {
        m_secondsTaken = int((ranMs + 500) / 1000);
        // Remembered for the next job at this depth.
        if (m_totalBytes > 0) {
            QSettings settings;
            // Entries that fail their check are dropped.
            QVariantMap paces = StoredSettings::read(settings, paceKey).toMap();
            paces.insert(QString::number(m_depth), double(m_totalBytes) * 1000.0 / ranMs);
            settings.setValue(paceKey, paces);
        }
    }
    m_pace.reset();
    update();
}

void JobTimer::progress(double share)
{
    if (m_totalBytes <= 0)
        return;
    m_pace.confirmed(qint64(std::llround(share * double(m_totalBytes))), m_clock());
    update();
}

double JobTimer::rememberedPace() const
{
    // Only paces that pass their check; none is 0.
    const QVariantMap paces = StoredSettings::read(QSettings(), paceKey).toMap();
    return paces.value(QString::number(m_depth)).toDouble();
}

void JobTimer::update()
{
    int left = -1;
    if (m_pace.bytesPerSecond() > 0) {
        left = int(m_pace.secondsLeft(m_totalBytes));
    } else if (!m_pace.isRunning() && m_totalBytes > 0) {
        const double pace = rememberedPace();
        if (pace > 0)
            left = int(std::ceil(double(m_totalBytes) / pace));
    }
    m_secondsLeft = left;
    emit changed();
}
