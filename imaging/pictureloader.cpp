#include "imaging/pictureloader.h"

#include "imaging/algorithms.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace Imaging {

namespace {

// How much of a file's start and end the completeness check reads.
constexpr qint64 headBytes = 64;
constexpr qint64 tailBytes = 1 << 20;
constexpr qint64 maxIconFileBytes = 64 << 20;

quint32 le32(const QByteArray &data, int at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

quint16 le16(const QByteArray &data, int at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 be32(const QByteArray &data, int at)
{
    return qFromBigEndian<quint32>(data.constData() + at);
}

const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);

int bytesPerPixelOf(QImage::Format format)
{
    if (format == QImage::Format_Invalid)
        return 8; // not known before decoding: as much as any format takes
    const int bits = QImage::toPixelFormat(format).bitsPerPixel();
    return std::max(4, (bits + 7) / 8);
}

bool isRegularFile(const QString &path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path.toStdString()), error);
}

} // namespace

QSize largestIconImage(const QByteArray &data, int *bytesPerPixel)
{
    // ICONDIR: reserved 0, type 1 (icon) or 2 (cursor), count; then 16-byte
    // entries whose last 4 bytes are the image's offset in the file.
    if (data.size() < 6 || le16(data, 0) != 0 || (le16(data, 2) != 1 && le16(data, 2) != 2))
        return QSize();
    const int count = le16(data, 4);
    if (count == 0 || data.size() < 6 + 16 * count)
        return QSize();
    QSize largest(0, 0);
    int largestBytes = 4;
    for (int i = 0; i < count; ++i) {
        const qint64 offset = le32(data, 6 + 16 * i + 12);
        if (offset < 0 || offset + 26 > data.size())
            return QSize(); // an image the reader would not find either
        const QByteArray image = data.mid(int(offset), 40);
        QSize size;
        int bytes = 4;
        if (image.startsWith(pngSignature)) {
            // IHDR: width and height big-endian, then the bit depth.
            size = QSize(int(std::min<quint32>(be32(image, 16), INT_MAX)),
                         int(std::min<quint32>(be32(image, 20), INT_MAX)));
            bytes = image.size() > 24 && uchar(image.at(24)) == 16 ? 8 : 4;
        } else if (image.size() >= 12) {
            // BITMAPINFOHEADER: width, then twice the height (image and mask).
            const qint32 width = qint32(le32(image, 4));
            const qint32 height = qint32(le32(image, 8));
            size = QSize(std::abs(width), std::abs(height) / 2);
        }
        if (qint64(size.width()) * size.height() * bytes
            > qint64(largest.width()) * largest.height() * largestBytes) {
            largest = size;
            largestBytes = bytes;
        }
    }
    if (bytesPerPixel)
        *bytesPerPixel = largestBytes;
    return largest;
}

qint64 decodeCost(QIODevice *device)
{
    // Judged by the file's own first bytes: the reader only says "ico" for
    // files its own quick check likes.
    const QByteArray magic = device->peek(4);
    if (magic == QByteArray("\0\0\1\0", 4) || magic == QByteArray("\0\0\2\0", 4)) {
        // The directory's sizes are a byte each and say nothing binding: an
        // entry claiming 16 × 16 may hold a PNG of 20000 × 20000. Icons are
        // small files; a giant one is not read into memory to find out.
        if (device->size() > maxIconFileBytes)
            return maxDecodedBytes + 1;
        const qint64 at = device->pos();
        device->seek(0);
        const QByteArray data = device->readAll();
        device->seek(at);
        int bytes = 4;
        const QSize size = largestIconImage(data, &bytes);
        return size.isValid() ? qint64(size.width()) * size.height() * bytes : -1;
    }
    QImageReader reader(device);
    const QSize size = reader.size();
    if (!size.isValid())
        return -1;
    if (qint64(size.width()) * size.height() > maxClaimedPixels)
        return maxDecodedBytes + 1;
    const QSize decoded = decodeSize(size, reader.format());
    return qint64(decoded.width()) * decoded.height() * bytesPerPixelOf(reader.imageFormat());
}

