// Speed of the canvas algorithms on pictures of the largest size a load
// gives (1050 × 1050) and, for SaveByte, the largest size the page allows
// (80 mm = 1066 canvas pixels, 1599 × 1599 engraving pixels).
//   Grey, Negative, Binarize, GreyFilter: at most 5 ms each
//   Rotate, HMirror, VMirror:             at most 10 ms each
//   Floyd:                                at most 15 ms
//   SaveByte, all black:                  at most 15 ms

#include "engraver/jobbuffer.h"
#include "imaging/algorithms.h"
#include "imaging/dithering.h"

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

// A real photo (bench/data/astronaut.jpg), enlarged to side x side: error
// diffusion behaves differently on smooth tones than on noise.
QImage greyRealPhoto(int side)
{
    const QImage real = QImage(QStringLiteral(VANDRA_BENCH_DATA "/astronaut.jpg"))
                            .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return Imaging::greyImage(real.convertToFormat(QImage::Format_ARGB32));
}

std::string sizeLabel(const QImage &image)
{
    return std::to_string(image.width()) + "x" + std::to_string(image.height());
}

void runAlgorithm(benchmark::State &state, int algorithm, QImage image, double para)
{
    QMutex mutex;
    for (auto _ : state) {
        algorithmTable[algorithm](&image, &mutex, para, nullptr);
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
        processGrey(&image, &mutex, 0, nullptr);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(sizeLabel(source));
}

void BM_Floyd(benchmark::State &state)
{
    // Always from the grey picture, as the pipeline does.
    const QImage source = greyRealPhoto(1050);
    QMutex mutex;
    for (auto _ : state) {
        state.PauseTiming();
        QImage image = source;
        image.detach();
        state.ResumeTiming();
        processFloyd(&image, &mutex, 128, nullptr);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(sizeLabel(source));
}

void BM_SaveByteAllBlack(benchmark::State &state)
{
    QImage image(1066, 1066, QImage::Format_RGB32);
    image.fill(0xFF000000u);
    QMutex mutex;
    Imaging::EngravingJob job;
    for (auto _ : state)
        processSaveByte(&image, &mutex, 128, &job);
    if (job.bytes.size() != 1599 * 1599 * 4)
        state.SkipWithError("wrong stream size");
    state.SetLabel("1066x1066 (1599x1599 engraving)");
}

void BM_SaveBytePhoto(benchmark::State &state)
{
    QImage image = greyPhoto(1066);
    QMutex mutex;
    Imaging::EngravingJob job;
    for (auto _ : state)
        processSaveByte(&image, &mutex, 128, &job);
    state.SetLabel("1066x1066 (1599x1599 engraving)");
}

// Times work(image) on a fresh copy of the grey photo each time, as a look
// gets one.
template<typename Work>
void onFreshCopies(benchmark::State &state, Work work)
{
    const QImage source = greyRealPhoto(1050);
    for (auto _ : state) {
        state.PauseTiming();
        QImage image = source;
        image.detach();
        state.ResumeTiming();
        work(image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(sizeLabel(source));
}

void ditherWith(benchmark::State &state, const Imaging::DitherOptions &options)
{
    onFreshCopies(state, [&options](QImage &image) { Imaging::dither(image, options); });
}

void BM_Tone(benchmark::State &state)
{
    onFreshCopies(state, [](QImage &image) { Imaging::applyTone(image, {10, 20, 1.4}); });
}

} // namespace

int main(int argc, char **argv)
{
    // The algorithms write diagnostics to the debug log; keep the figures readable.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    // The entries that differ only by algorithm and parameter come from one
    // table; all are registered in the order of the algorithm table.
    struct TableRun
    {
        const char *name;
        int algorithm;
        double para;
    };
    static const TableRun tableRuns[] = {
        {"BM_Negative", Negative, 0},       {"BM_Binarize", Binarize, 128},
        {"BM_GreyFilter", GreyFilter, 200}, {"BM_Rotate90", Rotate, 90},
        {"BM_HMirror", HMirror, 0},         {"BM_VMirror", VMirror, 0},
    };
    const auto inMilliseconds = [](benchmark::internal::Benchmark *b) {
        b->Unit(benchmark::kMillisecond);
    };
    inMilliseconds(benchmark::RegisterBenchmark("BM_Grey", BM_Grey));
    for (const TableRun &run : tableRuns) {
        inMilliseconds(benchmark::RegisterBenchmark(run.name, [run](benchmark::State &state) {
            runAlgorithm(state, run.algorithm, greyPhoto(1050), run.para);
        }));
    }
    inMilliseconds(benchmark::RegisterBenchmark("BM_Floyd", BM_Floyd));
    inMilliseconds(benchmark::RegisterBenchmark("BM_SaveByteAllBlack", BM_SaveByteAllBlack));
    inMilliseconds(benchmark::RegisterBenchmark("BM_SaveBytePhoto", BM_SaveBytePhoto));
    inMilliseconds(benchmark::RegisterBenchmark("BM_Tone", BM_Tone));
    struct Method
    {
        const char *name;
        Imaging::DitherMethod method;
        bool serpentine;
    };
    static const Method methods[] = {
        {"BM_DitherAtkinson", Imaging::DitherMethod::Atkinson, false},
        {"BM_DitherJarvisJudiceNinke", Imaging::DitherMethod::JarvisJudiceNinke, false},
        {"BM_DitherStucki", Imaging::DitherMethod::Stucki, false},
        {"BM_DitherSierra", Imaging::DitherMethod::Sierra, false},
        {"BM_DitherSierraSerpentine", Imaging::DitherMethod::Sierra, true},
        {"BM_DitherBayer", Imaging::DitherMethod::Bayer, false},
        {"BM_DitherHalftone", Imaging::DitherMethod::Halftone, false},
    };
    for (const Method &m : methods) {
        inMilliseconds(benchmark::RegisterBenchmark(m.name, [m](benchmark::State &state) {
            Imaging::DitherOptions options;
            options.method = m.method;
            options.serpentine = m.serpentine;
            ditherWith(state, options);
        }));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
