// The editing history: the memory its pictures take after 60 edits of a
// photo-sized picture (looks, turns, strokes, text and crops, of which the
// history keeps the last 30), reported as the counters history_mb (beyond
// the pictures on show) and with_shown_mb (with them); the time of an undo
// followed by a redo; and what one grey 1050 × 1050 picture takes to be put
// away at one byte a pixel and to be taken out again. Undo, redo and the
// conversions run on the GUI thread. Targets: the 30 steps well under 50 MB,
// an undo or redo and each conversion within a few ms.

#include "benchmain.h"
#include "drawboard/drawimage.h"

#include <QEventLoop>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <memory>

namespace {

constexpr int photoWidth = 1049;
constexpr int photoHeight = 1050;

class Canvas : public DrawImage
{
public:
    // A stroke the way a mouse makes it.
    void stroke(QPointF from, QPointF to)
    {
        QMouseEvent press(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, {});
        mousePressEvent(&press);
        for (int i = 1; i <= 20; ++i) {
            QMouseEvent move(QEvent::MouseMove, from + (to - from) * i / 20.0, Qt::NoButton,
                             Qt::LeftButton, {});
            mouseMoveEvent(&move);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, {});
        mouseReleaseEvent(&release);
    }

    void runAndWait(ProcessAlgorithm algorithm, double para)
    {
        QEventLoop loop;
        connect(this, &DrawImage::propertyChanged, &loop, &QEventLoop::quit);
        process(algorithm, para);
        loop.exec();
    }
};

// The photo of the other benchmarks at 1049 × 1050, loaded as a drop loads it.
std::unique_ptr<Canvas> loadedCanvas(QTemporaryDir &dir)
{
    const QString file = dir.filePath(QStringLiteral("photo.png"));
    QImage(QStringLiteral(VANDRA_BENCH_DATA "/astronaut.jpg"))
        .scaled(photoWidth, photoHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .save(file);
    auto canvas = std::make_unique<Canvas>();
    canvas->setSize(QSizeF(680, 680));
    canvas->init();
    QEventLoop loop;
    QObject::connect(canvas.get(), &DrawImage::loadImageDone, &loop, &QEventLoop::quit);
    canvas->load(file);
    loop.exec();
    return canvas;
}

// Six kinds of edit in turn: a look, a quarter turn, a stroke, a text, a
// crop and another stroke.
void edit(Canvas &canvas, int i)
{
    const QSizeF size = canvas.size();
    switch (i % 6) {
    case 0: {
        const DrawImage::ProcessAlgorithm looks[]
            = {DrawImage::Binarize, DrawImage::Floyd, DrawImage::GreyFilter};
        canvas.runAndWait(looks[(i / 6) % 3], 120);
        break;
    }
    case 1:
        canvas.runAndWait(DrawImage::Rotate, 90);
        break;
    case 2:
    case 5:
        canvas.setPenSize(4 + i % 12);
        canvas.stroke({40.0 + i, 60}, {size.width() - 80, size.height() - 40.0 - i});
        break;
    case 3:
        canvas.setTextSize(40);
        canvas.drawText(50 + i, 100 + 5 * i, QStringLiteral("Vandra %1").arg(i));
        break;
    default:
        canvas.cutImage(10, 10, int(size.width()) - 20, int(size.height()) - 20);
        break;
    }
}

void BM_History60Edits(benchmark::State &state)
{
    QTemporaryDir dir;
    auto canvas = loadedCanvas(dir);
    for (auto _ : state) {
        for (int i = 0; i < 60; ++i)
            edit(*canvas, i);
    }
    state.counters["history_mb"] = canvas->historyBytes() / 1e6;
    state.counters["with_shown_mb"] = canvas->historyBytes(true) / 1e6;
    state.counters["steps"] = canvas->history()->count();
    state.SetLabel("1049x1050, 60 edits");
}

// The undo and redo of a stroke, and of Clear: the worst case, as both the
// base picture and the working one come back.
void BM_UndoRedo(benchmark::State &state, bool clear)
{
    QTemporaryDir dir;
    auto canvas = loadedCanvas(dir);
    for (int i = 0; i < 60; ++i)
        edit(*canvas, i);
    if (clear)
        canvas->clear();
    for (auto _ : state) {
        canvas->undo();
        canvas->redo();
    }
    state.SetLabel(clear ? "1049x1050, Clear" : "1049x1050, a stroke");
}

// The photo, grey, at 1050 × 1050.
QImage greyPhoto()
{
    return QImage(QStringLiteral(VANDRA_BENCH_DATA "/astronaut.jpg"))
        .scaled(1050, 1050, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_Grayscale8)
        .convertToFormat(QImage::Format_RGB32);
}

// Between two timed runs, every freed page goes back to the system, so that
// the next result is written to pages touched for the first time: the
// slowest case.
void freshMemory(benchmark::State &state, QImage &result)
{
    state.PauseTiming();
    result = QImage();
    malloc_trim(0);
    state.ResumeTiming();
}

void BM_HistoryPutAway(benchmark::State &state)
{
    const QImage picture = greyPhoto();
    QImage levels;
    for (auto _ : state) {
        freshMemory(state, levels);
        levels = HistoryPacking::greyLevels(picture);
        benchmark::DoNotOptimize(levels.constBits());
    }
    state.SetLabel("1050x1050");
}

void BM_HistoryTakeOut(benchmark::State &state)
{
    const QImage levels = HistoryPacking::greyLevels(greyPhoto());
    QImage picture;
    for (auto _ : state) {
        freshMemory(state, picture);
        picture = HistoryPacking::fromGreyLevels(levels, QImage::Format_RGB32);
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetLabel("1050x1050");
}

} // namespace

BENCHMARK(BM_HistoryPutAway)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryTakeOut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_History60Edits)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_UndoRedo, Stroke, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UndoRedo, Clear, true)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
