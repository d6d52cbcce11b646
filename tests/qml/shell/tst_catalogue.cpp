#include "app/resources.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

// The translation catalogue as the program must carry it: every message by
// context and Chinese source, with its English and Japanese text. Spaces at
// either end belong to the text.
struct CatalogueEntry
{
    const char *context;
    const char *source;
    const char *english;
    const char *japanese;
};

static const CatalogueEntry catalogue[] = {
    {"main", "Kalvor", "Kalvor", "Kalvor"},
    {"main", "中间", "Middle", "真ん中"},
    {"main", "低功耗", "Low power", "低消費電力"},
    {"main", "低功耗模式消耗的电能会降低很多",
     "In the low-power mode, the power consumption is very small", "低電力モードでは低消費電力"},
    {"main", "保存", "Save", "保存"},
    {"main", "修图", "Edit", "を編集"},
    {"main", "关于我们", "About us", "私達について"},
    {"main", "取消", "Cancel", "キャンセル"},
    {"main", "定位激光器到机器中间,这样您可以吧雕刻机收起到包装盒中",
     "Locate the laser at the middle of the machine so that you can put it in the box",
     "レーザー加工機を箱に収まれるようにレーザーヘッドを機械の中間に配置してください"},
    {"main", "当前正在打印状态，是否继续……", "Now is printing status, whether to continue……",
     "プリントしている状態です、続きますか……"},
    {"main", "当雕刻机连接成功后,激光器的位置不在左上角,需要重新置位",
     "When the machine is connected successfully, if the position of the optical device is not on "
     "the upper left corner , it should be reset",
     "レーザー彫刻と接続できましたらレーザーヘッドは左上にいない場合では位置をリセットする必要があ"
     "ります"},
    {"main", "提示", "Tips", "ヒント"},
    {"main", "是否显示图片打印进度", "Display picture print progress",
     "画像焼けるプログレスバー表示するかどうか"},
    {"main", "显示激光头和图片坐标,单位为mm",
     "Display laser head and picture coordinates, in units of mm",
     "レーザヘッドと画像の座標を示す、単位はmm"},
    {"main", "注意：按保存后才能真正保存，否则软件重启后就会恢复！",
     "Note: you must save the picture, or it will be restored if the software be restarted！",
     "ご注意：保存するには保存のボタンを押してください、そうしないとソフト再起動したら前の状態に戻"
     "ります！"},
    {"main", "状态", "Status", "接続"},
    {"main", "确定", "OK", "確定"},
    {"main", "设置", "Setting", "セット"},
    {"main", "语言选择，重启软件生效", "Language,Restar valid",
     "言語の選択、効果を取るために再起動します"},
    {"main", "软件版本：", "Software version：", "ソフトウェアバージョン："},
    {"main", "重新置位", "Reset", "再設定"},
    {"main", "雕刻最大图像大小：1050*1050像素", "The maximum Engraving image :1050*1050 pixels",
     "加工できる最大画像ピクセルは:1050*1050ピクセル"},
    {"main", "雕刻最大面积：80*80mm", "The largest area of sculpture: 80*80mm",
     "加工できる最大面積:80*80mm"},
    {"main", "雕刻机版本：", "Machine version：", "彫刻機のバージョン:"},
    {"MenuModel", "修图", "Edit", "を編集"},
    {"MenuModel", "关于", "About", "その他"},
    {"MenuModel", "控制", "Control", "制御"},
    {"MenuModel", "设置", "Setting", "設置"},
    {"DrawimgBoard", "保存", "Save", "セーブ"},
    {"DrawimgBoard", "图片已保存到 ", "Picture saved to ", "画像保存完了 "},
    {"DrawimgBoard", "处理完成……", "Completed……", "プロセスが完了すると……"},
    {"DrawimgBoard", "大小", "Size", "大きさ"},
    {"DrawimgBoard", "完成", "Done", "完了"},
    {"DrawimgBoard", "宽度(mm)", "Width", "広さ"},
    {"DrawimgBoard", "更改图像大小", "Change the Size", "画像サイズ"},
    {"DrawimgBoard", "橡皮", "Eraser", "ゴム"},
    {"DrawimgBoard", "正在加载原图……", "Loading the original picture……", "ローディング……"},
    {"DrawimgBoard", "正在进行二值化处理……", "Binarizing……", "二値化中……"},
    {"DrawimgBoard", "正在进行离散化处理……", "Discretizing……", "離散中……"},
    {"DrawimgBoard", "正在进行过滤处理……", "Filtering……", "濾過中……"},
    {"DrawimgBoard", "清除", "Clear", "削除"},
    {"DrawimgBoard", "清除完成", "Clearing Completed", "削除完了"},
    {"DrawimgBoard", "滚动鼠标滚轮可缩放大小，双击图片可预览原图大小……",
     "Scroll the Mouse Wheel to Zoom the Picture, Double-Click the Picture to Preview the Original "
     "Size……",
     "スクロールホイールを回すことで、大きさを調節することができる，写真をダブルクリックすることで"
     "、原図の大きさをプレビュ—することができる……"},
    {"DrawimgBoard", "滚动鼠标滚轮可选择字体……", "Scroll the Mouse Wheel to Select the Font……",
     "マウスのスクロールホイールを回すことで、書体の選択ができる……"},
    {"DrawimgBoard", "灰度", "Gray", "グレー"},
    {"DrawimgBoard", "点击完成操作并跳转到控制界面……",
     " Click to Complete the Operation and Jump to the Control Interface……",
     "クリックして、操作を完了しコントロ—ルパネルにスクリプトする……"},
    {"DrawimgBoard", "点击将保存现有的图片到电脑……", "Click to Save the Picture to Your Computer……",
     "クリックして、画像をパソコンに保存する……"},
    {"DrawimgBoard", "点击将清除所有内容……", "Click to Clear All……", "クリックして、一切削除……"},
    {"DrawimgBoard", "离散", "Dc", "離散"},
    {"DrawimgBoard", "类型", "Type", "タイプ"},
    {"DrawimgBoard", "缩放", "Zoom", "ズーム"},
    {"DrawimgBoard", "缩放比例 ", "Zoom Ratio", "ズーム比例"},
    {"DrawimgBoard", "输入", "Input", "入力"},
    {"DrawimgBoard", "高度(mm)", "Height", "高さ"},
    {"DrawimgBoard", "黑白", "Mc", "黒白"},
    {"OperationsFront", "上移0.5mm", "Up 0.5mm", "上 0.5mm"},
    {"OperationsFront", "下移0.5mm", "Down 0.5mm", "下 0.5mm"},
    {"OperationsFront", "右移0.5mm", "Right 0.5mm", "右 0.5mm"},
    {"OperationsFront", "图片定位", "Positioning", "見つけます"},
    {"OperationsFront", "完成度", "Complete ", "完成度"},
    {"OperationsFront", "左移0.5mm", "Left 0.5mm", "左 0.5mm"},
    {"OperationsFront", "已断开连接……", "Disconnected……", "接続が切れている状態……"},
    {"OperationsFront", "已经停止框定位……", "Positioning Stopped……",
     "フレームのポジショニングがオフとなる……"},
    {"OperationsFront", "已经启动框定位……", "Positioning Started……",
     "フレームのポジショニングがオンとなる……"},
    {"OperationsFront", "正在框定位，请先停止框定位再开始打印……",
     "Positioning, please stop the positioning and then start printing……",
     "フレーム位置ポジショニング（フレームのポジショニングを停止して，印刷してください）……"},
    {"OperationsFront", "激光", "Laser", "レーザ"},
    {"OperationsFront", "用时", "Time", "時間"},
    {"OperationsFront", "请先加载图像……", "Please Load Image……", "画像をロードして下さい……"},
    {"OperationsFront", "输入有误,请重新输入", "Incorrect Input, Please Re-enter",
     "入力のミスがあり、入力し直してください"},
    {"OperationsFront", "连接成功……", "Connected……", "接続されている状態……"},
    {"OperationsFront", "雕刻深度", "  Depth ", "彫刻深さ"},
    {"OperationsFront", "风扇已关闭……", "The Fan is Off……", "ファンは閉鎖している……"},
    {"OperationsFront", "风扇已打开……", "The Fan is On……", "ファンが開いている……"},
    {"FontList", "选择字体", "Select", "選択"},
    {"PutText", "输入", "Input", "エントリー"},
    {"DrawimgBoard", "无法读取图片……", "Cannot read the picture……", "画像を読み込めません……"},
    {"DrawimgBoard", "图片保存失败……", "The picture could not be saved……",
     "画像を保存できませんでした……"},
};

