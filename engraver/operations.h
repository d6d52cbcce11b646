#pragma once

#include "engraver/linkworker.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <atomic>
#include <memory>

class JobBuffer;
class PublishedRecords;
class QThread;
class ScreenImageProvide;

// The link's serial port as the window sees it: the port itself lives on the
// link thread. Whether it is open and its name follow the port's own state
// in the order of the controller's signals; bytesToWrite is read live.
class LinkPort
{
public:
    bool isOpen() const { return m_open; }
    QString portName() const { return m_name; }
    qint64 bytesToWrite() const { return m_bytesToWrite ? m_bytesToWrite->load() : 0; }

private:
    friend class Operations;
    bool m_open = false;
    QString m_name;
    const std::atomic<qint64> *m_bytesToWrite = nullptr;
};

// The engraver controller: finds the engraver among the serial ports, keeps
// the link, writes commands, turns replies into signals and feeds the job.
//
// The link itself (port, search, message queue, answers to data requests)
// runs on a thread of its own, in a LinkWorker, so that a window busy
// drawing never keeps the engraver waiting for its next chunk. This object
// stays on the window's thread, passes the page's calls on by queued calls
// and turns what the link reports back into its signals; the progress
// arrives in batches, at most ten a second, a completePecent for every chunk.
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
    // The link's port, as last reported by the link thread.
    const LinkPort *serialPort() const { return &m_port; }
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
    // choosePorts() over the ports of this machine and VANDRA_SERIAL_PORTS,
    // or only the port given to setOnlyPort.
    static QStringList candidatePorts();
    // Searches probe this one device alone (the command line's choice).
    // Set before any controller is made: the link thread reads it.
    static void setOnlyPort(const QString &device);

    // Commands from the page beyond this many, waiting behind a stalled
    // engraver, are dropped: nothing reads them, and a user clicking on would
    // otherwise grow the queue without end.
    static constexpr int maxQueuedCommands = 64;

    bool dataRequestOverdue() const { return m_dataRequestOverdue; }
    int dataRequestTimeout() const { return m_dataWatch.interval(); }
    void setDataRequestTimeout(int ms);

    bool searching() const { return m_searching; }
    QString portName() const { return m_linked ? m_port.portName() : QString(); }
    bool engraverSilent() const { return m_silent; }

    // Messages waiting behind the one the port is writing.
    int queuedMessages() const;

    // The page hears the upload's progress at most once in this time (100 ms
    // by default), the chunks sent meanwhile together. A test that answers
    // every chunk as it goes sets 0.
    void setProgressInterval(int ms);

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

private slots:
    // What the link thread tells, connected by name (see LinkWorker).
    void linkUp(quint64 link);
    void linkLost();
    void statusReported(const QString &text);
    void progressReported(quint32 upTo);
    void portChanged(bool open, const QString &name);
    void linkStateReported(bool searching, bool silent, quint32 search);
    void searchEnded(bool found);
    void engraverMissing(const QString &deniedPort);
    void linkLetGo();
    void writeStalledOnLink();

private:
    void handOverJob();
    void setLinked(bool linked);
    // Calls a slot of the link thread's by name, with its arguments handed
    // over.
    template<typename... Args>
    void toLink(const char *slot, Args... args);

    // The watch over a running job's data requests.
    void watchStatus(const QString &text);
    void dataRequested(bool endOfData);
    void stopDataWatch();
    void setDataRequestOverdue(bool overdue);
    void dataWatchExpired();

    friend class ScreenImageProvide; // tells us when an engine deletes it

    ScreenImageProvide *m_imageProvider = nullptr;
    JobBuffer *m_jobBuffer = nullptr; // child of this object
    QThread *m_linkThread = nullptr; // child of this object
    LinkWorker *m_worker = nullptr; // lives on the link thread, deleted when it ends
    LinkPort m_port;
    bool m_linked = false; // as the link thread last reported
    bool m_searching = false; // the same, or true from a click until it is answered
    quint32 m_search = 0; // the number of the last connectToBelow(true)
    bool m_silent = false; // the same
    quint64 m_linkSeen = 0; // the number of that link
    QVector<LinkWorker::ProgressBatch> m_batches; // taken from the link, not yet told
    std::shared_ptr<PublishedRecords> m_published;
    bool m_providerForEngine = false; // made as an engine's child: the engine deletes it
    QTimer m_dataWatch; // runs while a running job waits for its next request
    bool m_watchingJob = false; // the engraver reports the job running, data still to go
    bool m_dataRequestOverdue = false;
};
