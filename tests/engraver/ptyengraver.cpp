#include "ptyengraver.h"

#include <chrono>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyEngraver::PtyEngraver(const QByteArray &handshakeAnswer)
    : m_answer(handshakeAnswer)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return; // no device: connecting to it fails
    m_device = QString::fromLocal8Bit(::ptsname(m_master));
    // Raw before the host opens it, and held open so that the host closing
    // its end is no hang-up.
    m_slave = ::open(m_device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios tio;
    if (m_slave >= 0 && ::tcgetattr(m_slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_slave, TCSANOW, &tio);
    }
    m_thread = std::thread([this] { run(); });
}

void PtyEngraver::run()
{
    QByteArray pending; // the end of the last read, for a "$40" that arrives in pieces
    while (!m_stop) {
        if (!m_reading) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        pollfd fd = {m_master, POLLIN, 0};
        if (::poll(&fd, 1, 20) <= 0 || !(fd.revents & POLLIN))
            continue;
        char buffer[4096];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            return;
        const QByteArray bytes(buffer, int(n));
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_received += bytes;
        }
        pending += bytes;
        for (int at; (at = pending.indexOf("$40")) >= 0; pending.remove(0, at + 3)) {
            if (!m_answer.isEmpty())
                send(m_answer);
            ++m_handshakes; // answered: the answer is in the line
        }
        pending = pending.right(2);
    }
}

void PtyEngraver::send(const QByteArray &bytes)
{
    (void)!::write(m_master, bytes.constData(), size_t(bytes.size()));
}

QByteArray PtyEngraver::received() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // A copy of its own: a shared one would be counted by Qt's reference
    // counting, which thread checkers cannot see.
    return QByteArray(m_received.constData(), m_received.size());
}

void PtyEngraver::clearReceived()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_received.clear();
}

void PtyEngraver::hangUp()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    // Closing -1 (an end already closed) does nothing.
    ::close(m_slave);
    ::close(m_master);
    m_slave = m_master = -1;
}
