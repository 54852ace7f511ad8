#pragma once

#include "trafficrecord.h"

#include <QString>

class QIODevice;

/*! \brief The traffic history as CSV (RFC 4180, UTF-8): the one writer of every producer.
 *
 * Columns: time,window,device,settings,sent,received,outcome,first_byte_ms,last_byte_ms.
 * Bytes are upper-case hex separated by single blanks; times one decimal, empty when none.
 */
namespace trafficcsv {

//! The header line, without its line break.
QString header();

//! One record as one CSV line, without its line break.
QString line(const TrafficRecord &record);

//! A field quoted where it holds a comma, a double quote or a line break.
QString field(const QString &text);

} // namespace trafficcsv
