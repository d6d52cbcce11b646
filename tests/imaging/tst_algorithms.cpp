#include "engraver/jobbuffer.h"
#include "imaging/pictureexport.h"
#include "tests/drawboard/canvastest.h"

#include <QImageReader>

using CanvasTest::greyPicture;
using CanvasTest::run;

// The canvas algorithms, called through the table the pipeline uses: the
// fast scan-line code against the plain per-pixel definitions, and small
// pictures whose expected pixels are known; SaveByte turning a picture into
// the engraving job, and the job buffer it writes; the picture exported for
// other programs.
class TestAlgorithms : public QObject
{
    Q_OBJECT

    enum { Grey, Rotate, HMirror, VMirror, Negative, Binarize, Floyd, GreyFilter, SaveByte };

    // The definitions of the tone algorithms, one pixel at a time.
    static QRgb definition(int algorithm, const QImage &picture, int x, int y, double para)
    {
        const QRgb p = picture.pixel(x, y);
        const int r = qRed(p);
        const QRgb black = qRgb(0, 0, 0);
        const QRgb white = qRgb(255, 255, 255);
        switch (algorithm) {
        case Grey: {
            // An indexed picture's indices are taken as levels, its colours ignored.
            const int level = picture.format() == QImage::Format_Indexed8
                ? picture.pixelIndex(x, y)
                : (11 * r + 16 * qGreen(p) + 5 * qBlue(p)) >> 5;
            return qRgb(level, level, level);
        }
        case Negative:
            return qRgba(255 - r, 255 - qGreen(p), 255 - qBlue(p), qAlpha(p));
        case Binarize:
            return r < para ? black : white;
        default:
            return r > para ? white : p;
        }
    }

    // Floyd-Steinberg in floating point, in place, on the inner pixels only;
    // the frame receives error but is never quantised. A pixel that starts
    // at 0 or 255 keeps its level, spreads no error and takes none.
    static QImage floydDefinition(QImage image, double threshold)
    {
        const struct
        {
            int dx, dy;
            double weight;
        } spread[] = {{1, 0, 7 / 16.0}, {-1, 1, 3 / 16.0}, {0, 1, 5 / 16.0}, {1, 1, 1 / 16.0}};
        const QImage start = image;
        const auto pure = [&start](int x, int y) {
            const int level = qRed(start.pixel(x, y));
            return level == 0 || level == 255;
        };
        for (int y = 1; y < image.height() - 1; ++y) {
            for (int x = 1; x < image.width() - 1; ++x) {
                const int v = qRed(image.pixel(x, y));
                const bool black = pure(x, y) ? qRed(start.pixel(x, y)) == 0 : threshold > v;
                image.setPixel(x, y, black ? 0xFF000000u : 0xFFFFFFFFu);
                const double e = pure(x, y) ? 0 : black ? v : v - 255;
                for (const auto &s : spread) {
                    const int n = qRed(image.pixel(x + s.dx, y + s.dy));
                    const double taken = pure(x + s.dx, y + s.dy) ? 0 : e * s.weight;
                    const int value = qBound(0, int(n + taken), 255);
                    image.setPixel(x + s.dx, y + s.dy, qRgb(value, value, value));
                }
            }
        }
        return image;
    }

    // SaveByte's definition, pixel by pixel on the enlarged copy.
    static Imaging::EngravingJob reference(const QImage &image, double threshold)
    {
        Imaging::EngravingJob job;
        const int width = int(image.width() * 1.5f);
        const int height = int(image.height() * 1.5f);
        const QImage scaled
            = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        job.xmin = width;
        job.ymin = height;
        bool rightward = true;
        for (int y = 0; y < height; ++y) {
            bool burned = false;
            for (int i = 0; i < width; ++i) {
                const int x = rightward ? i : width - 1 - i;
                const int g = qRed(scaled.pixel(x, y));
                if (!(threshold >= g) || x >= 4096 || y >= 4096)
                    continue;
                const char record[4] = {char(x & 0xFF), char(((x >> 8) << 4) | (y >> 8)),
                                        char(y & 0xFF), char(255 - g)};
                job.bytes.append(record, 4);
                job.xmin = qMin(job.xmin, x);
                job.xmax = qMax(job.xmax, x);
                job.ymin = qMin(job.ymin, y);
                job.ymax = qMax(job.ymax, y);
                burned = true;
            }
            if (burned)
                rightward = !rightward;
        }
        return job;
    }

