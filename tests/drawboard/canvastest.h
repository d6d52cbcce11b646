#pragma once

#include "drawboard/drawimage.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

// Helpers shared by the canvas tests: pictures written to a temporary
// directory, and loading that waits for the Grey run.
namespace CanvasTest {

inline QString writePicture(const QTemporaryDir &dir, const QString &relative, const QImage &image,
                            const char *format = nullptr)
{
    const QString path = dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    if (!image.save(path, format))
        qFatal("cannot write %s", qPrintable(path));
    return QUrl::fromLocalFile(path).toString();
}

// Loads a picture and waits for its Grey run.
inline bool loadAndWait(DrawImage &canvas, const QString &url)
{
    QSignalSpy loaded(&canvas, &DrawImage::loadImageDone);
    canvas.load(url);
    return loaded.count() == 1 || loaded.wait(5000);
}

inline QImage greyPicture(int width, int height, int level)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(level, level, level));
    return image;
}

} // namespace CanvasTest
