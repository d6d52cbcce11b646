#pragma once

#include "drawboard/drawimage.h"
#include "imaging/algorithms.h"
#include "imaging/engravingjob.h"

#include <QMouseEvent>
#include <QtTest>

// Helpers shared by the canvas and imaging tests: pictures made in memory or
// written to a temporary directory, one algorithm run as the pipeline makes
// it, and loading that waits for the Grey run.
namespace CanvasTest {

inline QImage greyPicture(int width, int height, int level)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(level, level, level));
    return image;
}

// Random colours and alpha, then converted to the format.
inline QImage randomPicture(int width, int height, QImage::Format format, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate());
    return image.convertToFormat(format);
}

// One entry of the algorithm table, indexed as DrawImage::ProcessAlgorithm;
// what SaveByte builds goes to *job.
inline QImage run(int algorithm, QImage image, double para = 0,
                  Imaging::EngravingJob *job = nullptr)
{
    QMutex mutex;
    Imaging::EngravingJob discarded;
    algorithmTable[algorithm](&image, &mutex, para, job ? job : &discarded);
    return image;
}

inline QString writePicture(const QTemporaryDir &dir, const QString &relative, const QImage &image,
                            const char *format = nullptr)
{
    const QString path = dir.filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    if (!image.save(path, format))
        qFatal("cannot write %s", qPrintable(path));
    return QUrl::fromLocalFile(path).toString();
}

// A canvas that strokes the way a mouse makes it, and runs an algorithm
// waiting for its end.
class StrokingCanvas : public DrawImage
{
public:
    void stroke(QPointF from, QPointF to)
    {
        QMouseEvent press(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, {});
        mousePressEvent(&press);
        for (int i = 1; i <= 10; ++i) {
            QMouseEvent move(QEvent::MouseMove, from + (to - from) * i / 10.0, Qt::NoButton,
                             Qt::LeftButton, {});
            mouseMoveEvent(&move);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, {});
        mouseReleaseEvent(&release);
    }

    bool runAndWait(ProcessAlgorithm algorithm, double para)
    {
        QSignalSpy changed(this, &DrawImage::propertyChanged);
        process(algorithm, para);
        return changed.wait(5000);
    }
};

// Loads a picture and waits for its Grey run.
inline bool loadAndWait(DrawImage &canvas, const QString &url)
{
    QSignalSpy loaded(&canvas, &DrawImage::loadImageDone);
    canvas.load(url);
    return loaded.count() == 1 || loaded.wait(5000);
}

} // namespace CanvasTest