    static QVector<int> bounds(const JobBuffer &job)
    {
        return {job.xmin(), job.ymin(), job.xmax(), job.ymax()};
    }

    template<typename Job>
    static QVector<int> bounds(const Job &job)
    {
        return {job.xmin, job.ymin, job.xmax, job.ymax};
    }

private slots:
    void matchesDefinition_data()
    {
        QTest::addColumn<int>("algorithm");
        QTest::addColumn<double>("para");
        QTest::addColumn<QImage::Format>("format");

        const QVector<QPair<int, QVector<double>>> runs = {{Grey, {0}},
                                                           {Negative, {0}},
                                                           {Binarize, {0, 127.5, 128, 256}},
                                                           {GreyFilter, {0, 200, 255}},
                                                           {Floyd, {0, 37.5, 128, 256}}};
        // The formats the canvas holds, and one it never holds.
        for (QImage::Format format :
             {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888})
            for (const auto &run : runs)
                for (double para : run.second)
                    QTest::addRow("algorithm %d at %g, format %d", run.first, para, format)
                        << run.first << para << format;
        QTest::newRow("grey, indexed") << int(Grey) << 0.0 << QImage::Format_Indexed8;
    }

    void matchesDefinition()
    {
        QFETCH(int, algorithm);
        QFETCH(double, para);
        QFETCH(QImage::Format, format);

        // Random colours, a row with every grey level, and the colours whose
        // greys are known: white 255, red 87, green 127, blue 39, grey 100,
        // and a transparent red that keeps its colour's grey.
        QImage picture = CanvasTest::randomPicture(256, 9, QImage::Format_ARGB32, 7);
        for (int x = 0; x < 256; ++x)
            picture.setPixel(x, 2, qRgb(x, x, x));
        const QRgb known[] = {qRgb(255, 255, 255), qRgb(255, 0, 0),     qRgb(0, 255, 0),
                              qRgb(0, 0, 255),     qRgb(100, 100, 100), qRgba(255, 0, 0, 0)};
        for (int i = 0; i < 6; ++i)
            picture.setPixel(i + 1, 4, known[i]);
        picture = picture.convertToFormat(format);

        QImage expected
            = algorithm == Grey ? QImage(picture.size(), QImage::Format_RGB32) : picture;
        if (algorithm == Floyd)
            expected = floydDefinition(picture, para);
        else
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    expected.setPixel(x, y, definition(algorithm, picture, x, y, para));
        const QImage result = run(algorithm, picture, para);
        QCOMPARE(result.format(), expected.format());
        QCOMPARE(result, expected);
        if (algorithm == Grey && format != QImage::Format_Indexed8) {
            const int levels[] = {255, 87, 127, 39, 100, 87};
            for (int i = 0; i < 6; ++i)
                QCOMPARE(qRed(result.pixel(i + 1, 4)), levels[i]);
        }
    }

    void geometry_data()
    {
        QTest::addColumn<int>("algorithm");
        QTest::addColumn<double>("degrees");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("topLeftGoesTo");
        QTest::addColumn<int>("period"); // runs that bring the picture back

        // A positive angle turns clockwise on the screen (y points down).
        QTest::newRow("90") << int(Rotate) << 90.0 << QSize(200, 300) << QPoint(199, 0) << 4;
        QTest::newRow("180") << int(Rotate) << 180.0 << QSize(300, 200) << QPoint(299, 199) << 2;
        QTest::newRow("270") << int(Rotate) << 270.0 << QSize(200, 300) << QPoint(0, 299) << 4;
        QTest::newRow("-90") << int(Rotate) << -90.0 << QSize(200, 300) << QPoint(0, 299) << 4;
        QTest::newRow("0, the default") << int(Rotate) << 0.0 << QSize(300, 200) << QPoint() << 1;
        QTest::newRow("hmirror") << int(HMirror) << 0.0 << QSize(300, 200) << QPoint(299, 0) << 2;
        QTest::newRow("vmirror") << int(VMirror) << 0.0 << QSize(300, 200) << QPoint(0, 199) << 2;
    }

