#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>
#include <thread>

// The engraver's end of a pseudo-terminal, for tests. A thread of its own
// reads what the host writes and answers the handshake by itself (the host
// blocks its thread while it waits for that answer); everything else is
// sent by the test with send().
class PtyEngraver
{
public:
    // handshakeAnswer: written back on every "$40"; empty for a silent port.
    explicit PtyEngraver(const QByteArray &handshakeAnswer = "B10");
    ~PtyEngraver() { hangUp(); }

    QString device() const { return m_device; }
    void send(const QByteArray &bytes);
    QByteArray received() const;
    void clearReceived();
    // The "$40"s received, each counted once its answer has been written.
    int handshakes() const { return m_handshakes; }

    // An engraver that stops taking bytes: while off, nothing is read, so
    // the host's writes fill the terminal's buffer until they block. The
    // handshake is not answered meanwhile either.
    void setReading(bool reading) { m_reading = reading; }

    // The cable pulled: both ends closed, the host sees a hang-up.
    void hangUp();

private:
    void run();

    int m_master = -1;
    int m_slave = -1;
    QString m_device;
    QByteArray m_answer;
    mutable std::mutex m_mutex;
    QByteArray m_received;
    std::atomic<int> m_handshakes {0};
    std::atomic<bool> m_stop {false};
    std::atomic<bool> m_reading {true};
    std::thread m_thread;
};
