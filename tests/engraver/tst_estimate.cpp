#include "engraver/jobbuffer.h"
#include "engraver/jobtimer.h"
#include "engraver/operations.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QtTest>

// The time left against an engraver of known pace: the simulated engraver
// burns at a set rate slowed by the depth, and the estimate made once a
// tenth of the job has gone must come within a tenth of the time the rest
// really takes, pauses left out.
class TestEstimate : public QObject
{
    Q_OBJECT

private slots:
    void againstKnownPace_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("depth");
        QTest::addColumn<int>("pauseMs"); // a pause half way; 0: none
        QTest::newRow("small, shallow") << 24000 << "0.000" << 0;
        QTest::newRow("medium, half depth") << 16000 << "0.500" << 0;
        QTest::newRow("large, paused") << 36000 << "0.250" << 800;
    }

    void againstKnownPace()
    {
        QFETCH(int, records);
        QFETCH(QString, depth);
        QFETCH(int, pauseMs);

        QProcess simulator;
        simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        simulator.start(
            QStringLiteral(ENGRAVER_SIM),
            {QStringLiteral("--rate"), QStringLiteral("20000"), QStringLiteral("--quiet")});
        QVERIFY(simulator.waitForReadyRead(5000));
        qputenv("VANDRA_SERIAL_PORTS", simulator.readLine().trimmed());

        Operations operations;
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

        PaceEstimate pace;
        QElapsedTimer clock;
        clock.start();
        double estimate = -1; // ms left, made after a tenth of the job
        qint64 estimatedAt = 0;
        bool paused = false;
        bool ended = false;
        connect(&operations, &Operations::toFrontStatus, this, [&](const QString &status) {
            if (status.startsWith(QLatin1String("F20")))
                pace.run(clock.elapsed());
            else if (status.startsWith(QLatin1String("F21")))
                pace.hold(clock.elapsed());
            else if (status.startsWith(QLatin1String("F22"))) {
                pace.hold(clock.elapsed());
                ended = true;
            }
        });
        connect(&operations, &Operations::completePecent, this, [&](double share) {
            pace.confirmed(qint64(share * job.size()), clock.elapsed());
            if (estimate < 0 && share >= 0.1)
                estimate = pace.millisecondsLeft(job.size()),
                estimatedAt = pace.runningMs(clock.elapsed());
            if (pauseMs > 0 && !paused && share >= 0.5) {
                paused = true;
                operations.serialWriteData("$31");
                QTimer::singleShot(pauseMs, &operations,
                                   [&operations] { operations.serialWriteData("$30 P0 0 P2"); });
            }
        });
        operations.serialWriteData("$9 P" + depth.toLatin1());
        operations.serialWriteData("$30 P0 0 P2");
        QTRY_VERIFY_WITH_TIMEOUT(ended, 60000);

        QVERIFY(estimate > 0);
        const double actual = double(pace.runningMs(clock.elapsed()) - estimatedAt);
        const double error = (estimate - actual) / actual;
        qInfo("%d records at depth %s: %.0f ms estimated after a tenth, %.0f ms taken, error %+.1f "
              "%%",
              records, qPrintable(depth), estimate, actual, error * 100);
        QVERIFY2(std::abs(error) <= 0.10, qPrintable(QString::number(error)));

        simulator.terminate();
        simulator.waitForFinished(5000);
    }
};

QTEST_MAIN(TestEstimate)
#include "tst_estimate.moc"
