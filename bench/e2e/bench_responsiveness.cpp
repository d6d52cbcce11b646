// How long the GUI thread is kept from its events while the canvas dithers a
// picture or turns it into a job (see stallprobe.h). Reported as the counter
// worst_stall_ms.

#include "benchmain.h"
#include "drawboard/drawimage.h"
#include "stallprobe.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int side = 1050;

// A canvas holding a grey 1050 × 1050 picture, loaded the way a drop loads it.
std::unique_ptr<DrawImage> loadedCanvas(QTemporaryDir &dir)
{
    QImage photo(side, side, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient gradient(0, 0, side, side);
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, Qt::darkBlue);
    painter.fillRect(photo.rect(), gradient);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPoint(side / 2, side / 2), side / 4, side / 4);
    painter.end();
    const QString file = dir.filePath(QStringLiteral("photo.png"));
    photo.save(file);

    auto canvas = std::make_unique<DrawImage>();
    canvas->setWidth(680);
    canvas->setHeight(680);
    canvas->init();
    QEventLoop loop;
    QObject::connect(canvas.get(), &DrawImage::loadImageDone, &loop, &QEventLoop::quit);
    canvas->load(file);
    loop.exec();
    return canvas;
}

// Repeats one kind of run on a loaded picture and reports its worst stall.
template<typename Signal, typename Start>
void measureStalls(benchmark::State &state, Signal finished, Start start)
{
    QTemporaryDir dir;
    auto canvas = loadedCanvas(dir);
    double worst = 0;
    for (auto _ : state)
        worst = qMax(worst, worstStall(canvas.get(), finished, [&] { start(*canvas); }));
    state.counters["worst_stall_ms"] = worst;
    state.SetLabel("1050x1050");
}

void BM_StallWhileDithering(benchmark::State &state)
{
    measureStalls(state, &DrawImage::propertyChanged,
                  [](DrawImage &canvas) { canvas.process(DrawImage::Floyd, 120); });
}

void BM_StallWhilePreparingJob(benchmark::State &state)
{
    measureStalls(state, &DrawImage::saveDone, [](DrawImage &canvas) {
        canvas.done();
        canvas.process(DrawImage::SaveByte, 128);
    });
}

} // namespace

BENCHMARK(BM_StallWhileDithering)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_StallWhilePreparingJob)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
