#include "drawboard/canvashistory.h"

#include "drawboard/canvaslog.h"
#include "drawboard/drawimage.h"

#include <QSet>
#include <QUndoStack>

namespace HistoryPacking {

namespace {

constexpr quint32 opaqueGrey(quint32 level)
{
    return 0xFF000000u | level * 0x010101u;
}

bool isPackable(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

QImage greyLevels(const QImage &picture)
{
    if (picture.isNull() || !isPackable(picture.format()))
        return QImage();
    const int width = picture.width();
    QImage levels(picture.size(), QImage::Format_Grayscale8);
    if (levels.isNull())
        return QImage();
    for (int y = 0; y < picture.height(); ++y) {
        const auto *in = reinterpret_cast<const quint32 *>(picture.constScanLine(y));
        uchar *out = levels.scanLine(y);
        // One test per row rather than per pixel keeps the loop free of
        // branches, so that the compiler can vectorise it.
        quint32 differs = 0;
        for (int x = 0; x < width; ++x) {
            const quint32 level = in[x] & 0xFFu;
            differs |= in[x] ^ opaqueGrey(level);
            out[x] = uchar(level);
        }
        if (differs)
            return QImage();
    }
    return levels;
}

QImage fromGreyLevels(const QImage &levels, QImage::Format format)
{
    if (levels.isNull() || levels.format() != QImage::Format_Grayscale8 || !isPackable(format))
        return QImage();
    const int width = levels.width();
    QImage picture(levels.size(), format);
    if (picture.isNull())
        return QImage();
    for (int y = 0; y < levels.height(); ++y) {
        const uchar *in = levels.constScanLine(y);
        auto *out = reinterpret_cast<quint32 *>(picture.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = opaqueGrey(in[x]);
    }
    return picture;
}

} // namespace HistoryPacking

KeptPicture::KeptPicture(const QImage &picture)
    : m_format(picture.format())
    , m_dotsPerMeterX(picture.dotsPerMeterX())
    , m_dotsPerMeterY(picture.dotsPerMeterY())
    , m_offset(picture.offset())
    , m_devicePixelRatio(picture.devicePixelRatio())
    , m_colorSpace(picture.colorSpace())
{
    for (const QString &key : picture.textKeys())
        m_texts.insert(key, picture.text(key));
    const QImage levels = HistoryPacking::greyLevels(picture);
    m_packed = !levels.isNull();
    m_kept = m_packed ? levels : picture;
}

QImage KeptPicture::picture() const
{
    if (!m_packed)
        return m_kept;
    QImage picture = HistoryPacking::fromGreyLevels(m_kept, m_format);
    if (picture.isNull())
        return picture;
    picture.setDotsPerMeterX(m_dotsPerMeterX);
    picture.setDotsPerMeterY(m_dotsPerMeterY);
    picture.setOffset(m_offset);
    picture.setDevicePixelRatio(m_devicePixelRatio);
    for (auto text = m_texts.cbegin(); text != m_texts.cend(); ++text)
        picture.setText(text.key(), text.value());
    if (m_colorSpace.isValid())
        picture.setColorSpace(m_colorSpace);
    return picture;
}

QImage HistoryPicture::show()
{
    if (!m_kept)
        return m_shown;
    m_shown = m_kept->picture();
    if (m_shown.isNull() && !m_kept->kept().isNull()) {
        // Rather the grey levels than no picture at all.
        qCWarning(lcCanvas) << "no memory to take a picture of the editing history back into"
                            << "its own format: shown as grey levels";
        m_shown = m_kept->kept();
    }
    m_kept.reset();
    return m_shown;
}

void HistoryPicture::putAway()
{
    if (m_kept)
        return;
    m_kept = std::make_unique<KeptPicture>(m_shown);
    m_shown = QImage();
}

QImage HistoryPicture::held() const
{
    return m_kept ? m_kept->kept() : m_shown;
}

KeptState HistoryPictures::keep(const CanvasState &state)
{
    const auto held = [this](const QImage &picture) {
        for (const auto &weak : m_shown) {
            const HistoryPictureRef shown = weak.lock();
            if (shown && shown->isShown() && shown->shownKey() == picture.cacheKey())
                return shown;
        }
        auto added = std::make_shared<HistoryPicture>(picture);
        m_shown.push_back(added);
        return added;
    };
    KeptState kept;
    kept.base = held(state.base);
    kept.working = held(state.working);
    kept.showsBase = state.showsBase;
    kept.look = state.look;
    return kept;
}

void HistoryPictures::putAwayAllBut(const KeptState &state)
{
    for (const auto &weak : m_shown) {
        const HistoryPictureRef picture = weak.lock();
        if (picture && picture != state.base && picture != state.working)
            picture->putAway();
    }
    m_shown = {state.base, state.working};
}

void HistoryPictures::shown(const KeptState &state)
{
    putAwayAllBut(state);
}

CanvasState HistoryPictures::show(const KeptState &state)
{
    putAwayAllBut(state);
    CanvasState shown;
    shown.base = state.base->show();
    shown.working = state.working->show();
    shown.showsBase = state.showsBase;
    shown.look = state.look;
    return shown;
}

CanvasStateCommand::CanvasStateCommand(DrawImage *canvas, const KeptState &before,
                                       const KeptState &after, const QString &text)
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
        for (const HistoryPictureRef &picture : step->pictures()) {
            const QImage data = picture->held();
            if (data.isNull() || counted.contains(data.cacheKey()))
                continue;
            counted << data.cacheKey();
            bytes += data.sizeInBytes();
        }
    }
    return bytes;
}
