#pragma once

#include <QImage>
#include <QString>

// The picture on the canvas written for other programs: a lossless PNG that
// carries the size the engraver gives it, so a drawing program or a printer
// shows and prints it at true size.
namespace Imaging {

// One canvas pixel is 0.075 mm of the work piece: 1000 / 0.075 pixels a
// metre, rounded, as PNG records it (its pHYs chunk holds whole numbers).
constexpr int exportDotsPerMetre = 13333;

// The picture as other programs should get it. For the black-and-white and
// dithered looks one bit a pixel (Format_Mono), black exactly where Done
// would burn: a grey level at most `threshold`. For the grey look 8-bit grey
// (Format_Grayscale8), each pixel its grey level. The grey level is the red
// component as the engraving reads it (a transparent pixel is black). Both
// carry exportDotsPerMetre in either direction. A null picture gives a null
// one.
QImage exportedPicture(const QImage &picture, bool greyLook, double threshold);

// Writes a picture as PNG to `path` through a QSaveFile: the file appears
// whole or not at all, and a file already there is replaced only by a
// complete one. Returns an empty text when written, else why it was not.
QString writePngFile(const QImage &picture, const QString &path);

} // namespace Imaging
