#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "ptyengraver.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

using Answers = QList<QPair<int, int>>;

QString openedDevice(const Operations &operations)
{
    // Qt keeps "/dev/pts/3" as "pts/3".
    const QString name = operations.serialPort()->portName();
    return name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
}

// The handshake allows 100 ms for the answer; on a loaded machine the
// engraver's end may not be scheduled in time, and a user would simply press
// connect again. True when the link is up on the device.
//
// With the engraver's end played by a PtyEngraver, a late answer is waited
// for before the next attempt, so that it lands in the line before the new
// probe clears it: arriving after, it would be taken for the new answer, and
// the real one for a data request.
bool connectTo(Operations &operations, const QString &device, const PtyEngraver *peer = nullptr)
{
    qputenv("VANDRA_SERIAL_PORTS", device.toLocal8Bit());
    QSignalSpy finished(&operations, &Operations::searchFinished);
    const int answeredBefore = peer ? peer->handshakes() : 0;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        operations.connectToBelow(true);
        if (finished.isEmpty() && !finished.wait(5000))
            return false;
        if (finished.takeFirst().at(0).toBool())
            break;
        if (peer) {
            QElapsedTimer waited;
            waited.start();
            while (peer->handshakes() < answeredBefore + attempt && waited.elapsed() < 5000)
                QTest::qWait(10);
        }
    }
    return operations.serialPort()->isOpen() && openedDevice(operations) == device;
}

bool connectTo(Operations &operations, const PtyEngraver &engraver)
{
    return connectTo(operations, engraver.device(), &engraver);
}

QVariantList firstArguments(const QSignalSpy &spy)
{
    QVariantList values;
    for (const QVariantList &args : spy)
        values.append(args.at(0));
    return values;
}

} // namespace

class tst_Operations : public QObject
{
    Q_OBJECT
private slots:
    void portChoice_data()
    {
        // The system's ports as "name" (USB) or "name-" (no USB vendor), and
        // VANDRA_SERIAL_PORTS.
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QStringList>("probed");

        using S = QStringList;
        QTest::newRow("nothing") << S {} << "" << S {};
        QTest::newRow("console and modem left alone") << S {"ttyS0-", "ttyS1-"} << "" << S {};
        QTest::newRow("USB devices in the system's order")
            << S {"ttyS0-", "ttyUSB0", "ttyS1-", "ttyACM0"} << "" << S {"ttyUSB0", "ttyACM0"};
        QTest::newRow("listed paths after them, empty entries skipped")
            << S {"ttyUSB0", "ttyS0-"}
            << ":/dev/pts/3::/tmp/sim:" << S {"ttyUSB0", "/dev/pts/3", "/tmp/sim"};
        QTest::newRow("a listed console is probed")
            << S {"ttyS0-"} << "/dev/ttyS0" << S {"/dev/ttyS0"};
    }

    void portChoice()
    {
        QFETCH(QStringList, system);
        QFETCH(QString, extra);
        QFETCH(QStringList, probed);
        QList<Operations::SystemPort> ports;
        for (const QString &port : system)
            ports.append({port.endsWith('-') ? port.chopped(1) : port, !port.endsWith('-')});
        QCOMPARE(Operations::choosePorts(ports, extra), probed);
    }

