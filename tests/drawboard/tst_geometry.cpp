#include "drawboard/drawimage.h"
#include "engraver/jobbuffer.h"
#include "tests/drawboard/canvastest.h"

#include <QImageReader>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// Crop, size in millimetres, the job preview and saving next to the loaded
// file.
class TestGeometry : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writePicture(const QString &relative, const QImage &image, const char *format = nullptr)
    {
        return CanvasTest::writePicture(m_dir, relative, image, format);
    }

private slots:
    void initTestCase();
    void adjustImageScale_data();
    void adjustImageScale();
    void donePreview_data();
    void donePreview();
    void cutImage_data();
    void cutImage();
    void cropReturnsToBaseOnEffect();
    void saveNextToLoadedFile();
    void saveBeforeAnyLoad();
    void failedSaveReported_data();
    void failedSaveReported();
};

void TestGeometry::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestGeometry::adjustImageScale_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("millimetres");
    QTest::addColumn<QSize>("expected");

    // 40 × mm / 3, rounded down, on a square picture.
    const int table[][2] = {{5, 66},   {10, 133}, {20, 266},  {30, 400},  {40, 533}, {50, 666},
                            {60, 800}, {70, 933}, {78, 1040}, {80, 1066}, {1, 13},   {0, 0}};
    for (const auto &row : table) {
        QTest::addRow("%d mm", row[0])
            << QSize(680, 680) << QSize(row[0], row[0]) << QSize(row[1], row[1]);
    }
    QTest::newRow("80 on 1050x787") << QSize(1050, 787) << QSize(80, 80) << QSize(1066, 798);
    QTest::newRow("30 on 300x200") << QSize(300, 200) << QSize(30, 30) << QSize(400, 266);
    QTest::newRow("keeps aspect") << QSize(680, 680) << QSize(80, 30) << QSize(400, 400);
}

void TestGeometry::adjustImageScale()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, millimetres);
    QFETCH(QSize, expected);

    DrawImage canvas;
    canvas.setSize(picture);
    canvas.init();
    QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
    canvas.adjustImageScale(millimetres.width(), millimetres.height());

    QCOMPARE(changed.count(), 1);
    QCOMPARE(canvas.displayedImage().size(), expected.isEmpty() ? QSize(0, 0) : expected);
    QCOMPARE(canvas.size(), QSizeF(canvas.displayedImage().size()));
}

void TestGeometry::donePreview_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("preview");

    QTest::newRow("1066x798") << QSize(1066, 798) << QSize(1599, 1197);
    QTest::newRow("1049x1050") << QSize(1049, 1050) << QSize(1573, 1575);
    QTest::newRow("3x1") << QSize(3, 1) << QSize(4, 1);
}

void TestGeometry::donePreview()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, preview);

    DrawImage canvas;
    canvas.setSize(picture);
    canvas.init();
    canvas.done();
    QCOMPARE(jobBuffer.preview.size(), preview);
    // The canvas's own picture is not touched.
    QCOMPARE(canvas.displayedImage().size(), picture);
}

void TestGeometry::cutImage_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QRect>("rectangle");
    QTest::addColumn<QSize>("expected");
    QTest::addColumn<QRgb>("outside"); // pixel (199, 199) of the crop

    QTest::newRow("0,0,0,0 blank")
        << false << QRect() << QSize(680, 680) << qRgba(255, 255, 255, 255);
    QTest::newRow("0,0,0,0 loaded") << true << QRect() << QSize(680, 680) << qRgb(40, 40, 40);
    QTest::newRow("inside") << true << QRect(10, 20, 200, 200) << QSize(200, 200)
                            << qRgb(40, 40, 40);
    QTest::newRow("beyond blank: transparent black")
        << false << QRect(600, 600, 200, 200) << QSize(200, 200) << qRgba(0, 0, 0, 0);
    QTest::newRow("beyond loaded: black")
        << true << QRect(600, 600, 200, 200) << QSize(200, 200) << qRgb(0, 0, 0);
    QTest::newRow("no area") << true << QRect(5, 5, 0, 10) << QSize(0, 0) << QRgb(0);
}