QSize decodeSize(const QSize &size, const QByteArray &format)
{
    if (format != "jpeg" && format != "jpg")
        return size;
    const QSize capped = cappedLoadSize(size);
    QSize best = size;
    for (int divisor : {2, 4, 8}) {
        // The decoder rounds each side up.
        const QSize reduced((size.width() + divisor - 1) / divisor,
                            (size.height() + divisor - 1) / divisor);
        if (reduced.width() < capped.width() || reduced.height() < capped.height())
            break;
        best = reduced;
    }
    return best;
}

bool looksTruncated(const QByteArray &format, const QByteArray &head, const QByteArray &tail,
                    qint64 fileSize)
{
    if (format == "jpeg" || format == "jpg") {
        // Entropy-coded data never holds 0xFF followed by a marker byte, so
        // the last end-of-image marker must come after the last start of
        // scan (a thumbnail's markers come before the main picture's).
        const int end = tail.lastIndexOf(QByteArray("\xFF\xD9", 2));
        const int scan = tail.lastIndexOf(QByteArray("\xFF\xDA", 2));
        return end < 0 || end < scan;
    }
    if (format == "png")
        return !tail.contains("IEND");
    if (format == "gif") {
        int last = tail.size() - 1;
        while (last >= 0
               && (tail.at(last) == '\0' || tail.at(last) == '\n' || tail.at(last) == '\r'))
            --last;
        return last < 0 || tail.at(last) != ';';
    }
    if (format == "bmp") {
        if (head.size() < 30 || !head.startsWith("BM"))
            return false;
        const qint64 pixelsAt = le32(head, 10);
        const quint32 headerSize = le32(head, 14);
        qint64 width = 0;
        qint64 height = 0;
        int bits = 0;
        quint32 compression = 0;
        qint64 imageSize = 0;
        if (headerSize == 12) {
            width = le16(head, 18);
            height = le16(head, 20);
            bits = le16(head, 24);
        } else if (head.size() >= 38) {
            width = std::abs(qint32(le32(head, 18)));
            height = std::abs(qint32(le32(head, 22)));
            bits = le16(head, 28);
            compression = le32(head, 30);
            imageSize = le32(head, 34);
        } else {
            return false;
        }
        // Rows are padded to whole 32-bit words; compressed pixels take the
        // size the header gives them.
        const qint64 pixelBytes = (compression == 0 || compression == 3)
            ? (width * bits + 31) / 32 * 4 * height
            : imageSize;
        return fileSize < pixelsAt + pixelBytes;
    }
    return false;
}

LoadedPicture loadPicture(const QString &path)
{
    LoadedPicture loaded;
    loaded.path = path;
    if (!isRegularFile(path)) {
        loaded.error = QStringLiteral("not a regular file");
        return loaded;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.error = file.errorString();
        return loaded;
    }

    const qint64 cost = decodeCost(&file);
    if (cost > maxDecodedBytes) {
        loaded.error = QStringLiteral("too large to decode (%1 bytes)").arg(cost);
        return loaded;
    }
    file.seek(0);
    QImageReader reader(&file);
    const QByteArray format = reader.format();
    const QSize full = reader.size();
    const QSize decoded = full.isValid() ? decodeSize(full, format) : full;
    if (decoded != full)
        reader.setScaledSize(decoded);
    QImage picture = reader.read();
    if (picture.isNull()) {
        loaded.error = reader.errorString();
        return loaded;
    }

    const qint64 size = file.size();
    file.seek(0);
    const QByteArray head = file.read(headBytes);
    file.seek(std::max<qint64>(0, size - tailBytes));
    const QByteArray tail = file.read(tailBytes);
    loaded.incomplete = looksTruncated(format, head, tail, size);

    const QSize capped = cappedLoadSize(picture.size());
    if (capped != picture.size())
        picture = picture.scaled(capped, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    loaded.image = picture.convertToFormat(QImage::Format_ARGB32);
    return loaded;
}

} // namespace Imaging
