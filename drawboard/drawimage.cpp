#include "drawboard/drawimage.h"

#include "drawboard/canvaslog.h"

#include "engraver/jobbuffer.h"
#include "imaging/algorithms.h"
#include "imaging/engravingjob.h"
#include "imaging/imageprocess.h"
#include "imaging/tonecalibration.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMutexLocker>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QUndoStack>
#include <QUrl>

Q_LOGGING_CATEGORY(lcCanvas, "vandra.canvas")

namespace {

constexpr int blankSide = 680;

const QColor transparentWhite(255, 255, 255, 0);
const QColor opaqueWhite(255, 255, 255, 255);

// A file URL, or a plain path, which is taken exactly as given: a name may
// begin or end with spaces.
QString localPathOfUrl(const QString &text)
{
    const QUrl url(text, QUrl::TolerantMode);
    if (url.isLocalFile())
        return url.toLocalFile();
    return url.scheme().isEmpty() ? text : QString();
}

// What the page hands over: one file URL or path, or what was dropped,
// several URLs joined by commas (or lines, as a URI list has them). The
// first file is taken, unless the whole text names a file (a file name may
// contain a comma). Line breaks and leading blanks around a URL list are
// dropped, as no URL holds them; a plain path is never trimmed.
QString localPathOfDrop(const QString &fileSource)
{
    static const QRegularExpression around(QStringLiteral("^[\\s]+|[\\r\\n]+$"));
    static const QRegularExpression lineBreak(QStringLiteral("[\\r\\n]+"));
    QString list = fileSource;
    list.remove(around);
    if (!QUrl(list, QUrl::TolerantMode).isLocalFile())
        return localPathOfUrl(fileSource);
    list = list.section(lineBreak, 0, 0);
    const QString whole = localPathOfUrl(list);
    if (!list.contains(QLatin1Char(',')) || QFileInfo::exists(whole))
        return whole;
    return localPathOfUrl(list.section(QLatin1Char(','), 0, 0));
}

bool isLook(DrawImage::ProcessAlgorithm algorithm)
{
    return Imaging::isLook(Imaging::Algorithm(algorithm));
}

QImage filledImage(const QSize &size, QImage::Format format, const QColor &color)
{
    QImage image(size, format);
    image.fill(color);
    return image;
}

} // namespace

DrawImage::DrawImage(QQuickItem *parent)
    : QQuickPaintedItem(parent)
    , m_penColor(QStringLiteral("black"))
    , m_textColor(QStringLiteral("black"))
    , m_textFont(QStringLiteral("Arial"))
{
    // Until init, clear or load the displayed picture is the (null) working
    // image, so that nothing ever follows a dangling choice.
    m_displayed = &m_workingImage;
    // finished() carries the algorithm: spies and queued listeners need the type.
    qRegisterMetaType<DrawImage::ProcessAlgorithm>();
    // The pipeline reports each run through these, on the GUI thread: a
    // SaveByte run's job is published before finished() is heard of, and the
    // next queued run starts once nothing is under way.
    ImageProcess::Callbacks callbacks;
    callbacks.jobBuilt = [this](Imaging::EngravingJob job) {
        publishJob(std::move(job));
    };
    callbacks.reported = [this](Imaging::Algorithm algorithm) {
        emit finished(ProcessAlgorithm(algorithm));
    };
    callbacks.idle = [this] {
        startQueuedRun();
    };
    m_process = new ImageProcess(this, std::move(callbacks));
    m_loading = new Imaging::WatchedLoad(this);
    connect(m_loading, &Imaging::WatchedLoad::finished, this, &DrawImage::pictureLoaded);
    connect(m_loading, &Imaging::WatchedLoad::timedOut, this, &DrawImage::loadTimedOut);
    m_history = new QUndoStack(this);
    m_history->setUndoLimit(historyLimit);
    connect(m_history, &QUndoStack::canUndoChanged, this, &DrawImage::historyChanged);
    connect(m_history, &QUndoStack::canRedoChanged, this, &DrawImage::historyChanged);
    // Undo and redo are not offered while a run works on the pictures.
    connect(this, &DrawImage::busyChanged, this, &DrawImage::historyChanged);
    qDebug() << QEvent::Type(ensureAutoRunEventType());
    setAcceptedMouseButtons(Qt::LeftButton);
    connect(this, &DrawImage::finished, this, &DrawImage::finishProcess);
    m_imageSaveAddr = QDir::currentPath();
    m_sourcePath = QStringLiteral("%1/%2_%3")
                       .arg(QDir::currentPath(), QStringLiteral("new"), QStringLiteral(".jpg"));
}

