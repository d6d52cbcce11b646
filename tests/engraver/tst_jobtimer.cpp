#include "engraver/jobrun.h"
#include "engraver/jobstate.h"
#include "engraver/jobtimer.h"

#include <QSettings>
#include <QtTest>

#include <cmath>

namespace {
qint64 fakeNow = 0;
qint64 fakeClock()
{
    return fakeNow;
}
} // namespace

// The control page's job clocks: the job's state as the engraver reports
// it, and the time left: the pace measured from confirmed bytes over running
// time, pauses left out, and the estimate before play from the pace model
// refined by earlier jobs.
class TestJobTimer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("0_vandra"));
    }

    void transitions_data()
    {
        QTest::addColumn<JobState::Phase>("from");
        QTest::addColumn<JobState::Event>("event");
        QTest::addColumn<JobState::Phase>("to");
        using S = JobState;
        const auto row = [](S::Phase from, S::Event event, S::Phase to) {
            const QMetaEnum phases = QMetaEnum::fromType<S::Phase>();
            const QByteArray tag = QByteArray(phases.valueToKey(from)) + ' '
                + QMetaEnum::fromType<S::Event>().valueToKey(event);
            QTest::newRow(tag.constData()) << from << event << to;
        };
        // Every start the engraver reports means it runs: a new job, a
        // paused one going on, an interrupted one resumed.
        row(S::Idle, S::StartReported, S::Running);
        row(S::Running, S::StartReported, S::Running);
        row(S::Paused, S::StartReported, S::Running);
        row(S::Interrupted, S::StartReported, S::Running);
        // Only a running job pauses; a stray report changes nothing, and an
        // interrupted job keeps waiting for its resume or stop.
        row(S::Idle, S::PauseReported, S::Idle);
        row(S::Running, S::PauseReported, S::Paused);
        row(S::Paused, S::PauseReported, S::Paused);
        row(S::Interrupted, S::PauseReported, S::Interrupted);
        row(S::Idle, S::StopReported, S::Idle);
        row(S::Running, S::StopReported, S::Idle);
        row(S::Paused, S::StopReported, S::Idle);
        row(S::Interrupted, S::StopReported, S::Idle);
        // Losing the link interrupts a job on the engraver, and nothing
        // between jobs.
        row(S::Idle, S::LinkLost, S::Idle);
        row(S::Running, S::LinkLost, S::Interrupted);
        row(S::Paused, S::LinkLost, S::Interrupted);
        row(S::Interrupted, S::LinkLost, S::Interrupted);
    }

    // The rule, and the object the page binds to, brought to the same state
    // by the engraver's reports: it tells the page whether anything changed.
    void transitions()
    {
        QFETCH(JobState::Phase, from);
        QFETCH(JobState::Event, event);
        QFETCH(JobState::Phase, to);
        QCOMPARE(JobState::next(from, event), to);

        JobState state;
        if (from != JobState::Idle)
            state.engraverStarted();
        if (from == JobState::Paused)
            state.engraverPaused();
        if (from == JobState::Interrupted)
            state.linkLost();
        QCOMPARE(state.phase(), from);
        QSignalSpy changed(&state, &JobState::changed);
        QCOMPARE(state.apply(event), to != from);
        QCOMPARE(state.phase(), to);
        QCOMPARE(changed.count(), to != from ? 1 : 0);
        QCOMPARE(state.isActive(), to == JobState::Running || to == JobState::Paused);
    }

    void pace_data()
    {
        // A job of 100000 bytes confirmed at 1000 bytes a second while it
        // runs; the steps: "r" run, "p" pause (both at once), "c" confirm
        // and "." wait (each a second).
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("left"); // seconds left at the end
        QTest::newRow("steady") << "r c c c c c c c c c c" << 91;
        QTest::newRow("paused half way") << "r c c c c c p . . . . . . r c c c c c" << 91;
        QTest::newRow("no pace yet") << "r c" << -1;
        QTest::newRow("never started") << "c c c" << -1;
    }

    void pace()
    {
        QFETCH(QString, steps);
        QFETCH(int, left);
        PaceEstimate pace;
        qint64 now = 0;
        qint64 bytes = 0;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            if (step == QLatin1String("r"))
                pace.run(now);
            else if (step == QLatin1String("p"))
                pace.hold(now);
            if (step == QLatin1String("c")) {
                pace.confirmed(bytes, now);
                bytes += 1000;
            }
            if (step == QLatin1String("c") || step == QLatin1String("."))
                now += 1000;
        }
        QCOMPARE(int(pace.secondsLeft(100000)), left);
    }

    // A change of pace shows within the smoothing time, not at once.
    void followsAChangeOfPace()
    {
        PaceEstimate pace;
        pace.run(0);
        qint64 bytes = 0;
        qint64 now = 0;
        for (; now <= 20000; now += 1000, bytes += 1000)
            pace.confirmed(bytes, now);
        QCOMPARE(pace.bytesPerSecond(), 1000.0);
        for (; now <= 80000; now += 1000, bytes += 2000)
            pace.confirmed(bytes, now);
        QVERIFY(pace.bytesPerSecond() > 1900 && pace.bytesPerSecond() < 2000);
    }

    // The whole clock: a job at a steady pace with a pause, what it took,
    // and the estimate for the next job at the same depth.
    void clock()
    {
        QSettings().remove(QStringLiteral("jobPace"));
        JobTimer timer;
        timer.setClock(fakeClock);
        timer.setDepth(40);
        fakeNow = 0;
        timer.prepare(60000);
        // No history yet: the pace model's 4458 bytes a second at depth 40.
        QCOMPARE(timer.secondsLeft(), 14);
        QCOMPARE(timer.secondsEstimate(), 14);

        timer.started();
        timer.progress(0);
        QCOMPARE(timer.secondsLeft(), 14); // nothing measured yet
        for (int second = 0; second < 30; ++second, fakeNow += 1000)
            timer.progress(second * 1000 / 60000.0);
        QCOMPARE(timer.secondsEstimate(), 14); // the whole job's, still
        QCOMPARE(timer.secondsLeft(), 31);
        timer.paused();
        fakeNow += 45000; // paused: neither the estimate nor the time taken grows
        QCOMPARE(timer.secondsLeft(), 31);
        timer.started();
        for (int second = 30; second < 60; ++second, fakeNow += 1000)
            timer.progress(second * 1000 / 60000.0);
        QCOMPARE(timer.secondsLeft(), 1);
        timer.stopped(true);
        QCOMPARE(timer.secondsTaken(), 60);
        QCOMPARE(timer.secondsLeft(), 60); // were it started again

        // The next job at this depth: 30000 bytes at the 1000 a second measured.
        timer.prepare(30000);
        QCOMPARE(timer.secondsLeft(), 30);
        // Another depth: the model, slowed as this engraver was at 40
        // (1000 against 4458 bytes a second), 705 bytes a second at 90.
        timer.setDepth(90);
        QCOMPARE(timer.secondsLeft(), 43);
        timer.setDepth(40);
        timer.started();
        QCOMPARE(timer.secondsTaken(), -1);

        // A stop before the end remembers nothing and takes nothing.
        fakeNow += 5000;
        timer.stopped(false);
        QCOMPARE(timer.secondsTaken(), -1);
        QCOMPARE(QSettings().value(QStringLiteral("jobPace")).toMap().value("40").toDouble(),
                 1000.0);
    }

    // A job burned three times: the estimate and the time left cover every
    // pass, and a new pass goes on counting rather than starting over.
    void passes()
    {
        QSettings().setValue(QStringLiteral("jobPace"), QVariantMap {{"40", 1000.0}});
        JobTimer timer;
        timer.setClock(fakeClock);
        timer.setDepth(40);
        timer.setPasses(3);
        fakeNow = 0;
        timer.prepare(30000);
        QCOMPARE(timer.secondsEstimate(), 90);
        timer.started();
        for (int second = 0; second <= 30; ++second, fakeNow += 1000)
            timer.progress(second * 1000 / 30000.0);
        QCOMPARE(timer.secondsLeft(), 60);
        timer.setPass(2);
        for (int second = 1; second <= 15; ++second, fakeNow += 1000)
            timer.progress(second * 1000 / 30000.0);
        QCOMPARE(timer.secondsLeft(), 45);
        QCOMPARE(timer.secondsEstimate(), 90);
    }

    void nextPass_data()
    {
        QTest::addColumn<int>("pass");
        QTest::addColumn<int>("passes");
        QTest::addColumn<bool>("sentWhole");
        QTest::addColumn<bool>("stopAsked");
        QTest::addColumn<int>("next");
        QTest::newRow("single pass ends") << 1 << 1 << true << false << 0;
        QTest::newRow("first of two") << 1 << 2 << true << false << 2;
        QTest::newRow("last of twenty") << 20 << 20 << true << false << 0;
        QTest::newRow("cut short") << 1 << 3 << false << false << 0;
        // The stop came as the last chunk went out: every pass ends.
        QTest::newRow("stopped after the last chunk") << 1 << 3 << true << true << 0;
    }

    void nextPass()
    {
        QFETCH(int, pass);
        QFETCH(int, passes);
        QFETCH(bool, sentWhole);
        QFETCH(bool, stopAsked);
        QFETCH(int, next);
        QCOMPARE(JobRun::nextPass(pass, passes, sentWhole, stopAsked), next);
    }

    void paceModel_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("clampedTo");
        for (int depth : {0, 10, 25, 40, 50, 60, 90, 100})
            QTest::newRow(qPrintable(QString::number(depth))) << depth << depth;
        QTest::newRow("below 0") << -20 << 0;
        QTest::newRow("above 100") << 250 << 100;
    }

    // The pace the program expects without history: a chunk is 1024 bytes
    // on the 115200-baud wire (10 bits a byte), then 256 records burned at
    // the simulated engraver's 4000 pixels a second, four times as long at
    // full depth. Never faster than the wire alone.
    void paceModel()
    {
        QFETCH(int, depth);
        QFETCH(int, clampedTo);
        const double chunkSeconds
            = 1024 * 10 / 115200.0 + 256 / 4000.0 * (1 + 3 * clampedTo / 100.0);
        const double expected = 1024 / chunkSeconds;
        const double pace = modelPace(depth);
        QVERIFY2(std::abs(pace - expected) < expected * 0.001,
                 qPrintable(QStringLiteral("%1 against %2").arg(pace).arg(expected)));
        QVERIFY(pace < 115200 / 10.0);
        QCOMPARE(expectedPace(depth, {}), pace);
    }

    void rememberedPace_data()
    {
        QTest::addColumn<QVariant>("stored"); // under "jobPace"
        QTest::addColumn<int>("left"); // for 30000 bytes at depth 40 before play
        const auto at40 = [](const QVariant &pace) {
            return QVariantMap {{"40", pace}};
        };
        QTest::newRow("1000 a second") << QVariant(at40(1000.0)) << 30;
        QTest::newRow("as text") << QVariant(at40(QStringLiteral("1000"))) << 30;
        // The nearest depth measured scales the model: 1000 at 50 against
        // the model's 4114 makes 1084 at 40 (70, with 500, is further).
        QTest::newRow("another depth only") << QVariant(QVariantMap {{"50", 1000.0}}) << 28;
        // A pace that fails its check is no pace: neither a time of 0 nor
        // one beyond what an int holds. The good one at 70 (500 against the
        // model's 3564) scales the model instead: 625 bytes a second.
        QTest::newRow("negative") << QVariant(at40(-5.0)) << 48;
        QTest::newRow("NaN") << QVariant(at40(qQNaN())) << 48;
        QTest::newRow("infinite") << QVariant(at40(qInf())) << 48;
        QTest::newRow("next to nothing") << QVariant(at40(1e-300)) << 48;
        QTest::newRow("words") << QVariant(at40(QStringLiteral("fast"))) << 48;
        QTest::newRow("depth with a leading zero") << QVariant(QVariantMap {{"040", 1000.0}}) << 48;
        // Nothing usable at all: the model alone, 4458 bytes a second.
        QTest::newRow("no map") << QVariant(QStringLiteral("40=1000")) << 7;
    }

    // The estimate before play takes only paces that pass their check, the
    // model where there are none; the next finished job keeps the good ones
    // of other depths and drops the rest.
    void rememberedPace()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, left);
        const QString key = QStringLiteral("jobPace");
        QVariantMap withOther = stored.toMap();
        withOther.insert(QStringLiteral("70"), 500.0);
        withOther.insert(QStringLiteral("80"), -1.0);
        QSettings().setValue(key, stored.userType() == QMetaType::QVariantMap ? withOther : stored);
        JobTimer timer;
        timer.setClock(fakeClock);
        timer.setDepth(40);
        timer.prepare(30000);
        QCOMPARE(timer.secondsLeft(), left);

        fakeNow = 0;
        timer.started();
        fakeNow = 15000;
        timer.stopped(true);
        QVariantMap expected {{"40", 2000.0}};
        if (stored.userType() == QMetaType::QVariantMap)
            expected.insert(QStringLiteral("70"), 500.0);
        if (stored.toMap().contains(QStringLiteral("50")))
            expected.insert(QStringLiteral("50"), 1000.0);
        QCOMPARE(QSettings().value(key).toMap(), expected);
    }
};

QTEST_GUILESS_MAIN(TestJobTimer)
#include "tst_jobtimer.moc"
