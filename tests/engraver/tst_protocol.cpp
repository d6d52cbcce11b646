#include "engraver/protocol.h"

#include <QtTest>

#include <climits>

using namespace Protocol;

Q_DECLARE_METATYPE(Protocol::ReplyKind)

class tst_Protocol : public QObject
{
    Q_OBJECT
private slots:
    void reply_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<ReplyKind>("kind");
        QTest::addColumn<int>("number"); // status number
        QTest::addColumn<double>("value"); // after "P"; NaN: none

        const double none = qQNaN();
        const ReplyKind status = ReplyKind::Status;
        QTest::newRow("plain status") << "F20" << status << 20 << none;
        QTest::newRow("power") << "F8 P0.250" << status << 8 << 0.25;
        QTest::newRow("blanks skipped") << "F  9 P  1.000" << status << 9 << 1.0;
        QTest::newRow("digits up to junk") << "F22x5 P0.3abc" << status << 22 << 0.3;
        QTest::newRow("first P counts") << "F8 P.1 P0.9" << status << 8 << 0.1;
        QTest::newRow("negative value") << "F8 P-0.5" << status << 8 << -0.5;
        QTest::newRow("nothing after P") << "F8 P." << status << 8 << none;
        QTest::newRow("no digits") << "F P1" << status << -1 << 1.0;
        QTest::newRow("sign is no digit") << "F-6" << status << -1 << none;
        QTest::newRow("huge") << "F99999999999999999999" << status << INT_MAX << none;
        QTest::newRow("F before B") << "FB1" << status << -1 << none;
        QTest::newRow("B10 after the handshake") << "B10" << ReplyKind::DataRequest << -1 << none;
        QTest::newRow("resend") << "B2" << ReplyKind::ResendRequest << -1 << none;
        QTest::newRow("end of link") << "B3x" << ReplyKind::EndOfLink << -1 << none;
        QTest::newRow("B4") << "B4" << ReplyKind::Ignored << -1 << none;
        QTest::newRow("lower case") << "b1" << ReplyKind::Ignored << -1 << none;
        QTest::newRow("leading blank") << " F20" << ReplyKind::Ignored << -1 << none;
    }

    void reply()
    {
        QFETCH(QString, text);
        QFETCH(ReplyKind, kind);
        QFETCH(int, number);
        QFETCH(double, value);
        QCOMPARE(classifyReply(text), kind);
        QCOMPARE(statusNumber(text), number);
        bool ok = false;
        const double read = statusValue(text, &ok);
        QCOMPARE(ok, !qIsNaN(value));
        QCOMPARE(read, ok ? value : 0.0);
    }

    void split_data()
    {
        QTest::addColumn<QByteArrayList>("reads"); // one after the other
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QByteArray>("left"); // carried over to the next read

        using L = QByteArrayList;
        // A read holding one reply comes back whole.
        QTest::newRow("one with line end") << L {"F20\r\n"} << L {"F20\r\n"} << QByteArray();
        QTest::newRow("three") << L {"F21F22B3"} << L {"F21", "F22", "B3"} << QByteArray();
        QTest::newRow("zero byte ends a reply")
            << L {QByteArray("F20\0junk", 8)} << L {"F20"} << QByteArray();
        QTest::newRow("zero bytes between")
            << L {QByteArray("F20\0\0B1\0", 8)} << L {"F20", "B1"} << QByteArray();
        QTest::newRow("lines") << L {"F20\nF21\r\n"} << L {"F20\n", "F21\r\n"} << QByteArray();
        QTest::newRow("noise after a line") << L {"F20\nok"} << L {"F20\n", "ok"} << QByteArray();
        QTest::newRow("empty lines dropped")
            << L {"\r\n\r\nF20\n\n"} << L {"F20\n\n"} << QByteArray();
        QTest::newRow("only a zero byte") << L {QByteArray("\0", 1)} << L {} << QByteArray();
        // A reply cut right after its first byte is joined again.
        QTest::newRow("split after B") << L {"B", "1"} << L {"B1"} << QByteArray();
        QTest::newRow("bare B then a status") << L {"B", "F20"} << L {"B", "F20"} << QByteArray();
        QTest::newRow("trailing bare start") << L {"F20B"} << L {"F20"} << QByteArray("B");
        QTest::newRow("longer pieces stay apart") << L {"F2", "0"} << L {"F2", "0"} << QByteArray();
    }

    void split()
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
};

QTEST_APPLESS_MAIN(tst_Protocol)
#include "tst_protocol.moc"
