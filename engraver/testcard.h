#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QVariantList>
#include <QVector>

class JobBuffer;

// The power x depth test card: a grid of small squares, one column per
// laser power and one row per depth, each column and row labelled with its
// value, burned as one job per row (depth is set for a whole job).
//
// Power varies within a row through the records' burn intensity: the card
// burns in the grey mode with the laser power set once to the highest
// power chosen, and a square of power p gets the intensity
// round(255 * p / top). The laser never goes beyond what the user chose,
// even on an engraver that ignores the intensity. Labels burn at 255.
namespace Card {

constexpr int areaPixels = 1600;
constexpr int pixelsPerMm = 20;
// The labels' font size: text about 2.5 mm high.
constexpr int labelPixelSize = 50;
constexpr int maxCount = 10;
constexpr double minSquareMm = 2;
constexpr double maxSquareMm = 20;
constexpr double maxGapMm = 10;

struct Plan
{
    int powerFrom = 20;
    int powerTo = 100;
    int powerCount = 5;
    int depthFrom = 20;
    int depthTo = 100;
    int depthCount = 5;
    double squareMm = 6;
    double gapMm = 3;
};

// Why a card cannot be made; None when it can.
enum class Problem {
    None,
    Count, // a count outside 1 to maxCount
    PowerRange, // a power outside 1 to 100 %, or from above to
    DepthRange, // the same for the depth
    SquareSize, // the square outside minSquareMm to maxSquareMm
    GapSize, // the gap outside 0 to maxGapMm
    LabelsTooWide, // a power label is wider than a column, or a depth label taller than a square
    TooLarge, // the card with its labels is larger than the engraving area
};

// Where everything lies, in engraving pixels of the card.
struct Layout
{
    QSize size; // the whole card, labels included
    int square = 0;
    int gap = 0;
    int labelWidth = 0; // the column of depth labels at the left
    int labelHeight = 0; // the line of power labels at the top
    int widestPowerLabel = 0;
    int squaresLeft = 0;
    int squaresTop = 0;
    int columnLeft(int column) const { return squaresLeft + column * (square + gap); }
    int rowTop(int row) const { return squaresTop + row * (square + gap); }
};

// The values of a range in whole percent: from, evenly stepped up to to.
QVector<int> steps(int from, int to, int count);
Layout layout(const Plan &plan);
Problem check(const Plan &plan);
// The burn intensity of a square of power percent on a laser set to top.
int intensity(int power, int top);
// Where the card goes on the engraving area: its middle.
QPoint placement(const Plan &plan);

// The whole card as a grey picture in engraving pixels, grey level 255
// minus the burn intensity, as the records are made from a picture.
QImage cardPicture(const Plan &plan);

struct RowJob
{
    int depth = 0; // percent
    QByteArray records;
    int xmin = 0;
    int ymin = 0;
    int xmax = 0;
    int ymax = 0;
    QImage preview; // the whole card, the other rows faint
};

// Row row (0 at the top; its job also burns the power labels when it is
// the first) of the card drawn in picture, its records in serpentine
// order with the card's top-left corner at (0, 0). The preview is made at
// previewSize (the card's own size when empty).
RowJob rowJob(const Plan &plan, const QImage &picture, int row, const QSize &previewSize = QSize());
QVector<RowJob> rowJobs(const Plan &plan, const QSize &previewSize = QSize());

} // namespace Card

// The control page's test card: the values the user chooses, whether the
// card can be made, and its run, one row job after the other, published
// into the controller's job buffer. The page sends the commands; this
// object says which (the power once, each row's depth, the start at the
// card's place in the grey mode) and answers the engraver's stop report
// with the next row. When the card ends, the job that was prepared before
// it is put back.
class TestCard : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *controller READ controller WRITE setController NOTIFY runChanged)
    Q_PROPERTY(int powerFrom READ powerFrom WRITE setPowerFrom NOTIFY planChanged)
    Q_PROPERTY(int powerTo READ powerTo WRITE setPowerTo NOTIFY planChanged)
    Q_PROPERTY(int powerCount READ powerCount WRITE setPowerCount NOTIFY planChanged)
    Q_PROPERTY(int depthFrom READ depthFrom WRITE setDepthFrom NOTIFY planChanged)
    Q_PROPERTY(int depthTo READ depthTo WRITE setDepthTo NOTIFY planChanged)
    Q_PROPERTY(int depthCount READ depthCount WRITE setDepthCount NOTIFY planChanged)
    Q_PROPERTY(double squareSize READ squareSize WRITE setSquareSize NOTIFY planChanged)
    Q_PROPERTY(double gapSize READ gapSize WRITE setGapSize NOTIFY planChanged)
    // Problem, as a number; 0 when the card can be made.
    Q_PROPERTY(int problem READ problem NOTIFY planChanged)
    // The card in millimetres, and its parts for a drawing of it.
    Q_PROPERTY(double cardWidth READ cardWidth NOTIFY planChanged)
    Q_PROPERTY(double cardHeight READ cardHeight NOTIFY planChanged)
    Q_PROPERTY(double labelWidth READ labelWidth NOTIFY planChanged)
    Q_PROPERTY(double labelHeight READ labelHeight NOTIFY planChanged)
    Q_PROPERTY(QVariantList powers READ powers NOTIFY planChanged)
    Q_PROPERTY(QVariantList depths READ depths NOTIFY planChanged)
    // The laser power the card burns with: the highest power chosen.
    Q_PROPERTY(int topPower READ topPower NOTIFY planChanged)
    // The card's top-left corner on the engraving area, in engraving pixels.
    Q_PROPERTY(int startX READ startX NOTIFY planChanged)
    Q_PROPERTY(int startY READ startY NOTIFY planChanged)
    // The run: on from begin() until the stop after its last row, or the
    // user's stop; the row burning (1 up) and its depth in percent.
    Q_PROPERTY(bool active READ active NOTIFY runChanged)
    Q_PROPERTY(int row READ row NOTIFY runChanged)
    Q_PROPERTY(int rowCount READ rowCount NOTIFY runChanged)
    Q_PROPERTY(int rowDepth READ rowDepth NOTIFY runChanged)
    // The buffer holds the card's rows: from begin() until the job before
    // is put back (restoreJob()).
    Q_PROPERTY(bool holding READ holding NOTIFY runChanged)

