#pragma once

#include "imaging/pictureloader.h"
#include "workfile/workformat.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVariantMap>

#include <memory>

class QJSEngine;
class QQmlEngine;
class QTimer;

class DrawImage;

// "Save work" and "Open work" for the editing page (a QML singleton,
// "Zan.Desktop" 1.0, WorkFiles): the file's format is WorkFile's; this
// gathers what goes in it and hands back what came out, and does the
// writing, the reading and the decoding off the GUI thread.
//
// What the page hands over and gets back of the control page (`engraver`)
// is a map: laserPower and depth in percent, fan, and, once a picture has
// been placed on the engraving area, placed true with x and y, its top-left
// corner in millimetres. An empty map: no such part.
class WorkFiles : public QObject
{
    Q_OBJECT
    // The work files' name pattern, for the dialogs' filters.
    Q_PROPERTY(QString pattern READ pattern CONSTANT)
    // How long reading a file may take, in ms, before it is given up (10 s),
    // as for a picture: a share that stopped answering must not keep the
    // page waiting for good.
    Q_PROPERTY(int timeout MEMBER m_timeout)

public:
    // Why a work file was not opened (see WorkFile::Problem), and TimedOut.
    enum Problem {
        NoProblem = int(WorkFile::Problem::None),
        Unreadable = int(WorkFile::Problem::Unreadable),
        TooLarge = int(WorkFile::Problem::TooLarge),
        NotWorkFile = int(WorkFile::Problem::NotWorkFile),
        Damaged = int(WorkFile::Problem::Damaged),
        NewerVersion = int(WorkFile::Problem::NewerVersion),
        BadValue = int(WorkFile::Problem::BadValue),
        BadPicture = int(WorkFile::Problem::BadPicture),
        TimedOut,
    };
    Q_ENUM(Problem)

    explicit WorkFiles(QObject *parent = nullptr);
    ~WorkFiles() override;

    static QObject *create(QQmlEngine *engine, QJSEngine *scriptEngine);

    QString pattern() const;

    // Whether the file named (a URL or a path; of a drop's list, the first)
    // is a work file, by its name as the file manager tells it.
    Q_INVOKABLE bool isWorkFile(const QVariant &source) const;

    // Writes the canvas's edited picture with its look, tone and dithering,
    // and the control page's part, to the file chosen (".vandra" added to
    // a name without it) on a pool thread; workSaved tells its end. False,
    // and nothing written, when there is nothing to take now: no canvas, a
    // run or a load of it under way, or no local file.
    Q_INVOKABLE bool save(DrawImage *canvas, const QUrl &file, const QVariantMap &engraver);

    // Reads and checks the work file on a loader thread. When it holds a
    // work, workOpened tells its settings and the picture goes to the
    // canvas as a new load (loadImageDone follows, or loadFailed); when not,
    // workRefused says why, and nothing on show changes. A newer open
    // replaces one still reading. False when there is no canvas or no local
    // file to read.
    Q_INVOKABLE bool open(DrawImage *canvas, const QVariant &source);

    // The work's settings as workOpened gives them: look (DrawBoard's
    // algorithm), threshold, brightness, contrast, gamma, ditherMethod
    // (DrawBoard's), serpentine, halftoneCell, dotSize, and engraver when
    // the file has that part.
    static QVariantMap settingsOf(const WorkFile::Work &work);
    // The control page's part from the page's map, every value held to its
    // range.
    static std::optional<WorkFile::Engraver> engraverFrom(const QVariantMap &map);

signals:
    // `error` is empty when the work was written to `path`, else why not.
    void workSaved(const QString &path, const QString &error);
    void workOpened(const QString &path, const QVariantMap &work);
    // `problem` is a Problem; `detail` says more, in English, for the log.
    void workRefused(const QString &path, int problem, const QString &detail);

private:
    void giveUp();
    void readFinished();
    void timedOut();

    QPointer<DrawImage> m_canvas;
    QString m_path;
    Imaging::LoaderPool::Load m_load;
    // Filled on the loader thread before its result is handed over.
    std::shared_ptr<WorkFile::ReadResult> m_result;
    QFutureWatcher<Imaging::LoadedPicture> *m_watcher = nullptr;
    QTimer *m_timer = nullptr;
    int m_timeout = 10000;
};
