#pragma once

#include <QByteArray>
#include <QObject>
#include <QPoint>
#include <QRect>

class JobBuffer;

// Copies of a job laid out in a grid on the engraving area, and the
// touch-up of a job burned before: plain functions over the job's records,
// which carry their own positions, so both are new record streams started
// at the job's own place.
namespace JobCopies {

// The engraving area's side in engraving pixels, and their size.
constexpr int areaPixels = 1600;
constexpr double millimetresPerPixel = 0.05;

struct Grid
{
    int columns = 1;
    int rows = 1;
    int gap = 0; // engraving pixels between the burned parts of neighbours
};

// A gap in millimetres as whole engraving pixels (never below 0).
int gapPixels(double millimetres);

// How far copy (i, j) lies from the first: the burned area's size plus the
// gap, per column and per row.
QPoint copyStep(const QRect &burned, int gap);

// The most columns and rows that stay on the area with the job started at
// start (0 when not even the job itself does).
struct Fit
{
    bool fits = false;
    int columns = 0;
    int rows = 0;
};
Fit fitGrid(const QRect &burned, const QPoint &start, const Grid &grid);

// The records of the grid: every copy shifted by its step, grid row after
// grid row; within a grid row each line of the job crosses all its copies
// in the line's own direction, so the head sweeps the row as it sweeps one
// picture. One column and one row give the records themselves.
QByteArray gridRecords(const QByteArray &records, const QRect &burned, const Grid &grid);

// The records whose pixels, with the job started at start, lie inside
// region (engraving pixels of the area), in their order.
QByteArray recordsInside(const QByteArray &records, const QPoint &start, const QRect &region);

} // namespace JobCopies

// The control page's face of the above: the copies chosen, whether they
// fit where the picture is, and the job they make, published into the job
// buffer when a job starts; and the job burned last, for a touch-up.
//
// The job the canvas publishes is taken as the single picture; what this
// object publishes itself (a grid, a touch-up) is told apart by its data,
// so a new picture from the canvas is always seen as one.
class JobLayout : public QObject
{
    Q_OBJECT
    // The controller's job buffer (a JobBuffer; QML knows its type only by
    // the controller's property).
    Q_PROPERTY(QObject *jobBuffer READ jobBufferObject WRITE setJobBufferObject NOTIFY jobChanged)
    Q_PROPERTY(int columns READ columns WRITE setColumns NOTIFY gridChanged)
    Q_PROPERTY(int rows READ rows WRITE setRows NOTIFY gridChanged)
    // Millimetres between neighbouring copies.
    Q_PROPERTY(double gap READ gap WRITE setGap NOTIFY gridChanged)
    // The single job's burned area in engraving pixels of its picture, and
    // the step from one copy to the next.
    Q_PROPERTY(QRect burned READ burned NOTIFY jobChanged)
    Q_PROPERTY(int stepX READ stepX NOTIFY layoutChanged)
    Q_PROPERTY(int stepY READ stepY NOTIFY layoutChanged)
    // A job has been started since the program began: it can be touched up.
    Q_PROPERTY(bool hasLastJob READ hasLastJob NOTIFY lastJobChanged)
    Q_PROPERTY(QPoint lastStart READ lastStart NOTIFY lastJobChanged)
    // The area the last job burned, in engraving pixels of the area.
    Q_PROPERTY(QRect lastArea READ lastArea NOTIFY lastJobChanged)
    // Something else (a test card) has the buffer for a while: what it
    // publishes is not taken as the single job.
    Q_PROPERTY(bool lent READ lent WRITE setLent NOTIFY lastJobChanged)
public:
    explicit JobLayout(QObject *parent = nullptr);

    JobBuffer *jobBuffer() const { return m_buffer; }
    void setJobBuffer(JobBuffer *buffer);
    QObject *jobBufferObject() const;
    void setJobBufferObject(QObject *buffer);
    int columns() const { return m_grid.columns; }
    void setColumns(int columns);
    int rows() const { return m_grid.rows; }
    void setRows(int rows);
    double gap() const { return m_gap; }
    void setGap(double millimetres);
    QRect burned();
    int stepX();
    int stepY();
    bool hasLastJob() const { return m_lastStart.x() >= 0; }
    QPoint lastStart() const { return m_lastStart; }
    QRect lastArea() const { return m_lastArea; }
    bool lent() const { return m_lent; }
    void setLent(bool lent);

    // The grid with the job started at (x, y): whether it fits, and if not
    // the most that would.
    Q_INVOKABLE bool fits(int x, int y);
    Q_INVOKABLE int fittingColumns(int x, int y);
    Q_INVOKABLE int fittingRows(int x, int y);
    // A job from its start is about to go to the engraver at (x, y): the
    // buffer is given the grid's records (the canvas's own for one copy),
    // which are kept as the job to touch up. False, with nothing changed,
    // when the grid does not fit.
    Q_INVOKABLE bool prepareStart(int x, int y);
    // The buffer is given the records of the last job inside the rectangle
    // (engraving pixels of the area), to be started at lastStart. Returns how
    // many pixels they burn; nothing changes when there are none.
    Q_INVOKABLE int prepareTouchUp(int x, int y, int width, int height);

signals:
    void jobChanged();
    void gridChanged();
    void layoutChanged();
    void lastJobChanged();

private:
    // Takes a job the canvas published as the single picture.
    void followBuffer();
    void publish(const QByteArray &records);

    JobBuffer *m_buffer = nullptr;
    JobCopies::Grid m_grid;
    double m_gap = 0;
    QByteArray m_single; // the canvas's job
    QRect m_burned;
    QByteArray m_published; // the last records this object put into the buffer
    QByteArray m_lastRecords; // the last job started, for a touch-up
    QPoint m_lastStart {-1, -1};
    QRect m_lastArea;
    bool m_lent = false;
};
