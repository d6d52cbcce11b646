#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QJSEngine;
class QQmlEngine;

// What the program says to the engraver, in one place for the controller
// and the pages. The texts are sent as they stand, without a line end.
namespace EngraverCommand {

constexpr char fanOn[] = "$10 P1000";
constexpr char fanOff[] = "$10 P0";
constexpr char pause[] = "$31";
constexpr char stop[] = "$32";
constexpr char endOfData[] = "$33"; // answers a data request when the job is sent
constexpr char handshake[] = "$40"; // answered by Protocol::handshakeAnswer
constexpr char disconnect[] = "$41";
constexpr char resetPosition[] = "$42"; // laser back to the top-left corner
constexpr char moveToMiddle[] = "$25 P800 800"; // laser to the middle, for packing away
constexpr char lowPower[] = "$50";

// The heads of the commands that carry values.
constexpr char laserPowerHead[] = "$8 P";
constexpr char depthHead[] = "$9 P";
constexpr char frameHead[] = "$20 P";
constexpr char moveHead[] = "$25 P";
constexpr char startHead[] = "$30 P";
constexpr char lowPowerTimeHead[] = "$51 P";

// The engraver takes whole engraving pixels: halves are rounded away from
// zero (2.5 → 3, -2.5 → -3) and zero never carries a sign (-0.4 → 0). A
// value that is not a number counts as 0; values beyond the int range are
// held at its ends.
int wholePixels(double value);

// Laser power and depth: a fraction held to 0..1 (not a number: 0), written
// with three decimals.
QByteArray laserPower(double fraction);
QByteArray depth(double fraction);

// Frames the rectangle at x, y of size w × h, in engraving pixels.
QByteArray frame(double x, double y, double w, double h);

// Moves the laser to x, y.
QByteArray move(double x, double y);

// Starts the job with its top-left corner at x, y: mode 1 engraves grey
// levels ("P1"), any other mode black and white ("P2").
QByteArray start(double x, double y, int mode);

// Sets the engraver's low-power time: a whole number of minutes, held to
// the engraver's 1..200.
QByteArray lowPowerTime(int minutes);

} // namespace EngraverCommand

// The QML face of the engraver's protocol, a singleton ("Zan.Engraver" 1.0,
// EngraverProtocol): status numbers as an enum, the status reply parsers of
// Protocol, and the commands of EngraverCommand as strings.
class EngraverProtocol : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString fanOnCommand READ fanOnCommand CONSTANT)
    Q_PROPERTY(QString fanOffCommand READ fanOffCommand CONSTANT)
    Q_PROPERTY(QString pauseCommand READ pauseCommand CONSTANT)
    Q_PROPERTY(QString stopCommand READ stopCommand CONSTANT)
    Q_PROPERTY(QString resetPositionCommand READ resetPositionCommand CONSTANT)
    Q_PROPERTY(QString moveToMiddleCommand READ moveToMiddleCommand CONSTANT)
    Q_PROPERTY(QString lowPowerCommand READ lowPowerCommand CONSTANT)

public:
    // The numbers of the status replies ("F<number>…") the engraver sends.
    enum Status {
        FanOn = 6,
        FanOff = 7,
        LaserPower = 8, // value: the power as a fraction
        Depth = 9, // value: the depth as a fraction
        FramingOn = 10,
        FramingOff = 11,
        Started = 20, // a job started or resumed
        Paused = 21,
        Stopped = 22,
    };
    Q_ENUM(Status)

    explicit EngraverProtocol(QObject *parent = nullptr);

    // Makes the singleton for an engine, which owns it.
    static QObject *create(QQmlEngine *engine, QJSEngine *scriptEngine);

    // Protocol::statusNumber: -1 when the reply carries no number.
    Q_INVOKABLE int statusNumber(const QString &text) const;
    // Protocol::statusValue, NaN when the reply carries no value.
    Q_INVOKABLE double statusValue(const QString &text) const;

    Q_INVOKABLE QString laserPowerCommand(double fraction) const;
    Q_INVOKABLE QString depthCommand(double fraction) const;
    Q_INVOKABLE QString frameCommand(double x, double y, double w, double h) const;
    Q_INVOKABLE QString moveCommand(double x, double y) const;
    Q_INVOKABLE QString startCommand(double x, double y, int mode) const;
    Q_INVOKABLE QString lowPowerTimeCommand(int minutes) const;

    QString fanOnCommand() const { return QString::fromLatin1(EngraverCommand::fanOn); }
    QString fanOffCommand() const { return QString::fromLatin1(EngraverCommand::fanOff); }
    QString pauseCommand() const { return QString::fromLatin1(EngraverCommand::pause); }
    QString stopCommand() const { return QString::fromLatin1(EngraverCommand::stop); }
    QString resetPositionCommand() const
    {
        return QString::fromLatin1(EngraverCommand::resetPosition);
    }
    QString moveToMiddleCommand() const
    {
        return QString::fromLatin1(EngraverCommand::moveToMiddle);
    }
    QString lowPowerCommand() const { return QString::fromLatin1(EngraverCommand::lowPower); }
};
