#include "drawboard/canvashistory.h"

#include "drawboard/drawimage.h"

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
