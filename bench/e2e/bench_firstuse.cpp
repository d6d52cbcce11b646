// The first look and the first Done of a program just started, against the
// same runs once the canvas has made a few. The first ones used to write to
// memory the process had never touched, whose every page faults when it is
// first written; the later ones write to memory the runs before let go of.
// Each is timed through the canvas, from the call to the picture on show
// (propertyChanged) or to the job built (saveDone): a Floyd look of the
// photo of the other benchmarks at 1050 x 1050, and Done on it with the
// preview at 0.4, as the control page shows it. The canvas is on show in a
// window, as in the program.
//
// "First" starts this program anew for each run (--first-use), which loads
// the photo and times its first look and its first Done; "steady" times the
// sixth of each on one canvas. Each figure is the median of 15 runs. Target:
// the first within 1.5 times the steady figure.

#include "benchmain.h"
#include "drawboard/drawimage.h"
#include "engraver/jobbuffer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QProcess>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int side = 1050;

QString photoFile()
{
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("photo.png"));
    if (!QFile::exists(file)) {
        QImage(QStringLiteral(VANDRA_BENCH_DATA "/astronaut.jpg"))
            .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .save(file);
    }
    return file;
}

// The seconds from start() until the canvas emits done.
template<typename Signal, typename Start>
double timed(DrawImage &canvas, Signal done, Start start)
{
    QEventLoop loop;
    const auto ended = QObject::connect(&canvas, done, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    start();
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    QObject::disconnect(ended);
    return seconds;
}

// A canvas and its job store as the program has them, on show in a window,
// with the photo loaded as a drop loads it.
struct Loaded
{
    QQuickWindow window;
    JobBuffer jobs;
    DrawImage canvas;

    Loaded()
    {
        jobs.setPreviewScale(0.4);
        window.resize(side, side);
        canvas.setParentItem(window.contentItem());
        canvas.setSize(QSizeF(680, 680));
        canvas.setJobBuffer(&jobs);
        canvas.init();
        window.show();
        drawn();
        QEventLoop loaded;
        QObject::connect(&canvas, &DrawImage::loadImageDone, &loaded, &QEventLoop::quit);
        canvas.load(photoFile());
        loaded.exec();
    }

    // Waits until the window has drawn what changed, so that no drawing
    // falls into the time of the next run.
    void drawn()
    {
        QEventLoop loop;
        QObject::connect(&window, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
    }

    double look()
    {
        const double seconds = timed(canvas, &DrawImage::propertyChanged,
                                     [this] { canvas.process(DrawImage::Floyd, 120); });
        drawn();
        return seconds;
    }

    double done()
    {
        return timed(canvas, &DrawImage::saveDone, [this] {
            canvas.done();
            canvas.process(DrawImage::SaveByte, 120);
        });
    }
};

// In a program started for it: the first look and the first Done after the
// load, in ms, on standard output.
int firstUse(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    Loaded loaded;
    const double firstLook = loaded.look();
    const double firstDone = loaded.done();
    std::printf("%f %f\n", firstLook * 1e3, firstDone * 1e3);
    return 0;
}

enum class Use { Look, Done };

void BM_First(benchmark::State &state, Use use)
{
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--first-use")});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            state.SkipWithError("the program timing its first use failed");
            break;
        }
        const QList<QByteArray> times = child.readAllStandardOutput().trimmed().split(' ');
        state.SetIterationTime(times.value(use == Use::Look ? 0 : 1).toDouble() / 1e3);
    }
    state.SetLabel(use == Use::Look ? "first Floyd look, 1050x1050, in a program just started"
                                    : "first Done, 1050x1050, in a program just started");
}

void BM_Steady(benchmark::State &state, Use use)
{
    Loaded loaded;
    for (int i = 0; i < 5; ++i) {
        loaded.look();
        loaded.done();
    }
    for (auto _ : state)
        state.SetIterationTime(use == Use::Look ? loaded.look() : loaded.done());
    state.SetLabel(use == Use::Look ? "Floyd look, 1050x1050, steady" : "Done, 1050x1050, steady");
}

// One run a repetition, and the median of them: a run that another program
// on the machine holds up counts as one run, not as a share of a mean.
void configure(benchmark::internal::Benchmark *b)
{
    b->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(15)
        ->ReportAggregatesOnly(true);
}

} // namespace

BENCHMARK_CAPTURE(BM_First, Look, Use::Look)->Apply(configure);
BENCHMARK_CAPTURE(BM_Steady, Look, Use::Look)->Apply(configure);
BENCHMARK_CAPTURE(BM_First, Done, Use::Done)->Apply(configure);
BENCHMARK_CAPTURE(BM_Steady, Done, Use::Done)->Apply(configure);

int main(int argc, char **argv)
{
    // The window draws with Qt Quick's software renderer, as in the tests.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    if (argc > 1 && qstrcmp(argv[1], "--first-use") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return firstUse(argc, argv);
    }
    return runBenchmarks(argc, argv);
}
