#include "drawboard/drawimage.h"

#include <QPainter>

DrawImage::DrawImage(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAcceptedMouseButtons(Qt::LeftButton);
}

DrawImage::~DrawImage() = default;

void DrawImage::init()
{
    m_workingImage = QImage(int(width()), int(height()), QImage::Format_ARGB32);
    m_workingImage.fill(QColor(255, 255, 255, 255));
}

void DrawImage::paint(QPainter *painter)
{
    painter->drawImage(QRectF(0, 0, m_workingImage.width(), m_workingImage.height()), m_workingImage,
                       QRectF(0, 0, m_workingImage.width(), m_workingImage.height()));
}
