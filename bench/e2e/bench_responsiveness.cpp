// How long the GUI thread is kept from its events while the canvas dithers a
// picture or turns it into a job: a 5 ms timer ticks through the whole run,
// and the worst gap between two ticks, less the 5 ms, is the longest stall a
// user could feel. Reported as the counter worst_stall_ms.

#include "drawboard/drawimage.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
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

// Runs start() and the event loop until the canvas emits finished, with a
// 5 ms timer watching the GUI thread. Returns the worst stall in ms.
template<typename Signal, typename Start>
double worstStall(DrawImage *canvas, Signal finished, Start start)
{
    QEventLoop loop;
    QObject::connect(canvas, finished, &loop, &QEventLoop::quit);
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = qMax(worst, now - last);
        last = now;
    });
    ticker.start();
    clock.start();
    // The ticker is running before the work starts, so that start()'s own
    // share of the GUI thread counts too.
    QTimer::singleShot(0, [&] { start(); });
    loop.exec();
    worst = qMax(worst, clock.nsecsElapsed() - last);
    return qMax(0.0, worst / 1e6 - 5.0);
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
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
