#include "engraver/testcard.h"

#include "engraver/jobbuffer.h"
#include "engraver/operations.h"
#include "imaging/engravingjob.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace Card {

namespace {

QString percentLabel(int percent)
{
    return QString::number(percent) + QLatin1Char('%');
}

QFont labelFont()
{
    QFont font;
    font.setPixelSize(labelPixelSize);
    return font;
}

int millimetresToPixels(double millimetres)
{
    return int(std::lround(millimetres * pixelsPerMm));
}

bool percentInRange(int from, int to)
{
    return from >= 1 && to <= 100 && from <= to;
}

} // namespace

QVector<int> steps(int from, int to, int count)
{
    QVector<int> values;
    if (count < 1)
        return values;
    if (count == 1)
        return {to};
    for (int i = 0; i < count; ++i)
        values.append(int(std::lround(from + double(to - from) * i / (count - 1))));
    return values;
}

Layout layout(const Plan &plan)
{
    Layout layout;
    layout.square = millimetresToPixels(plan.squareMm);
    layout.gap = millimetresToPixels(plan.gapMm);
    const QFontMetrics metrics(labelFont());
    for (int depth : steps(plan.depthFrom, plan.depthTo, std::clamp(plan.depthCount, 1, maxCount)))
        layout.labelWidth
            = std::max(layout.labelWidth, metrics.horizontalAdvance(percentLabel(depth)));
    for (int power : steps(plan.powerFrom, plan.powerTo, std::clamp(plan.powerCount, 1, maxCount)))
        layout.widestPowerLabel
            = std::max(layout.widestPowerLabel, metrics.horizontalAdvance(percentLabel(power)));
    layout.labelHeight = metrics.height();
    // A millimetre between the labels and the squares.
    layout.squaresLeft = layout.labelWidth + pixelsPerMm;
    layout.squaresTop = layout.labelHeight + pixelsPerMm;
    const int columns = std::max(1, plan.powerCount);
    const int rows = std::max(1, plan.depthCount);
    // The last power label, centred over its column, may reach past it.
    const int lastMiddle = layout.columnLeft(columns - 1) + layout.square / 2;
    layout.size = QSize(std::max(layout.columnLeft(columns - 1) + layout.square,
                                 lastMiddle + layout.widestPowerLabel / 2 + 2),
                        layout.rowTop(rows - 1) + layout.square);
    return layout;
}

Problem check(const Plan &plan)
{
    if (plan.powerCount < 1 || plan.powerCount > maxCount || plan.depthCount < 1
        || plan.depthCount > maxCount)
        return Problem::Count;
    if (!percentInRange(plan.powerFrom, plan.powerTo))
        return Problem::PowerRange;
    if (!percentInRange(plan.depthFrom, plan.depthTo))
        return Problem::DepthRange;
    if (!(plan.squareMm >= minSquareMm && plan.squareMm <= maxSquareMm))
        return Problem::SquareSize;
    if (!(plan.gapMm >= 0 && plan.gapMm <= maxGapMm))
        return Problem::GapSize;
    const Layout card = layout(plan);
    // Each power label stays above its own column, each depth label beside
    // its own row.
    if ((plan.powerCount > 1 && card.widestPowerLabel > card.square + card.gap)
        || card.labelHeight > card.square)
        return Problem::LabelsTooWide;
    if (card.size.width() > areaPixels || card.size.height() > areaPixels)
        return Problem::TooLarge;
    return Problem::None;
}

int intensity(int power, int top)
{
    if (top <= 0)
        return 0;
    return std::clamp(int(std::lround(255.0 * power / top)), 0, 255);
}

QPoint placement(const Plan &plan)
{
    const QSize size = layout(plan).size;
    return QPoint(std::max(0, (areaPixels - size.width()) / 2),
                  std::max(0, (areaPixels - size.height()) / 2));
}

