#pragma once

#include "trafficrecord.h"

#include <QFile>
#include <QString>

namespace ctl {

/*! \brief Appends traffic records to a CSV file, one line each, as they happen.
 *
 * A new or empty file gets the header line first; an existing log keeps growing, so that runs
 * of a production line end up in one file. Every line is flushed at once: a run cut short still
 * leaves every exchange it made in the file.
 */
class CsvLog
{
public:
    //! False, with the reason in \a error, when the file cannot be opened for appending.
    bool open(const QString &path, QString *error);
    bool isOpen() const { return m_file.isOpen(); }
    void append(const TrafficRecord &record);

private:
    QFile m_file;
};

} // namespace ctl
