#include "engraver/jobtimer.h"

#include "settings/storedsettings.h"

#include <QElapsedTimer>
#include <QSettings>

#include <cmath>
#include <cstdlib>

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

// The pace model: bytes a second by depth in percent. The engraver asks for
// a chunk, takes its 1024 bytes off the wire, burns its 256 records and only
// then asks for the next one, so a chunk costs
//   its time on the wire: 1024 bytes × 10 bits (8N1) / 115200 baud = 88.9 ms
//   (the wire alone would carry at most 11.5 kB a second), plus
//   its burn: 256 records at 4000 pixels a second at depth 0 = 64 ms, four
//   times that at full depth (64 × (1 + 3 × depth) ms), as the simulated
//   engraver burns (tools/engraver-sim, its default --rate);
// 1024 bytes over 152.9 ms at depth 0 and over 344.9 ms at full depth. The
// time a byte takes grows in a straight line with depth, so interpolating
// seconds a byte between these rows gives the model exactly.
struct PaceRow
{
    int depth;
    double bytesPerSecond;
};
constexpr PaceRow paceModel[] = {
    {0, 6698}, {25, 5097}, {50, 4114}, {75, 3449}, {100, 2969},
};

// The depth of a "jobPace" entry: plain digits only, as the timer writes them.
bool depthOfKey(const QString &key, int *depth)
{
    bool ok = false;
    const int value = key.toInt(&ok);
    if (!ok || value < 0 || value > 100 || key != QString::number(value))
        return false;
    *depth = value;
    return true;
}

} // namespace

double modelPace(int depth)
{
    depth = qBound(0, depth, 100);
    const PaceRow *row = paceModel;
    while (row[1].depth < depth)
        ++row;
    const double share = double(depth - row[0].depth) / double(row[1].depth - row[0].depth);
    const double secondsPerByte
        = (1 - share) / row[0].bytesPerSecond + share / row[1].bytesPerSecond;
    return 1.0 / secondsPerByte;
}

double expectedPace(int depth, const QVariantMap &remembered)
{
    const double here = remembered.value(QString::number(depth)).toDouble();
    if (here > 0)
        return here;
    // The nearest depth measured, the shallower one on a tie.
    int nearest = -1;
    double measured = 0;
    for (auto it = remembered.cbegin(); it != remembered.cend(); ++it) {
        int at = 0;
        const double pace = it.value().toDouble();
        if (!depthOfKey(it.key(), &at) || !(pace > 0))
            continue;
        const int distance = std::abs(at - depth);
        const int best = nearest < 0 ? -1 : std::abs(nearest - depth);
        if (best < 0 || distance < best || (distance == best && at < nearest)) {
            nearest = at;
            measured = pace;
        }
    }
    const double model = modelPace(depth);
    if (nearest < 0)
        return model;
    return model * measured / modelPace(nearest);
}

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

void JobTimer::setPasses(int passes)
{
    passes = qMax(1, passes);
    if (passes == m_passes)
        return;
    m_passes = passes;
    update();
}

void JobTimer::setPass(int pass)
{
    pass = qMax(1, pass);
    if (pass == m_pass)
        return;
    m_pass = pass;
    update();
}

void JobTimer::prepare(qint64 totalBytes)
{
    m_totalBytes = totalBytes;
    m_pace.reset();
    readRemembered();
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
        // Remembered for the next job at this depth, unless it is beyond
        // what the store takes (a job that ended as it began).
        const double pace = double(m_totalBytes) * m_passes * 1000.0 / ranMs;
        const SettingsRules::Rule *rule = SettingsRules::ruleFor(paceKey);
        if (m_totalBytes > 0 && rule && pace >= rule->minimum && pace <= rule->maximum) {
            QSettings settings;
            // Entries that fail their check are dropped.
            QVariantMap paces = StoredSettings::read(settings, paceKey).toMap();
            paces.insert(QString::number(m_depth), pace);
            settings.setValue(paceKey, paces);
            m_remembered = paces;
        }
    }
    m_pace.reset();
    update();
}

void JobTimer::progress(double share)
{
    if (m_totalBytes <= 0)
        return;
    const qint64 before = qint64(qMin(m_pass, m_passes) - 1) * m_totalBytes;
    m_pace.confirmed(before + qint64(std::llround(share * double(m_totalBytes))), m_clock());
    update();
}

void JobTimer::readRemembered()
{
    // Only paces that pass their check; none is 0.
    m_remembered = StoredSettings::read(QSettings(), paceKey).toMap();
}

void JobTimer::update()
{
    int estimate = -1;
    int left = -1;
    if (m_totalBytes > 0) {
        const double pace = expectedPace(m_depth, m_remembered);
        const qint64 allPasses = m_totalBytes * m_passes;
        estimate = int(std::ceil(double(allPasses) / pace));
        // Until the job's own pace is measured, what is left of it goes at
        // the expected pace.
        const qint64 toGo = allPasses - m_pace.confirmedBytes();
        left = m_pace.bytesPerSecond() > 0 ? int(m_pace.secondsLeft(allPasses))
                                           : int(std::ceil(double(qMax<qint64>(0, toGo)) / pace));
    }
    m_secondsLeft = left;
    m_secondsEstimate = estimate;
    emit changed();
}
