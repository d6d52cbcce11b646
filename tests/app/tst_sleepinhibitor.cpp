#include "app/sleepinhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

// A screen saver of the test's own on a session bus started for the test:
// it hands out cookies and records what it is asked.
class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls;

public slots:
    Q_SCRIPTABLE uint Inhibit(const QString &application, const QString &reason)
    {
        calls << QStringLiteral("Inhibit %1: %2").arg(application, reason);
        return 42;
    }
    Q_SCRIPTABLE void UnInhibit(uint cookie)
    {
        calls << QStringLiteral("UnInhibit %1").arg(cookie);
    }
};

// Keeping the desktop awake while a job runs: asked for and given back on
// the session bus, and nothing breaks without one.
class TestSleepInhibitor : public QObject
{
    Q_OBJECT

    QProcess m_bus;

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("0_vandra"));
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--print-address")});
        if (!m_bus.waitForStarted(5000) || !m_bus.waitForReadyRead(5000))
            QSKIP("no dbus-daemon to start a session bus with");
        const QByteArray address = m_bus.readLine().trimmed();
        // Read by Qt when the session bus is first used, which is below.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
    }

    void cleanupTestCase()
    {
        m_bus.kill();
        m_bus.waitForFinished(5000);
    }

    void heldWhileActive()
    {
        FakeScreenSaver saver;
        QDBusConnection service = QDBusConnection::connectToBus(
            QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS")), QStringLiteral("saver"));
        QVERIFY(service.isConnected());
        QVERIFY(service.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver,
                                       QDBusConnection::ExportScriptableSlots));

        SleepInhibitor inhibitor;
        inhibitor.setProperty("reason", QStringLiteral("Engraving a job"));
        QSignalSpy holding(&inhibitor, &SleepInhibitor::holdingChanged);
        inhibitor.setActive(true);
        QVERIFY(holding.wait(5000));
        QVERIFY(inhibitor.isHolding());
        inhibitor.setActive(false);
        QVERIFY(!inhibitor.isHolding());
        QTRY_COMPARE(saver.calls,
                     QStringList({"Inhibit 0_vandra: Engraving a job", "UnInhibit 42"}));

        // Let go before the answer came: it is given back as soon as it comes.
        saver.calls.clear();
        inhibitor.setActive(true);
        inhibitor.setActive(false);
        QTRY_COMPARE(saver.calls.size(), 2);
        QCOMPARE(saver.calls.last(), QStringLiteral("UnInhibit 42"));
        QVERIFY(!inhibitor.isHolding());
        QDBusConnection::disconnectFromBus(QStringLiteral("saver"));
    }

    // No screen saver on the bus and no system bus: the job goes on.
    void nothingToAsk()
    {
        SleepInhibitor inhibitor;
        inhibitor.setActive(true);
        QTest::qWait(200);
        QVERIFY(!inhibitor.isHolding());
        inhibitor.setActive(false);
        QVERIFY(!inhibitor.isActive());
    }
};

QTEST_GUILESS_MAIN(TestSleepInhibitor)
#include "tst_sleepinhibitor.moc"
