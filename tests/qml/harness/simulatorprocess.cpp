#include "tests/qml/harness/simulatorprocess.h"

#include <QProcess>

SimulatorProcess::SimulatorProcess(const QString &program)
    : m_program(program)
{ }

SimulatorProcess::~SimulatorProcess()
{
    stop();
}

QString SimulatorProcess::start(const QStringList &arguments)
{
    stop();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(m_program, arguments);
    if (!m_process->waitForStarted(5000))
        return QString();
    // The first line the simulator prints is the device the host opens.
    while (!m_process->canReadLine() && m_process->waitForReadyRead(5000)) { }
    const QString device = QString::fromLocal8Bit(m_process->readLine()).trimmed();
    if (!device.isEmpty())
        qputenv("VANDRA_SERIAL_PORTS", device.toLocal8Bit());
    return device;
}

void SimulatorProcess::stop()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(3000))
            kill();
    }
    m_process.reset();
}

void SimulatorProcess::kill()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(3000);
    }
}
