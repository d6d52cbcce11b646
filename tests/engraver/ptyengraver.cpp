#include "ptyengraver.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PtyEngraver::PtyEngraver(const QByteArray &handshakeAnswer)
    : m_answer(handshakeAnswer)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0
        || ::pipe(m_wake) != 0) {
        hangUp();
        return;
    }
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

PtyEngraver::~PtyEngraver()
{
    hangUp();
    for (int fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
    }
}

void PtyEngraver::run()
{
    QByteArray pending; // for a "$40" that arrives in pieces
    while (!m_stop) {
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, 1000) < 0 && errno != EINTR)
            return;
        if (m_stop
            || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & POLLIN))
            return;
        if (!(fds[0].revents & POLLIN))
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
        int at;
        while ((at = pending.indexOf("$40")) >= 0) {
            pending.remove(0, at + 3);
            ++m_handshakes;
            if (!m_answer.isEmpty())
                send(m_answer);
        }
        if (pending.size() > 2)
            pending = pending.right(2);
    }
}

void PtyEngraver::send(const QByteArray &bytes)
{
    if (m_master >= 0)
        (void)!::write(m_master, bytes.constData(), size_t(bytes.size()));
}

QByteArray PtyEngraver::received() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

void PtyEngraver::clearReceived()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_received.clear();
}

void PtyEngraver::hangUp()
{
    m_stop = true;
    if (m_wake[1] >= 0)
        (void)!::write(m_wake[1], "x", 1);
    if (m_thread.joinable())
        m_thread.join();
    if (m_slave >= 0)
        ::close(m_slave);
    m_slave = -1;
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
