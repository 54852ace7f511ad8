#pragma once

#include "trafficrecord.h"

#include <QString>
#include <QStringList>

/*! \brief The traffic history as CSV (RFC 4180, UTF-8): the one writer of every producer.
 *
 * Columns: time,window,device,settings,sent,received,outcome,first_byte_ms,last_byte_ms,wait_ms.
 * Bytes are upper-case hex separated by single blanks; times one decimal, empty when none; the
 * wait is how long the answer was waited for (0.0 for an upload). Files written before the wait
 * had a column of its own end at last_byte_ms; trafficcsvreader.h reads both.
 */
namespace trafficcsv {

//! The column names, in the order of every line's fields.
const QStringList &columns();

//! How many columns a file written before wait_ms had: the leading ones of columns().
constexpr int columnsWithoutWait = 9;

//! How the time column writes a record's local time: "2026-12-07T18:04:22.307".
QString timeFormat();

//! The header line, without its line break.
QString header();

//! One record as one CSV line, without its line break.
QString line(const TrafficRecord &record);

//! A field quoted where it holds a comma, a double quote or a line break.
QString field(const QString &text);

} // namespace trafficcsv
