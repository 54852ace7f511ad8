#include "runoutput.h"

#include "commerror.h"
#include "modini.h"
#include "porthint.h"

#include <QTextStream>

namespace ctl {

bool RunOutput::openLog(const QString &path)
{
    if (m_log.open(path))
        return true;
    note(QStringLiteral("--log: cannot write %1").arg(m_log.errorText()));
    return false;
}

void RunOutput::note(const QString &text)
{
    m_console.err << "pravixctl: " << text << '\n';
    m_console.err.flush();
}

void RunOutput::reportPortError(const CommError &error)
{
    m_console.err << porthint::describe(error, modINI::iniFilePath());
    m_console.err.flush();
}

void RunOutput::record(const TrafficRecord &record)
{
    m_records.append(record);
    log(record);
    if (m_json)
        m_console.out << runreport::jsonLine(runreport::exchangeJson(record)) << '\n';
    else if (record.outcome != TrafficOutcome::PortError)
        m_console.out << runreport::exchangeText(record) << '\n';
    m_console.out.flush();
}

void RunOutput::log(const TrafficRecord &record)
{
    // A full disk ends the log, not the series; the user learns that the log is short.
    if (m_log.isOpen() && !m_log.append(record)) {
        note(QStringLiteral("stopped writing the log %1").arg(m_log.errorText()));
        m_log.close();
    }
}

int RunOutput::finish(bool summary, bool localEcho)
{
    if (summary) {
        for (const QString &line : runreport::closingLines(m_records, m_json, localEcho))
            m_console.out << line << '\n';
        m_console.out.flush();
    }
    return runreport::exitStatus(m_records);
}

} // namespace ctl
