#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "simengraver.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_EngraverSim : public QObject
{
    Q_OBJECT
private slots:
    void records_data();
    void records();
    void conversation_data();
    void conversation();
    void wholeJob_data();
    void wholeJob();
    void faults_data();
    void faults();

private:
    bool startSimulator(QProcess &process, const QStringList &arguments);
    QTemporaryDir m_dir;
};

// The handshake allows 100 ms for the answer; on a loaded machine the
// simulator process may not be scheduled in time, and a user would simply
// press connect again. Returns whether the link came up.
static bool connectWithRetries(Operations &operations, QSignalSpy &link)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int before = link.count();
        operations.connectToBelow(true);
        if (link.count() > before)
            return true;
    }
    return false;
}

void tst_EngraverSim::records_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("intensity");

    QTest::newRow("300, 5") << QByteArray("\x2C\x10\x05\xFF", 4) << 300 << 5 << 255;
    QTest::newRow("1599, 1599") << QByteArray("\x3F\x66\x3F\xFF", 4) << 1599 << 1599 << 255;
    QTest::newRow("origin, faint") << QByteArray("\0\0\0\x01", 4) << 0 << 0 << 1;
    QTest::newRow("4095, 4095") << QByteArray("\xFF\xFF\xFF\x80", 4) << 4095 << 4095 << 128;
}

void tst_EngraverSim::records()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, intensity);
    const Sim::Record r = Sim::decodeRecord(bytes.constData());
    QCOMPARE(r.x, x);
    QCOMPARE(r.y, y);
    QCOMPARE(r.intensity, intensity);
    QCOMPARE(Sim::encodeRecord(x, y, intensity), bytes);
}

void tst_EngraverSim::conversation_data()
{
    QTest::addColumn<QByteArrayList>("commands");
    QTest::addColumn<QByteArrayList>("replies");

    QTest::newRow("handshake and end")
        << QByteArrayList {"$40", "$41"} << QByteArrayList {"B10", "B3"};
    QTest::newRow("fan") << QByteArrayList {"$10 P1000", "$10 P0"} << QByteArrayList {"F6", "F7"};
    QTest::newRow("power and depth echoed")
        << QByteArrayList {"$8 P0.250", "$9 P1.000"} << QByteArrayList {"F8 P0.250", "F9 P1.000"};
    QTest::newRow("framing") << QByteArrayList {"$25 P1 1", "$20 P112 230 50 40", "$25 P100 200"}
                             << QByteArrayList {"F10", "F11"};
    QTest::newRow("job") << QByteArrayList {"$30 P0 0 P2", "$31", "$30 P0 0 P2", "$32"}
                         << QByteArrayList {"F20", "F21", "F20", "F22"};
    QTest::newRow("end of data ends the job")
        << QByteArrayList {"$30 P0 0 P1", "$33"} << QByteArrayList {"F20", "F22"};
    QTest::newRow("nothing awaited")
        << QByteArrayList {"$42", "$50", "$51 P10", "$33"} << QByteArrayList {};
}

void tst_EngraverSim::conversation()
{
    QFETCH(QByteArrayList, commands);
    QFETCH(QByteArrayList, replies);
    Sim::Engraver engraver;
    QByteArrayList answered;
    for (const QByteArray &command : commands)
        answered += engraver.command(Sim::parseCommand(command)).replies;
    QCOMPARE(answered, replies);
}

bool tst_EngraverSim::startSimulator(QProcess &process, const QStringList &arguments)
{
    process.setProgram(QStringLiteral(ENGRAVER_SIM));
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    if (!process.waitForReadyRead(5000))
        return false;
    const QByteArray device = process.readLine().trimmed();
    qputenv("VANDRA_SERIAL_PORTS", device);
    return device.startsWith("/dev/");
}

void tst_EngraverSim::wholeJob_data()
{
    QTest::addColumn<QStringList>("fault");
    QTest::newRow("well-behaved") << QStringList {};
    QTest::newRow("replies back to back") << QStringList {"--coalesce"};
    QTest::newRow("replies split") << QStringList {"--split"};
}

