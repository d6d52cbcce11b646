// Renders the program's icons from their SVG sources.
//
//   vandra_iconrender <manifest> <source dir> <repository root>
//
// Each manifest line names an output file, its size, the SVG source and the
// two colours substituted for {fg} and {ac}, so that one drawing serves the
// grey and the coloured variant of an icon. A PNG source is only rescaled
// (the Windows icon file is made that way from the application icon).

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>

namespace {

bool renderOne(const QString &svgPath, int size, const QString &fg, const QString &ac,
               const QString &outPath)
{
    QFile file(svgPath);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(svgPath));
        return false;
    }
    QByteArray data = file.readAll();
    const bool isSvg = svgPath.endsWith(QLatin1String(".svg"));
    if (isSvg) {
        data.replace("{fg}", fg.toUtf8());
        data.replace("{ac}", ac.toUtf8());
    }

    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, isSvg ? "svg" : "png");
    reader.setScaledSize(QSize(size, size));
    QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "cannot render %s: %s\n", qPrintable(svgPath),
                     qPrintable(reader.errorString()));
        return false;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);

    QDir().mkpath(QFileInfo(outPath).absolutePath());
    QImageWriter writer(outPath);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(outPath),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: %s <manifest> <source dir> <repository root>\n", argv[0]);
        return 2;
    }
    QFile manifest(args.at(1));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QDir sources(args.at(2));
    const QDir root(args.at(3));

    int failures = 0;
    int written = 0;
    QTextStream in(&manifest);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = line.split(QRegularExpression(QStringLiteral("\\s+")));
        bool sizeOk = false;
        const int size = f.value(1).toInt(&sizeOk);
        if (f.size() != 5 || !sizeOk || size <= 0) {
            std::fprintf(stderr, "bad manifest line: %s\n", qPrintable(line));
            ++failures;
            continue;
        }
        if (renderOne(QDir::cleanPath(sources.filePath(f.at(2))), size, f.at(3), f.at(4),
                      root.filePath(f.at(0))))
            ++written;
        else
            ++failures;
    }
    std::printf("%d icons written, %d failed\n", written, failures);
    return failures ? 1 : 0;
}
