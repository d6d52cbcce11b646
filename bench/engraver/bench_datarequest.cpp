// How long the host takes to answer the engraver's data request. The wire
// needs about 89 ms for a 1024-byte chunk at 115200 baud; the host's share
// should be far below a millisecond so that the wire sets the pace.

#include "benchmain.h"
#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "engraver/replies.h"
#include "ptyengraver.h"

#include <QEventLoop>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

constexpr int jobSize = 10 * 1024 * 1024; // a fully black 80 × 80 mm picture

const QByteArray job(jobSize, '\x7f');

// The pure part: cutting the read, classifying it, planning and building
// the chunk.
void BM_AnswerPlanning(benchmark::State &state)
{
    quint32 position = 0;
    state.SetLabel("1024-byte chunk");
    for (auto _ : state) {
        const QList<QByteArray> replies = Protocol::splitReplies("B1");
        for (const QByteArray &reply : replies) {
            if (Protocol::classifyReply(Protocol::replyText(reply))
                != Protocol::ReplyKind::DataRequest)
                continue;
            const Protocol::ChunkPlan plan = Protocol::planChunk(jobSize, position, 1);
            QByteArray chunk = Protocol::buildChunk(job, plan.start, plan.length);
            benchmark::DoNotOptimize(chunk);
            position = plan.nextPosition % (jobSize - Protocol::chunkSize);
        }
    }
}
BENCHMARK(BM_AnswerPlanning);

// The whole answer: "B1" written at the engraver's end of a pseudo-terminal
// until the 1024-byte chunk is there, read, planned and written on the link
// thread while the window's thread does nothing but wait.
void BM_AnswerDataRequest(benchmark::State &state)
{
    PtyEngraver engraver;
    qputenv("VANDRA_SERIAL_PORTS", engraver.device().toLocal8Bit());
    Operations operations;
    // The search runs in the background; its end is waited for here.
    bool searching = true;
    QObject::connect(&operations, &Operations::searchFinished, [&] { searching = false; });
    operations.connectToBelow(true);
    while (searching)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!operations.serialPort()->isOpen()) {
        state.SkipWithError("no link to the pseudo-terminal");
        return;
    }
    JobBuffer &buffer = *operations.jobBuffer();
    buffer.publish(QImage(), job, 0, 0, 0, 0);
    QCoreApplication::processEvents();
    engraver.clearReceived();
    state.SetLabel("1024-byte chunk over a pty, end to end");

    for (auto _ : state) {
        state.PauseTiming();
        if (buffer.position() + Protocol::chunkSize > quint32(jobSize)) {
            buffer.resetJobPosition();
            QCoreApplication::processEvents();
        }
        engraver.clearReceived();
        state.ResumeTiming();

        engraver.send("B1");
        while (engraver.received().size() < Protocol::chunkSize)
            QThread::yieldCurrentThread();
    }
    operations.connectToBelow(false);
}
BENCHMARK(BM_AnswerDataRequest)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
