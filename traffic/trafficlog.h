#pragma once

#include "trafficrecord.h"

#include <QFile>
#include <QString>

/*! \brief A CSV file the traffic history is appended to, one record at a time.
 *
 * A new or empty file starts with the header line; a file that starts with any other line is
 * not appended to. Each record goes to the operating system in
 * a single unbuffered write, so a program killed at any moment leaves every finished record
 * whole in the file. Errors name the file and the reason.
 */
class TrafficLog
{
public:
    TrafficLog() = default;
    TrafficLog(const TrafficLog &) = delete;
    TrafficLog &operator=(const TrafficLog &) = delete;

    //! Opens \a path for appending; false with the reason in errorText() when it cannot.
    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    void close() { m_file.close(); }

    //! Appends one line; false with the reason in errorText() when the write fails.
    bool append(const TrafficRecord &record);

    //! Why the last open() or append() failed: "FILE: reason".
    QString errorText() const { return m_error; }

private:
    bool writeLine(const QString &line);
    bool fail(const QString &reason);

    QFile m_file;
    QString m_error;
};
