#include "imaging/pictureloader.h"

#include "imaging/algorithms.h"
#include "imaging/threadhandover.h"

#include <QBuffer>
#include <QFile>
#include <QFutureInterface>
#include <QHash>
#include <QImageReader>
#include <QRegularExpression>
#include <QRunnable>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtEndian>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include <zlib.h>

namespace Imaging {

struct LoadState
{
    bool started = false;
    bool finished = false;
    bool givenUp = false;
};

namespace {

// How much of a file's start and end the completeness check reads.
constexpr qint64 headBytes = 64;
constexpr qint64 tailBytes = 1 << 20;
constexpr qint64 maxIconFileBytes = 64 << 20;
// Far more marker segments than any JPEG has before its first scan.
constexpr int maxJpegSegments = 100000;

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

quint16 be16(const QByteArray &data, int at)
{
    return qFromBigEndian<quint16>(data.constData() + at);
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

bool isIcon(const QByteArray &magic)
{
    return magic == QByteArray("\0\0\1\0", 4) || magic == QByteArray("\0\0\2\0", 4);
}

bool isSvg(const QByteArray &format)
{
    return format == "svg" || format == "svgz";
}

// Puts the device back where it was when the guard was made.
class PositionGuard
{
public:
    explicit PositionGuard(QIODevice *device)
        : m_device(device)
        , m_at(device->pos())
    { }
    ~PositionGuard() { m_device->seek(m_at); }
    PositionGuard(const PositionGuard &) = delete;
    PositionGuard &operator=(const PositionGuard &) = delete;

private:
    QIODevice *m_device;
    qint64 m_at;
};

qint64 pixelsOf(const QSize &size)
{
    return qint64(size.width()) * size.height();
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
    QSize largest;
    int largestBytes = 4;
    for (int i = 0; i < count; ++i) {
        const qint64 offset = le32(data, 6 + 16 * i + 12);
        // An image that is not there, or too short for the header any
        // decoder needs first, cannot be decoded: it costs nothing. It must
        // not stop the others from counting.
        if (offset >= data.size())
            continue;
        const QByteArray image = data.mid(int(offset), 40);
        QSize size;
        int bytes = 4;
        if (image.startsWith(pngSignature)) {
            if (image.size() < 25)
                continue;
            // IHDR: width and height big-endian, then the bit depth. The
            // icon reader copies the PNG's pixels into an ARGB32 picture.
            size = QSize(int(std::min<quint32>(be32(image, 16), INT_MAX)),
                         int(std::min<quint32>(be32(image, 20), INT_MAX)));
            bytes = (uchar(image.at(24)) == 16 ? 8 : 4) + 4;
        } else {
            if (image.size() < 12)
                continue;
            // BITMAPINFOHEADER: width, then twice the height (image and
            // mask). The reader holds the image, its mask and an ARGB32 copy.
            const qint32 width = qint32(le32(image, 4));
            const qint32 height = qint32(le32(image, 8));
            size = QSize(width == INT_MIN ? INT_MAX : std::abs(width),
                         height == INT_MIN ? INT_MAX / 2 : std::abs(height) / 2);
            bytes = 9;
        }
        if (!largest.isValid() || pixelsOf(size) * bytes > pixelsOf(largest) * largestBytes) {
            largest = size;
            largestBytes = bytes;
        }
    }
    if (bytesPerPixel)
        *bytesPerPixel = largestBytes;
    return largest;
}

QByteArray pictureFormat(QIODevice *device)
{
    // Icons are told by their own first bytes: the reader only says "ico"
    // for files its quick check likes, and then names no format at all.
    if (isIcon(device->peek(4)))
        return QByteArrayLiteral("ico");
    const PositionGuard guard(device);
    QImageReader probe(device);
    probe.setDecideFormatFromContent(true);
    return probe.format();
}

JpegFrame jpegFrame(QIODevice *device)
{
    JpegFrame frame;
    const PositionGuard guard(device);
    const auto byte = [device](uchar *c) {
        char ch;
        if (!device->getChar(&ch))
            return false;
        *c = uchar(ch);
        return true;
    };
    uchar c = 0;
    if (!byte(&c) || c != 0xFF || !byte(&c) || c != 0xD8)
        return frame;
    bool progressive = false;
    int components = 0;
    bool scanSeen = false;
    for (int segment = 0; segment < maxJpegSegments && !scanSeen; ++segment) {
        // As libjpeg does: anything before the next 0xFF is skipped, and a
        // marker may be preceded by any number of 0xFF fill bytes.
        do {
            if (!byte(&c))
                break;
        } while (c != 0xFF);
        do {
            if (!byte(&c))
                break;
        } while (c == 0xFF);
        if (device->atEnd() && c == 0xFF)
            break;
        const uchar marker = c;
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8
            || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no segment follows
        if (marker == 0xD9)
            break;
        const QByteArray lengthBytes = device->read(2);
        if (lengthBytes.size() < 2 || be16(lengthBytes, 0) < 2)
            break;
        const int length = be16(lengthBytes, 0) - 2;
        const bool isFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
            && marker != 0xCC;
        if (isFrame) {
            // P, Y, X, Nf, then Nf times: id, sampling H << 4 | V, table.
            const QByteArray body = device->read(length);
            if (body.size() < 6 || body.size() < 6 + 3 * uchar(body.at(5)))
                break;
            frame.size = QSize(be16(body, 3), be16(body, 1));
            components = uchar(body.at(5));
            frame.sampling.clear();
            for (int i = 0; i < components; ++i) {
                const uchar factors = uchar(body.at(6 + 3 * i + 1));
                frame.sampling.append(QSize(factors >> 4, factors & 0x0F));
            }
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        } else if (marker == 0xDA) {
            const QByteArray body = device->read(length);
            if (!frame.size.isValid() || body.isEmpty())
                break;
            frame.multiScan = progressive || uchar(body.at(0)) < components;
            scanSeen = true;
        } else if (device->skip(length) < length) {
            break;
        }
    }
    // Without its first scan nothing tells a single scan: count the worst.
    if (frame.size.isValid() && !scanSeen)
        frame.multiScan = true;
    return frame;
}

qint64 jpegCoefficientBytes(const JpegFrame &frame)
{
    if (!frame.multiScan || !frame.size.isValid())
        return 0;
    int maxH = 1;
    int maxV = 1;
    for (const QSize &factors : frame.sampling) {
        maxH = std::max(maxH, factors.width());
        maxV = std::max(maxV, factors.height());
    }
    const auto roundUp = [](qint64 value, qint64 unit) {
        return (value + unit - 1) / unit * unit;
    };
    qint64 bytes = 0;
    for (const QSize &factors : frame.sampling) {
        const int h = std::max(1, factors.width());
        const int v = std::max(1, factors.height());
        // As libjpeg sizes each component's whole-image coefficient array:
        // blocks across and down, rounded up to whole units of its factors;
        // a block is 64 coefficients of 2 bytes.
        const qint64 across = roundUp(
            roundUp(qint64(frame.size.width()) * h, qint64(maxH) * 8) / (qint64(maxH) * 8), h);
        const qint64 down = roundUp(
            roundUp(qint64(frame.size.height()) * v, qint64(maxV) * 8) / (qint64(maxV) * 8), v);
        bytes += across * down * 64 * 2;
    }
    return bytes;
}

qint64 decodeCost(QIODevice *device, bool reduced)
{
    const QByteArray format = pictureFormat(device);
    if (format.isEmpty() || isSvg(format))
        return -1;
    const PositionGuard guard(device);
    const qint64 start = device->pos();
    if (format == "ico") {
        // The directory's sizes are a byte each and say nothing binding: an
        // entry claiming 16 × 16 may hold a PNG of 20000 × 20000. Icons are
        // small files; a giant one is not read into memory to find out.
        if (device->size() - start > maxIconFileBytes)
            return maxDecodedBytes + 1;
        const QByteArray data = device->readAll();
        int bytes = 4;
        const QSize size = largestIconImage(data, &bytes);
        if (!size.isValid())
            return -1;
        if (pixelsOf(size) > maxClaimedPixels)
            return maxDecodedBytes + 1;
        return pixelsOf(size) * bytes;
    }
    QSize size;
    QImage::Format pixelFormat = QImage::Format_Invalid;
    {
        QImageReader reader(device, format);
        reader.setAutoDetectImageFormat(false);
        size = reader.size();
        pixelFormat = reader.imageFormat();
    }
    if (!size.isValid())
        return -1;
    device->seek(start);
    qint64 extra = 0;
    if (format == "gif") {
        // The decoder draws every frame on a picture of the logical screen's
        // size, whatever size the reader reports for the first frame.
        const QByteArray header = device->peek(10);
        if (header.size() < 10)
            return -1;
        size = size.expandedTo(QSize(le16(header, 6), le16(header, 8)));
    } else if (format == "jpeg" || format == "jpg") {
        const JpegFrame frame = jpegFrame(device);
        if (!frame.size.isValid())
            return -1;
        size = size.expandedTo(frame.size);
        extra = jpegCoefficientBytes(frame);
    }
    if (pixelsOf(size) > maxClaimedPixels)
        return maxDecodedBytes + 1;
    const QSize decoded = reduced ? decodeSize(size, format) : size;
    // The GIF decoder names no format before decoding; it draws in 32 bits.
    const int bytes = format == "gif" ? 4 : bytesPerPixelOf(pixelFormat);
    return pixelsOf(decoded) * bytes + extra;
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

namespace {

// Reads at most limit bytes of the SVG on device, inflating it when it is
// gzip-compressed. Null when it is larger.
QByteArray svgDocument(QIODevice *device, qint64 limit, QString *error)
{
    if (!device->peek(2).startsWith("\x1f\x8b")) {
        const QByteArray document = device->read(limit + 1);
        if (document.size() > limit) {
            *error = QStringLiteral("SVG larger than %1 bytes").arg(limit);
            return QByteArray();
        }
        return document;
    }
    z_stream stream = {};
    if (inflateInit2(&stream, 15 + 16) != Z_OK) {
        *error = QStringLiteral("cannot inflate");
        return QByteArray();
    }
    QByteArray document;
    QByteArray out(1 << 16, Qt::Uninitialized);
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        QByteArray in = device->read(1 << 16);
        if (in.isEmpty())
            break; // ends early: what came so far is parsed as it is
        stream.next_in = reinterpret_cast<Bytef *>(in.data());
        stream.avail_in = uInt(in.size());
        while (stream.avail_in > 0 && status != Z_STREAM_END) {
            stream.next_out = reinterpret_cast<Bytef *>(out.data());
            stream.avail_out = uInt(out.size());
            status = inflate(&stream, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
                inflateEnd(&stream);
                *error = QStringLiteral("broken gzip data");
                return QByteArray();
            }
            document.append(out.constData(), out.size() - int(stream.avail_out));
            if (document.size() > limit) {
                inflateEnd(&stream);
                *error = QStringLiteral("SVG larger than %1 bytes once inflated").arg(limit);
                return QByteArray();
            }
        }
    }
    inflateEnd(&stream);
    return document;
}

// CSS (a style sheet or a style attribute) without url() that leaves the
// document and without @import.
QString localCss(const QString &css)
{
    static const QRegularExpression url(
        QStringLiteral(R"re(url\(\s*(?:"([^"]*)"|'([^']*)'|([^)]*?))\s*\))re"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression import(QStringLiteral("@import"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString result;
    int copied = 0;
    auto matches = url.globalMatch(css);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QString target = match.captured(1) + match.captured(2) + match.captured(3);
        result += css.midRef(copied, match.capturedStart() - copied);
        result += target.trimmed().startsWith(QLatin1Char('#')) ? match.captured()
                                                                : QStringLiteral("none");
        copied = match.capturedEnd();
    }
    result += css.midRef(copied);
    result.replace(import, QStringLiteral("@x-import-removed"));
    return result;
}

QStringRef localName(const QStringRef &qualified)
{
    const int colon = qualified.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? qualified : qualified.mid(colon + 1);
}

// The elements drawing the document draws: each element, its children and,
// for <use>, what it repeats, counted from the document element (node 0) up
// to limit + 1. -1 when a <use> repeats one of its own ancestors.
qint64 drawnElements(const std::vector<int> &firstChild, const std::vector<int> &nextSibling,
                     const std::vector<int> &target, qint64 limit)
{
    if (firstChild.empty())
        return 0;
    const size_t count = firstChild.size();
    std::vector<qint64> weight(count, 0);
    // 0 not reached, 1 open (on the path from the document element), 2 counted.
    std::vector<char> state(count, 0);
    std::vector<int> stack {0};
    while (!stack.empty()) {
        const auto node = size_t(stack.back());
        if (state[node] == 0) {
            state[node] = 1;
            for (int child = firstChild[node]; child >= 0; child = nextSibling[size_t(child)]) {
                if (state[size_t(child)] == 0)
                    stack.push_back(child);
            }
            const int linked = target[node];
            if (linked >= 0) {
                if (state[size_t(linked)] == 1)
                    return -1;
                if (state[size_t(linked)] == 0)
                    stack.push_back(linked);
            }
            continue;
        }
        if (state[node] == 1) {
            qint64 sum = 1;
            for (int child = firstChild[node]; child >= 0; child = nextSibling[size_t(child)])
                sum = std::min(limit + 1, sum + weight[size_t(child)]);
            if (target[node] >= 0)
                sum = std::min(limit + 1, sum + weight[size_t(target[node])]);
            weight[node] = sum;
            state[node] = 2;
        }
        stack.pop_back();
    }
    return weight[0];
}

// What an embedded data: picture of an <image> costs the renderer, which
// decodes it at its full size and keeps it; -1 when it must not be drawn
// (unknown size, not a picture, or an SVG, which would be drawn at whatever
// size it claims).
qint64 embeddedPictureCost(const QString &href)
{
    // As the renderer reads it: whatever follows the last "base64,".
    const int at = href.lastIndexOf(QLatin1String("base64,"));
    if (at < 0)
        return 0; // the renderer draws nothing for it
    QByteArray bytes = QByteArray::fromBase64(href.midRef(at + 7).toLatin1());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = pictureFormat(&buffer);
    if (format.isEmpty() || isSvg(format))
        return -1;
    return decodeCost(&buffer, false);
}

} // namespace

SafeSvg safeSvg(QIODevice *device)
{
    SafeSvg safe;
    const QByteArray original = svgDocument(device, maxSvgBytes, &safe.error);
    if (!safe.error.isEmpty())
        return safe;

    // The renderer reads qualified names ("xlink:href") without resolving
    // namespaces, and so does this copy.
    QXmlStreamReader xml(original);
    xml.setNamespaceProcessing(false);
    QByteArray document;
    QXmlStreamWriter writer(&document);
    std::vector<int> firstChild;
    std::vector<int> lastChild;
    std::vector<int> nextSibling;
    std::vector<int> target;
    QVector<QPair<int, QString>> uses;
    QHash<QString, int> ids;
    QVector<int> open; // the elements enclosing the current one
    bool inStyle = false;
    const auto refuse = [&safe](const QString &why) {
        safe.error = why;
        safe.document.clear();
        return safe;
    };
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (open.size() >= maxSvgDepth)
                return refuse(QStringLiteral("SVG nested deeper than %1").arg(maxSvgDepth));
            if (qint64(firstChild.size()) >= maxSvgElements)
                return refuse(QStringLiteral("SVG of more than %1 elements").arg(maxSvgElements));
            const QStringRef element = localName(xml.qualifiedName());
            const QXmlStreamAttributes attributes = xml.attributes();
            // An <image> or <use> whose link is left out would only draw a
            // warning: it goes with its link.
            if (element == QLatin1String("image") || element == QLatin1String("use")) {
                bool linked = false;
                for (const QXmlStreamAttribute &attribute : attributes) {
                    if (localName(attribute.qualifiedName())
                            .compare(QLatin1String("href"), Qt::CaseInsensitive)
                        != 0)
                        continue;
                    const QString link = attribute.value().trimmed().toString();
                    linked = element == QLatin1String("use")
                        ? link.startsWith(QLatin1Char('#'))
                        : link.startsWith(QLatin1String("data:"), Qt::CaseInsensitive);
                }
                if (!linked) {
                    xml.skipCurrentElement();
                    break;
                }
            }
            const int node = int(firstChild.size());
            firstChild.push_back(-1);
            lastChild.push_back(-1);
            nextSibling.push_back(-1);
            target.push_back(-1);
            if (!open.isEmpty()) {
                const auto parent = size_t(open.last());
                if (lastChild[parent] < 0)
                    firstChild[parent] = node;
                else
                    nextSibling[size_t(lastChild[parent])] = node;
                lastChild[parent] = node;
            }
            open.append(node);
            inStyle = element == QLatin1String("style");
            writer.writeStartElement(xml.qualifiedName().toString());
            for (const QXmlStreamAttribute &attribute : attributes) {
                const QStringRef name = localName(attribute.qualifiedName());
                QString value = attribute.value().toString();
                if (name.compare(QLatin1String("href"), Qt::CaseInsensitive) == 0) {
                    const QString link = value.trimmed();
                    if (element == QLatin1String("image")) {
                        // Only a picture carried in the document itself.
                        if (!link.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
                            continue;
                        const qint64 cost = embeddedPictureCost(link);
                        if (cost < 0)
                            return refuse(QStringLiteral("SVG holding a picture of unknown size"));
                        safe.embeddedBytes += cost;
                        if (safe.embeddedBytes > maxDecodedBytes / 2)
                            return refuse(QStringLiteral("SVG holding pictures too large to "
                                                         "decode"));
                    } else if (!link.startsWith(QLatin1Char('#'))) {
                        continue;
                    } else if (element == QLatin1String("use")) {
                        uses.append({node, link.mid(1)});
                    }
                } else if (value.contains(QLatin1String("url("), Qt::CaseInsensitive)) {
                    value = localCss(value);
                }
                if (name == QLatin1String("id"))
                    ids.insert(value, node);
                writer.writeAttribute(attribute.qualifiedName().toString(), value);
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            writer.writeEndElement();
            if (!open.isEmpty())
                open.removeLast();
            inStyle = false;
            break;
        case QXmlStreamReader::Characters:
            if (inStyle) {
                if (xml.isCDATA())
                    writer.writeCDATA(localCss(xml.text().toString()));
                else
                    writer.writeCharacters(localCss(xml.text().toString()));
            } else if (xml.isCDATA()) {
                writer.writeCDATA(xml.text().toString());
            } else {
                writer.writeCharacters(xml.text().toString());
            }
            break;
        default:
            // The declaration, the DTD (its entities are expanded already),
            // comments, processing instructions (xml-stylesheet reads a
            // file) and unresolved entity references are left out.
            break;
        }
    }
    // The renderer refuses a document that is not well-formed, and so does
    // this copy.
    if (xml.hasError())
        return refuse(QStringLiteral("not a well-formed SVG document: %1").arg(xml.errorString()));
    for (const auto &use : qAsConst(uses))
        target[size_t(use.first)] = ids.value(use.second, -1);
    safe.elements = drawnElements(firstChild, nextSibling, target, maxSvgElements);
    if (safe.elements < 0)
        return refuse(QStringLiteral("SVG repeating one of its own ancestors"));
    if (safe.elements > maxSvgElements)
        return refuse(QStringLiteral("SVG drawing more than %1 elements").arg(maxSvgElements));
    safe.document = document;
    return safe;
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

namespace {

LoadedPicture capped(LoadedPicture loaded, QImage picture)
{
    const QSize capped = cappedLoadSize(picture.size());
    if (capped != picture.size())
        picture = picture.scaled(capped, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    loaded.image = picture.convertToFormat(QImage::Format_ARGB32);
    if (loaded.image.isNull() && loaded.error.isEmpty())
        loaded.error = QStringLiteral("no picture");
    return loaded;
}

// Drawn at the size the canvas keeps, from a copy that reaches nothing
// outside the document.
QImage drawnSvg(QIODevice *device, QString *error)
{
    SafeSvg svg = safeSvg(device);
    if (!svg.error.isEmpty()) {
        *error = svg.error;
        return QImage();
    }
    QBuffer buffer(&svg.document);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "svg");
    reader.setAutoDetectImageFormat(false);
    const QSize claimed = reader.size();
    const QSize size = claimed.isValid() ? cappedLoadSize(claimed) : QSize();
    if (size.isEmpty()) {
        *error = QStringLiteral("SVG of no size");
        return QImage();
    }
    reader.setScaledSize(size);
    const QImage picture = reader.read();
    if (picture.isNull())
        *error = reader.errorString();
    return picture;
}

} // namespace

LoadedPicture loadPicture(QIODevice *device, const QString &name)
{
    LoadedPicture loaded;
    loaded.path = name;
    const qint64 start = device->pos();
    const QByteArray format = pictureFormat(device);
    if (format.isEmpty()) {
        loaded.error = QStringLiteral("not a picture this program reads");
        return loaded;
    }
    if (isSvg(format)) {
        const QImage picture = drawnSvg(device, &loaded.error);
        return picture.isNull() ? loaded : capped(loaded, picture);
    }

    // The decoder is chosen here, once, by the content: the one whose cost
    // was counted is the one that decodes.
    const qint64 cost = decodeCost(device);
    if (cost < 0) {
        loaded.error = QStringLiteral("size unknown before decoding");
        return loaded;
    }
    if (cost > maxDecodedBytes) {
        loaded.error = QStringLiteral("too large to decode (%1 bytes)").arg(cost);
        return loaded;
    }
    QImageReader reader(device, format);
    reader.setAutoDetectImageFormat(false);
    const QSize full = reader.size();
    const QSize decoded = full.isValid() ? decodeSize(full, format) : full;
    if (decoded != full)
        reader.setScaledSize(decoded);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        loaded.error = reader.errorString();
        return loaded;
    }

    const qint64 size = device->size() - start;
    device->seek(start);
    const QByteArray head = device->read(headBytes);
    device->seek(start + std::max<qint64>(0, size - tailBytes));
    const QByteArray tail = device->read(tailBytes);
    loaded.incomplete = looksTruncated(format, head, tail, size);
    return capped(loaded, picture);
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
    return loadPicture(&file, path);
}

LoadedPicture loadEncodedPicture(const QByteArray &bytes, const QString &name)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return loadPicture(&buffer, name);
}

LoadedPicture capPicture(const QImage &picture, const QString &name)
{
    LoadedPicture loaded;
    loaded.path = name;
    if (picture.isNull()) {
        loaded.error = QStringLiteral("no picture");
        return loaded;
    }
    return capped(loaded, picture);
}

LoaderPool::LoaderPool(int threads)
    : m_threads(threads)
{
    m_pool.setMaxThreadCount(threads);
    m_pool.setExpiryTimeout(2000);
}

LoaderPool::~LoaderPool()
{
    m_pool.waitForDone();
}

LoaderPool *LoaderPool::shared()
{
    static LoaderPool *const pool = new LoaderPool(4);
    return pool;
}

// One load on a thread of the pool. Qt's queue and futures lock with
// mutexes the thread checker cannot see: the run and its result are handed
// over explicitly (threadhandover.h).
class LoaderPool::Run : public QRunnable
{
public:
    Run(LoaderPool *pool, std::shared_ptr<LoadState> state, std::function<LoadedPicture()> work)
        : m_pool(pool)
        , m_state(std::move(state))
        , m_work(std::move(work))
    {
        m_promise.reportStarted();
    }

    QFuture<LoadedPicture> future() { return m_promise.future(); }

    void run() override
    {
        takeOver(this);
        LoadedPicture loaded;
        if (m_pool->begin(*m_state)) {
            loaded = m_work();
            m_pool->end(*m_state);
        }
        handOver(m_state.get());
        m_promise.reportResult(loaded);
        m_promise.reportFinished();
    }

private:
    LoaderPool *m_pool;
    std::shared_ptr<LoadState> m_state;
    std::function<LoadedPicture()> m_work;
    QFutureInterface<LoadedPicture> m_promise;
};

LoaderPool::Load LoaderPool::start(std::function<LoadedPicture()> work)
{
    Load load;
    load.state = std::make_shared<LoadState>();
    auto *run = new Run(this, load.state, std::move(work));
    load.future = run->future();
    handOver(run);
    m_pool.start(run);
    return load;
}

LoadedPicture LoaderPool::result(const Load &load)
{
    takeOver(load.state.get());
    return load.future.result();
}

bool LoaderPool::begin(LoadState &state)
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    if (state.givenUp)
        return false; // given up before it started: it never runs
    state.started = true;
    return true;
}

void LoaderPool::end(LoadState &state)
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    state.finished = true;
    if (state.givenUp) {
        --m_givenUpRunning;
        setLimit();
    }
}

void LoaderPool::giveUp(const Load &load)
{
    if (!load.state)
        return;
    const std::lock_guard<std::mutex> locker(m_mutex);
    if (load.state->finished || load.state->givenUp)
        return;
    load.state->givenUp = true;
    if (load.state->started) {
        ++m_givenUpRunning;
        setLimit();
    }
}

int LoaderPool::threadLimit() const
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    return m_threads + m_givenUpRunning;
}

void LoaderPool::setLimit()
{
    m_pool.setMaxThreadCount(m_threads + m_givenUpRunning);
}

} // namespace Imaging
