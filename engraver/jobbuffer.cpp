#include "engraver/jobbuffer.h"

#include "imaging/engravingjob.h"

#include <algorithm>
#include <cmath>
#include <utility>

JobBuffer::JobBuffer(QObject *parent)
    : QObject(parent)
{ }

void JobBuffer::publish(const QImage &preview, QByteArray bytes, int xmin, int ymin, int xmax,
                        int ymax, const QSize &pictureSize)
{
    if (!preview.isNull()) {
        m_preview = preview;
        m_pictureSize = pictureSize.isValid() ? pictureSize : preview.size();
    }
    // The old records are not freed: the next job writes into them, unless
    // they are larger than any job over the engraving area needs.
    m_spareBytes = std::exchange(m_bytes, std::move(bytes));
    if (m_spareBytes.capacity() > Imaging::reusableJobBytes)
        m_spareBytes = QByteArray();
    setJobBounds(xmin, ymin, xmax, ymax);
    resetJobPosition();
    emit changed();
}

QByteArray JobBuffer::takeSpareBytes()
{
    return std::exchange(m_spareBytes, QByteArray());
}

void JobBuffer::setPreviewScale(double scale)
{
    // A page not laid out yet reports nothing useful: keep full size.
    const double kept = scale > 0 && scale < 1 ? scale : 1;
    if (kept == m_previewScale)
        return;
    m_previewScale = kept;
    emit previewScaleChanged();
}

QSize JobBuffer::scaledPreviewSize(const QSize &pictureSize, double previewScale)
{
    if (previewScale >= 1)
        return pictureSize;
    const auto scaled = [previewScale](int side) {
        return std::max(1, int(std::ceil(side * previewScale)));
    };
    return QSize(scaled(pictureSize.width()), scaled(pictureSize.height()));
}

void JobBuffer::setJobPreview(const QImage &image)
{
    m_preview = image;
}

void JobBuffer::appendJobBytes(const QByteArray &data)
{
    m_bytes.append(data);
    restartAt(position());
    emit changed();
    emit sendingRestarted();
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
    restartAt(0);
    m_unconfirmedStart = -1;
    emit changed();
    emit sendingRestarted();
}

void JobBuffer::startFrom(quint32 position)
{
    restartAt(qMin(position, quint32(m_bytes.size())));
    m_unconfirmedStart = -1;
    emit changed();
    emit sendingRestarted();
}

void JobBuffer::restartAt(quint32 position)
{
    const quint64 epoch = (m_cursor.load() >> 32) + 1;
    m_cursor.store(epoch << 32 | position);
}

void JobBuffer::setPosition(quint32 position)
{
    const quint64 epoch = m_cursor.load() >> 32;
    m_cursor.store(epoch << 32 | position);
}

bool JobBuffer::followLink(quint32 epoch, quint32 position)
{
    quint64 current = m_cursor.load();
    while (quint32(current >> 32) == epoch) {
        if (m_cursor.compare_exchange_weak(current, quint64(epoch) << 32 | position))
            return true;
    }
    return false;
}

Protocol::ChunkPlan JobBuffer::takeChunk(int mode)
{
    const Protocol::ChunkPlan plan = Protocol::planChunk(quint32(m_bytes.size()), position(), mode);
    // Any request means the chunk before it arrived; a resend hands over the
    // same chunk again, which stays unconfirmed.
    if (mode != 2)
        m_unconfirmedStart = plan.endOfData ? -1 : qint64(plan.start);
    setPosition(plan.nextPosition);
    emit changed();
    return plan;
}

void JobBuffer::rewindUnconfirmedChunk()
{
    if (m_unconfirmedStart < 0)
        return;
    setPosition(quint32(m_unconfirmedStart));
    m_unconfirmedStart = -1;
    emit changed();
}
