#include "filesizelimit.h"

#ifdef Q_OS_UNIX
#include <csignal>

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    if (::getrlimit(RLIMIT_FSIZE, &m_before) != 0)
        return;
    rlimit limited = m_before;
    limited.rlim_cur = rlim_t(bytes);
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    m_set = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (m_set)
        ::setrlimit(RLIMIT_FSIZE, &m_before);
    if (m_previousHandler)
        std::signal(SIGXFSZ, m_previousHandler);
}

void FileSizeLimit::applyInChild(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited{};
    if (::getrlimit(RLIMIT_FSIZE, &limited) != 0)
        return;
    limited.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limited);
}
#else
FileSizeLimit::FileSizeLimit(qint64) {}

FileSizeLimit::~FileSizeLimit() = default;

void FileSizeLimit::applyInChild(qint64) {}
#endif
