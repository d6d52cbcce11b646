#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

class QIODevice;

// Reading a picture file for the canvas. Everything here may block on the
// file (a slow disk, a network share) and works on pictures up to the decode
// limit, so it runs on a loader thread, never on the GUI thread.
namespace Imaging {

// A picture whose decoded pixels would take more than this is never decoded.
constexpr qint64 maxDecodedBytes = qint64(1) << 30;

struct LoadedPicture
{
    QString path; // the local file the picture came from
    QImage image; // capped to the loaded size and ARGB32; null on failure
    bool incomplete = false; // the file ends early: only its readable part is here
    QString error; // why nothing could be loaded, for the log
};

// Reads, checks and decodes the file at path. Refuses anything but a regular
// file before opening it (a FIFO would block the reader for good), and any
// picture whose decoded pixels would exceed maxDecodedBytes before decoding
// it. The result is capped to maxLoadedSide pixels per side and converted to
// ARGB32, exactly as the canvas keeps it.
LoadedPicture loadPicture(const QString &path);

// A picture claiming more pixels than this is refused whatever its format
// could save by decoding it smaller.
constexpr qint64 maxClaimedPixels = maxDecodedBytes / 4;

// The size to decode a picture of the given size and format at: a JPEG can
// be decoded at 1/2, 1/4 or 1/8 of its size for little more than the cost of
// reading it, so it is decoded at the smallest of those that still covers
// the loaded size on both sides (the exact cap is applied afterwards);
// every other format at its own size.
QSize decodeSize(const QSize &size, const QByteArray &format);

// The memory the reader will allocate to decode the picture on device at its
// decode size: the pixels times what one pixel of the reader's format really
// takes (at least four bytes, the format the decoders work in), or -1 when
// the size is not known. A picture that claims more than maxClaimedPixels
// counts as too large whatever it decodes to. Icon files are judged by the
// largest image they hold, not by what their directory claims.
qint64 decodeCost(QIODevice *device);

// The largest picture an .ico or .cur file holds, read from the headers of
// the images themselves (embedded PNG or BMP), with the bytes one of its
// pixels decodes to in *bytesPerPixel. An invalid size when the data is not
// an icon file or cannot be read.
QSize largestIconImage(const QByteArray &data, int *bytesPerPixel = nullptr);

// Whether a file of the given format ("jpeg", "png", "gif", "bmp") ends
// before its data does: a JPEG without its end marker after the last scan, a
// PNG without its end chunk, a GIF without its trailer, a BMP shorter than
// its header says. head is the start of the file, tail its end (the whole
// file when it is small), fileSize its length. Other formats are never
// judged incomplete.
bool looksTruncated(const QByteArray &format, const QByteArray &head, const QByteArray &tail,
                    qint64 fileSize);

} // namespace Imaging
