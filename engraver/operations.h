#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class JobBuffer;
class PublishedRecords;
class ScreenImageProvide;

// The engraver controller: finds the engraver among the serial ports, keeps
// the link, writes commands, turns replies into signals and feeds the job.
class Operations : public QObject
{
    Q_OBJECT
    // The prepared job that data requests are answered from; the editing
    // page hands it to the canvas, which publishes each new job into it.
    Q_PROPERTY(JobBuffer *jobBuffer READ jobBuffer CONSTANT)
    // A job the engraver reports running has gone dataRequestTimeout ms
    // without a data request: the engraver waits for something that will not
    // come (a chunk of a session that ended while it was on its way), or it
    // hangs. Cleared by the next request, a pause, a stop or the link going
    // down; the control page offers stop and reconnect meanwhile.
    Q_PROPERTY(bool dataRequestOverdue READ dataRequestOverdue NOTIFY dataRequestOverdueChanged)
    // How long a running job may go without a data request, in ms: a chunk
    // burns in well under a second, so 10 s means it is stuck. Tests shorten it.
    Q_PROPERTY(int dataRequestTimeout READ dataRequestTimeout WRITE setDataRequestTimeout)
    // What the window's status line tells of the link: a search for the
    // engraver is under way; the port of the link that is up (empty while it
    // is down); the engraver on it has taken no byte for a while (writeStalled
    // came, and nothing was taken since).
    Q_PROPERTY(bool searching READ searching NOTIFY linkStateChanged)
    Q_PROPERTY(QString portName READ portName NOTIFY linkStateChanged)
    Q_PROPERTY(bool engraverSilent READ engraverSilent NOTIFY linkStateChanged)
public:
    explicit Operations(QObject *parent = nullptr);
    ~Operations() override;

    JobBuffer *jobBuffer() const { return m_jobBuffer; }
    // Serves the published job's preview; owned by the QML engine once
    // registered with it (null once the engine has deleted it).
    ScreenImageProvide *imageProvider() const { return m_imageProvider; }
    // The link's port, a child of this object.
    QSerialPort *serialPort() const { return m_serialPort; }
    // The records of the job last published, for the true-size view, which
    // is drawn off the GUI thread.
    std::shared_ptr<const PublishedRecords> publishedRecords() const { return m_published; }

    // A serial port as the system reports it.
    struct SystemPort
    {
        QString name;
        bool usb = false; // the system knows its USB vendor
    };

    // The ports an engraver search probes, in order: the system's USB serial
    // devices, then the device paths listed, colon-separated, in extra (a
    // simulated engraver, tests). Other system ports (a kernel console on
    // ttyS0, a modem) are left alone: an engraver is always a USB device,
    // and the probe would change their baud rate and send them "$40".
    static QStringList choosePorts(const QList<SystemPort> &system, const QString &extra);
    // choosePorts() over the ports of this machine and VANDRA_SERIAL_PORTS.
    static QStringList candidatePorts();

    // Commands from the page beyond this many, waiting behind a stalled
    // engraver, are dropped: nothing reads them, and a user clicking on would
    // otherwise grow the queue without end.
    static constexpr int maxQueuedCommands = 64;

    bool dataRequestOverdue() const { return m_dataRequestOverdue; }
    int dataRequestTimeout() const { return m_dataWatch.interval(); }
    void setDataRequestTimeout(int ms);

    bool searching() const { return m_portState == PortState::Searching; }
    QString portName() const;
    bool engraverSilent() const { return m_stalled; }

    // Messages waiting behind the one the port is writing.
    int queuedMessages() const { return int(m_outgoing.size()); }

signals:
    void finishedLoad(int xmin, int ymin, int xmax, int ymax);
    void toFrontStatus(QString cmd);
    void includeBackStatus(int type);
    void completePecent(double pecent);
    // An engraver search started by connectToBelow(true) is over; when found,
    // includeBackStatus(10) came first.
    void searchFinished(bool found);
    // A search went through every candidate without finding an engraver
    // (comes just before searchFinished(false)). deniedPort names a serial
    // device the system would not let the program open, which is most
    // likely the engraver itself; empty when there was none.
    void engraverNotFound(const QString &deniedPort);
    // The port has been let go after stopAndDisconnect(), with the stop and
    // the goodbye written (or given up on after a few seconds).
    void linkClosed();
    // The engraver has taken none of the bytes of the message being written
    // for a few seconds. The link stays up: once it reads again, everything
    // queued meanwhile follows in order.
    void writeStalled();
    void dataRequestOverdueChanged();
    void linkStateChanged();

public slots:
    void finishedLoadProcess();
    void serialDataProcess();

public:
    // true: starts a search for the engraver and returns at once; the
    // result comes as searchFinished (and includeBackStatus(10) when found).
    // false: ends a search, or says goodbye ("$41") and takes the link down.
    Q_INVOKABLE void connectToBelow(bool en);
    // Queues a command for the engraver; nothing waits for it to be written.
    Q_INVOKABLE void serialWriteData(QByteArray str);
    Q_INVOKABLE void clearIndex();
    // For leaving the program during a job: stops the job ("$32") and says
    // goodbye ("$41"), then lets the port go and emits linkClosed(). Without
    // a link, linkClosed() follows at once.
    Q_INVOKABLE void stopAndDisconnect();
    // Takes the link down as a disconnect does ("$41") and, once the goodbye
    // is written, searches for the engraver again.
    Q_INVOKABLE void reconnect();

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
    void sendChunk(int mode);
    void handleReply(const QByteArray &reply);

    void probeNextPort();
    void handshakeRead();
    void handshakeDecided();
    void acceptPort();
    void stopSearch();

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

    void closeLink();
    void takeLinkDown();
    void goodbyeAndClose();
    void finishClose();
    void portError(QSerialPort::SerialPortError error);

    // The watch over a running job's data requests.
    void watchStatus(const QString &text);
    void dataRequested(bool endOfData);
    void stopDataWatch();
    void setDataRequestOverdue(bool overdue);
    void dataWatchExpired();

    friend class ScreenImageProvide; // tells us when an engine deletes it

    ScreenImageProvide *m_imageProvider = nullptr;
    QSerialPort *m_serialPort = nullptr;
    JobBuffer *m_jobBuffer = nullptr; // child of this object
    std::shared_ptr<PublishedRecords> m_published;
    bool m_providerForEngine = false; // made as an engine's child: the engine deletes it
    PortState m_portState = PortState::Closed;
    quint64 m_linkGeneration = 0;
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

    QTimer m_dataWatch; // runs while a running job waits for its next request
    bool m_watchingJob = false; // the engraver reports the job running, data still to go
    bool m_dataRequestOverdue = false;
};