DrawImage::~DrawImage()
{
    // A load still reading may hang on its file: the pool goes on without it.
    giveUpLoad();
    // First the runs: the process object waits for one that still works on
    // an image of this canvas.
    m_queuedRuns.clear();
    delete m_process;
    m_process = nullptr;
    clearStrokePoints();
    delete m_strokePath;
}

int DrawImage::textSize() const
{
    return m_textSize;
}

QColor DrawImage::textColor() const
{
    return m_textColor;
}

QString DrawImage::textFont() const
{
    return m_textFont;
}

void DrawImage::showLook(const ShownLook &look)
{
    m_look = look;
    emit lookChanged();
}

bool DrawImage::refuseWhileBusy(const char *what) const
{
    if (!m_busy)
        return false;
    qCDebug(lcCanvas) << what << "refused: the canvas is busy with a run";
    return true;
}

void DrawImage::paint(QPainter *painter)
{
    if (m_busy)
        return;
    const QImage &shown = *m_displayed;
    painter->drawImage(QRectF(0, 0, shown.width(), shown.height()), shown,
                       QRectF(0, 0, shown.width(), shown.height()));
    if (!m_hideLayer) {
        painter->drawImage(QRectF(0, 0, m_strokeLayer.width(), m_strokeLayer.height()),
                           m_strokeLayer,
                           QRectF(0, 0, m_strokeLayer.width(), m_strokeLayer.height()));
    }
}

void DrawImage::init()
{
    if (refuseWhileBusy("init"))
        return;
    const QSize size(static_cast<int>(width()), static_cast<int>(height()));
    m_strokeLayer = filledImage(size, QImage::Format_ARGB32, transparentWhite);
    m_baseImage = filledImage(size, QImage::Format_ARGB32, opaqueWhite);
    m_workingImage = m_baseImage;
    m_displayed = &m_workingImage;
    m_history->clear();
    m_historyPictures.clear();
    showLook({Imaging::GreyFilter, 60});
}

void DrawImage::clear()
{
    if (refuseWhileBusy("clear"))
        return;
    beginEdit();
    const QSize size(blankSide, blankSide);
    m_strokeLayer = filledImage(size, QImage::Format_ARGB32, transparentWhite);
    m_baseImage = filledImage(size, QImage::Format_ARGB32, opaqueWhite);
    m_workingImage = m_baseImage;
    m_displayed = &m_workingImage;
    qDebug() << "done";
    endEdit(QStringLiteral("clear"));
    setWidth(m_displayed->width());
    setHeight(m_displayed->height());
    emit propertyChanged();
    update();
}

void DrawImage::load(QString fileSource)
{
    const QString path = localPathOfDrop(fileSource);
    startLoad(path, [path] { return Imaging::loadPicture(path); });
}

void DrawImage::loadBytes(const QByteArray &bytes, const QString &name)
{
    startLoad(name, [bytes, name] { return Imaging::loadEncodedPicture(bytes, name); });
}

void DrawImage::loadImage(const QImage &picture, const QString &name)
{
    startLoad(name, [picture, name] { return Imaging::capPicture(picture, name); });
}

void DrawImage::loadEdited(const QImage &picture, const QString &name)
{
    startLoad(name, [picture, name] {
        Imaging::LoadedPicture loaded;
        loaded.path = name;
        loaded.image = picture.convertToFormat(QImage::Format_ARGB32);
        if (loaded.image.isNull())
            loaded.error = QStringLiteral("no picture");
        return loaded;
    });
}

void DrawImage::startLoad(const QString &name, std::function<Imaging::LoadedPicture()> work)
{
    if (refuseWhileBusy("load")) {
        emit loadFailed(false);
        return;
    }
    // Reading and decoding happen on a loader thread, so that no file (a
    // slow share, a huge picture) can freeze the window. A newer load
    // replaces an older one still reading: only the latest result counts.
    giveUpLoad();
    m_loadName = name;
    // The stroke layer and the memory the first looks and jobs write are
    // made on the loader thread too, once the picture is read: the GUI
    // thread only takes them over.
    const Imaging::MemoryOrder order = m_memory.order(m_jobBuffer != nullptr);
    m_loading->start([work = std::move(work), order] {
        Imaging::LoadedPicture loaded = work();
        if (!loaded.image.isNull()) {
            loaded.memory = std::make_shared<Imaging::PreparedMemory>(
                Imaging::prepareMemory(loaded.image, order));
        }
        return loaded;
    });
}

