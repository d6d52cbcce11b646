#include "engraver/linkworker.h"

#include "engraver/commands.h"
#include "engraver/engraverlog.h"
#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "engraver/replies.h"
#include "imaging/threadhandover.h"

#include <QDebug>

#include <utility>

namespace {
// An engraver answers "$40" within this time, or it is not one.
constexpr int handshakeWaitMs = 100;
// A message of which the port has taken no byte for this long means an
// engraver that stopped reading; a 1024-byte chunk needs 89 ms at 115200 baud.
constexpr int stallMs = 3000;
} // namespace

LinkWorker::LinkWorker(JobBuffer *jobBuffer)
    : m_window(jobBuffer)
    , m_serialPort(new QSerialPort(this))
    // Children, so that they move to the link thread with this object.
    , m_handshakeTimer(this)
    , m_writeWatch(this)
    , m_progressTimer(this)
{
    m_handshakeTimer.setSingleShot(true);
    connect(&m_handshakeTimer, &QTimer::timeout, this, &LinkWorker::handshakeDecided);
    m_writeWatch.setSingleShot(true);
    connect(&m_writeWatch, &QTimer::timeout, this, &LinkWorker::writeWatchExpired);
    m_progressTimer.setSingleShot(true);
    connect(&m_progressTimer, &QTimer::timeout, this, &LinkWorker::flushProgress);

    connect(m_serialPort, &QSerialPort::errorOccurred, this, &LinkWorker::portError);
    connect(m_serialPort, &QSerialPort::bytesWritten, this, &LinkWorker::portBytesWritten);
}

LinkWorker::~LinkWorker()
{
    takeOver(this);
}

void LinkWorker::setJob(const QByteArray &bytes, quint32 epoch, quint32 position)
{
    takeOver(this);
    flushProgress(); // what was sent of the job before belongs to it
    m_job = bytes;
    m_epoch = epoch;
    m_position = qMin(position, quint32(bytes.size()));
    m_unconfirmedStart = -1;
}

void LinkWorker::openedOrClosed()
{
    flushProgress();
    emit portChanged(m_serialPort->isOpen(), m_serialPort->portName());
}

void LinkWorker::connectToBelow(quint32 search)
{
    m_search = search;
    m_reconnectAfterClose = false;
    // A link that is up stays; a search under way goes on. Either way the
    // window hears where things stand, as it showed a search from its click.
    if (m_portState == PortState::Linked || m_portState == PortState::Searching) {
        flushProgress();
        emit linkState(m_portState == PortState::Searching, m_stalled, m_search);
        return;
    }
    // The last link's goodbye is still on its way; the port is needed now.
    if (m_portState == PortState::Closing)
        finishClose();

    m_searchPorts = Operations::candidatePorts();
    setPortState(PortState::Searching);
    connect(m_serialPort, &QSerialPort::readyRead, this, &LinkWorker::handshakeRead);
    probeNextPort();
}

void LinkWorker::disconnectLink(quint64 linkSeen)
{
    m_reconnectAfterClose = false;
    if (m_portState == PortState::Searching) {
        // The candidate is no engraver yet: no goodbye for it.
        stopSearch();
        flushProgress();
        emit searchFinished(false);
    } else if (m_portState == PortState::Linked) {
        goodbyeAndClose();
        if (linkSeen != m_linkGeneration)
            reportLinkLost();
    } else {
        qDebug() << "error"; // the goodbye has no port to go to
        closeLink();
    }
}

// Opens the next candidate and asks it "$40"; handshakeRead and
// handshakeDecided take it from there.
void LinkWorker::probeNextPort()
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
        openedOrClosed();
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
    flushProgress();
    emit engraverNotFound(denied);
    emit searchFinished(false);
}

void LinkWorker::handshakeRead()
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

void LinkWorker::handshakeDecided()
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
    openedOrClosed();
    probeNextPort();
}

void LinkWorker::acceptPort()
{
    qDebug() << m_handshakeBytes;
    m_handshakeTimer.stop();
    disconnect(m_serialPort, &QSerialPort::readyRead, this, &LinkWorker::handshakeRead);
    m_handshakeBytes.clear();
    m_searchPorts.clear();
    setPortState(PortState::Linked);
    ++m_linkGeneration;
    m_pendingReply.clear();
    connect(m_serialPort, &QSerialPort::readyRead, this, &LinkWorker::serialDataProcess);
    flushProgress();
    emit linkUp(m_linkGeneration);
    // Whatever came after the handshake answer in the same read is gone, as
    // with any reply; bytes still unread are handled now.
    if (linked() && m_serialPort->bytesAvailable() > 0)
        serialDataProcess();
    flushProgress();
    emit searchFinished(true);
}

