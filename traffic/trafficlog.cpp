#include "trafficlog.h"

#include "reasontext.h"
#include "trafficcsv.h"

#include <QDir>

bool TrafficLog::open(const QString &path)
{
    m_file.close();
    m_error.clear();
    m_file.setFileName(path);
    // Unbuffered: every write() below reaches the operating system as it is made.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return fail(m_file.errorString());
    if (m_file.size() == 0) {
        if (writeLine(trafficcsv::header()))
            return true;
        m_file.close();
        return false;
    }
    // Lines of these columns under another header (a file begun by an earlier version of the
    // program) would make the whole file unreadable.
    QFile existing(path);
    const bool sameColumns =
        existing.open(QIODevice::ReadOnly) &&
        existing.readLine() == (trafficcsv::header() + QStringLiteral("\r\n")).toUtf8();
    if (!sameColumns) {
        m_file.close();
        return fail(QStringLiteral("it does not start with the header %1; choose a new file")
                        .arg(trafficcsv::header()));
    }
    return true;
}

bool TrafficLog::append(const TrafficRecord &record)
{
    if (!m_file.isOpen())
        return fail(QStringLiteral("the log is not open"));
    return writeLine(trafficcsv::line(record));
}

// The line and its break in one write: a reader never sees half a record. A disk that fills
// up part way through takes some of the bytes and reports nothing; writing the rest then gives
// the reason. The part is cut off again, so the file still ends with the last whole record.
bool TrafficLog::writeLine(const QString &line)
{
    const QByteArray bytes = (line + QStringLiteral("\r\n")).toUtf8();
    const qint64 before = m_file.size();
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = m_file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const QString reason = m_file.errorString();
            m_file.resize(before);
            return fail(reason);
        }
        done += written;
    }
    return true;
}

bool TrafficLog::fail(const QString &reason)
{
    // The messages that quote this one end with their own full stop.
    m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_file.fileName()),
                                           reasontext::quoted(reason));
    return false;
}
