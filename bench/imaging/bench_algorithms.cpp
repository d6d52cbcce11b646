// Speed of the canvas algorithms on pictures of the largest size a load
// gives (1050 × 1050) and, for SaveByte, the largest size the page allows
// (80 mm = 1066 canvas pixels, 1599 × 1599 engraving pixels).
//   Grey, Negative, Binarize, GreyFilter: at most 5 ms each
//   Rotate, HMirror, VMirror:             at most 10 ms each
//   Floyd:                                at most 6 ms
//   each dithering method (a whole look): at most 15 ms
//   tone:                                 at most 5 ms
//   SaveByte, all black:                  at most 15 ms
//
// The looks and Done run again on every slider move and every Done, so they
// are measured twice: "fresh", where every result lands on memory the
// process has never touched (the first look after a load, the first job),
// and "steady", where the allocator hands back the memory of the run before.

#include "engraver/jobbuffer.h"
#include "imaging/algorithms.h"
#include "imaging/dithering.h"
#include "imaging/engravingjob.h"
#include "imaging/looks.h"

#include <QMutex>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <malloc.h>
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

enum class Memory { Fresh, Steady };

// Between two timed runs: what the last run made is let go and, for fresh
// memory, every freed page goes back to the system, so that the next run's
// result is written to pages touched for the first time.
template<typename Result>
void letGo(benchmark::State &state, Memory memory, Result &result)
{
    state.PauseTiming();
    result = Result();
    if (memory == Memory::Fresh)
        malloc_trim(0);
    state.ResumeTiming();
}

const char *memoryLabel(Memory memory)
{
    return memory == Memory::Fresh ? "fresh" : "steady";
}

// A whole look as the canvas runs it: from the grey base picture (a real
// photo) into a picture of its own, tone and method included.
void BM_Look(benchmark::State &state, Imaging::Algorithm look, double threshold,
             Imaging::LookSettings settings, Memory memory)
{
    const QImage base = greyRealPhoto(1050);
    QImage result;
    for (auto _ : state) {
        letGo(state, memory, result);
        result = Imaging::lookImage(base, look, threshold, settings);
        benchmark::DoNotOptimize(result.constBits());
    }
    state.SetLabel(sizeLabel(base) + ", " + memoryLabel(memory));
}

// What a look cost before it wrote from the base: the base copied, then the
// look on the copy.
void BM_LookOnCopy(benchmark::State &state, int algorithm, double threshold)
{
    const QImage base = greyRealPhoto(1050);
    QMutex mutex;
    QImage result;
    for (auto _ : state) {
        result = QImage();
        result = base;
        result.detach();
        algorithmTable[algorithm](&result, &mutex, threshold, nullptr);
        benchmark::DoNotOptimize(result.constBits());
    }
    state.SetLabel(sizeLabel(base) + ", steady");
}

// Done on the dithered photo: the records and the preview at the size the
// control page shows it (0.4 screen pixels per engraving pixel), off the GUI
// thread. Steady: the job store hands each job the memory of the job before
// the last, as the canvas does; fresh: every job allocates new memory.
void BM_DoneJob(benchmark::State &state, Memory memory)
{
    const QImage picture = Imaging::lookImage(greyRealPhoto(1050), Imaging::Floyd, 120, {});
    JobBuffer buffer;
    buffer.setPreviewScale(0.4);
    const QSize enlarged(Imaging::engravingSize(picture.width()),
                         Imaging::engravingSize(picture.height()));
    QByteArray spent;
    for (auto _ : state) {
        letGo(state, memory, spent);
        Imaging::EngravingJob job;
        if (memory == Memory::Steady)
            job.bytes = buffer.takeSpareBytes();
        job.previewSize = buffer.previewSizeFor(enlarged);
        Imaging::buildEngravingJob(picture, 120, job);
        state.PauseTiming();
        if (memory == Memory::Steady)
            buffer.publish(job.preview, std::move(job.bytes), 0, 0, 0, 0);
        else
            spent = std::move(job.bytes);
        state.ResumeTiming();
    }
    state.SetLabel(sizeLabel(picture) + " (" + std::to_string(enlarged.width()) + "x"
                   + std::to_string(enlarged.height()) + " engraving), " + memoryLabel(memory));
}

// What Done made on the GUI thread before: the preview at the job's own size.
void BM_FullSizePreview(benchmark::State &state)
{
    const QImage picture = Imaging::lookImage(greyRealPhoto(1050), Imaging::Floyd, 120, {});
    for (auto _ : state) {
        const QImage preview = picture.scaled(1575, 1575);
        benchmark::DoNotOptimize(preview.constBits());
    }
    state.SetLabel(sizeLabel(picture) + " to 1575x1575");
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
    inMilliseconds(benchmark::RegisterBenchmark("BM_FullSizePreview", BM_FullSizePreview));
    for (Memory memory : {Memory::Fresh, Memory::Steady}) {
        inMilliseconds(benchmark::RegisterBenchmark(
            "BM_DoneJob", [memory](benchmark::State &state) { BM_DoneJob(state, memory); }));
    }
    inMilliseconds(
        benchmark::RegisterBenchmark("BM_LookOnCopyBinarize", [](benchmark::State &state) {
            BM_LookOnCopy(state, Binarize, 128);
        }));
    inMilliseconds(benchmark::RegisterBenchmark(
        "BM_LookOnCopyFloyd", [](benchmark::State &state) { BM_LookOnCopy(state, Floyd, 120); }));
    struct Look
    {
        const char *name;
        Imaging::Algorithm look;
        double threshold;
        Imaging::DitherMethod method;
        bool serpentine;
        bool toned;
    };
    using M = Imaging::DitherMethod;
    static const Look looks[] = {
        {"BM_LookBinarize", Imaging::Binarize, 128, M::Floyd, false, false},
        {"BM_LookGreyFilter", Imaging::GreyFilter, 200, M::Floyd, false, false},
        {"BM_LookFloyd", Imaging::Floyd, 120, M::Floyd, false, false},
        {"BM_LookFloydToned", Imaging::Floyd, 120, M::Floyd, false, true},
        {"BM_LookAtkinson", Imaging::Floyd, 128, M::Atkinson, false, false},
        {"BM_LookJarvisJudiceNinke", Imaging::Floyd, 128, M::JarvisJudiceNinke, false, false},
        {"BM_LookStucki", Imaging::Floyd, 128, M::Stucki, false, false},
        {"BM_LookSierra", Imaging::Floyd, 128, M::Sierra, false, false},
        {"BM_LookSierraSerpentine", Imaging::Floyd, 128, M::Sierra, true, false},
        {"BM_LookBayer", Imaging::Floyd, 128, M::Bayer, false, false},
        {"BM_LookHalftone", Imaging::Floyd, 128, M::Halftone, false, false},
    };
    for (const Look &l : looks) {
        for (Memory memory : {Memory::Fresh, Memory::Steady}) {
            inMilliseconds(
                benchmark::RegisterBenchmark(l.name, [l, memory](benchmark::State &state) {
                    Imaging::LookSettings settings;
                    settings.dither.method = l.method;
                    settings.dither.serpentine = l.serpentine;
                    if (l.toned)
                        settings.tone = {10, 20, 1.4};
                    BM_Look(state, l.look, l.threshold, settings, memory);
                }));
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
