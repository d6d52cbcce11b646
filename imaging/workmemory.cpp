#include "imaging/workmemory.h"

#include "imaging/engravingjob.h"

#include <algorithm>

namespace Imaging {

namespace {

// Every look of a loaded picture writes this format: the grey picture's.
constexpr QImage::Format lookFormat = QImage::Format_RGB32;

} // namespace

PreparedMemory prepareMemory(const QImage &loaded, const MemoryOrder &order)
{
    PreparedMemory prepared;
    if (loaded.isNull())
        return prepared;
    prepared.strokeLayer = QImage(loaded.size(), loaded.format());
    prepared.strokeLayer.fill(QColor(255, 255, 255, 0));
    const auto held
        = int(std::count(order.heldPictures.cbegin(), order.heldPictures.cend(), loaded.size()));
    for (int i = held; i < WorkMemory::keptPictures; ++i) {
        QImage picture(loaded.size(), lookFormat);
        if (picture.isNull())
            break; // no memory for it: the looks will allocate their own
        picture.fill(0);
        prepared.pictures.append(picture);
    }
    for (int i = 0; i < order.records; ++i)
        prepared.records.append(QByteArray(reusableJobBytes, '\0'));
    return prepared;
}

MemoryOrder WorkMemory::order(bool buildsJobs) const
{
    MemoryOrder order;
    for (const QImage &picture : m_pictures)
        order.heldPictures.append(picture.size());
    if (buildsJobs)
        order.records = std::max(0, keptRecords - m_recordsMade);
    return order;
}

void WorkMemory::receive(PreparedMemory prepared, const QSize &pictureSize)
{
    QList<QImage> kept;
    for (QImage &picture : m_pictures) {
        if (picture.size() == pictureSize)
            kept.append(std::move(picture));
    }
    m_pictures = std::move(kept);
    for (QImage &picture : prepared.pictures)
        reclaim(std::move(picture));
    m_recordsMade += prepared.records.size();
    for (QByteArray &store : prepared.records)
        m_records.append(std::move(store));
}

QImage WorkMemory::takePicture(const QImage &like)
{
    for (int i = 0; i < m_pictures.size(); ++i) {
        if (m_pictures.at(i).size() == like.size() && m_pictures.at(i).format() == like.format())
            return m_pictures.takeAt(i);
    }
    return QImage();
}

void WorkMemory::reclaim(QImage picture)
{
    // Shared, the picture is still somebody's: writing it would copy it.
    if (picture.isNull() || !picture.isDetached() || picture.format() != lookFormat)
        return;
    m_pictures.append(std::move(picture));
    while (m_pictures.size() > keptPictures)
        m_pictures.removeFirst();
}

QByteArray WorkMemory::records(QByteArray spare, int bytes)
{
    if (spare.capacity() >= bytes)
        return spare;
    for (int i = 0; i < m_records.size(); ++i) {
        if (m_records.at(i).capacity() >= bytes)
            return m_records.takeAt(i);
    }
    return spare;
}

} // namespace Imaging
