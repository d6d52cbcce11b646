#pragma once

#include "drawboard/canvashistory.h"
#include "engraver/jobbuffer.h"
#include "imaging/algorithms.h"
#include "imaging/engravingjob.h"
#include "imaging/looks.h"
#include "imaging/pictureloader.h"
#include "imaging/processalgorithm.h"
#include "imaging/watchedload.h"
#include "imaging/workmemory.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QString>
#include <QVariantList>

#include <functional>
#include <optional>

class ImageProcess;
class QPainterPath;
class QUndoStack;

// The canvas on which the user prepares a picture for engraving. One item
// unit is one picture pixel: the item takes the size of the displayed picture
// after every change of it, and paints it unscaled. Long image work runs on
// the global thread pool (see ImageProcess); while a run is under way the
// canvas is busy: it paints nothing and refuses everything that would touch
// an image, and further process() calls wait in a queue.
class DrawImage : public QQuickPaintedItem
{
    Q_OBJECT
    Q_PROPERTY(int penSize READ penSize WRITE setPenSize)
    Q_PROPERTY(QColor penColor READ penColor WRITE setPenColor)
    Q_PROPERTY(int rubberSize READ rubberSize WRITE setRubberSize)
    Q_PROPERTY(PenStyle penStyle READ penStyle WRITE setPenStyle)
    Q_PROPERTY(DrawType drawType READ drawType WRITE setDrawType)
    Q_PROPERTY(int textSize READ textSize WRITE setTextSize)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(QString textFont READ textFont WRITE setTextFont)
    Q_PROPERTY(QString imageSaveAddr READ imageSaveAddr)
    // Where done() and SaveByte put the engraving job: the engraver
    // controller's buffer (operationEnd.jobBuffer). Without one, jobs are
    // made and dropped.
    Q_PROPERTY(JobBuffer *jobBuffer READ jobBuffer WRITE setJobBuffer)
    // The tone applied before each look (brightness and contrast -100..100,
    // gamma 0.2..5; 0, 0, 1 change nothing), and the dithering the "Floyd"
    // look uses: the method (DitherMethod; Floyd by default), serpentine
    // scanning, the halftone cell and the laser's dot size in engraving
    // pixels for the spot compensation (1: none).
    Q_PROPERTY(double toneBrightness MEMBER m_toneBrightness)
    Q_PROPERTY(double toneContrast MEMBER m_toneContrast)
    Q_PROPERTY(double toneGamma MEMBER m_toneGamma)
    Q_PROPERTY(DitherMethod ditherMethod MEMBER m_ditherMethod)
    Q_PROPERTY(bool ditherSerpentine MEMBER m_ditherSerpentine)
    Q_PROPERTY(int halftoneCell MEMBER m_halftoneCell)
    Q_PROPERTY(double dotSize MEMBER m_dotSize)
    // The material's measured response (16 grey-step levels, white step
    // first): each look then asks the engraver for the levels that come out
    // as the picture's after the tone. Empty, or levels no response fits:
    // no correction.
    Q_PROPERTY(QVariantList toneResponse READ toneResponse WRITE setToneResponse)
    // Whether an edit can be taken back or done again now: never while a
    // run is under way, since the run works on the pictures an undo would
    // swap.
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY historyChanged)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY historyChanged)
    // The look of the picture on show (GreyFilter, Binarize or Floyd) and
    // its threshold. Every look is worked out from the grey picture with
    // every edit made so far, so changing it keeps the edits; undo and redo
    // bring back the look that was on show with each picture. The page
    // lights its look button and sets its slider from these. A picture not
    // yet given a look (the blank one, a picture just loaded) counts as the
    // grey look, whose threshold (60 blank, 255 loaded) leaves it as it is.
    Q_PROPERTY(ProcessAlgorithm look READ look NOTIFY lookChanged)
    Q_PROPERTY(double lookThreshold READ lookThreshold NOTIFY lookChanged)
    // True from the start of a run until the last queued run has ended: the
    // page shows its busy indicator and offers no action the canvas would
    // refuse meanwhile.
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    // How long a picture may take to load, in ms, before the load is given
    // up (10 s; 0 or less: never): a file on a share that stopped answering
    // must not keep the page waiting for good.
    Q_PROPERTY(int loadTimeout READ loadTimeout WRITE setLoadTimeout)

