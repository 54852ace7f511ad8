#include "pseudoterminal.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QtGlobal>

#include <array>
#include <utility>

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

const std::array<std::pair<speed_t, int>, 10> speeds = {{{B300, 300},
                                                         {B600, 600},
                                                         {B1200, 1200},
                                                         {B2400, 2400},
                                                         {B4800, 4800},
                                                         {B9600, 9600},
                                                         {B19200, 19200},
                                                         {B38400, 38400},
                                                         {B57600, 57600},
                                                         {B115200, 115200}}};

const std::array<std::pair<tcflag_t, int>, 4> sizes = {{{CS5, 5}, {CS6, 6}, {CS7, 7}, {CS8, 8}}};

bool makeRaw(int fd, const LineSettings *line)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    if (line) {
        for (const auto &[code, rate] : speeds) {
            if (rate == line->baudRate) {
                cfsetispeed(&settings, code);
                cfsetospeed(&settings, code);
            }
        }
        for (const auto &[flag, bits] : sizes) {
            if (bits == line->dataBits)
                settings.c_cflag = (settings.c_cflag & ~tcflag_t(CSIZE)) | flag;
        }
        settings.c_cflag &= ~tcflag_t(CSTOPB | PARENB | PARODD);
        if (line->stopBits == 2)
            settings.c_cflag |= CSTOPB;
        if (line->parity != 'N')
            settings.c_cflag |= PARENB;
        if (line->parity == 'O')
            settings.c_cflag |= PARODD;
    }
    if (tcsetattr(fd, TCSANOW, &settings) == 0)
        return true;
    // Some kernels refuse the parity flag on a pseudo-terminal, which carries no parity anyway.
    if (!(settings.c_cflag & PARENB))
        return false;
    settings.c_cflag &= ~tcflag_t(PARENB | PARODD);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}
#endif

} // namespace

PseudoTerminal::PseudoTerminal(QObject *parent) : LineEnd(parent) {}

PseudoTerminal::~PseudoTerminal()
{
    closeAll();
}

bool PseudoTerminal::available()
{
#ifdef Q_OS_UNIX
    return true;
#else
    return false;
#endif
}

bool PseudoTerminal::open(const LineSettings &initial, QString *error)
{
#ifdef Q_OS_UNIX
    closeAll();
    char name[256] = {};
    if (openpty(&m_controlFd, &m_deviceFd, name, nullptr, nullptr) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: ") + systemError();
        m_controlFd = m_deviceFd = -1;
        return false;
    }
    // Raw on both sides: every byte passes unchanged, no echo, no line editing. The device side
    // goes last: on Linux both sides share its settings, and the line must end up as given.
    if (!makeRaw(m_controlFd, nullptr) || !makeRaw(m_deviceFd, &initial)) {
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
    Q_UNUSED(initial);
    *error = QStringLiteral("this system has no pseudo-terminals");
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

std::optional<LineSettings> PseudoTerminal::lineSettings() const
{
#ifdef Q_OS_UNIX
    termios settings{};
    if (m_controlFd < 0 || tcgetattr(m_controlFd, &settings) != 0)
        return std::nullopt;
    LineSettings line;
    line.baudRate = 0;
    const speed_t code = cfgetospeed(&settings);
    for (const auto &[candidate, rate] : speeds) {
        if (candidate == code)
            line.baudRate = rate;
    }
    for (const auto &[flag, bits] : sizes) {
        if ((settings.c_cflag & CSIZE) == flag)
            line.dataBits = bits;
    }
    line.stopBits = (settings.c_cflag & CSTOPB) ? 2 : 1;
    if (settings.c_cflag & PARENB)
        line.parity = (settings.c_cflag & PARODD) ? 'O' : 'E';
    else
        line.parity = 'N';
    return line;
#else
    return std::nullopt;
#endif
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
        emit failed(n == 0 ? m_devicePath + QStringLiteral(": the pseudo-terminal was closed")
                           : m_devicePath + QStringLiteral(": reading failed: ") + systemError());
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
