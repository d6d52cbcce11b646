#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <atomic>
#include <mutex>

class JobBuffer;

// The engraver link's own end, living on the link thread that Operations
// owns: the serial port, the engraver search, the queue of messages and the
// answers to the engraver's data requests. A request is answered here at
// once, whatever the window is busy with; the window hears of it afterwards
// by queued signals, the progress in batches at most ten times a second.
//
// Operations calls the slots by queued calls only; the atomics below and the
// progress batches (under their lock) are the one state the window reads
// directly. Both sides connect by name, so that every argument crosses in
// Qt's own copy: the hand-over is then marked once per message
// (imaging/threadhandover.h), on the worker's side in flushProgress, which
// comes before every signal, and on the window's in each slot.
class LinkWorker : public QObject
{
    Q_OBJECT
public:
    // jobBuffer: the window's job, whose send position this thread moves on
    // (JobBuffer::followLink); the bytes come by setJob.
    explicit LinkWorker(JobBuffer *jobBuffer);
    // On the link thread as it ends, after the window's last call.
    ~LinkWorker() override;

    // Any thread: messages waiting behind the one the port is writing, and
    // bytes the port has still to pass to the system.
    int queuedMessages() const { return m_queuedMessages.load(); }
    const std::atomic<qint64> &portBytesToWrite() const { return m_portBytesToWrite; }

    // The window hears the progress at most once in this time, by default.
    static constexpr int defaultProgressIntervalMs = 100;

    // Data requests answered in one batch of the job handed over as epoch:
    // the progress of each chunk sent, in order, and whether the last was
    // answered with the end of data. requests is 0 when only the send
    // position moved (a rewind). The position itself is in the job buffer
    // already.
    struct ProgressBatch
    {
        quint32 serial = 0;
        quint32 epoch = 0;
        QVector<double> shares;
        int requests = 0;
        bool endOfData = false;
    };
    // Any thread: takes the batches told so far (and perhaps one or two
    // whose progress(upTo) is still on its way), in order. The lock is held
    // for a swap only, so that this thread is never kept waiting by a window
    // that is itself kept from running.
    QVector<ProgressBatch> takeProgress();

public slots:
    // search: the window's number for this request, told back in linkState.
    void connectToBelow(quint32 search);
    // The user's disconnect. linkSeen: the number of the last link the
    // window had heard of; a link it has not (its "up" still on the way)
    // is reported down here, after that "up".
    void disconnectLink(quint64 linkSeen);
    void write(const QByteArray &bytes);
    void stopAndDisconnect();
    void reconnect();
    // A job handed over by the window: its bytes, the hand-over number and
    // where sending stands.
    void setJob(const QByteArray &bytes, quint32 epoch, quint32 position);
    void setProgressInterval(int ms) { m_progressIntervalMs = qMax(0, ms); }
    // Reads what the port holds now, as on its readyRead.
    void readPort() { serialDataProcess(); }

signals:
    void portChanged(bool open, const QString &name);
    void linkUp(quint64 link);
    void linkLost();
    void status(const QString &text);
    // A batch of progress waits in takeProgress, up to the one numbered upTo.
    void progress(quint32 upTo);
    void searchFinished(bool found);
    void engraverNotFound(const QString &deniedPort);
    void linkClosed();
    void writeStalled();
    // Whether a search is under way, and whether the engraver has stopped
    // taking bytes; sent when either changes and on every connectToBelow.
    // search: the number of the last connectToBelow taken here, so that the
    // window can tell a report sent before its request from the answer.
    void linkState(bool searching, bool silent, quint32 search);

private:
    enum class PortState {
        Closed,
        Searching, // open on a candidate, waiting for its handshake answer
        Linked,
        Closing, // the link is down; the goodbye is still being written
    };

    bool linked() const { return m_portState == PortState::Linked; }
    void setPortState(PortState state);
    void setStalled(bool stalled);
    void serialDataProcess();
    void sendChunk(int mode);
    void handleReply(const QByteArray &reply);
    void reportLinkLost();

    void probeNextPort();
    void handshakeRead();
    void handshakeDecided();
    void acceptPort();
    void stopSearch();
    void openedOrClosed();

    // capped: a command of the page's, dropped when too many wait.
    void enqueue(const QByteArray &bytes, bool capped);
    // An answer to one of the engraver's requests. One that repeats an
    // answer still waiting to be written (a resend, the end of data) is not
    // queued again: false then.
    bool enqueueAnswer(const QByteArray &bytes, bool repeatable);
    void writeNext();
    void portBytesWritten(qint64 bytes);
    void writeWatchExpired();
    void dropOutgoing();
    void countQueue();

    void closeLink();
    void takeLinkDown();
    void goodbyeAndClose();
    void finishClose();
    void portError(QSerialPort::SerialPortError error);

    // Send position and progress.
    void movePosition(quint32 position);
    // Sends the window the progress not yet reported; called before every
    // other signal, so that the window hears things in the order they
    // happened, and so that what the signal carries is handed over.
    void flushProgress();

    JobBuffer *m_window; // lives on the window's thread: only followLink is called
    QSerialPort *m_serialPort;
    PortState m_portState = PortState::Closed;
    quint64 m_linkGeneration = 0;
    quint32 m_search = 0; // the window's number of the last connectToBelow
    QByteArray m_pendingReply; // a bare "F" or "B" that ended the last read

    QStringList m_searchPorts; // candidates not yet probed
    QStringList m_deniedPorts; // candidates the system would not let us open
    QByteArray m_handshakeBytes; // what the candidate has answered so far
    QTimer m_handshakeTimer;

    enum class Message {
        Answer, // to a request of the engraver's
        Command, // the page's, capped
        Own, // the controller's: the goodbye, the stop when leaving
    };
    struct Outgoing
    {
        QByteArray bytes;
        Message kind = Message::Own;
    };
    QList<Outgoing> m_outgoing; // waiting for the port to finish the message before
    int m_queuedCommands = 0; // Command entries of outgoing
    // The answers in outgoing, by their bytes, with how often each waits.
    QHash<QByteArray, int> m_waitingAnswers;
    // Bytes of the message handed to the port that the port has not yet
    // reported written. The port's own count (bytesToWrite) drops to 0 as
    // soon as the system takes the bytes, which a full terminal buffer may
    // still hold back; the report comes when the system can take more.
    qint64 m_inPort = 0;
    QTimer m_writeWatch; // runs while a message is in the port
    bool m_stalled = false;
    bool m_closeRequested = false; // stopAndDisconnect() waits for linkClosed()
    bool m_reconnectAfterClose = false; // reconnect() searches once the port is let go
    std::atomic<int> m_queuedMessages {0};
    std::atomic<qint64> m_portBytesToWrite {0};

    // The job as last handed over.
    QByteArray m_job;
    quint32 m_epoch = 0;
    quint32 m_position = 0;
    // Start of the chunk handed to the engraver and not yet followed by a
    // request; -1 when there is none.
    qint64 m_unconfirmedStart = -1;

    // Batches told to the window and not yet taken.
    std::mutex m_batchesLock;
    QVector<ProgressBatch> m_batches;
    quint32 m_batchSerial = 0;
    // Progress not yet reported to the window.
    QVector<double> m_shares;
    int m_requests = 0;
    bool m_endOfData = false;
    bool m_positionMoved = false;
    QElapsedTimer m_sinceReport;
    int m_progressIntervalMs = defaultProgressIntervalMs;
    QTimer m_progressTimer;
};
