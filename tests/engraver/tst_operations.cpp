#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "engraver/screenimageprovide.h"
#include "ptyengraver.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Job bytes that are never zero, so that padding shows.
QByteArray makeJob(int size)
{
    QByteArray job(size, '\0');
    for (int i = 0; i < size; ++i)
        job[i] = char((i * 37 + 11) % 251 + 1);
    return job;
}

void useJob(const QByteArray &job)
{
    clearJobBytes();
    appendJobBytes(job);
}

void usePorts(const QStringList &devices)
{
    qputenv("VANDRA_SERIAL_PORTS", devices.join(QLatin1Char(':')).toLocal8Bit());
}

// Sends a status the test can wait for: once it is seen, everything written
// before it has been handled.
void settle(PtyEngraver &engraver, QSignalSpy &statuses)
{
    const int before = statuses.count();
    engraver.send("F99");
    QTRY_VERIFY(statuses.count() > before);
    QCOMPARE(statuses.last().at(0).toString(), QStringLiteral("F99"));
    statuses.removeLast();
}

using Answers = QList<QPair<int, int>>;

QString openedDevice(const Operations &operations)
{
    // Qt keeps "/dev/pts/3" as "pts/3".
    const QString name = operations.serialPort->portName();
    return name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
}

} // namespace

class tst_Operations : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void screenProvider();
    void handshake_data();
    void handshake();
    void disconnectAlwaysReportsDown_data();
    void disconnectAlwaysReportsDown();
    void replies_data();
    void replies();
    void upload_data();
    void upload();
    void endOfLinkStopsReading();
    void vanishedEngraverTakesLinkDown();

private:
    bool connectTo(Operations &operations, PtyEngraver &engraver);
};

void tst_Operations::init()
{
    clearJobBytes();
    qunsetenv("VANDRA_SERIAL_PORTS");
}

bool tst_Operations::connectTo(Operations &operations, PtyEngraver &engraver)
{
    usePorts({engraver.device()});
    operations.connectToBelow(true);
    return operations.serialPort->isOpen() && openedDevice(operations) == engraver.device();
}

void tst_Operations::screenProvider()
{
    Operations operations;
    QSignalSpy loaded(&operations, &Operations::finishedLoad);
    QSize size;
    const QImage blank = operations.imageProvider->requestImage("x", &size, QSize(10, 10));
    QCOMPARE(size, QSize(680, 680));
    QCOMPARE(blank.format(), QImage::Format_ARGB32);
    QCOMPARE(blank.pixel(679, 679), 0xFFFFFFFFu);

    QImage preview(30, 20, QImage::Format_RGB32);
    preview.fill(Qt::gray);
    setJobPreview(preview);
    setJobBounds(70000, 5, 10, 20);
    for (const char *id : {"image10", "image11"}) {
        operations.finishedLoadProcess();
        // Never scaled, whatever the id and the requested size.
        QCOMPARE(operations.imageProvider->requestImage(id, &size, QSize(680, 680)), preview);
        QCOMPARE(size, QSize(30, 20));
    }
    QCOMPARE(loaded.count(), 2);
    QCOMPARE(loaded.at(1), (QVariantList {4464, 5, 10, 20}));
}

void tst_Operations::handshake_data()
{
    QTest::addColumn<QByteArrayList>("answers"); // one port each; "" stays silent
    QTest::addColumn<int>("chosen"); // -1: none

    QTest::newRow("only the second of two answers") << QByteArrayList {"", "B10"} << 1;
    QTest::newRow("more after B10") << QByteArrayList {"B10x"} << 0;
    QTest::newRow("lower case") << QByteArrayList {"b10"} << -1;
    QTest::newRow("leading blank") << QByteArrayList {" B10"} << -1;
    QTest::newRow("B1 only") << QByteArrayList {"B1"} << -1;
    QTest::newRow("nobody answers") << QByteArrayList {"", ""} << -1;
}