    void geometry()
    {
        QFETCH(int, algorithm);
        QFETCH(double, degrees);
        QFETCH(QSize, size);
        QFETCH(QPoint, topLeftGoesTo);
        QFETCH(int, period);

        const QImage picture = CanvasTest::randomPicture(300, 200, QImage::Format_RGB32, 42);
        const QImage once = run(algorithm, picture, degrees);
        QCOMPARE(once.size(), size);
        QCOMPARE(once.format(), picture.format());
        QCOMPARE(once.pixel(topLeftGoesTo), picture.pixel(0, 0));
        QImage back = once;
        for (int i = 1; i < period; ++i) {
            QVERIFY(back != picture);
            back = run(algorithm, back, degrees);
        }
        QCOMPARE(back, picture);
    }

    void loadCap()
    {
        // Picture size -> size after the cap; 2000 × 2000 shows the float factor.
        const QSize table[][2] = {{{4000, 3000}, {1050, 787}},  {{1080, 1920}, {590, 1050}},
                                  {{1051, 1000}, {1050, 999}},  {{2000, 2000}, {1049, 1050}},
                                  {{1050, 1050}, {1050, 1050}}, {{10, 700}, {10, 700}}};
        for (const auto &row : table)
            QCOMPARE(Imaging::cappedLoadSize(row[0]), row[1]);
    }

    void floydSmallPictures()
    {
        // Grey 100 at threshold 120: (1, 1) turns black and passes its 100 on
        // as +43, +18, +31 and +6; the frame is never quantised.
        const QImage result = run(Floyd, greyPicture(3, 3, 100), 120);
        const int expected[] = {100, 100, 100, 100, 0, 143, 118, 131, 106};
        for (int i = 0; i < 9; ++i)
            QCOMPARE(result.pixel(i % 3, i / 3), qRgb(expected[i], expected[i], expected[i]));
        // Two pixels high or wide, there is no inside to quantise.
        for (const QSize size : {QSize(5, 2), QSize(2, 5), QSize(1, 1)}) {
            const QImage picture
                = CanvasTest::randomPicture(size.width(), size.height(), QImage::Format_RGB32, 1);
            QCOMPARE(run(Floyd, picture, 120), picture);
        }
    }

    void recordBytes()
    {
        const struct
        {
            int x, y, intensity;
            const char *hex;
        } table[] = {
            {300, 5, 255, "2c1005ff"}, {1599, 1599, 255, "3f663fff"}, {4095, 4095, 1, "ffffff01"}};
        for (const auto &row : table) {
            char out[4];
            qToLittleEndian(Imaging::engravingRecord(row.x, row.y, row.intensity), out);
            QCOMPARE(QByteArray(out, 4).toHex(), QByteArray(row.hex));
        }
    }

    void jobAfterSaveByte()
    {
        // Black 4 × 2 is 6 × 3 engraving pixels, the middle row leftward.
        Imaging::EngravingJob job;
        run(SaveByte, greyPicture(4, 2, 0), 128, &job);
        QVERIFY(job.built);
        QCOMPARE(job.bytes.size(), 72);
        // The middle row starts at its right end: (5, 1), (4, 1), ...
        QCOMPARE(job.bytes.mid(24, 8).toHex(), QByteArray("050001ff040001ff"));
        QVERIFY(job.bytes == reference(greyPicture(4, 2, 0), 128).bytes);
        QCOMPARE(bounds(job), QVector<int>({0, 0, 5, 2}));

        // A null picture builds nothing.
        Imaging::EngravingJob none;
        run(SaveByte, QImage(), 128, &none);
        QVERIFY(!none.built);

        // Nothing burned: an empty stream, bounds W, H, 0, 0.
        Imaging::EngravingJob white;
        run(SaveByte, greyPicture(101, 3, 255), 128, &white);
        QVERIFY(white.built);
        QVERIFY(white.bytes.isEmpty());
        QCOMPARE(bounds(white), QVector<int>({151, 4, 0, 0}));
    }