QImage cardPicture(const Plan &plan)
{
    const Layout card = layout(plan);
    QImage picture(card.size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QVector<int> powers = steps(plan.powerFrom, plan.powerTo, plan.powerCount);
    const QVector<int> depths = steps(plan.depthFrom, plan.depthTo, plan.depthCount);
    {
        QPainter painter(&picture);
        painter.setFont(labelFont());
        painter.setPen(Qt::black);
        for (int column = 0; column < powers.size(); ++column)
            painter.drawText(QRect(card.columnLeft(column) - card.gap / 2, 0,
                                   card.square + card.gap, card.labelHeight),
                             Qt::AlignCenter, percentLabel(powers[column]));
        for (int row = 0; row < depths.size(); ++row)
            painter.drawText(QRect(0, card.rowTop(row), card.labelWidth, card.square),
                             Qt::AlignRight | Qt::AlignVCenter, percentLabel(depths[row]));
    }
    // The text's soft edges would burn faint; the labels burn at full
    // intensity or not at all.
    for (int y = 0; y < picture.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = qRed(line[x]) < 128 ? 0xFF000000u : 0xFFFFFFFFu;
    }
    const int top = powers.isEmpty() ? 0 : powers.last();
    QPainter painter(&picture);
    for (int column = 0; column < powers.size(); ++column) {
        const int grey = 255 - intensity(powers[column], top);
        for (int row = 0; row < depths.size(); ++row)
            painter.fillRect(
                QRect(card.columnLeft(column), card.rowTop(row), card.square, card.square),
                QColor(grey, grey, grey));
    }
    painter.end();
    return picture;
}

RowJob rowJob(const Plan &plan, const QImage &picture, int row, const QSize &previewSize)
{
    const Layout card = layout(plan);
    const QVector<int> depths = steps(plan.depthFrom, plan.depthTo, plan.depthCount);
    RowJob job;
    if (row < 0 || row >= depths.size() || picture.size() != card.size)
        return job;
    job.depth = depths[row];
    // The rows' jobs share the card out between them, parting in the middle
    // of the gaps; the first one also burns the power labels above it.
    const int top = row == 0 ? 0 : card.rowTop(row) - card.gap / 2;
    const int bottom
        = row == depths.size() - 1 ? card.size.height() : card.rowTop(row + 1) - card.gap / 2;
    const int width = picture.width();

    // Visited as the canvas's jobs are: rows from the top, serpentine, the
    // direction turning after each line that burned anything. Every pixel
    // not white burns, with the intensity of its grey.
    job.records.resize((bottom - top) * width * 4);
    char *const start = job.records.data();
    char *out = start;
    int xmin = width;
    int ymin = picture.height();
    int xmax = 0;
    int ymax = 0;
    bool rightward = true;
    for (int y = top; y < bottom; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        char *const lineStart = out;
        for (int i = 0; i < width; ++i) {
            const int x = rightward ? i : width - 1 - i;
            const int grey = qRed(line[x]);
            if (grey >= 255)
                continue;
            qToLittleEndian<quint32>(Imaging::engravingRecord(x, y, 255 - grey), out);
            out += 4;
            xmin = std::min(xmin, x);
            xmax = std::max(xmax, x);
        }
        if (out != lineStart) {
            ymin = std::min(ymin, y);
            ymax = std::max(ymax, y);
            rightward = !rightward;
        }
    }
    job.records.resize(int(out - start));
    job.xmin = xmin;
    job.ymin = ymin;
    job.xmax = xmax;
    job.ymax = ymax;

    // The whole card, so that it shows where it burns, with the rows other
    // than this one faint.
    const QSize size = previewSize.isEmpty() ? card.size : previewSize;
    job.preview = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32);
    QPainter painter(&job.preview);
    painter.scale(double(size.width()) / card.size.width(),
                  double(size.height()) / card.size.height());
    const QColor faint(255, 255, 255, 180);
    if (top > 0)
        painter.fillRect(QRect(0, 0, width, top), faint);
    if (bottom < card.size.height())
        painter.fillRect(QRect(0, bottom, width, card.size.height() - bottom), faint);
    return job;
}

