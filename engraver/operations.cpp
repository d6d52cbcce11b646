#include "engraver/operations.h"

#include "engraver/jobbuffer.h"
#include "engraver/protocol.h"
#include "engraver/screenimageprovide.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QQmlEngine>
#include <QSerialPortInfo>

namespace {
// True while serialWriteData waits for its bytes to leave: a write started
// from within that wait (a reply read during it) would interleave two
// commands on the wire.
bool writeBusy = false;
// Job bytes in the chunk being sent.
quint16 chunkLength = 0;

constexpr int handshakeWaitMs = 100;
constexpr int writeWaitMs = 200;

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
    imageProvider = new ScreenImageProvide;
    imageProvider->owner = this;
    providerForEngine = ancestorEngine(this) != nullptr;
    serialPort = new QSerialPort(this);
    m_jobBuffer = new JobBuffer(this);
    // Until the first job is published the control page is served a white square.
    QImage blank(680, 680, QImage::Format_ARGB32);
    blank.fill(QColor(255, 255, 255, 255));
    imageProvider->image = blank;

    connect(serialPort, &QSerialPort::errorOccurred, this, &Operations::portError);
}

Operations::~Operations()
{
    if (!imageProvider)
        return; // an engine has deleted it already
    imageProvider->owner = nullptr;
    // A controller made as an engine's child hands its provider to that
    // engine, which deletes it (after its children). Otherwise the provider
    // is ours unless an engine still holds it.
    if (providerForEngine)
        return;
    if (QQmlEngine *engine = ancestorEngine(this)) {
        if (engine->imageProvider(QStringLiteral("screen"))
            == static_cast<QQmlImageProviderBase *>(imageProvider))
            return;
    }
    delete imageProvider;
}

QStringList Operations::candidatePorts()
{
    QStringList ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        ports.append(info.portName());
    const QString extra = qEnvironmentVariable("VANDRA_SERIAL_PORTS");
    const QStringList paths = extra.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &path : paths)
        ports.append(path);
    return ports;
}

void Operations::finishedLoadProcess()
{
    imageProvider->image = m_jobBuffer->preview();
    emit finishedLoad(m_jobBuffer->xmin(), m_jobBuffer->ymin(), m_jobBuffer->xmax(),
                      m_jobBuffer->ymax());
}

void Operations::connectToBelow(bool en)
{
    if (!en) {
        serialWriteData(QByteArrayLiteral("$41"));
        closeLink();
        emit includeBackStatus(11);
        return;
    }

    // An open port is the engraver's already; opening it again would fail
    // for every candidate anyway.
    if (serialPort->isOpen())
        return;

    const QStringList ports = candidatePorts();
    for (const QString &name : ports) {
        if (tryPort(name)) {
            linkUp = true;
            ++linkGeneration;
            pendingReply.clear();
            emit includeBackStatus(10);
            connect(serialPort, &QSerialPort::readyRead, this, &Operations::serialDataProcess);
            // Whatever came after the handshake answer in the same read is
            // gone, as with any reply; bytes still unread are handled now.
            if (serialPort->bytesAvailable() > 0)
                serialDataProcess();
            return;
        }
    }
}

bool Operations::tryPort(const QString &name)
{
    serialPort->setPortName(name);
    serialPort->setBaudRate(QSerialPort::Baud115200, QSerialPort::AllDirections);
    if (!serialPort->open(QIODevice::ReadWrite))
        return false;
    // Bytes left over in the system's buffer from an earlier session would
    // spoil the prefix test of the answer.
    serialPort->clear(QSerialPort::Input);

    serialWriteData(QByteArrayLiteral("$40"));

    // One read decides; only an answer cut short after "B" or "B1" is
    // given the rest of the 100 ms to arrive in full.
    const QDeadlineTimer deadline(handshakeWaitMs);
    QByteArray answer;
    for (;;) {
        if (serialPort->bytesAvailable() == 0
            && !serialPort->waitForReadyRead(int(deadline.remainingTime())))
            break;
        answer += serialPort->readAll();
        if (!Protocol::isHandshakeAnswerPrefix(answer) || deadline.hasExpired())
            break;
    }
    if (!answer.isEmpty())
        qDebug() << answer;
    if (Protocol::isHandshakeAnswer(answer))
        return true;
    serialPort->close();
    return false;
}

void Operations::serialWriteData(QByteArray str)
{
    if (writeBusy)
        return;
    writeBusy = true;
    serialPort->write(str);
    if (!serialPort->waitForBytesWritten(writeWaitMs))
        qDebug() << "error";
    writeBusy = false;
}

void Operations::serialDataProcess()
{
    if (!linkUp)
        return;
    if (writeBusy) {
        // Called from within a write's wait: answering now would drop the
        // answer (a lost chunk stalls the job). Leave the bytes in the port
        // and come back once the write is done.
        if (!rereadQueued) {
            rereadQueued = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    rereadQueued = false;
                    if (serialPort->bytesAvailable() > 0)
                        serialDataProcess();
                },
                Qt::QueuedConnection);
        }
        return;
    }

    // Bytes that arrive while an answer is being written are read into the
    // port's buffer without a readyRead of their own (Qt does not emit it
    // again from within a readyRead handler), so they are picked up here.
    do {
        const QByteArray bytes = serialPort->readAll();
        const QList<QByteArray> replies = Protocol::splitReplies(bytes, &pendingReply);
        for (const QByteArray &reply : replies) {
            if (!linkUp)
                return;
            handleReply(reply);
        }
    } while (linkUp && serialPort->bytesAvailable() > 0);
}

void Operations::handleReply(const QByteArray &reply)
{
    const QString text = Protocol::replyText(reply);
    qDebug() << "response" << text;
    switch (Protocol::classifyReply(text)) {
    case Protocol::ReplyKind::Status:
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
        emit includeBackStatus(11);
        break;
    case Protocol::ReplyKind::Ignored:
        break;
    }
}

void Operations::sendChunk(int mode)
{
    const Protocol::ChunkPlan plan = m_jobBuffer->takeChunk(mode);
    if (plan.endOfData) {
        serialWriteData(QByteArrayLiteral("$33"));
        qDebug() << "done";
        return;
    }
    chunkLength = quint16(plan.length);
    serialWriteData(Protocol::buildChunk(m_jobBuffer->bytes(), plan.start, plan.length));
    emit completePecent(plan.progress);
}

void Operations::clearIndex()
{
    m_jobBuffer->resetJobPosition();
}

void Operations::closeLink()
{
    linkUp = false;
    pendingReply.clear();
    m_jobBuffer->rewindUnconfirmedChunk();
    serialPort->close();
    disconnect(serialPort, &QSerialPort::readyRead, this, &Operations::serialDataProcess);
}

void Operations::portError(QSerialPort::SerialPortError error)
{
    // An engraver that vanishes (cable pulled) shows as a failing read or a
    // lost device. Leaving the link "up" would swallow every later command
    // without a trace, so it is taken down and the page told.
    if (!linkUp)
        return;
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    qDebug() << "engraver lost:" << serialPort->errorString();
    // Taken down once control is back in the event loop, so that the port is
    // never closed from inside its own notification code; a link made again
    // in between is left alone.
    const quint64 generation = linkGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (!linkUp || generation != linkGeneration)
                return;
            closeLink();
            emit includeBackStatus(11);
        },
        Qt::QueuedConnection);
}
