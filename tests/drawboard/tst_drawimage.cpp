#include "drawboard/drawimage.h"
#include "imaging/algorithms.h"
#include "tests/drawboard/canvastest.h"

#include <QMetaMethod>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

#include <memory>

// The canvas seen as the editing page sees it: set-up, loading, the runs on
// the thread pool with their end-of-run signals, and what is refused while a
// run is under way.
class Canvas : public DrawImage
{
public:
    // What the item shows, painted the way the scene graph would.
    QImage rendered()
    {
        QImage target(int(width()), int(height()), QImage::Format_ARGB32);
        target.fill(Qt::transparent);
        QPainter painter(&target);
        paint(&painter);
        return target;
    }
};

class TestDrawImage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString urlOf(const QString &name) const
    {
        return QUrl::fromLocalFile(m_dir.filePath(name)).toString();
    }

    QString writePicture(const QString &name, const QImage &image)
    {
        return CanvasTest::writePicture(m_dir, name, image);
    }

private slots:
    void metaObjectOrder();
    void initAndClear_data();
    void initAndClear();
    void loadConvertsBeforeGrey_data();
    void loadConvertsBeforeGrey();
    void loadCapsLargePicture();
    void loadTakesFirstDroppedFile();
    void loadFailureKeepsPicture_data();
    void loadFailureKeepsPicture();
    void endOfRunSignal_data();
    void endOfRunSignal();
    void nullPictureStillReports_data();
    void nullPictureStillReports();
    void effectsStartFromBase_data();
    void effectsStartFromBase();
    void unknownAlgorithmRefused_data();
    void unknownAlgorithmRefused();
    void overlappingRunsQueue();
    void inputRefusedWhileBusy_data();
    void inputRefusedWhileBusy();
    void paintsNothingWhileBusy();
    void destroyedWhileRunning();
};

void TestDrawImage::metaObjectOrder()
{
    // QML and the page reach these by name and order.
    const QMetaObject *meta = &DrawImage::staticMetaObject;
    QStringList names;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i)
        names << QString::fromLatin1(meta->method(i).methodSignature());
    const QStringList expected = {
        "finished(DrawImage::ProcessAlgorithm)",
        "propertyChanged()",
        "saveDone()",
        "loadImageDone()",
        "loadFailed()",
        "process(DrawImage::ProcessAlgorithm,double)",
        "process(DrawImage::ProcessAlgorithm)",
        "finishProcess(DrawImage::ProcessAlgorithm)",
        "init()",
        "load(QString)",
        "clear()",
        "drawText(int,int,QString)",
        "cutImage(int,int,int,int)",
        "saveImage()",
        "done()",
        "adjustImageScale(int,int)",
    };
    QCOMPARE(names, expected);
    QCOMPARE(meta->enumerator(meta->indexOfEnumerator("ProcessAlgorithm")).keyToValue("SaveByte"),
             8);
}

void TestDrawImage::initAndClear_data()
{
    QTest::addColumn<bool>("clear");
    QTest::addColumn<QSize>("itemSize");
    QTest::addColumn<QSize>("pictureSize");

    QTest::newRow("init takes the item size") << false << QSize(300, 200) << QSize(300, 200);
    QTest::newRow("init truncates") << false << QSize(680, 680) << QSize(680, 680);
    QTest::newRow("clear is always 680") << true << QSize(300, 200) << QSize(680, 680);
}

void TestDrawImage::initAndClear()
{
    QFETCH(bool, clear);
    QFETCH(QSize, itemSize);
    QFETCH(QSize, pictureSize);

    Canvas canvas;
    canvas.setSize(QSizeF(itemSize) + QSizeF(0.7, 0.7));
    QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
    if (clear)
        canvas.clear();
    else
        canvas.init();

    const QImage picture = canvas.displayedImage();
    QCOMPARE(picture.size(), pictureSize);
    QCOMPARE(picture.format(), QImage::Format_ARGB32);
    QCOMPARE(picture.pixel(pictureSize.width() - 1, pictureSize.height() - 1),
             qRgba(255, 255, 255, 255));
    QCOMPARE(canvas.strokeLayer().size(), pictureSize);
    QCOMPARE(canvas.strokeLayer().pixel(0, 0), qRgba(255, 255, 255, 0));
    QCOMPARE(changed.count(), clear ? 1 : 0);
    if (clear)
        QCOMPARE(canvas.size(), QSizeF(680, 680));
    else
        QCOMPARE(canvas.size(), QSizeF(itemSize) + QSizeF(0.7, 0.7));
}

