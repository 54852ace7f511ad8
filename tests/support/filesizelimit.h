#pragma once

#include <sys/resource.h>

#include <csignal>

/*! \brief A disk that fills up after \a bytes, for as long as the object lives.
 *
 * The process may not grow any file past the limit: a write that crosses it writes what fits
 * and fails, as on a full disk. The limit's signal is ignored meanwhile, or the first such
 * write would end the process.
 */
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isSet() const { return m_set; }

    //! The same for a child process, called between fork and exec: both survive the exec.
    static void applyInChild(rlim_t bytes);

private:
    rlimit m_before{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_set = false;
};
