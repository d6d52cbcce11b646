#include "settings/materialpresets.h"
#include "settings/storedsettings.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJSEngine>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using SettingsRules::Kind;

// Every stored value is checked when read: what the program then works with,
// for values of every kind a settings file can hold, given directly and as
// they come back from a real store on disk.
class TestStoredSettings : public QObject
{
    Q_OBJECT

    // Makes the script values a document's Settings object stores as they are.
    QJSEngine m_script;

    // Whether the rule of a key lets this generic value through.
    static bool acceptable(Kind kind, const QString &tag)
    {
        if (kind == Kind::Text)
            return tag == QLatin1String("text") || tag == QLatin1String("NaN as text")
                || tag == QLatin1String("empty");
        if (kind == Kind::FolderUrl)
            return tag == QLatin1String("empty");
        if (kind == Kind::Flag)
            return tag == QLatin1String("flag");
        return false;
    }

private slots:
    void checked_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored"); // invalid: absent
        QTest::addColumn<QVariant>("expected");
        QTest::addColumn<bool>("refused");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        // Values of the wrong type, not numbers, out of every range, huge
        // and empty, for every key: each gives the key's default.
        const QList<QPair<const char *, QVariant>> bad = {
            {"text", QStringLiteral("abc")},
            {"list", QVariantList {1, 2}},
            {"text list", QStringList {QStringLiteral("6"), QStringLiteral("7")}},
            {"map", QVariantMap {{QStringLiteral("a"), 1}}},
            {"flag", true},
            {"NaN", nan},
            {"infinity", inf},
            {"minus infinity", -inf},
            {"NaN as text", QStringLiteral("nan")},
            {"negative", -1e6},
            {"huge", 1e9},
            {"huge whole", qlonglong(1) << 40},
            {"huge text", QString(100000, QLatin1Char('9'))},
            {"empty", QString()},
            {"bytes", QByteArray("1")},
        };
        const QStringList keys = SettingsRules::keys();
        for (const QString &key : keys) {
            const SettingsRules::Rule *rule = SettingsRules::ruleFor(key);
            QTest::addRow("%s absent", qPrintable(key))
                << key << QVariant() << rule->fallback << false;
            for (const auto &value : bad) {
                if (acceptable(rule->kind, QLatin1String(value.first)))
                    continue;
                QTest::addRow("%s %s", qPrintable(key), value.first)
                    << key << value.second << rule->fallback << true;
            }
        }

