#include "imaging/algorithms.h"

#include <QMutex>
#include <QRandomGenerator>
#include <QtTest>

// The tone and geometry algorithms, called through the table the pipeline
// uses, on small pictures whose expected pixels are known.
class TestAlgorithms : public QObject
{
    Q_OBJECT

private:
    static QImage run(int index, QImage image, double para = 0)
    {
        QMutex mutex;
        algorithmTable[index](&image, &mutex, para);
        return image;
    }

    static QImage greyPicture(int width, int height, int level)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(qRgb(level, level, level));
        return image;
    }

    static QImage randomPicture(int width, int height, QImage::Format format, quint32 seed)
    {
        QRandomGenerator random(seed);
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, random.generate());
        }
        return image.convertToFormat(format);
    }

private slots:
    void grey_data();
    void grey();
    void greyCopiesIndices();
    void quarterTurns_data();
    void quarterTurns();
    void roundTrips_data();
    void roundTrips();
    void threshold_data();
    void threshold();
    void matchesPixelDefinition_data();
    void matchesPixelDefinition();
    void nullPictureUnchanged_data();
    void nullPictureUnchanged();
    void loadCap_data();
    void loadCap();
    void floydSmallPictures_data();
    void floydSmallPictures();
    void floydMatchesDefinition_data();
    void floydMatchesDefinition();
};

enum { Grey, Rotate, HMirror, VMirror, Negative, Binarize, Floyd, GreyFilter, SaveByte };

void TestAlgorithms::grey_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QRgb>("pixel");
    QTest::addColumn<int>("expected");

    const struct
    {
        const char *name;
        QRgb pixel;
        int expected;
    } cases[] = {
        {"white", qRgb(255, 255, 255), 255},
        {"red", qRgb(255, 0, 0), 87},
        {"green", qRgb(0, 255, 0), 127},
        {"blue", qRgb(0, 0, 255), 39},
        {"grey 100", qRgb(100, 100, 100), 100},
        // Alpha is ignored: a transparent pixel keeps its colour's grey.
        {"transparent red", qRgba(255, 0, 0, 0), 87},
    };
    for (const auto &c : cases) {
        QTest::addRow("argb32 %s", c.name) << QImage::Format_ARGB32 << c.pixel << c.expected;
        if (qAlpha(c.pixel) == 255)
            QTest::addRow("rgb32 %s", c.name) << QImage::Format_RGB32 << c.pixel << c.expected;
    }
    // Other formats are made 32-bit first.
    QTest::newRow("rgb888 red") << QImage::Format_RGB888 << qRgb(255, 0, 0) << 87;
}

void TestAlgorithms::grey()
{
    QFETCH(QImage::Format, format);
    QFETCH(QRgb, pixel);
    QFETCH(int, expected);

    QImage source(3, 2, QImage::Format_ARGB32);
    source.fill(pixel);
    const QImage grey = run(Grey, source.convertToFormat(format));

    QCOMPARE(grey.format(), QImage::Format_RGB32);
    QCOMPARE(grey.size(), QSize(3, 2));
    QCOMPARE(grey.pixel(2, 1), qRgb(expected, expected, expected));
}

