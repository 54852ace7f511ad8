#include "runreport.h"

#include "diagnosis.h"
#include "hextext.h"
#include "modbusanswer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ctl::runreport {
namespace {

constexpr int exceptionCodeByte = 2;

// Tenths of a millisecond, as the traffic log writes them.
double tenths(double ms)
{
    return std::round(ms * 10.0) / 10.0;
}

QString msText(double ms)
{
    return QString::number(ms, 'f', 1);
}

QJsonValue msValue(const std::optional<double> &ms)
{
    return ms ? QJsonValue(tenths(*ms)) : QJsonValue(QJsonValue::Null);
}

struct Counts
{
    int sent = 0;
    int answered = 0;
    int noResponse = 0;
    int incomplete = 0;
    int crcError = 0;
    int exception = 0;
    int portError = 0;
    int written = 0;
    std::vector<double> firstByteMs;
};

Counts count(const RunRecords &records)
{
    Counts counts;
    for (const TrafficRecord &record : records) {
        if (record.outcome != TrafficOutcome::PortError)
            ++counts.sent;
        if (record.firstByteMs)
            counts.firstByteMs.push_back(*record.firstByteMs);
        switch (record.outcome) {
        case TrafficOutcome::Answer:
            ++counts.answered;
            break;
        case TrafficOutcome::NoResponse:
            ++counts.noResponse;
            break;
        case TrafficOutcome::Incomplete:
            ++counts.incomplete;
            break;
        case TrafficOutcome::CrcError:
            ++counts.crcError;
            break;
        case TrafficOutcome::Exception:
            ++counts.exception;
            break;
        case TrafficOutcome::PortError:
            ++counts.portError;
            break;
        case TrafficOutcome::Written:
            ++counts.written;
            break;
        }
    }
    std::sort(counts.firstByteMs.begin(), counts.firstByteMs.end());
    return counts;
}

double median(const std::vector<double> &sorted)
{
    const size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

} // namespace

int exitStatus(TrafficOutcome outcome)
{
    switch (outcome) {
    case TrafficOutcome::Answer:
    case TrafficOutcome::Written:
        return 0;
    case TrafficOutcome::NoResponse:
        return 2;
    case TrafficOutcome::Incomplete:
        return 3;
    case TrafficOutcome::CrcError:
        return 4;
    case TrafficOutcome::PortError:
        return 5;
    case TrafficOutcome::Exception:
        return 6;
    }
    return 5;
}

int exitStatus(const RunRecords &records)
{
    for (auto record = records.crbegin(); record != records.crend(); ++record) {
        if (const int status = exitStatus(record->outcome); status != 0)
            return status;
    }
    return 0;
}

std::optional<int> exceptionCode(const TrafficRecord &record)
{
    if (record.outcome != TrafficOutcome::Exception || record.received.size() <= exceptionCodeByte)
        return std::nullopt;
    return quint8(record.received.at(exceptionCodeByte));
}

QString exchangeText(const TrafficRecord &record)
{
    QString rx;
    if (record.outcome == TrafficOutcome::Answer) {
        rx = hextext::bytes(record.received);
    } else {
        rx = outcomeToken(record.outcome);
        if (const std::optional<int> code = exceptionCode(record))
            rx += QStringLiteral(" %1 (%2)")
                      .arg(hextext::byte(quint8(*code)), modbusanswer::exceptionName(*code));
        if (record.outcome == TrafficOutcome::Written)
            rx += QStringLiteral(", no answer awaited");
        if (!record.received.isEmpty())
            rx += QStringLiteral(": ") + hextext::bytes(record.received);
    }
    if (record.firstByteMs)
        rx += QStringLiteral(" (%1 ms)").arg(msText(*record.firstByteMs));
    return QStringLiteral("TX %1\nRX %2").arg(hextext::bytes(record.sent), rx);
}

QJsonObject exchangeJson(const TrafficRecord &record)
{
    const std::optional<int> code = exceptionCode(record);
    return {
        {QStringLiteral("sent"), hextext::bytes(record.sent)},
        {QStringLiteral("received"), hextext::bytes(record.received)},
        {QStringLiteral("outcome"), outcomeToken(record.outcome)},
        {QStringLiteral("exception"), code ? QJsonValue(*code) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("first_byte_ms"), msValue(record.firstByteMs)},
        {QStringLiteral("last_byte_ms"), msValue(record.lastByteMs)},
    };
}

QString summaryLine(const RunRecords &records)
{
    const Counts counts = count(records);
    QString times = QStringLiteral("-/-/-");
    if (!counts.firstByteMs.empty())
        times = QStringLiteral("%1/%2/%3")
                    .arg(msText(counts.firstByteMs.front()), msText(median(counts.firstByteMs)),
                         msText(counts.firstByteMs.back()));
    return QStringLiteral("%1 sent, %2 answered, %3 no response, %4 incomplete, %5 crc error, "
                          "%6 exception, %7 port error, %8 written; first byte min/median/max "
                          "%9 ms")
        .arg(counts.sent)
        .arg(counts.answered)
        .arg(counts.noResponse)
        .arg(counts.incomplete)
        .arg(counts.crcError)
        .arg(counts.exception)
        .arg(counts.portError)
        .arg(counts.written)
        .arg(times);
}

QJsonObject summaryJson(const RunRecords &records)
{
    const Counts counts = count(records);
    QJsonObject firstByte = {{QStringLiteral("min"), QJsonValue::Null},
                             {QStringLiteral("median"), QJsonValue::Null},
                             {QStringLiteral("max"), QJsonValue::Null}};
    if (!counts.firstByteMs.empty())
        firstByte = {{QStringLiteral("min"), tenths(counts.firstByteMs.front())},
                     {QStringLiteral("median"), tenths(median(counts.firstByteMs))},
                     {QStringLiteral("max"), tenths(counts.firstByteMs.back())}};
    return {
        {QStringLiteral("sent"), counts.sent},
        {QStringLiteral("answered"), counts.answered},
        {QStringLiteral("no_response"), counts.noResponse},
        {QStringLiteral("incomplete"), counts.incomplete},
        {QStringLiteral("crc_error"), counts.crcError},
        {QStringLiteral("exception"), counts.exception},
        {QStringLiteral("port_error"), counts.portError},
        {QStringLiteral("written"), counts.written},
        {QStringLiteral("first_byte_ms"), firstByte},
    };
}

QStringList closingLines(const RunRecords &records, bool json, bool localEcho)
{
    const QList<LineFinding> findings = diagnose(records, localEcho, DiagnosisReader::CommandLine);
    if (json) {
        QJsonArray codes;
        for (const LineFinding &finding : findings)
            codes.append(finding.code);
        // Written by hand around the two values so the summary comes first, as a person reads
        // it: a QJsonObject would sort its keys.
        const QString summary = jsonLine(summaryJson(records));
        const QString diagnosis =
            QString::fromUtf8(QJsonDocument(codes).toJson(QJsonDocument::Compact));
        return {QStringLiteral("{\"summary\":%1,\"diagnosis\":%2}").arg(summary, diagnosis)};
    }
    QStringList lines = {summaryLine(records)};
    for (const LineFinding &finding : findings)
        lines.append(QStringLiteral("diagnosis: ") + finding.line());
    return lines;
}

QString jsonLine(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace ctl::runreport
