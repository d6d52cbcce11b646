#include "engraver/protocol.h"

#include <QtTest>

#include <climits>
#include <cmath>

using namespace Protocol;

Q_DECLARE_METATYPE(Protocol::ReplyKind)

class tst_Protocol : public QObject
{
    Q_OBJECT
private slots:
    void classify_data();
    void classify();
    void replyText_data();
    void replyText();
    void handshakeAnswer_data();
    void handshakeAnswer();
    void split_data();
    void split();
    void splitCarriesBareStart_data();
    void splitCarriesBareStart();
    void statusNumber_data();
    void statusNumber();
    void statusValue_data();
    void statusValue();
    void plan_data();
    void plan();
    void chunkLayout_data();
    void chunkLayout();
};

void tst_Protocol::classify_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ReplyKind>("kind");

    QTest::newRow("status") << "F20" << ReplyKind::Status;
    QTest::newRow("bare F") << "F" << ReplyKind::Status;
    QTest::newRow("F before B") << "FB1" << ReplyKind::Status;
    QTest::newRow("data request") << "B1" << ReplyKind::DataRequest;
    QTest::newRow("B10 after the handshake") << "B10" << ReplyKind::DataRequest;
    QTest::newRow("B1 and more") << "B1xyz" << ReplyKind::DataRequest;
    QTest::newRow("resend") << "B2" << ReplyKind::ResendRequest;
    QTest::newRow("end of link") << "B3" << ReplyKind::EndOfLink;
    QTest::newRow("B alone") << "B" << ReplyKind::Ignored;
    QTest::newRow("B4") << "B4" << ReplyKind::Ignored;
    QTest::newRow("B0") << "B0" << ReplyKind::Ignored;
    QTest::newRow("lower case") << "b1" << ReplyKind::Ignored;
    QTest::newRow("leading blank") << " F20" << ReplyKind::Ignored;
    QTest::newRow("empty") << "" << ReplyKind::Ignored;
}

void tst_Protocol::classify()
{
    QFETCH(QString, text);
    QFETCH(ReplyKind, kind);
    QCOMPARE(classifyReply(text), kind);
}

void tst_Protocol::replyText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << QByteArray("F8 P0.250") << "F8 P0.250";
    QTest::newRow("cut at zero") << QByteArray("F20\0F21", 7) << "F20";
    QTest::newRow("zero first") << QByteArray("\0F20", 4) << "";
    QTest::newRow("UTF-8") << QByteArray("F\xe9\xa3\x8e") << QString::fromUtf8("F风");
}

void tst_Protocol::replyText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Protocol::replyText(bytes), text);
}

void tst_Protocol::handshakeAnswer_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("prefix");

    QTest::newRow("B10") << QByteArray("B10") << true << false;
    QTest::newRow("B10x") << QByteArray("B10x") << true << false;
    QTest::newRow("b10") << QByteArray("b10") << false << false;
    QTest::newRow(" B10") << QByteArray(" B10") << false << false;
    QTest::newRow("B") << QByteArray("B") << false << true;
    QTest::newRow("B1") << QByteArray("B1") << false << true;
    QTest::newRow("B2") << QByteArray("B2") << false << false;
    QTest::newRow("empty") << QByteArray() << false << false;
}

void tst_Protocol::handshakeAnswer()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, answer);
    QFETCH(bool, prefix);
    QCOMPARE(isHandshakeAnswer(bytes), answer);
    QCOMPARE(isHandshakeAnswerPrefix(bytes), prefix);
}

void tst_Protocol::split_data()
{
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArrayList>("replies");

    QTest::newRow("one status") << QByteArray("F20") << QByteArrayList {"F20"};
    QTest::newRow("one value") << QByteArray("F8 P0.250") << QByteArrayList {"F8 P0.250"};
    QTest::newRow("one with line end") << QByteArray("F20\r\n") << QByteArrayList {"F20\r\n"};
    QTest::newRow("one with noise") << QByteArray("B1xyz") << QByteArrayList {"B1xyz"};
    QTest::newRow("noise only") << QByteArray("hello") << QByteArrayList {"hello"};
    QTest::newRow("status then request") << QByteArray("F20B1") << QByteArrayList {"F20", "B1"};
    QTest::newRow("three") << QByteArray("F21F22B3") << QByteArrayList {"F21", "F22", "B3"};
    QTest::newRow("zero byte ends a reply") << QByteArray("F20\0junk", 8) << QByteArrayList {"F20"};
    QTest::newRow("zero bytes between")
        << QByteArray("F20\0\0B1\0", 8) << QByteArrayList {"F20", "B1"};
    QTest::newRow("lines") << QByteArray("F20\nF21\r\n") << QByteArrayList {"F20\n", "F21\r\n"};
    QTest::newRow("noise after a line") << QByteArray("F20\nok") << QByteArrayList {"F20\n", "ok"};
    QTest::newRow("empty lines dropped")
        << QByteArray("\r\n\r\nF20\n\n") << QByteArrayList {"F20\n\n"};
    QTest::newRow("empty") << QByteArray() << QByteArrayList {};
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

    QTest::newRow("request split after B")
        << QByteArrayList {"B", "1"} << QByteArrayList {"B1"} << QByteArray();
    QTest::newRow("status split after F")
        << QByteArrayList {"F", "20"} << QByteArrayList {"F20"} << QByteArray();
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

void tst_Protocol::statusNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");

    QTest::newRow("20") << "F20" << 20;
    QTest::newRow("with value") << "F8 P0.250" << 8;
    QTest::newRow("blanks skipped") << "F  22" << 22;
    QTest::newRow("stops at non-digit") << "F22x5" << 22;
    QTest::newRow("line end") << "F21\r\n" << 21;
    QTest::newRow("no digits") << "F" << -1;
    QTest::newRow("letters") << "Fx" << -1;
    QTest::newRow("sign is no digit") << "F-6" << -1;
    QTest::newRow("not a status") << "B1" << -1;
    QTest::newRow("huge") << "F99999999999999999999" << INT_MAX;
}

