#pragma once

#include <QByteArray>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Engraving without a window: `0_vandra --engrave PICTURE …` prepares the
// picture as the editing page would, connects, burns the job and exits;
// `0_vandra --resume` continues a job cut short. No display is needed.
namespace CommandLine {

// Exit codes, as --help lists them.
enum Exit {
    Done = 0, // the engraver reported the end of the last pass
    Usage = 1, // the command line could not be understood
    NoJob = 2, // the picture cannot be read, or there is nothing to resume
    NoEngraver = 3, // no engraver found, or the port named cannot be used
    Interrupted = 4, // the link was lost, or the engraver stopped the job
};

enum class Look { Grey, Binarize, Floyd };

struct Options
{
    bool help = false;
    bool engrave = false;
    bool resume = false;
    QString path; // what --engrave names
    Look look = Look::Binarize;
    bool lookGiven = false; // --look was given: a work file's own look gives way
    int threshold = -1; // -1: the look's own (grey 255, black and white 128, dithered 120)
    double power = -1; // percent, -1: leave the engraver's
    double depth = -1;
    int passes = 1;
    QString port; // empty: search as the connect button does
};

// Whether the arguments ask for the command line rather than the window.
bool wanted(int argc, char **argv);
// Reads the arguments (without the program's name); false with a message
// when they make no sense.
bool parse(const QStringList &arguments, Options *options, QString *error);
QString helpText();
int defaultThreshold(Look look);

// The job a path stands for, prepared as the editing page's Done prepares it.
struct PreparedJob
{
    QByteArray records;
    int mode = 2; // the start command's marker: 1 grey, 2 black and white
    int xmin = 0;
    int ymin = 0;
    int xmax = 0;
    int ymax = 0;
    QSize pictureSize; // engraving pixels
    // A work file's own: the power and depth in percent (-1: none), and
    // where the picture's top-left corner goes (none: the middle).
    double power = -1;
    double depth = -1;
    std::optional<QPointF> start; // engraving pixels
    QString error; // why there is no job; empty when there is one
};

// Turns a path into the prepared job. Other kinds of files (a saved work)
// register a maker of their own for the paths it accepts; a picture is the
// default.
using JobMaker = std::function<PreparedJob(const QString &path, const Options &options)>;
void addJobMaker(std::function<bool(const QString &path)> accepts, JobMaker maker);
PreparedJob prepareJob(const QString &path, const Options &options);
// A picture file: loaded, grey, the look at its threshold, then the records.
PreparedJob pictureJob(const QString &path, const Options &options);
// A work file (.vandra): its picture at its own look, threshold, tone and
// dithering, its placement, power and depth, each unless the command line
// names another.
PreparedJob workJob(const QString &path, const Options &options);

// The whole run: returns the exit code.
int run(int argc, char **argv);

} // namespace CommandLine
