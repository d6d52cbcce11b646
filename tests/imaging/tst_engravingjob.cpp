#include "engraver/jobbuffer.h"
#include "imaging/algorithms.h"

#include <QMutex>
#include <QRandomGenerator>
#include <QtTest>

// SaveByte turning a picture into the engraving job, checked against the
// plain per-pixel definition, and the job buffer it writes.
class TestEngravingJob : public QObject
{
    Q_OBJECT

private:
    struct Record
    {
        int x, y, intensity;
        bool operator==(const Record &o) const
        {
            return x == o.x && y == o.y && intensity == o.intensity;
        }
    };

    // The definition, pixel by pixel on the enlarged copy.
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

    static QList<Record> records(const QByteArray &bytes)
    {
        QList<Record> list;
        for (int i = 0; i + 3 < bytes.size(); i += 4) {
            const auto *b = reinterpret_cast<const uchar *>(bytes.constData() + i);
            list.append({b[0] | (b[1] & 0xF0) << 4, (b[1] & 0x0F) << 8 | b[2], b[3]});
        }
        return list;
    }

    static void saveByte(QImage image, double threshold)
    {
        QMutex mutex;
        processSaveByte(&image, &mutex, threshold);
    }

    static QImage filled(int width, int height, int level)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(qRgb(level, level, level));
        return image;
    }

private slots:
    void recordBytes_data();
    void recordBytes();
    void blackPictureSerpentine();
    void whiteRowKeepsDirection();
    void threshold_data();
    void threshold();
    void nothingBurned();
    void nullPictureKeepsJob();
    void matchesDefinition_data();
    void matchesDefinition();
    void beyondEncodableCoordinates();
    void jobBufferStore();
};

void TestEngravingJob::recordBytes_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("intensity");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("300, 5") << 300 << 5 << 255 << QByteArray::fromHex("2c1005ff");
    QTest::newRow("1599, 1599") << 1599 << 1599 << 255 << QByteArray::fromHex("3f663fff");
    QTest::newRow("origin, white") << 0 << 0 << 0 << QByteArray::fromHex("00000000");
    QTest::newRow("4095, 4095") << 4095 << 4095 << 1 << QByteArray::fromHex("ffffff01");
}

void TestEngravingJob::recordBytes()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, intensity);
    QFETCH(QByteArray, bytes);

    char out[4];
    qToLittleEndian(Imaging::engravingRecord(x, y, intensity), out);
    QCOMPARE(QByteArray(out, 4), bytes);
}

void TestEngravingJob::blackPictureSerpentine()
{
    saveByte(filled(4, 2, 0), 128);
    QList<Record> expected;
    for (int y = 0; y < 3; ++y) {
        for (int i = 0; i < 6; ++i)
            expected.append({y == 1 ? 5 - i : i, y, 255});
    }
    QCOMPARE(records(jobBuffer.bytes), expected);
    QCOMPARE(jobBuffer.bytes.size(), 18 * 4);
    QCOMPARE(QVector<int>({jobBuffer.xmin, jobBuffer.ymin, jobBuffer.xmax, jobBuffer.ymax}),
             QVector<int>({0, 0, 5, 2}));
    QCOMPARE(jobBuffer.position, 0u);
}

void TestEngravingJob::whiteRowKeepsDirection()
{
    // Engraving rows 0 and 1 come from the white first row of the picture.
    QImage picture = filled(4, 4, 0);
    for (int x = 0; x < 4; ++x)
        picture.setPixel(x, 0, qRgb(255, 255, 255));
    saveByte(picture, 128);

    const QList<Record> list = records(jobBuffer.bytes);
    QCOMPARE(list.size(), 6 * 4);
    QCOMPARE(list.first().y, 2);
    QCOMPARE(list.at(0).x, 0); // first burned row starts from column 0
    QCOMPARE(list.at(6).x, 5); // and the next from the other end
    QCOMPARE(jobBuffer.ymin, 2);
}

void TestEngravingJob::threshold_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("threshold");
    QTest::addColumn<int>("intensity"); // -1: not burned

    QTest::newRow("255 burns white") << 255 << 255.0 << 0;
    QTest::newRow("255 burns grey") << 100 << 255.0 << 155;
    QTest::newRow("128 burns black") << 0 << 128.0 << 255;
    QTest::newRow("128 burns 128") << 128 << 128.0 << 127;
    QTest::newRow("128 skips 129") << 129 << 128.0 << -1;
    QTest::newRow("128 skips white") << 255 << 128.0 << -1;
    QTest::newRow("127.5 skips 128") << 128 << 127.5 << -1;
}