void DrawImage::giveUpLoad()
{
    m_loading->giveUp();
}

void DrawImage::loadTimedOut()
{
    qCWarning(lcCanvas) << "gave up loading" << m_loadName << "after" << m_loading->timeout()
                        << "ms";
    emit loadFailed(true);
}

void DrawImage::pictureLoaded(const Imaging::LoadedPicture &loaded)
{
    if (loaded.image.isNull()) {
        qCWarning(lcCanvas) << "cannot load" << loaded.path << "-" << loaded.error;
        emit loadFailed(false);
        return;
    }
    // A run still works on the current picture: the new one waits for it.
    if (m_process->hasRunUnderWay() || !m_queuedRuns.isEmpty()) {
        m_pendingPicture = loaded;
        return;
    }
    installPicture(loaded);
}

void DrawImage::installPicture(const Imaging::LoadedPicture &loaded)
{
    m_sourcePath = loaded.path;
    m_baseImage = loaded.image;
    Imaging::PreparedMemory prepared;
    if (loaded.memory)
        prepared = std::move(*loaded.memory);
    m_strokeLayer = prepared.strokeLayer.isNull()
        ? filledImage(m_baseImage.size(), m_baseImage.format(), transparentWhite)
        : std::move(prepared.strokeLayer);
    m_memory.receive(std::move(prepared), m_baseImage.size());
    if (loaded.incomplete)
        emit loadIncomplete();
    startRun(Grey, 0);
}

void DrawImage::process(DrawImage::ProcessAlgorithm algorithm, double para)
{
    if (algorithm < Grey || algorithm > SaveByte) {
        qCWarning(lcCanvas) << "process refused: there is no algorithm" << int(algorithm);
        return;
    }
    // One run at a time: a request made while another is under way (or
    // waiting) is queued, and its source image is chosen when it starts.
    if (m_process->hasRunUnderWay() || !m_queuedRuns.isEmpty()) {
        setBusy(true);
        // A look asked for again before the last one asked for has started
        // replaces it: a slider being dragged asks many times, and only the
        // newest value is worth the work.
        if (isLook(algorithm) && !m_queuedRuns.isEmpty() && isLook(m_queuedRuns.last().algorithm))
            m_queuedRuns.last() = {algorithm, para};
        else
            m_queuedRuns.append({algorithm, para});
        return;
    }
    startRun(algorithm, para);
}

void DrawImage::process(DrawImage::ProcessAlgorithm algorithm)
{
    process(algorithm, 0);
}

void DrawImage::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged();
}

void DrawImage::startRun(ProcessAlgorithm algorithm, double para)
{
    if (algorithm != Grey && algorithm != SaveByte)
        beginEdit();
    setBusy(true);
    QImage *source = m_displayed;
    switch (algorithm) {
    case Grey:
        m_displayed = &m_baseImage;
        source = m_displayed;
        break;
    case Binarize:
    case Floyd:
    case GreyFilter:
        // Each look starts again from the grey picture with every edit so
        // far: the look changes, the edits stay.
        m_workingImage = m_baseImage;
        m_displayed = &m_workingImage;
        source = m_displayed;
        m_lookUnderWay = {Imaging::Algorithm(algorithm), para};
        break;
    default:
        break;
    }
    qDebug() << "p start";
    auto *run = new AlgorithmAutoRun(m_process, source, Imaging::Algorithm(algorithm), para,
                                     lookSettings());
    if (algorithm == SaveByte)
        run->setJob(jobToBuild(*source));
    if (isLook(algorithm))
        run->setLookMemory(m_memory.takePicture(*source));
    // A turn, a mirror or the negative is an edit of the grey picture too.
    const bool edit = algorithm == Rotate || algorithm == HMirror || algorithm == VMirror
        || algorithm == Negative;
    if (edit && source != &m_baseImage)
        run->setEditedGrey(&m_baseImage);
    m_process->start(run);
}

Imaging::LookSettings DrawImage::lookSettings() const
{
    Imaging::LookSettings look;
    look.tone = {m_toneBrightness, m_toneContrast, m_toneGamma};
    look.dither.method = Imaging::DitherMethod(m_ditherMethod);
    look.dither.serpentine = m_ditherSerpentine;
    look.dither.cellSize = m_halftoneCell;
    look.dither.dotSize = m_dotSize;
    look.correction = m_toneCorrection;
    return look;
}

