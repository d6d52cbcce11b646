#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

// Keeps the desktop from sleeping or blanking while `active` is true (the
// control page sets it while a job runs): it asks the session's screen saver
// (org.freedesktop.ScreenSaver) and the login manager (org.freedesktop.login1)
// over D-Bus, and lets go when `active` turns false. Where neither service
// is there, nothing happens and nothing breaks. The calls are asynchronous:
// the window never waits for the bus.
class SleepInhibitor : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged)
    // What the desktop shows as the reason, where it shows one.
    Q_PROPERTY(QString reason MEMBER m_reason)

public:
    explicit SleepInhibitor(QObject *parent = nullptr);
    ~SleepInhibitor() override;

    bool isActive() const { return m_active; }
    void setActive(bool active);

    // Whether the screen saver or the login manager has granted it.
    bool isHolding() const { return m_cookie != 0 || m_sleepLock.isValid(); }

signals:
    void activeChanged();
    // A service granted or gave back an inhibition (for tests).
    void holdingChanged();

private:
    void inhibit();
    void release();

    bool m_active = false;
    QString m_reason;
    quint32 m_cookie = 0; // the screen saver's, 0 when none
    QDBusUnixFileDescriptor m_sleepLock; // the login manager's, closed to release
    quint64 m_request = 0; // counts requests, so that a late answer is recognised
};
