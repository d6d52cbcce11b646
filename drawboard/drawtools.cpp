// The drawing tools of the canvas: the pen in its four styles, the rubber and
// text. They draw in the GUI thread straight into the displayed picture, in
// picture pixels (one item unit is one pixel), and are refused while a run is
// under way, since a worker may then be changing that picture. Whatever they
// draw goes into the grey picture the looks start from as well, in grey, so
// that choosing another look keeps it.

#include "drawboard/canvaslog.h"
#include "drawboard/drawimage.h"

#include <QDebug>
#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTime>

void DrawImage::mousePressEvent(QMouseEvent *event)
{
    if (!(acceptedMouseButtons() & event->button())) {
        QQuickItem::mousePressEvent(event);
        return;
    }
    if (refuseWhileBusy("stroke")) {
        event->ignore();
        return;
    }
    m_lastPoint = event->localPos();
    if (!m_strokePath) {
        beginEdit();
        m_strokePath = new QPainterPath(m_lastPoint);
    }
    m_strokePath->moveTo(m_lastPoint);
}

void DrawImage::mouseMoveEvent(QMouseEvent *event)
{
    m_previousPoint = m_lastPoint;
    m_lastPoint = event->localPos();
    const QPointF delta = m_lastPoint - m_previousPoint;
    const int distance2 = int(delta.x() * delta.x() + delta.y() * delta.y());

    if (!m_strokePath) {
        qDebug() << "path off";
        return;
    }
    if (distance2 != 0 && !refuseWhileBusy("stroke")) {
        m_hideLayer = false;
        if (m_drawType == PenType) {
            switch (m_penStyle) {
            case Solid:
                drawSolidStep();
                break;
            case Fur:
                drawFurStep();
                break;
            case Net:
                drawNetStep();
                break;
            case RandomCircle:
                drawRandomCircleStep(distance2);
                break;
            }
        } else if (m_drawType == RubberType) {
            drawRubberStep();
        }
    }
    QQuickItem::mouseMoveEvent(event);
}

void DrawImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (!(acceptedMouseButtons() & event->button())) {
        QQuickItem::mouseReleaseEvent(event);
        return;
    }
    if (!m_strokePath)
        return;
    m_hideLayer = true;
    // A stroke that a run overtook is dropped rather than drawn into a
    // picture the worker may be changing; the layer is the canvas's alone.
    if (refuseWhileBusy("stroke"))
        m_strokeLayer.fill(QColor(255, 255, 255, 0));
    else
        commitStroke(*m_strokePath);
    delete m_strokePath;
    m_strokePath = nullptr;
    clearStrokePoints();
    endEdit(QStringLiteral("stroke"));
}

