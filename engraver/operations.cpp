#include "engraver/operations.h"

#include "engraver/commands.h"
#include "engraver/engraverlog.h"
#include "engraver/jobbuffer.h"
#include "engraver/jobpicture.h"
#include "engraver/linkworker.h"
#include "engraver/replies.h"
#include "engraver/screenimageprovide.h"
#include "imaging/threadhandover.h"

#include <QDebug>
#include <QQmlEngine>
#include <QSerialPortInfo>
#include <QThread>

Q_LOGGING_CATEGORY(lcEngraver, "vandra.engraver")
#ifdef QT_NO_DEBUG
Q_LOGGING_CATEGORY(lcUpload, "vandra.upload", QtInfoMsg)
#else
Q_LOGGING_CATEGORY(lcUpload, "vandra.upload")
#endif

namespace {
// A running job asks for its next chunk as soon as the last one has burned.
constexpr int defaultDataRequestTimeoutMs = 10000;

// The one device a search probes, when the command line names it.
QString onlyPort;

// The engine among the ancestors of an object, if any.
QQmlEngine *ancestorEngine(const QObject *object)
{
    for (QObject *o = object ? object->parent() : nullptr; o; o = o->parent()) {
        if (auto *engine = qobject_cast<QQmlEngine *>(o))
            return engine;
    }
    return nullptr;
}
} // namespace

