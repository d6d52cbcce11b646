#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// Whole program lives in a child process: the real start-up through
// startup_runner <edition> <root> [close-windows-after-ms], or a delivered
// program.
class tst_Startup : public QObject
{
    Q_OBJECT
private slots:
    void run_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QVariant>("stored"); // the stored language; invalid: none
        QTest::addColumn<int>("code"); // -1: still running after 3 s, so ended
        QTest::addColumn<QStringList>("printed");
        QTest::addColumn<QString>("system"); // the system's locale (LC_ALL)

        // The probe document prints what its context "main" reads "修图" as,
        // and the edition, then ends the event loop with 7.
        const auto probe = [](const char *tag, const QVariant &stored, const QString &edition,
                              const char *edit, const char *system = "C.UTF-8") {
            const bool japanese = edition == QLatin1String("japanese");
            QTest::newRow(tag) << QStringLiteral(STARTUP_RUNNER)
                               << QStringList {edition, "qrc:/startup-test/main.qml"} << stored << 7
                               << QStringList {QStringLiteral("EDIT=") + QString::fromUtf8(edit),
                                               japanese ? "EDITION=true" : "EDITION=false"}
                               << QString::fromLatin1(system);
        };
        const char *zh = "修图", *en = "Edit", *ja = "を編集";
        const QString sel = QStringLiteral("selectable"), jp = QStringLiteral("japanese");
        probe("absent", QVariant(), sel, zh);
        probe("empty", QString(), sel, zh);
        probe("chinese", QStringLiteral("简体中文"), sel, zh);
        probe("english", QStringLiteral("English"), sel, en);
        probe("english lower case", QStringLiteral("english"), sel, zh);
        probe("english with blank", QStringLiteral("English "), sel, zh);
        probe("japanese", QStringLiteral("日本の"), sel, ja);
        probe("unknown", QStringLiteral("Klingon"), sel, zh);
        probe("jp edition, absent", QVariant(), jp, ja);
        probe("jp edition, english", QStringLiteral("English"), jp, ja);
        // Nothing picked yet: the system's language where the program has it.
        probe("absent, english system", QVariant(), sel, en, "en_GB.UTF-8");
        probe("absent, japanese system", QVariant(), sel, ja, "ja_JP.UTF-8");
        probe("absent, chinese system", QVariant(), sel, zh, "zh_CN.UTF-8");
        probe("absent, german system", QVariant(), sel, zh, "de_DE.UTF-8");
        probe("picked chinese, english system", QStringLiteral("简体中文"), sel, zh, "en_US.UTF-8");
        probe("jp edition, english system", QVariant(), jp, ja, "en_US.UTF-8");
        // What is no language text counts as no choice made.
        probe("a list, english system", QStringList {"English", "日本の"}, sel, en, "en_GB.UTF-8");
        probe("a map", QVariantMap {{"English", 1}}, sel, zh);
        probe("too long, japanese system", QString(65, QLatin1Char('E')), sel, ja, "ja_JP.UTF-8");

