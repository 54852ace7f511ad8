#include "pseudoterminal.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#if __has_include(<pty.h>)
#include <pty.h>
#elif __has_include(<util.h>)
#include <util.h>
#else
#include <libutil.h>
#endif
#endif

namespace lcdsim {
namespace {

#ifdef Q_OS_UNIX
// How long a write waits for room when the master has stopped reading.
constexpr int writeRoomWaitMs = 100;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool makeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}
#endif

} // namespace

PseudoTerminal::PseudoTerminal(QObject *parent) : QObject(parent) {}

PseudoTerminal::~PseudoTerminal()
{
    closeAll();
}

bool PseudoTerminal::open(QString *error)
{
#ifdef Q_OS_UNIX
    closeAll();
    char name[256] = {};
    if (openpty(&m_controlFd, &m_deviceFd, name, nullptr, nullptr) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: ") + systemError();
        m_controlFd = m_deviceFd = -1;
        return false;
    }
    // Raw on both sides: every byte passes unchanged, no echo, no line editing.
    if (!makeRaw(m_deviceFd) || !makeRaw(m_controlFd)) {
        *error = QStringLiteral("cannot set the pseudo-terminal to raw mode: ") + systemError();
        closeAll();
        return false;
    }
    fcntl(m_controlFd, F_SETFL, fcntl(m_controlFd, F_GETFL) | O_NONBLOCK);
    fcntl(m_controlFd, F_SETFD, FD_CLOEXEC);
    fcntl(m_deviceFd, F_SETFD, FD_CLOEXEC);
    m_devicePath = QString::fromLocal8Bit(name);
    m_notifier = std::make_unique<QSocketNotifier>(m_controlFd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PseudoTerminal::readAvailable);
    return true;
#else
    *error = QStringLiteral("the simulated display needs a pseudo-terminal, which only POSIX "
                            "systems (Linux, macOS, the BSDs) offer");
    return false;
#endif
}

bool PseudoTerminal::makeLink(const QString &path, QString *error)
{
    const QFileInfo existing(path);
    if (existing.isSymLink()) {
        if (!QFile::remove(path)) {
            *error = QStringLiteral("cannot replace the old link %1").arg(path);
            return false;
        }
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link; left alone").arg(path);
        return false;
    }
    if (!QFile::link(m_devicePath, path)) {
        *error = QStringLiteral("cannot create the link %1").arg(path);
        return false;
    }
    m_linkPath = path;
    return true;
}

bool PseudoTerminal::write(const QByteArray &bytes)
{
#ifdef Q_OS_UNIX
    qsizetype done = 0;
    while (m_controlFd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_controlFd, bytes.constData() + done,
                                  static_cast<size_t>(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        pollfd room{m_controlFd, POLLOUT, 0};
        if (::poll(&room, 1, writeRoomWaitMs) <= 0)
            return false;
    }
    return done == bytes.size();
#else
    Q_UNUSED(bytes);
    return false;
#endif
}

void PseudoTerminal::readAvailable()
{
#ifdef Q_OS_UNIX
    QByteArray bytes;
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(m_controlFd, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, static_cast<qsizetype>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        // The device side is held open here, so this is no master hanging up but a broken
        // terminal; stop watching it rather than spin on an endless readable state.
        m_notifier->setEnabled(false);
        emit failed(n == 0
                        ? QStringLiteral("the pseudo-terminal was closed")
                        : QStringLiteral("reading the pseudo-terminal failed: ") + systemError());
        break;
    }
    if (!bytes.isEmpty())
        emit received(bytes);
#endif
}

void PseudoTerminal::closeAll()
{
    m_notifier.reset();
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_devicePath)
        QFile::remove(m_linkPath);
    m_linkPath.clear();
#ifdef Q_OS_UNIX
    if (m_controlFd >= 0)
        ::close(m_controlFd);
    if (m_deviceFd >= 0)
        ::close(m_deviceFd);
#endif
    m_controlFd = m_deviceFd = -1;
}

} // namespace lcdsim
