#include "engraver/jobbuffer.h"
#include "engraver/jobtimer.h"
#include "engraver/operations.h"
#include "simengraver.h"

#include <QProcess>
#include <QSerialPort>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

// The time left against an engraver of known pace: a whole job goes to the
// simulated engraver, and the control page's clock (JobTimer), fed the
// engraver's reports and the progress as the page feeds it, must tell the
// rest of the job within a tenth once a tenth of it has gone, pauses left
// out. The time is the engraver's own: a clock of the test's that moves on
// by the burn time the simulated engraver gives each chunk (the same model
// that paces the simulator when it runs at a set rate), so that a busy
// machine cannot make the estimate look wrong.
class TestEstimate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("QtProject"));
        QCoreApplication::setApplicationName(QStringLiteral("0_vandra"));
    }

    void againstKnownPace_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("depth");
        QTest::addColumn<int>("pauseMs"); // a pause half way; 0: none
        // The simulator's own pace in pixels a second (0: as fast as it is
        // asked). The link answers without waiting for the window, so a job
        // paused half way must last long enough for the window's pause to
        // reach it before its end.
        QTest::addColumn<int>("simulatorRate");
        QTest::newRow("small, shallow") << 24000 << "0.000" << 0 << 0;
        QTest::newRow("medium, half depth") << 16000 << "0.500" << 0 << 0;
        QTest::newRow("large, paused") << 36000 << "0.250" << 80000 << 12000;
    }

    void againstKnownPace()
    {
        QFETCH(int, records);
        QFETCH(QString, depth);
        QFETCH(int, pauseMs);
        QFETCH(int, simulatorRate);
        // Pixels a second at depth 0: jobs of a minute or so, long enough
        // for the whole seconds the clock shows.
        constexpr int rate = 1000;

        // The pace the clock sees is the model's, whatever the simulator's.
        QProcess simulator;
        simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        simulator.start(
            QStringLiteral(ENGRAVER_SIM),
            {QStringLiteral("--rate"), QString::number(simulatorRate), QStringLiteral("--quiet")});
        QVERIFY(simulator.waitForReadyRead(5000));
        qputenv("VANDRA_SERIAL_PORTS", simulator.readLine().trimmed());
        Sim::Engraver model;
        model.command(Sim::parseCommand("$9 P" + depth.toLatin1()));

        Operations operations;
        // The clock below moves on with every chunk's progress.
        operations.setProgressInterval(0);
        QByteArray job;
        for (int i = 0; i < records; ++i) {
            const int x = i % 1400;
            const int y = i / 1400;
            const char record[] = {char(x), char(x >> 8 << 4 | y >> 8), char(y), char(255)};
            job.append(record, 4);
        }
        operations.jobBuffer()->publish(QImage(), job, 0, 0, 0, 0);
        QSignalSpy found(&operations, &Operations::searchFinished);
        for (int attempt = 0; attempt < 3 && !operations.serialPort()->isOpen(); ++attempt) {
            operations.connectToBelow(true);
            QVERIFY(found.wait(5000));
        }
        QVERIFY(operations.serialPort()->isOpen());

        QSettings().remove(QStringLiteral("jobPace"));
        qint64 now = 0; // the engraver's time, in ms
        qint64 pausedMs = 0;
        JobTimer timer;
        timer.setClock([&now] { return now; });
        timer.setDepth(qRound(depth.toDouble() * 100));
        timer.prepare(job.size());

        // Burning the chunk that starts at offset takes the model this long.
        const auto burnMs = [&](qint64 offset) {
            const qint64 bytes = qMin<qint64>(Protocol::chunkSize, job.size() - offset);
            return qint64(model.burnMilliseconds(int(bytes / 4), rate));
        };
        qint64 lastOffset = -1; // the chunk sent last
        int estimate = -1; // seconds left, once a tenth of the job has gone
        qint64 estimatedAt = 0; // running time then
        bool paused = false;
        bool ended = false;
        connect(&operations, &Operations::toFrontStatus, this, [&](const QString &status) {
            if (status.startsWith(QLatin1String("F20"))) {
                timer.started();
            } else if (status.startsWith(QLatin1String("F21"))) {
                timer.paused();
                now += pauseMs;
                pausedMs += pauseMs;
                operations.serialWriteData("$30 P0 0 P2");
            } else if (status.startsWith(QLatin1String("F22"))) {
                now += burnMs(lastOffset); // the last chunk burns before the stop
                timer.stopped(operations.jobBuffer()->sent() == job.size());
                ended = true;
            }
        });
        connect(&operations, &Operations::completePecent, this, [&](double share) {
            // A request comes once the chunk before it has burned.
            if (lastOffset >= 0)
                now += burnMs(lastOffset);
            lastOffset = qint64(std::llround(share * job.size()));
            timer.progress(share);
            if (estimate < 0 && share >= 0.1) {
                estimate = timer.secondsLeft();
                estimatedAt = now - pausedMs;
            }
            if (pauseMs > 0 && !paused && share >= 0.5) {
                paused = true;
                operations.serialWriteData("$31");
            }
        });
        operations.serialWriteData("$9 P" + depth.toLatin1());
        operations.serialWriteData("$30 P0 0 P2");
        QTRY_VERIFY_WITH_TIMEOUT(ended, 60000);

        const qint64 ranMs = now - pausedMs;
        QVERIFY(estimate > 0);
        const double actual = double(ranMs - estimatedAt) / 1000.0;
        const double error = (estimate - actual) / actual;
        qInfo("%d records at depth %s: %d s estimated after a tenth, %.1f s taken, error %+.1f %%",
              records, qPrintable(depth), estimate, actual, error * 100);
        QVERIFY2(std::abs(error) <= 0.10, qPrintable(QString::number(error)));

        // What the job took, pauses left out, and the estimate for the same
        // job next time, from the pace remembered at this depth.
        QCOMPARE(timer.secondsTaken(), int((ranMs + 500) / 1000));
        timer.prepare(job.size());
        QCOMPARE(timer.secondsLeft(), int(std::ceil(ranMs / 1000.0)));

        simulator.terminate();
        simulator.waitForFinished(5000);
    }
};

QTEST_MAIN(TestEstimate)
#include "tst_estimate.moc"