void tst_Operations::handshake()
{
    QFETCH(QByteArrayList, answers);
    QFETCH(int, chosen);

    std::vector<std::unique_ptr<PtyEngraver>> engravers;
    QStringList devices;
    for (const QByteArray &answer : answers) {
        engravers.push_back(std::make_unique<PtyEngraver>(answer));
        QVERIFY(engravers.back()->isValid());
        devices.append(engravers.back()->device());
    }
    usePorts(devices);

    Operations operations;
    QSignalSpy link(&operations, &Operations::includeBackStatus);
    operations.connectToBelow(true);

    const int asked = chosen < 0 ? engravers.size() : chosen + 1;
    for (int i = 0; i < int(engravers.size()); ++i)
        QTRY_COMPARE(engravers[i]->handshakes(), i < asked ? 1 : 0);
    if (chosen < 0) {
        QCOMPARE(link.count(), 0);
        QVERIFY(!operations.serialPort->isOpen());
        return;
    }
    QCOMPARE(link.count(), 1);
    QCOMPARE(link.at(0).at(0).toInt(), 10);
    QVERIFY(operations.serialPort->isOpen());
    QCOMPARE(openedDevice(operations), devices.at(chosen));

    // Already up: a second search changes nothing.
    operations.connectToBelow(true);
    QCOMPARE(link.count(), 1);
    QVERIFY(operations.serialPort->isOpen());
}

void tst_Operations::disconnectAlwaysReportsDown_data()
{
    QTest::addColumn<bool>("connected");
    QTest::newRow("link up") << true;
    QTest::newRow("link down") << false;
}

void tst_Operations::disconnectAlwaysReportsDown()
{
    QFETCH(bool, connected);
    PtyEngraver engraver;
    Operations operations;
    if (connected)
        QVERIFY(connectTo(operations, engraver));
    QSignalSpy link(&operations, &Operations::includeBackStatus);

    operations.connectToBelow(false);
    QCOMPARE(link.count(), 1);
    QCOMPARE(link.at(0).at(0).toInt(), 11);
    QVERIFY(!operations.serialPort->isOpen());
    if (connected)
        QTRY_VERIFY(engraver.received().endsWith("$41"));

    // The link can be made again afterwards.
    if (connected)
        QVERIFY(connectTo(operations, engraver));
}

void tst_Operations::replies_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("statuses"); // passed on by toFrontStatus
    QTest::addColumn<int>("chunks"); // data chunks sent in answer

    QTest::newRow("status with value") << QByteArray("F8 P0.250") << QStringList {"F8 P0.250"} << 0;
    QTest::newRow("zero byte cuts a status")
        << QByteArray("F22\0junk", 8) << QStringList {"F22"} << 0;
    QTest::newRow("line end stays") << QByteArray("F21\r\n") << QStringList {"F21\r\n"} << 0;
    QTest::newRow("B10 while up is a data request") << QByteArray("B10") << QStringList {} << 1;
    QTest::newRow("B alone") << QByteArray("B") << QStringList {} << 0;
    QTest::newRow("noise") << QByteArray("hello") << QStringList {} << 0;
    // Back to back in one read: each one counts.
    QTest::newRow("status then data request") << QByteArray("F20B1") << QStringList {"F20"} << 1;
    QTest::newRow("separated by a zero byte")
        << QByteArray("F20\0B1", 6) << QStringList {"F20"} << 1;
    QTest::newRow("two data requests") << QByteArray("B1B1") << QStringList {} << 2;
}

void tst_Operations::replies()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, statuses);
    QFETCH(int, chunks);

    useJob(makeJob(4096));
    PtyEngraver engraver;
    Operations operations;
    QVERIFY(connectTo(operations, engraver));
    engraver.clearReceived();
    QSignalSpy status(&operations, &Operations::toFrontStatus);
    QSignalSpy link(&operations, &Operations::includeBackStatus);

    engraver.send(reply);
    settle(engraver, status);

    QStringList seen;
    for (const QVariantList &args : qAsConst(status))
        seen.append(args.at(0).toString());
    QCOMPARE(seen, statuses);
    QTRY_COMPARE(engraver.received().size(), chunks * 1024);
    QCOMPARE(jobBuffer.position, quint32(chunks * 1024));
    QCOMPARE(link.count(), 0);
    QVERIFY(operations.serialPort->isOpen());
}