void DrawImage::setToneResponse(const QVariantList &levels)
{
    m_toneResponse = levels;
    std::vector<double> measured;
    for (const QVariant &level : levels)
        measured.push_back(level.toDouble());
    m_toneCorrection = Imaging::correctionForLevels(measured);
}

Imaging::EngravingJob DrawImage::jobToBuild(const QImage &picture)
{
    Imaging::EngravingJob job;
    if (!m_jobBuffer)
        return job;
    // The records go into the memory of the job before the published one,
    // which no data request reads any more, or, while there is none large
    // enough, into a store made with a picture.
    job.bytes
        = m_memory.records(m_jobBuffer->takeSpareBytes(), Imaging::maxRecordBytes(picture.size()));
    if (m_previewWanted) {
        const QSize enlarged(Imaging::engravingSize(picture.width()),
                             Imaging::engravingSize(picture.height()));
        job.previewSize = m_jobBuffer->previewSizeFor(enlarged);
    }
    return job;
}

void DrawImage::startQueuedRun()
{
    if (m_queuedRuns.isEmpty()) {
        if (m_pendingPicture) {
            const Imaging::LoadedPicture loaded = *m_pendingPicture;
            m_pendingPicture.reset();
            installPicture(loaded);
        }
        return;
    }
    const QueuedRun next = m_queuedRuns.takeFirst();
    startRun(next.algorithm, next.para);
}

void DrawImage::finishProcess(DrawImage::ProcessAlgorithm algorithm)
{
    if (m_process->hasRunUnderWay()) {
        qCDebug(lcCanvas) << "finishProcess refused: a run is under way";
        return;
    }
    QMutexLocker locker(m_process->mutex());
    // A picture read during the runs gets its Grey run next: still busy.
    const bool more = !m_queuedRuns.isEmpty() || m_pendingPicture.has_value();
    if (algorithm == Grey) {
        m_workingImage = m_baseImage;
        m_displayed = &m_workingImage;
    }
    // The page may answer the signals below with calls that take the mutex
    // (done) or start the next run.
    locker.unlock();
    setBusy(more);

    switch (algorithm) {
    case Grey:
        // A new picture starts a new history, and is shown as it is: grey,
        // with nothing filtered out.
        m_editBefore.reset();
        m_history->clear();
        m_historyPictures.clear();
        showLook({Imaging::GreyFilter, 255});
        emit loadImageDone();
        break;
    case SaveByte:
        emit saveDone();
        break;
    default:
        // The look's step records the look it put on show.
        if (isLook(algorithm))
            showLook(m_lookUnderWay);
        endEdit(QStringLiteral("run %1").arg(int(algorithm)));
        setWidth(m_displayed->width());
        setHeight(m_displayed->height());
        emit propertyChanged();
        update();
        break;
    }
}

void DrawImage::cutImage(int x, int y, int i_width, int i_height)
{
    if (refuseWhileBusy("cutImage"))
        return;
    beginEdit();
    const QRect kept(x, y, i_width, i_height);
    // While the grey picture is the one on show too (just loaded or
    // cleared), one copy serves both.
    const bool together = m_baseImage.cacheKey() == m_displayed->cacheKey();
    *m_displayed = m_displayed->copy(kept);
    if (m_displayed != &m_baseImage)
        m_baseImage = together ? *m_displayed : m_baseImage.copy(kept);
    emit finished(Rotate);
}

void DrawImage::adjustImageScale(int w, int h, bool keepAspect)
{
    if (refuseWhileBusy("adjustImageScale"))
        return;
    // Millimetres to canvas pixels: w / 0.05 mm / 1.5, rounded down.
    const auto toPixels = [](int millimetres) {
        return millimetres >= 0 ? int(qint64(millimetres) * 40 / 3) : 0;
    };
    const auto resized = [&](const QImage &picture) {
        return picture.scaled(toPixels(w), toPixels(h),
                              keepAspect ? Qt::KeepAspectRatio : Qt::IgnoreAspectRatio,
                              Qt::SmoothTransformation);
    };
    const QImage scaled = resized(*m_displayed);
    // The grey picture takes the same size, so that the next look keeps it;
    // while it is the one on show too, it is that one.
    const bool together = m_baseImage.cacheKey() == m_displayed->cacheKey();
    const QImage scaledGrey = together ? scaled : resized(m_baseImage);
    const bool wanted = toPixels(w) > 0 && toPixels(h) > 0;
    if (wanted
        && ((scaled.isNull() && !m_displayed->isNull())
            || (scaledGrey.isNull() && !m_baseImage.isNull()))) {
        qCWarning(lcCanvas) << "cannot resize to" << w << "x" << h
                            << "mm: no memory for the picture";
        return;
    }
    beginEdit();
    *m_displayed = scaled;
    if (m_displayed != &m_baseImage)
        m_baseImage = scaledGrey;
    endEdit(QStringLiteral("size"));
    setWidth(m_displayed->width());
    setHeight(m_displayed->height());
    emit propertyChanged();
    update();
}