public:
    enum PenStyle { Solid = 0, Fur = 1, Net = 2, RandomCircle = 3 };
    Q_ENUM(PenStyle)
    enum DrawType { PenType = 0, RubberType = 1, TextType = 2 };
    Q_ENUM(DrawType)
    // Imaging::Algorithm, named for QML (DrawBoard.SaveByte).
    enum ProcessAlgorithm {
        Grey = Imaging::Grey,
        Rotate = Imaging::Rotate,
        HMirror = Imaging::HMirror,
        VMirror = Imaging::VMirror,
        Negative = Imaging::Negative,
        Binarize = Imaging::Binarize,
        Floyd = Imaging::Floyd,
        GreyFilter = Imaging::GreyFilter,
        SaveByte = Imaging::SaveByte,
        AlgorithmCount = Imaging::AlgorithmCount
    };
    Q_ENUM(ProcessAlgorithm)
    // As Imaging::DitherMethod.
    enum DitherMethod {
        FloydSteinberg = 0,
        Atkinson,
        JarvisJudiceNinke,
        Stucki,
        Sierra,
        Bayer,
        Halftone
    };
    Q_ENUM(DitherMethod)

    explicit DrawImage(QQuickItem *parent = nullptr);
    ~DrawImage() override;

    int penSize() const { return m_penSize; }
    void setPenSize(int size) { m_penSize = size; }
    QColor penColor() const { return m_penColor; }
    void setPenColor(const QColor &color) { m_penColor = color; }
    int rubberSize() const { return m_rubberSize; }
    void setRubberSize(int size) { m_rubberSize = size; }
    PenStyle penStyle() const { return m_penStyle; }
    void setPenStyle(PenStyle style) { m_penStyle = style; }
    DrawType drawType() const { return m_drawType; }
    void setDrawType(DrawType type) { m_drawType = type; }
    int textSize() const;
    void setTextSize(int size) { m_textSize = size; }
    QColor textColor() const;
    void setTextColor(const QColor &color) { m_textColor = color; }
    QString textFont() const;
    void setTextFont(const QString &family) { m_textFont = family; }
    QString imageSaveAddr() const { return m_imageSaveAddr; }
    JobBuffer *jobBuffer() const { return m_jobBuffer; }
    void setJobBuffer(JobBuffer *buffer) { m_jobBuffer = buffer; }

    // For tests and the page's state: the picture shown and edited, and
    // whether a run is under way or waiting.
    QImage displayedImage() const { return m_displayed ? *m_displayed : QImage(); }
    QImage strokeLayer() const { return m_strokeLayer; }
    // The grey picture with every edit made so far, which the next look
    // starts from.
    QImage editedGrey() const { return m_baseImage; }
    bool isBusy() const { return m_busy; }
    ProcessAlgorithm look() const { return ProcessAlgorithm(m_look.algorithm); }
    // The tone and dithering the next look runs with.
    Imaging::LookSettings lookSettings() const;
    QVariantList toneResponse() const { return m_toneResponse; }
    void setToneResponse(const QVariantList &levels);
    double lookThreshold() const { return m_look.threshold; }

signals:
    void finished(DrawImage::ProcessAlgorithm algorithm);
    void propertyChanged();
    void saveDone();
    void loadImageDone();
    void busyChanged();
    // Each time a picture in a look is put on show, whether or not the look
    // or its threshold differ from the last one.
    void lookChanged();

public slots:
    void process(DrawImage::ProcessAlgorithm algorithm, double para);
    void process(DrawImage::ProcessAlgorithm algorithm);
    void finishProcess(DrawImage::ProcessAlgorithm algorithm);

public:
    Q_INVOKABLE void init();
    Q_INVOKABLE void load(QString fileSource);
    // A picture that is no file: encoded bytes (a pasted PNG, JPEG…) or a
    // decoded picture, loaded with the same checks, caps and signals as a
    // file. name stands for the file: saving writes new_ and its file name
    // into its folder.
    void loadBytes(const QByteArray &bytes, const QString &name);
    void loadImage(const QImage &picture, const QString &name);
    // A picture this canvas made (a work file's): loaded as any picture,
    // with the same signals and a new history, but at its own size, which
    // may be above the cap of a loaded picture once it was resized.
    void loadEdited(const QImage &picture, const QString &name);
    Q_INVOKABLE void clear();
    Q_INVOKABLE void drawText(int x, int y, QString text);
    Q_INVOKABLE void cutImage(int x, int y, int i_width, int i_height);
    // True when the file was written.
    Q_INVOKABLE bool saveImage();
    Q_INVOKABLE void done();
    // Resizes the picture to w × h millimetres, as large as fits in them
    // with its ratio kept, or stretched to them when keepAspect is false.
    Q_INVOKABLE void adjustImageScale(int w, int h, bool keepAspect = true);
    // Take back the last edit, or do again the last one taken back; refused
    // while a run is under way.
    Q_INVOKABLE void undo();
    Q_INVOKABLE void redo();

    bool canUndo() const;
    bool canRedo() const;
    // The editing history: at most historyLimit steps, each holding the
    // picture its edit wrote, at one byte a pixel once the canvas has moved
    // on from it if it is grey (see CanvasStateCommand).
    QUndoStack *history() const { return m_history; }
    static constexpr int historyLimit = 30;
    // What the history's pictures take in memory beyond the pictures on
    // show (with them when `countShown`), for tests and benchmarks.
    qint64 historyBytes(bool countShown = false) const;

    // Puts the pictures back as they were in a step of the history.
    void restoreState(const KeptState &state);

    // Whether a picture file is being read; the current picture stays until
    // the new one is ready.
    bool isLoading() const { return m_loading->running(); }
    int loadTimeout() const { return m_loading->timeout(); }
    void setLoadTimeout(int ms) { m_loading->setTimeout(ms); }

    // Where saveImage writes: "new_" and the loaded file's name, beside it.
    QString savedPath() const;