void LinkWorker::stopSearch()
{
    m_handshakeTimer.stop();
    disconnect(m_serialPort, &QSerialPort::readyRead, this, &LinkWorker::handshakeRead);
    m_searchPorts.clear();
    m_deniedPorts.clear();
    m_handshakeBytes.clear();
    m_inPort = 0;
    const bool wasOpen = m_serialPort->isOpen();
    m_serialPort->close();
    setPortState(PortState::Closed);
    if (wasOpen)
        openedOrClosed();
}

void LinkWorker::write(const QByteArray &bytes)
{
    takeOver(this);
    if (m_portState != PortState::Linked) {
        qDebug() << "error";
        return;
    }
    enqueue(bytes, true);
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
void LinkWorker::enqueue(const QByteArray &bytes, bool capped)
{
    if (capped) {
        if (m_queuedCommands >= Operations::maxQueuedCommands) {
            qCWarning(lcEngraver) << "engraver on" << m_serialPort->portName()
                                  << "takes no bytes; command dropped:" << bytes.left(32);
            return;
        }
        ++m_queuedCommands;
    }
    m_outgoing.append({bytes, capped ? Message::Command : Message::Own});
    writeNext();
    countQueue();
}

bool LinkWorker::enqueueAnswer(const QByteArray &bytes, bool repeatable)
{
    int &waiting = m_waitingAnswers[bytes];
    if (repeatable && waiting > 0)
        return false;
    ++waiting;
    m_outgoing.append({bytes, Message::Answer});
    writeNext();
    countQueue();
    return true;
}

void LinkWorker::countQueue()
{
    m_queuedMessages.store(int(m_outgoing.size()));
    m_portBytesToWrite.store(m_serialPort->bytesToWrite());
}

void LinkWorker::writeNext()
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

void LinkWorker::portBytesWritten(qint64 bytes)
{
    m_inPort = qMax<qint64>(0, m_inPort - bytes);
    if (m_portState != PortState::Linked && m_portState != PortState::Closing) {
        countQueue();
        return; // the handshake's "$40"
    }
    if (m_stalled) {
        setStalled(false);
        qCInfo(lcEngraver) << "engraver on" << m_serialPort->portName() << "takes bytes again";
    }
    writeNext();
    countQueue();
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

void LinkWorker::writeWatchExpired()
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
    flushProgress();
    emit writeStalled();
}

void LinkWorker::dropOutgoing()
{
    m_outgoing.clear();
    m_waitingAnswers.clear();
    m_inPort = 0;
    m_queuedCommands = 0;
    m_writeWatch.stop();
    setStalled(false);
    countQueue();
}

void LinkWorker::serialDataProcess()
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

void LinkWorker::handleReply(const QByteArray &reply)
{
    const QString text = Protocol::replyText(reply);
    const Protocol::ReplyKind kind = Protocol::classifyReply(text);
    if (kind == Protocol::ReplyKind::DataRequest || kind == Protocol::ReplyKind::ResendRequest)
        qCDebug(lcUpload) << "response" << text;
    else
        qDebug() << "response" << text;
    switch (kind) {
    case Protocol::ReplyKind::Status:
        flushProgress();
        emit status(text);
        break;
    case Protocol::ReplyKind::DataRequest:
        sendChunk(1);
        break;
    case Protocol::ReplyKind::ResendRequest:
        sendChunk(2);
        break;
    case Protocol::ReplyKind::EndOfLink:
        closeLink();
        reportLinkLost();
        break;
    case Protocol::ReplyKind::Ignored:
        break;
    }
}

void LinkWorker::sendChunk(int mode)
{
    const Protocol::ChunkPlan plan = Protocol::planChunk(quint32(m_job.size()), m_position, mode);
    // Any request means the chunk before it arrived; a resend hands over the
    // same chunk again, which stays unconfirmed.
    if (mode != 2)
        m_unconfirmedStart = plan.endOfData ? -1 : qint64(plan.start);
    movePosition(plan.nextPosition);
    ++m_requests;
    m_endOfData = plan.endOfData;
    if (plan.endOfData) {
        if (enqueueAnswer(QByteArray(EngraverCommand::endOfData), true))
            qCDebug(lcUpload) << "done";
        flushProgress(); // the end is told at once
        return;
    }
    // A resend leaves the send position where it was, so it may be folded
    // into the same answer still waiting; a data request moves it on, and its
    // chunk must go out whatever it holds.
    if (enqueueAnswer(Protocol::buildChunk(m_job, plan.start, plan.length), mode == 2))
        m_shares.append(plan.progress);
    if (!m_sinceReport.isValid() || m_sinceReport.elapsed() >= m_progressIntervalMs)
        flushProgress();
    else if (!m_progressTimer.isActive())
        m_progressTimer.start(int(m_progressIntervalMs - m_sinceReport.elapsed()));
}

void LinkWorker::movePosition(quint32 position)
{
    m_position = position;
    m_positionMoved = true;
    // At once, so that the window's position is never behind the bytes on
    // the wire.
    m_window->followLink(m_epoch, position);
}

void LinkWorker::flushProgress()
{
    // Whatever signal follows, what it carries was written before this.
    handOver(m_window);
    if (m_requests == 0 && !m_positionMoved)
        return;
    m_progressTimer.stop();
    m_sinceReport.start();
    // Moved, not shared: this thread never writes the batch's memory again.
    ProgressBatch batch {++m_batchSerial, m_epoch, std::exchange(m_shares, {}), m_requests,
                         m_endOfData};
    {
        std::lock_guard<std::mutex> lock(m_batchesLock);
        m_batches.append(std::move(batch));
    }
    emit progress(m_batchSerial);
    m_requests = 0;
    m_endOfData = false;
    m_positionMoved = false;
}

void LinkWorker::reportLinkLost()
{
    flushProgress();
    emit linkLost();
}

void LinkWorker::closeLink()
{
    takeLinkDown();
    finishClose();
}

// Every way the link goes down (the engraver's "B3", a lost port, the user's
// disconnect) passes here.
void LinkWorker::takeLinkDown()
{
    m_pendingReply.clear();
    // The chunk on its way may never have arrived: a resume starts with it.
    if (m_unconfirmedStart >= 0) {
        movePosition(quint32(m_unconfirmedStart));
        m_unconfirmedStart = -1;
    }
    disconnect(m_serialPort, &QSerialPort::readyRead, this, &LinkWorker::serialDataProcess);
}

// The user's disconnect: the link is down at once, but the port stays open
// until what was queued before it and the goodbye "$41" have been written,
// or the engraver has taken nothing for a while.
void LinkWorker::goodbyeAndClose()
{
    if (m_stalled) {
        closeLink(); // nothing would read the goodbye
        return;
    }
    takeLinkDown();
    setPortState(PortState::Closing);
    enqueue(QByteArray(EngraverCommand::disconnect), false);
}

void LinkWorker::finishClose()
{
    const bool wasClosing = m_portState == PortState::Closing;
    dropOutgoing();
    const bool wasOpen = m_serialPort->isOpen();
    m_serialPort->close();
    setPortState(PortState::Closed);
    if (wasOpen)
        openedOrClosed();
    if (wasClosing && m_closeRequested) {
        m_closeRequested = false;
        flushProgress();
        emit linkClosed();
    }
    if (wasClosing && m_reconnectAfterClose)
        connectToBelow(m_search);
}

void LinkWorker::reconnect()
{
    if (!linked()) {
        connectToBelow(m_search);
        return;
    }
    goodbyeAndClose();
    reportLinkLost();
    if (m_portState == PortState::Closing)
        m_reconnectAfterClose = true; // finishClose() searches
    else
        connectToBelow(m_search); // let go at once: nothing read the goodbye
}

void LinkWorker::stopAndDisconnect()
{
    m_reconnectAfterClose = false;
    if (!linked()) {
        if (m_portState == PortState::Closing) {
            m_closeRequested = true; // the goodbye is already on its way
            return;
        }
        if (m_portState == PortState::Searching) {
            stopSearch();
            flushProgress();
            emit searchFinished(false);
        }
        flushProgress();
        emit linkClosed();
        return;
    }
    if (m_stalled) {
        // Nothing reads what would be written.
        closeLink();
        reportLinkLost();
        emit linkClosed();
        return;
    }
    enqueue(QByteArray(EngraverCommand::stop), false);
    m_closeRequested = true;
    goodbyeAndClose();
    reportLinkLost();
}

void LinkWorker::portError(QSerialPort::SerialPortError error)
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
            reportLinkLost();
        },
        Qt::QueuedConnection);
}

void LinkWorker::setPortState(PortState state)
{
    const bool wasSearching = m_portState == PortState::Searching;
    m_portState = state;
    if (wasSearching != (state == PortState::Searching)) {
        flushProgress();
        emit linkState(state == PortState::Searching, m_stalled, m_search);
    }
}

void LinkWorker::setStalled(bool stalled)
{
    if (stalled == m_stalled)
        return;
    m_stalled = stalled;
    flushProgress();
    emit linkState(m_portState == PortState::Searching, stalled, m_search);
}

QVector<LinkWorker::ProgressBatch> LinkWorker::takeProgress()
{
    QVector<ProgressBatch> taken;
    std::lock_guard<std::mutex> lock(m_batchesLock);
    taken.swap(m_batches);
    return taken;
}
