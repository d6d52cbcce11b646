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

    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            screenSaverService, screenSaverPath, screenSaverService, QStringLiteral("Inhibit"));
        call << application << m_reason;
        auto *watcher = new QDBusPendingCallWatcher(session.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, request](QDBusPendingCallWatcher *finished) {
                    finished->deleteLater();
                    const QDBusPendingReply<quint32> reply = *finished;
                    if (reply.isError()) {
                        qCInfo(lcDesktop)
                            << "no screen saver to keep awake:" << reply.error().message();
                        return;
                    }
                    m_cookie = reply.value();
                    emit holdingChanged();
                    if (request != m_request || !m_active)
                        release(); // let go while the answer was on its way
                });
    }

    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(loginService, loginPath, loginManager,
                                                           QStringLiteral("Inhibit"));
        call << QStringLiteral("sleep:idle") << application << m_reason << QStringLiteral("block");
        auto *watcher = new QDBusPendingCallWatcher(system.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, request](QDBusPendingCallWatcher *finished) {
                    finished->deleteLater();
                    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
                    if (reply.isError()) {
                        qCInfo(lcDesktop)
                            << "no login manager to keep from sleeping:" << reply.error().message();
                        return;
                    }
                    if (request != m_request || !m_active)
                        return; // dropping the descriptor gives it back
                    m_sleepLock = reply.value();
                    emit holdingChanged();
                });
    }
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
