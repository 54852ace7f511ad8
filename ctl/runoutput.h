#pragma once

#include "runreport.h"
#include "trafficlog.h"

#include <QString>

class CommError;
class QIODevice;
class QTextStream;

namespace ctl {

//! Where a run reads a profile from standard input and writes its output and its errors.
struct Console
{
    QIODevice &in;
    QTextStream &out;
    QTextStream &err;
};

/*! \brief What a run tells as it goes and how it ends.
 *
 * Each exchange goes to standard output (text or one JSON line) and to the log, when there is
 * one; notes and port failures go to standard error as "pravixctl: ..." lines; the end is the
 * summary and the exit status of every exchange recorded.
 */
class RunOutput
{
public:
    RunOutput(Console &console, bool json) : m_console(console), m_json(json) {}

    //! Appends to \a path from now on; false, with the reason on standard error, when it cannot.
    bool openLog(const QString &path);

    void note(const QString &text);
    //! The operating system's reason and a hint for a port that failed.
    void reportPortError(const CommError &error);
    void record(const TrafficRecord &record);
    //! To the log alone, when there is one: a scan prints its finds, not every probe.
    void log(const TrafficRecord &record);

    const RunRecords &records() const { return m_records; }

    //! The exit status of the run; with \a summary, after the summary and the diagnosis lines.
    //! \a localEcho: the echo of each request was removed before judging.
    int finish(bool summary, bool localEcho);

private:
    Console &m_console;
    bool m_json;
    TrafficLog m_log;
    RunRecords m_records;
};

} // namespace ctl
