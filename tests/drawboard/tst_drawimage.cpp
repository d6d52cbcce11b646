#include "engraver/jobbuffer.h"
#include "imaging/algorithms.h"
#include "imaging/engravingjob.h"
#include "tests/drawboard/canvastest.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <sys/stat.h>

using CanvasTest::greyPicture;

// The canvas without a window, as the editing page drives it: set-up,
// loading, the runs on the thread pool with their end-of-run signals, looks
// that keep the edits, what is refused while a run is under way, crop, size
// in millimetres, the job preview and saving next to the loaded file.
class Canvas : public CanvasTest::StrokingCanvas
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

    QTemporaryDir m_dir;

    QString write(const QString &name, const QImage &image, const char *format = nullptr)
    {
        return CanvasTest::writePicture(m_dir, name, image, format);
    }

    bool loadGrey(DrawImage &canvas, const QString &name, QSize size, int level)
    {
        return CanvasTest::loadAndWait(
            canvas, write(name, greyPicture(size.width(), size.height(), level)));
    }

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(m_dir.path())); }

    void load_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents"); // none: no such file
        QTest::addColumn<QSize>("size"); // invalid: refused
        QTest::addColumn<QRgb>("first");
        QTest::addColumn<QRgb>("second");
        QTest::addColumn<bool>("incomplete");

        const auto encoded = [](const QImage &image, const char *format) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, format);
            return bytes;
        };
        // Index 0 means white: read through its colour table it stays white,
        // which only happens when the picture is converted before its Grey run.
        const auto twoColours = [&encoded](QImage::Format format, QRgb second) {
            QImage image(2, 1, format);
            image.setColorTable({qRgb(255, 255, 255), second});
            image.setPixel(0, 0, 0);
            image.setPixel(1, 0, 1);
            return encoded(image, "PNG");
        };
        const QRgb white = qRgb(255, 255, 255);
        const QRgb grey = qRgb(9, 9, 9);
        QTest::newRow("indexed") << "indexed.png"
                                 << twoColours(QImage::Format_Indexed8, qRgb(255, 0, 0))
                                 << QSize(2, 1) << white << qRgb(87, 87, 87) << false;
        QTest::newRow("one bit") << "mono.png" << twoColours(QImage::Format_Mono, qRgb(0, 0, 0))
                                 << QSize(2, 1) << white << qRgb(0, 0, 0) << false;
        QTest::newRow("capped") << "big.png" << encoded(greyPicture(2000, 2000, 9), "PNG")
                                << QSize(1049, 1050) << grey << grey << false;
        QTest::newRow("comma in the name") << "a,b.png" << encoded(greyPicture(7, 5, 9), "PNG")
                                           << QSize(7, 5) << grey << grey << false;

        QTest::newRow("missing file")
            << "missing.png" << QByteArray() << QSize() << white << white << false;
        QTest::newRow("not a picture")
            << "text.png" << QByteArray("no picture") << QSize() << white << white << false;
        // A valid BMP whose header announces 30000 × 30000 pixels (3.6 GB decoded).
        QByteArray bmp = encoded(greyPicture(4, 4, 9), "BMP");
        bmp.replace(18, 8, QByteArray::fromHex("3075000030750000")); // 30000 twice
        QTest::newRow("too large to decode")
            << "huge.bmp" << bmp << QSize() << white << white << false;
        // Opening a FIFO for reading would wait for a writer for good.
        QTest::newRow("fifo") << "fifo.png" << QByteArray("<fifo>") << QSize() << white << white
                              << false;
        // A JPEG cut short loads what it holds, and says so.
        const QByteArray jpeg = encoded(greyPicture(64, 64, 9), "JPEG");
        QTest::newRow("truncated jpeg")
            << "cut.jpg" << jpeg.left(jpeg.size() - 2) << QSize(64, 64) << grey << grey << true;
    }

    // A load over a picture already there: an ordinary file is converted,
    // capped and greyed; one that cannot be read keeps the picture.
    void load()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QSize, size);
        QFETCH(QRgb, first);
        QFETCH(QRgb, second);
        QFETCH(bool, incomplete);

        QFile file(m_dir.filePath(name));
        if (contents == "<fifo>")
            QCOMPARE(mkfifo(QFile::encodeName(file.fileName()).constData(), 0600), 0);
        else
            QVERIFY(contents.isEmpty()
                    || (file.open(QIODevice::WriteOnly) && file.write(contents)));
        file.close();
        Canvas canvas;
        canvas.setSize(QSizeF(680, 680));
        QVERIFY(loadGrey(canvas, QStringLiteral("kept.png"), {40, 30}, 50));
        const QImage kept = canvas.displayedImage();

        QSignalSpy failed(&canvas, &DrawImage::loadFailed);
        QSignalSpy loaded(&canvas, &DrawImage::loadImageDone);
        QSignalSpy cut(&canvas, &DrawImage::loadIncomplete);
        canvas.load(QUrl::fromLocalFile(file.fileName()).toString());
        QVERIFY(canvas.isLoading());
        QTRY_COMPARE(loaded.count() + failed.count(), 1);
        QTest::qWait(50);
        QCOMPARE(loaded.count(), int(size.isValid()));
        QCOMPARE(failed.count(), int(!size.isValid()));
        QCOMPARE(cut.count(), int(incomplete));
        QVERIFY(!canvas.isBusy());
        // The item keeps its size until a resizing run.
        QCOMPARE(canvas.size(), QSizeF(680, 680));
        if (!size.isValid()) {
            QCOMPARE(canvas.displayedImage(), kept);
            // Saving still names the file after the picture that was kept.
            QVERIFY(canvas.saveImage());
            QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("new_kept.png"))));
            return;
        }
        const QImage picture = canvas.displayedImage();
        QCOMPARE(picture.size(), size);
        QImage clearLayer(size, QImage::Format_ARGB32);
        clearLayer.fill(QColor(255, 255, 255, 0));
        QCOMPARE(canvas.strokeLayer(), clearLayer);
        QCOMPARE(picture.format(), QImage::Format_RGB32);
        QCOMPARE(picture.pixel(0, 0), first);
        QCOMPARE(picture.pixel(1, 0), second);
    }

    void sourceNames_data()
    {
        QTest::addColumn<QString>("name"); // the file written
        QTest::addColumn<QString>("source"); // what the page hands over; %1 the file URL
        QTest::newRow("name ending in a space") << "trailing space.jpg "
                                                << "%1";
        QTest::newRow("name starting with a space") << " leading.png"
                                                    << "%1";
        QTest::newRow("plain path ending in a space") << "plain .png"
                                                      << "<path>";
        QTest::newRow("dropped list with line breaks") << "dropped.png"
                                                       << "\r\n%1\r\n";
        QTest::newRow("URI list of two") << "first.png"
                                         << "%1\r\nfile:///nowhere.png\r\n";
    }

    // Names are taken exactly as given; only a URL list loses the line
    // breaks around it.
    void sourceNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, source);
        const QString url = write(name, greyPicture(6, 4, 30), "PNG");
        const QString path = QUrl(url).toLocalFile();
        QVERIFY(path.endsWith(name));
        DrawImage canvas;
        QVERIFY(CanvasTest::loadAndWait(
            canvas, source == QLatin1String("<path>") ? path : source.arg(url)));
        QCOMPARE(canvas.displayedImage().size(), QSize(6, 4));
        // Saving writes beside it under the same name, in its own format.
        QVERIFY(canvas.saveImage());
        const QString saved = QFileInfo(path).dir().filePath(QStringLiteral("new_") + name);
        QCOMPARE(QImageReader(saved).size(), QSize(6, 4));
    }

    // A load that takes too long is given up and said so; the next one
    // loads while the given-up one may still be decoding.
    void loadGivenUp()
    {
        DrawImage canvas;
        canvas.setSize(QSizeF(680, 680));
        const QString slow = write(QStringLiteral("slow.png"), greyPicture(4000, 4000, 90));
        canvas.setProperty("loadTimeout", 1);
        QSignalSpy failed(&canvas, &DrawImage::loadFailed);
        canvas.load(slow);
        QVERIFY(failed.wait(5000));
        QCOMPARE(failed.at(0).at(0).toBool(), true);
        QVERIFY(!canvas.isLoading());
        QVERIFY(!canvas.isBusy());
        canvas.setProperty("loadTimeout", 10000);
        QVERIFY(loadGrey(canvas, QStringLiteral("next.png"), {20, 10}, 40));
        QCOMPARE(canvas.displayedImage().size(), QSize(20, 10));
        QCOMPARE(failed.count(), 1);
    }

    void endOfRunSignal_data()
    {
        QTest::addColumn<DrawImage::ProcessAlgorithm>("algorithm");
        QTest::addColumn<double>("para");
        QTest::addColumn<int>("signal"); // loadImageDone, saveDone, propertyChanged
        QTest::addColumn<QSize>("itemSize");

        // The picture is 300 × 200, the item 100 × 100 before the run.
        QTest::newRow("grey") << DrawImage::Grey << 0.0 << 0 << QSize(100, 100);
        QTest::newRow("rotate 90") << DrawImage::Rotate << 90.0 << 2 << QSize(200, 300);
        for (int a = DrawImage::HMirror; a <= DrawImage::GreyFilter; ++a)
            QTest::addRow("algorithm %d", a)
                << DrawImage::ProcessAlgorithm(a) << 128.0 << 2 << QSize(300, 200);
        QTest::newRow("savebyte") << DrawImage::SaveByte << 128.0 << 1 << QSize(100, 100);
    }

    // Each run ends with exactly one signal, also on a canvas never set up,
    // where every image is null.
    void endOfRunSignal()
    {
        QFETCH(DrawImage::ProcessAlgorithm, algorithm);
        QFETCH(double, para);
        QFETCH(int, signal);
        QFETCH(QSize, itemSize);

        Canvas canvas;
        canvas.setSize(QSizeF(100, 100));
        QVERIFY(loadGrey(canvas, QStringLiteral("run.png"), {300, 200}, 90));
        Canvas blank;
        QVector<int> expected(3, 0);
        expected[signal] = 1;
        for (Canvas *c : {&canvas, &blank}) {
            QSignalSpy loaded(c, &DrawImage::loadImageDone);
            QSignalSpy saved(c, &DrawImage::saveDone);
            QSignalSpy changed(c, &DrawImage::propertyChanged);
            const auto counts = [&] {
                return QVector<int>({loaded.count(), saved.count(), changed.count()});
            };
            c->process(algorithm, para);
            QVERIFY(c->isBusy());
            QTRY_COMPARE(counts(), expected);
            QTest::qWait(20);
            QCOMPARE(counts(), expected);
            QVERIFY(!c->isBusy());
        }
        QCOMPARE(canvas.size(), QSizeF(itemSize));
        QVERIFY(blank.displayedImage().isNull());
    }

    void looksKeepEdits_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<DrawImage::ProcessAlgorithm>("look");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<double>("moved"); // the threshold slider let go elsewhere

        const auto row = [](const char *name, const QString &edits,
                            DrawImage::ProcessAlgorithm look, double threshold, double moved) {
            QTest::newRow(name) << edits.split(QLatin1Char(' ')) << look << threshold << moved;
        };
        row("crop, dithered", "crop", DrawImage::Floyd, 120, 160);
        row("size, grey", "size", DrawImage::GreyFilter, 255, 150);
        row("turn, black and white", "turn", DrawImage::Binarize, 128, 90);
        row("mirrors, dithered", "mirror flip", DrawImage::Floyd, 120, 60);
        row("negative, black and white", "negative", DrawImage::Binarize, 128, 200);
        row("pen, dithered", "pen", DrawImage::Floyd, 120, 140);
        row("rubber, black and white", "rubber", DrawImage::Binarize, 128, 60);
        row("text, grey", "text", DrawImage::GreyFilter, 255, 100);
        row("every edit in turn, dithered", "crop size turn mirror flip negative pen rubber text",
            DrawImage::Floyd, 120, 180);
        row("turn after text, black and white", "text crop turn pen", DrawImage::Binarize, 128,
            100);
    }

    // A look chosen after edits, and its threshold moved, is worked out from
    // the grey picture with every edit in the order made; the canvas shows
    // it with the look and threshold it says. A second canvas, showing the
    // grey picture as it is (grey at 255), takes the same edits for what the
    // look must start from.
    void looksKeepEdits()
    {
        QFETCH(QStringList, edits);
        QFETCH(DrawImage::ProcessAlgorithm, look);
        QFETCH(double, threshold);
        QFETCH(double, moved);

        const QString url = write(QStringLiteral("edits.png"),
                                  CanvasTest::randomPicture(160, 110, QImage::Format_RGB32, 9));
        Canvas canvas;
        Canvas reference;
        QVERIFY(CanvasTest::loadAndWait(canvas, url));
        QVERIFY(CanvasTest::loadAndWait(reference, url));
        // As the page does after a load.
        QVERIFY(canvas.runAndWait(DrawImage::Binarize, 128));
        QVERIFY(reference.runAndWait(DrawImage::GreyFilter, 255));
        for (Canvas *c : {&canvas, &reference}) {
            for (const QString &edit : edits) {
                if (edit == QLatin1String("crop")) {
                    c->cutImage(7, 5, 120, 90);
                } else if (edit == QLatin1String("size")) {
                    c->adjustImageScale(7, 7); // 93 pixels at most
                } else if (edit == QLatin1String("pen") || edit == QLatin1String("rubber")) {
                    c->setPenSize(5);
                    c->setRubberSize(9);
                    c->setDrawType(edit == QLatin1String("pen") ? DrawImage::PenType
                                                                : DrawImage::RubberType);
                    c->stroke({3, 4}, {70, 60});
                } else if (edit == QLatin1String("text")) {
                    c->setTextSize(30);
                    c->drawText(10, 40, QStringLiteral("Vandra"));
                } else {
                    const QMap<QString, DrawImage::ProcessAlgorithm> runs {
                        {QStringLiteral("turn"), DrawImage::Rotate},
                        {QStringLiteral("mirror"), DrawImage::HMirror},
                        {QStringLiteral("flip"), DrawImage::VMirror},
                        {QStringLiteral("negative"), DrawImage::Negative}};
                    QVERIFY(runs.contains(edit));
                    QVERIFY(c->runAndWait(runs[edit], 90));
                }
            }
        }
        const QImage edited = reference.displayedImage();
        QCOMPARE(reference.editedGrey(), edited);
        for (double t : {threshold, moved}) {
            QSignalSpy lookShown(&canvas, &DrawImage::lookChanged);
            QVERIFY(canvas.runAndWait(look, t));
            QCOMPARE(lookShown.count(), 1);
            QCOMPARE(canvas.look(), look);
            QCOMPARE(canvas.lookThreshold(), t);
            QCOMPARE(canvas.displayedImage(), CanvasTest::run(look, edited, t));
            QCOMPARE(canvas.size(), QSizeF(edited.size()));
        }
    }

    void overlappingRunsQueue()
    {
        Canvas canvas;
        const QImage picture = CanvasTest::randomPicture(301, 203, QImage::Format_RGB32, 5);
        const QString url = write(QStringLiteral("overlap.png"), picture);
        QVERIFY(CanvasTest::loadAndWait(canvas, url));

        QList<DrawImage::ProcessAlgorithm> reported;
        int ends = 0;
        bool busyWhileQueued = true;
        connect(&canvas, &DrawImage::finished, this,
                [&](DrawImage::ProcessAlgorithm algorithm) { reported << algorithm; });
        const auto count = [&] {
            if (++ends < 22 && !canvas.isBusy())
                busyWhileQueued = false;
        };
        connect(&canvas, &DrawImage::loadImageDone, this, count);
        connect(&canvas, &DrawImage::propertyChanged, this, count);
        connect(&canvas, &DrawImage::saveDone, this, count);

        // Everything asked at once: 24 runs, each behind the one before.
        // Every algorithm once, the last of them Grey, then turns, mirrors and
        // negatives that the final picture shows in their order. The three
        // looks asked one after the other while waiting come down to the
        // last of them: 22 runs.
        QList<DrawImage::ProcessAlgorithm> asked;
        for (int i = 0; i < 24; ++i) {
            const auto algorithm = DrawImage::ProcessAlgorithm(i < 9 ? (i + 1) % 9 : 1 + i % 4);
            if (algorithm != DrawImage::Binarize && algorithm != DrawImage::Floyd)
                asked << algorithm;
            canvas.process(algorithm, 90);
            QVERIFY(canvas.isBusy());
        }
        QCOMPARE(asked.size(), 22);
        QTRY_COMPARE_WITH_TIMEOUT(ends, 22, 20000);
        // An algorithm outside the table is refused: no run, no signal.
        for (int algorithm : {int(DrawImage::AlgorithmCount), -1, 1000}) {
            canvas.process(DrawImage::ProcessAlgorithm(algorithm), 1);
            QVERIFY(!canvas.isBusy());
        }
        QTest::qWait(50);
        QCOMPARE(ends, 22);
        QVERIFY(busyWhileQueued);
        QVERIFY(!canvas.isBusy());
        QCOMPARE(reported, asked);

        // The same steps one after the other through the algorithm table.
        // The turns, mirrors and negatives change the grey picture too, and
        // the looks start from it.
        QImage base
            = CanvasTest::run(DrawImage::Grey, picture.convertToFormat(QImage::Format_ARGB32));
        QImage expected = base;
        for (DrawImage::ProcessAlgorithm algorithm : asked) {
            if (algorithm == DrawImage::Grey) {
                expected = base = CanvasTest::run(algorithm, base);
            } else if (algorithm >= DrawImage::Binarize && algorithm <= DrawImage::GreyFilter) {
                expected = CanvasTest::run(algorithm, base, 90);
            } else if (algorithm != DrawImage::SaveByte) {
                expected = CanvasTest::run(algorithm, expected, 90);
                base = CanvasTest::run(algorithm, base, 90);
            }
        }
        QCOMPARE(canvas.displayedImage(), expected);
        QCOMPARE(canvas.size(), QSizeF(expected.size()));
    }

    // A picture read while runs work on the current one waits for them: it
    // never replaces an image a run is changing.
    void loadDuringRuns()
    {
        Canvas canvas;
        QVERIFY(loadGrey(canvas, QStringLiteral("first.png"), {300, 200}, 40));
        const QString second = write(QStringLiteral("second.png"), greyPicture(50, 60, 200));
        QList<DrawImage::ProcessAlgorithm> reported;
        connect(&canvas, &DrawImage::finished, this,
                [&](DrawImage::ProcessAlgorithm algorithm) { reported << algorithm; });
        QSignalSpy loaded(&canvas, &DrawImage::loadImageDone);
        canvas.load(second);
        for (int i = 0; i < 6; ++i)
            canvas.process(DrawImage::Negative, 0);
        QVERIFY(loaded.wait(5000));
        QCOMPARE(reported.size(), 7);
        QCOMPARE(reported.last(), DrawImage::Grey);
        QCOMPARE(canvas.displayedImage(), greyPicture(50, 60, 200));
        QVERIFY(!canvas.isBusy());
    }

    void busyChanges_data()
    {
        QTest::addColumn<int>("runs");
        QTest::addColumn<bool>("loadMeanwhile");

        QTest::newRow("one run") << 1 << false;
        QTest::newRow("queued runs") << 5 << false;
        // The picture read during the runs gets its Grey run after them.
        QTest::newRow("picture read during runs") << 3 << true;
    }

    // The page's busy indicator and its disabled actions follow busyChanged:
    // it must come once on the first run and once after the last, never in
    // between, where a queued run or a waiting picture takes over.
    void busyChanges()
    {
        QFETCH(int, runs);
        QFETCH(bool, loadMeanwhile);

        Canvas canvas;
        // Runs on a large picture outlast reading the small one.
        QVERIFY(loadGrey(canvas, QStringLiteral("busy-first.png"), {1000, 1000}, 40));
        const QString second = write(QStringLiteral("busy-second.png"), greyPicture(50, 60, 200));
        QList<bool> seen;
        connect(&canvas, &DrawImage::busyChanged, this, [&] { seen << canvas.isBusy(); });
        QSignalSpy ended(&canvas,
                         loadMeanwhile ? &DrawImage::loadImageDone : &DrawImage::propertyChanged);
        if (loadMeanwhile)
            canvas.load(second);
        // Turns, not looks: a waiting look would give way to the next one.
        for (int i = 0; i < runs; ++i)
            canvas.process(DrawImage::Rotate, 90);
        QCOMPARE(seen, QList<bool>({true}));
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), loadMeanwhile ? 1 : runs, 10000);
        QTest::qWait(20);
        QCOMPARE(seen, QList<bool>({true, false}));
        QVERIFY(!canvas.isBusy());
    }

    void inputRefusedWhileBusy()
    {
        Canvas canvas;
        canvas.setSize(QSizeF(100, 100));
        const QString url = write(QStringLiteral("busy.png"), greyPicture(600, 500, 60));
        QVERIFY(CanvasTest::loadAndWait(canvas, url));
        QImage negated = canvas.displayedImage();
        Imaging::negate(negated);
        JobBuffer buffer;
        canvas.setJobBuffer(&buffer);

        QSignalSpy failed(&canvas, &DrawImage::loadFailed);
        QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
        canvas.process(DrawImage::Negative);
        QCOMPARE(canvas.rendered().pixel(50, 50), qRgba(0, 0, 0, 0)); // paints nothing
        // The run is reported through the event loop, so the canvas stays
        // busy through all of these, and each must leave the images alone.
        canvas.cutImage(0, 0, 10, 10);
        canvas.adjustImageScale(10, 10);
        canvas.clear();
        canvas.init();
        canvas.drawText(10, 40, QStringLiteral("refused"));
        canvas.done();
        QVERIFY(!canvas.saveImage());
        canvas.load(url);
        QCOMPARE(failed.count(), 1);
        QVERIFY(canvas.isBusy());

        QTRY_COMPARE(changed.count(), 1);
        QTest::qWait(20);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(canvas.displayedImage(), negated);
        QCOMPARE(canvas.size(), QSizeF(600, 500));
        QCOMPARE(canvas.rendered().pixel(599, 499), qRgb(195, 195, 195));
        // The refused done() made no preview: the next job keeps the old one.
        QSignalSpy saved(&canvas, &DrawImage::saveDone);
        canvas.process(DrawImage::SaveByte, 255);
        QVERIFY(saved.wait());
        QCOMPARE(buffer.preview().size(), QSize(680, 680));
        QCOMPARE(buffer.bytes().size(), 900 * 750 * 4);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("new_busy.png"))));
    }

    void destroyedWhileRunning()
    {
        const QString url = write(QStringLiteral("gone.png"), greyPicture(1050, 1050, 70));
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

    void adjustImageScale_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("millimetres");
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<QSize>("preview");
        QTest::addColumn<bool>("keepAspect");

        // 40 × mm / 3, rounded down, on a square picture; the job preview is
        // 1.5 times larger, rounded down.
        const int table[][3] = {{5, 66, 99},      {30, 400, 600}, {78, 1040, 1560},
                                {80, 1066, 1599}, {1, 13, 19},    {0, 0, 0}};
        for (const auto &row : table)
            QTest::addRow("%d mm", row[0])
                << QSize(680, 680) << QSize(row[0], row[0]) << QSize(row[1], row[1])
                << QSize(row[2], row[2]) << true;
        QTest::newRow("80 on 1050x787")
            << QSize(1050, 787) << QSize(80, 80) << QSize(1066, 798) << QSize(1599, 1197) << true;
        QTest::newRow("keeps aspect")
            << QSize(680, 680) << QSize(80, 30) << QSize(400, 400) << QSize(600, 600) << true;
        QTest::newRow("stretched, the ratio unlocked")
            << QSize(680, 680) << QSize(80, 30) << QSize(1066, 400) << QSize(1599, 600) << false;
    }

    void adjustImageScale()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, millimetres);
        QFETCH(QSize, expected);
        QFETCH(QSize, preview);
        QFETCH(bool, keepAspect);

        // init takes the item's size, cut down to whole pixels.
        DrawImage canvas;
        canvas.setSize(QSizeF(picture) + QSizeF(0.7, 0.7));
        canvas.init();
        QCOMPARE(canvas.displayedImage().size(), picture);
        QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
        canvas.adjustImageScale(millimetres.width(), millimetres.height(), keepAspect);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(canvas.displayedImage().size(), expected);
        QCOMPARE(canvas.size(), QSizeF(expected));

        JobBuffer buffer;
        canvas.setJobBuffer(&buffer);
        QSignalSpy saved(&canvas, &DrawImage::saveDone);
        canvas.done();
        canvas.process(DrawImage::SaveByte, 255);
        QVERIFY(saved.wait());
        // An empty picture makes no job: the buffer keeps what it had.
        QCOMPARE(buffer.preview().size(), preview.isEmpty() ? QSize(680, 680) : preview);
        // The canvas's own picture is not touched.
        QCOMPARE(canvas.displayedImage().size(), expected);
    }

    // Done's preview is made at the size the control page shows the job,
    // with the records from the same picture, and each job writes its
    // records into the memory of the job before the last one.
    void previewAtShownSize_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("preview");
        // 100 × 80 canvas pixels are 150 × 120 engraving pixels.
        QTest::newRow("full size") << 1.0 << QSize(150, 120);
        QTest::newRow("as the page shows it") << 0.4 << QSize(60, 48);
    }

    void previewAtShownSize()
    {
        QFETCH(double, scale);
        QFETCH(QSize, preview);

        Canvas canvas;
        QVERIFY(CanvasTest::loadAndWait(
            canvas,
            write(QStringLiteral("shown.png"),
                  CanvasTest::randomPicture(100, 80, QImage::Format_RGB32, 5))));
        JobBuffer buffer;
        buffer.setPreviewScale(scale);
        canvas.setJobBuffer(&buffer);
        QSignalSpy saved(&canvas, &DrawImage::saveDone);
        QVector<const char *> memory;
        for (int job = 0; job < 3; ++job) {
            canvas.done();
            canvas.process(DrawImage::SaveByte, 128);
            QVERIFY(saved.wait());
            memory << buffer.bytes().constData();
        }
        const QImage picture = canvas.displayedImage();
        QCOMPARE(buffer.preview().size(), preview);
        if (scale == 1.0)
            QCOMPARE(buffer.preview(), picture.scaled(150, 120));
        QCOMPARE(buffer.pictureWidth(), 150);
        QCOMPARE(buffer.pictureHeight(), 120);
        QVERIFY(buffer.bytes() == Imaging::engravingJob(picture, 128).bytes);
        QVERIFY(memory[1] != memory[0]);
        QCOMPARE(memory[2], memory[0]);
    }

    void cutImage_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QRect>("rectangle");
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<QRgb>("outside"); // pixel (199, 199) of the crop

        const QRgb white = qRgb(255, 255, 255);
        const QRgb grey = qRgb(40, 40, 40);
        QTest::newRow("0,0,0,0 blank") << false << QRect() << QSize(680, 680) << white;
        QTest::newRow("0,0,0,0 loaded") << true << QRect() << QSize(680, 680) << grey;
        QTest::newRow("inside") << true << QRect(10, 20, 200, 200) << QSize(200, 200) << grey;
        QTest::newRow("beyond blank: transparent black")
            << false << QRect(600, 600, 200, 200) << QSize(200, 200) << qRgba(0, 0, 0, 0);
        QTest::newRow("beyond loaded: black")
            << true << QRect(600, 600, 200, 200) << QSize(200, 200) << qRgb(0, 0, 0);
        QTest::newRow("no area") << true << QRect(5, 5, 0, 10) << QSize(0, 0) << QRgb(0);
    }

    void cutImage()
    {
        QFETCH(bool, loaded);
        QFETCH(QRect, rectangle);
        QFETCH(QSize, expected);
        QFETCH(QRgb, outside);

        DrawImage canvas;
        canvas.setSize(QSizeF(100, 100));
        if (loaded)
            QVERIFY(loadGrey(canvas, QStringLiteral("crop.png"), {680, 680}, 40));
        else
            canvas.clear();

        QSignalSpy changed(&canvas, &DrawImage::propertyChanged);
        canvas.cutImage(rectangle.x(), rectangle.y(), rectangle.width(), rectangle.height());
        QCOMPARE(changed.count(), 1);
        QVERIFY(!canvas.isBusy());
        QCOMPARE(canvas.displayedImage().size(), expected);
        QCOMPARE(canvas.size(), QSizeF(expected));
        if (!expected.isEmpty())
            QCOMPARE(canvas.displayedImage().pixel(199, 199), outside);
    }

    void saveImage()
    {
        // Before any load: "new_new_.jpg" in the current directory.
        DrawImage canvas;
        canvas.clear();
        QVERIFY(canvas.saveImage());
        QCOMPARE(QImageReader(QStringLiteral("new_new_.jpg")).format(), QByteArray("jpeg"));
        QCOMPARE(canvas.imageSaveAddr(), QDir::currentPath());

        // Of several dropped files the first is taken.
        const QString cat = write(QStringLiteral("pics/cat.png"), greyPicture(30, 20, 40));
        const QString other = write(QStringLiteral("other.png"), greyPicture(10, 10, 2));
        QVERIFY(CanvasTest::loadAndWait(canvas, cat + QLatin1Char(',') + other));
        const QString saved = m_dir.filePath(QStringLiteral("pics/new_cat.png"));
        QVERIFY(canvas.saveImage());
        QCOMPARE(canvas.imageSaveAddr(), m_dir.filePath(QStringLiteral("pics")));
        QCOMPARE(QImage(saved).size(), QSize(30, 20));
        QCOMPARE(QImageReader(saved).format(), QByteArray("png"));

        // Saving again overwrites the same file with the current picture.
        canvas.adjustImageScale(5, 5);
        QVERIFY(canvas.saveImage());
        QCOMPARE(QImage(saved).size(), QSize(66, 44));

        // The saved file loaded and saved again gets a second prefix.
        QVERIFY(CanvasTest::loadAndWait(canvas, QUrl::fromLocalFile(saved).toString()));
        QVERIFY(canvas.saveImage());
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("pics/new_new_cat.png"))));

        // A failed write is reported, and the page still learns where the
        // file would have gone: no writer for a suffix read by contents ...
        const QImage small = greyPicture(8, 8, 40);
        QVERIFY(
            CanvasTest::loadAndWait(canvas, write(QStringLiteral("odd/a.nowriter"), small, "PNG")));
        QVERIFY(!canvas.saveImage());
        QCOMPARE(canvas.imageSaveAddr(), m_dir.filePath(QStringLiteral("odd")));
        // ... or a directory gone.
        QVERIFY(loadGrey(canvas, QStringLiteral("gone/picture.png"), {8, 8}, 40));
        QVERIFY(QDir(m_dir.filePath(QStringLiteral("gone"))).removeRecursively());
        QVERIFY(!canvas.saveImage());
        QCOMPARE(canvas.imageSaveAddr(), m_dir.filePath(QStringLiteral("gone")));
    }
};

QTEST_MAIN(TestDrawImage)
#include "tst_drawimage.moc"
