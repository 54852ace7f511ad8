#include "filesizelimit.h"

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    if (::getrlimit(RLIMIT_FSIZE, &m_before) != 0)
        return;
    rlimit limited = m_before;
    limited.rlim_cur = bytes;
    m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    m_set = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (m_set)
        ::setrlimit(RLIMIT_FSIZE, &m_before);
    std::signal(SIGXFSZ, m_previousHandler);
}

void FileSizeLimit::applyInChild(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited{};
    if (::getrlimit(RLIMIT_FSIZE, &limited) != 0)
        return;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
}
