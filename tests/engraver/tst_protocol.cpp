#include "app/startup.h"
#include "engraver/commands.h"
#include "engraver/replies.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

#include <climits>

using namespace Protocol;

Q_DECLARE_METATYPE(Protocol::ReplyKind)

class tst_Protocol : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Startup::registerQmlTypes(); }

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

    // The commands as the engraver gets them: positions in whole pixels,
    // halves away from zero, never "-0"; fractions held to 0..1 with three
    // decimals.
    void commands_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");

        using namespace EngraverCommand;
        const double nan = qQNaN();
        QTest::newRow("halves away from zero") << move(2.5, -2.5) << QByteArray("$25 P3 -3");
        QTest::newRow("no negative zero") << move(-0.4, -0.5) << QByteArray("$25 P0 -1");
        QTest::newRow("below a half") << move(1599.49, 0.49) << QByteArray("$25 P1599 0");
        QTest::newRow("not a number") << move(nan, 3) << QByteArray("$25 P0 3");
        QTest::newRow("frame") << frame(112.4, 229.5, 50, 40) << QByteArray("$20 P112 230 50 40");
        QTest::newRow("frame beyond int")
            << frame(1e12, -1e12, 0, 0) << QByteArray("$20 P2147483647 -2147483648 0 0");
        QTest::newRow("start grey") << start(100.5, 7.2, 1) << QByteArray("$30 P101 7 P1");
        QTest::newRow("start black and white") << start(-0.5, 0, 2) << QByteArray("$30 P-1 0 P2");
        QTest::newRow("start, other mode") << start(0, 0, 0) << QByteArray("$30 P0 0 P2");
        QTest::newRow("power") << laserPower(0.25) << QByteArray("$8 P0.250");
        QTest::newRow("power, three decimals") << laserPower(0.12349) << QByteArray("$8 P0.123");
        QTest::newRow("power held at 1") << laserPower(1.2) << QByteArray("$8 P1.000");
        QTest::newRow("depth rounds up to 1") << depth(0.9996) << QByteArray("$9 P1.000");
        QTest::newRow("depth held at 0") << depth(-0.1) << QByteArray("$9 P0.000");
        QTest::newRow("depth, not a number") << depth(nan) << QByteArray("$9 P0.000");
        QTest::newRow("low-power time") << lowPowerTime(200) << QByteArray("$51 P200");
        QTest::newRow("low-power time held at 1") << lowPowerTime(0) << QByteArray("$51 P1");
        QTest::newRow("low-power time held at 200")
            << lowPowerTime(1000000000) << QByteArray("$51 P200");
    }

    void commands()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built, expected);
    }

    // What a document sees of the EngraverProtocol singleton, evaluated in a
    // document importing it as the pages do: the parsers' results (NaN for no
    // value), the status numbers, and the commands as text.
    void qmlFacing_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected");

        static const char *const rows[][3] = {
            {"number", "statusNumber('F  7\\r\\n')", "7"},
            {"no number", "statusNumber('Fx20')", "-1"},
            {"value", "statusValue('F9 P 0.75')", "0.75"},
            {"value up to a letter", "statusValue('F9P1x')", "1"},
            {"no value", "statusValue('F8')", "NaN"},
            {"P without a value", "statusValue('F8 P')", "NaN"},
            {"move", "moveCommand(-2.5, -0.4)", "$25 P-3 0"},
            {"frame", "frameCommand(112.4, 229.5, 50, 40)", "$20 P112 230 50 40"},
            {"start", "startCommand(100.5, 7.2, 1)", "$30 P101 7 P1"},
            {"power", "laserPowerCommand(1.5)", "$8 P1.000"},
            {"depth", "depthCommand(0.25)", "$9 P0.250"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << QString::fromLatin1(r[1]) << QString::fromLatin1(r[2]);

        // Each status reply is read as the number the pages switch on.
        static const char *const statuses[][2] = {
            {"F6", "FanOn"},      {"F7", "FanOff"},     {"F8 P0.5", "LaserPower"},
            {"F9 P0.5", "Depth"}, {"F10", "FramingOn"}, {"F11", "FramingOff"},
            {"F20", "Started"},   {"F21", "Paused"},    {"F22\\r\\n", "Stopped"},
        };
        for (const auto &s : statuses) {
            QTest::newRow(s[1]) << QStringLiteral("statusNumber('%1') === EngraverProtocol.%2")
                                       .arg(QLatin1String(s[0]), QLatin1String(s[1]))
                                << "true";
        }
    }

    void qmlFacing()
    {
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData(QStringLiteral("import QtQml 2.0\n"
                                         "import Zan.Engraver 1.0\n"
                                         "QtObject { property string result: "
                                         "String(EngraverProtocol.%1) }")
                              .arg(expression)
                              .toUtf8(),
                          QUrl());
        QScopedPointer<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));
        QCOMPARE(object->property("result").toString(), expected);
    }
};

QTEST_GUILESS_MAIN(tst_Protocol)
#include "tst_protocol.moc"
