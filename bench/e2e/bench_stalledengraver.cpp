// How long the GUI thread is kept from its events while an engraver that has
// stopped reading keeps asking for data: 100 data requests, one every 10 ms,
// while the pseudo-terminal between the two fills up and stays full. A 5 ms
// timer ticks through the whole run; the worst gap between two ticks, less
// the 5 ms, is reported as worst_stall_ms. The time is the whole run, from
// the first request until every request has been answered.

#include "benchmain.h"
#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "engraver/replies.h"
#include "ptyengraver.h"
#include "stallprobe.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr int requests = 100;

// The search runs in the background; this waits for its end. The handshake
// allows 100 ms, which a loaded machine may miss, so it is tried again.
bool connectTo(Operations &operations, const PtyEngraver &engraver)
{
    qputenv("VANDRA_SERIAL_PORTS", engraver.device().toLocal8Bit());
    for (int attempt = 0; attempt < 3; ++attempt) {
        QEventLoop loop;
        bool done = false;
        bool found = false;
        const QMetaObject::Connection finished
            = QObject::connect(&operations, &Operations::searchFinished, [&](bool result) {
                  done = true;
                  found = result;
                  loop.quit();
              });
        operations.connectToBelow(true);
        if (!done)
            loop.exec();
        QObject::disconnect(finished);
        if (found)
            return true;
    }
    return false;
}

void BM_StallWhileEngraverStopsReading(benchmark::State &state)
{
    const QByteArray job((requests + 1) * Protocol::chunkSize, '\x7f');
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Made and dropped outside the timed part.
        auto engraverEnd = std::make_unique<PtyEngraver>();
        auto controller = std::make_unique<Operations>();
        PtyEngraver &engraver = *engraverEnd;
        Operations &operations = *controller;
        operations.jobBuffer()->publish(QImage(), job, 0, 0, 0, 0);
        if (!connectTo(operations, engraver)) {
            state.SkipWithError("no link to the pseudo-terminal");
            return;
        }
        engraver.setReading(false);
        state.ResumeTiming();

        int answered = 0;
        std::thread asker;
        const double stall = worstStallUntil([&](const std::function<void()> &finish) {
            QObject::connect(&operations, &Operations::completePecent, [&answered, finish] {
                if (++answered == requests)
                    finish();
            });
            asker = std::thread([&engraver] {
                for (int i = 0; i < requests; ++i) {
                    engraver.send("B1");
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
            });
        });
        asker.join(); // in its last 10 ms sleep

        state.PauseTiming();
        worst = qMax(worst, stall);
        controller.reset();
        engraverEnd.reset();
        state.ResumeTiming();
    }
    state.counters["worst_stall_ms"] = qMax(0.0, worst);
    state.SetLabel("100 requests, 10 ms apart");
}

} // namespace

BENCHMARK(BM_StallWhileEngraverStopsReading)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
