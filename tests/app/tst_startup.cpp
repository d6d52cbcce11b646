#include "app/resources.h"
#include "app/startup.h"

#include <QProcess>
#include <QSettings>
#include <QTranslator>
#include <QtTest>

using Startup::Edition;

Q_DECLARE_METATYPE(Edition)

namespace {

struct Outcome
{
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QString output; // stdout and stderr together
};

Outcome runProgram(const QString &program, const QStringList &args, int timeoutMs = 20000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Outcome o;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        o.output = QString::fromUtf8(p.readAll());
        return o;
    }
    o.exitCode = p.exitCode();
    o.status = p.exitStatus();
    o.output = QString::fromUtf8(p.readAll());
    return o;
}

void storeLanguage(const QVariant &value)
{
    QSettings settings(QStringLiteral("QtProject"), QStringLiteral("0_vandra"));
    if (value.isValid())
        settings.setValue(QStringLiteral("languages"), value);
    else
        settings.remove(QStringLiteral("languages"));
    settings.sync();
}

QString editionArg(Edition e)
{
    return e == Edition::Japanese ? QStringLiteral("japanese") : QStringLiteral("selectable");
}

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT
private slots:
    void translationFile_data();
    void translationFile();
    void installedLanguage_data();
    void installedLanguage();
    void catalogueHasContexts();
    void exitCode_data();
    void exitCode();
    void rootDocumentMissing();
    void deliverablesShowTheirWindow_data();
    void deliverablesShowTheirWindow();
};

void tst_Startup::translationFile_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<Edition>("edition");
    QTest::addColumn<QString>("file");

    const QString en = QStringLiteral(":/0_vandra_EN.qm");
    const QString jp = QStringLiteral(":/0_vandra_JP.qm");
    QTest::newRow("empty") << QString() << Edition::Selectable << QString();
    QTest::newRow("chinese") << QStringLiteral("简体中文") << Edition::Selectable << QString();
    QTest::newRow("english") << QStringLiteral("English") << Edition::Selectable << en;
    QTest::newRow("english lower case")
        << QStringLiteral("english") << Edition::Selectable << QString();
    QTest::newRow("english with blank")
        << QStringLiteral("English ") << Edition::Selectable << QString();
    QTest::newRow("japanese") << QStringLiteral("日本の") << Edition::Selectable << jp;
    QTest::newRow("unknown") << QStringLiteral("Deutsch") << Edition::Selectable << QString();
    QTest::newRow("jp edition, empty") << QString() << Edition::Japanese << jp;
    QTest::newRow("jp edition, english") << QStringLiteral("English") << Edition::Japanese << jp;
    QTest::newRow("jp edition, chinese") << QStringLiteral("简体中文") << Edition::Japanese << jp;
}

void tst_Startup::translationFile()
{
    QFETCH(QString, stored);
    QFETCH(Edition, edition);
    QFETCH(QString, file);
    QCOMPARE(Startup::translationFileFor(stored, edition), file);
}

void tst_Startup::installedLanguage_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<Edition>("edition");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("debugLine");

    const QString zhEdit = QStringLiteral("修图"), zhSet = QStringLiteral("设置");
    const QString jpEdit = QStringLiteral("を編集"), jpSet = QStringLiteral("セット");
    QTest::newRow("absent") << QVariant() << Edition::Selectable << zhEdit << zhSet
                            << QStringLiteral("language \"\"");
    QTest::newRow("empty") << QVariant(QString()) << Edition::Selectable << zhEdit << zhSet
                           << QStringLiteral("language \"\"");
    QTest::newRow("chinese") << QVariant(QStringLiteral("简体中文")) << Edition::Selectable
                             << zhEdit << zhSet << QStringLiteral("language \"简体中文\"");
    QTest::newRow("english") << QVariant(QStringLiteral("English")) << Edition::Selectable
                             << QStringLiteral("Edit") << QStringLiteral("Setting")
                             << QStringLiteral("language \"English\"");
    QTest::newRow("english lower case")
        << QVariant(QStringLiteral("english")) << Edition::Selectable << zhEdit << zhSet
        << QStringLiteral("language \"english\"");
    QTest::newRow("japanese") << QVariant(QStringLiteral("日本の")) << Edition::Selectable << jpEdit
                              << jpSet << QStringLiteral("language \"日本の\"");
    QTest::newRow("unknown") << QVariant(QStringLiteral("Klingon")) << Edition::Selectable << zhEdit
                             << zhSet << QStringLiteral("language \"Klingon\"");
    QTest::newRow("jp edition, absent")
        << QVariant() << Edition::Japanese << jpEdit << jpSet << QStringLiteral("language \"\"");
    QTest::newRow("jp edition, english stored")
        << QVariant(QStringLiteral("English")) << Edition::Japanese << jpEdit << jpSet
        << QStringLiteral("language \"English\"");
}