void tst_Operations::upload_data()
{
    // Each request is '1' (data request "B1"), '2' (resend "B2") or 'c'
    // (clearIndex). Each answer is the job offset its bytes start at and
    // the number of job bytes, or {-1, 0} for "$33".
    QTest::addColumn<int>("jobSize");
    QTest::addColumn<QByteArray>("requests");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QList<double>>("progress");
    QTest::addColumn<quint32>("position");

    using A = Answers;
    using P = QList<double>;
    const QPair<int, int> end {-1, 0};
    QTest::newRow("2500 bytes") << 2500 << QByteArray("1111")
                                << A {{0, 1024}, {1024, 1024}, {2048, 452}, end}
                                << P {0, 0.4096, 0.8192} << 2500u;
    QTest::newRow("2500, resend after the second")
        << 2500 << QByteArray("112") << A {{0, 1024}, {1024, 1024}, {1024, 1024}}
        << P {0, 0.4096, 0.4096} << 2048u;
    QTest::newRow("2500, resend after the last")
        << 2500 << QByteArray("1112") << A {{0, 1024}, {1024, 1024}, {2048, 452}, {2048, 452}}
        << P {0, 0.4096, 0.8192, 0.8192} << 2500u;
    QTest::newRow("resend before the first chunk")
        << 2500 << QByteArray("21") << A {{0, 0}, {0, 1024}} << P {0, 0} << 1024u;
    QTest::newRow("1024 bytes") << 1024 << QByteArray("11") << A {{0, 1024}, end} << P {0} << 1024u;
    QTest::newRow("1025 bytes") << 1025 << QByteArray("111") << A {{0, 1024}, {1024, 1}, end}
                                << P {0, 1024.0 / 1025} << 1025u;
    QTest::newRow("empty job") << 0 << QByteArray("12") << A {end, end} << P {} << 0u;
    QTest::newRow("clearIndex starts over")
        << 2500 << QByteArray("11c1") << A {{0, 1024}, {1024, 1024}, {0, 1024}} << P {0, 0.4096, 0}
        << 1024u;
}

void tst_Operations::upload()
{
    QFETCH(int, jobSize);
    QFETCH(QByteArray, requests);
    QFETCH(Answers, answers);
    QFETCH(QList<double>, progress);
    QFETCH(quint32, position);

    const QByteArray job = makeJob(jobSize);
    useJob(job);
    PtyEngraver engraver;
    Operations operations;
    QVERIFY(connectTo(operations, engraver));
    engraver.clearReceived();
    QSignalSpy percent(&operations, &Operations::completePecent);

    int answer = 0;
    for (char request : requests) {
        if (request == 'c') {
            operations.clearIndex();
            QCOMPARE(jobBuffer.position, 0u);
            continue;
        }
        engraver.send(request == '1' ? "B1" : "B2");
        const QPair<int, int> expected = answers.at(answer++);
        const int size = expected.first < 0 ? 3 : 1024;
        QTRY_COMPARE(engraver.received().size(), size);
        const QByteArray sent = engraver.received();
        engraver.clearReceived();
        if (expected.first < 0) {
            QCOMPARE(sent, QByteArray("$33"));
            continue;
        }
        QByteArray wanted = job.mid(expected.first, expected.second);
        wanted.append(QByteArray(1024 - expected.second, '\0'));
        QCOMPARE(sent, wanted);
    }
    QCOMPARE(answer, answers.size());
    QCOMPARE(percent.count(), progress.size());
    for (int i = 0; i < progress.size(); ++i)
        QCOMPARE(percent.at(i).at(0).toDouble(), progress.at(i));
    QCOMPARE(jobBuffer.position, position);
    QCOMPARE(jobBuffer.bytes, job); // sending never changes the job
}

void tst_Operations::endOfLinkStopsReading()
{
    PtyEngraver engraver;
    Operations operations;
    QVERIFY(connectTo(operations, engraver));
    QSignalSpy link(&operations, &Operations::includeBackStatus);
    QSignalSpy status(&operations, &Operations::toFrontStatus);

    engraver.send("B3");
    QTRY_COMPARE(link.count(), 1);
    QCOMPARE(link.at(0).at(0).toInt(), 11);
    QVERIFY(!operations.serialPort->isOpen());

    engraver.send("F20");
    QTest::qWait(150);
    QCOMPARE(status.count(), 0);

    // Until the next connection, which reads again.
    QVERIFY(connectTo(operations, engraver));
    engraver.send("F21");
    QTRY_COMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("F21"));
}

void tst_Operations::vanishedEngraverTakesLinkDown()
{
    auto engraver = std::make_unique<PtyEngraver>();
    Operations operations;
    QVERIFY(connectTo(operations, *engraver));
    QSignalSpy link(&operations, &Operations::includeBackStatus);

    engraver->hangUp();
    QTRY_COMPARE(link.count(), 1);
    QCOMPARE(link.at(0).at(0).toInt(), 11);
    QVERIFY(!operations.serialPort->isOpen());

    // Later commands fail visibly in the log instead of vanishing, and the
    // link is not reported down twice.
    QTest::ignoreMessage(QtDebugMsg, "error");
    operations.serialWriteData("$31");
    QTest::qWait(100);
    QCOMPARE(link.count(), 1);

    // A new engraver can be connected.
    PtyEngraver another;
    QVERIFY(connectTo(operations, another));
}

QTEST_MAIN(tst_Operations)
#include "tst_operations.moc"
