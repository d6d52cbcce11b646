#pragma once

#include <QByteArray>
#include <QImage>
#include <QMutex>
#include <QQuickImageProvider>

#include <memory>

// The job as the laser will burn it, one pixel per engraving pixel: white
// where no record burns, and 255 minus the burn intensity where one does.
// The size is the job's own (up to its rightmost and lowest record).
QImage jobPicture(const QByteArray &records);
// The picture the true-size view asks for by id: the job as it burns, or,
// for an id "<count>/material/<tint as rrggbb>/<16 measured levels>", as
// the material measured shows it (see Imaging::materialView).
QImage jobPictureFor(const QString &id, const QByteArray &records);

// The published job's records, handed from the GUI thread to the loader
// thread that draws the true-size view.
class PublishedRecords
{
public:
    void set(const QByteArray &records)
    {
        QMutexLocker locker(&m_mutex);
        m_records = records;
    }
    QByteArray get() const
    {
        QMutexLocker locker(&m_mutex);
        return m_records;
    }

private:
    mutable QMutex m_mutex;
    QByteArray m_records;
};

// The image provider "job": the true-size view of the published job, drawn
// only when the page asks for it (the control page's picture is the small
// preview). Requested asynchronously, so the drawing never runs on the GUI
// thread; the id only has to change for each new job.
class JobPictureProvider : public QQuickImageProvider
{
public:
    explicit JobPictureProvider(std::shared_ptr<const PublishedRecords> records);

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

private:
    std::shared_ptr<const PublishedRecords> m_records;
};