// The whole start-up in a child process: the translator it installs must
// be the one the table names, for every document of the engine.
void tst_Startup::installedLanguage()
{
    QFETCH(QVariant, stored);
    QFETCH(Edition, edition);
    QFETCH(QString, edit);
    QFETCH(QString, setting);
    QFETCH(QString, debugLine);

    storeLanguage(stored);
    const Outcome o
        = runProgram(QStringLiteral(STARTUP_RUNNER),
                     {editionArg(edition), QStringLiteral("qrc:/startup-test/main.qml")});
    QCOMPARE(o.exitCode, 7);
    const QStringList lines = o.output.split(QLatin1Char('\n'));
    QVERIFY2(lines.contains(debugLine), qPrintable(o.output));
    QVERIFY2(o.output.contains(QStringLiteral("EDIT=") + edit), qPrintable(o.output));
    QVERIFY2(o.output.contains(QStringLiteral("SETTING=") + setting), qPrintable(o.output));
    const QString editionLine = edition == Edition::Japanese ? QStringLiteral("EDITION=true")
                                                             : QStringLiteral("EDITION=false");
    QVERIFY2(o.output.contains(editionLine), qPrintable(o.output));
    // The stored value is only read, never rewritten.
    QSettings settings(QStringLiteral("QtProject"), QStringLiteral("0_vandra"));
    QCOMPARE(settings.value(QStringLiteral("languages")), stored);
}

// Both compiled files hold the same message under its context.
void tst_Startup::catalogueHasContexts()
{
    initVandraResources();
    QTranslator en, jp;
    QVERIFY(en.load(QStringLiteral(":/0_vandra_EN.qm")));
    QVERIFY(jp.load(QStringLiteral(":/0_vandra_JP.qm")));
    QCOMPARE(en.translate("main", "修图"), QStringLiteral("Edit"));
    QCOMPARE(jp.translate("main", "修图"), QStringLiteral("を編集"));
    QCOMPARE(en.translate("main", "Kalvor"), QStringLiteral("Kalvor"));
    QCOMPARE(en.translate("nosuchcontext", "修图"), QString());
}

void tst_Startup::exitCode_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<int>("code");
    QTest::newRow("window closed by itself")
        << QStringLiteral("qrc:/startup-test/closing.qml") << QStringList() << 0;
    QTest::newRow("Qt.exit(7)") << QStringLiteral("qrc:/startup-test/main.qml") << QStringList()
                                << 7;
    QTest::newRow("real main window closed")
        << QStringLiteral("qrc:/main.qml")
        << QStringList {QStringLiteral("--close-windows-after"), QStringLiteral("1500")} << 0;
}

void tst_Startup::exitCode()
{
    QFETCH(QString, root);
    QFETCH(QStringList, extra);
    QFETCH(int, code);
    const Outcome o = runProgram(QStringLiteral(STARTUP_RUNNER),
                                 QStringList {QStringLiteral("selectable"), root} + extra);
    QCOMPARE(o.status, QProcess::NormalExit);
    QVERIFY2(o.exitCode == code, qPrintable(o.output));
}

void tst_Startup::rootDocumentMissing()
{
    const Outcome o
        = runProgram(QStringLiteral(STARTUP_RUNNER),
                     {QStringLiteral("selectable"), QStringLiteral("qrc:/no-such-document.qml")});
    QCOMPARE(o.status, QProcess::NormalExit);
    QCOMPARE(o.exitCode, 1);
    QVERIFY2(o.output.contains(QStringLiteral("no-such-document.qml")), qPrintable(o.output));
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
