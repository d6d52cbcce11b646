#include "engraver/protocol.h"

#include <QtTest>

#include <climits>

using namespace Protocol;

Q_DECLARE_METATYPE(Protocol::ReplyKind)

class tst_Protocol : public QObject
{
    Q_OBJECT
private slots:
    void classify_data();
    void classify();
    void split_data();
    void split();
    void splitCarriesBareStart_data();
    void splitCarriesBareStart();
    void status_data();
    void status();
    void plan_data();
    void plan();
};

void tst_Protocol::classify_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ReplyKind>("kind");

    QTest::newRow("status") << "F20" << ReplyKind::Status;
    QTest::newRow("F before B") << "FB1" << ReplyKind::Status;
    QTest::newRow("B10 after the handshake") << "B10" << ReplyKind::DataRequest;
    QTest::newRow("resend") << "B2" << ReplyKind::ResendRequest;
    QTest::newRow("end of link") << "B3x" << ReplyKind::EndOfLink;
    QTest::newRow("B alone") << "B" << ReplyKind::Ignored;
    QTest::newRow("B4") << "B4" << ReplyKind::Ignored;
    QTest::newRow("lower case") << "b1" << ReplyKind::Ignored;
    QTest::newRow("leading blank") << " F20" << ReplyKind::Ignored;
}

void tst_Protocol::classify()
{
    QFETCH(QString, text);
    QFETCH(ReplyKind, kind);
    QCOMPARE(classifyReply(text), kind);
}

void tst_Protocol::split_data()
{
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArrayList>("replies");

    // A read holding one reply comes back whole.
    QTest::newRow("one value") << QByteArray("F8 P0.250") << QByteArrayList {"F8 P0.250"};
    QTest::newRow("one with line end") << QByteArray("F20\r\n") << QByteArrayList {"F20\r\n"};
    QTest::newRow("noise only") << QByteArray("hello") << QByteArrayList {"hello"};
    QTest::newRow("three") << QByteArray("F21F22B3") << QByteArrayList {"F21", "F22", "B3"};
    QTest::newRow("zero byte ends a reply") << QByteArray("F20\0junk", 8) << QByteArrayList {"F20"};
    QTest::newRow("zero bytes between")
        << QByteArray("F20\0\0B1\0", 8) << QByteArrayList {"F20", "B1"};
    QTest::newRow("lines") << QByteArray("F20\nF21\r\n") << QByteArrayList {"F20\n", "F21\r\n"};
    QTest::newRow("noise after a line") << QByteArray("F20\nok") << QByteArrayList {"F20\n", "ok"};
    QTest::newRow("empty lines dropped")
        << QByteArray("\r\n\r\nF20\n\n") << QByteArrayList {"F20\n\n"};
    QTest::newRow("only a zero byte") << QByteArray("\0", 1) << QByteArrayList {};
}

void tst_Protocol::split()
{
    QFETCH(QByteArray, read);
    QFETCH(QByteArrayList, replies);
    QCOMPARE(splitReplies(read), replies);
}

void tst_Protocol::splitCarriesBareStart_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<QByteArrayList>("replies");
    QTest::addColumn<QByteArray>("left");

    QTest::newRow("split after B")
        << QByteArrayList {"B", "1"} << QByteArrayList {"B1"} << QByteArray();
    QTest::newRow("bare B then a status")
        << QByteArrayList {"B", "F20"} << QByteArrayList {"B", "F20"} << QByteArray();
    QTest::newRow("trailing bare start")
        << QByteArrayList {"F20B"} << QByteArrayList {"F20"} << QByteArray("B");
    QTest::newRow("longer pieces stay apart")
        << QByteArrayList {"F2", "0"} << QByteArrayList {"F2", "0"} << QByteArray();
}

void tst_Protocol::splitCarriesBareStart()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(QByteArrayList, replies);
    QFETCH(QByteArray, left);
    QByteArray pending;
    QByteArrayList all;
    for (const QByteArray &read : reads)
        all += splitReplies(read, &pending);
    QCOMPARE(all, replies);
    QCOMPARE(pending, left);
}

void tst_Protocol::status_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("hasValue");
    QTest::addColumn<double>("value");

    QTest::newRow("plain") << "F20" << 20 << false << 0.0;
    QTest::newRow("power") << "F8 P0.250" << 8 << true << 0.25;
    QTest::newRow("blanks skipped") << "F  9 P  1.000" << 9 << true << 1.0;
    QTest::newRow("digits up to junk") << "F22x5 P0.3abc" << 22 << true << 0.3;
    QTest::newRow("first P counts") << "F8 P.1 P0.9" << 8 << true << 0.1;
    QTest::newRow("negative value") << "F8 P-0.5" << 8 << true << -0.5;
    QTest::newRow("nothing after P") << "F8 P." << 8 << false << 0.0;
    QTest::newRow("no digits") << "F P1" << -1 << true << 1.0;
    QTest::newRow("sign is no digit") << "F-6" << -1 << false << 0.0;
    QTest::newRow("not a status") << "B1" << -1 << false << 0.0;
    QTest::newRow("huge") << "F99999999999999999999" << INT_MAX << false << 0.0;
}

void tst_Protocol::status()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(bool, hasValue);
    QFETCH(double, value);
    QCOMPARE(statusNumber(text), number);
    bool ok = !hasValue;
    QCOMPARE(statusValue(text, &ok), value);
    QCOMPARE(ok, hasValue);
}

void tst_Protocol::plan_data()
{
    QTest::addColumn<quint32>("size");
    QTest::addColumn<quint32>("position");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("end");
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<quint32>("next");
    QTest::addColumn<double>("progress");

    QTest::newRow("resend short last")
        << 2500u << 2500u << 2 << false << 2048u << 452u << 2500u << 0.8192;
    QTest::newRow("resend before first") << 2500u << 0u << 2 << false << 0u << 0u << 0u << 0.0;
    // A position past the end (the job replaced under it) neither wraps
    // nor reads beyond the job.
    QTest::newRow("data past the end") << 100u << 5000u << 1 << true << 0u << 0u << 100u << 1.0;
    QTest::newRow("resend past the end")
        << 100u << 5000u << 2 << false << 0u << 100u << 100u << 0.0;
}

void tst_Protocol::plan()
{
    QFETCH(quint32, size);
    QFETCH(quint32, position);
    QFETCH(int, mode);
    QFETCH(bool, end);
    QFETCH(quint32, start);
    QFETCH(quint32, length);
    QFETCH(quint32, next);
    QFETCH(double, progress);

    const ChunkPlan plan = planChunk(size, position, mode);
    QCOMPARE(plan.endOfData, end);
    QCOMPARE(plan.nextPosition, next);
    QCOMPARE(plan.progress, progress);
    if (!end) {
        QCOMPARE(plan.start, start);
        QCOMPARE(plan.length, length);
    }
}

QTEST_APPLESS_MAIN(tst_Protocol)
#include "tst_protocol.moc"
