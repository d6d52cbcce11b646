#include "imaging/pictureloader.h"
#include "tests/drawboard/canvastest.h"

#include <QBuffer>
#include <QImageWriter>
#include <QSemaphore>
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

    // An icon of two entries: the first holds image right after the
    // directory, the second points fromEnd bytes before the file's end
    // (beyond it when negative).
    static QByteArray iconWithSecondEntry(const QByteArray &image, int fromEnd)
    {
        QByteArray icon;
        const auto le = [&icon](quint32 value, int bytes) {
            for (int i = 0; i < bytes; ++i)
                icon.append(char(value >> (8 * i)));
        };
        const int size = 6 + 2 * 16 + image.size();
        le(0, 2);
        le(1, 2);
        le(2, 2);
        for (quint32 offset : {quint32(6 + 2 * 16), quint32(size - fromEnd)}) {
            icon.append(char(16)).append(char(16)).append('\0').append('\0');
            le(1, 2);
            le(32, 2);
            le(quint32(image.size()), 4);
            le(offset, 4);
        }
        return icon + image;
    }

    // The headers of a JPEG up to its first scan: a frame of the given
    // marker (0xC0 baseline, 0xC2 progressive), size and sampling factors
    // (H << 4 | V per component), and a scan of the first scanComponents.
    static QByteArray jpegHeaders(int marker, int width, int height, const QByteArray &sampling,
                                  int scanComponents)
    {
        QByteArray jpeg("\xFF\xD8", 2);
        const auto segment = [&jpeg](int type, const QByteArray &body) {
            jpeg.append(char(0xFF)).append(char(type));
            jpeg.append(char((body.size() + 2) >> 8)).append(char(body.size() + 2));
            jpeg.append(body);
        };
        QByteArray frame;
        frame.append(char(8)).append(char(height >> 8)).append(char(height));
        frame.append(char(width >> 8)).append(char(width)).append(char(sampling.size()));
        for (int i = 0; i < sampling.size(); ++i)
            frame.append(char(i + 1)).append(sampling.at(i)).append('\0');
        segment(marker, frame);
        QByteArray scan;
        scan.append(char(scanComponents));
        for (int i = 0; i < scanComponents; ++i)
            scan.append(char(i + 1)).append('\0');
        scan.append('\0').append(char(63)).append('\0');
        segment(0xDA, scan);
        return jpeg.append("\xFF\xD9", 2);
    }

    // gzip around the deflate stream qCompress makes (after its 4-byte
    // length and 2-byte zlib header, before its Adler-32).
    static QByteArray gzipped(const QByteArray &data)
    {
        const QByteArray zlib = qCompress(data, 9);
        char trailer[8];
        qToLittleEndian(crc32(data), trailer);
        qToLittleEndian(quint32(data.size()), trailer + 4);
        return QByteArray("\x1f\x8b\x08\0\0\0\0\0\x02\xff", 10) + zlib.mid(6, zlib.size() - 10)
            + QByteArray(trailer, 8);
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
        // The icon reader copies the PNG into a 4-byte picture.
        QTest::newRow("icon saying 16 x 16, holding 12000 x 12000")
            << iconHolding(pngClaiming(12000, 12000, 8)) << qint64(1152000000);
        QTest::newRow("icon holding 16 x 16")
            << iconHolding(encoded(photo().scaled(16, 16), "png")) << qint64(16 * 16 * 8);
        // An entry that cannot be decoded must not stop the others counting.
        const QByteArray big = pngClaiming(12000, 12000, 8);
        QTest::newRow("icon, 2nd entry beyond the end")
            << iconWithSecondEntry(big, -1000) << qint64(1152000000);
        QTest::newRow("icon, 2nd entry 4 bytes before the end")
            << iconWithSecondEntry(big, 4) << qint64(1152000000);
        QTest::newRow("icon, 2nd entry right at the end")
            << iconWithSecondEntry(big, 0) << qint64(1152000000);
        QTest::newRow("icon with no entry inside the file")
            << iconWithSecondEntry(QByteArray(), -10) << qint64(-1);
        QTest::newRow("not a picture") << QByteArray("hello") << qint64(-1);
        // Claims more pixels than any decode may hold, whatever it decodes to.
        QTest::newRow("60000 x 60000")
            << pngClaiming(60000, 60000, 8) << Imaging::maxDecodedBytes + 1;
        QTest::newRow("icon holding 20000 x 20000")
            << iconWithSecondEntry(pngClaiming(20000, 20000, 8), -1)
            << Imaging::maxDecodedBytes + 1;
        // The reader gives the first frame's size; the decoder fills the
        // logical screen.
        QByteArray screen = gif(CanvasTest::greyPicture(1, 1, 40));
        screen[6] = char(15000 & 0xFF);
        screen[7] = char(15000 >> 8);
        screen[8] = screen[6];
        screen[9] = screen[7];
        QTest::newRow("gif: 15000 x 15000 screen, 1 x 1 frame")
            << screen << qint64(15000) * 15000 * 4;
        // Decoded at 1/8 (2048 x 2048 at 4 bytes), plus the coefficients a
        // multi-scan JPEG keeps at full size: 2048 x 2048 blocks of 128
        // bytes for each full-resolution component.
        const qint64 output = 2048 * 2048 * 4;
        const qint64 fullComponent = qint64(2048) * 2048 * 128;
        QTest::newRow("baseline 16383 x 16383")
            << jpegHeaders(0xC0, 16383, 16383, QByteArray("\x22\x11\x11"), 3) << output;
        QTest::newRow("progressive 16383 x 16383, 4:4:4")
            << jpegHeaders(0xC2, 16383, 16383, QByteArray("\x11\x11\x11"), 3)
            << output + 3 * fullComponent;
        QTest::newRow("progressive 16383 x 16383, 4:2:0")
            << jpegHeaders(0xC2, 16383, 16383, QByteArray("\x22\x11\x11"), 1)
            << output + fullComponent + 2 * fullComponent / 4;
        QTest::newRow("sequential, one component a scan")
            << jpegHeaders(0xC0, 16383, 16383, QByteArray("\x11\x11\x11"), 1)
            << output + 3 * fullComponent;
        QTest::newRow("progressive grey 16383 x 16383")
            << jpegHeaders(0xC2, 16383, 16383, QByteArray("\x11"), 1) << output + fullComponent;
    }

    void decodeCost()
    {
        QFETCH(QByteArray, file);
        QFETCH(qint64, cost);
        QBuffer buffer(&file);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QCOMPARE(Imaging::decodeCost(&buffer), cost);
        QCOMPARE(buffer.pos(), qint64(0));

        // Over the limit, or of a size nobody can tell: refused before a
        // single pixel is decoded, under any name.
        if (cost > Imaging::maxDecodedBytes || cost < 0) {
            for (const char *name : {"bomb.ico", "bomb.png", "bomb.jpg"}) {
                const Imaging::LoadedPicture loaded
                    = Imaging::loadPicture(writeFile(QLatin1String(name), file));
                QVERIFY(loaded.image.isNull());
                if (cost > 0)
                    QVERIFY2(loaded.error.contains(QStringLiteral("too large")),
                             qPrintable(loaded.error));
            }
        }
    }

    // A real progressive JPEG: its frame as libjpeg sizes its coefficients.
    void progressiveJpegFrame()
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(photo().scaled(100, 75)));
        buffer.close();
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const Imaging::JpegFrame frame = Imaging::jpegFrame(&buffer);
        QCOMPARE(frame.size, QSize(100, 75));
        QVERIFY(frame.multiScan);
        QCOMPARE(frame.sampling, QVector<QSize>({{2, 2}, {1, 1}, {1, 1}}));
        // Luma 14 x 10 blocks (rounded up to pairs), chroma 7 x 5 each.
        QCOMPARE(Imaging::jpegCoefficientBytes(frame), qint64(14 * 10 + 2 * 7 * 5) * 128);
    }

    // Every format this Qt reads tells its size before decoding, so that
    // refusing unknown sizes refuses no real picture.
    void everyFormatLoads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("size");
        const QImage picture = photo();
        const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
        for (const QByteArray &format : writable)
            QTest::newRow(format.constData()) << encoded(picture, format) << picture.size();
        QTest::newRow("gif") << gif(picture) << picture.size();
        const QByteArray svg("<svg xmlns='http://www.w3.org/2000/svg' width='96' height='64'>"
                             "<rect width='50' height='30' fill='black'/></svg>");
        QTest::newRow("svg") << svg << QSize(96, 64);
        QTest::newRow("svgz") << gzipped(svg) << QSize(96, 64);
    }

    void everyFormatLoads()
    {
        QFETCH(QByteArray, file);
        QFETCH(QSize, size);
        const Imaging::LoadedPicture loaded = Imaging::loadEncodedPicture(file, "a picture");
        QVERIFY2(!loaded.image.isNull(), qPrintable(loaded.error));
        QCOMPARE(loaded.image.size(), size);
        QCOMPARE(loaded.path, QStringLiteral("a picture"));
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

    void safeSvg_data()
    {
        QTest::addColumn<QByteArray>("body"); // inside <svg>
        QTest::addColumn<QStringList>("kept"); // in the document drawn
        QTest::addColumn<QStringList>("gone");

        const QByteArray png = encoded(photo().scaled(8, 8), "png").toBase64();
        QTest::newRow("image from a file")
            << QByteArray("<image width='9' height='9' xlink:href='/tmp/x.png'/>") << QStringList()
            << QStringList {"/tmp/x.png", "<image"};
        QTest::newRow("image from a file URL, leading blank")
            << QByteArray("<image width='9' height='9' xlink:href=' file:///tmp/x.png'/>")
            << QStringList() << QStringList {"x.png"};
        QTest::newRow("image by href, no prefix")
            << QByteArray("<image width='9' height='9' href='x.png'/>") << QStringList()
            << QStringList {"x.png"};
        QTest::newRow("image named like a fragment")
            << QByteArray("<image width='9' height='9' xlink:href='#x'/>") << QStringList()
            << QStringList {"#x"};
        QTest::newRow("embedded picture")
            << "<image width='9' height='9' xlink:href='data:image/png;base64," + png + "'/>"
            << QStringList {"data:image/png"} << QStringList();
        QTest::newRow("use of a fragment")
            << QByteArray("<rect id='r' width='5' height='5'/><use xlink:href='#r'/>")
            << QStringList {"#r"} << QStringList();
        QTest::newRow("use of another file") << QByteArray("<use xlink:href='other.svg#r'/>")
                                             << QStringList() << QStringList {"other.svg", "<use"};
        QTest::newRow("fill from a fragment and a file")
            << QByteArray("<rect fill='url(#g)' stroke='url(x.svg#g)' width='5' height='5'/>")
            << QStringList {"url(#g)"} << QStringList {"x.svg"};
        QTest::newRow("style sheet")
            << QByteArray("<style>@import url(a.css); rect { fill: url( 'b.svg#c' ) }</style>")
            << QStringList {"rect"} << QStringList {"a.css", "b.svg", "@import"};
        QTest::newRow("style attribute")
            << QByteArray("<rect style='fill:URL(\"/dev/zero\")' width='5' height='5'/>")
            << QStringList {"fill:none"} << QStringList {"/dev/zero"};
    }

    // Nothing drawn reaches outside the document; what stays inside stays.
    void safeSvg()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, gone);
        QByteArray file = "<?xml-stylesheet type=\"text/css\" href=\"/tmp/sheet.css\"?>"
                          "<svg xmlns='http://www.w3.org/2000/svg' "
                          "xmlns:xlink='http://www.w3.org/1999/xlink' width='20' height='20'>"
            + body + "</svg>";
        for (const QByteArray &bytes : {file, gzipped(file)}) {
            QByteArray copy = bytes;
            QBuffer buffer(&copy);
            buffer.open(QIODevice::ReadOnly);
            const Imaging::SafeSvg svg = Imaging::safeSvg(&buffer);
            QVERIFY2(svg.error.isEmpty(), qPrintable(svg.error));
            const QString document = QString::fromUtf8(svg.document);
            QVERIFY(!document.contains(QLatin1String("sheet.css")));
            for (const QString &text : kept)
                QVERIFY2(document.contains(text), qPrintable(document));
            for (const QString &text : gone)
                QVERIFY2(!document.contains(text), qPrintable(document));
            QVERIFY(!Imaging::loadEncodedPicture(bytes, "drawn.svg").image.isNull());
        }
    }

    void svgRefused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why");
        const QByteArray open("<svg xmlns='http://www.w3.org/2000/svg' "
                              "xmlns:xlink='http://www.w3.org/1999/xlink' width='9' height='9'>");
        // Ten levels of ten uses each: ten billion rectangles from 100 elements.
        QByteArray uses = open + "<defs><rect id='l0' width='1' height='1'/>";
        for (int level = 1; level <= 10; ++level) {
            uses += "<g id='l" + QByteArray::number(level) + "'>";
            for (int i = 0; i < 10; ++i)
                uses += "<use xlink:href='#l" + QByteArray::number(level - 1) + "'/>";
            uses += "</g>";
        }
        QTest::newRow("repeated uses") << uses + "</defs><use xlink:href='#l10'/></svg>"
                                       << "drawing more than";
        QTest::newRow("use of an ancestor")
            << open + "<g id='a'><g><use xlink:href='#a'/></g></g></svg>"
            << "its own ancestors";
        QByteArray deep = open;
        for (int i = 0; i < Imaging::maxSvgDepth + 1; ++i)
            deep += "<g>";
        QTest::newRow("nested too deep") << deep << "nested deeper";
        // 33 MB of comment in a few dozen kilobytes.
        const QByteArray padding(33 << 20, ' ');
        QTest::newRow("inflates beyond the limit")
            << gzipped(open + "<!--" + padding + "--></svg>") << "once inflated";
        QTest::newRow("not well-formed") << open + "<rect></svg>"
                                         << "well-formed";
        const QByteArray huge = pngClaiming(12000, 12000, 8).toBase64();
        // It would be drawn at whatever size it claims.
        QTest::newRow("embedded SVG")
            << open + "<image width='9' height='9' xlink:href='data:image/svg+xml;base64,"
                + QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'/>")
                      .toBase64()
                + "'/></svg>"
            << "unknown size";
        QTest::newRow("embedded pictures too large")
            << open + "<image width='9' height='9' xlink:href='data:image/png;base64," + huge
                + "'/></svg>"
            << "too large";
    }

    void svgRefused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        const Imaging::LoadedPicture loaded = Imaging::loadEncodedPicture(file, "bomb.svg");
        QVERIFY(loaded.image.isNull());
        QVERIFY2(loaded.error.contains(why), qPrintable(loaded.error));
    }

    // Drawn at the size the canvas keeps, whatever the file claims; an image
    // read from a FIFO is never opened.
    void svgDrawnCapped()
    {
        const QString fifo = m_dir.filePath(QStringLiteral("image.fifo"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' "
                               "xmlns:xlink='http://www.w3.org/1999/xlink' "
                               "width='40000' height='20000'>"
                               "<rect width='20000' height='20000' fill='black'/>"
                               "<image width='100' height='100' xlink:href='"
            + QFile::encodeName(fifo) + "'/></svg>";
        for (const QByteArray &bytes : {svg, gzipped(svg)}) {
            const Imaging::LoadedPicture loaded
                = Imaging::loadPicture(writeFile(QStringLiteral("wide.svg"), bytes));
            QVERIFY2(!loaded.image.isNull(), qPrintable(loaded.error));
            QCOMPARE(loaded.image.size(), Imaging::cappedLoadSize({40000, 20000}));
            QCOMPARE(qGray(loaded.image.pixel(10, 10)), 0);
            QCOMPARE(qAlpha(loaded.image.pixel(1000, 10)), 0);
        }
    }

    // A load that is given up may block its thread for good: the next one
    // gets a thread all the same, and one not started yet never runs.
    void loaderPoolGivesUp()
    {
        Imaging::LoaderPool pool(1);
        QSemaphore blocked;
        QSemaphore entered;
        const auto hanging = [&] {
            entered.release();
            blocked.acquire();
            return Imaging::LoadedPicture();
        };
        const Imaging::LoaderPool::Load first = pool.start(hanging);
        entered.acquire();
        std::atomic<bool> queuedRan {false};
        Imaging::LoaderPool::Load queued = pool.start([&] {
            queuedRan = true;
            return Imaging::LoadedPicture();
        });
        pool.giveUp(queued);
        pool.giveUp(first);
        QCOMPARE(pool.threadLimit(), 2);
        const Imaging::LoaderPool::Load next = pool.start([] {
            Imaging::LoadedPicture loaded;
            loaded.path = QStringLiteral("next");
            return loaded;
        });
        QCOMPARE(Imaging::LoaderPool::result(next).path, QStringLiteral("next"));
        QVERIFY(first.future.isRunning());
        blocked.release();
        QTRY_COMPARE(pool.threadLimit(), 1);
        pool.giveUp(first); // over already: nothing changes
        QCOMPARE(pool.threadLimit(), 1);
        queued.future.waitForFinished();
        QVERIFY(!queuedRan);
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
