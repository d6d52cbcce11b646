#include "imaging/pictureloader.h"
#include "tests/drawboard/canvastest.h"

#include <QBuffer>
#include <QtEndian>

#include <sys/stat.h>

// Reading picture files on the loader thread: what is refused before any
// pixel is decoded (not a regular file, more pixels than the decode limit,
// icons that hide a larger picture), and files that end early.
class TestPictureLoader : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static QByteArray encoded(const QImage &image, const char *format)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    }

    // Something with detail, so that every encoder writes a real body.
    static QImage photo() { return CanvasTest::randomPicture(96, 64, QImage::Format_RGB32, 11); }

    static quint32 crc32(const QByteArray &data)
    {
        quint32 crc = 0xFFFFFFFFu;
        for (char c : data) {
            crc ^= uchar(c);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    }

    static QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
    {
        char length[4];
        char crc[4];
        qToBigEndian(quint32(data.size()), length);
        qToBigEndian(crc32(type + data), crc);
        return QByteArray(length, 4) + type + data + QByteArray(crc, 4);
    }

    // A PNG that is all header: it claims width × height at the given bit
    // depth (colour type 6, RGBA) and holds no pixels at all.
    static QByteArray pngClaiming(quint32 width, quint32 height, int depth)
    {
        char header[13] = {};
        qToBigEndian(width, header);
        qToBigEndian(height, header + 4);
        header[8] = char(depth);
        header[9] = 6;
        return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", QByteArray(header, 13))
            + pngChunk("IDAT", QByteArray()) + pngChunk("IEND", QByteArray());
    }

    // A grey GIF written by hand (Qt reads GIF but does not write it): 8-bit
    // codes, a clear code before every 250 pixels so that the code width stays
    // at 9 bits and no table is ever built.
    static QByteArray gif(const QImage &picture)
    {
        const int width = picture.width();
        const int height = picture.height();
        QByteArray out("GIF89a");
        const auto le16 = [&out](int value) {
            out.append(char(value)).append(char(value >> 8));
        };
        le16(width);
        le16(height);
        out.append(char(0xF7)).append('\0').append('\0'); // global table of 256 colours
        for (int i = 0; i < 256; ++i)
            out.append(char(i)).append(char(i)).append(char(i));
        out.append(',');
        le16(0);
        le16(0);
        le16(width);
        le16(height);
        out.append('\0').append(char(8)); // no local table; minimum code size 8

        QByteArray packed;
        quint32 bits = 0;
        int count = 0;
        const auto put = [&](int code) {
            bits |= quint32(code) << count;
            for (count += 9; count >= 8; count -= 8, bits >>= 8)
                packed.append(char(bits & 0xFF));
        };
        int run = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x, ++run) {
                if (run % 250 == 0)
                    put(256);
                put(qGray(picture.pixel(x, y)));
            }
        }
        put(257);
        if (count > 0)
            packed.append(char(bits & 0xFF));
        for (int i = 0; i < packed.size(); i += 255) {
            const QByteArray block = packed.mid(i, 255);
            out.append(char(block.size())).append(block);
        }
        return out.append('\0').append(';');
    }

    // An icon file whose one directory entry says 16 × 16 but holds image.
    static QByteArray iconHolding(const QByteArray &image)
    {
        QByteArray icon;
        const auto le = [&icon](quint32 value, int bytes) {
            for (int i = 0; i < bytes; ++i)
                icon.append(char(value >> (8 * i)));
        };
        le(0, 2);
        le(1, 2);
        le(1, 2); // one image
        icon.append(char(16)).append(char(16)).append('\0').append('\0');
        le(1, 2);
        le(32, 2);
        le(quint32(image.size()), 4);
        le(22, 4); // right after the directory
        return icon + image;
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

private slots:
    void truncated_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<double>("kept"); // share of the file left
        QTest::addColumn<bool>("incomplete");

        for (const char *format : {"jpeg", "png", "gif", "bmp"}) {
            QTest::addRow("%s whole", format) << QByteArray(format) << 1.0 << false;
            QTest::addRow("%s half", format) << QByteArray(format) << 0.5 << true;
            QTest::addRow("%s most", format) << QByteArray(format) << 0.9 << true;
        }
        for (const char *format : {"jpeg", "gif", "bmp"})
            QTest::addRow("%s all but its last byte", format) << QByteArray(format) << -1.0 << true;
    }

    // Judged from the file's head and tail alone, and reported by a load
    // that still returns what could be read.
    void truncated()
    {
        QFETCH(QByteArray, format);
        QFETCH(double, kept);
        QFETCH(bool, incomplete);

        const QByteArray whole = format == "gif" ? gif(photo()) : encoded(photo(), format);
        QVERIFY(!whole.isEmpty());
        const QByteArray file
            = kept < 0 ? whole.left(whole.size() - 1) : whole.left(int(whole.size() * kept));
        QCOMPARE(Imaging::looksTruncated(format, file.left(64), file.right(1 << 20), file.size()),
                 incomplete);

        const Imaging::LoadedPicture loaded
            = Imaging::loadPicture(writeFile(QStringLiteral("cut.") + format, file));
        if (!loaded.image.isNull())
            QCOMPARE(loaded.incomplete, incomplete);
        else
            QVERIFY(incomplete); // a whole file always loads
    }

    // A JPEG with a thumbnail: its end marker comes before the main scan
    // and must not make a truncated file look whole.
    void truncatedJpegWithThumbnail()
    {
        const QByteArray thumbnail = encoded(photo().scaled(16, 12), "jpeg");
        const QByteArray main = encoded(photo(), "jpeg");
        // The thumbnail rides in an APP1 segment right after the start marker.
        QByteArray app1("\xFF\xE1", 2);
        app1.append(char((thumbnail.size() + 2) >> 8)).append(char(thumbnail.size() + 2));
        const QByteArray file = main.left(2) + app1 + thumbnail + main.mid(2);
        QVERIFY(!Imaging::looksTruncated("jpeg", file.left(64), file, file.size()));
        const QByteArray cut = file.left(file.size() - 200);
        QVERIFY(Imaging::looksTruncated("jpeg", cut.left(64), cut, cut.size()));
    }

    void decodeCost_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("cost");

        QTest::newRow("8-bit 12000 x 12000") << pngClaiming(12000, 12000, 8) << qint64(576000000);
        // Decoded at 8 bytes a pixel: 1.15 GB, over the limit.
        QTest::newRow("16-bit 12000 x 12000")
            << pngClaiming(12000, 12000, 16) << qint64(1152000000);
        QTest::newRow("icon saying 16 x 16, holding 20000 x 20000")
            << iconHolding(pngClaiming(20000, 20000, 8)) << qint64(1600000000);
        QTest::newRow("icon holding 16 x 16")
            << iconHolding(encoded(photo().scaled(16, 16), "png")) << qint64(16 * 16 * 4);
        QTest::newRow("not a picture") << QByteArray("hello") << qint64(-1);
        // Claims more pixels than any decode may hold, whatever it decodes to.
        QTest::newRow("60000 x 60000")
            << pngClaiming(60000, 60000, 8) << Imaging::maxDecodedBytes + 1;
    }

    void decodeCost()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, cost);
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QCOMPARE(Imaging::decodeCost(&buffer), cost);

        // Over the limit: refused before a single pixel is decoded.
        if (cost > Imaging::maxDecodedBytes) {
            const Imaging::LoadedPicture loaded
                = Imaging::loadPicture(writeFile(QStringLiteral("bomb.ico"), file));
            QVERIFY(loaded.image.isNull());
            QVERIFY2(loaded.error.contains(QStringLiteral("too large")), qPrintable(loaded.error));
        }
    }

    void decodeSize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("decoded");
        // The loaded picture is 1050 on its longer side: the smallest of
        // 1/2, 1/4, 1/8 that still covers it on both sides.
        QTest::newRow("12 megapixels")
            << QSize(4000, 3000) << QByteArray("jpeg") << QSize(2000, 1500);
        QTest::newRow("108 megapixels")
            << QSize(12000, 9000) << QByteArray("jpeg") << QSize(1500, 1125);
        QTest::newRow("exactly twice")
            << QSize(2100, 2100) << QByteArray("jpeg") << QSize(1050, 1050);
        QTest::newRow("odd sides round up")
            << QSize(8399, 4201) << QByteArray("jpeg") << QSize(1050, 526);
        QTest::newRow("small") << QSize(1000, 800) << QByteArray("jpeg") << QSize(1000, 800);
        QTest::newRow("not a jpeg") << QSize(4000, 3000) << QByteArray("png") << QSize(4000, 3000);
    }

    void decodeSize()
    {
        QFETCH(QSize, size);
        QFETCH(QByteArray, format);
        QFETCH(QSize, decoded);
        QCOMPARE(Imaging::decodeSize(size, format), decoded);
    }

    // A big JPEG decoded small keeps the size it always had and differs from
    // a full decode only by the finer averaging of the smaller decode.
    void bigJpegDecodedSmall()
    {
        QImage photo(3000, 2000, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(
                    x, y, qRgb(x * 255 / 3000, y * 255 / 2000, (x + y) % 256 < 128 ? 40 : 220));
        const QString path = writeFile(QStringLiteral("big.jpg"), encoded(photo, "jpeg"));
        const Imaging::LoadedPicture loaded = Imaging::loadPicture(path);
        const QSize capped(1050, 699); // the float factor of the cap, as always
        QCOMPARE(loaded.image.size(), capped);
        const QImage full
            = QImage(path).scaled(capped, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        qint64 difference = 0;
        for (int y = 0; y < capped.height(); ++y)
            for (int x = 0; x < capped.width(); ++x)
                difference += std::abs(qGray(loaded.image.pixel(x, y)) - qGray(full.pixel(x, y)));
        const qint64 mean = difference / (capped.width() * capped.height());
        QVERIFY2(mean < 12, qPrintable(QString::number(mean)));
    }

    // Opening a FIFO for reading waits for a writer that never comes.
    void notARegularFile()
    {
        const QString fifo = m_dir.filePath(QStringLiteral("picture.png"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &path : {fifo, m_dir.path()}) {
            const Imaging::LoadedPicture loaded = Imaging::loadPicture(path);
            QVERIFY(loaded.image.isNull());
            QCOMPARE(loaded.error, QStringLiteral("not a regular file"));
        }
    }
};

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
