#include "engraver/jobcopies.h"

#include "engraver/jobbuffer.h"
#include "imaging/engravingjob.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace JobCopies {

namespace {

struct Record
{
    int x;
    int y;
    int intensity;
};

Record readRecord(const char *bytes)
{
    const auto *r = reinterpret_cast<const uchar *>(bytes);
    return {r[0] | (r[1] & 0xF0) << 4, (r[1] & 0x0F) << 8 | r[2], r[3]};
}

void writeRecord(char *bytes, int x, int y, int intensity)
{
    qToLittleEndian(Imaging::engravingRecord(x, y, intensity), bytes);
}

// How many copies of a burned span [first, last] stepped by step stay below
// the area's edge when the job starts at start.
int fittingCount(int start, int last, int step)
{
    const int room = areaPixels - 1 - (start + last);
    if (room < 0)
        return 0;
    return 1 + room / std::max(1, step);
}

} // namespace

int gapPixels(double millimetres)
{
    if (!(millimetres > 0))
        return 0;
    return int(std::lround(std::min(millimetres, double(areaPixels)) / millimetresPerPixel));
}

QPoint copyStep(const QRect &burned, int gap)
{
    return QPoint(burned.width() + gap, burned.height() + gap);
}

Fit fitGrid(const QRect &burned, const QPoint &start, const Grid &grid)
{
    // A job that burns nothing fits in any number.
    if (burned.isEmpty())
        return {true, grid.columns, grid.rows};
    const QPoint step = copyStep(burned, grid.gap);
    Fit fit;
    fit.columns = fittingCount(start.x(), burned.right(), step.x());
    fit.rows = fittingCount(start.y(), burned.bottom(), step.y());
    fit.fits = start.x() + burned.left() >= 0 && start.y() + burned.top() >= 0
        && grid.columns <= fit.columns && grid.rows <= fit.rows;
    return fit;
}

QByteArray gridRecords(const QByteArray &records, const QRect &burned, const Grid &grid)
{
    if ((grid.columns <= 1 && grid.rows <= 1) || burned.isEmpty())
        return records;
    const QPoint step = copyStep(burned, grid.gap);
    const int count = records.size() / 4;
    QByteArray out;
    out.resize(count * 4 * grid.columns * grid.rows);
    char *to = out.data();
    const char *from = records.constData();
    for (int row = 0; row < grid.rows; ++row) {
        const int dy = row * step.y();
        int line = 0;
        while (line < count) {
            // A line: the records in a row that share their y.
            const int y = readRecord(from + line * 4).y;
            int end = line + 1;
            while (end < count && readRecord(from + end * 4).y == y)
                ++end;
            const bool leftward
                = readRecord(from + (end - 1) * 4).x < readRecord(from + line * 4).x;
            for (int c = 0; c < grid.columns; ++c) {
                const int column = leftward ? grid.columns - 1 - c : c;
                const int dx = column * step.x();
                for (int i = line; i < end; ++i) {
                    const Record r = readRecord(from + i * 4);
                    writeRecord(to, r.x + dx, r.y + dy, r.intensity);
                    to += 4;
                }
            }
            line = end;
        }
    }
    return out;
}

QByteArray recordsInside(const QByteArray &records, const QPoint &start, const QRect &region)
{
    QByteArray out;
    out.reserve(records.size());
    for (int i = 0; i + 4 <= records.size(); i += 4) {
        const Record r = readRecord(records.constData() + i);
        if (region.contains(start.x() + r.x, start.y() + r.y))
            out.append(records.constData() + i, 4);
    }
    out.squeeze();
    return out;
}

} // namespace JobCopies

JobLayout::JobLayout(QObject *parent)
    : QObject(parent)
{ }

void JobLayout::setJobBuffer(JobBuffer *buffer)
{
    if (buffer == m_buffer)
        return;
    if (m_buffer)
        disconnect(m_buffer, nullptr, this, nullptr);
    m_buffer = buffer;
    m_single = QByteArray();
    m_published = QByteArray();
    m_burned = QRect();
    followBuffer();
    if (m_buffer)
        connect(m_buffer, &JobBuffer::sendingRestarted, this, &JobLayout::followBuffer);
    emit jobChanged();
    emit layoutChanged();
}

