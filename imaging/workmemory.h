#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QVector>

// The memory the canvas's runs write. A page of memory the process has
// never used costs a fault when it is first written; the first look after
// a load (a new 4 MB picture) and the first Done (10 MB of records) would
// spend more on those faults than on their work. So that the first ones
// run as fast as the later ones, the loader thread makes that memory and
// writes it once, right after it has read the picture, and the canvas keeps
// it for its runs and takes back the pictures its history lets go of.
namespace Imaging {

// What a load makes besides the picture, told by the canvas when it starts
// the load.
struct MemoryOrder
{
    // The sizes of the pictures the canvas keeps already, which a load of
    // a picture that size need not make again.
    QVector<QSize> heldPictures;
    // How many record stores to make, of the size a job over the whole
    // engraving area takes.
    int records = 0;
};

// Made and written on the loader thread; the canvas takes it over once.
struct PreparedMemory
{
    // The loaded picture's stroke layer: its size and format, transparent
    // white.
    QImage strokeLayer;
    // Pictures the looks can write into (RGB32, the loaded picture's size).
    QList<QImage> pictures;
    QList<QByteArray> records;
};

// Makes what the order asks for a picture loaded as `loaded` (the picture
// as the loader delivers it, before its Grey run), every page written.
PreparedMemory prepareMemory(const QImage &loaded, const MemoryOrder &order);

// The canvas's store of that memory, used on the GUI thread only: pictures
// for the looks to write into, and record stores for the jobs.
class WorkMemory
{
public:
    // A look writes its picture while the last look is still on show, and
    // that one is let go only once the new one is: two pictures take turns.
    static constexpr int keptPictures = 2;
    // A job is built while the one before is still published: two stores
    // take turns (the job buffer hands back the one before the last).
    static constexpr int keptRecords = 2;

    // What a load should make: the pictures this store lacks, and record
    // stores until it has made its two (only for a canvas that builds jobs).
    MemoryOrder order(bool buildsJobs) const;
    // Takes over what a load made, for a picture of pictureSize: kept
    // pictures of another size are let go.
    void receive(PreparedMemory prepared, const QSize &pictureSize);

    // A kept picture of like's size and format for a look to write into; a
    // null picture when there is none.
    QImage takePicture(const QImage &like);
    // A picture the canvas has let go of: kept for the looks when nothing
    // else holds it and it has the looks' format (the oldest kept goes when
    // there are too many).
    void reclaim(QImage picture);

    // Memory for a job's records of `bytes` bytes: `spare` (the job
    // buffer's) when it holds that many, else a kept store that does, else
    // `spare` again.
    QByteArray records(QByteArray spare, int bytes);

    int pictureCount() const { return m_pictures.size(); }
    int recordCount() const { return m_records.size(); }

private:
    QList<QImage> m_pictures;
    QList<QByteArray> m_records;
    int m_recordsMade = 0;
};

} // namespace Imaging
