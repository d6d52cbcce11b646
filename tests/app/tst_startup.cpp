#include <QProcess>
#include <QSettings>
#include <QtTest>

namespace {

struct Outcome
{
    int exitCode; // -1 when the program crashed or had to be killed
    QString output; // stdout and stderr together
};

// Runs the real start-up in a child process: startup_runner <edition> <root> [...].
Outcome runStartup(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(STARTUP_RUNNER), args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
    }
    const bool normal = p.exitStatus() == QProcess::NormalExit;
    return {normal ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

void storeLanguage(const QVariant &value)
{
    QSettings settings(QStringLiteral("QtProject"), QStringLiteral("0_vandra"));
    if (value.isValid())
        settings.setValue(QStringLiteral("languages"), value);
    else
        settings.remove(QStringLiteral("languages"));
}

QVariant storedLanguage()
{
    return QSettings(QStringLiteral("QtProject"), QStringLiteral("0_vandra"))
        .value(QStringLiteral("languages"));
}

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT
private slots:
    void installedLanguage_data();
    void installedLanguage();
    void exitCode_data();
    void exitCode();
    void deliverablesShowTheirWindow_data();
    void deliverablesShowTheirWindow();
};

void tst_Startup::installedLanguage_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("edition");
    QTest::addColumn<QString>("edit"); // what context main "修图" reads as

    const QString zh = QStringLiteral("修图"), en = QStringLiteral("Edit"),
                  ja = QStringLiteral("を編集"), sel = QStringLiteral("selectable"),
                  jp = QStringLiteral("japanese");
    QTest::newRow("absent") << QVariant() << sel << zh;
    QTest::newRow("empty") << QVariant(QString()) << sel << zh;
    QTest::newRow("chinese") << QVariant(QStringLiteral("简体中文")) << sel << zh;
    QTest::newRow("english") << QVariant(QStringLiteral("English")) << sel << en;
    QTest::newRow("english lower case") << QVariant(QStringLiteral("english")) << sel << zh;
    QTest::newRow("english with blank") << QVariant(QStringLiteral("English ")) << sel << zh;
    QTest::newRow("japanese") << QVariant(QStringLiteral("日本の")) << sel << ja;
    QTest::newRow("unknown") << QVariant(QStringLiteral("Klingon")) << sel << zh;
    QTest::newRow("jp edition, absent") << QVariant() << jp << ja;
    QTest::newRow("jp edition, english") << QVariant(QStringLiteral("English")) << jp << ja;
}

// The translator that the whole start-up installs, seen by a document of the
// engine; the debug line names the stored value, which is never rewritten.
void tst_Startup::installedLanguage()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, edition);
    QFETCH(QString, edit);

    storeLanguage(stored);
    const Outcome o = runStartup({edition, QStringLiteral("qrc:/startup-test/main.qml")});
    QCOMPARE(o.exitCode, 7);
    const QStringList lines = o.output.split(QLatin1Char('\n'));
    const QString debugLine = QStringLiteral("language \"%1\"").arg(stored.toString());
    QVERIFY2(lines.contains(debugLine), qPrintable(o.output));
    QVERIFY2(o.output.contains(QStringLiteral("EDIT=") + edit), qPrintable(o.output));
    const bool japanese = edition == QLatin1String("japanese");
    QVERIFY2(o.output.contains(QStringLiteral("EDITION=%1").arg(japanese ? "true" : "false")),
             qPrintable(o.output));
    QCOMPARE(storedLanguage(), stored);
}

void tst_Startup::exitCode_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("printed");
    QTest::newRow("main window closed")
        << QStringList {QStringLiteral("selectable"), QStringLiteral("qrc:/main.qml"),
                        QStringLiteral("--close-windows-after"), QStringLiteral("1500")}
        << 0 << QString();
    QTest::newRow("root document missing")
        << QStringList {QStringLiteral("selectable"), QStringLiteral("qrc:/no-such-document.qml")}
        << 1 << QStringLiteral("no-such-document.qml");
}

// The program ends with the event loop's result when its window closes, and
// with an error instead of a window-less event loop when the root fails.
void tst_Startup::exitCode()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, printed);
    const Outcome o = runStartup(args);
    QVERIFY2(o.exitCode == code, qPrintable(o.output));
    QVERIFY2(o.output.contains(printed), qPrintable(o.output));
}

void tst_Startup::deliverablesShowTheirWindow_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("0_vandra") << QStringLiteral(VANDRA_BIN);
    QTest::newRow("0_vandra_jp") << QStringLiteral(VANDRA_JP_BIN);
}

// The delivered programs load their window and keep running until it closes.
void tst_Startup::deliverablesShowTheirWindow()
{
    QFETCH(QString, program);
    storeLanguage(QStringLiteral("English"));
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, QStringList());
    QVERIFY(p.waitForStarted());
    const bool exitedEarly = p.waitForFinished(3000);
    QByteArray output = p.readAll();
    QVERIFY2(!exitedEarly, output.constData());
    p.terminate();
    QVERIFY(p.waitForFinished(5000));
    output += p.readAll();
    QVERIFY2(output.contains("language \"English\""), output.constData());
}

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