void TestDrawImage::loadConvertsBeforeGrey_data()
{
    QTest::addColumn<QImage>("file");
    QTest::addColumn<QRgb>("firstPixel");
    QTest::addColumn<QRgb>("secondPixel");

    // Index 0 means white: read through its colour table it stays white,
    // which only happens when the picture is converted before its Grey run.
    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 255, 255), qRgb(255, 0, 0)});
    indexed.setPixel(0, 0, 0);
    indexed.setPixel(1, 0, 1);
    QTest::newRow("indexed") << indexed << qRgb(255, 255, 255) << qRgb(87, 87, 87);

    QImage mono(2, 1, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.setPixel(0, 0, 0);
    mono.setPixel(1, 0, 1);
    QTest::newRow("one bit") << mono << qRgb(255, 255, 255) << qRgb(0, 0, 0);
}

void TestDrawImage::loadConvertsBeforeGrey()
{
    QFETCH(QImage, file);
    QFETCH(QRgb, firstPixel);
    QFETCH(QRgb, secondPixel);

    Canvas canvas;
    canvas.setSize(QSizeF(680, 680));
    canvas.init();
    QVERIFY(CanvasTest::loadAndWait(canvas, writePicture(QStringLiteral("palette.png"), file)));

    const QImage picture = canvas.displayedImage();
    QCOMPARE(picture.format(), QImage::Format_RGB32);
    QCOMPARE(picture.pixel(0, 0), firstPixel);
    QCOMPARE(picture.pixel(1, 0), secondPixel);
    QVERIFY(!canvas.isBusy());
    // The item keeps its size until a resizing run.
    QCOMPARE(canvas.size(), QSizeF(680, 680));
}

void TestDrawImage::loadCapsLargePicture()
{
    Canvas canvas;
    QVERIFY(CanvasTest::loadAndWait(
        canvas, writePicture(QStringLiteral("big.png"), CanvasTest::greyPicture(2000, 2000, 9))));
    QCOMPARE(canvas.displayedImage().size(), QSize(1049, 1050));
    QCOMPARE(canvas.strokeLayer().size(), QSize(1049, 1050));
}

void TestDrawImage::loadTakesFirstDroppedFile()
{
    Canvas canvas;
    const QString first
        = writePicture(QStringLiteral("first.png"), CanvasTest::greyPicture(30, 20, 1));
    const QString second
        = writePicture(QStringLiteral("second.png"), CanvasTest::greyPicture(10, 10, 2));
    QVERIFY(CanvasTest::loadAndWait(canvas, first + QLatin1Char(',') + second));
    QCOMPARE(canvas.displayedImage().size(), QSize(30, 20));

    // A single file whose name holds a comma is still that file.
    const QString comma = writePicture(QStringLiteral("a,b.png"), CanvasTest::greyPicture(7, 5, 3));
    QVERIFY(CanvasTest::loadAndWait(canvas, comma));
    QCOMPARE(canvas.displayedImage().size(), QSize(7, 5));
}

void TestDrawImage::loadFailureKeepsPicture_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("name");

    QTest::newRow("missing file") << QByteArray() << QStringLiteral("missing.png");
    QTest::newRow("not a picture")
        << QByteArray("this is no picture") << QStringLiteral("text.png");

    // A valid BMP header announcing 30000 × 30000 pixels (3.6 GB decoded).
    QByteArray bmp(54, '\0');
    auto put32 = [&bmp](int offset, quint32 value) {
        for (int i = 0; i < 4; ++i)
            bmp[offset + i] = char((value >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 54 + 16);
    put32(10, 54);
    put32(14, 40);
    put32(18, 30000);
    put32(22, 30000);
    bmp[26] = 1;
    bmp[28] = 24;
    bmp.append(16, '\x7f');
    QTest::newRow("too large to decode") << bmp << QStringLiteral("huge.bmp");
}

void TestDrawImage::loadFailureKeepsPicture()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, name);

    if (!contents.isEmpty()) {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    Canvas canvas;
    QVERIFY(CanvasTest::loadAndWait(
        canvas, writePicture(QStringLiteral("kept.png"), CanvasTest::greyPicture(40, 30, 50))));
    const QImage before = canvas.displayedImage();

    QSignalSpy failed(&canvas, &DrawImage::loadFailed);
    QSignalSpy loaded(&canvas, &DrawImage::loadImageDone);
    canvas.load(urlOf(name));
    QCOMPARE(failed.count(), 1);
    QVERIFY(!canvas.isBusy());
    QTest::qWait(50);
    QCOMPARE(loaded.count(), 0);
    QCOMPARE(canvas.displayedImage(), before);

    // Saving still names the file after the picture that was kept.
    QVERIFY(canvas.saveImage());
    QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("new_kept.png"))));
}

