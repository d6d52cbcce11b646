// Opening pictures: the time from the open action to the black-and-white
// picture on the canvas, with the worst stall of the GUI thread meanwhile
// (see stallprobe.h), against the time a decode takes when it runs on the
// calling thread, which is how long a load that decodes on the GUI thread
// freezes the window. Targets: 250 ms for 4000 x 3000, 1 s for 12000 x 9000,
// never a stall over 20 ms. The icon holding a
// 20000 x 20000 PNG behind a 16 x 16 directory entry is refused before
// decoding now.

#include "benchmain.h"
#include "drawboard/drawimage.h"
#include "stallprobe.h"

#include <QBuffer>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A photo-like JPEG of the given size: gradients and shapes.
QString photoJpeg(int width, int height)
{
    const QString path
        = workDir().filePath(QStringLiteral("photo-%1x%2.jpg").arg(width).arg(height));
    if (QFile::exists(path))
        return path;
    QImage photo(width, height, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(0.5, Qt::darkGreen);
    gradient.setColorAt(1, Qt::darkBlue);
    painter.fillRect(photo.rect(), gradient);
    painter.setBrush(Qt::black);
    for (int i = 0; i < 20; ++i)
        painter.drawEllipse(QPoint(width * i / 20, height / 2), width / 30, height / 5);
    painter.end();
    photo.save(path, "JPEG", 90);
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
// The time is the whole road; the counter the worst stall of the GUI thread.
void openToBlackAndWhite(benchmark::State &state, const QString &file, const char *label)
{
    DrawImage canvas;
    canvas.setSize(QSizeF(680, 680));
    canvas.init();
    QObject::connect(&canvas, &DrawImage::loadImageDone, &canvas,
                     [&canvas] { canvas.process(DrawImage::Binarize, 128); });
    double worst = 0;
    for (auto _ : state) {
        worst = qMax(worst,
                     worstStall(&canvas, &DrawImage::propertyChanged, [&] { canvas.load(file); }));
    }
    state.counters["worst_stall_ms"] = worst;
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

void BM_OpenToBlackAndWhite4000x3000(benchmark::State &state)
{
    openToBlackAndWhite(state, photoJpeg(4000, 3000), "4000x3000 JPEG");
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
BENCHMARK(BM_OpenToBlackAndWhite12000x9000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StallWhileLoadingIconBomb)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_DecodeOnCallingThread4000x3000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DecodeOnCallingThreadIconBomb)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