void TestAlgorithms::greyCopiesIndices()
{
    // The colour table is not consulted: index 0 becomes black even where it
    // means white.
    QImage indexed(4, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    indexed.setPixel(0, 0, 0);
    indexed.setPixel(1, 0, 1);
    indexed.setPixel(2, 0, 0);
    indexed.setPixel(3, 0, 1);

    const QImage grey = run(Grey, indexed);
    QCOMPARE(grey.format(), QImage::Format_RGB32);
    QCOMPARE(grey.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(grey.pixel(1, 0), qRgb(1, 1, 1));
}

void TestAlgorithms::quarterTurns_data()
{
    QTest::addColumn<double>("degrees");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("topLeftGoesTo");

    // A positive angle turns clockwise on the screen (y points down).
    QTest::newRow("90") << 90.0 << QSize(200, 300) << QPoint(199, 0);
    QTest::newRow("180") << 180.0 << QSize(300, 200) << QPoint(299, 199);
    QTest::newRow("270") << 270.0 << QSize(200, 300) << QPoint(0, 299);
    QTest::newRow("-90") << -90.0 << QSize(200, 300) << QPoint(0, 299);
    QTest::newRow("0, the default") << 0.0 << QSize(300, 200) << QPoint(0, 0);
}

void TestAlgorithms::quarterTurns()
{
    QFETCH(double, degrees);
    QFETCH(QSize, size);
    QFETCH(QPoint, topLeftGoesTo);

    QImage picture = greyPicture(300, 200, 200);
    picture.setPixel(0, 0, qRgb(7, 7, 7));

    const QImage turned = run(Rotate, picture, degrees);
    QCOMPARE(turned.size(), size);
    QCOMPARE(turned.format(), QImage::Format_RGB32);
    QCOMPARE(turned.pixel(topLeftGoesTo), qRgb(7, 7, 7));

    QImage back = turned;
    for (double total = degrees; std::fmod(total, 360.0) != 0; total += degrees)
        back = run(Rotate, back, degrees);
    QCOMPARE(back, picture);
}

void TestAlgorithms::roundTrips_data()
{
    QTest::addColumn<int>("algorithm");
    QTest::addColumn<QPoint>("probe");
    QTest::addColumn<QPoint>("probeGoesTo");
    QTest::addColumn<QRgb>("probeBecomes");

    QTest::newRow("hmirror") << int(HMirror) << QPoint(2, 1) << QPoint(4, 1)
                             << qRgba(10, 20, 30, 40);
    QTest::newRow("vmirror") << int(VMirror) << QPoint(2, 1) << QPoint(2, 2)
                             << qRgba(10, 20, 30, 40);
    QTest::newRow("negative") << int(Negative) << QPoint(2, 1) << QPoint(2, 1)
                              << qRgba(245, 235, 225, 40);
}

void TestAlgorithms::roundTrips()
{
    QFETCH(int, algorithm);
    QFETCH(QPoint, probe);
    QFETCH(QPoint, probeGoesTo);
    QFETCH(QRgb, probeBecomes);

    QImage picture = randomPicture(7, 4, QImage::Format_ARGB32, 42);
    picture.setPixel(probe, qRgba(10, 20, 30, 40));

    const QImage once = run(algorithm, picture);
    QCOMPARE(once.size(), picture.size());
    QCOMPARE(once.format(), picture.format());
    QCOMPARE(once.pixel(probeGoesTo), probeBecomes);
    QVERIFY(once != picture);
    QCOMPARE(run(algorithm, once), picture);
}

void TestAlgorithms::threshold_data()
{
    QTest::addColumn<int>("algorithm");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("expected");

    QTest::newRow("binarize 128: 127 black") << int(Binarize) << 128.0 << 127 << 0;
    QTest::newRow("binarize 128: 128 white") << int(Binarize) << 128.0 << 128 << 255;
    QTest::newRow("binarize 127.5: 127 black") << int(Binarize) << 127.5 << 127 << 0;
    QTest::newRow("binarize 0: 0 white") << int(Binarize) << 0.0 << 0 << 255;
    QTest::newRow("binarize 256: 255 black") << int(Binarize) << 256.0 << 255 << 0;
    QTest::newRow("binarize -1: 0 white") << int(Binarize) << -1.0 << 0 << 255;
    QTest::newRow("filter 200: 200 kept") << int(GreyFilter) << 200.0 << 200 << 200;
    QTest::newRow("filter 200: 201 white") << int(GreyFilter) << 200.0 << 201 << 255;
    QTest::newRow("filter 255: 255 kept") << int(GreyFilter) << 255.0 << 255 << 255;
    QTest::newRow("filter 255: 254 kept") << int(GreyFilter) << 255.0 << 254 << 254;
    QTest::newRow("filter 0: 1 white") << int(GreyFilter) << 0.0 << 1 << 255;
    QTest::newRow("filter 0: 0 kept") << int(GreyFilter) << 0.0 << 0 << 0;
}

void TestAlgorithms::threshold()
{
    QFETCH(int, algorithm);
    QFETCH(double, threshold);
    QFETCH(int, level);
    QFETCH(int, expected);

    const QImage result = run(algorithm, greyPicture(5, 3, level), threshold);
    QCOMPARE(result.format(), QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            QCOMPARE(result.pixel(x, y), qRgb(expected, expected, expected));
    }
}

// The fast scan-line code against the plain per-pixel definitions, on random
// pictures in the formats the canvas holds and in one it never holds.
void TestAlgorithms::matchesPixelDefinition_data()
{
    QTest::addColumn<int>("algorithm");
    QTest::addColumn<double>("para");
    QTest::addColumn<QImage::Format>("format");

    const QImage::Format formats[]
        = {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888};
    for (QImage::Format format : formats) {
        QTest::addRow("negative %d", format) << int(Negative) << 0.0 << format;
        QTest::addRow("binarize %d", format) << int(Binarize) << 100.0 << format;
        QTest::addRow("filter %d", format) << int(GreyFilter) << 150.0 << format;
    }
}

void TestAlgorithms::matchesPixelDefinition()
{
    QFETCH(int, algorithm);
    QFETCH(double, para);
    QFETCH(QImage::Format, format);

    const QImage picture = randomPicture(33, 17, format, 7);
    QImage expected = picture;
    for (int x = 0; x < picture.width(); ++x) {
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb p = picture.pixel(x, y);
            const int r = qRed(p);
            QRgb result = p;
            if (algorithm == Negative)
                result = qRgba(255 - qRed(p), 255 - qGreen(p), 255 - qBlue(p), qAlpha(p));
            else if (algorithm == Binarize)
                result = r < para ? 0xFF000000u : 0xFFFFFFFFu;
            else if (r > para)
                result = 0xFFFFFFFFu;
            expected.setPixel(x, y, result);
        }
    }
    const QImage result = run(algorithm, picture, para);
    QCOMPARE(result.format(), format);
    QCOMPARE(result, expected);
}

void TestAlgorithms::nullPictureUnchanged_data()
{
    QTest::addColumn<int>("algorithm");
    for (int index = 0; index < algorithmCount; ++index)
        QTest::addRow("algorithm %d", index) << index;
}

void TestAlgorithms::nullPictureUnchanged()
{
    QFETCH(int, algorithm);
    QVERIFY(run(algorithm, QImage(), 90).isNull());
}

void TestAlgorithms::loadCap_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("4000x3000") << QSize(4000, 3000) << QSize(1050, 787);
    QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(1050, 590);
    QTest::newRow("1080x1920") << QSize(1080, 1920) << QSize(590, 1050);
    QTest::newRow("1051x1000") << QSize(1051, 1000) << QSize(1050, 999);
    QTest::newRow("2000x2000, float factor") << QSize(2000, 2000) << QSize(1049, 1050);
    QTest::newRow("1050x1050 unchanged") << QSize(1050, 1050) << QSize(1050, 1050);
    QTest::newRow("1050x1051") << QSize(1050, 1051) << QSize(1049, 1050);
    QTest::newRow("small unchanged") << QSize(10, 700) << QSize(10, 700);
}

