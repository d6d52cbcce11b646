#pragma once

// Picture files made to hurt a loader: small on disk, huge or endless to
// decode. Each is written once into a folder that outlives the run (they
// take seconds to make) and its path returned.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cstdio>
#include <functional>
#include <jpeglib.h>
#include <sys/stat.h>
#include <vector>
#include <zlib.h>

namespace Hostile {

inline QString cachePath(const QString &name)
{
    const QString folder = QDir::temp().filePath(QStringLiteral("vandra-bench-hostile"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(name);
}

inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    char length[4];
    qToBigEndian(quint32(data.size()), length);
    const QByteArray typed = QByteArray(type, 4) + data;
    char crc[4];
    qToBigEndian(
        quint32(crc32(0, reinterpret_cast<const Bytef *>(typed.constData()), uInt(typed.size()))),
        crc);
    return QByteArray(length, 4) + typed + QByteArray(crc, 4);
}

// A real PNG of width × height transparent black pixels (colour type 6,
// RGBA, 8 or 16 bits), deflated row by row without ever holding the picture.
inline QByteArray hugePng(quint32 width, quint32 height, int depth)
{
    char header[13] = {};
    qToBigEndian(width, header);
    qToBigEndian(height, header + 4);
    header[8] = char(depth);
    header[9] = 6;
    QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", QByteArray(header, 13));
    z_stream stream = {};
    deflateInit(&stream, 9);
    const QByteArray row(int(1 + width * 4 * (depth / 8)), '\0');
    QByteArray out(1 << 20, '\0');
    for (quint32 y = 0; y <= height; ++y) {
        const bool last = y == height;
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(row.constData()));
        stream.avail_in = last ? 0 : uInt(row.size());
        do {
            stream.next_out = reinterpret_cast<Bytef *>(out.data());
            stream.avail_out = uInt(out.size());
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            const int produced = out.size() - int(stream.avail_out);
            if (produced > 0)
                png += pngChunk("IDAT", out.left(produced));
        } while (stream.avail_out == 0 || (last && stream.avail_in > 0));
    }
    deflateEnd(&stream);
    return png + pngChunk("IEND", QByteArray());
}

// An icon whose first entry says 16 × 16 and holds image, and whose second
// entry points beyond the end of the file.
inline QByteArray iconWithStrayEntry(const QByteArray &image)
{
    QByteArray icon;
    const auto le = [&icon](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            icon.append(char(value >> (8 * i)));
    };
    le(0, 2);
    le(1, 2);
    le(2, 2); // two images
    for (quint32 offset : {quint32(6 + 2 * 16), quint32(0x7FFFFF00)}) {
        icon.append(char(16)).append(char(16)).append('\0').append('\0');
        le(1, 2);
        le(32, 2);
        le(quint32(image.size()), 4);
        le(offset, 4);
    }
    return icon + image;
}

inline QString written(const QString &name, const std::function<QByteArray()> &make)
{
    const QString path = cachePath(name);
    if (!QFile::exists(path)) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(make());
    }
    return path;
}

// The icon with a stray entry around a 20000 × 20000 RGBA PNG (1.5 MB).
inline QString iconBomb(const char *name = "stray-entry.ico", int depth = 8)
{
    return written(QString::fromLatin1(name),
                   [depth] { return iconWithStrayEntry(hugePng(20000, 20000, depth)); });
}

// A progressive 16383 × 16383 JPEG, three components at full resolution
// (4:4:4), written scan line by scan line with libjpeg.
inline QString progressiveJpeg()
{
    const QString path = cachePath(QStringLiteral("progressive-16383.jpg"));
    if (QFile::exists(path))
        return path;
    FILE *out = std::fopen(QFile::encodeName(path).constData(), "wb");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = 16383;
    cinfo.image_height = 16383;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 50, TRUE);
    for (int c = 0; c < 3; ++c)
        cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(16383 * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const unsigned y = cinfo.next_scanline;
        for (unsigned x = 0; x < 16383; ++x) {
            row[x * 3] = JSAMPLE(x / 64);
            row[x * 3 + 1] = JSAMPLE(y / 64);
            row[x * 3 + 2] = JSAMPLE((x + y) / 128);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
    return path;
}

inline QByteArray gzipped(const QByteArray &data)
{
    z_stream stream = {};
    deflateInit2(&stream, 9, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// A compressed SVG claiming 16000 × 16000 pixels (just under the decode limit
// at 4 bytes a pixel): 40 rectangles over the
// whole of it and 300000 dots (about 14 MB of XML, 0.1 MB compressed).
inline QString svgzBomb()
{
    return written(QStringLiteral("bomb-16000.svgz"), [] {
        QByteArray svg("<svg xmlns='http://www.w3.org/2000/svg' width='16000' height='16000'>\n");
        for (int i = 0; i < 40; ++i)
            svg += "<rect x='0' y='0' width='16000' height='16000' fill='#"
                + QByteArray::number(i % 9) + "88'/>\n";
        for (int i = 0; i < 300000; ++i)
            svg += "<circle cx='" + QByteArray::number(i % 16000) + "' cy='"
                + QByteArray::number(i / 15) + "' r='3'/>\n";
        return gzipped(svg + "</svg>\n");
    });
}

// An SVG whose one image is read from a FIFO that nobody writes to.
inline QString svgReadingFifo()
{
    const QString fifo = cachePath(QStringLiteral("never-written.fifo"));
    if (!QFile::exists(fifo))
        mkfifo(QFile::encodeName(fifo).constData(), 0600);
    const QString path = cachePath(QStringLiteral("fifo-image.svg"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
               "width='200' height='100'><rect width='200' height='100' fill='#888'/>"
               "<image width='100' height='100' xlink:href='"
               + QFile::encodeName(fifo) + "'/></svg>\n");
    return path;
}

} // namespace Hostile
