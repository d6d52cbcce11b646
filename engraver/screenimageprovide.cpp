#include "engraver/screenimageprovide.h"

#include "engraver/operations.h"

ScreenImageProvide::ScreenImageProvide()
    : QQuickImageProvider(QQuickImageProvider::Image)
{ }

ScreenImageProvide::~ScreenImageProvide()
{
    if (owner)
        owner->m_imageProvider = nullptr;
}

QImage ScreenImageProvide::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    Q_UNUSED(id);
    Q_UNUSED(requestedSize);
    if (size)
        *size = image.size();
    return image;
}
