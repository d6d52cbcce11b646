#include "app/resources.h"

#include <QDir>
#include <QDirIterator>
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

    // A source shared by two contexts gives each context's own text (every
    // other text is checked for presence below).
    void contexts()
    {
        static const char *const rows[][4] = {
            {"SettingsPopup", "保存", "Save", "保存"},
            {"FinishColumn", "保存", "Save", "セーブ"},
            {"SettingsPopup", "设置", "Setting", "セット"},
            {"MenuModel", "设置", "Setting", "設置"},
            {"nosuchcontext", "修图", "", ""},
        };
        for (const auto &r : rows) {
            QCOMPARE(m_english.translate(r[0], r[1]), QString::fromUtf8(r[2]));
            QCOMPARE(m_japanese.translate(r[0], r[1]), QString::fromUtf8(r[3]));
        }
    }

    // A text that a document shows without a translation would stay Chinese.
    void documentsTranslated()
    {
        static const QRegularExpression call(
            QStringLiteral("(?:qsTr|QT_TR_NOOP)\\(\\s*(?:\"([^\"]*)\"|'([^']*)')\\s*\\)"));
        const QDir dir(QStringLiteral(VANDRA_QML_DIR));
        QStringList missing;
        int texts = 0;
        QDirIterator documents(dir.path(), {QStringLiteral("*.qml")}, QDir::Files,
                               QDirIterator::Subdirectories);
        while (documents.hasNext()) {
            const QString name = dir.relativeFilePath(documents.next());
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

    // Every entry finished (not unfinished, vanished or obsolete) and not empty.
    void sourcesFinished()
    {
        static const QRegularExpression unfinished(QStringLiteral(
            "<translation\\s*/>|<translation [^>]*type=|<translation>\\s*</translation>"));
        for (const char *name : {"/0_vandra_EN.ts", "/0_vandra_JP.ts"}) {
            QFile ts(QStringLiteral(VANDRA_TRANSLATIONS_DIR) + QLatin1String(name));
            QVERIFY(ts.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(ts.readAll());
            const QRegularExpressionMatch m = unfinished.match(text);
            QVERIFY2(!m.hasMatch(), qPrintable(name + text.mid(m.capturedStart() - 100, 150)));
            QVERIFY(text.count(QStringLiteral("<translation>")) > 50);
        }
    }
};

QTEST_GUILESS_MAIN(tst_Catalogue)
#include "tst_catalogue.moc"