void tst_Protocol::statusNumber()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(Protocol::statusNumber(text), number);
}

void tst_Protocol::statusValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");

    QTest::newRow("power") << "F8 P0.250" << true << 0.25;
    QTest::newRow("depth full") << "F9 P1.000" << true << 1.0;
    QTest::newRow("blanks") << "F8 P  0.5" << true << 0.5;
    QTest::newRow("first P counts") << "F8 P0.1 P0.9" << true << 0.1;
    QTest::newRow("no leading digit") << "F8 P.75" << true << 0.75;
    QTest::newRow("negative") << "F8 P-0.5" << true << -0.5;
    QTest::newRow("stops at junk") << "F8 P0.3abc" << true << 0.3;
    QTest::newRow("no P") << "F8" << false << 0.0;
    QTest::newRow("nothing after P") << "F8 P" << false << 0.0;
    QTest::newRow("dot only") << "F8 P." << false << 0.0;
}

void tst_Protocol::statusValue()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    bool converted = !ok;
    QCOMPARE(Protocol::statusValue(text, &converted), value);
    QCOMPARE(converted, ok);
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

    QTest::newRow("first of 2500") << 2500u << 0u << 1 << false << 0u << 1024u << 1024u << 0.0;
    QTest::newRow("second of 2500")
        << 2500u << 1024u << 1 << false << 1024u << 1024u << 2048u << 0.4096;
    QTest::newRow("last of 2500") << 2500u << 2048u << 1 << false << 2048u << 452u << 2500u
                                  << 0.8192;
    QTest::newRow("after 2500") << 2500u << 2500u << 1 << true << 0u << 0u << 2500u << 1.0;
    QTest::newRow("resend second")
        << 2500u << 2048u << 2 << false << 1024u << 1024u << 2048u << 0.4096;
    QTest::newRow("resend short last")
        << 2500u << 2500u << 2 << false << 2048u << 452u << 2500u << 0.8192;
    QTest::newRow("resend before first") << 2500u << 0u << 2 << false << 0u << 0u << 0u << 0.0;
    QTest::newRow("resend whole 1024")
        << 1024u << 1024u << 2 << false << 0u << 1024u << 1024u << 0.0;
    QTest::newRow("empty job") << 0u << 0u << 1 << true << 0u << 0u << 0u << 0.0;
    QTest::newRow("empty job resend") << 0u << 0u << 2 << true << 0u << 0u << 0u << 0.0;
    QTest::newRow("1025, second") << 1025u << 1024u << 1 << false << 1024u << 1u << 1025u
                                  << 1024.0 / 1025;
    // A position past the end (the job replaced under it) neither wraps
    // nor reads beyond the job.
    QTest::newRow("position past the end") << 100u << 5000u << 1 << true << 0u << 0u << 100u << 1.0;
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

void tst_Protocol::chunkLayout_data()
{
    QTest::addColumn<int>("jobSize");
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<int>("jobBytes"); // expected job bytes before the zeros

    QTest::newRow("full") << 4096 << 1024u << 1024u << 1024;
    QTest::newRow("short last") << 2500 << 2048u << 452u << 452;
    QTest::newRow("one byte") << 1025 << 1024u << 1u << 1;
    QTest::newRow("none") << 100 << 0u << 0u << 0;
    QTest::newRow("length past the job") << 100 << 50u << 1024u << 50;
    QTest::newRow("start past the job") << 100 << 200u << 10u << 0;
}

void tst_Protocol::chunkLayout()
{
    QFETCH(int, jobSize);
    QFETCH(quint32, start);
    QFETCH(quint32, length);
    QFETCH(int, jobBytes);

    QByteArray job(jobSize, '\0');
    for (int i = 0; i < jobSize; ++i)
        job[i] = char(i % 255 + 1);
    const QByteArray chunk = buildChunk(job, start, length);
    QCOMPARE(chunk.size(), 1024);
    QCOMPARE(chunk.left(jobBytes), job.mid(int(start), jobBytes));
    QCOMPARE(chunk.mid(jobBytes), QByteArray(1024 - jobBytes, '\0'));
}

QTEST_APPLESS_MAIN(tst_Protocol)
#include "tst_protocol.moc"