void TestEngravingJob::threshold()
{
    QFETCH(int, level);
    QFETCH(double, threshold);
    QFETCH(int, intensity);

    saveByte(filled(2, 1, level), threshold);
    if (intensity < 0) {
        QVERIFY(jobBuffer.bytes.isEmpty());
        return;
    }
    QCOMPARE(records(jobBuffer.bytes),
             QList<Record>({{0, 0, intensity}, {1, 0, intensity}, {2, 0, intensity}}));
}

void TestEngravingJob::nothingBurned()
{
    saveByte(filled(4, 2, 0), 128);
    saveByte(filled(101, 3, 255), 128);
    QVERIFY(jobBuffer.bytes.isEmpty());
    QCOMPARE(QVector<int>({jobBuffer.xmin, jobBuffer.ymin, jobBuffer.xmax, jobBuffer.ymax}),
             QVector<int>({151, 4, 0, 0}));
}

void TestEngravingJob::nullPictureKeepsJob()
{
    saveByte(filled(4, 2, 0), 128);
    jobBuffer.position = 8;
    saveByte(QImage(), 128);
    QCOMPARE(jobBuffer.bytes.size(), 72);
    QCOMPARE(jobBuffer.position, 8u);
    QCOMPARE(jobBuffer.xmax, 5);
}

void TestEngravingJob::matchesDefinition_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<double>("threshold");

    const QSize sizes[] = {{1, 1}, {2, 1}, {3, 7}, {64, 33}, {101, 57}, {257, 128}};
    int row = 0;
    for (const QSize &size : sizes) {
        const double threshold = (row * 71) % 256;
        QTest::addRow("rgb32 %dx%d", size.width(), size.height())
            << size << QImage::Format_RGB32 << threshold;
        QTest::addRow("argb32 %dx%d", size.width(), size.height())
            << size << QImage::Format_ARGB32 << threshold;
        ++row;
    }
    QTest::newRow("indexed 40x30") << QSize(40, 30) << QImage::Format_Indexed8 << 128.0;
}

void TestEngravingJob::matchesDefinition()
{
    QFETCH(QSize, size);
    QFETCH(QImage::Format, format);
    QFETCH(double, threshold);

    QRandomGenerator random(uint(size.width() * 1000 + size.height()));
    QImage picture(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            // Mostly grey, with some rows left white so that the direction
            // is kept now and then; random alpha where the format has one.
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
    QCOMPARE(QVector<int>({job.xmin, job.ymin, job.xmax, job.ymax}),
             QVector<int>({expected.xmin, expected.ymin, expected.xmax, expected.ymax}));
}

void TestEngravingJob::beyondEncodableCoordinates()
{
    // 2800 canvas pixels are 4200 engraving pixels: the columns from 4096 on
    // cannot be encoded and are not burned rather than wrapped to x - 4096.
    const Imaging::EngravingJob job = Imaging::engravingJob(filled(2800, 2, 0), 128);
    const QList<Record> list = records(job.bytes);
    QCOMPARE(list.size(), 4096 * 3);
    for (const Record &record : list)
        QVERIFY(record.x < 4096);
    QCOMPARE(list.at(4096).x, 4095); // the leftward row starts at the last encodable column
    QCOMPARE(job.xmax, 4095);
    QVERIFY(job.bytes == reference(filled(2800, 2, 0), 128).bytes);
}

void TestEngravingJob::jobBufferStore()
{
    setJobBounds(70000, 5, 10, 20);
    QCOMPARE(QVector<int>({jobBuffer.xmin, jobBuffer.ymin, jobBuffer.xmax, jobBuffer.ymax}),
             QVector<int>({4464, 5, 10, 20}));

    QImage preview = filled(3, 3, 10);
    setJobPreview(preview);
    preview.setPixel(0, 0, qRgb(200, 200, 200));
    QCOMPARE(jobBuffer.preview.pixel(0, 0), qRgb(10, 10, 10));

    appendJobBytes("abcd");
    jobBuffer.position = 4;
    clearJobBytes();
    QVERIFY(jobBuffer.bytes.isEmpty());
    QCOMPARE(jobBuffer.position, 0u);
}

QTEST_GUILESS_MAIN(TestEngravingJob)
#include "tst_engravingjob.moc"
