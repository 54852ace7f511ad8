#pragma once

#include "trafficrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

/*! \brief Reads a traffic CSV file back into the records it was written from.
 *
 * Takes what trafficcsv writes, through the log, pravixctl --log and "Save as CSV…" alike, and
 * files from before the wait had a column (their records wait 0 ms). The header must name the
 * columns in their order. Any fault, in the header or in any field of any line, refuses the
 * whole file with one line "FILE line N, field NAME: what is wrong", so that nothing is judged
 * from part of a field log. Times come back as the file holds them, to a tenth of a millisecond.
 */
namespace trafficcsv {

//! The records of a file's contents, oldest first; \a fileName is what the error names.
std::optional<QList<TrafficRecord>> parse(const QByteArray &contents, const QString &fileName,
                                          QString *error);

//! The records of the file at \a path; "FILE: reason" when it cannot be read at all.
std::optional<QList<TrafficRecord>> readFile(const QString &path, QString *error);

} // namespace trafficcsv
