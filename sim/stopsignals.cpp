#include "stopsignals.h"

#include <QSocketNotifier>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lcdsim {
namespace {

#ifdef Q_OS_UNIX
int pipeFds[2] = {-1, -1};
constexpr int stopSignals[] = {SIGINT, SIGTERM};

extern "C" void onStopSignal(int signalNumber)
{
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Nothing to do when the pipe is full: a stop is pending already.
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
}
#endif

} // namespace

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (::pipe(pipeFds) != 0)
        return;
    for (const int fd : pipeFds) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    m_notifier = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StopSignals::drain);
    struct sigaction action
    {
    };
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : stopSignals)
        sigaction(s, &action, nullptr);
#endif
}

StopSignals::~StopSignals()
{
#ifdef Q_OS_UNIX
    for (const int s : stopSignals)
        std::signal(s, SIG_DFL);
    m_notifier.reset();
    for (int &fd : pipeFds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
}

void StopSignals::drain()
{
#ifdef Q_OS_UNIX
    unsigned char byte = 0;
    int last = 0;
    while (::read(pipeFds[0], &byte, 1) == 1)
        last = byte;
    if (last != 0)
        emit stopRequested(last);
#endif
}

} // namespace lcdsim