void TestGeometry::cutImage()
{
    QFETCH(bool, loaded);
    QFETCH(QRect, rectangle);
    QFETCH(QSize, expected);
    QFETCH(QRgb, outside);

    DrawImage canvas;
    canvas.setSize(QSizeF(100, 100));
    if (loaded)
        QVERIFY(CanvasTest::loadAndWait(
            canvas,
            writePicture(QStringLiteral("crop.png"), CanvasTest::greyPicture(680, 680, 40))));
    else
        canvas.clear();

    QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
    QSignalSpy finished(&canvas, &DrawImage::finished);
    canvas.cutImage(rectangle.x(), rectangle.y(), rectangle.width(), rectangle.height());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<DrawImage::ProcessAlgorithm>(), DrawImage::Rotate);
    QVERIFY(!canvas.isBusy());

    const QImage picture = canvas.displayedImage();
    QCOMPARE(picture.size(), expected);
    QCOMPARE(canvas.size(), QSizeF(expected));
    if (!expected.isEmpty())
        QCOMPARE(picture.pixel(199, 199), outside);
}

void TestGeometry::cropReturnsToBaseOnEffect()
{
    DrawImage canvas;
    QVERIFY(CanvasTest::loadAndWait(
        canvas, writePicture(QStringLiteral("uncut.png"), CanvasTest::greyPicture(300, 200, 40))));
    canvas.cutImage(0, 0, 50, 50);
    canvas.adjustImageScale(10, 10);
    QCOMPARE(canvas.displayedImage().size(), QSize(133, 133));

    QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
    canvas.process(DrawImage::GreyFilter, 255);
    QVERIFY(changed.wait(5000));
    QCOMPARE(canvas.displayedImage().size(), QSize(300, 200));
}

void TestGeometry::saveNextToLoadedFile()
{
    DrawImage canvas;
    QVERIFY(CanvasTest::loadAndWait(
        canvas, writePicture(QStringLiteral("pics/cat.png"), CanvasTest::greyPicture(30, 20, 40))));
    const QString saved = m_dir.filePath(QStringLiteral("pics/new_cat.png"));

    QVERIFY(canvas.saveImage());
    QCOMPARE(canvas.imageSaveAddr(), m_dir.filePath(QStringLiteral("pics")));
    QImage written(saved);
    QCOMPARE(written.size(), QSize(30, 20));
    QCOMPARE(QImageReader(saved).format(), QByteArray("png"));

    // Saving again overwrites the same file with the current picture.
    canvas.adjustImageScale(5, 5);
    QVERIFY(canvas.saveImage());
    QCOMPARE(QImage(saved).size(), QSize(66, 44));

    // The saved file loaded and saved again gets a second prefix.
    QVERIFY(CanvasTest::loadAndWait(canvas, QUrl::fromLocalFile(saved).toString()));
    QVERIFY(canvas.saveImage());
    QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("pics/new_new_cat.png"))));
}

void TestGeometry::saveBeforeAnyLoad()
{
    DrawImage canvas;
    canvas.clear();
    QVERIFY(canvas.saveImage());
    const QString saved = QDir::current().filePath(QStringLiteral("new_new_.jpg"));
    QCOMPARE(QImageReader(saved).format(), QByteArray("jpeg"));
    QCOMPARE(canvas.imageSaveAddr(), QDir::currentPath());
}

void TestGeometry::failedSaveReported_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("removeDirectory");

    // Read by its contents, but no writer exists for the suffix.
    QTest::newRow("no writer") << QStringLiteral("odd/picture.nowriter") << false;
    QTest::newRow("directory gone") << QStringLiteral("gone/picture.png") << true;
}

void TestGeometry::failedSaveReported()
{
    QFETCH(QString, file);
    QFETCH(bool, removeDirectory);

    DrawImage canvas;
    QVERIFY(CanvasTest::loadAndWait(canvas,
                                    writePicture(file, CanvasTest::greyPicture(8, 8, 40), "PNG")));
    const QString directory = QFileInfo(m_dir.filePath(file)).path();
    if (removeDirectory)
        QVERIFY(QDir(directory).removeRecursively());
    QVERIFY(!canvas.saveImage());
    // The page still learns where it would have gone.
    QCOMPARE(canvas.imageSaveAddr(), directory);
}

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
