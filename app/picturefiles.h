#pragma once

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

class QJSEngine;
class QQmlEngine;

// The ways a picture reaches the editing page besides a drop, each ending in
// a file URL for the canvas's one load path (the same size cap, the same
// refusal of what cannot be read): the open dialog's filters, the clipboard,
// and the file named on the command line. A QML singleton ("Zan.Desktop"
// 1.0, PictureFiles).
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

    // What the clipboard holds, as a file to load: a copied file (the first
    // of several), or a copied picture written to a temporary PNG kept for
    // the program's life. Empty when it holds neither.
    Q_INVOKABLE QUrl clipboardPicture();
    // The folder a file URL lies in, as a URL, for remembering where the
    // user last opened a picture.
    Q_INVOKABLE QUrl folderOf(const QUrl &file) const;

    // The first argument that is not an option, taken as a file name
    // relative to the current directory (a file URL is taken as it is).
    static QUrl fileFromArguments(const QStringList &arguments);
    static void setStartupFile(const QUrl &file) { s_startupFile = file; }

private:
    static QUrl s_startupFile;
    std::unique_ptr<QTemporaryDir> m_pasted;
    int m_pastes = 0;
};