QObject *JobLayout::jobBufferObject() const
{
    return m_buffer;
}

void JobLayout::setJobBufferObject(QObject *buffer)
{
    setJobBuffer(qobject_cast<JobBuffer *>(buffer));
}

void JobLayout::setLent(bool lent)
{
    if (lent == m_lent)
        return;
    m_lent = lent;
    followBuffer();
    emit lastJobChanged();
}

void JobLayout::followBuffer()
{
    if (!m_buffer || m_lent)
        return;
    const QByteArray &bytes = m_buffer->bytes();
    // Ours, or the single job already: nothing new. (The data is compared by
    // address: both arrays are held here, so their memory is not reused.)
    if (bytes.constData() == m_published.constData() || bytes.constData() == m_single.constData())
        return;
    m_single = bytes;
    m_burned = QRect(QPoint(m_buffer->xmin(), m_buffer->ymin()),
                     QPoint(m_buffer->xmax(), m_buffer->ymax()));
    if (bytes.isEmpty() || !m_burned.isValid())
        m_burned = QRect();
    emit jobChanged();
    emit layoutChanged();
}

void JobLayout::setColumns(int columns)
{
    columns = std::max(1, columns);
    if (columns == m_grid.columns)
        return;
    m_grid.columns = columns;
    emit gridChanged();
    emit layoutChanged();
}

void JobLayout::setRows(int rows)
{
    rows = std::max(1, rows);
    if (rows == m_grid.rows)
        return;
    m_grid.rows = rows;
    emit gridChanged();
    emit layoutChanged();
}

void JobLayout::setGap(double millimetres)
{
    if (!(millimetres >= 0))
        millimetres = 0;
    if (millimetres == m_gap)
        return;
    m_gap = millimetres;
    m_grid.gap = JobCopies::gapPixels(millimetres);
    emit gridChanged();
    emit layoutChanged();
}

QRect JobLayout::burned()
{
    followBuffer();
    return m_burned;
}

int JobLayout::stepX()
{
    return JobCopies::copyStep(burned(), m_grid.gap).x();
}

int JobLayout::stepY()
{
    return JobCopies::copyStep(burned(), m_grid.gap).y();
}

bool JobLayout::fits(int x, int y)
{
    return JobCopies::fitGrid(burned(), QPoint(x, y), m_grid).fits;
}

int JobLayout::fittingColumns(int x, int y)
{
    return JobCopies::fitGrid(burned(), QPoint(x, y), m_grid).columns;
}

int JobLayout::fittingRows(int x, int y)
{
    return JobCopies::fitGrid(burned(), QPoint(x, y), m_grid).rows;
}

bool JobLayout::prepareStart(int x, int y)
{
    if (!fits(x, y))
        return false;
    // Without a job buffer there is nothing to lay out.
    if (!m_buffer)
        return true;
    const QByteArray records = JobCopies::gridRecords(m_single, m_burned, m_grid);
    if (m_buffer->bytes().constData() != records.constData())
        publish(records);
    m_lastRecords = records;
    m_lastStart = QPoint(x, y);
    if (m_burned.isEmpty()) {
        m_lastArea = QRect();
    } else {
        const QPoint step = JobCopies::copyStep(m_burned, m_grid.gap);
        m_lastArea = QRect(m_burned.topLeft() + m_lastStart,
                           QSize(m_burned.width() + (m_grid.columns - 1) * step.x(),
                                 m_burned.height() + (m_grid.rows - 1) * step.y()));
    }
    emit lastJobChanged();
    return true;
}

int JobLayout::prepareTouchUp(int x, int y, int width, int height)
{
    if (!m_buffer || !hasLastJob())
        return 0;
    const QByteArray records
        = JobCopies::recordsInside(m_lastRecords, m_lastStart, QRect(x, y, width, height));
    if (records.isEmpty())
        return 0;
    publish(records);
    return records.size() / 4;
}

void JobLayout::publish(const QByteArray &records)
{
    // Kept before the buffer tells of it, so that the buffer's news is known
    // as ours. The preview and the bounds stay the single job's.
    m_published = records;
    m_buffer->publish(QImage(), records, m_buffer->xmin(), m_buffer->ymin(), m_buffer->xmax(),
                      m_buffer->ymax());
}