class tst_Catalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lookup_data();
    void lookup();
    void sourcesComplete_data();
    void sourcesComplete();
    void documentsUseOnlyCatalogueTexts_data();
    void documentsUseOnlyCatalogueTexts();

private:
    QTranslator m_english;
    QTranslator m_japanese;
};

namespace {

struct TsMessage
{
    QString context;
    QString source;
    QString translation;
    QString type;
};

QVector<TsMessage> readTs(const QString &path)
{
    QVector<TsMessage> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    TsMessage message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            message = TsMessage();
            message.context = context;
        } else if (xml.name() == QLatin1String("source")) {
            message.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            message.type = xml.attributes().value(QLatin1String("type")).toString();
            message.translation = xml.readElementText();
            messages.append(message);
        }
    }
    if (xml.hasError())
        qWarning() << path << xml.errorString();
    return messages;
}

// The texts a document shows through qsTr, with the escapes of a QML string
// literal resolved.
QStringList qsTrTexts(const QString &document)
{
    // Either kind of quote; a call that builds its text is not a catalogue text.
    static const QRegularExpression call(
        QStringLiteral("qsTr\\(\\s*(?:\"((?:[^\"\\\\]|\\\\.)*)\"|'((?:[^'\\\\]|\\\\.)*)')\\s*\\)"));
    QStringList texts;
    auto it = call.globalMatch(document);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        QString text = match.captured(1).isNull() ? match.captured(2) : match.captured(1);
        text.replace(QLatin1String("\\n"), QLatin1String("\n"));
        text.replace(QLatin1String("\\\""), QLatin1String("\""));
        text.replace(QLatin1String("\\'"), QLatin1String("'"));
        text.replace(QLatin1String("\\\\"), QLatin1String("\\"));
        texts.append(text);
    }
    return texts;
}

} // namespace