    // And on this machine: no port without a USB vendor is probed unless listed.
    void machinePorts()
    {
        qunsetenv("VANDRA_SERIAL_PORTS");
        QStringList usb;
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
            if (info.hasVendorIdentifier())
                usb.append(info.portName());
        }
        QCOMPARE(Operations::candidatePorts(), usb);
    }

    void link_data()
    {
        QTest::addColumn<QByteArrayList>("answers"); // one port each; "" stays silent
        QTest::addColumn<int>("chosen"); // -1: none
        // How the link goes down: "$41", "B3" or "hang-up"; "stop" ends the
        // search once the first port has been asked.
        QTest::addColumn<QString>("end");

        using L = QByteArrayList;
        QTest::newRow("only the second of two answers") << L {"", "B10"} << 1 << "$41";
        QTest::newRow("more after B10; end of link") << L {"B10x"} << 0 << "B3";
        QTest::newRow("engraver vanishes") << L {"B10"} << 0 << "hang-up";
        QTest::newRow("lower case") << L {"b10"} << -1 << "";
        QTest::newRow("leading blank") << L {" B10"} << -1 << "";
        QTest::newRow("B1 only") << L {"B1"} << -1 << "";
        QTest::newRow("nobody answers") << L {"", ""} << -1 << "";
        QTest::newRow("search stopped") << L {"", "B10"} << -1 << "stop";
    }

    // The handshake search, the three ways a link goes down, and a new link after.
    void link()
    {
        QFETCH(QByteArrayList, answers);
        QFETCH(int, chosen);
        QFETCH(QString, end);

        std::vector<std::unique_ptr<PtyEngraver>> engravers;
        QStringList devices;
        for (const QByteArray &answer : answers) {
            engravers.push_back(std::make_unique<PtyEngraver>(answer));
            devices.append(engravers.back()->device());
        }
        qputenv("VANDRA_SERIAL_PORTS", devices.join(QLatin1Char(':')).toLocal8Bit());
        Operations operations;
        QSignalSpy link(&operations, &Operations::includeBackStatus);
        QSignalSpy status(&operations, &Operations::toFrontStatus);
        QSignalSpy finished(&operations, &Operations::searchFinished);
        operations.connectToBelow(true);
        // The search goes on in the background; the window is not held up
        // for the ports' answers.
        QCOMPARE(link.count(), 0);
        QCOMPARE(finished.count(), 0);
        QVERIFY(operations.searching());
        QCOMPARE(operations.portName(), QString());

        int asked = chosen < 0 ? int(engravers.size()) : chosen + 1;
        if (end == "stop") {
            QTRY_COMPARE(engravers[0]->handshakes(), 1);
            operations.connectToBelow(false);
            asked = 1;
            QTest::qWait(300); // the next port would have been asked by now
        } else {
            QVERIFY(finished.wait(5000));
        }
        QCOMPARE(firstArguments(finished), QVariantList {chosen >= 0});
        QVERIFY(!operations.searching());
        // The status line names the port the link is up on, and only then.
        QCOMPARE(!operations.portName().isEmpty(), chosen >= 0);
        if (chosen >= 0)
            QVERIFY(devices.at(chosen).endsWith(operations.portName()));
        for (int i = 0; i < int(engravers.size()); ++i)
            QTRY_COMPARE(engravers[i]->handshakes(), i < asked ? 1 : 0);
        if (chosen < 0) {
            QVERIFY(!operations.serialPort()->isOpen());
            if (end != "stop")
                operations.connectToBelow(false); // reported down all the same
        } else {
            QCOMPARE(openedDevice(operations), devices.at(chosen));
            operations.connectToBelow(true); // already up: changes nothing
            PtyEngraver &engraver = *engravers[size_t(chosen)];
            if (end == "B3") {
                engraver.send("B3");
            } else if (end == "hang-up") {
                engraver.hangUp();
            } else {
                operations.connectToBelow(false);
                QTRY_VERIFY(engraver.received().endsWith("$41"));
            }
            QTRY_COMPARE(link.count(), 2);
            QTRY_VERIFY(!operations.serialPort()->isOpen());
            QCOMPARE(operations.portName(), QString());
            // Later commands fail visibly in the log instead of vanishing.
            QTest::ignoreMessage(QtDebugMsg, "error");
            operations.serialWriteData("$31");
        }
        QCOMPARE(finished.count(), 1);

        // A new engraver can be connected, and its replies are read.
        PtyEngraver another;
        QVERIFY(connectTo(operations, another));
        another.send("F21");
        QTRY_COMPARE(status.count(), 1);
        QCOMPARE(status.at(0).at(0), QVariant("F21"));
        // Down exactly once in between.
        const QVariantList upAndDown
            = chosen < 0 ? QVariantList {11, 10} : QVariantList {10, 11, 10};
        QCOMPARE(firstArguments(link), upAndDown);
    }

    void exchange_data()
    {
        // The engraver's replies, one write each ("clear": the host calls
        // clearIndex), the statuses passed on, and the host's answers: for each
        // the job offset its bytes start at and their number, or {-1, 0} for "$33".
        QTest::addColumn<int>("jobSize");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<Answers>("answers");

        using R = QByteArrayList;
        using A = Answers;
        const QStringList none;
        const QPair<int, int> end {-1, 0};
        QTest::newRow("2500 bytes") << 2500 << R {"B1", "B1", "B1", "B1"} << none
                                    << A {{0, 1024}, {1024, 1024}, {2048, 452}, end};
        QTest::newRow("2500, resend after the last")
            << 2500 << R {"B1", "B1", "B1", "B2"} << none
            << A {{0, 1024}, {1024, 1024}, {2048, 452}, {2048, 452}};
        QTest::newRow("resend before the first chunk")
            << 2500 << R {"B2", "B1"} << none << A {{0, 0}, {0, 1024}};
        QTest::newRow("1024 bytes") << 1024 << R {"B1", "B1"} << none << A {{0, 1024}, end};
        QTest::newRow("1025 bytes")
            << 1025 << R {"B1", "B1", "B1"} << none << A {{0, 1024}, {1024, 1}, end};
        QTest::newRow("empty job") << 0 << R {"B1", "B2"} << none << A {end, end};
        QTest::newRow("clearIndex starts over") << 2500 << R {"B1", "B1", "clear", "B1"} << none
                                                << A {{0, 1024}, {1024, 1024}, {0, 1024}};
        // Statuses go on whole; replies back to back in one write each count.
        QTest::newRow("status with value and line end")
            << 0 << R {"F8 P0.250\r\n"} << QStringList {"F8 P0.250\r\n"} << A {};
        QTest::newRow("zero byte cuts a status")
            << 0 << R {QByteArray("F22\0junk", 8)} << QStringList {"F22"} << A {};
        QTest::newRow("status then data request")
            << 2500 << R {"F20B1"} << QStringList {"F20"} << A {{0, 1024}};
        QTest::newRow("zero byte, then two data requests")
            << 2500 << R {QByteArray("F20\0B1B1", 8)} << QStringList {"F20"}
            << A {{0, 1024}, {1024, 1024}};
    }

    void exchange()
    {
        QFETCH(int, jobSize);
        QFETCH(QByteArrayList, replies);
        QFETCH(QStringList, statuses);
        QFETCH(Answers, answers);

        QByteArray job(jobSize, '\0'); // never zero, so that padding shows
        for (int i = 0; i < jobSize; ++i)
            job[i] = char((i * 37 + 11) % 251 + 1);
        PtyEngraver engraver;
        Operations operations;
        operations.jobBuffer()->publish(QImage(), job, 0, 0, 0, 0);
        QVERIFY(connectTo(operations, engraver));
        engraver.clearReceived();
        QSignalSpy status(&operations, &Operations::toFrontStatus);
        QSignalSpy percent(&operations, &Operations::completePecent);

        for (const QByteArray &reply : replies) {
            if (reply == "clear")
                operations.clearIndex();
            else
                engraver.send(reply);
            // Once this status is seen, everything written before it is handled;
            // and once nothing waits to be written, a resend that follows
            // finds the answer before it gone, as it would on a real line.
            engraver.send("F99");
            QTRY_VERIFY(!status.isEmpty() && status.last().at(0) == "F99");
            status.removeLast();
            QTRY_COMPARE(operations.queuedMessages(), 0);
        }
        QCOMPARE(firstArguments(status), QVariant(statuses).toList());

        // Every chunk is 1024 bytes, zero-filled after its job bytes, and comes
        // with the share of the job before it; the send position ends after the
        // job bytes sent last (a resend leaves it there).
        QByteArray expected;
        QVariantList progress;
        quint32 position = 0;
        for (const QPair<int, int> &answer : answers) {
            if (answer.first < 0) {
                expected += "$33";
                continue;
            }
            expected
                += job.mid(answer.first, answer.second) + QByteArray(1024 - answer.second, '\0');
            progress.append(double(answer.first) / jobSize);
            position = quint32(answer.first + answer.second);
        }
        QTRY_COMPARE(engraver.received(), expected);
        QCOMPARE(firstArguments(percent), progress);
        QCOMPARE(operations.jobBuffer()->position(), position);
        QCOMPARE(operations.jobBuffer()->bytes(), job); // sending never changes the job
        QVERIFY(operations.serialPort()->isOpen());
    }

    void resume_data()
    {
        QTest::addColumn<QString>("end"); // how the link goes down
        QTest::newRow("engraver vanishes") << "hang-up";
        QTest::newRow("end of link") << "B3";
        QTest::newRow("user disconnects") << "$41";
    }

    // The link drops with a chunk on its way: the next engraver gets that
    // chunk again rather than a gap in the burn.
    void resume()
    {
        QFETCH(QString, end);
        QByteArray job(4 * 1024, '\0');
        for (int i = 0; i < job.size(); ++i)
            job[i] = char(i / 1024 * 50 + i % 13 + 1);
        const auto chunk = [&](int n) {
            return job.mid(n * 1024, 1024);
        };

        auto first = std::make_unique<PtyEngraver>();
        Operations operations;
        operations.jobBuffer()->publish(QImage(), job, 0, 0, 0, 0);
        QSignalSpy percent(&operations, &Operations::completePecent);
        QVERIFY(connectTo(operations, *first));
        first->clearReceived();
        first->send("B1");
        QTRY_VERIFY(first->received() == chunk(0));
        first->setReading(false); // chunk 1 is never read
        first->send("B1");
        QTRY_COMPARE(percent.count(), 2);
        if (end == "hang-up")
            first->hangUp();
        else if (end == "B3")
            first->send("B3");
        else
            operations.connectToBelow(false);
        QTRY_VERIFY(!operations.serialPort()->isOpen());
        first.reset();

        PtyEngraver second;
        QVERIFY(connectTo(operations, second));
        second.clearReceived();
        second.send("B1");
        QTRY_VERIFY(second.received() == chunk(1));
        second.send("B1");
        QTRY_VERIFY(second.received() == chunk(1) + chunk(2));
    }

    void stalledEngraver_data()
    {
        // In order: "B1"s the engraver sends in one write, and the page's commands.
        QTest::addColumn<QByteArrayList>("steps");
        // Commands clicked once the stall is reported; the queue keeps only
        // the first maxQueuedCommands of them.
        QTest::addColumn<int>("clicks");
        const QByteArray b1 = "B1";
        QTest::newRow("100 requests at once, clicks on")
            << QByteArrayList {b1.repeated(100)} << 100;
        QTest::newRow("page commands between requests")
            << QByteArrayList {b1.repeated(40), "$8 P0.500", b1.repeated(40),
                               "$31",           "$32",       b1.repeated(20)}
            << 0;
    }

    // An engraver that stops reading while it keeps asking for data: the
    // window goes on, the user is told, and once it reads again everything
    // arrives in order, each message handed to the port on its own.
    void stalledEngraver()
    {
        QFETCH(QByteArrayList, steps);
        QFETCH(int, clicks);
        int requests = 0;
        for (const QByteArray &step : steps)
            requests += step.startsWith("B1") ? step.size() / 2 : 0;
        QByteArray job((requests + 1) * 1024, '\0');
        for (int i = 0; i < job.size(); ++i)
            job[i] = char(i / 1024 % 200 + 1 + i % 7);

        PtyEngraver engraver;
        Operations operations;
        operations.jobBuffer()->publish(QImage(), job, 0, 0, 0, 0);
        QVERIFY(connectTo(operations, engraver));
        engraver.clearReceived();
        engraver.setReading(false);
        QSignalSpy link(&operations, &Operations::includeBackStatus);
        QSignalSpy stalled(&operations, &Operations::writeStalled);
        QSignalSpy percent(&operations, &Operations::completePecent);

        // A 5 ms timer on the window's thread; the worst gap between its
        // ticks is the longest the window was frozen. It also sees the most
        // the port ever held: more than a chunk would mean two messages in
        // one write.
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 worstGap = 0;
        qint64 mostInPort = 0;
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        ticker.setInterval(5);
        connect(&ticker, &QTimer::timeout, this, [&] {
            const qint64 now = clock.elapsed();
            worstGap = qMax(worstGap, now - last);
            last = now;
            mostInPort = qMax(mostInPort, operations.serialPort()->bytesToWrite());
        });
        // Up to now, so that a freeze the timer has not yet seen end counts.
        const auto longestFreeze = [&] {
            return qMax(worstGap, clock.elapsed() - last);
        };
        clock.start();
        ticker.start();

        QByteArray expected;
        int answered = 0;
        for (const QByteArray &step : steps) {
            if (!step.startsWith("B1")) {
                operations.serialWriteData(step);
                expected += step;
                continue;
            }
            engraver.send(step);
            for (int n = step.size() / 2; n > 0; --n, ++answered)
                expected += job.mid(answered * 1024, 1024);
            QTRY_COMPARE(percent.count(), answered);
        }
        // Generous: before writes were queued, this was 16.6 s.
        QVERIFY2(longestFreeze() < 500, qPrintable(QString::number(longestFreeze()) + " ms"));
        QTRY_COMPARE_WITH_TIMEOUT(stalled.count(), 1, 10000);
        QVERIFY(operations.engraverSilent());
        for (int click = 0; click < clicks; ++click) {
            const QByteArray command = "$8 P0." + QByteArray::number(100 + click);
            if (click < Operations::maxQueuedCommands)
                expected += command;
            else
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("command dropped"));
            operations.serialWriteData(command);
        }

        // Reading again: everything arrives, in order, and the link goes on.
        engraver.setReading(true);
        QTRY_COMPARE_WITH_TIMEOUT(engraver.received().size(), expected.size(), 10000);
        QVERIFY(engraver.received() == expected);
        engraver.send("B1");
        expected += job.mid(answered * 1024, 1024);
        QTRY_VERIFY(engraver.received() == expected);
        QVERIFY(!operations.engraverSilent());

        QVERIFY2(longestFreeze() < 500, qPrintable(QString::number(longestFreeze()) + " ms"));
        ticker.stop();
        QVERIFY(mostInPort <= 1024);
        QCOMPARE(stalled.count(), 1);
        QCOMPARE(link.count(), 0);
    }

    void repeatedRequestsWithoutReading_data()
    {
        QTest::addColumn<int>("jobSize");
        // Sent many times over after a first "B1", while nothing is read.
        QTest::addColumn<QByteArray>("flood");
        QTest::newRow("resends of the chunk") << 4096 << QByteArray("B2");
        QTest::newRow("data requests after the end") << 1024 << QByteArray("B1");
        QTest::newRow("both in turn after the end") << 1024 << QByteArray("B2B1");
    }

    // An engraver that repeats its request without reading what comes back
    // (a line gone wild): an answer already waiting to be written is not
    // queued again, so the queue stays as it is however long the flood
    // lasts, and what does arrive is whole answers, in order.
    void repeatedRequestsWithoutReading()
    {
        QFETCH(int, jobSize);
        QFETCH(QByteArray, flood);
        QByteArray job(jobSize, '\0');
        for (int i = 0; i < jobSize; ++i)
            job[i] = char(i / 1024 * 40 + i % 11 + 1);
        const QByteArray chunk = job.left(1024);

        PtyEngraver engraver;
        Operations operations;
        operations.jobBuffer()->publish(QImage(), job, 0, 0, 0, 0);
        QVERIFY(connectTo(operations, engraver));
        engraver.clearReceived();
        engraver.setReading(false);
        QSignalSpy status(&operations, &Operations::toFrontStatus);
        QSignalSpy percent(&operations, &Operations::completePecent);

        // Far more than the terminal takes in before its writer has to wait.
        const int repeats = 500;
        engraver.send("B1");
        engraver.send(flood.repeated(repeats));
        engraver.send("F99");
        QTRY_COMPARE(status.count(), 1);
        QVERIFY2(operations.queuedMessages() <= 2,
                 qPrintable(QString::number(operations.queuedMessages())));
        QCOMPARE(operations.jobBuffer()->position(), 1024u);

        // A command queued behind the answers marks the end of them.
        engraver.setReading(true);
        operations.serialWriteData("$8 P0.500");
        QTRY_VERIFY_WITH_TIMEOUT(engraver.received().endsWith("$8 P0.500"), 10000);
        QByteArray answers = engraver.received();
        answers.chop(9);
        QVERIFY(answers.startsWith(chunk));
        answers.remove(0, chunk.size());
        int chunks = 1;
        int ends = 0;
        while (!answers.isEmpty()) {
            if (answers.startsWith("$33")) {
                answers.remove(0, 3);
                ++ends;
            } else {
                QVERIFY2(answers.startsWith(chunk), "a broken or foreign answer");
                answers.remove(0, chunk.size());
                ++chunks;
            }
        }
        QVERIFY(chunks + ends <= 1 + repeats * (flood.size() / 2));
        QCOMPARE(percent.count(), chunks);
        QCOMPARE(ends > 0, flood.contains("B1"));
        QCOMPARE(chunks > 1, flood.contains("B2"));
    }

    void simulator_data()
    {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<QVariantList>("link"); // includeBackStatus values, in order
        // The program was killed mid-job, with the engraver waiting for a
        // chunk: the job runs without a request until stopped and started.
        QTest::addColumn<bool>("hostRestarted");
        QTest::newRow("well-behaved") << QStringList {} << QVariantList {10} << false;
        QTest::newRow("host restarted mid-job") << QStringList {} << QVariantList {10} << true;
        QTest::newRow("replies back to back")
            << QStringList {"--coalesce"} << QVariantList {10} << false;
        QTest::newRow("replies split") << QStringList {"--split"} << QVariantList {10} << false;
        QTest::newRow("no handshake answer")
            << QStringList {"--no-handshake"} << QVariantList {} << false;
        QTest::newRow("vanishes during a job")
            << QStringList {"--vanish-after", "2"} << QVariantList {10, 11} << false;
    }

    // A job sent to the simulator over its pseudo-terminal, in full or under a
    // fault. In full, its burn picture holds exactly the job's records, placed
    // where the job was started.
    void simulator()
    {
        QFETCH(QStringList, fault);
        QFETCH(QVariantList, link);
        QFETCH(bool, hostRestarted);
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("burn.png"));

        // 3001 scattered records (12004 bytes, so the last chunk is short).
        const QPoint origin(100, 200);
        QImage expected(1600, 1600, QImage::Format_Grayscale8); // the engraving area
        expected.fill(0);
        QRandomGenerator random(7);
        QByteArray job;
        for (int i = 0; i < 3001; ++i) {
            const int x = i % 97 * 13 % 1400;
            const int y = i / 97 * 11 + i % 3;
            const int intensity = 1 + random.bounded(255);
            // x's low byte, the high nibbles of x and y, y's low byte, intensity.
            const char record[] = {char(x), char(x >> 8 << 4 | y >> 8), char(y), char(intensity)};
            job.append(record, 4);
            expected.scanLine(origin.y() + y)[origin.x() + x] = uchar(intensity);
        }

        QProcess simulator;
        simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        simulator.start(QStringLiteral(ENGRAVER_SIM),
                        QStringList {"--rate", "0", "--quiet", "--png", png} + fault);
        QVERIFY(simulator.waitForReadyRead(5000));
        const QString device = QString::fromLocal8Bit(simulator.readLine().trimmed());

        if (hostRestarted) {
            // The session that was killed: the job started and its first
            // chunk asked for, never sent.
            QSerialPort killed(device);
            QVERIFY(killed.open(QIODevice::ReadWrite));
            killed.write("$30 P100 200 P2");
            QByteArray heard;
            while (!heard.contains("B1") && killed.waitForReadyRead(5000))
                heard += killed.readAll();
            QVERIFY(heard.contains("F20"));
            QVERIFY(heard.contains("B1"));
        }

        Operations operations;
        operations.jobBuffer()->publish(QImage(), job, 0, 0, 0, 0);
        QSignalSpy linkSpy(&operations, &Operations::includeBackStatus);
        QSignalSpy status(&operations, &Operations::toFrontStatus);
        QSignalSpy percent(&operations, &Operations::completePecent);
        QSignalSpy overdue(&operations, &Operations::dataRequestOverdueChanged);
        QCOMPARE(connectTo(operations, device), !link.isEmpty());
        if (hostRestarted) {
            // The engraver still waits for the old chunk: running, silent.
            operations.setDataRequestTimeout(300);
            operations.serialWriteData("$30 P100 200 P2");
            QTRY_VERIFY(operations.dataRequestOverdue());
            QCOMPARE(status.first().at(0).toString(), QStringLiteral("F20"));
            QCOMPARE(percent.count(), 0);
            // Stop forgets it, as the page rewinds the job.
            operations.serialWriteData("$32");
            QTRY_VERIFY(status.last().at(0) == "F22");
            operations.clearIndex();
            QVERIFY(!operations.dataRequestOverdue());
            operations.setDataRequestTimeout(10000);
            status.clear();
            overdue.clear();
        }
        if (!link.isEmpty())
            operations.serialWriteData("$30 P100 200 P2");

        if (link.size() == 1) {
            QTRY_VERIFY_WITH_TIMEOUT(!status.isEmpty() && status.last().at(0) == "F22", 20000);
            QCOMPARE(status.first().at(0).toString(), QStringLiteral("F20"));
            QCOMPARE(percent.count(), 12);
            QCOMPARE(percent.last().at(0).toDouble(), 11264.0 / 12004);
            QCOMPARE(operations.jobBuffer()->position(), 12004u);
            // Written before status 22.
            QCOMPARE(QImage(png).convertToFormat(QImage::Format_Grayscale8), expected);
            QCOMPARE(overdue.count(), 0);

            // The engraver's "B3" to the host's "$41" is still in the line when
            // the host connects again; it must not spoil the next handshake.
            operations.connectToBelow(false);
            QTest::qWait(200);
            QVERIFY(connectTo(operations, device));
            link += QVariantList {11, 10};
        }
        QTRY_COMPARE(linkSpy.count(), link.size());
        QTest::qWait(100); // and nothing more
        QCOMPARE(firstArguments(linkSpy), link);
        QCOMPARE(operations.serialPort()->isOpen(), !link.isEmpty() && link.last() == 10);

        simulator.terminate();
        QVERIFY(simulator.state() == QProcess::NotRunning || simulator.waitForFinished(5000));
        QCOMPARE(simulator.exitStatus(), QProcess::NormalExit);
    }

    void leaving_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::newRow("during a job") << true;
        QTest::newRow("without a link") << false;
    }

    // Leaving the program during a job: the stop, then the goodbye, each
    // its own write, and only then linkClosed.
    void leaving()
    {
        QFETCH(bool, linked);
        PtyEngraver engraver;
        Operations operations;
        if (linked)
            QVERIFY(connectTo(operations, engraver));
        engraver.clearReceived();
        QSignalSpy closed(&operations, &Operations::linkClosed);
        operations.stopAndDisconnect();
        QVERIFY(closed.count() == 1 || closed.wait(5000));
        // Written before linkClosed; the engraver's end reads it in its own time.
        QTRY_COMPARE(engraver.received(), linked ? QByteArray("$32$41") : QByteArray());
        QVERIFY(!operations.serialPort()->isOpen());
        QTest::qWait(50);
        QCOMPARE(closed.count(), 1);
    }

    void dataRequestWatch_data()
    {
        // The engraver's replies in order, and: "overdue" waits for the watch
        // to report the job overdue; "quiet" waits three times its time and
        // finds it not overdue; "reconnect" asks for a new link.
        QTest::addColumn<int>("jobSize");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QVariantList>("link"); // includeBackStatus after the first link
        using S = QStringList;
        const QVariantList up;
        QTest::newRow("running, nothing asked for") << 4096 << S {"F20", "overdue"} << up;
        QTest::newRow("a request clears it, the watch goes on")
            << 4096 << S {"F20", "overdue", "B1", "overdue"} << up;
        QTest::newRow("a resend counts") << 4096 << S {"F20", "overdue", "B2", "overdue"} << up;
        QTest::newRow("paused") << 4096 << S {"F20", "F21", "quiet"} << up;
        QTest::newRow("paused once overdue") << 4096 << S {"F20", "overdue", "F21", "quiet"} << up;
        QTest::newRow("stopped") << 4096 << S {"F20", "B1", "F22", "quiet"} << up;
        QTest::newRow("resumed") << 4096 << S {"F20", "F21", "F20", "overdue"} << up;
        QTest::newRow("all data sent") << 1024 << S {"F20", "B1", "B1", "quiet"} << up;
        QTest::newRow("not running") << 4096 << S {"B1", "quiet"} << up;
        QTest::newRow("link ended")
            << 4096 << S {"F20", "overdue", "B3", "quiet"} << QVariantList {11};
        QTest::newRow("reconnected")
            << 4096 << S {"F20", "overdue", "reconnect", "quiet"} << QVariantList {11, 10};
    }

    // A job the engraver reports running but asks nothing for (it waits for
    // a chunk that will never come) is noticed, and only while that lasts.
    void dataRequestWatch()
    {
        QFETCH(int, jobSize);
        QFETCH(QStringList, steps);
        QFETCH(QVariantList, link);
        PtyEngraver engraver;
        Operations operations;
        QCOMPARE(operations.dataRequestTimeout(), 10000);
        operations.setDataRequestTimeout(100);
        operations.jobBuffer()->publish(QImage(), QByteArray(jobSize, '\1'), 0, 0, 0, 0);
        QVERIFY(connectTo(operations, engraver));
        engraver.clearReceived();
        QSignalSpy linkSpy(&operations, &Operations::includeBackStatus);
        QSignalSpy status(&operations, &Operations::toFrontStatus);
        QSignalSpy searched(&operations, &Operations::searchFinished);
        // Every change, as it happens: with the watch this short, a cleared
        // state may be overdue again by the time the test looks.
        QList<bool> changes;
        connect(&operations, &Operations::dataRequestOverdueChanged, this,
                [&] { changes.append(operations.dataRequestOverdue()); });

        for (const QString &step : steps) {
            const int changed = changes.size();
            const bool wasOverdue = operations.dataRequestOverdue();
            if (step == "overdue") {
                QTRY_VERIFY(operations.dataRequestOverdue());
            } else if (step == "quiet") {
                QTest::qWait(3 * operations.dataRequestTimeout());
                QVERIFY(!operations.dataRequestOverdue());
            } else if (step == "reconnect") {
                operations.reconnect();
                QVERIFY(!operations.dataRequestOverdue());
                QVERIFY(searched.wait(5000));
                QCOMPARE(searched.last().at(0), QVariant(true));
            } else if (step == "B3") {
                engraver.send("B3");
                QTRY_VERIFY(!operations.serialPort()->isOpen());
            } else {
                // Handled once the status after it is.
                status.clear();
                engraver.send(step.toLatin1());
                engraver.send("F99");
                QTRY_VERIFY(!status.isEmpty() && status.last().at(0) == "F99");
                if (wasOverdue && step.startsWith("B"))
                    QVERIFY(changes.mid(changed).contains(false));
            }
        }
        QCOMPARE(firstArguments(linkSpy), link);
        if (steps.contains("reconnect")) // the goodbye went out before the search
            QTRY_VERIFY(engraver.received().contains("$41$40"));
    }

    // A search that finds nothing says so, naming a device the system
    // would not let the program open.
    void notFound()
    {
        PtyEngraver silent(QByteArray {});
        PtyEngraver locked;
        const bool root = ::geteuid() == 0;
        if (!root)
            QCOMPARE(::chmod(locked.device().toLocal8Bit().constData(), 0), 0);
        qputenv("VANDRA_SERIAL_PORTS",
                (silent.device() + ':' + (root ? QString() : locked.device())).toLocal8Bit());
        Operations operations;
        QSignalSpy notFound(&operations, &Operations::engraverNotFound);
        QSignalSpy finished(&operations, &Operations::searchFinished);
        operations.connectToBelow(true);
        QVERIFY(finished.wait(5000));
        QCOMPARE(notFound.count(), 1);
        QCOMPARE(notFound.at(0).at(0).toString(), root ? QString() : locked.device());
        if (root)
            QSKIP("root may open any device: the permission case needs an ordinary user");
    }
};

QTEST_MAIN(tst_Operations)
#include "tst_operations.moc"
