// Prints each picture type this machine's Qt reads, one a line:
//   <MIME type> <TAB> <image format plugin file, or "built-in">
// The package check compares the desktop entries' MimeType lists with it and
// follows each plugin to the Debian package that ships it: a type the file
// manager offers must be one the program can open once the package and its
// dependencies are installed.

#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QMap>
#include <QPluginLoader>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);

    // Which plugin claims which type, from the plugins' own metadata; what
    // no plugin claims is read by QtGui itself.
    QMap<QString, QString> pluginFor;
    const QDir plugins(QLibraryInfo::location(QLibraryInfo::PluginsPath)
                       + QStringLiteral("/imageformats"));
    for (const QString &name : plugins.entryList({QStringLiteral("*.so")}, QDir::Files)) {
        const QString path = plugins.absoluteFilePath(name);
        const QJsonObject meta
            = QPluginLoader(path).metaData().value(QStringLiteral("MetaData")).toObject();
        for (const QJsonValue &mime : meta.value(QStringLiteral("MimeTypes")).toArray())
            pluginFor.insert(mime.toString(), path);
    }

    for (const QByteArray &mime : QImageReader::supportedMimeTypes()) {
        const QString type = QString::fromLatin1(mime);
        std::printf("%s\t%s\n", mime.constData(),
                    qPrintable(pluginFor.value(type, QStringLiteral("built-in"))));
    }
    return 0;
}
