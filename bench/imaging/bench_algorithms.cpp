// Speed of the canvas algorithms on pictures of the largest size a load
// gives (1050 × 1050) and, for SaveByte, the largest size the page allows
// (80 mm = 1066 canvas pixels, 1599 × 1599 engraving pixels).
//   Grey, Negative, Binarize, GreyFilter: at most 5 ms each
//   Rotate, HMirror, VMirror:             at most 10 ms each
//   Floyd:                                at most 15 ms
//   SaveByte, all black:                  at most 15 ms

#include "engraver/jobbuffer.h"
#include "imaging/algorithms.h"

#include <QMutex>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <string>

namespace {

enum { Grey, Rotate, HMirror, VMirror, Negative, Binarize, Floyd, GreyFilter, SaveByte };

QImage photo(int side, QImage::Format format)
{
    QRandomGenerator random(1);
    QImage image(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < side; ++x)
            line[x] = 0xFF000000u | (random.generate() & 0xFFFFFF);
    }
    return image.convertToFormat(format);
}

QImage greyPhoto(int side)
{
    return Imaging::greyImage(photo(side, QImage::Format_ARGB32));
}

std::string sizeLabel(const QImage &image)
{
    return std::to_string(image.width()) + "x" + std::to_string(image.height());
}

void runAlgorithm(benchmark::State &state, int algorithm, QImage image, double para)
{
    QMutex mutex;
    for (auto _ : state) {
        algorithmTable[algorithm](&image, &mutex, para);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(sizeLabel(image));
}

void BM_Grey(benchmark::State &state)
{
    // Always from the loaded ARGB32 picture, as after a load.
    const QImage source = photo(1050, QImage::Format_ARGB32);
    QMutex mutex;
    for (auto _ : state) {
        QImage image = source;
        processGrey(&image, &mutex, 0);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(sizeLabel(source));
}

void BM_Negative(benchmark::State &state)
{
    runAlgorithm(state, Negative, greyPhoto(1050), 0);
}
void BM_Binarize(benchmark::State &state)
{
    runAlgorithm(state, Binarize, greyPhoto(1050), 128);
}
void BM_GreyFilter(benchmark::State &state)
{
    runAlgorithm(state, GreyFilter, greyPhoto(1050), 200);
}
void BM_Rotate90(benchmark::State &state)
{
    runAlgorithm(state, Rotate, greyPhoto(1050), 90);
}
void BM_HMirror(benchmark::State &state)
{
    runAlgorithm(state, HMirror, greyPhoto(1050), 0);
}
void BM_VMirror(benchmark::State &state)
{
    runAlgorithm(state, VMirror, greyPhoto(1050), 0);
}

void BM_Floyd(benchmark::State &state)
{
    // Always from the grey picture, as the pipeline does.
    const QImage source = greyPhoto(1050);
    QMutex mutex;
    for (auto _ : state) {
        state.PauseTiming();
        QImage image = source;
        image.detach();
        state.ResumeTiming();
        processFloyd(&image, &mutex, 128);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(sizeLabel(source));
}

void BM_SaveByteAllBlack(benchmark::State &state)
{
    QImage image(1066, 1066, QImage::Format_RGB32);
    image.fill(0xFF000000u);
    QMutex mutex;
    for (auto _ : state)
        processSaveByte(&image, &mutex, 128);
    if (jobBuffer.bytes.size() != 1599 * 1599 * 4)
        state.SkipWithError("wrong stream size");
    state.SetLabel("1066x1066 (1599x1599 engraving)");
}

void BM_SaveBytePhoto(benchmark::State &state)
{
    QImage image = greyPhoto(1066);
    QMutex mutex;
    for (auto _ : state)
        processSaveByte(&image, &mutex, 128);
    state.SetLabel("1066x1066 (1599x1599 engraving)");
}

} // namespace

BENCHMARK(BM_Grey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Negative)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Binarize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GreyFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HMirror)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VMirror)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Floyd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveByteAllBlack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveBytePhoto)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // The algorithms write diagnostics to the debug log; keep the figures readable.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
