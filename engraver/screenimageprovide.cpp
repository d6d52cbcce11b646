#include "engraver/screenimageprovide.h"

ScreenImageProvide::ScreenImageProvide()
    : QQuickImageProvider(QQuickImageProvider::Image)
{
}

ScreenImageProvide::~ScreenImageProvide() = default;

QImage ScreenImageProvide::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    Q_UNUSED(id);
    Q_UNUSED(requestedSize);
    if (size)
        *size = image.size();
    return image;
}
