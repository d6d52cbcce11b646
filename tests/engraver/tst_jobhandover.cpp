#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "ptyengraver.h"
#include "tests/drawboard/canvastest.h"

#include <QSerialPort>
#include <QSignalSpy>

// The engraver asking for data while the canvas builds the next job: every
// request is answered from the job published before the run or from the
// one published after it, each in order from where it stood, never from a
// job half built. Run under ThreadSanitizer and AddressSanitizer too.
class TestJobHandover : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Walks what the engraver received: chunks of the old job from its send
    // position on, then, once the new job is published, chunks of the new one
    // from its first byte; "$33" where a job has no bytes left. Returns the
    // number of answers, or -1 at the first byte that fits neither.
    static int answers(const QByteArray &received, const QByteArray &oldJob, quint32 oldPosition,
                       const QByteArray &newJob)
    {
        const auto chunkAt = [](const QByteArray &job, quint32 at) {
            QByteArray chunk = job.mid(int(at), 1024);
            return chunk + QByteArray(1024 - chunk.size(), '\0');
        };
        bool switched = false;
        quint32 position = oldPosition;
        int count = 0;
        for (int i = 0; i < received.size(); ++count) {
            const QByteArray &job = switched ? newJob : oldJob;
            if (position < quint32(job.size()) && received.mid(i, 1024) == chunkAt(job, position)) {
                position += 1024;
                i += 1024;
            } else if (!switched && received.mid(i, 1024) == chunkAt(newJob, 0)) {
                switched = true;
                position = 1024;
                i += 1024;
            } else if (received.mid(i, 3) == "$33") {
                i += 3;
            } else {
                return -1;
            }
        }
        return count;
    }

private slots:
    void requestsDuringSaveByte()
    {
        const QString url = CanvasTest::writePicture(
            m_dir, QStringLiteral("noise.png"),
            CanvasTest::randomPicture(1050, 1050, QImage::Format_RGB32, 3));
        DrawImage canvas;
        QVERIFY(CanvasTest::loadAndWait(canvas, url));

        PtyEngraver engraver;
        qputenv("VANDRA_SERIAL_PORTS", engraver.device().toLocal8Bit());
        Operations operations;
        JobBuffer &buffer = *operations.jobBuffer();
        canvas.setJobBuffer(&buffer);
        // The port is open while its handshake answer is awaited too: the
        // search's end tells whether it took. A loaded machine may miss the
        // 100 ms the answer is given, and a user would press connect again;
        // the late answer is let in first, so that the next probe clears it
        // rather than taking it for its own.
        QSignalSpy searched(&operations, &Operations::searchFinished);
        for (int attempt = 1; attempt <= 3; ++attempt) {
            operations.connectToBelow(true);
            QVERIFY(searched.wait(5000));
            if (searched.takeFirst().at(0).toBool())
                break;
            QTRY_COMPARE(engraver.handshakes(), attempt);
        }
        QVERIFY(operations.serialPort()->isOpen());

        // A job to begin with, with chunks to spare for every round's
        // requests: each request gets an answer of its own (repeated ends
        // of data waiting together would go out as one).
        QSignalSpy first(&canvas, &DrawImage::saveDone);
        canvas.done();
        canvas.process(DrawImage::SaveByte, 140);
        QVERIFY(first.wait(30000));

        QSignalSpy saved(&canvas, &DrawImage::saveDone);
        for (int round = 0; round < 6; ++round) {
            const QByteArray oldJob = buffer.bytes();
            const quint32 oldPosition = buffer.position();
            QVERIFY(oldJob.size() > 1000 * 1024);
            // Every answer of the round before has arrived (it counted them).
            engraver.clearReceived();

            canvas.done();
            canvas.process(DrawImage::SaveByte, round % 2 ? 200 : 90);
            int requests = 0;
            // As the engraver would: several requests in one burst now and then.
            while (saved.count() == round) {
                engraver.send(requests % 7 ? QByteArray("B1") : QByteArray("F20B1B1"));
                requests += requests % 7 ? 1 : 2;
                QTest::qWait(1);
            }
            for (int i = 0; i < 3; ++i, ++requests)
                engraver.send("B1");
            const QByteArray newJob = buffer.bytes();
            QVERIFY(newJob != oldJob);
            QTRY_COMPARE_WITH_TIMEOUT(answers(engraver.received(), oldJob, oldPosition, newJob),
                                      requests, 10000);
            // The last requests went to the new job.
            QVERIFY(buffer.position() > 0 && buffer.position() <= quint32(newJob.size()));
        }
    }
};

QTEST_MAIN(TestJobHandover)
#include "tst_jobhandover.moc"