        // The edges of each range, and the text the store on Linux gives
        // back for every number and flag.
        const auto row = [](const char *tag, const char *key, const QVariant &stored,
                            const QVariant &expected, bool refused = false) {
            QTest::newRow(tag) << QString::fromLatin1(key) << stored << expected << refused;
        };
        row("shutTime first", "shutTime", 0, 0);
        row("shutTime last, as text", "shutTime", QStringLiteral("5"), 5);
        row("shutTime 6 (in minutes?)", "shutTime", 6, 0, true);
        row("shutTime a billion", "shutTime", QStringLiteral("1000000000"), 0, true);
        row("shutTime -1", "shutTime", -1, 0, true);
        row("shutTime not whole", "shutTime", 2.5, 0, true);
        row("shutTime whole as real", "shutTime", 2.0, 2);
        row("fanValue off, as text", "fanValue", QStringLiteral("0"), 0);
        row("fanValue on", "fanValue", 1, 1);
        row("fanValue -1", "fanValue", -1, 10, true);
        row("halftoneCell smallest", "halftoneCell", 4, 4);
        row("halftoneCell largest, as text", "halftoneCell", QStringLiteral(" 16 "), 16);
        row("halftoneCell 3", "halftoneCell", 3, 6, true);
        row("halftoneCell 17", "halftoneCell", 17, 6, true);
        row("halftoneCell 30000", "halftoneCell", QStringLiteral("30000"), 6, true);
        row("ditherMethod halftone, as text", "ditherMethod", QStringLiteral("6"), 6);
        row("ditherMethod -3", "ditherMethod", -3, 0, true);
        row("ditherMethod 7", "ditherMethod", 7, 0, true);
        row("ditherMethod 999", "ditherMethod", QStringLiteral("999"), 0, true);
        row("toneBrightness lowest", "toneBrightness", -100, -100.0);
        row("toneBrightness as text", "toneBrightness", QStringLiteral("-37.5"), -37.5);
        row("toneBrightness beyond", "toneBrightness", 100.5, 0.0, true);
        row("toneContrast highest", "toneContrast", QStringLiteral("100"), 100.0);
        row("toneGamma lowest", "toneGamma", 0.2, 0.2);
        row("toneGamma 0", "toneGamma", 0, 1.0, true);
        row("dotSize as text", "dotSize", QStringLiteral("2.5"), 2.5);
        row("dotSize below 1", "dotSize", 0.5, 1.0, true);
        row("dotSize beyond 4", "dotSize", 4.5, 1.0, true);
        row("coordinateChecked off", "coordinateChecked", false, false);
        row("coordinateChecked off, as text", "coordinateChecked", QStringLiteral("false"), false);
        row("coordinateChecked \"0\"", "coordinateChecked", QStringLiteral("0"), true, true);
        row("completeShadyChecked 0", "completeShadyChecked", 0, true, true);
        row("ditherSerpentine on, as text", "ditherSerpentine", QStringLiteral("true"), true);
        row("ditherSerpentine 1", "ditherSerpentine", 1, false, true);
        row("ditherSerpentine \"yes\"", "ditherSerpentine", QStringLiteral("yes"), false, true);
        row("languages English", "languages", QStringLiteral("English"), QStringLiteral("English"));
        row("languages other case", "languages", QStringLiteral("english"),
            QStringLiteral("english"));
        row("languages too long", "languages", QString(65, QLatin1Char('a')), QVariant(), true);
        row("languages a number", "languages", 5, QVariant(), true);
        row("lastFolder", "lastFolder", QStringLiteral("file:///home/me/Pictures"),
            QStringLiteral("file:///home/me/Pictures"));
        row("lastFolder a path", "lastFolder", QStringLiteral("/home/me"), QString(), true);
        row("lastFolder on the web", "lastFolder", QStringLiteral("https://example.com/pictures"),
            QString(), true);
        row("lastFolder relative", "lastFolder", QStringLiteral("file:Pictures"), QString(), true);
        row("lastFolder too long", "lastFolder",
            QStringLiteral("file:///") + QString(9000, QLatin1Char('a')), QString(), true);