// A job is sent to the simulator in full and its burn picture holds
// exactly the job's records, placed where the job was started.
void tst_EngraverSim::wholeJob()
{
    QFETCH(QStringList, fault);
    QVERIFY(m_dir.isValid());
    const QString png = m_dir.filePath(QStringLiteral("burn-%1.png").arg(QTest::currentDataTag()));

    // 3001 scattered records (12004 bytes, so the last chunk is short).
    const QPoint origin(100, 200);
    QImage expected(Sim::areaSize, Sim::areaSize, QImage::Format_Grayscale8);
    expected.fill(0);
    QRandomGenerator random(7);
    clearJobBytes();
    for (int i = 0; i < 3001; ++i) {
        const int x = i % 97 * 13 % 1400;
        const int y = i / 97 * 11 + i % 3;
        const int intensity = 1 + random.bounded(255);
        appendJobBytes(Sim::encodeRecord(x, y, intensity));
        expected.scanLine(origin.y() + y)[origin.x() + x] = uchar(intensity);
    }

    QProcess simulator;
    QVERIFY(
        startSimulator(simulator, QStringList {"--rate", "0", "--quiet", "--png", png} + fault));
    Operations operations;
    QSignalSpy link(&operations, &Operations::includeBackStatus);
    QSignalSpy status(&operations, &Operations::toFrontStatus);
    QSignalSpy percent(&operations, &Operations::completePecent);
    QVERIFY(connectWithRetries(operations, link));
    QCOMPARE(link.count(), 1);

    operations.serialWriteData("$30 P100 200 P2");
    QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty() && status.last().at(0).toString() == "F22", 20000);
    QCOMPARE(status.first().at(0).toString(), QStringLiteral("F20"));
    QCOMPARE(percent.count(), 12);
    QCOMPARE(percent.last().at(0).toDouble(), 11264.0 / 12004);
    QCOMPARE(jobBuffer.position, 12004u);

    QVERIFY(QFile::exists(png)); // written before status 22
    const QImage burned(png);
    QCOMPARE(burned.size(), expected.size());
    QVERIFY(burned.convertToFormat(QImage::Format_Grayscale8) == expected);

    // The engraver's "B3" to the host's "$41" is still in the line when the
    // host connects again; it must not spoil the next handshake.
    operations.connectToBelow(false);
    QTest::qWait(200);
    QVERIFY(connectWithRetries(operations, link));
    QCOMPARE(link.last().at(0).toInt(), 10);

    operations.connectToBelow(false);
    simulator.terminate();
    QVERIFY(simulator.waitForFinished(5000));
}

void tst_EngraverSim::faults_data()
{
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<QList<int>>("link"); // includeBackStatus values, in order
    QTest::newRow("no handshake answer") << QStringList {"--no-handshake"} << QList<int> {};
    QTest::newRow("vanishes during a job")
        << QStringList {"--vanish-after", "2"} << QList<int> {10, 11};
}

void tst_EngraverSim::faults()
{
    QFETCH(QStringList, fault);
    QFETCH(QList<int>, link);

    clearJobBytes();
    appendJobBytes(QByteArray(8 * 1024, '\x01'));
    QProcess simulator;
    QVERIFY(startSimulator(simulator, QStringList {"--rate", "0", "--quiet"} + fault));
    Operations operations;
    QSignalSpy linkSpy(&operations, &Operations::includeBackStatus);
    const bool up = connectWithRetries(operations, linkSpy);
    QCOMPARE(up, !link.isEmpty());
    if (!link.isEmpty())
        operations.serialWriteData("$30 P0 0 P1");

    QTRY_COMPARE(linkSpy.count(), link.size());
    QTest::qWait(100);
    QList<int> seen;
    for (const QVariantList &args : qAsConst(linkSpy))
        seen.append(args.at(0).toInt());
    QCOMPARE(seen, link);
    QVERIFY(!operations.serialPort->isOpen());
    if (simulator.state() != QProcess::NotRunning) {
        simulator.terminate();
        QVERIFY(simulator.waitForFinished(5000));
    }
    QCOMPARE(simulator.exitStatus(), QProcess::NormalExit);
}

QTEST_MAIN(tst_EngraverSim)
#include "tst_engraversim.moc"
