#pragma once

#include "imaging/processalgorithm.h"

#include <QColorSpace>
#include <QImage>
#include <QList>
#include <QMap>
#include <QUndoCommand>

#include <memory>
#include <vector>

class DrawImage;
class QUndoStack;

// The look a picture on show is in, and its threshold, so that undo and
// redo bring back the look buttons and slider with the picture.
struct ShownLook
{
    Imaging::Algorithm algorithm = Imaging::GreyFilter;
    double threshold = 0;

    bool operator==(const ShownLook &other) const
    {
        return algorithm == other.algorithm && threshold == other.threshold;
    }
    bool operator!=(const ShownLook &other) const { return !(*this == other); }
};

// What an edit of the canvas changes: its pictures, which of them is on
// show, and the look of the one on show. The base picture is the grey
// picture with every edit made so far, which each look starts from; the
// working picture is the one on show and drawn on. The stroke layer is left
// out: it only previews a stroke until the stroke is drawn into the
// picture, and is empty again before the stroke's step is recorded.
struct CanvasState
{
    QImage base;
    QImage working;
    bool showsBase = false;
    ShownLook look;

    // The same pixels without comparing them: an image that no edit has
    // written keeps its data and its cache key.
    bool sameAs(const CanvasState &other) const
    {
        return base.cacheKey() == other.base.cacheKey()
            && working.cacheKey() == other.working.cacheKey() && showsBase == other.showsBase
            && look == other.look;
    }
};

// Pictures at one byte a pixel. The canvas holds 32-bit pictures, but nearly
// all of them are grey (every picture after its Grey run, every look, most
// strokes and texts): an opaque picture whose three components are equal in
// every pixel loses nothing as its grey levels alone.
namespace HistoryPacking {

// The grey levels of `picture` as a Format_Grayscale8 picture, when it is an
// RGB32, ARGB32 or premultiplied ARGB32 picture that is opaque and grey in
// every pixel; a null picture otherwise.
QImage greyLevels(const QImage &picture);
// The picture of `format` (one of those three) whose every pixel is the
// opaque grey of `levels`: greyLevels(p) turned back into p's format gives
// p's pixels exactly.
QImage fromGreyLevels(const QImage &levels, QImage::Format format);

} // namespace HistoryPacking

// A picture as the history keeps it once the canvas no longer shows it:
// its grey levels when that loses nothing, the picture as it is otherwise,
// and what else a QImage carries (resolution, offset, texts, colour space).
class KeptPicture
{
public:
    explicit KeptPicture(const QImage &picture);

    // The picture again, in its own format with the same pixels and details.
    QImage picture() const;
    const QImage &kept() const { return m_kept; }
    bool isPacked() const { return m_packed; }

private:
    QImage m_kept;
    bool m_packed = false;
    QImage::Format m_format = QImage::Format_Invalid;
    int m_dotsPerMeterX = 0;
    int m_dotsPerMeterY = 0;
    QPoint m_offset;
    qreal m_devicePixelRatio = 1;
    QMap<QString, QString> m_texts;
    QColorSpace m_colorSpace;
};

// One picture of the history, shared by every step that holds it. While the
// canvas shows it, the step shares the canvas's picture, which costs
// nothing; once the canvas moves on it is put away as a KeptPicture, and it
// is taken out again when an undo or redo shows it.
class HistoryPicture
{
public:
    explicit HistoryPicture(const QImage &shown)
        : m_shown(shown)
    { }

    bool isShown() const { return !m_kept; }
    // The cache key of the picture on show; meaningless once put away.
    qint64 shownKey() const { return m_shown.cacheKey(); }
    // The picture, taken out of the history's keeping if it was put away.
    QImage show();
    void putAway();
    // The picture data this holds, for counting.
    QImage held() const;

private:
    QImage m_shown;
    std::unique_ptr<KeptPicture> m_kept;
};

using HistoryPictureRef = std::shared_ptr<HistoryPicture>;

// A step's view of the canvas: its pictures as the history holds them.
struct KeptState
{
    HistoryPictureRef base;
    HistoryPictureRef working;
    bool showsBase = false;
    ShownLook look;
};

// Keeps the history's pictures: shares those the canvas shows, and puts
// away the others as soon as the canvas has moved on from them. One picture
// is one HistoryPicture, however many steps hold it.
class HistoryPictures
{
public:
    // The pictures of `state`, which the canvas shows or has just shown,
    // for a step: a picture already held for another step is shared.
    KeptState keep(const CanvasState &state);
    // The canvas now shows `state` after an edit: every other picture it
    // showed is put away.
    void shown(const KeptState &state);
    // The canvas is to show `state` again (an undo or redo): its pictures,
    // taken out of keeping; every other picture it showed is put away.
    CanvasState show(const KeptState &state);
    // A new history: nothing is shown from it.
    void clear() { m_shown.clear(); }

private:
    void putAwayAllBut(const KeptState &state);

    // The pictures the canvas shows or has just shown; the steps own them.
    std::vector<std::weak_ptr<HistoryPicture>> m_shown;
};

// One step of the editing history: the canvas before and after one edit
// (a stroke, a text, a crop, a resize, a clear, or a run that changed the
// picture), with the look on show each time. A step costs only the pictures
// that its edit wrote (a look the picture on show, any other edit that one
// and the grey picture the looks start from), as the pictures are shared
// with the canvas and with the neighbouring steps, and at one byte a pixel
// once put away when they are grey.
class CanvasStateCommand : public QUndoCommand
{
public:
    CanvasStateCommand(DrawImage *canvas, const KeptState &before, const KeptState &after,
                       const QString &text);

    void undo() override;
    // The edit has happened when the step is pushed; redo() restores it
    // only when the step is done again.
    void redo() override;

    // The pictures of the step, for counting what the history takes.
    QList<HistoryPictureRef> pictures() const
    {
        return {m_before.base, m_before.working, m_after.base, m_after.working};
    }

private:
    DrawImage *m_canvas;
    KeptState m_before;
    KeptState m_after;
    bool m_done = true;
};

// The bytes of picture data the history holds, each picture counted once
// however many steps share it; the pictures the canvas shows now (in
// `shown`) are left out unless `countShown`, as they cost the history
// nothing.
qint64 historyPictureBytes(const QUndoStack &history, const CanvasState &shown, bool countShown);