        // The event loop's result when the window closes; an error instead of
        // a window-less event loop when the root fails.
        // The main window leaves an absent language absent.
        QTest::newRow("main window closed")
            << QStringLiteral(STARTUP_RUNNER) << QStringList {sel, "qrc:/main.qml", "1500"}
            << QVariant() << 0 << QStringList() << QStringLiteral("en_US.UTF-8");
        QTest::newRow("root document missing")
            << QStringLiteral(STARTUP_RUNNER) << QStringList {sel, "qrc:/no-such-document.qml"}
            << QVariant() << 1 << QStringList {"no-such-document.qml"} << QStringLiteral("C");
        // The delivered programs load their window and keep running; a
        // picture named on the command line is opened ("p start": its Grey
        // run), one that cannot be read is refused with a warning.
        for (const char *program : {VANDRA_BIN, VANDRA_JP_BIN}) {
            QTest::newRow(program) << QString::fromUtf8(program) << QStringList()
                                   << QVariant(QStringLiteral("English")) << -1 << QStringList()
                                   << QStringLiteral("C");
            QTest::addRow("%s photo.png", program)
                << QString::fromUtf8(program) << QStringList {"<photo>"}
                << QVariant(QStringLiteral("English")) << -1 << QStringList {"p start"}
                << QStringLiteral("C");
            QTest::addRow("%s missing.png", program)
                << QString::fromUtf8(program) << QStringList {"missing.png"}
                << QVariant(QStringLiteral("English")) << -1
                << QStringList {"cannot load", "missing.png"} << QStringLiteral("C");
        }
    }

    // The debug line, a line of its own, names the stored value the program
    // takes (none for what is no language text), which is never rewritten.
    void run()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        QFETCH(QVariant, stored);
        QFETCH(int, code);
        QFETCH(QStringList, printed);
        QFETCH(QString, system);

        QSettings store(QStringLiteral("QtProject"), QStringLiteral("0_vandra"));
        if (stored.isValid())
            store.setValue(QStringLiteral("languages"), stored);
        else
            store.remove(QStringLiteral("languages"));
        store.sync();

        QTemporaryDir dir;
        for (QString &argument : args) {
            if (argument == QLatin1String("<photo>")) {
                argument = dir.filePath(QStringLiteral("photo.png"));
                QImage photo(40, 30, QImage::Format_RGB32);
                photo.fill(Qt::darkGray);
                QVERIFY(photo.save(argument));
            }
        }
        QProcess p;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), system);
        environment.remove(QStringLiteral("LANGUAGE"));
        p.setProcessEnvironment(environment);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        const bool ended = !p.waitForFinished(code < 0 ? 3000 : 20000);
        if (ended) {
            p.terminate();
            QVERIFY(p.waitForFinished(5000));
        }
        const QString output = QString::fromUtf8(p.readAll());
        const bool exited = p.exitStatus() == QProcess::NormalExit;
        QVERIFY2(ended ? code == -1 : exited && p.exitCode() == code, qPrintable(output));
        const bool language
            = stored.userType() == QMetaType::QString && stored.toString().size() <= 64;
        const QString debugLine
            = QStringLiteral("language \"%1\"").arg(language ? stored.toString() : QString());
        QVERIFY2(output.split(QLatin1Char('\n')).contains(debugLine), qPrintable(output));
        for (const QString &text : printed)
            QVERIFY2(output.contains(text), qPrintable(output));
        store.sync();
        QCOMPARE(store.value(QStringLiteral("languages")), stored);
    }

    void storedNonsense_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::newRow("out of range") << QVariantMap {
            {"ditherMethod", -3},
            {"halftoneCell", 30000},
            {"toneGamma", 0},
            {"dotSize", 1e9},
            {"shutTime", 6},
            {"fanValue", -1},
            {"jobPace", QVariantMap {{"0", -1.0}}},
        };
        QTest::newRow("wrong types") << QVariantMap {
            {"ditherMethod", QStringLiteral("Floyd")},
            {"toneBrightness", QStringList {"1", "2"}},
            {"ditherSerpentine", QVariantMap {{"on", true}}},
            {"coordinateChecked", QStringLiteral("nan")},
            {"lastFolder", 42},
            {"languages", QVariantList {1}},
        };
    }

    // What a settings file holds never stops the program: it starts, opens
    // the picture named and keeps running; the sanitizer build would stop
    // at the first undefined step.
    void storedNonsense()
    {
        QFETCH(QVariantMap, stored);
        QSettings store(QStringLiteral("QtProject"), QStringLiteral("0_vandra"));
        store.clear();
        for (auto entry = stored.cbegin(); entry != stored.cend(); ++entry)
            store.setValue(entry.key(), entry.value());
        store.sync();

        QTemporaryDir dir;
        const QString photo = dir.filePath(QStringLiteral("photo.png"));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkGray);
        QVERIFY(picture.save(photo));
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(VANDRA_BIN), {photo});
        const bool ended = p.waitForFinished(3000);
        if (!ended) {
            p.terminate();
            QVERIFY(p.waitForFinished(5000));
        }
        const QString output = QString::fromUtf8(p.readAll());
        QVERIFY2(!ended, qPrintable(output));
        QVERIFY2(output.contains(QLatin1String("p start")), qPrintable(output));
        QVERIFY2(!output.contains(QLatin1String("runtime error")), qPrintable(output));
        store.clear();
    }
};

QTEST_GUILESS_MAIN(tst_Startup)
#include "tst_startup.moc"