public:
    enum Problem {
        NoProblem = int(Card::Problem::None),
        CountProblem = int(Card::Problem::Count),
        PowerRangeProblem = int(Card::Problem::PowerRange),
        DepthRangeProblem = int(Card::Problem::DepthRange),
        SquareSizeProblem = int(Card::Problem::SquareSize),
        GapSizeProblem = int(Card::Problem::GapSize),
        LabelsTooWideProblem = int(Card::Problem::LabelsTooWide),
        TooLargeProblem = int(Card::Problem::TooLarge),
    };
    Q_ENUM(Problem)

    explicit TestCard(QObject *parent = nullptr);

    QObject *controller() const { return m_controller; }
    void setController(QObject *controller);
    int powerFrom() const { return m_plan.powerFrom; }
    void setPowerFrom(int value);
    int powerTo() const { return m_plan.powerTo; }
    void setPowerTo(int value);
    int powerCount() const { return m_plan.powerCount; }
    void setPowerCount(int value);
    int depthFrom() const { return m_plan.depthFrom; }
    void setDepthFrom(int value);
    int depthTo() const { return m_plan.depthTo; }
    void setDepthTo(int value);
    int depthCount() const { return m_plan.depthCount; }
    void setDepthCount(int value);
    double squareSize() const { return m_plan.squareMm; }
    void setSquareSize(double millimetres);
    double gapSize() const { return m_plan.gapMm; }
    void setGapSize(double millimetres);
    int problem() const { return int(m_problem); }
    double cardWidth() const;
    double cardHeight() const;
    double labelWidth() const;
    double labelHeight() const;
    QVariantList powers() const;
    QVariantList depths() const;
    int topPower() const;
    int startX() const;
    int startY() const;
    bool active() const { return m_active; }
    int row() const { return m_active ? m_row + 1 : 0; }
    int rowCount() const { return m_rowCount; }
    int rowDepth() const { return m_rowDepth; }
    bool holding() const { return m_active || m_saved; }

    // Starts the run: the first row is published. False, with nothing
    // changed, when the card cannot be made or there is no job buffer.
    Q_INVOKABLE bool begin();
    // The user asked for a stop: no row follows.
    Q_INVOKABLE void stopAsked();
    // The engraver reports a stop: true when the next row has been
    // published (the page starts it), false when the card is over.
    Q_INVOKABLE bool stopReported(bool sentWhole);
    // Puts back the job prepared before the card, unless another has been
    // published since the card's last row.
    Q_INVOKABLE void restoreJob();
    // The records of a row (0 up) of the card begun last, for a look at
    // what was burned.
    Q_INVOKABLE QByteArray records(int row) const;

signals:
    void planChanged();
    void runChanged();
    // The card is over: complete when its last row was sent whole.
    void ended(bool complete);

private:
    void planEdited();
    void publishRow();
    void jobPublished();
    JobBuffer *jobBuffer() const;

    QPointer<QObject> m_controller;
    Card::Plan m_plan;
    Card::Problem m_problem = Card::Problem::None;
    Card::Layout m_layout;
    // The run: its plan and picture, fixed at begin().
    Card::Plan m_runPlan;
    QImage m_picture;
    bool m_active = false;
    bool m_stopAsked = false;
    int m_row = 0;
    int m_rowCount = 0;
    int m_rowDepth = 0;
    QByteArray m_rowRecords; // the row published last
    // The job prepared before the card.
    bool m_saved = false;
    QImage m_savedPreview;
    QByteArray m_savedBytes;
    int m_savedBounds[4] = {0, 0, 0, 0};
    QSize m_savedSize;
};