void TestAlgorithms::loadCap()
{
    QFETCH(QSize, size);
    QFETCH(QSize, expected);
    QCOMPARE(Imaging::cappedLoadSize(size), expected);
}

// Pictures of three by three or so, where every diffused value is known.
void TestAlgorithms::floydSmallPictures_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QVector<int>>("levels"); // row by row; one level fills the picture
    QTest::addColumn<double>("threshold");
    QTest::addColumn<QVector<int>>("expected");

    // (1, 1) turns black and passes its 100 on: +43, +18, +31, +6.
    QTest::newRow("worked example") << QSize(3, 3) << QVector<int> {100} << 120.0
                                    << QVector<int> {100, 100, 100, 100, 0, 143, 118, 131, 106};
    // A dark pixel among light ones never wraps them round to dark.
    QTest::newRow("clamp at 255") << QSize(3, 3)
                                  << QVector<int> {250, 250, 250, 250, 200, 250, 250, 250, 250}
                                  << 256.0
                                  << QVector<int> {250, 250, 250, 250, 0, 255, 255, 255, 255};
    // And a light pixel among dark ones never wraps them round to light.
    QTest::newRow("clamp at 0") << QSize(3, 3) << QVector<int> {5, 5, 5, 5, 10, 5, 5, 5, 5} << 0.0
                                << QVector<int> {5, 5, 5, 5, 255, 0, 0, 0, 0};
    QTest::newRow("threshold 0, all white inside")
        << QSize(4, 3) << QVector<int> {0} << 0.0
        << QVector<int> {0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 0};
    QTest::newRow("threshold 256, all black inside")
        << QSize(4, 3) << QVector<int> {255} << 256.0
        << QVector<int> {255, 255, 255, 255, 255, 0, 0, 255, 255, 255, 255, 255};
    QTest::newRow("two high unchanged")
        << QSize(5, 2) << QVector<int> {100} << 120.0 << QVector<int>(10, 100);
    QTest::newRow("two wide unchanged")
        << QSize(2, 5) << QVector<int> {100} << 120.0 << QVector<int>(10, 100);
    QTest::newRow("one pixel unchanged")
        << QSize(1, 1) << QVector<int> {100} << 120.0 << QVector<int> {100};
}