    // Publishing replaces the whole job and starts sending from its first
    // byte; bounds are 16-bit; the preview is a copy of its own.
    void jobBufferPublish()
    {
        JobBuffer buffer;
        QImage preview = greyPicture(3, 3, 10);
        buffer.publish(preview, QByteArray(2500, 'x'), 70000, 5, 10, 20);
        preview.setPixel(0, 0, qRgb(200, 200, 200));
        QCOMPARE(buffer.preview().pixel(0, 0), qRgb(10, 10, 10));
        QCOMPARE(bounds(buffer), QVector<int>({4464, 5, 10, 20}));
        buffer.takeChunk(1);
        QCOMPARE(buffer.position(), 1024u);

        // A job published without a preview keeps the one shown.
        buffer.publish(QImage(), QByteArray(8, 'y'), 0, 0, 1, 1);
        QCOMPARE(buffer.position(), 0u);
        QCOMPARE(buffer.bytes(), QByteArray(8, 'y'));
        QCOMPARE(buffer.preview().size(), QSize(3, 3));
    }

    // A job writes its records into the memory of the job published before
    // the current one: reused when it is large enough and nobody else holds
    // it, never written while somebody does (a data request may be reading
    // it), and the records are those a fresh job gets either way.
    void spareRecords_data()
    {
        QTest::addColumn<int>("spareBytes");
        QTest::addColumn<bool>("heldElsewhere");
        QTest::addColumn<bool>("reused");
        // 40 × 30 black: 60 × 45 engraving pixels, 10800 bytes of records.
        QTest::newRow("large enough") << 20000 << false << true;
        QTest::newRow("just large enough") << 10800 << false << true;
        QTest::newRow("too small") << 4000 << false << false;
        QTest::newRow("still held elsewhere") << 20000 << true << false;
        QTest::newRow("none") << 0 << false << false;
    }

    void spareRecords()
    {
        QFETCH(int, spareBytes);
        QFETCH(bool, heldElsewhere);
        QFETCH(bool, reused);

        JobBuffer buffer;
        buffer.publish(QImage(), QByteArray(spareBytes, 'a'), 0, 0, 0, 0);
        const char *spareMemory = buffer.bytes().constData();
        // As if the true-size view were still being drawn from it.
        QByteArray holder;
        if (heldElsewhere)
            holder = buffer.bytes();
        buffer.publish(QImage(), QByteArray(8, 'b'), 0, 0, 0, 0);
        Imaging::EngravingJob job;
        job.bytes = buffer.takeSpareBytes();
        QVERIFY(buffer.takeSpareBytes().isEmpty());

        const QImage picture = greyPicture(40, 30, 0);
        run(SaveByte, picture, 128, &job);
        const Imaging::EngravingJob fresh = Imaging::engravingJob(picture, 128);
        QVERIFY(job.bytes == fresh.bytes);
        QCOMPARE(bounds(job), bounds(fresh));
        QCOMPARE(job.bytes.constData() == spareMemory, reused);
        if (heldElsewhere)
            QCOMPARE(holder, QByteArray(spareBytes, 'a'));
    }

    // Records larger than any job over the engraving area are not kept.
    void spareRecordsLimit()
    {
        JobBuffer buffer;
        buffer.publish(QImage(), QByteArray(Imaging::reusableJobBytes + 1, 'a'), 0, 0, 0, 0);
        buffer.publish(QImage(), QByteArray(8, 'b'), 0, 0, 0, 0);
        QVERIFY(buffer.takeSpareBytes().isEmpty());
        buffer.publish(QImage(), QByteArray(8, 'c'), 0, 0, 0, 0);
        QCOMPARE(buffer.takeSpareBytes(), QByteArray(8, 'b'));
    }

