// burncompare: engraves one photo with several dithering methods the way the
// program does (grey, the look, the engraving records) and burns the records
// as the simulated engraver does, then writes the burns side by side with
// their names, dark where the laser burned.
//
//   burncompare <photo> <output.png> [side in canvas pixels, default 400]

#include "imaging/algorithms.h"
#include "imaging/dithering.h"
#include "imaging/engravingjob.h"
#include "simengraver.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: burncompare <photo> <output.png> [side]\n");
        return 2;
    }
    const int side = argc > 3 ? QByteArray(argv[3]).toInt() : 400;
    const QImage photo = QImage(QString::fromLocal8Bit(argv[1]))
                             .scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (photo.isNull()) {
        std::fprintf(stderr, "burncompare: cannot read %s\n", argv[1]);
        return 1;
    }
    const QImage grey = Imaging::greyImage(photo.convertToFormat(QImage::Format_ARGB32));

    struct Method
    {
        const char *name;
        Imaging::DitherMethod method;
        double threshold;
    };
    const Method methods[] = {
        {"Floyd-Steinberg", Imaging::DitherMethod::Floyd, 120},
        {"Atkinson", Imaging::DitherMethod::Atkinson, 128},
        {"Stucki, serpentine", Imaging::DitherMethod::Stucki, 128},
    };
    const int width = Imaging::engravingSize(grey.width());
    const int height = Imaging::engravingSize(grey.height());
    const int label = 36;
    QImage sheet(width * int(std::size(methods)), height + label, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    QFont font;
    font.setPixelSize(22);
    painter.setFont(font);
    int column = 0;
    for (const Method &m : methods) {
        QImage look = grey;
        Imaging::DitherOptions options;
        options.method = m.method;
        options.threshold = m.threshold;
        options.serpentine = m.method == Imaging::DitherMethod::Stucki;
        Imaging::dither(look, options);
        // Done: black pixels become burn records at engraving resolution.
        const Imaging::EngravingJob job = Imaging::engravingJob(look, 128);
        Sim::BurnPicture burn;
        burn.burn(job.bytes, QPoint(0, 0));
        QImage shown = burn.image().copy(0, 0, width, height);
        shown.invertPixels();
        painter.drawImage(column * width, label, shown);
        painter.drawText(QRect(column * width, 0, width, label), Qt::AlignCenter,
                         QString::fromLatin1(m.name));
        ++column;
    }
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
