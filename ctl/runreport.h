#pragma once

#include "trafficrecord.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ctl {

//! Every exchange of one run, in order: the output's summary and the exit status come from here.
using RunRecords = QList<TrafficRecord>;

//! What the tool prints for the exchanges of a run and how it ends.
namespace runreport {

//! The exit status of one outcome: 0 answered or written, 2 no response, 3 incomplete,
//! 4 CRC error, 5 port error, 6 exception answer.
int exitStatus(TrafficOutcome outcome);
//! The status of the last exchange that failed; 0 when none did.
int exitStatus(const RunRecords &records);

//! The exception code of an exception answer.
std::optional<int> exceptionCode(const TrafficRecord &record);

//! "TX" and the request, then "RX" and the answer with its first-byte time, or the outcome.
QString exchangeText(const TrafficRecord &record);
//! sent, received, outcome, exception, first_byte_ms, last_byte_ms.
QJsonObject exchangeJson(const TrafficRecord &record);

//! "N sent, N answered, N no response, N incomplete, N crc error, N exception, N port error,
//! N written; first byte min/median/max X/Y/Z ms".
QString summaryLine(const RunRecords &records);
//! The same counts and first-byte times as an object.
QJsonObject summaryJson(const RunRecords &records);

/*! The lines that close a run of repeated exchanges: the summary line and one "diagnosis: "
 * line per finding about the line, or in JSON one object {"summary": {...}, "diagnosis": [codes]}.
 * \a localEcho: the echo of each request was removed before judging. */
QStringList closingLines(const RunRecords &records, bool json, bool localEcho);

//! One JSON object as one line.
QString jsonLine(const QJsonObject &object);

} // namespace runreport
} // namespace ctl
