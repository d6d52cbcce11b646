#pragma once

#include <QByteArray>
#include <QFuture>
#include <QImage>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <QVector>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <mutex>

class QIODevice;

// Reading a picture file for the canvas. Everything here may block on the
// file (a slow disk, a network share) and works on pictures up to the decode
// limit, so it runs on a loader thread, never on the GUI thread.
namespace Imaging {

// A picture whose decoded pixels would take more than this is never decoded.
constexpr qint64 maxDecodedBytes = qint64(1) << 30;

// A picture claiming more pixels than this is refused whatever its format
// could save by decoding it smaller.
constexpr qint64 maxClaimedPixels = maxDecodedBytes / 4;

// An SVG document is refused when it is larger than this once decompressed,
// nested deeper, or when drawing it would draw more elements (counting each
// <use> as the elements it repeats): it is parsed into a tree and drawn
// element by element, and these bound the memory and the time that takes.
constexpr qint64 maxSvgBytes = qint64(32) << 20;
constexpr int maxSvgDepth = 256;
constexpr qint64 maxSvgElements = 500000;

struct PreparedMemory;

struct LoadedPicture
{
    QString path; // the file the picture came from, or the name it was given
    QImage image; // capped to the loaded size and ARGB32; null on failure
    bool incomplete = false; // the file ends early: only its readable part is here
    QString error; // why nothing could be loaded, for the log
    // What the loader thread made for the runs that follow (see
    // workmemory.h), shared by every copy of the result so that the
    // canvas can take it over whole; none when not asked for.
    std::shared_ptr<PreparedMemory> memory;
};

// Reads, checks and decodes the file at path. Refuses anything but a regular
// file before opening it (a FIFO would block the reader for good), then
// reads it as loadPicture(QIODevice *) does.
LoadedPicture loadPicture(const QString &path);

// The one way in for encoded pictures, from a file or from memory (a pasted
// picture): device is open for reading and random access, name is what the
// result is called. The format is told from the content alone and the
// decoder of that format is the one used. Refused before decoding: any
// picture whose decoded pixels would exceed maxDecodedBytes, and any whose
// size cannot be established. An SVG is drawn at the loaded size, never at
// the size it claims, from a copy that reaches nothing outside the file. The
// result is capped to maxLoadedSide pixels per side and converted to ARGB32,
// exactly as the canvas keeps it.
LoadedPicture loadPicture(QIODevice *device, const QString &name);
LoadedPicture loadEncodedPicture(const QByteArray &bytes, const QString &name);

// An already decoded picture (copied within this program), capped and
// converted as a loaded one.
LoadedPicture capPicture(const QImage &picture, const QString &name);

// The size to decode a picture of the given size and format at: a JPEG can
// be decoded at 1/2, 1/4 or 1/8 of its size for little more than the cost of
// reading it, so it is decoded at the smallest of those that still covers
// the loaded size on both sides (the exact cap is applied afterwards);
// every other format at its own size.
QSize decodeSize(const QSize &size, const QByteArray &format);

// The format of the encoded picture on device, told from its first bytes as
// the reader tells it ("ico" for icons and cursors); empty when no reader
// takes it.
QByteArray pictureFormat(QIODevice *device);

// The memory the decoder will hold to decode the picture on device at its
// decode size (reduced, see decodeSize) or at its full size: the pixels times
// what one pixel of the decoder's format really takes (at least four bytes,
// the format the decoders work in), plus what the decoder keeps besides (a
// progressive JPEG's coefficients), or -1 when that is not known. A picture
// that claims more than maxClaimedPixels counts as too large whatever it
// decodes to. Icon files are judged by the largest image they hold, not by
// what their directory claims; GIFs by their logical screen, which the
// decoder fills. SVG is not judged here (see loadPicture).
qint64 decodeCost(QIODevice *device, bool reduced = true);

// The largest picture an .ico or .cur file holds, read from the headers of
// the images themselves (embedded PNG or BMP), with the bytes one of its
// pixels takes while it is decoded in *bytesPerPixel. Entries whose image
// lies outside the data cannot be decoded and do not count. An invalid size
// when the data is not an icon file or holds no readable image.
QSize largestIconImage(const QByteArray &data, int *bytesPerPixel = nullptr);

// What a JPEG's frame header and first scan say about decoding it.
struct JpegFrame
{
    QSize size; // invalid when no frame header was found
    bool multiScan = false; // progressive, or its first scan holds fewer than all components
    // Each component's sampling factors.
    QVector<QSize> sampling;
};

// Walks the markers of the JPEG on device (from its start) up to its first
// scan.
JpegFrame jpegFrame(QIODevice *device);

// The coefficients libjpeg keeps for a multi-scan JPEG: every 8 × 8 block of
// every component at full size (2 bytes a coefficient), the blocks of each
// rounded up to whole units of its sampling factors. 0 for a single scan.
qint64 jpegCoefficientBytes(const JpegFrame &frame);

// An SVG document made safe to draw, or why it cannot be.
struct SafeSvg
{
    QByteArray document; // empty when refused
    QString error;
    qint64 elements = 0; // drawn, with every <use> expanded
    qint64 embeddedBytes = 0; // what the embedded pictures take decoded
};

// Reads the SVG (or gzip-compressed SVG) on device, within maxSvgBytes once
// decompressed, and writes it again without anything that would reach
// outside it: every href that is not a "#fragment" (on <image>: not a data:
// picture of a known size), every url() that is not a "#fragment", CSS
// @import, processing instructions (an xml-stylesheet one reads a file) and
// the DTD (its entities are already expanded). Refused when it nests deeper
// than maxSvgDepth, draws more than maxSvgElements, refers to itself, or
// holds embedded pictures that decode to more than half maxDecodedBytes.
SafeSvg safeSvg(QIODevice *device);

// Whether a file of the given format ("jpeg", "png", "gif", "bmp") ends
// before its data does: a JPEG without its end marker after the last scan, a
// PNG without its end chunk, a GIF without its trailer, a BMP shorter than
// its header says. head is the start of the file, tail its end (the whole
// file when it is small), fileSize its length. Other formats are never
// judged incomplete.
bool looksTruncated(const QByteArray &format, const QByteArray &head, const QByteArray &tail,
                    qint64 fileSize);

struct LoadState;

// The threads picture loads run on, apart from the global pool: a file that
// trickles in from a slow disk must not hold up the canvas runs. A load can
// be given up (the canvas does after a time-out): its thread may stay
// blocked for good, so the pool takes one more thread for each given-up load
// still running, and the next load never waits for it.
class LoaderPool
{
public:
    explicit LoaderPool(int threads);
    // Waits for the loads still running.
    ~LoaderPool();
    LoaderPool(const LoaderPool &) = delete;
    LoaderPool &operator=(const LoaderPool &) = delete;

    // The canvas's pool: four threads, never destroyed, so that leaving the
    // program never waits for a load that hangs.
    static LoaderPool *shared();

    struct Load
    {
        QFuture<LoadedPicture> future;
        std::shared_ptr<LoadState> state;
    };
    Load start(std::function<LoadedPicture()> work);
    // The result of a finished load, as its thread left it.
    static LoadedPicture result(const Load &load);
    // The load's result no longer counts; one that has not started yet never
    // runs.
    void giveUp(const Load &load);
    // Threads the pool may run now: its own plus one per given-up load
    // still running.
    int threadLimit() const;

private:
    class Run;
    // A load starts on its thread: false when it was given up before.
    bool begin(LoadState &state);
    void end(LoadState &state);
    void setLimit();

    // A standard mutex, whose locking the thread checker sees.
    mutable std::mutex m_mutex;
    const int m_threads;
    int m_givenUpRunning = 0;
    QThreadPool m_pool; // last: destroyed first, while the rest still exists
};

} // namespace Imaging
