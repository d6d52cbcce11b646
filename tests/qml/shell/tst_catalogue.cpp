#include "app/resources.h"

#include <QDir>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

// The translation catalogue as the program carries it: the compiled files
// checked against the documents that show its texts, and the sources checked
// for entries left unfinished (lrelease would still compile those).
class tst_Catalogue : public QObject
{
    Q_OBJECT

    QTranslator m_english;
    QTranslator m_japanese;

private slots:
    void initTestCase()
    {
        initVandraResources();
        QVERIFY(m_english.load(QStringLiteral(":/0_vandra_EN.qm")));
        QVERIFY(m_japanese.load(QStringLiteral(":/0_vandra_JP.qm")));
    }

    // Spot lookups: a source shared by two contexts gives each context's own
    // text, spaces at either end belong to the text, and the messages for a
    // refused picture and a failed save are there.
    void lookup_data()
    {
        static const char *const rows[][4] = {
            {"main", "保存", "Save", "保存"},
            {"DrawimgBoard", "保存", "Save", "セーブ"},
            {"main", "设置", "Setting", "セット"},
            {"MenuModel", "设置", "Setting", "設置"},
            {"OperationsFront", "雕刻深度", "  Depth ", "彫刻深さ"},
            {"DrawimgBoard", "图片已保存到 ", "Picture saved to ", "画像保存完了 "},
            {"DrawimgBoard", "无法读取图片……", "Cannot read the picture……",
             "画像を読み込めません……"},
            {"DrawimgBoard", "图片保存失败……", "The picture could not be saved……",
             "画像を保存できませんでした……"},
            {"nosuchcontext", "修图", "", ""},
        };
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("japanese");
        for (const auto &r : rows)
            QTest::addRow("%s %s", r[0], r[1]) << r[0] << r[1] << r[2] << r[3];
    }
    void lookup()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, english);
        QFETCH(QString, japanese);
        const QByteArray c = context.toUtf8(), s = source.toUtf8();
        QCOMPARE(m_english.translate(c, s), english);
        QCOMPARE(m_japanese.translate(c, s), japanese);
    }

    // A text that a document shows without a translation would stay Chinese.
    void documentsTranslated()
    {
        static const QRegularExpression call(
            QStringLiteral("(?:qsTr|QT_TR_NOOP)\\(\\s*(?:\"([^\"]*)\"|'([^']*)')\\s*\\)"));
        const QDir dir(QStringLiteral(VANDRA_QML_DIR));
        QStringList missing;
        int texts = 0;
        for (const QString &name : dir.entryList({QStringLiteral("*.qml")})) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray context = QFileInfo(name).completeBaseName().toUtf8();
            auto it = call.globalMatch(QString::fromUtf8(file.readAll()));
            for (; it.hasNext(); ++texts) {
                const QRegularExpressionMatch m = it.next();
                const QByteArray source = (m.captured(1) + m.captured(2)).toUtf8();
                for (const QTranslator *t : {&m_english, &m_japanese}) {
                    if (t->translate(context, source).isEmpty())
                        missing << name + QLatin1Char(' ') + QString::fromUtf8(source);
                }
            }
        }
        QVERIFY(texts > 50);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("; "))));
    }

    void sourcesFinished_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("English") << QStringLiteral(VANDRA_TRANSLATIONS_DIR "/0_vandra_EN.ts");
        QTest::newRow("Japanese") << QStringLiteral(VANDRA_TRANSLATIONS_DIR "/0_vandra_JP.ts");
    }
    // Every entry finished (not unfinished, vanished or obsolete) and not empty.
    void sourcesFinished()
    {
        QFETCH(QString, file);
        QFile ts(file);
        QVERIFY(ts.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(ts.readAll());
        static const QRegularExpression unfinished(QStringLiteral(
            "<translation\\s*/>|<translation [^>]*type=|<translation>\\s*</translation>"));
        const QRegularExpressionMatch m = unfinished.match(text);
        QVERIFY2(!m.hasMatch(), qPrintable(text.mid(m.capturedStart() - 100, 150)));
        QVERIFY(text.count(QStringLiteral("<translation>")) > 50);
    }
};

QTEST_GUILESS_MAIN(tst_Catalogue)
#include "tst_catalogue.moc"
