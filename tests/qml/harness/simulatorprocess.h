#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QProcess;

// The simulated engraver as a child process on a pseudo-terminal, offered to
// the engraver search through VANDRA_SERIAL_PORTS.
class SimulatorProcess
{
public:
    explicit SimulatorProcess(const QString &program);
    ~SimulatorProcess();

    // Starts the simulator (after stopping a running one) with the given
    // arguments. Returns its device path, or "" when it did not start.
    QString start(const QStringList &arguments);
    // Ends it politely, or by force when it does not go.
    void stop();
    // Ends it abruptly, as a pulled cable would.
    void kill();

private:
    QString m_program;
    std::unique_ptr<QProcess> m_process;
};
