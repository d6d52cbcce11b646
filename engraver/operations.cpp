#include "engraver/operations.h"

#include "engraver/commands.h"
#include "engraver/engraverlog.h"
#include "engraver/jobbuffer.h"
#include "engraver/jobpicture.h"
#include "engraver/replies.h"
#include "engraver/screenimageprovide.h"

#include <QDebug>
#include <QQmlEngine>
#include <QSerialPortInfo>

Q_LOGGING_CATEGORY(lcEngraver, "vandra.engraver")
#ifdef QT_NO_DEBUG
Q_LOGGING_CATEGORY(lcUpload, "vandra.upload", QtInfoMsg)
#else
Q_LOGGING_CATEGORY(lcUpload, "vandra.upload")
#endif

namespace {
// An engraver answers "$40" within this time, or it is not one.
constexpr int handshakeWaitMs = 100;
// A message of which the port has taken no byte for this long means an
// engraver that stopped reading; a 1024-byte chunk needs 89 ms at 115200 baud.
constexpr int stallMs = 3000;
// A running job asks for its next chunk as soon as the last one has burned.
constexpr int defaultDataRequestTimeoutMs = 10000;

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
    m_serialPort = new QSerialPort(this);
    m_jobBuffer = new JobBuffer(this);
    m_published = std::make_shared<PublishedRecords>();
    // Until the first job is published the control page is served a white square.
    QImage blank(680, 680, QImage::Format_ARGB32);
    blank.fill(QColor(255, 255, 255, 255));
    m_imageProvider->image = blank;

    m_handshakeTimer.setSingleShot(true);
    connect(&m_handshakeTimer, &QTimer::timeout, this, &Operations::handshakeDecided);
    m_writeWatch.setSingleShot(true);
    connect(&m_writeWatch, &QTimer::timeout, this, &Operations::writeWatchExpired);
    m_dataWatch.setSingleShot(true);
    m_dataWatch.setInterval(defaultDataRequestTimeoutMs);
    connect(&m_dataWatch, &QTimer::timeout, this, &Operations::dataWatchExpired);

    connect(m_serialPort, &QSerialPort::errorOccurred, this, &Operations::portError);
    connect(m_serialPort, &QSerialPort::bytesWritten, this, &Operations::portBytesWritten);
}

