#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

class QDateTime;
class QJSEngine;
class QQmlEngine;

class DrawImage;

// The ways a picture reaches the editing page besides a drop, each ending in
// the canvas's one load (the same size cap, the same refusal of what cannot
// be read): the open dialog's filters, the clipboard, and the file named on
// the command line. A QML singleton ("Zan.Desktop" 1.0, PictureFiles).
class PictureFiles : public QObject
{
    Q_OBJECT
    // For the open dialog's filter: a pattern for every format this Qt can
    // read ("*.bmp *.gif …"); the page puts its own translated label on it.
    Q_PROPERTY(QString patterns READ patterns CONSTANT)
    // The picture named on the command line, as a file URL; empty when none.
    Q_PROPERTY(QUrl startupFile READ startupFile CONSTANT)

public:
    explicit PictureFiles(QObject *parent = nullptr);
    ~PictureFiles() override;

    static QObject *create(QQmlEngine *engine, QJSEngine *scriptEngine);

    QString patterns() const;
    QUrl startupFile() const { return s_startupFile; }

    // A file copied to the clipboard (the first of several), as a URL;
    // empty when the clipboard holds none.
    Q_INVOKABLE QUrl clipboardFile() const;
    // Hands a picture copied to the clipboard to the canvas, which decodes
    // it on its loader thread with the checks of any file: the encoded bytes
    // the clipboard offers (PNG first, else any format this Qt reads), or a
    // picture copied within this program. False when it holds no picture.
    // The picture is named pasted-<date>-<time>.png in the Pictures folder
    // (the home folder when there is none), where saving puts new_ and that
    // name.
    Q_INVOKABLE bool pasteInto(DrawImage *canvas) const;
    // The name a picture pasted at the given time gets.
    static QString pastedName(const QDateTime &when);
    // The folder a file URL lies in, as a URL, for remembering where the
    // user last opened a picture.
    Q_INVOKABLE QUrl folderOf(const QUrl &file) const;

    // The file the canvas's Save writes: new_ and the name of the picture's
    // file, in its folder.
    Q_INVOKABLE QString savedFile(DrawImage *canvas) const;

    // Writes the picture on show for other programs (see
    // Imaging::exportedPicture: one bit a pixel, or 8-bit grey for the grey
    // look, at its true size) as PNG to the file chosen, on a pool thread:
    // a large picture takes tens of milliseconds to compress. Its end comes
    // by pictureExported. False, and nothing written, when there is no
    // picture to take now: no canvas, a run of it under way, or no local
    // file.
    Q_INVOKABLE bool exportPicture(DrawImage *canvas, const QUrl &file, bool greyLook,
                                   double threshold);
    // The file written for the name chosen: ".png" is added unless the name
    // ends so, since a PNG is what is written whatever the name says.
    static QString exportPath(const QString &chosen);

    // The first argument that is not an option, taken as a file name
    // relative to the current directory (a file URL is taken as it is).
    static QUrl fileFromArguments(const QStringList &arguments);
    static void setStartupFile(const QUrl &file) { s_startupFile = file; }

signals:
    // An export has ended: `path` is the file written, or tried; `error` is
    // empty when it was written, else why it was not.
    void pictureExported(const QString &path, const QString &error);

private:
    static QUrl s_startupFile;
};
