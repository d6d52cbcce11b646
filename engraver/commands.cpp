#include "engraver/commands.h"

#include "engraver/replies.h"

#include <QtMath>

#include <climits>
#include <cmath>

namespace EngraverCommand {

int wholePixels(double value)
{
    if (std::isnan(value))
        return 0;
    // std::round takes halves away from zero; the int conversion drops the
    // sign of a negative zero.
    const double rounded = std::round(value);
    if (rounded <= double(INT_MIN))
        return INT_MIN;
    if (rounded >= double(INT_MAX))
        return INT_MAX;
    return int(rounded);
}

namespace {

QByteArray fractionCommand(const char *head, double value)
{
    const double held = std::isnan(value) ? 0.0 : qBound(0.0, value, 1.0);
    return head + QByteArray::number(held, 'f', 3);
}

QByteArray pixels(double value)
{
    return QByteArray::number(wholePixels(value));
}

} // namespace

QByteArray laserPower(double fraction)
{
    return fractionCommand(laserPowerHead, fraction);
}

QByteArray depth(double fraction)
{
    return fractionCommand(depthHead, fraction);
}

QByteArray frame(double x, double y, double w, double h)
{
    return frameHead + pixels(x) + ' ' + pixels(y) + ' ' + pixels(w) + ' ' + pixels(h);
}

QByteArray move(double x, double y)
{
    return moveHead + pixels(x) + ' ' + pixels(y);
}

QByteArray lowPowerTime(int minutes)
{
    return lowPowerTimeHead + QByteArray::number(qBound(1, minutes, 200));
}

QByteArray start(double x, double y, int mode)
{
    return startHead + pixels(x) + ' ' + pixels(y) + (mode == 1 ? " P1" : " P2");
}

} // namespace EngraverCommand

EngraverProtocol::EngraverProtocol(QObject *parent)
    : QObject(parent)
{ }

QObject *EngraverProtocol::create(QQmlEngine *, QJSEngine *)
{
    return new EngraverProtocol;
}

int EngraverProtocol::statusNumber(const QString &text) const
{
    return Protocol::statusNumber(text);
}

double EngraverProtocol::statusValue(const QString &text) const
{
    bool ok = false;
    const double value = Protocol::statusValue(text, &ok);
    return ok ? value : qQNaN();
}

QString EngraverProtocol::laserPowerCommand(double fraction) const
{
    return QString::fromLatin1(EngraverCommand::laserPower(fraction));
}

QString EngraverProtocol::depthCommand(double fraction) const
{
    return QString::fromLatin1(EngraverCommand::depth(fraction));
}

QString EngraverProtocol::frameCommand(double x, double y, double w, double h) const
{
    return QString::fromLatin1(EngraverCommand::frame(x, y, w, h));
}

QString EngraverProtocol::moveCommand(double x, double y) const
{
    return QString::fromLatin1(EngraverCommand::move(x, y));
}

QString EngraverProtocol::lowPowerTimeCommand(int minutes) const
{
    return QString::fromLatin1(EngraverCommand::lowPowerTime(minutes));
}

QString EngraverProtocol::startCommand(double x, double y, int mode) const
{
    return QString::fromLatin1(EngraverCommand::start(x, y, mode));
}
