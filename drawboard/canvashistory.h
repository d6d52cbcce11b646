#pragma once

#include <QImage>
#include <QList>
#include <QUndoCommand>

class QUndoStack;

class DrawImage;

// What an edit of the canvas changes: its pictures and which of them is on
// show. The stroke layer is left out: it only previews a stroke until the
// stroke is drawn into the picture.
struct CanvasState
{
    QImage base;
    QImage working;
    bool showsBase = false;

    // The same pixels without comparing them: an image that no edit has
    // written keeps its data and its cache key.
    bool sameAs(const CanvasState &other) const
    {
        return base.cacheKey() == other.base.cacheKey()
            && working.cacheKey() == other.working.cacheKey() && showsBase == other.showsBase;
    }
};

// One step of the editing history: the canvas before and after one edit
// (a stroke, a text, a crop, a resize, a clear, or a run that changed the
// picture). The pictures are implicitly shared, so a step costs only the
// picture that the edit wrote.
class CanvasStateCommand : public QUndoCommand
{
public:
    CanvasStateCommand(DrawImage *canvas, const CanvasState &before, const CanvasState &after,
                       const QString &text);

    void undo() override;
    // The edit has happened when the step is pushed; redo() restores it
    // only when the step is done again.
    void redo() override;

    // The pictures the step holds, for counting what the history takes.
    QList<QImage> heldPictures() const
    {
        return {m_before.base, m_before.working, m_after.base, m_after.working};
    }

private:
    DrawImage *m_canvas;
    CanvasState m_before;
    CanvasState m_after;
    bool m_done = true;
};

// The bytes of picture data the history holds, each picture counted once
// however many steps share it; the pictures the canvas shows now (in
// `shown`) are left out unless `countShown`, as they cost the history
// nothing.
qint64 historyPictureBytes(const QUndoStack &history, const CanvasState &shown, bool countShown);
