#include "drawboard/canvashistory.h"

#include "drawboard/drawimage.h"

#include <QSet>
#include <QUndoStack>

CanvasStateCommand::CanvasStateCommand(DrawImage *canvas, const CanvasState &before,
                                       const CanvasState &after, const QString &text)
    : QUndoCommand(text)
    , m_canvas(canvas)
    , m_before(before)
    , m_after(after)
{ }

void CanvasStateCommand::undo()
{
    m_canvas->restoreState(m_before);
    m_done = false;
}

void CanvasStateCommand::redo()
{
    if (m_done)
        return;
    m_canvas->restoreState(m_after);
    m_done = true;
}

qint64 historyPictureBytes(const QUndoStack &history, const CanvasState &shown, bool countShown)
{
    QSet<qint64> counted;
    if (!countShown)
        counted << shown.base.cacheKey() << shown.working.cacheKey();
    qint64 bytes = 0;
    for (int i = 0; i < history.count(); ++i) {
        const auto *step = dynamic_cast<const CanvasStateCommand *>(history.command(i));
        if (!step)
            continue;
        for (const QImage &picture : step->heldPictures()) {
            if (picture.isNull() || counted.contains(picture.cacheKey()))
                continue;
            counted << picture.cacheKey();
            bytes += picture.sizeInBytes();
        }
    }
    return bytes;
}