Operations::~Operations()
{
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

QStringList Operations::candidatePorts()
{
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

void Operations::connectToBelow(bool en)
{
    m_reconnectAfterClose = false;
    if (!en) {
        if (m_portState == PortState::Searching) {
            // The candidate is no engraver yet: no goodbye for it.
            stopSearch();
            emit searchFinished(false);
        } else if (m_portState == PortState::Linked) {
            goodbyeAndClose();
        } else {
            qDebug() << "error"; // the goodbye has no port to go to
            closeLink();
        }
        emit includeBackStatus(EngraverProtocol::FramingOff);
        return;
    }

    // A link that is up stays; a search under way goes on.
    if (m_portState == PortState::Linked || m_portState == PortState::Searching)
        return;
    // The last link's goodbye is still on its way; the port is needed now.
    if (m_portState == PortState::Closing)
        finishClose();

    m_searchPorts = candidatePorts();
    setPortState(PortState::Searching);
    connect(m_serialPort, &QSerialPort::readyRead, this, &Operations::handshakeRead);
    probeNextPort();
}

// Opens the next candidate and asks it "$40"; handshakeRead and
// handshakeDecided take it from there. The window keeps running meanwhile.
void Operations::probeNextPort()
{
    while (!m_searchPorts.isEmpty()) {
        const QString name = m_searchPorts.takeFirst();
        m_serialPort->setPortName(name);
        m_serialPort->setBaudRate(QSerialPort::Baud115200, QSerialPort::AllDirections);
        if (!m_serialPort->open(QIODevice::ReadWrite)) {
            if (m_serialPort->error() == QSerialPort::PermissionError) {
                qCWarning(lcEngraver)
                    << "not allowed to open" << name << "-" << m_serialPort->errorString();
                m_deniedPorts.append(name);
            }
            continue;
        }
        // Bytes left over in the system's buffer from an earlier session would
        // spoil the prefix test of the answer.
        m_serialPort->clear(QSerialPort::Input);
        m_handshakeBytes.clear();
        // Counted like any message, so that nothing follows it into the
        // port before it is written.
        const QByteArray probe = QByteArray(EngraverCommand::handshake);
        m_inPort = probe.size();
        m_serialPort->write(probe);
        m_handshakeTimer.start(handshakeWaitMs);
        return;
    }
    const QString denied = m_deniedPorts.value(0);
    stopSearch();
    emit engraverNotFound(denied);
    emit searchFinished(false);
}

void Operations::handshakeRead()
{
    if (m_portState != PortState::Searching)
        return;
    m_handshakeBytes += m_serialPort->readAll();
    if (Protocol::isHandshakeAnswer(m_handshakeBytes)) {
        acceptPort();
        return;
    }
    // One read decides; only an answer cut short after "B" or "B1" is given
    // the rest of the 100 ms to arrive in full. A refusal is carried out from
    // the timer, never from inside the port's own notification.
    if (!Protocol::isHandshakeAnswerPrefix(m_handshakeBytes))
        m_handshakeTimer.start(0);
}

void Operations::handshakeDecided()
{
    if (m_portState != PortState::Searching)
        return;
    if (Protocol::isHandshakeAnswer(m_handshakeBytes)) {
        acceptPort();
        return;
    }
    if (!m_handshakeBytes.isEmpty())
        qDebug() << m_handshakeBytes;
    m_serialPort->close();
    probeNextPort();
}

void Operations::acceptPort()
{
    qDebug() << m_handshakeBytes;
    m_handshakeTimer.stop();
    disconnect(m_serialPort, &QSerialPort::readyRead, this, &Operations::handshakeRead);
    m_handshakeBytes.clear();
    m_searchPorts.clear();
    setPortState(PortState::Linked);
    ++m_linkGeneration;
    m_pendingReply.clear();
    connect(m_serialPort, &QSerialPort::readyRead, this, &Operations::serialDataProcess);
    emit includeBackStatus(EngraverProtocol::FramingOn);
    // Whatever came after the handshake answer in the same read is gone, as
    // with any reply; bytes still unread are handled now.
    if (linked() && m_serialPort->bytesAvailable() > 0)
        serialDataProcess();
    emit searchFinished(true);
}

void Operations::stopSearch()
{
    m_handshakeTimer.stop();
    disconnect(m_serialPort, &QSerialPort::readyRead, this, &Operations::handshakeRead);
    m_searchPorts.clear();
    m_deniedPorts.clear();
    m_handshakeBytes.clear();
    m_inPort = 0;
    m_serialPort->close();
    setPortState(PortState::Closed);
}

void Operations::serialWriteData(QByteArray str)
{
    if (m_portState != PortState::Linked) {
        qDebug() << "error";
        return;
    }
    enqueue(str, true);
}

// Every message goes to the port on its own, the next only once the port has
// passed the last one to the system whole: the engraver tells a chunk from a
// command by its arriving as one burst, so two messages must never share a
// write.
//
// Answers to the engraver's requests are always queued, as a lost chunk
// would leave a gap in the burn. A data request moves on through the job, so
// its answers are bounded by the job's size; a resend, or a data request
// after the end, repeats an answer, and one that still waits to be written is
// not queued again: an engraver that repeats its request without reading
// (a line gone wild) would otherwise queue a chunk per request without end.
// The page's commands can pile up behind an engraver that stopped reading
// too, and they are capped.
void Operations::enqueue(const QByteArray &bytes, bool capped)
{
    if (capped) {
        if (m_queuedCommands >= maxQueuedCommands) {
            qCWarning(lcEngraver) << "engraver on" << m_serialPort->portName()
                                  << "takes no bytes; command dropped:" << bytes.left(32);
            return;
        }
        ++m_queuedCommands;
    }
    m_outgoing.append({bytes, capped ? Message::Command : Message::Own});
    writeNext();
}

bool Operations::enqueueAnswer(const QByteArray &bytes, bool repeatable)
{
    int &waiting = m_waitingAnswers[bytes];
    if (repeatable && waiting > 0)
        return false;
    ++waiting;
    m_outgoing.append({bytes, Message::Answer});
    writeNext();
    return true;
}

void Operations::writeNext()
{
    if (!m_serialPort->isOpen() || m_inPort > 0 || m_outgoing.isEmpty())
        return;
    const Outgoing next = m_outgoing.takeFirst();
    if (next.kind == Message::Command) {
        --m_queuedCommands;
    } else if (next.kind == Message::Answer) {
        const auto waiting = m_waitingAnswers.find(next.bytes);
        if (waiting != m_waitingAnswers.end() && --waiting.value() <= 0)
            m_waitingAnswers.erase(waiting);
    }
    m_inPort = next.bytes.size();
    m_serialPort->write(next.bytes);
    if (!m_writeWatch.isActive())
        m_writeWatch.start(stallMs);
}

void Operations::portBytesWritten(qint64 bytes)
{
    m_inPort = qMax<qint64>(0, m_inPort - bytes);
    if (m_portState != PortState::Linked && m_portState != PortState::Closing)
        return; // the handshake's "$40"
    if (m_stalled) {
        setStalled(false);
        qCInfo(lcEngraver) << "engraver on" << m_serialPort->portName() << "takes bytes again";
    }
    writeNext();
    // Progress: the watch starts over for what is left.
    if (m_inPort > 0)
        m_writeWatch.start(stallMs);
    else
        m_writeWatch.stop();
    // The goodbye is out: the port is let go from the timer, not from inside
    // its own write notification.
    if (m_portState == PortState::Closing && m_inPort == 0 && m_outgoing.isEmpty())
        m_writeWatch.start(0);
}

void Operations::writeWatchExpired()
{
    if (m_portState == PortState::Closing) {
        // Written, or no one reads the goodbye, or the port failed.
        finishClose();
        return;
    }
    if (m_portState != PortState::Linked || m_stalled || m_inPort == 0)
        return;
    setStalled(true);
    qCWarning(lcEngraver) << "engraver on" << m_serialPort->portName() << "has taken no bytes for"
                          << stallMs / 1000 << "s;" << m_outgoing.size() << "messages wait";
    emit writeStalled();
}

void Operations::dropOutgoing()
{
    m_outgoing.clear();
    m_waitingAnswers.clear();
    m_inPort = 0;
    m_queuedCommands = 0;
    m_writeWatch.stop();
    setStalled(false);
}

void Operations::serialDataProcess()
{
    if (!linked())
        return;
    const QByteArray bytes = m_serialPort->readAll();
    const QList<QByteArray> replies = Protocol::splitReplies(bytes, &m_pendingReply);
    for (const QByteArray &reply : replies) {
        if (!linked())
            return;
        handleReply(reply);
    }
}

void Operations::handleReply(const QByteArray &reply)
{
    const QString text = Protocol::replyText(reply);
    const Protocol::ReplyKind kind = Protocol::classifyReply(text);
    if (kind == Protocol::ReplyKind::DataRequest || kind == Protocol::ReplyKind::ResendRequest)
        qCDebug(lcUpload) << "response" << text;
    else
        qDebug() << "response" << text;
    switch (kind) {
    case Protocol::ReplyKind::Status:
        watchStatus(text);
        emit toFrontStatus(text);
        break;
    case Protocol::ReplyKind::DataRequest:
        sendChunk(1);
        break;
    case Protocol::ReplyKind::ResendRequest:
        sendChunk(2);
        break;
    case Protocol::ReplyKind::EndOfLink:
        closeLink();
        emit includeBackStatus(EngraverProtocol::FramingOff);
        break;
    case Protocol::ReplyKind::Ignored:
        break;
    }
}

void Operations::sendChunk(int mode)
{
    const Protocol::ChunkPlan plan = m_jobBuffer->takeChunk(mode);
    dataRequested(plan.endOfData);
    if (plan.endOfData) {
        if (enqueueAnswer(QByteArray(EngraverCommand::endOfData), true))
            qCDebug(lcUpload) << "done";
        return;
    }
    // A resend leaves the send position where it was, so it may be folded
    // into the same answer still waiting; a data request moves it on, and its
    // chunk must go out whatever it holds.
    if (enqueueAnswer(Protocol::buildChunk(m_jobBuffer->bytes(), plan.start, plan.length),
                      mode == 2))
        emit completePecent(plan.progress);
}

void Operations::clearIndex()
{
    m_jobBuffer->resetJobPosition();
}

void Operations::closeLink()
{
    takeLinkDown();
    finishClose();
}

// Every way the link goes down (the engraver's "B3", a lost port, the user's
// disconnect) passes here.
void Operations::takeLinkDown()
{
    m_pendingReply.clear();
    stopDataWatch();
    // The chunk on its way may never have arrived: a resume starts with it.
    m_jobBuffer->rewindUnconfirmedChunk();
    disconnect(m_serialPort, &QSerialPort::readyRead, this, &Operations::serialDataProcess);
}

// The user's disconnect: the link is down at once, but the port stays open
// until what was queued before it and the goodbye "$41" have been written,
// or the engraver has taken nothing for a while.
void Operations::goodbyeAndClose()
{
    if (m_stalled) {
        closeLink(); // nothing would read the goodbye
        return;
    }
    takeLinkDown();
    setPortState(PortState::Closing);
    enqueue(QByteArray(EngraverCommand::disconnect), false);
}

void Operations::finishClose()
{
    const bool wasClosing = m_portState == PortState::Closing;
    dropOutgoing();
    m_serialPort->close();
    setPortState(PortState::Closed);
    if (wasClosing && m_closeRequested) {
        m_closeRequested = false;
        emit linkClosed();
    }
    if (wasClosing && m_reconnectAfterClose)
        connectToBelow(true);
}

void Operations::reconnect()
{
    if (!linked()) {
        connectToBelow(true);
        return;
    }
    goodbyeAndClose();
    emit includeBackStatus(EngraverProtocol::FramingOff);
    if (m_portState == PortState::Closing)
        m_reconnectAfterClose = true; // finishClose() searches
    else
        connectToBelow(true); // let go at once: nothing read the goodbye
}

void Operations::stopAndDisconnect()
{
    m_reconnectAfterClose = false;
    if (!linked()) {
        if (m_portState == PortState::Closing) {
            m_closeRequested = true; // the goodbye is already on its way
            return;
        }
        if (m_portState == PortState::Searching) {
            stopSearch();
            emit searchFinished(false);
        }
        emit linkClosed();
        return;
    }
    if (m_stalled) {
        // Nothing reads what would be written.
        closeLink();
        emit includeBackStatus(EngraverProtocol::FramingOff);
        emit linkClosed();
        return;
    }
    enqueue(QByteArray(EngraverCommand::stop), false);
    m_closeRequested = true;
    goodbyeAndClose();
    emit includeBackStatus(EngraverProtocol::FramingOff);
}

void Operations::portError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::WriteError) {
        qCWarning(lcEngraver) << "cannot write to" << m_serialPort->portName() << "-"
                              << m_serialPort->errorString();
        return;
    }
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (m_portState == PortState::Searching && m_serialPort->isOpen()) {
        // A candidate that fails is no engraver; on to the next one.
        m_handshakeTimer.start(0);
        return;
    }
    if (m_portState == PortState::Closing) {
        m_writeWatch.start(0); // let go of the port, outside its notification
        return;
    }
    // An engraver that vanishes (cable pulled) shows as a failing read or a
    // lost device. Leaving the link "up" would swallow every later command
    // without a trace, so it is taken down and the page told.
    if (!linked())
        return;
    qCWarning(lcEngraver) << "engraver on" << m_serialPort->portName()
                          << "lost:" << m_serialPort->errorString();
    // Taken down once control is back in the event loop, so that the port is
    // never closed from inside its own notification code; a link made again
    // in between is left alone.
    const quint64 generation = m_linkGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (!linked() || generation != m_linkGeneration)
                return;
            closeLink();
            emit includeBackStatus(EngraverProtocol::FramingOff);
        },
        Qt::QueuedConnection);
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
    if (!m_watchingJob || !linked())
        return;
    qCWarning(lcEngraver) << "engraver on" << m_serialPort->portName()
                          << "reports a running job but has asked for no data for"
                          << m_dataWatch.interval() << "ms";
    setDataRequestOverdue(true);
}

QString Operations::portName() const
{
    return linked() ? m_serialPort->portName() : QString();
}

void Operations::setPortState(PortState state)
{
    if (state == m_portState)
        return;
    m_portState = state;
    emit linkStateChanged();
}

void Operations::setStalled(bool stalled)
{
    if (stalled == m_stalled)
        return;
    m_stalled = stalled;
    emit linkStateChanged();
}
