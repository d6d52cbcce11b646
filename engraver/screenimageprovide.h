#pragma once

#include <QImage>
#include <QQuickImageProvider>

class Operations;

// Serves the preview of the published job to the control page. The id and
// the requested size are ignored: the picture is served as it was made, at
// the size the page shows it (the page sizes the picture on its area by the
// job buffer's picture size).
class ScreenImageProvide : public QQuickImageProvider
{
public:
    ScreenImageProvide();
    ~ScreenImageProvide() override;

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;

    QImage image;

    // The controller that created it, told when an engine deletes the
    // provider first so that it is not deleted twice.
    Operations *owner = nullptr;
};
