#include "engraver/jobbuffer.h"

JobBuffer::JobBuffer(QObject *parent)
    : QObject(parent)
{ }

void JobBuffer::publish(const QImage &preview, const QByteArray &bytes, int xmin, int ymin,
                        int xmax, int ymax)
{
    if (!preview.isNull())
        m_preview = preview;
    m_bytes = bytes;
    setJobBounds(xmin, ymin, xmax, ymax);
    resetJobPosition();
    emit changed();
}

void JobBuffer::setJobPreview(const QImage &image)
{
    m_preview = image;
}

void JobBuffer::appendJobBytes(const QByteArray &data)
{
    m_bytes.append(data);
    emit changed();
}

void JobBuffer::clearJobBytes()
{
    m_bytes.clear();
    resetJobPosition();
}

void JobBuffer::setJobBounds(int xmin, int ymin, int xmax, int ymax)
{
    m_xmin = static_cast<quint16>(xmin);
    m_ymin = static_cast<quint16>(ymin);
    m_xmax = static_cast<quint16>(xmax);
    m_ymax = static_cast<quint16>(ymax);
}

void JobBuffer::resetJobPosition()
{
    m_position = 0;
    m_unconfirmedStart = -1;
    emit changed();
}

Protocol::ChunkPlan JobBuffer::takeChunk(int mode)
{
    const Protocol::ChunkPlan plan = Protocol::planChunk(quint32(m_bytes.size()), m_position, mode);
    // Any request means the chunk before it arrived; a resend hands over the
    // same chunk again, which stays unconfirmed.
    if (mode != 2)
        m_unconfirmedStart = plan.endOfData ? -1 : qint64(plan.start);
    m_position = plan.nextPosition;
    emit changed();
    return plan;
}

void JobBuffer::rewindUnconfirmedChunk()
{
    if (m_unconfirmedStart < 0)
        return;
    m_position = quint32(m_unconfirmedStart);
    m_unconfirmedStart = -1;
    emit changed();
}