QVector<RowJob> rowJobs(const Plan &plan, const QSize &previewSize)
{
    QVector<RowJob> jobs;
    if (check(plan) != Problem::None)
        return jobs;
    const QImage picture = cardPicture(plan);
    for (int row = 0; row < plan.depthCount; ++row)
        jobs.append(rowJob(plan, picture, row, previewSize));
    return jobs;
}

} // namespace Card

TestCard::TestCard(QObject *parent)
    : QObject(parent)
{
    planEdited();
}

void TestCard::setController(QObject *controller)
{
    if (controller == m_controller)
        return;
    if (m_controller)
        disconnect(m_controller, nullptr, this, nullptr);
    m_controller = controller;
    if (auto *operations = qobject_cast<Operations *>(controller))
        connect(operations, &Operations::finishedLoad, this, &TestCard::jobPublished);
    emit runChanged();
}

JobBuffer *TestCard::jobBuffer() const
{
    const auto *operations = qobject_cast<Operations *>(m_controller.data());
    return operations ? operations->jobBuffer() : nullptr;
}

#define VANDRA_CARD_SETTER(Setter, field)                                                          \
    void TestCard::Setter(int value)                                                               \
    {                                                                                              \
        if (value == m_plan.field)                                                                 \
            return;                                                                                \
        m_plan.field = value;                                                                      \
        planEdited();                                                                              \
    }

VANDRA_CARD_SETTER(setPowerFrom, powerFrom)
VANDRA_CARD_SETTER(setPowerTo, powerTo)
VANDRA_CARD_SETTER(setPowerCount, powerCount)
VANDRA_CARD_SETTER(setDepthFrom, depthFrom)
VANDRA_CARD_SETTER(setDepthTo, depthTo)
VANDRA_CARD_SETTER(setDepthCount, depthCount)
#undef VANDRA_CARD_SETTER

void TestCard::setSquareSize(double millimetres)
{
    if (qFuzzyCompare(millimetres + 1, m_plan.squareMm + 1))
        return;
    m_plan.squareMm = millimetres;
    planEdited();
}

void TestCard::setGapSize(double millimetres)
{
    if (qFuzzyCompare(millimetres + 1, m_plan.gapMm + 1))
        return;
    m_plan.gapMm = millimetres;
    planEdited();
}

void TestCard::planEdited()
{
    m_problem = Card::check(m_plan);
    m_layout = Card::layout(m_plan);
    emit planChanged();
}

double TestCard::cardWidth() const
{
    return double(m_layout.size.width()) / Card::pixelsPerMm;
}

double TestCard::cardHeight() const
{
    return double(m_layout.size.height()) / Card::pixelsPerMm;
}

double TestCard::labelWidth() const
{
    return double(m_layout.squaresLeft) / Card::pixelsPerMm;
}

double TestCard::labelHeight() const
{
    return double(m_layout.squaresTop) / Card::pixelsPerMm;
}

namespace {
QVariantList variantList(const QVector<int> &values)
{
    QVariantList list;
    for (int value : values)
        list.append(value);
    return list;
}
} // namespace

QVariantList TestCard::powers() const
{
    if (m_problem == Card::Problem::Count)
        return {};
    return variantList(Card::steps(m_plan.powerFrom, m_plan.powerTo, m_plan.powerCount));
}

QVariantList TestCard::depths() const
{
    if (m_problem == Card::Problem::Count)
        return {};
    return variantList(Card::steps(m_plan.depthFrom, m_plan.depthTo, m_plan.depthCount));
}

