#include "app/sleepinhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcDesktop, "vandra.desktop")

namespace {

const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString loginService = QStringLiteral("org.freedesktop.login1");
const QString loginPath = QStringLiteral("/org/freedesktop/login1");
const QString loginManager = QStringLiteral("org.freedesktop.login1.Manager");

// Sends the call on the bus without waiting and hands its answer to
// `answered`, in the context's thread, once it comes. An error answer, as
// from a desktop without the service, is only noted: keeping awake is a
// courtesy, not something a job depends on.
template<typename Answer, typename Answered>
void callAsync(const QDBusConnection &bus, const QDBusMessage &call, QObject *context,
               const char *unavailable, Answered answered)
{
    if (!bus.isConnected())
        return;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [unavailable, answered](QDBusPendingCallWatcher *finished) {
                         finished->deleteLater();
                         const QDBusPendingReply<Answer> reply = *finished;
                         if (reply.isError())
                             qCInfo(lcDesktop) << unavailable << reply.error().message();
                         else
                             answered(reply.value());
                     });
}

} // namespace

SleepInhibitor::SleepInhibitor(QObject *parent)
    : QObject(parent)
    , m_reason(QStringLiteral("Engraving"))
{ }

SleepInhibitor::~SleepInhibitor()
{
    release();
}

void SleepInhibitor::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (active)
        inhibit();
    else
        release();
    emit activeChanged();
}

void SleepInhibitor::inhibit()
{
    const quint64 request = ++m_request;
    const QString application = QCoreApplication::applicationName();

    QDBusMessage screenSaver = QDBusMessage::createMethodCall(
        screenSaverService, screenSaverPath, screenSaverService, QStringLiteral("Inhibit"));
    screenSaver << application << m_reason;
    callAsync<quint32>(QDBusConnection::sessionBus(), screenSaver, this,
                       "no screen saver to keep awake:", [this, request](quint32 cookie) {
                           m_cookie = cookie;
                           emit holdingChanged();
                           if (request != m_request || !m_active)
                               release(); // let go while the answer was on its way
                       });

    QDBusMessage login = QDBusMessage::createMethodCall(loginService, loginPath, loginManager,
                                                        QStringLiteral("Inhibit"));
    login << QStringLiteral("sleep:idle") << application << m_reason << QStringLiteral("block");
    callAsync<QDBusUnixFileDescriptor>(QDBusConnection::systemBus(), login, this,
                                       "no login manager to keep from sleeping:",
                                       [this, request](const QDBusUnixFileDescriptor &lock) {
                                           // Dropping the descriptor gives it back.
                                           if (request != m_request || !m_active)
                                               return;
                                           m_sleepLock = lock;
                                           emit holdingChanged();
                                       });
}

void SleepInhibitor::release()
{
    ++m_request;
    const bool held = isHolding();
    if (m_cookie != 0) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            screenSaverService, screenSaverPath, screenSaverService, QStringLiteral("UnInhibit"));
        call << m_cookie;
        QDBusConnection::sessionBus().asyncCall(call);
        m_cookie = 0;
    }
    // The login manager holds the lock as long as the descriptor is open.
    m_sleepLock = QDBusUnixFileDescriptor();
    if (held)
        emit holdingChanged();
}