void TestDrawImage::endOfRunSignal_data()
{
    QTest::addColumn<DrawImage::ProcessAlgorithm>("algorithm");
    QTest::addColumn<double>("para");
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<QSize>("itemSize");

    const QByteArray loaded = QMetaMethod::fromSignal(&DrawImage::loadImageDone).methodSignature();
    const QByteArray saved = QMetaMethod::fromSignal(&DrawImage::saveDone).methodSignature();
    const QByteArray changed
        = QMetaMethod::fromSignal(&DrawImage::propertyChanged).methodSignature();
    // The picture is 300 × 200, the item 100 × 100 before the run.
    QTest::newRow("grey") << DrawImage::Grey << 0.0 << loaded << QSize(100, 100);
    QTest::newRow("rotate 90") << DrawImage::Rotate << 90.0 << changed << QSize(200, 300);
    QTest::newRow("rotate default") << DrawImage::Rotate << 0.0 << changed << QSize(300, 200);
    QTest::newRow("hmirror") << DrawImage::HMirror << 0.0 << changed << QSize(300, 200);
    QTest::newRow("vmirror") << DrawImage::VMirror << 0.0 << changed << QSize(300, 200);
    QTest::newRow("negative") << DrawImage::Negative << 0.0 << changed << QSize(300, 200);
    QTest::newRow("binarize") << DrawImage::Binarize << 128.0 << changed << QSize(300, 200);
    QTest::newRow("floyd") << DrawImage::Floyd << 128.0 << changed << QSize(300, 200);
    QTest::newRow("filter") << DrawImage::GreyFilter << 200.0 << changed << QSize(300, 200);
    QTest::newRow("savebyte") << DrawImage::SaveByte << 128.0 << saved << QSize(100, 100);
}

void TestDrawImage::endOfRunSignal()
{
    QFETCH(DrawImage::ProcessAlgorithm, algorithm);
    QFETCH(double, para);
    QFETCH(QByteArray, signal);
    QFETCH(QSize, itemSize);

    Canvas canvas;
    canvas.setSize(QSizeF(100, 100));
    QVERIFY(CanvasTest::loadAndWait(
        canvas, writePicture(QStringLiteral("run.png"), CanvasTest::greyPicture(300, 200, 90))));

    QSignalSpy loaded(&canvas, &DrawImage::loadImageDone);
    QSignalSpy saved(&canvas, &DrawImage::saveDone);
    QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
    QSignalSpy finished(&canvas, &DrawImage::finished);
    canvas.process(algorithm, para);
    QVERIFY(canvas.isBusy());
    QVERIFY(finished.wait(5000));
    QTest::qWait(20);

    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).value<DrawImage::ProcessAlgorithm>(), algorithm);
    QCOMPARE(loaded.count() + saved.count() + changed.count(), 1);
    const QByteArray emitted = loaded.count() ? loaded.signal()
        : saved.count()                       ? saved.signal()
                                              : changed.signal();
    QCOMPARE(emitted, signal);
    QCOMPARE(canvas.size(), QSizeF(itemSize));
    QVERIFY(!canvas.isBusy());
}

void TestDrawImage::nullPictureStillReports_data()
{
    QTest::addColumn<DrawImage::ProcessAlgorithm>("algorithm");
    for (int index = DrawImage::Grey; index < DrawImage::AlgorithmCount; ++index)
        QTest::addRow("algorithm %d", index) << DrawImage::ProcessAlgorithm(index);
}

void TestDrawImage::nullPictureStillReports()
{
    QFETCH(DrawImage::ProcessAlgorithm, algorithm);

    // Never initialised: every image is null.
    Canvas canvas;
    QSignalSpy loaded(&canvas, &DrawImage::loadImageDone);
    QSignalSpy saved(&canvas, &DrawImage::saveDone);
    QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
    canvas.process(algorithm, 90);
    QTRY_COMPARE(loaded.count() + saved.count() + changed.count(), 1);
    QTest::qWait(20);
    QCOMPARE(loaded.count() + saved.count() + changed.count(), 1);
    QVERIFY(!canvas.isBusy());
    QVERIFY(canvas.displayedImage().isNull());
}

void TestDrawImage::effectsStartFromBase_data()
{
    QTest::addColumn<DrawImage::ProcessAlgorithm>("effect");
    QTest::newRow("binarize") << DrawImage::Binarize;
    QTest::newRow("floyd") << DrawImage::Floyd;
    QTest::newRow("filter") << DrawImage::GreyFilter;
}

