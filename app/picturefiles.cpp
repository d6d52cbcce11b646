#include "app/picturefiles.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLoggingCategory>
#include <QMimeData>
#include <QQmlEngine>

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

QUrl PictureFiles::clipboardPicture()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return QUrl();
    if (data->hasUrls()) {
        const QList<QUrl> urls = data->urls();
        for (const QUrl &url : urls) {
            if (url.isLocalFile())
                return url;
        }
    }
    if (!data->hasImage())
        return QUrl();
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull())
        return QUrl();
    if (!m_pasted)
        m_pasted = std::make_unique<QTemporaryDir>();
    // A new name each time: the canvas takes the file's name for saving.
    const QString path = m_pasted->filePath(QStringLiteral("pasted-%1.png").arg(++m_pastes));
    if (!m_pasted->isValid() || !image.save(path)) {
        qCWarning(lcDesktop) << "cannot keep the pasted picture in" << path;
        return QUrl();
    }
    return QUrl::fromLocalFile(path);
}

QUrl PictureFiles::folderOf(const QUrl &file) const
{
    if (!file.isLocalFile())
        return QUrl();
    return QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).absolutePath());
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
