#pragma once

#include <QString>

class TrafficModel;

namespace trafficexport {

/*! Writes the header and every record the model holds, oldest first, as one CSV file that
 * replaces \a path only once it is complete. False with "FILE: reason" in \a error when the
 * file cannot be written. */
bool save(const TrafficModel &model, const QString &path, QString *error);

} // namespace trafficexport