CanvasState DrawImage::currentState() const
{
    return {m_baseImage, m_workingImage, m_displayed == &m_baseImage, m_look};
}

void DrawImage::beginEdit()
{
    m_editBefore = currentState();
}

void DrawImage::endEdit(const QString &what)
{
    if (!m_editBefore)
        return;
    CanvasState before = std::move(*m_editBefore);
    m_editBefore.reset();
    const CanvasState after = currentState();
    if (before.sameAs(after))
        return;
    const KeptState keptBefore = m_historyPictures.keep(before);
    const KeptState keptAfter = m_historyPictures.keep(after);
    m_history->push(new CanvasStateCommand(this, keptBefore, keptAfter, what));
    // The pictures the edit replaced are no longer on show: the history
    // puts them away, at one byte a pixel when they are grey. Their memory,
    // when nothing holds it any more, is what the next looks write into.
    m_historyPictures.shown(keptAfter);
    m_memory.reclaim(std::move(before.working));
    m_memory.reclaim(std::move(before.base));
}

qint64 DrawImage::historyBytes(bool countShown) const
{
    return historyPictureBytes(*m_history, currentState(), countShown);
}

bool DrawImage::canUndo() const
{
    return !m_busy && m_history->canUndo();
}

bool DrawImage::canRedo() const
{
    return !m_busy && m_history->canRedo();
}

void DrawImage::undo()
{
    if (refuseWhileBusy("undo"))
        return;
    m_history->undo();
}

void DrawImage::redo()
{
    if (refuseWhileBusy("redo"))
        return;
    m_history->redo();
}

void DrawImage::restoreState(const KeptState &kept)
{
    // The pictures on show are let go first, so that once put away their
    // memory is free again before the pictures coming back take theirs.
    m_baseImage = QImage();
    m_workingImage = QImage();
    const CanvasState state = m_historyPictures.show(kept);
    m_baseImage = state.base;
    m_workingImage = state.working;
    m_displayed = state.showsBase ? &m_baseImage : &m_workingImage;
    // The look buttons and slider follow the picture back.
    showLook(state.look);
    setWidth(m_displayed->width());
    setHeight(m_displayed->height());
    emit propertyChanged();
    update();
}

void DrawImage::done()
{
    if (refuseWhileBusy("done"))
        return;
    // The preview is made by the SaveByte run that follows, from the same
    // picture as its records and off the GUI thread: the control page never
    // sees one job's preview with another's records.
    m_previewWanted = true;
}

void DrawImage::publishJob(Imaging::EngravingJob job)
{
    // A null picture builds no job: the published one stays.
    if (!job.built)
        return;
    if (m_jobBuffer)
        m_jobBuffer->publish(job.preview, std::move(job.bytes), job.xmin, job.ymin, job.xmax,
                             job.ymax, job.pictureSize);
    m_previewWanted = false;
}

QString DrawImage::savedPath() const
{
    const QFileInfo source(m_sourcePath);
    return QStringLiteral("%1/%2_%3").arg(source.path(), QStringLiteral("new"), source.fileName());
}

bool DrawImage::saveImage()
{
    if (refuseWhileBusy("saveImage"))
        return false;
    const QFileInfo source(m_sourcePath);
    m_imageSaveAddr = source.path();
    const QString target = savedPath();
    // The writer is chosen from the name's suffix, blanks around it left
    // out: the file itself keeps the name exactly as the picture's.
    const QByteArray suffix = source.suffix().trimmed().toLower().toLatin1();
    const bool known = QImageWriter::supportedImageFormats().contains(suffix);
    const bool written = m_displayed->save(target, known ? suffix.constData() : nullptr);
    if (!written)
        qCWarning(lcCanvas) << "cannot save the picture to" << target;
    return written;
}