        const auto paces = [](std::initializer_list<QPair<const char *, QVariant>> entries) {
            QVariantMap map;
            for (const auto &entry : entries)
                map.insert(QString::fromLatin1(entry.first), entry.second);
            return map;
        };
        row("jobPace", "jobPace", paces({{"40", 1000.0}, {"0", 1.0}, {"100", 1e6}}),
            paces({{"40", 1000.0}, {"0", 1.0}, {"100", 1e6}}));
        row("jobPace pace as text", "jobPace", paces({{"40", QStringLiteral("1000")}}),
            paces({{"40", 1000.0}}));
        // A bad entry is dropped, the others stay.
        row("jobPace bad paces", "jobPace",
            paces({{"10", -5.0},
                   {"20", nan},
                   {"30", inf},
                   {"40", 1e300},
                   {"50", 0.5},
                   {"60", QStringLiteral("fast")},
                   {"70", true},
                   {"80", QVariantList {1}},
                   {"90", 800.0}}),
            paces({{"90", 800.0}}), true);
        // What a document stores stays a script value until the file is read.
        const auto script = [this](const char *source) {
            return QVariant::fromValue(m_script.evaluate(QString::fromLatin1(source)));
        };
        row("jobPace from a document", "jobPace", script("({\"40\": 1000, \"50\": -1})"),
            paces({{"40", 1000.0}}), true);
        row("halftoneCell a list from a document", "halftoneCell", script("[8]"), 6, true);
        row("jobPace bad depths", "jobPace",
            paces({{"040", 1000.0},
                   {"101", 1000.0},
                   {"-1", 1000.0},
                   {"x", 1000.0},
                   {"", 1000.0},
                   {"50", 900.0}}),
            paces({{"50", 900.0}}), true);
    }

    void checked()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);
        QFETCH(bool, refused);

        bool turnedDown = !refused;
        const QVariant value = SettingsRules::checked(key, stored, &turnedDown);
        QCOMPARE(value, expected);
        QCOMPARE(value.userType(), expected.userType());
        QCOMPARE(turnedDown, refused);
    }

    // The same values written to a settings file and read back by another
    // settings object, as the next start finds them: the file keeps numbers
    // and flags as text, lists as text lists, and other types in its own
    // notation.
    void throughTheStore_data() { checked_data(); }

    void throughTheStore()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);

        const int type = stored.userType();
        if (SettingsRules::ruleFor(key)->kind == Kind::Text
            && (type == QMetaType::Bool || type == QMetaType::Int || type == QMetaType::LongLong
                || type == QMetaType::Double))
            QSKIP("the file gives a number back as text, which is a text like any other");
        if (type == qMetaTypeId<QJSValue>())
            QSKIP("a script value is never read back from the file");

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("0_vandra.conf"));
        {
            QSettings writer(file, QSettings::IniFormat);
            if (stored.isValid())
                writer.setValue(key, stored);
        }
        const QSettings reader(file, QSettings::IniFormat);
        const QVariant value = StoredSettings::read(reader, key);
        QCOMPARE(value, expected);
        QCOMPARE(value.userType(), expected.userType());
    }

    // Each key the documents store is read through its check: every
    // property of a Settings object and every key a document reads or
    // writes by name has a rule, and every property is checked by name in
    // its document.
    void documentsCheckEveryKey()
    {
        const QDir qml(QStringLiteral(VANDRA_QML_DIR));
        const QRegularExpression block(QStringLiteral("\\bSettings\\s*\\{"));
        const QRegularExpression property(QStringLiteral("^\\s*property\\s+\\w+\\s+(\\w+)"),
                                          QRegularExpression::MultilineOption);
        const QRegularExpression byName(
            QStringLiteral("\\b(?:value|setValue|checked|minimum|maximum)\\(\"(\\w+)\""));
        int properties = 0;
        QStringList files;
        QDirIterator documents(qml.path(), {QStringLiteral("*.qml")}, QDir::Files,
                               QDirIterator::Subdirectories);
        while (documents.hasNext())
            files << qml.relativeFilePath(documents.next());
        for (const QString &name : files) {
            QFile document(qml.filePath(name));
            QVERIFY(document.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(document.readAll());
            auto blocks = block.globalMatch(text);
            while (blocks.hasNext()) {
                const int begin = blocks.next().capturedEnd();
                int depth = 1, end = begin;
                for (; end < text.size() && depth > 0; ++end) {
                    if (text[end] == QLatin1Char('{'))
                        ++depth;
                    else if (text[end] == QLatin1Char('}'))
                        --depth;
                }
                auto found = property.globalMatch(text.mid(begin, end - begin));
                while (found.hasNext()) {
                    const QString key = found.next().captured(1);
                    ++properties;
                    QVERIFY2(SettingsRules::ruleFor(key), qPrintable(name + ": " + key));
                    QVERIFY2(text.contains(QStringLiteral("checked(\"%1\"").arg(key)),
                             qPrintable(name + ": " + key + " is read unchecked"));
                }
            }
            auto named = byName.globalMatch(text);
            while (named.hasNext()) {
                const QString key = named.next().captured(1);
                QVERIFY2(SettingsRules::ruleFor(key), qPrintable(name + ": " + key));
            }
        }
        QVERIFY(properties >= 12);
    }

    // A material preset as a hand-edited store may hold it, next to a good
    // one: an entry with any field missing, of the wrong type or out of
    // range is left out whole, and so is a second entry under a name taken.
    void presetEntries_data()
    {
        QTest::addColumn<QVariantMap>("changes"); // to a good entry; invalid: removed
        QTest::addColumn<bool>("kept");
        // What of the calibration is read: "", "response" or "response tint".
        QTest::addColumn<QString>("calibration");

        const auto with = [](const QString &field, const QVariant &value) {
            return QVariantMap {{field, value}};
        };
        QTest::newRow("good") << QVariantMap() << true << QString();
        QTest::newRow("power out of range") << with("power", 100.5) << false << QString();
        QTest::newRow("negative depth") << with("depth", "-1") << false << QString();
        QTest::newRow("unknown look") << with("look", 4) << false << QString();
        QTest::newRow("look as a word") << with("look", "sepia") << false << QString();
        QTest::newRow("threshold NaN") << with("threshold", "nan") << false << QString();
        QTest::newRow("threshold not whole") << with("threshold", 12.5) << false << QString();
        QTest::newRow("unknown method") << with("method", 7) << false << QString();
        QTest::newRow("gamma a list")
            << with("gamma", QStringList {"1", "2"}) << false << QString();
        QTest::newRow("dot size too small") << with("dotSize", 0.5) << false << QString();
        QTest::newRow("fan neither on nor off") << with("fan", "maybe") << false << QString();
        QTest::newRow("field missing") << with("contrast", QVariant()) << false << QString();
        QTest::newRow("empty name") << with("name", "   ") << false << QString();
        QTest::newRow("name too long") << with("name", QString(65, 'x')) << false << QString();
        QTest::newRow("name taken") << with("name", " PLYWOOD ") << false << QString();
        const QString card = "250 236 221 205 190 172 155 139 121 104 88 70 52 36 20 8";
        const auto calibrated = [&](const QVariant &response, const QVariant &tint) {
            return QVariantMap {{"response", response}, {"tint", tint}};
        };
        QTest::newRow("calibrated")
            << calibrated(card, "#DEB887") << true << QString("response tint");
        QTest::newRow("calibrated, levels as a list")
            << calibrated(card.split(' '), QVariant()) << true << QString("response");
        QTest::newRow("response of 15 levels")
            << calibrated(card.section(' ', 1), "#deb887") << true << QString("");
        QTest::newRow("response the wrong way round")
            << calibrated("8 20 36 52 70 88 104 121 139 155 172 190 205 221 236 250", "#deb887")
            << true << QString("");
        QTest::newRow("response with a word")
            << calibrated(QString(card).replace("139", "dark"), QVariant()) << true << QString("");
        QTest::newRow("tint no colour") << calibrated(card, "beige") << true << QString("response");
        QTest::newRow("tint alone") << calibrated(QVariant(), "#deb887") << true << QString("");
    }

    void presetEntries()
    {
        QFETCH(QVariantMap, changes);
        QFETCH(bool, kept);
        QFETCH(QString, calibration);

        const QVariantMap good {{"name", "Plywood"}, {"power", 80},        {"depth", 40.5},
                                {"fan", true},       {"look", 3},          {"threshold", 120},
                                {"method", 2},       {"serpentine", true}, {"halftoneCell", 8},
                                {"brightness", -10}, {"contrast", 20},     {"gamma", 1.2},
                                {"dotSize", 2.5}};
        QVariantMap entry = good;
        entry.insert("name", "Cardboard");
        for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
            if (change.value().isValid())
                entry.insert(change.key(), change.value());
            else
                entry.remove(change.key());
        }
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("0_vandra.conf"));
        {
            QSettings writer(file, QSettings::IniFormat);
            writer.beginWriteArray("materialPresets", 2);
            for (int i = 0; i < 2; ++i) {
                writer.setArrayIndex(i);
                const QVariantMap &written = i == 0 ? good : entry;
                for (auto field = written.cbegin(); field != written.cend(); ++field)
                    writer.setValue(field.key(), field.value());
            }
            writer.endArray();
        }
        QSettings reader(file, QSettings::IniFormat);
        const QVector<QVariantMap> presets = PresetRules::read(reader);
        QCOMPARE(presets.size(), kept ? 2 : 1);
        // What is read has the types the pages work with.
        QCOMPARE(presets[0].value("threshold").userType(), int(QMetaType::Int));
        QCOMPARE(presets[0].value("fan").userType(), int(QMetaType::Bool));
        QCOMPARE(presets[0].value("gamma"), QVariant(1.2));
        QVERIFY(PresetRules::sameValues(presets[0], good));
        if (kept) {
            QCOMPARE(presets[1].value("name").toString(), QStringLiteral("Cardboard"));
            QStringList read;
            for (const char *field : {"response", "tint"}) {
                if (presets[1].contains(field))
                    read << field;
            }
            QCOMPARE(read.join(' '), calibration);
            if (presets[1].contains("response"))
                QCOMPARE(presets[1].value("response").toList().value(15).toDouble(), 8.0);
        }
    }

    // The edits go to the store and come back from it at the next start;
    // values that fail their check are refused, and a list the user
    // emptied does not fill up with the starting points again.
    void presetsKept()
    {
        QSettings().remove("materialPresets");
        const QVariantMap values {{"power", 55.5},       {"depth", 20},       {"fan", false},
                                  {"look", 2},           {"threshold", 128},  {"method", 0},
                                  {"serpentine", false}, {"halftoneCell", 6}, {"brightness", 0},
                                  {"contrast", 0},       {"gamma", 1},        {"dotSize", 1}};
        QVariantMap start = values;
        start.insert("name", "Leather (starting point)");
        MaterialPresets presets;
        presets.setProperty("startingPoints", QVariantList {start});
        presets.reload();
        QCOMPARE(presets.names(), QStringList {"Leather (starting point)"});

        QCOMPARE(presets.create(" Felt ", values), 1);
        QCOMPARE(presets.create("felt", values), -1);
        QCOMPARE(presets.create("", values), -1);
        QVariantMap tooStrong = values;
        tooStrong.insert("power", 150);
        QCOMPARE(presets.create("Cork", tooStrong), -1);
        QVERIFY(!presets.save(1, tooStrong));
        QVERIFY(!presets.rename(1, "LEATHER (starting point)"));
        QVERIFY(presets.rename(1, "Felt 3 mm"));
        QVariantMap deeper = values;
        deeper.insert("depth", 35);
        QVERIFY(presets.differs(1, deeper));
        QVERIFY(presets.save(1, deeper));
        QVERIFY(!presets.differs(1, deeper));
        QVariantList response;
        for (int step = 0; step < 16; ++step)
            response << 250 - 15.5 * step;
        QVERIFY(!presets.calibrate(1, QVariantList(response.mid(1)), "#deb887"));
        QVERIFY(presets.calibrate(1, response, "#deb887"));
        QVERIFY(!presets.differs(1, deeper));
        QVERIFY(presets.remove(0));

        MaterialPresets later;
        later.reload();
        QCOMPARE(later.names(), QStringList {"Felt 3 mm"});
        QCOMPARE(later.preset(0).value("depth").toDouble(), 35.0);
        QCOMPARE(later.preset(0).value("response").toList().value(15).toDouble(), 17.5);
        QCOMPARE(later.preset(0).value("tint").toString(), QStringLiteral("#deb887"));
        QVERIFY(later.remove(0));
        later.setProperty("startingPoints", QVariantList {start});
        later.reload();
        QCOMPARE(later.names(), QStringList());
    }

    // The README's table and the manual page name every key the store holds.
    void documentedEveryKey_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("README") << QStringLiteral("README.md");
        QTest::newRow("manual page") << QStringLiteral("packaging/0_vandra.1");
    }

    void documentedEveryKey()
    {
        QFETCH(QString, file);
        QFile page(QStringLiteral(VANDRA_SOURCE_DIR "/") + file);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll());
        for (const QString &key : SettingsRules::keys())
            QVERIFY2(text.contains(QRegularExpression(QStringLiteral("\\b%1\\b").arg(key))),
                     qPrintable(key));
    }
};

QTEST_GUILESS_MAIN(TestStoredSettings)
#include "tst_storedsettings.moc"