Operations::Operations(QObject *parent)
    : QObject(parent)
{
    m_imageProvider = new ScreenImageProvide;
    m_imageProvider->owner = this;
    m_providerForEngine = ancestorEngine(this) != nullptr;
    m_jobBuffer = new JobBuffer(this);
    m_published = std::make_shared<PublishedRecords>();
    // Until the first job is published the control page is served a white square.
    QImage blank(680, 680, QImage::Format_ARGB32);
    blank.fill(QColor(255, 255, 255, 255));
    m_imageProvider->image = blank;

    m_dataWatch.setSingleShot(true);
    m_dataWatch.setInterval(defaultDataRequestTimeoutMs);
    connect(&m_dataWatch, &QTimer::timeout, this, &Operations::dataWatchExpired);

    m_linkThread = new QThread(this);
    m_linkThread->setObjectName(QStringLiteral("engraver link"));
    m_worker = new LinkWorker(m_jobBuffer);
    m_worker->moveToThread(m_linkThread);
    // The port is closed and deleted on its own thread as that thread ends.
    connect(m_linkThread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_port.m_bytesToWrite = &m_worker->portBytesToWrite();

    // Queued, in the order the link thread emits them; by name, so that the
    // arguments cross in Qt's own copies (see LinkWorker).
    const struct
    {
        const char *signal;
        const char *slot;
    } told[] = {
        {SIGNAL(portChanged(bool, QString)), SLOT(portChanged(bool, QString))},
        {SIGNAL(linkUp(quint64)), SLOT(linkUp(quint64))},
        {SIGNAL(linkLost()), SLOT(linkLost())},
        {SIGNAL(status(QString)), SLOT(statusReported(QString))},
        {SIGNAL(progress(quint32)), SLOT(progressReported(quint32))},
        {SIGNAL(searchFinished(bool)), SLOT(searchEnded(bool))},
        {SIGNAL(engraverNotFound(QString)), SLOT(engraverMissing(QString))},
        {SIGNAL(linkClosed()), SLOT(linkLetGo())},
        {SIGNAL(writeStalled()), SLOT(writeStalledOnLink())},
        {SIGNAL(linkState(bool, bool, quint32)), SLOT(linkStateReported(bool, bool, quint32))},
    };
    for (const auto &pair : told)
        connect(m_worker, pair.signal, this, pair.slot, Qt::QueuedConnection);

    connect(m_jobBuffer, &JobBuffer::sendingRestarted, this, &Operations::handOverJob);
    m_linkThread->start();
    handOverJob();
}

Operations::~Operations()
{
    // The link thread ends with the port closed and the worker deleted,
    // after everything the window did with it.
    handOver(m_worker);
    m_linkThread->quit();
    m_linkThread->wait();

    if (!m_imageProvider)
        return; // an engine has deleted it already
    m_imageProvider->owner = nullptr;
    // A controller made as an engine's child hands its provider to that
    // engine, which deletes it (after its children). Otherwise the provider
    // is ours unless an engine still holds it.
    if (m_providerForEngine)
        return;
    if (QQmlEngine *engine = ancestorEngine(this)) {
        if (engine->imageProvider(QStringLiteral("screen"))
            == static_cast<QQmlImageProviderBase *>(m_imageProvider))
            return;
    }
    delete m_imageProvider;
}

QStringList Operations::choosePorts(const QList<SystemPort> &system, const QString &extra)
{
    QStringList ports;
    for (const SystemPort &port : system) {
        if (port.usb)
            ports.append(port.name);
    }
    ports += extra.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return ports;
}

void Operations::setOnlyPort(const QString &device)
{
    onlyPort = device;
}

QStringList Operations::candidatePorts()
{
    if (!onlyPort.isEmpty())
        return {onlyPort};
    QList<SystemPort> system;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        system.append({info.portName(), info.hasVendorIdentifier()});
    return choosePorts(system, qEnvironmentVariable("VANDRA_SERIAL_PORTS"));
}

void Operations::finishedLoadProcess()
{
    m_imageProvider->image = m_jobBuffer->preview();
    m_published->set(m_jobBuffer->bytes());
    emit finishedLoad(m_jobBuffer->xmin(), m_jobBuffer->ymin(), m_jobBuffer->xmax(),
                      m_jobBuffer->ymax());
}

// The link thread answers data requests from a shared copy of the job's
// bytes, taken whenever the job or its send position starts over; it never
// reads the buffer's own.
void Operations::handOverJob()
{
    toLink("setJob", Q_ARG(QByteArray, m_jobBuffer->bytes()),
           Q_ARG(quint32, m_jobBuffer->sendEpoch()), Q_ARG(quint32, m_jobBuffer->position()));
}

template<typename... Args>
void Operations::toLink(const char *slot, Args... args)
{
    handOver(m_worker);
    if (!QMetaObject::invokeMethod(m_worker, slot, Qt::QueuedConnection, args...))
        qCWarning(lcEngraver) << "the link thread has no slot" << slot;
}

int Operations::queuedMessages() const
{
    return m_worker->queuedMessages();
}

void Operations::setProgressInterval(int ms)
{
    toLink("setProgressInterval", Q_ARG(int, ms));
}

void Operations::connectToBelow(bool en)
{
    if (en) {
        // The page shows the search from the click on, not from whenever
        // the link thread gets to it.
        ++m_search;
        if (!m_linked && !m_searching) {
            m_searching = true;
            emit linkStateChanged();
        }
        toLink("connectToBelow", Q_ARG(quint32, m_search));
        return;
    }
    // Down for the page at once; the link thread says goodbye in its own time.
    if (m_searching) {
        m_searching = false;
        emit linkStateChanged();
    }
    setLinked(false);
    stopDataWatch();
    toLink("disconnectLink", Q_ARG(quint64, m_linkSeen));
    emit includeBackStatus(EngraverProtocol::FramingOff);
}

void Operations::serialWriteData(QByteArray str)
{
    if (!m_linked) {
        qDebug() << "error";
        return;
    }
    toLink("write", Q_ARG(QByteArray, str));
}

// The port is read on the link thread as bytes arrive; this asks it to read
// now.
void Operations::serialDataProcess()
{
    toLink("readPort");
}

void Operations::clearIndex()
{
    m_jobBuffer->resetJobPosition();
}

void Operations::reconnect()
{
    setLinked(false);
    stopDataWatch();
    toLink("reconnect");
}

void Operations::stopAndDisconnect()
{
    setLinked(false);
    stopDataWatch();
    toLink("stopAndDisconnect");
}

void Operations::setLinked(bool linked)
{
    if (linked == m_linked)
        return;
    m_linked = linked;
    emit linkStateChanged();
}

void Operations::linkStateReported(bool searching, bool silent, quint32 search)
{
    takeOver(m_jobBuffer);
    // Sent before the link thread took the last click: the search that
    // click started is still to come.
    if (search != m_search)
        searching = m_searching;
    if (searching == m_searching && silent == m_silent)
        return;
    m_searching = searching;
    m_silent = silent;
    emit linkStateChanged();
}

void Operations::portChanged(bool open, const QString &name)
{
    takeOver(m_jobBuffer);
    m_port.m_open = open;
    m_port.m_name = name;
    emit linkStateChanged();
}

void Operations::linkUp(quint64 link)
{
    takeOver(m_jobBuffer);
    setLinked(true);
    m_linkSeen = link;
    emit includeBackStatus(EngraverProtocol::FramingOn);
}

void Operations::linkLost()
{
    takeOver(m_jobBuffer);
    setLinked(false);
    stopDataWatch();
    emit includeBackStatus(EngraverProtocol::FramingOff);
}

void Operations::statusReported(const QString &text)
{
    takeOver(m_jobBuffer);
    watchStatus(text);
    emit toFrontStatus(text);
}

void Operations::progressReported(quint32 upTo)
{
    takeOver(m_jobBuffer);
    m_batches += m_worker->takeProgress();
    // Batches after upTo were taken early: they wait for their own signal,
    // so that the page hears them after what the link told in between.
    int told = 0;
    while (told < m_batches.size() && qint32(upTo - m_batches.at(told).serial) >= 0)
        ++told;
    const QVector<LinkWorker::ProgressBatch> batches = m_batches.mid(0, told);
    m_batches.remove(0, told);
    for (const LinkWorker::ProgressBatch &batch : batches) {
        // The link thread has moved the buffer's position already.
        if (batch.requests > 0)
            dataRequested(batch.endOfData);
        // Chunks of a job replaced or rewound since are no news for the page.
        if (batch.epoch != m_jobBuffer->sendEpoch())
            continue;
        m_jobBuffer->announceSent();
        for (double share : batch.shares)
            emit completePecent(share);
    }
}

void Operations::searchEnded(bool found)
{
    takeOver(m_jobBuffer);
    emit searchFinished(found);
}

void Operations::engraverMissing(const QString &deniedPort)
{
    takeOver(m_jobBuffer);
    emit engraverNotFound(deniedPort);
}

void Operations::linkLetGo()
{
    takeOver(m_jobBuffer);
    emit linkClosed();
}

void Operations::writeStalledOnLink()
{
    takeOver(m_jobBuffer);
    emit writeStalled();
}

void Operations::setDataRequestTimeout(int ms)
{
    m_dataWatch.setInterval(qMax(1, ms));
    if (m_dataWatch.isActive())
        m_dataWatch.start();
}

// The engraver's own word on the job decides whether requests are due: from
// "running" on, until it pauses or stops.
void Operations::watchStatus(const QString &text)
{
    switch (Protocol::statusNumber(text)) {
    case EngraverProtocol::Started:
        m_watchingJob = true;
        m_dataWatch.start();
        setDataRequestOverdue(false);
        break;
    case EngraverProtocol::Paused:
    case EngraverProtocol::Stopped:
        stopDataWatch();
        break;
    default:
        break;
    }
}

// Any request, a resend too, shows the engraver at work. After the end of
// data none is due: the engraver finishes the burn and reports the stop, or
// (some do not) says nothing more.
void Operations::dataRequested(bool endOfData)
{
    setDataRequestOverdue(false);
    if (!m_watchingJob)
        return;
    if (endOfData)
        stopDataWatch();
    else
        m_dataWatch.start();
}

void Operations::stopDataWatch()
{
    m_watchingJob = false;
    m_dataWatch.stop();
    setDataRequestOverdue(false);
}

void Operations::setDataRequestOverdue(bool overdue)
{
    if (overdue == m_dataRequestOverdue)
        return;
    m_dataRequestOverdue = overdue;
    emit dataRequestOverdueChanged();
}

void Operations::dataWatchExpired()
{
    if (!m_watchingJob || !m_linked)
        return;
    qCWarning(lcEngraver) << "engraver on" << m_port.portName()
                          << "reports a running job but has asked for no data for"
                          << m_dataWatch.interval() << "ms";
    setDataRequestOverdue(true);
}
