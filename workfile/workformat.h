#pragma once

#include "imaging/looks.h"
#include "imaging/processalgorithm.h"

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QPointF>
#include <QString>
#include <QtGlobal>

#include <optional>

// Work files (".vandra", application/x-vandra-work): everything needed to
// burn the same job again, in one file. docs/work-files.md describes the
// format; in short, a zip archive whose entries are stored, not compressed
// (the picture is a PNG, compressed already): "mimetype" first, holding the
// type's name (so that the file tells what it is from its first bytes, as an
// OpenDocument file does), then "manifest.json" and the picture it names.
//
// Plain functions, run on pool threads: a file is read whole within a size
// cap, every value of its manifest is checked for its type and range, and
// its picture is decoded only after the loader's checks have passed.
namespace WorkFile {

// The format written here. A reader takes every file of its major version,
// whatever its minor one (a later minor version only adds what an earlier
// reader may pass over), and refuses a higher major version.
constexpr int formatMajor = 1;
constexpr int formatMinor = 0;
constexpr char mimeType[] = "application/x-vandra-work";
constexpr char suffix[] = ".vandra";

// Nothing larger is read: a work file of a 1066 × 1066 picture in colour
// takes a few megabytes.
constexpr qint64 maxFileBytes = qint64(64) << 20;
constexpr qint64 maxManifestBytes = qint64(64) << 10;
constexpr int maxEntries = 16;
// The largest picture the canvas makes: 80 mm at 0.075 mm a pixel, the
// engraving area's side (a loaded picture keeps at most 1050 pixels, but a
// picture may be resized up to this afterwards).
constexpr int maxPictureSide = 1066;
// The engraving area's side, in millimetres.
constexpr double areaMillimetres = 80;

// The control page's part: where the picture's top-left corner goes on the
// engraving area (none until a job has been shown there), the laser power
// and depth in percent, and the fan.
struct Engraver
{
    std::optional<QPointF> placementMm;
    double laserPower = 0;
    double depth = 0;
    bool fan = false;
};

struct Work
{
    // The grey picture with every edit made so far, which every look starts
    // from: the picture on show is worked out from it again with the look.
    QImage picture;
    // GreyFilter, Binarize or Floyd, and its threshold (0 to 255).
    Imaging::Algorithm look = Imaging::Binarize;
    double threshold = 128;
    // The tone and the dithering method; dither.threshold is not part of it
    // (the look's threshold is).
    Imaging::LookSettings settings;
    // Absent: the control page is left as it is.
    std::optional<Engraver> engraver;
};

// Why a file could not be read, coarsely, for the page to say in the
// user's language; ReadResult::detail says more, for the log.
enum class Problem {
    None,
    Unreadable, // cannot be opened or read; detail: the system's reason
    TooLarge, // larger than maxFileBytes
    NotWorkFile, // not a work file at all
    Damaged, // a work file, but cut short or broken
    NewerVersion, // written by a later major version of the format
    BadValue, // a value of the wrong type or out of range; detail: its name
    BadPicture, // the picture cannot be decoded, or is not the size it says
};

struct ReadResult
{
    Work work; // complete when problem is None; nothing of it counts otherwise
    Problem problem = Problem::None;
    QString detail;
};

// The work as a file's bytes; empty when the picture cannot be encoded.
QByteArray encode(const Work &work);

// The parts of encode(): the manifest of a work, and a zip archive of the
// entries given, in their order, stored.
QJsonObject manifestOf(const Work &work);
QByteArray zipStored(const QList<QPair<QByteArray, QByteArray>> &entries);

// Reads a work file from its bytes: the picture comes back as ARGB32 at its
// own size, exactly as the canvas keeps it.
ReadResult decode(const QByteArray &bytes);

// Writes through a QSaveFile, so a failed write leaves no part of a file and
// keeps one already there. An empty text when written, else why it was not.
QString writeFile(const Work &work, const QString &path);

// Refuses anything but a regular file before opening it (a FIFO would block
// the reader), and a file over maxFileBytes before reading it.
ReadResult readFile(const QString &path);

// The name a work is written under: the suffix added unless the chosen name
// ends with it.
QString pathFor(const QString &chosen);

// The names the manifest gives the looks and the dithering methods.
QString lookName(Imaging::Algorithm look);
QString methodName(Imaging::DitherMethod method);

} // namespace WorkFile
