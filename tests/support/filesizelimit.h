#pragma once

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

/*! \brief A disk that fills up after \a bytes, for as long as the object lives.
 *
 * The process may not grow any file past the limit: a write that crosses it writes what fits
 * and fails, as on a full disk. The limit's signal is ignored meanwhile, or the first such
 * write would end the process. Only POSIX systems limit a file's size per process: elsewhere
 * nothing is set, and tests that need a full disk skip.
 */
class FileSizeLimit
{
public:
#ifdef Q_OS_UNIX
    static constexpr bool supported = true;
#else
    static constexpr bool supported = false;
#endif

    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isSet() const { return m_set; }

    //! The same for a child process, called between fork and exec: both survive the exec.
    static void applyInChild(qint64 bytes);

private:
#ifdef Q_OS_UNIX
    rlimit m_before{};
    void (*m_previousHandler)(int) = nullptr;
#endif
    bool m_set = false;
};