signals:
    // The file could not be read, was not a regular file, was too large to
    // decode, or the canvas was busy; or, with givenUp, it took longer than
    // loadTimeout. The current picture is kept and no loadImageDone follows.
    void loadFailed(bool givenUp);
    // The file ended early: what could be read of it has been loaded (its
    // Grey run follows as for any picture), the rest is missing.
    void loadIncomplete();
    void historyChanged();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paint(QPainter *painter) override;

private:
    // Called through ImageProcess's callbacks once a run has been reported.
    void startQueuedRun();
    // Called through ImageProcess's callbacks when a SaveByte run is
    // reported: the run's preview (when done() asked for one) and records
    // become the published job together.
    void publishJob(Imaging::EngravingJob job);
    // What a SaveByte run starts from: the spent job's memory and, when
    // done() asked for it, the size of the preview to make.
    Imaging::EngravingJob jobToBuild(const QImage &picture);
    // A picture file has been read on the loader thread.
    void startLoad(const QString &name, std::function<Imaging::LoadedPicture()> work);
    // The load under way no longer counts.
    void giveUpLoad();
    void loadTimedOut();
    void pictureLoaded(const Imaging::LoadedPicture &loaded);
    void installPicture(const Imaging::LoadedPicture &loaded);

    CanvasState currentState() const;
    // An edit starts: the pictures as they are now are kept for its step.
    void beginEdit();
    // The edit is over: a step is recorded if it changed anything.
    void endEdit(const QString &what);
    void startRun(ProcessAlgorithm algorithm, double para);
    // The one place m_busy changes, so that busyChanged never misses a change.
    void setBusy(bool busy);
    bool refuseWhileBusy(const char *what) const;
    void showLook(const ShownLook &look);

    // Draws an edit into the picture on show and into the grey picture the
    // looks start from, so that the next look keeps it: `draw` is called
    // once for each, with `grey` true for the grey one, where colours are
    // given as greyOf() them.
    void drawOnPictures(const std::function<void(QPainter &painter, bool grey)> &draw);
    static QColor greyOf(const QColor &colour);

    void setupStrokePen(QPainter &painter, int width, Qt::BrushStyle style, const QColor &color);
    int randomBetween(int low, int high);
    void commitStroke(const QPainterPath &path);
    void clearStrokePoints();
    void drawSolidStep();
    void drawFurStep();
    void drawNetStep();
    void drawRandomCircleStep(int distance2);
    void drawRubberStep();
    void drawHairs(bool fur);

    struct QueuedRun
    {
        ProcessAlgorithm algorithm;
        double para;
    };

    QColor m_penColor;
    // The grey picture with every edit so far (the picture as loaded and
    // turned grey, then cropped, resized, turned, mirrored, negated, drawn
    // and written on, in the order of the edits): every look starts from it.
    QImage m_baseImage;
    // The picture on show and drawn on: a look of the base, with the edits
    // made since that look.
    QImage m_workingImage;
    QImage m_strokeLayer;
    QImage *m_displayed = nullptr;
    QPointF m_previousPoint;
    QPointF m_lastPoint;
    QPainterPath *m_strokePath = nullptr;
    ImageProcess *m_process = nullptr;
    QList<QPointF *> m_strokePoints;
    bool m_hideLayer = true;
    bool m_busy = false;
    int m_rubberSize = 10;
    int m_penSize = 10;
    PenStyle m_penStyle = Solid;
    DrawType m_drawType = PenType;
    QColor m_textColor;
    QString m_textFont;
    int m_textSize = 10;
    QString m_imageSaveAddr;
    QString m_sourcePath;
    QList<QueuedRun> m_queuedRuns; // requested while a run was under way, in order
    // The blank picture counts as grey at the page's first threshold, 60,
    // where white stays white.
    ShownLook m_look {Imaging::GreyFilter, 60};
    ShownLook m_lookUnderWay; // what the look run under way will show
    QPointer<JobBuffer> m_jobBuffer;
    double m_toneBrightness = 0;
    double m_toneContrast = 0;
    double m_toneGamma = 1;
    DitherMethod m_ditherMethod = FloydSteinberg;
    bool m_ditherSerpentine = false;
    int m_halftoneCell = 6;
    double m_dotSize = 1;
    QVariantList m_toneResponse;
    std::optional<std::array<uchar, 256>> m_toneCorrection;
    bool m_previewWanted = false; // done() asked the next SaveByte job for a preview
    // The load whose result counts; an older one still reading is ignored.
    Imaging::WatchedLoad *m_loading = nullptr; // child of this item
    QString m_loadName;
    // A picture read while a run was under way, installed once the runs end.
    std::optional<Imaging::LoadedPicture> m_pendingPicture;
    QUndoStack *m_history = nullptr; // child of this item
    HistoryPictures m_historyPictures; // the pictures of the history's steps
    std::optional<CanvasState> m_editBefore; // the pictures when the edit under way began
    // Memory for the looks and the jobs, made on the loader thread with
    // each picture and taken back from the history.
    Imaging::WorkMemory m_memory;
};