void DrawImage::setupStrokePen(QPainter &painter, int width, Qt::BrushStyle style,
                               const QColor &color)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(
        QPen(QBrush(color, style), qreal(width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
}

int DrawImage::randomBetween(int low, int high)
{
    // Reseeded from the clock at every call: the calls of one mouse move,
    // all made within the same millisecond, share one value.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(uint(QTime::currentTime().msecsSinceStartOfDay() % 30000));
    const int r = qrand() % 100;
    QT_WARNING_POP
    return int(low + (r / 100.0) * (high - low));
}

QColor DrawImage::greyOf(const QColor &colour)
{
    // The weights of the Grey run, so that a colour drawn on the picture and
    // the grey picture loaded from it agree.
    const QRgb rgb = colour.rgb();
    const int level = (11 * qRed(rgb) + 16 * qGreen(rgb) + 5 * qBlue(rgb)) >> 5;
    return QColor(level, level, level, colour.alpha());
}

void DrawImage::drawOnPictures(const std::function<void(QPainter &painter, bool grey)> &draw)
{
    {
        QPainter painter(m_displayed);
        draw(painter, false);
    }
    if (m_displayed == &m_baseImage || m_baseImage.isNull())
        return;
    QPainter painter(&m_baseImage);
    draw(painter, true);
}

void DrawImage::commitStroke(const QPainterPath &path)
{
    drawOnPictures([&](QPainter &painter, bool grey) {
        setupStrokePen(painter, m_penSize, Qt::SolidPattern,
                       grey ? greyOf(m_penColor) : m_penColor);
        painter.drawPath(path);
    });
    m_strokeLayer.fill(QColor(255, 255, 255, 0));
    update();
}

void DrawImage::clearStrokePoints()
{
    qDeleteAll(m_strokePoints);
    m_strokePoints.clear();
}

void DrawImage::drawSolidStep()
{
    m_strokePath->quadTo(m_previousPoint, (m_previousPoint + m_lastPoint) * 0.5);
    {
        QPainter painter(&m_strokeLayer);
        setupStrokePen(painter, m_penSize, Qt::SolidPattern, m_penColor);
        painter.drawLine(m_previousPoint, m_lastPoint);
    }
    // Only the latest segment, widened by the pen on every side.
    const int x0 = int(qMin(m_previousPoint.x(), m_lastPoint.x()));
    const int y0 = int(qMin(m_previousPoint.y(), m_lastPoint.y()));
    const int w = int(qAbs(m_lastPoint.x() - m_previousPoint.x()));
    const int h = int(qAbs(m_lastPoint.y() - m_previousPoint.y()));
    update(QRect(x0 - m_penSize, y0 - m_penSize, w + 2 * m_penSize, h + 2 * m_penSize));
}

void DrawImage::drawFurStep()
{
    drawHairs(true);
}

void DrawImage::drawNetStep()
{
    drawHairs(false);
}

// Fur and Net: hairs between the newest point and earlier points of the
// stroke that lie close enough, plus the segment from the point before.
void DrawImage::drawHairs(bool fur)
{
    m_strokePoints.append(new QPointF(m_lastPoint));
    const int n = m_strokePoints.size();
    if (n <= 2) {
        update();
        return;
    }
    const QPointF newest = *m_strokePoints.at(n - 1);
    QPainterPath path;
    path.moveTo(*m_strokePoints.at(n - 2));
    path.lineTo(newest);

    const int reach = m_penSize * (fur ? 200 : 100);
    for (const QPointF *point : qAsConst(m_strokePoints)) {
        const int dx = int(point->x() - newest.x());
        const int dy = int(point->y() - newest.y());
        const int d2 = dx * dx + dy * dy;
        if (d2 >= reach)
            continue;
        if (fur) {
            if (d2 >= randomBetween(0, 10000))
                continue;
            path.moveTo(newest.x() + dx * 0.5, newest.y() + dy * 0.5);
            path.lineTo(newest.x() - dx * 0.5, newest.y() - dy * 0.5);
        } else {
            path.moveTo(newest.x() + dx * 0.2, newest.y() + dy * 0.2);
            path.lineTo(point->x() - dx * 0.2, point->y() - dy * 0.2);
        }
    }

    drawOnPictures([&](QPainter &painter, bool grey) {
        setupStrokePen(painter, 1, Qt::SolidPattern, grey ? greyOf(m_penColor) : m_penColor);
        painter.drawPath(path);
    });
    update();
}

void DrawImage::drawRandomCircleStep(int distance2)
{
    if (m_penSize / 3 < distance2) {
        const int radius = m_penSize > 2 ? randomBetween(1, m_penSize >> 1) : 1;
        // Grey whatever the pen's hue: only its red component counts.
        const int red = m_penColor.red();
        int level;
        if (red > 150)
            level = randomBetween(red - 100, red);
        else if (red >= 100)
            level = randomBetween(red - 50, red + 50);
        else
            level = randomBetween(red, red + 100);
        const QColor colour(level, level, level, 255);

        QPainterPath path;
        path.addEllipse(
            QRectF(m_lastPoint.x() - radius, m_lastPoint.y() - radius, 2 * radius, 2 * radius));
        // The circle is grey already: the same on both pictures.
        drawOnPictures([&](QPainter &painter, bool) {
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setBrush(QBrush(colour));
            painter.setPen(colour);
            painter.drawPath(path);
        });
    }
    update();
}

void DrawImage::drawRubberStep()
{
    QPainterPath path;
    path.moveTo(m_previousPoint);
    path.lineTo(m_lastPoint);
    drawOnPictures([&](QPainter &painter, bool) {
        setupStrokePen(painter, m_rubberSize, Qt::SolidPattern, QColor(255, 255, 255, 255));
        painter.drawPath(path);
    });
    update();
}

void DrawImage::drawText(int x, int y, QString text)
{
    if (refuseWhileBusy("drawText"))
        return;
    beginEdit();
    QPainterPath path;
    QFont font(m_textFont, -1, QFont::Thin, false);
    font.setPixelSize(m_textSize);
    path.addText(QPointF(x, y), font, text);
    drawOnPictures([&](QPainter &painter, bool grey) {
        const QColor colour = grey ? greyOf(m_textColor) : m_textColor;
        setupStrokePen(painter, 0, Qt::SolidPattern, colour);
        painter.setBrush(QBrush(colour, Qt::SolidPattern));
        painter.drawPath(path);
    });
    endEdit(QStringLiteral("text"));
    update();
}