void TestDrawImage::effectsStartFromBase()
{
    QFETCH(DrawImage::ProcessAlgorithm, effect);

    Canvas canvas;
    QVERIFY(CanvasTest::loadAndWait(
        canvas, writePicture(QStringLiteral("base.png"), CanvasTest::greyPicture(300, 200, 255))));
    QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
    canvas.process(DrawImage::Rotate, 90);
    canvas.process(DrawImage::Negative);
    QTRY_COMPARE(changed.count(), 2);
    QCOMPARE(canvas.displayedImage().size(), QSize(200, 300));
    QCOMPARE(canvas.displayedImage().pixel(0, 0), qRgb(0, 0, 0));

    // Back to the uncropped, unturned, un-negated grey base.
    canvas.process(effect, 255);
    QTRY_COMPARE(changed.count(), 3);
    QCOMPARE(canvas.displayedImage().size(), QSize(300, 200));
    QCOMPARE(canvas.displayedImage().pixel(150, 100), qRgb(255, 255, 255));
    QCOMPARE(canvas.size(), QSizeF(300, 200));
}

void TestDrawImage::unknownAlgorithmRefused_data()
{
    QTest::addColumn<int>("algorithm");
    QTest::newRow("count") << int(DrawImage::AlgorithmCount);
    QTest::newRow("negative") << -1;
    QTest::newRow("large") << 1000;
}

void TestDrawImage::unknownAlgorithmRefused()
{
    QFETCH(int, algorithm);

    Canvas canvas;
    canvas.init();
    QSignalSpy finished(&canvas, &DrawImage::finished);
    canvas.process(DrawImage::ProcessAlgorithm(algorithm), 1);
    QVERIFY(!canvas.isBusy());
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);
}

void TestDrawImage::overlappingRunsQueue()
{
    Canvas canvas;
    QImage picture(301, 203, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int level = (x * 7 + y * 13) % 256;
            picture.setPixel(x, y, qRgb(level, level, level));
        }
    }
    const QString url = writePicture(QStringLiteral("overlap.png"), picture);

    QList<DrawImage::ProcessAlgorithm> reported;
    int signals_ = 0;
    bool busyWhileQueued = true;
    connect(&canvas, &DrawImage::finished, this,
            [&](DrawImage::ProcessAlgorithm algorithm) { reported << algorithm; });
    const auto count = [&] {
        ++signals_;
        if (signals_ < 25 && !canvas.isBusy())
            busyWhileQueued = false;
    };
    connect(&canvas, &DrawImage::loadImageDone, this, count);
    connect(&canvas, &DrawImage::propertyChanged, this, count);
    connect(&canvas, &DrawImage::saveDone, this, count);

    // Everything asked at once: the load's Grey run and 24 more behind it.
    canvas.load(url);
    const QList<DrawImage::ProcessAlgorithm> asked = {
        DrawImage::Rotate,   DrawImage::Negative, DrawImage::HMirror,  DrawImage::Binarize,
        DrawImage::Rotate,   DrawImage::VMirror,  DrawImage::SaveByte, DrawImage::GreyFilter,
        DrawImage::Rotate,   DrawImage::Negative, DrawImage::Floyd,    DrawImage::Rotate,
        DrawImage::HMirror,  DrawImage::Grey,     DrawImage::Rotate,   DrawImage::Negative,
        DrawImage::VMirror,  DrawImage::Rotate,   DrawImage::SaveByte, DrawImage::Rotate,
        DrawImage::Negative, DrawImage::HMirror,  DrawImage::Rotate,   DrawImage::VMirror,
    };
    for (DrawImage::ProcessAlgorithm algorithm : asked) {
        const double para = algorithm == DrawImage::Rotate ? 90 : 128;
        canvas.process(algorithm, para);
        QVERIFY(canvas.isBusy());
    }
    QTRY_COMPARE_WITH_TIMEOUT(signals_, 25, 20000);
    QTest::qWait(50);
    QCOMPARE(signals_, 25);
    QVERIFY(busyWhileQueued);
    QVERIFY(!canvas.isBusy());
    QCOMPARE(reported, QList<DrawImage::ProcessAlgorithm> {DrawImage::Grey} + asked);

    // The same steps one after the other, with the pure functions. The last
    // Grey run and the effects start from the base picture again.
    QImage base = Imaging::greyImage(picture.convertToFormat(QImage::Format_ARGB32));
    QImage expected = base;
    for (DrawImage::ProcessAlgorithm algorithm : asked) {
        switch (algorithm) {
        case DrawImage::Rotate:
            expected = Imaging::rotatedImage(expected, 90);
            break;
        case DrawImage::Negative:
            Imaging::negate(expected);
            break;
        case DrawImage::HMirror:
            expected = expected.mirrored(true, false);
            break;
        case DrawImage::VMirror:
            expected = expected.mirrored(false, true);
            break;
        case DrawImage::Binarize:
            expected = base;
            Imaging::binarize(expected, 128);
            break;
        case DrawImage::GreyFilter:
            expected = base;
            Imaging::greyFilter(expected, 128);
            break;
        case DrawImage::Floyd:
            expected = base;
            Imaging::floydDither(expected, 128);
            break;
        case DrawImage::Grey:
            base = Imaging::greyImage(base);
            expected = base;
            break;
        default:
            break;
        }
    }
    QCOMPARE(canvas.displayedImage(), expected);
    QCOMPARE(canvas.size(), QSizeF(expected.size()));
}

