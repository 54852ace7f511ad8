#include "csvlog.h"

#include "trafficcsv.h"

namespace ctl {

bool CsvLog::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        *error = QStringLiteral("--log: cannot write %1: %2").arg(path, m_file.errorString());
        return false;
    }
    if (m_file.size() == 0) {
        m_file.write(trafficcsv::header().toUtf8() + "\r\n");
        m_file.flush();
    }
    return true;
}

void CsvLog::append(const TrafficRecord &record)
{
    m_file.write(trafficcsv::line(record).toUtf8() + "\r\n");
    m_file.flush();
}

} // namespace ctl
