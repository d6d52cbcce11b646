// Opening pictures: the time from the open action to the black-and-white
// picture on the canvas, with the worst stall of the GUI thread meanwhile
// (see stallprobe.h), against the time a decode takes when it runs on the
// calling thread, which is how long a load that decodes on the GUI thread
// freezes the window. The JPEGs are photo-like (a real photo enlarged, with
// grain), made by the benchmark itself. Targets: 250 ms for 4000 x 3000,
// 1 s for 12000 x 9000, never a stall over 20 ms beyond what the machine
// itself shows with nothing to do (StallDoingNothing). The icon holding a
// 20000 x 20000 PNG behind a 16 x 16 directory entry is refused before
// decoding now.

#include "benchmain.h"
#include "drawboard/drawimage.h"
#include "engraver/jobbuffer.h"
#include "hostilefiles.h"
#include "stallprobe.h"

#include "app/picturefiles.h"

#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QImageReader>
#include <QMimeData>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A photo-like JPEG of the given size, written once into a folder that
// outlives the run: the real photo of bench/data (its middle 4:3) enlarged
// bilinearly, with grain added to every component as a camera's sensor
// leaves it. The grain is what makes a photo slow to decode: a smooth
// synthetic picture has few coefficients to read and decodes several times
// faster than a photo of the same size. Written scan line by scan line
// with libjpeg at quality 90 (4:2:0, as cameras write), so that no
// picture of the full size is ever held.
QString photoJpeg(int width, int height)
{
    const QString path
        = Hostile::cachePath(QStringLiteral("grainy-photo-%1x%2.jpg").arg(width).arg(height));
    if (QFile::exists(path))
        return path;
    const QImage real = QImage(QStringLiteral(VANDRA_BENCH_DATA "/astronaut.jpg"))
                            .convertToFormat(QImage::Format_RGB32);
    const int cropHeight = real.width() * 3 / 4;
    const QImage source = real.copy(0, (real.height() - cropHeight) / 2, real.width(), cropHeight);
    const QString partial = path + QStringLiteral(".part");
    FILE *out = std::fopen(QFile::encodeName(partial).constData(), "wb");
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * 3);
    quint32 seed = 12345;
    const auto grain = [&seed] {
        // A sum of four uniform steps: a bell of about +-12 levels.
        int sum = 0;
        for (int i = 0; i < 4; ++i) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            sum += int(seed & 15);
        }
        return sum - 30;
    };
    const double sx = double(source.width() - 1) / double(std::max(1, width - 1));
    const double sy = double(source.height() - 1) / double(std::max(1, height - 1));
    while (cinfo.next_scanline < cinfo.image_height) {
        const double fy = cinfo.next_scanline * sy;
        const int y0 = int(fy);
        const int y1 = std::min(y0 + 1, source.height() - 1);
        const double wy = fy - y0;
        const auto *top = reinterpret_cast<const QRgb *>(source.constScanLine(y0));
        const auto *bottom = reinterpret_cast<const QRgb *>(source.constScanLine(y1));
        for (int x = 0; x < width; ++x) {
            const double fx = x * sx;
            const int x0 = int(fx);
            const int x1 = std::min(x0 + 1, source.width() - 1);
            const double wx = fx - x0;
            for (int c = 0; c < 3; ++c) {
                const int shift = 16 - 8 * c;
                const auto at = [shift](QRgb p) {
                    return double((p >> shift) & 0xFF);
                };
                const double value = (at(top[x0]) * (1 - wx) + at(top[x1]) * wx) * (1 - wy)
                    + (at(bottom[x0]) * (1 - wx) + at(bottom[x1]) * wx) * wy;
                row[size_t(x) * 3 + size_t(c)]
                    = JSAMPLE(std::clamp(int(value + 0.5) + grain(), 0, 255));
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(out);
    QFile::rename(partial, path);
    return path;
}

// An icon whose one directory entry says 16 x 16 and holds a real PNG of
// 20000 x 20000 grey levels (all black, so it compresses to a few hundred
// kilobytes; decoding it takes 400 MB).
QString iconBomb()
{
    const QString path = workDir().filePath(QStringLiteral("bomb.ico"));
    if (QFile::exists(path))
        return path;
    QImage huge(20000, 20000, QImage::Format_Grayscale8);
    huge.fill(0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    huge.save(&buffer, "PNG");
    QByteArray icon;
    const auto le = [&icon](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            icon.append(char(value >> (8 * i)));
    };
    le(0, 2); // reserved
    le(1, 2); // an icon
    le(1, 2); // one image
    le(16, 1); // 16 x 16, says the entry
    le(16, 1);
    le(0, 2); // no palette, reserved
    le(1, 2); // planes
    le(32, 2); // bits a pixel
    le(quint32(png.size()), 4);
    le(22, 4); // right after the directory
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(icon + png);
    return path;
}

// From the open action to the black-and-white picture on the canvas, as the
// editing page does it: load, and Binarize at 128 once the picture is grey.
// The time is the whole road; the counters the worst stall of the GUI
// thread, how much of that stall the GUI thread itself spent working, and
// the time of the first open, which also makes the memory the canvas keeps
// for its looks and jobs. With `shown`, the canvas is on show in a window,
// drawn by Qt Quick's software renderer on the GUI thread.
void openToBlackAndWhite(benchmark::State &state, const QString &file, const char *label,
                         bool shown = false)
{
    QQuickWindow window;
    JobBuffer jobs;
    DrawImage canvas;
    if (shown) {
        window.resize(1100, 1100);
        canvas.setParentItem(window.contentItem());
        window.show();
    }
    canvas.setSize(QSizeF(680, 680));
    canvas.setJobBuffer(&jobs);
    canvas.init();
    QObject::connect(&canvas, &DrawImage::loadImageDone, &canvas,
                     [&canvas] { canvas.process(DrawImage::Binarize, 128); });
    double worst = 0;
    double busy = 0;
    double first = -1;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const double stall
            = worstStall(&canvas, &DrawImage::propertyChanged, [&] { canvas.load(file); });
        if (first < 0)
            first = clock.nsecsElapsed() / 1e6;
        if (stall >= worst) {
            worst = stall;
            busy = stallBusyMs();
        }
    }
    state.counters["worst_stall_ms"] = worst;
    state.counters["worst_stall_busy_ms"] = busy;
    state.counters["first_open_ms"] = first;
    state.SetLabel(label);
}

void loadStall(benchmark::State &state, const QString &file, const char *label)
{
    DrawImage canvas;
    canvas.setSize(QSizeF(680, 680));
    canvas.init();
    double worst = 0;
    for (auto _ : state) {
        worst = qMax(worst, worstStall(&canvas, &DrawImage::loadImageDone, [&] {
                         // A refused file ends with loadFailed instead.
                         QObject::connect(&canvas, &DrawImage::loadFailed, &canvas,
                                          &DrawImage::loadImageDone, Qt::UniqueConnection);
                         canvas.load(file);
                     }));
    }
    state.counters["worst_stall_ms"] = worst;
    state.SetLabel(label);
}

void decodeHere(benchmark::State &state, const QString &file, const char *label)
{
    for (auto _ : state) {
        QImage image = QImageReader(file).read();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(label);
}

// The high-water mark of the process's resident memory in MB since the last
// resetPeakMemory().
double peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// A hostile file through the canvas's load, as a drop does it: the worst
// stall of the GUI thread, the peak memory of the process, how long until
// the load ended and how (1 loaded, 0 refused, -1 still not ended after
// 60 s).
void hostileLoad(benchmark::State &state, const QString &file, const char *label)
{
    DrawImage canvas;
    canvas.setSize(QSizeF(680, 680));
    canvas.init();
    double worst = 0;
    int outcome = -1;
    double seconds = 0;
    for (auto _ : state) {
        resetPeakMemory();
        QElapsedTimer clock;
        clock.start();
        outcome = -1;
        worst = qMax(worst, worstStallUntil([&](const std::function<void()> &finish) {
                         QObject::connect(&canvas, &DrawImage::loadImageDone, &canvas,
                                          [&, finish] { outcome = 1, finish(); });
                         QObject::connect(&canvas, &DrawImage::loadFailed, &canvas,
                                          [&, finish] { outcome = 0, finish(); });
                         QTimer::singleShot(60000, &canvas, finish);
                         canvas.load(QUrl::fromLocalFile(file).toString());
                     }));
        seconds = clock.nsecsElapsed() / 1e9;
        QObject::disconnect(&canvas, nullptr, &canvas, nullptr);
    }
    state.counters["worst_stall_ms"] = worst;
    state.counters["peak_rss_mb"] = peakMemoryMb();
    state.counters["seconds"] = seconds;
    state.counters["loaded"] = outcome;
    state.SetLabel(label);
}

void BM_HostileIconStrayEntry(benchmark::State &state)
{
    hostileLoad(state, Hostile::iconBomb(), "icon, 2nd entry outside: 20000x20000 RGBA PNG");
}

void BM_HostileIconStrayEntry16Bit(benchmark::State &state)
{
    hostileLoad(state, Hostile::iconBomb("stray-entry-16.ico", 16),
                "icon, 2nd entry outside: 20000x20000 16-bit PNG");
}

void BM_HostileIconNamedPng(benchmark::State &state)
{
    const QString png = Hostile::cachePath(QStringLiteral("stray-entry-ico.png"));
    QFile::copy(Hostile::iconBomb(), png);
    hostileLoad(state, png, "the same icon named .png");
}

void BM_HostileProgressiveJpeg(benchmark::State &state)
{
    hostileLoad(state, Hostile::progressiveJpeg(), "progressive 16383x16383 4:4:4 JPEG");
}

void BM_HostileSvgzBomb(benchmark::State &state)
{
    hostileLoad(state, Hostile::svgzBomb(), "svgz claiming 16000x16000, 300040 elements");
}

void BM_HostileSvgReadingFifo(benchmark::State &state)
{
    hostileLoad(state, Hostile::svgReadingFifo(), "svg with an image read from a FIFO");
    // Lets a reader blocked on the FIFO (if any) go, so that the process
    // ends; without one, opening fails at once.
    const int fifo = ::open(
        QFile::encodeName(Hostile::cachePath(QStringLiteral("never-written.fifo"))).constData(),
        O_WRONLY | O_NONBLOCK);
    if (fifo >= 0)
        ::close(fifo);
}

// A picture of side × side pixels put on the clipboard as another program
// would (a decoded picture), then pasted as Ctrl+V does it.
// With encoded, the clipboard offers it as PNG bytes instead (all
// transparent black, about a megabyte), as other programs do.
void pasteBigPicture(benchmark::State &state, int side, bool encoded)
{
    QImage picture;
    QByteArray png;
    if (encoded) {
        png = Hostile::hugePng(quint32(side), quint32(side), 8);
    } else {
        picture = QImage(side, side, QImage::Format_ARGB32);
        for (int y = 0; y < side; ++y) {
            auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
            for (int x = 0; x < side; ++x)
                line[x] = qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
        }
    }
    DrawImage canvas;
    canvas.setSize(QSizeF(680, 680));
    canvas.init();
    PictureFiles files;
    double worst = 0;
    int outcome = -1;
    double seconds = 0;
    for (auto _ : state) {
        auto *data = new QMimeData;
        if (encoded)
            data->setData(QStringLiteral("image/png"), png);
        else
            data->setImageData(picture);
        QGuiApplication::clipboard()->setMimeData(data);
        resetPeakMemory();
        QElapsedTimer clock;
        clock.start();
        worst = qMax(worst, worstStallUntil([&](const std::function<void()> &finish) {
                         QObject::connect(&canvas, &DrawImage::loadImageDone, &canvas,
                                          [&, finish] { outcome = 1, finish(); });
                         QObject::connect(&canvas, &DrawImage::loadFailed, &canvas,
                                          [&, finish] { outcome = 0, finish(); });
                         if (!files.pasteInto(&canvas))
                             finish();
                     }));
        seconds = clock.nsecsElapsed() / 1e9;
        QObject::disconnect(&canvas, nullptr, &canvas, nullptr);
        QGuiApplication::clipboard()->clear();
    }
    state.counters["worst_stall_ms"] = worst;
    state.counters["peak_rss_mb"] = peakMemoryMb();
    state.counters["seconds"] = seconds;
    state.counters["loaded"] = outcome;
    state.SetLabel(QString::fromLatin1(encoded ? "a copied %1x%1 PNG" : "a copied %1x%1 picture")
                       .arg(side)
                       .toStdString());
}

void BM_PasteBigPicture(benchmark::State &state)
{
    pasteBigPicture(state, int(state.range(0)), false);
}

void BM_PastePngBytes(benchmark::State &state)
{
    pasteBigPicture(state, int(state.range(0)), true);
}

void BM_OpenToBlackAndWhite4000x3000(benchmark::State &state)
{
    openToBlackAndWhite(state, photoJpeg(4000, 3000), "4000x3000 JPEG");
}

void BM_OpenToBlackAndWhiteShown4000x3000(benchmark::State &state)
{
    openToBlackAndWhite(state, photoJpeg(4000, 3000), "4000x3000 JPEG, canvas on show", true);
}

// The same probe with nothing to do: how late the machine itself lets a
// 5 ms timer be, which no program can do better than. Read the stalls of
// the other rows against it.
void BM_StallDoingNothing(benchmark::State &state)
{
    double worst = 0;
    for (auto _ : state) {
        worst = qMax(worst, worstStallUntil([](const std::function<void()> &finish) {
                         QTimer::singleShot(500, finish);
                     }));
    }
    state.counters["worst_stall_ms"] = worst;
    state.SetLabel("500 ms of a 5 ms timer");
}

void BM_OpenToBlackAndWhite12000x9000(benchmark::State &state)
{
    openToBlackAndWhite(state, photoJpeg(12000, 9000), "12000x9000 JPEG");
}

void BM_StallWhileLoadingIconBomb(benchmark::State &state)
{
    loadStall(state, iconBomb(), "icon: 16x16 entry, 20000x20000 PNG");
}

void BM_DecodeOnCallingThread4000x3000(benchmark::State &state)
{
    decodeHere(state, photoJpeg(4000, 3000), "4000x3000 JPEG");
}

void BM_DecodeOnCallingThreadIconBomb(benchmark::State &state)
{
    decodeHere(state, iconBomb(), "icon: 16x16 entry, 20000x20000 PNG");
}

} // namespace

BENCHMARK(BM_OpenToBlackAndWhite4000x3000)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OpenToBlackAndWhiteShown4000x3000)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OpenToBlackAndWhite12000x9000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StallDoingNothing)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StallWhileLoadingIconBomb)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_DecodeOnCallingThread4000x3000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DecodeOnCallingThreadIconBomb)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_HostileIconStrayEntry)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_HostileIconStrayEntry16Bit)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_HostileIconNamedPng)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_HostileProgressiveJpeg)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_HostileSvgzBomb)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_HostileSvgReadingFifo)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PasteBigPicture)->Arg(16384)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PastePngBytes)->Arg(16384)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    // The window of the "on show" row draws as in the tests.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    return runBenchmarks(argc, argv);
}