void TestAlgorithms::floydSmallPictures()
{
    QFETCH(QSize, size);
    QFETCH(QVector<int>, levels);
    QFETCH(double, threshold);
    QFETCH(QVector<int>, expected);

    QImage picture(size, QImage::Format_RGB32);
    for (int i = 0; i < size.width() * size.height(); ++i) {
        const int level = levels.size() == 1 ? levels.first() : levels.at(i);
        picture.setPixel(i % size.width(), i / size.width(), qRgb(level, level, level));
    }
    const QImage result = run(Floyd, picture, threshold);
    QVector<int> actual;
    for (int i = 0; i < size.width() * size.height(); ++i) {
        const QRgb p = result.pixel(i % size.width(), i / size.width());
        QCOMPARE(qRed(p), qBlue(p));
        actual << qRed(p);
    }
    QCOMPARE(actual, expected);
}

void TestAlgorithms::floydMatchesDefinition_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<double>("threshold");
    QTest::newRow("rgb32 128") << QImage::Format_RGB32 << 128.0;
    QTest::newRow("rgb32 37.5") << QImage::Format_RGB32 << 37.5;
    QTest::newRow("argb32 200") << QImage::Format_ARGB32 << 200.0;
    QTest::newRow("rgb888 90") << QImage::Format_RGB888 << 90.0;
}

// The scan-line diffusion against the definition, written out in floating
// point with pixel() and setPixel(), on a random grey picture.
void TestAlgorithms::floydMatchesDefinition()
{
    QFETCH(QImage::Format, format);
    QFETCH(double, threshold);

    const QImage picture = Imaging::greyImage(randomPicture(41, 23, QImage::Format_ARGB32, 3))
                               .convertToFormat(format);
    QImage expected = picture;
    for (int y = 1; y < expected.height() - 1; ++y) {
        for (int x = 1; x < expected.width() - 1; ++x) {
            const int v = qRed(expected.pixel(x, y));
            const bool black = threshold > v;
            expected.setPixel(x, y, black ? 0xFF000000u : 0xFFFFFFFFu);
            const double e = black ? v : v - 255;
            const struct
            {
                int dx, dy;
                double weight;
            } spread[] = {{1, 0, 0.4375}, {-1, 1, 0.1875}, {0, 1, 0.3125}, {1, 1, 0.0625}};
            for (const auto &s : spread) {
                const int n = qRed(expected.pixel(x + s.dx, y + s.dy));
                const int value = qBound(0, int(n + e * s.weight), 255);
                expected.setPixel(x + s.dx, y + s.dy, qRgb(value, value, value));
            }
        }
    }
    const QImage result = run(Floyd, picture, threshold);
    QCOMPARE(result.format(), format);
    QCOMPARE(result, expected);
}

QTEST_GUILESS_MAIN(TestAlgorithms)
#include "tst_algorithms.moc"