void tst_Catalogue::initTestCase()
{
    initVandraResources();
    QVERIFY(m_english.load(QStringLiteral(":/0_vandra_EN.qm")));
    QVERIFY(m_japanese.load(QStringLiteral(":/0_vandra_JP.qm")));
}

void tst_Catalogue::lookup_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("japanese");
    for (const CatalogueEntry &e : catalogue) {
        const QString context = QString::fromUtf8(e.context);
        const QString source = QString::fromUtf8(e.source);
        QTest::addRow("%s %s", e.context, e.source)
            << context << source << QString::fromUtf8(e.english) << QString::fromUtf8(e.japanese);
    }
}

// Each message found by context and source in each compiled file. The same
// source in two contexts ("保存", "设置", "修图", "输入") must give each
// context's own text.
void tst_Catalogue::lookup()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, english);
    QFETCH(QString, japanese);
    const QByteArray c = context.toUtf8();
    const QByteArray s = source.toUtf8();
    QCOMPARE(m_english.translate(c.constData(), s.constData()), english);
    QCOMPARE(m_japanese.translate(c.constData(), s.constData()), japanese);
}

void tst_Catalogue::sourcesComplete_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("column");
    QTest::newRow("English") << QStringLiteral(VANDRA_TRANSLATIONS_DIR "/0_vandra_EN.ts") << 0;
    QTest::newRow("Japanese") << QStringLiteral(VANDRA_TRANSLATIONS_DIR "/0_vandra_JP.ts") << 1;
}

// The translation sources hold exactly the catalogue, every message
// finished: lrelease leaves unfinished or vanished messages out.
void tst_Catalogue::sourcesComplete()
{
    QFETCH(QString, file);
    QFETCH(int, column);
    const QVector<TsMessage> messages = readTs(file);
    QCOMPARE(messages.size(), int(std::size(catalogue)));

    QSet<QString> keys;
    for (const TsMessage &m : messages) {
        const QString key = m.context + QLatin1Char('|') + m.source;
        QVERIFY2(!keys.contains(key), qPrintable(QStringLiteral("duplicate ") + key));
        keys.insert(key);
        QVERIFY2(m.type.isEmpty(), qPrintable(key + QStringLiteral(" is ") + m.type));
    }
    for (const CatalogueEntry &e : catalogue) {
        const QString key
            = QString::fromUtf8(e.context) + QLatin1Char('|') + QString::fromUtf8(e.source);
        QVERIFY2(keys.contains(key), qPrintable(QStringLiteral("missing ") + key));
        for (const TsMessage &m : messages) {
            if (m.context + QLatin1Char('|') + m.source == key)
                QCOMPARE(m.translation, QString::fromUtf8(column == 0 ? e.english : e.japanese));
        }
    }
}

void tst_Catalogue::documentsUseOnlyCatalogueTexts_data()
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(VANDRA_QML_DIR));
    const QStringList documents = dir.entryList({QStringLiteral("*.qml")}, QDir::Files, QDir::Name);
    QVERIFY(documents.contains(QStringLiteral("main.qml")));
    QVERIFY(documents.contains(QStringLiteral("DrawimgBoard.qml")));
    QVERIFY(documents.contains(QStringLiteral("OperationsFront.qml")));
    for (const QString &document : documents)
        QTest::newRow(qPrintable(document)) << dir.filePath(document);
}

// A qsTr text that the catalogue lacks would show in Chinese in every
// language.
void tst_Catalogue::documentsUseOnlyCatalogueTexts()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString document = QString::fromUtf8(file.readAll());
    const QByteArray context = QFileInfo(path).completeBaseName().toUtf8();

    QStringList missing;
    for (const QString &text : qsTrTexts(document)) {
        const QByteArray source = text.toUtf8();
        if (m_english.translate(context.constData(), source.constData()).isEmpty())
            missing << QStringLiteral("English: ") + text;
        if (m_japanese.translate(context.constData(), source.constData()).isEmpty())
            missing << QStringLiteral("Japanese: ") + text;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("; "))));
}

QTEST_GUILESS_MAIN(tst_Catalogue)
#include "tst_catalogue.moc"