void TestDrawImage::inputRefusedWhileBusy_data()
{
    QTest::addColumn<int>("call");
    QTest::newRow("cutImage") << 0;
    QTest::newRow("adjustImageScale") << 1;
    QTest::newRow("clear") << 2;
    QTest::newRow("load") << 3;
    QTest::newRow("done") << 4;
    QTest::newRow("saveImage") << 5;
    QTest::newRow("drawText") << 6;
    QTest::newRow("init") << 7;
}

void TestDrawImage::inputRefusedWhileBusy()
{
    QFETCH(int, call);

    Canvas canvas;
    canvas.setSize(QSizeF(100, 100));
    const QString url
        = writePicture(QStringLiteral("busy.png"), CanvasTest::greyPicture(600, 500, 60));
    QVERIFY(CanvasTest::loadAndWait(canvas, url));
    const QImage grey = canvas.displayedImage();

    QSignalSpy failed(&canvas, &DrawImage::loadFailed);
    QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
    canvas.process(DrawImage::Negative);
    QVERIFY(canvas.isBusy());
    switch (call) {
    case 0:
        canvas.cutImage(0, 0, 10, 10);
        break;
    case 1:
        canvas.adjustImageScale(10, 10);
        break;
    case 2:
        canvas.clear();
        break;
    case 3:
        canvas.load(url);
        break;
    case 4:
        canvas.done();
        break;
    case 5:
        QVERIFY(!canvas.saveImage());
        break;
    case 6:
        canvas.drawText(10, 40, QStringLiteral("refused"));
        break;
    case 7:
        canvas.init();
        break;
    }
    QCOMPARE(failed.count(), call == 3 ? 1 : 0);
    QTRY_COMPARE(changed.count(), 1);
    QTest::qWait(20);
    QCOMPARE(changed.count(), 1);

    QImage negated = grey;
    Imaging::negate(negated);
    QCOMPARE(canvas.displayedImage(), negated);
    QCOMPARE(canvas.size(), QSizeF(600, 500));
    if (call == 5)
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("new_busy.png"))));
}

void TestDrawImage::paintsNothingWhileBusy()
{
    Canvas canvas;
    canvas.setSize(QSizeF(64, 48));
    QVERIFY(CanvasTest::loadAndWait(
        canvas, writePicture(QStringLiteral("paint.png"), CanvasTest::greyPicture(64, 48, 30))));
    QCOMPARE(canvas.rendered().pixel(63, 47), qRgb(30, 30, 30));

    QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
    canvas.process(DrawImage::Binarize, 128);
    QCOMPARE(canvas.rendered().pixel(63, 47), qRgba(0, 0, 0, 0));
    QVERIFY(changed.wait(5000));
    QCOMPARE(canvas.rendered().pixel(63, 47), qRgb(0, 0, 0));
}

void TestDrawImage::destroyedWhileRunning()
{
    const QString url
        = writePicture(QStringLiteral("gone.png"), CanvasTest::greyPicture(1050, 1050, 70));
    for (int round = 0; round < 5; ++round) {
        auto canvas = std::make_unique<Canvas>();
        canvas->load(url);
        for (int i = 0; i < 4; ++i)
            canvas->process(DrawImage::Floyd, 128);
        if (round % 2)
            QThread::msleep(5);
        canvas.reset();
        // Events the runs posted must not reach the dead canvas.
        QCoreApplication::sendPostedEvents();
        QTest::qWait(10);
    }
    QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
}

QTEST_MAIN(TestDrawImage)
#include "tst_drawimage.moc"
