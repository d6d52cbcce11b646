// How long the host takes to answer the engraver's data request. The wire
// needs about 89 ms for a 1024-byte chunk at 115200 baud; the host's share
// should be far below a millisecond so that the wire sets the pace.

#include "benchmain.h"
#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "engraver/replies.h"
#include "ptyengraver.h"

#include <QEventLoop>
#include <QSerialPort>
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

// The whole slot: "B1" waiting in the port's buffer is read, handled, and
// the chunk handed to the port. The port writes it from the event loop
// afterwards, outside the timed part.
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
    // Driven by hand, not by readyRead.
    QObject::disconnect(operations.serialPort(), &QSerialPort::readyRead, &operations,
                        &Operations::serialDataProcess);
    // A chunk counts as gone once the port reports it written: only then is
    // the next one handed over.
    qint64 written = 0;
    QObject::connect(operations.serialPort(), &QSerialPort::bytesWritten,
                     [&](qint64 bytes) { written += bytes; });
    JobBuffer &buffer = *operations.jobBuffer();
    buffer.publish(QImage(), job, 0, 0, 0, 0);
    engraver.clearReceived();
    state.SetLabel("1024-byte chunk over a pty");

    for (auto _ : state) {
        state.PauseTiming();
        if (buffer.position() + Protocol::chunkSize > quint32(jobSize))
            buffer.resetJobPosition();
        engraver.send("B1");
        while (operations.serialPort()->bytesAvailable() < 2)
            operations.serialPort()->waitForReadyRead(100);
        written = 0;
        state.ResumeTiming();

        operations.serialDataProcess();

        state.PauseTiming();
        while (written < Protocol::chunkSize || engraver.received().size() < Protocol::chunkSize)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        engraver.clearReceived();
        state.ResumeTiming();
    }
    operations.connectToBelow(false);
}
BENCHMARK(BM_AnswerDataRequest)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv);
}