int TestCard::topPower() const
{
    const QVector<int> values = Card::steps(m_plan.powerFrom, m_plan.powerTo,
                                            std::clamp(m_plan.powerCount, 1, Card::maxCount));
    return values.isEmpty() ? 0 : values.last();
}

int TestCard::startX() const
{
    return Card::placement(m_plan).x();
}

int TestCard::startY() const
{
    return Card::placement(m_plan).y();
}

bool TestCard::begin()
{
    JobBuffer *buffer = jobBuffer();
    if (m_active || !buffer || m_problem != Card::Problem::None)
        return false;
    // The prepared job is kept, to be put back when the card is over.
    m_saved = true;
    m_savedPreview = buffer->preview();
    m_savedBytes = buffer->bytes();
    m_savedBounds[0] = buffer->xmin();
    m_savedBounds[1] = buffer->ymin();
    m_savedBounds[2] = buffer->xmax();
    m_savedBounds[3] = buffer->ymax();
    m_savedSize = QSize(buffer->pictureWidth(), buffer->pictureHeight());

    m_runPlan = m_plan;
    m_picture = Card::cardPicture(m_runPlan);
    m_rowCount = m_runPlan.depthCount;
    m_row = 0;
    m_active = true;
    m_stopAsked = false;
    publishRow();
    return true;
}

void TestCard::publishRow()
{
    JobBuffer *buffer = jobBuffer();
    if (!buffer)
        return;
    Card::RowJob job
        = Card::rowJob(m_runPlan, m_picture, m_row, buffer->previewSizeFor(m_picture.size()));
    m_rowDepth = job.depth;
    m_rowRecords = job.records;
    buffer->publish(job.preview, job.records, job.xmin, job.ymin, job.xmax, job.ymax,
                    m_picture.size());
    emit runChanged();
    if (auto *operations = qobject_cast<Operations *>(m_controller.data()))
        operations->finishedLoadProcess();
}

// A job published by someone else (the editing page's, after the link
// went down in the middle of a row) ends the card: play then starts that
// job where it belongs, and nothing of the card's is put back over it.
void TestCard::jobPublished()
{
    JobBuffer *buffer = jobBuffer();
    if (!m_active || !buffer || buffer->bytes().constData() == m_rowRecords.constData())
        return;
    m_active = false;
    m_stopAsked = false;
    m_saved = false;
    m_savedPreview = QImage();
    m_savedBytes.clear();
    emit runChanged();
    emit ended(false);
}

void TestCard::stopAsked()
{
    if (m_active)
        m_stopAsked = true;
}

bool TestCard::stopReported(bool sentWhole)
{
    if (!m_active)
        return false;
    if (sentWhole && !m_stopAsked && m_row + 1 < m_rowCount) {
        ++m_row;
        publishRow();
        return true;
    }
    const bool complete = sentWhole && !m_stopAsked && m_row + 1 >= m_rowCount;
    m_active = false;
    m_stopAsked = false;
    emit runChanged();
    emit ended(complete);
    return false;
}

void TestCard::restoreJob()
{
    JobBuffer *buffer = jobBuffer();
    if (!m_saved || m_active || !buffer)
        return;
    m_saved = false;
    // A job published after the card's last row (a new picture's) stays;
    // with no job before the card, its last row stays on show rather than
    // an empty picture.
    if (buffer->bytes().constData() == m_rowRecords.constData() && !m_savedBytes.isEmpty()) {
        buffer->publish(m_savedPreview, m_savedBytes, m_savedBounds[0], m_savedBounds[1],
                        m_savedBounds[2], m_savedBounds[3], m_savedSize);
        if (auto *operations = qobject_cast<Operations *>(m_controller.data()))
            operations->finishedLoadProcess();
    }
    m_savedPreview = QImage();
    m_savedBytes.clear();
    emit runChanged();
}

QByteArray TestCard::records(int row) const
{
    if (m_picture.isNull())
        return {};
    return Card::rowJob(m_runPlan, m_picture, row).records;
}
