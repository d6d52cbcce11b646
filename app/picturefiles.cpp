#include "app/picturefiles.h"

#include "app/backgroundwrite.h"

#include "drawboard/drawimage.h"
#include "imaging/pictureexport.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLoggingCategory>
#include <QMimeData>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QtConcurrent>

Q_DECLARE_LOGGING_CATEGORY(lcDesktop)

QUrl PictureFiles::s_startupFile;

PictureFiles::PictureFiles(QObject *parent)
    : QObject(parent)
{ }

PictureFiles::~PictureFiles() = default;

QObject *PictureFiles::create(QQmlEngine *engine, QJSEngine *)
{
    return new PictureFiles(engine);
}

QString PictureFiles::patterns() const
{
    QStringList patterns;
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray &format : formats)
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    patterns.removeDuplicates();
    return patterns.join(QLatin1Char(' '));
}

QUrl PictureFiles::clipboardFile() const
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasUrls())
        return QUrl();
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            return url;
    }
    return QUrl();
}

QString PictureFiles::pastedName(const QDateTime &when)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(
        QStringLiteral("pasted-%1.png").arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
}

bool PictureFiles::pasteInto(DrawImage *canvas) const
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!canvas || !data)
        return false;
    // Only the bytes are taken here; decoding them, whatever their size,
    // is the loader thread's work.
    QStringList offered;
    const QStringList formats = data->formats();
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QString &format : formats) {
        if (format == QLatin1String("image/png"))
            offered.prepend(format);
        else if (readable.contains(format.toLatin1()))
            offered.append(format);
    }
    const QString name = pastedName(QDateTime::currentDateTime());
    for (const QString &format : qAsConst(offered)) {
        const QByteArray bytes = data->data(format);
        if (!bytes.isEmpty()) {
            canvas->loadBytes(bytes, name);
            return true;
        }
    }
    // A picture copied within this program is already decoded.
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) {
            canvas->loadImage(image, name);
            return true;
        }
    }
    return false;
}

QUrl PictureFiles::folderOf(const QUrl &file) const
{
    if (!file.isLocalFile())
        return QUrl();
    return QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).absolutePath());
}

QString PictureFiles::savedFile(DrawImage *canvas) const
{
    return canvas ? canvas->savedPath() : QString();
}

QString PictureFiles::exportPath(const QString &chosen)
{
    if (chosen.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return chosen;
    return chosen + QStringLiteral(".png");
}

bool PictureFiles::exportPicture(DrawImage *canvas, const QUrl &file, bool greyLook,
                                 double threshold)
{
    // While a run is under way its pool thread may be writing the picture.
    if (!canvas || canvas->isBusy() || !file.isLocalFile())
        return false;
    // A shared copy: an edit made while the file is written gets pictures
    // of its own, and this one stays as it was asked for.
    const QImage picture = canvas->displayedImage();
    if (picture.isNull())
        return false;
    const QString path = exportPath(file.toLocalFile());
    writeInBackground(
        this, path, "exported picture",
        [picture, greyLook, threshold, path] {
            return Imaging::writePngFile(Imaging::exportedPicture(picture, greyLook, threshold),
                                         path);
        },
        [this](const QString &written, const QString &error) {
            emit pictureExported(written, error);
        });
    return true;
}

QUrl PictureFiles::fileFromArguments(const QStringList &arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument.isEmpty() || argument.startsWith(QLatin1Char('-')))
            continue;
        const QUrl url(argument);
        if (url.isLocalFile())
            return url;
        return QUrl::fromLocalFile(QDir::current().absoluteFilePath(argument));
    }
    return QUrl();
}
