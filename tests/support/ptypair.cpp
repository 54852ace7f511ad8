#include "ptypair.h"

#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    // Raw on both sides: bytes pass unchanged, zeros and line ends included.
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_slave, TCSANOW, &raw);
    tcgetattr(m_master, &raw);
    cfmakeraw(&raw);
    tcsetattr(m_master, TCSANOW, &raw);
    // The test keeps no open slave descriptor, so the program's port is the only user.
    ::close(m_slave);
    m_slave = -1;
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    // A program the test starts must not hold the far end open: closeFar() would not close it.
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    m_path = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    closeFar();
}

QByteArray PtyPair::readFar(int minBytes, int timeoutMs)
{
    QByteArray received;
    QElapsedTimer clock;
    clock.start();
    while (m_master >= 0) {
        char chunk[512];
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0) {
            received.append(chunk, static_cast<int>(n));
            if (received.size() >= minBytes)
                break;
            continue;
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        pollfd p{m_master, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(qMin<qint64>(left, 50)));
    }
    return received;
}

void PtyPair::writeFar(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        } else {
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 50);
        }
    }
}

void PtyPair::closeFar()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}