    // The preview is made at the scale the control page shows it, never
    // larger than the job and never empty; a scale the page cannot have
    // meant leaves it at full size.
    void previewSize_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("full size") << 1.0 << QSize(1575, 1050) << QSize(1575, 1050);
        QTest::newRow("shown smaller") << 0.4 << QSize(1575, 1050) << QSize(630, 420);
        QTest::newRow("rounded up") << 0.3 << QSize(1599, 1) << QSize(480, 1);
        QTest::newRow("tiny scale") << 0.0001 << QSize(10, 10) << QSize(1, 1);
        QTest::newRow("larger than the job") << 2.5 << QSize(300, 200) << QSize(300, 200);
        QTest::newRow("page not laid out") << 0.0 << QSize(300, 200) << QSize(300, 200);
        QTest::newRow("nonsense") << -1.0 << QSize(300, 200) << QSize(300, 200);
    }

    void previewSize()
    {
        QFETCH(double, scale);
        QFETCH(QSize, picture);
        QFETCH(QSize, expected);
        JobBuffer buffer;
        buffer.setPreviewScale(scale);
        QCOMPARE(buffer.previewSizeFor(picture), expected);
    }

    void unconfirmedChunk_data()
    {
        // Requests answered ("B1" data, "B2" resend), then the link drops:
        // where the next request starts.
        QTest::addColumn<QByteArrayList>("requests");
        QTest::addColumn<int>("resumeAt");
        using R = QByteArrayList;
        QTest::newRow("first chunk never confirmed") << R {"B1"} << 0;
        QTest::newRow("second chunk in flight") << R {"B1", "B1"} << 1024;
        QTest::newRow("resend keeps it unconfirmed") << R {"B1", "B1", "B2"} << 1024;
        QTest::newRow("end of data confirms the last") << R {"B1", "B1", "B1", "B1"} << 2500;
        QTest::newRow("nothing sent") << R {} << 0;
        QTest::newRow("stop resets") << R {"B1", "B1", "reset"} << 0;
    }

    void unconfirmedChunk()
    {
        QFETCH(QByteArrayList, requests);
        QFETCH(int, resumeAt);
        JobBuffer buffer;
        buffer.publish(QImage(), QByteArray(2500, 'x'), 0, 0, 0, 0);
        for (const QByteArray &request : requests) {
            if (request == "reset")
                buffer.resetJobPosition();
            else
                buffer.takeChunk(request == "B2" ? 2 : 1);
        }
        buffer.rewindUnconfirmedChunk();
        QCOMPARE(buffer.position(), quint32(resumeAt));
        // Rewinding twice does not go further back.
        buffer.rewindUnconfirmedChunk();
        QCOMPARE(buffer.position(), quint32(resumeAt));
    }

    void engravingMatchesDefinition_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<double>("threshold");

        const QSize sizes[] = {{1, 1}, {2, 1}, {3, 7}, {64, 33}, {101, 57}};
        for (int i = 0; i < 5; ++i) {
            const QSize size = sizes[i];
            for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32})
                QTest::addRow("%dx%d, format %d", size.width(), size.height(), format)
                    << size << format << double(i * 71 % 256);
        }
        // Every grey level is there: 255 burns white, 128 burns 128 but not 129.
        for (double threshold : {0.0, 127.5, 128.0, 255.0})
            QTest::addRow("257x128 at %g", threshold)
                << QSize(257, 128) << QImage::Format_RGB32 << threshold;
        QTest::newRow("indexed 40x30") << QSize(40, 30) << QImage::Format_Indexed8 << 128.0;
        // 2800 canvas pixels are 4200 engraving pixels: the columns from 4096 on
        // cannot be encoded and are not burned rather than wrapped to x - 4096.
        QTest::newRow("beyond 4095") << QSize(2800, 2) << QImage::Format_RGB32 << 255.0;
    }

    void engravingMatchesDefinition()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QFETCH(double, threshold);

        QRandomGenerator random(uint(size.width() * 1000 + size.height()));
        QImage picture(size, QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                // Mostly grey, with some rows left white: one such row gives one
                // or two engraving rows without a burn, after which the direction
                // must be kept. Random alpha where the format has one.
                const quint32 r = random.generate();
                const int level = (y % 5 == 2) ? 255 : int(r & 0xFF);
                const int alpha = format == QImage::Format_ARGB32 ? int((r >> 8) & 0xFF) : 255;
                picture.setPixel(x, y, qRgba(level, level, level, alpha));
            }
        }
        picture = picture.convertToFormat(format);

        const Imaging::EngravingJob expected = reference(picture, threshold);
        const Imaging::EngravingJob job = Imaging::engravingJob(picture, threshold);
        QCOMPARE(job.bytes.size(), expected.bytes.size());
        QVERIFY(job.bytes == expected.bytes);
        QCOMPARE(bounds(job), bounds(expected));
    }
    // The exported file shows what Done engraves: for the black-and-white
    // and dithered looks black exactly where a pixel is burned, for the grey
    // look each pixel's grey level; read back as written, lossless, at 0.075
    // mm a pixel. Widths off a multiple of 8 leave a part byte at each line's end.
    void exportedPicture_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<bool>("greyLook");
        QTest::addColumn<double>("threshold");

        QTest::newRow("black and white, RGB32")
            << QSize(13, 5) << QImage::Format_RGB32 << false << 128.0;
        QTest::newRow("dithered, ARGB32")
            << QSize(101, 57) << QImage::Format_ARGB32 << false << 120.0;
        QTest::newRow("burn nothing") << QSize(64, 3) << QImage::Format_RGB32 << false << -1.0;
        QTest::newRow("burn all") << QSize(9, 9) << QImage::Format_ARGB32 << false << 255.0;
        QTest::newRow("grey, RGB32") << QSize(257, 4) << QImage::Format_RGB32 << true << 255.0;
        QTest::newRow("grey, ARGB32") << QSize(31, 17) << QImage::Format_ARGB32 << true << 60.0;
        QTest::newRow("grey, indexed") << QSize(40, 30) << QImage::Format_Indexed8 << true << 255.0;
    }

    void exportedPicture()
    {
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        QFETCH(bool, greyLook);
        QFETCH(double, threshold);

        // Every grey level. Where the format has alpha, pixels are opaque or
        // wholly transparent at random, as on the canvas (a crop reaching
        // past a blank picture leaves transparent ones).
        QRandomGenerator random(uint(size.width() * 1000 + size.height()));
        QImage picture(size, QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const quint32 r = random.generate();
                const int level = (y * size.width() + x) % 256;
                const int alpha = format == QImage::Format_ARGB32 && (r & 1) ? 0 : 255;
                picture.setPixel(x, y, qRgba(level, level, level, alpha));
            }
        }
        picture = picture.convertToFormat(format);

        const QImage exported = Imaging::exportedPicture(picture, greyLook, threshold);
        QCOMPARE(exported.format(), greyLook ? QImage::Format_Grayscale8 : QImage::Format_Mono);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("picture.png"));
        QCOMPARE(Imaging::writePngFile(exported, path), QString());
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("png"));
        const QImage read = reader.read();
        QCOMPARE(read.format(), exported.format());
        QCOMPARE(read.size(), size);
        QCOMPARE(read.dotsPerMeterX(), 13333);
        QCOMPARE(read.dotsPerMeterY(), 13333);

        // Against the engraving job: the records at the threshold are the
        // burned pixels, those at 255 (every pixel burned) carry each
        // pixel's level as its intensity. Canvas pixel (x, y) covers
        // engraving pixel (1.5 x, 1.5 y), rounded up.
        const auto intensities = [](const QImage &image, double at) {
            QHash<quint32, int> found;
            const QByteArray bytes = Imaging::engravingJob(image, at).bytes;
            for (int i = 0; i < bytes.size(); i += 4) {
                const auto *b = reinterpret_cast<const uchar *>(bytes.constData() + i);
                const int x = b[0] | (b[1] & 0xF0) << 4;
                const int y = b[2] | (b[1] & 0x0F) << 8;
                found.insert(quint32(x) << 16 | quint32(y), b[3]);
            }
            return found;
        };
        const QHash<quint32, int> burned = intensities(picture, threshold);
        const QHash<quint32, int> all = intensities(picture, 255);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const quint32 at = quint32(Imaging::engravingSize(x) + x % 2) << 16
                    | quint32(Imaging::engravingSize(y) + y % 2);
                QVERIFY(all.contains(at));
                const QRgb pixel = read.pixel(x, y);
                if (greyLook)
                    QCOMPARE(qRed(pixel), 255 - all.value(at));
                else
                    QCOMPARE(pixel, burned.contains(at) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            }
        }
    }

    // A write that fails says why and leaves no file behind, nor a part of
    // one; a file already there stays as it was.
    void exportWriteFails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QImage>("picture");

        QTest::newRow("no such folder")
            << QStringLiteral("missing/picture.png") << greyPicture(8, 8, 0);
        QTest::newRow("nothing to write") << QStringLiteral("picture.png") << QImage();
    }

    void exportWriteFails()
    {
        QFETCH(QString, name);
        QFETCH(QImage, picture);

        QTemporaryDir dir;
        QFile old(dir.filePath(QStringLiteral("picture.png")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("earlier");
        old.close();

        const QString error = Imaging::writePngFile(Imaging::exportedPicture(picture, false, 128),
                                                    dir.filePath(name));
        QVERIFY2(!error.isEmpty(), "a failed write must say why");
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList {QStringLiteral("picture.png")});
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("earlier"));
    }
};

QTEST_GUILESS_MAIN(TestAlgorithms)
#include "tst_algorithms.moc"
