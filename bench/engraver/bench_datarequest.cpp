// How long the host takes to answer the engraver's data request. The wire
// needs about 89 ms for a 1024-byte chunk at 115200 baud; the host's share
// should be far below a millisecond so that the wire sets the pace.

#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "engraver/protocol.h"
#include "ptyengraver.h"

#include <QGuiApplication>
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
// the chunk written to the port (until the port has taken all of it).
void BM_AnswerDataRequest(benchmark::State &state)
{
    PtyEngraver engraver;
    qputenv("VANDRA_SERIAL_PORTS", engraver.device().toLocal8Bit());
    Operations operations;
    operations.connectToBelow(true);
    if (!operations.serialPort->isOpen()) {
        state.SkipWithError("no link to the pseudo-terminal");
        return;
    }
    // Driven by hand, not by readyRead.
    QObject::disconnect(operations.serialPort, &QSerialPort::readyRead, &operations,
                        &Operations::serialDataProcess);
    JobBuffer &buffer = *operations.jobBuffer();
    buffer.publish(QImage(), job, 0, 0, 0, 0);
    engraver.clearReceived();
    state.SetLabel("1024-byte chunk over a pty");

    for (auto _ : state) {
        state.PauseTiming();
        if (buffer.position() + Protocol::chunkSize > quint32(jobSize))
            buffer.resetJobPosition();
        engraver.send("B1");
        while (operations.serialPort->bytesAvailable() < 2)
            operations.serialPort->waitForReadyRead(100);
        state.ResumeTiming();

        operations.serialDataProcess();

        state.PauseTiming();
        while (engraver.received().size() < Protocol::chunkSize)
            QThread::usleep(20);
        engraver.clearReceived();
        state.ResumeTiming();
    }
    operations.connectToBelow(false);
}
BENCHMARK(BM_AnswerDataRequest)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The debug log ("response B1" for every request) would measure the
    // terminal, not the program.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
