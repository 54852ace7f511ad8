#include "trafficcsvreader.h"

#include "hextext.h"
#include "trafficcsv.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringList>

#include <cmath>
#include <functional>

namespace trafficcsv {
namespace {

// Column positions, in the order columns() names them.
enum Column {
    TimeColumn,
    WindowColumn,
    DeviceColumn,
    SettingsColumn,
    SentColumn,
    ReceivedColumn,
    OutcomeColumn,
    FirstByteColumn,
    LastByteColumn,
    WaitColumn,
};

// No master waits an hour for an answer: a larger time is a spoilt field, and refusing it keeps
// whoever replays the record from scheduling it.
constexpr double kLongestMs = 3600000;

//! One line of the file as fields, and the line of the file it began on.
struct Row
{
    int line = 0;
    QStringList fields;
};

//! Where a fault lies and what it is; the reader turns it into the one line of the error.
struct Fault
{
    int line = 0;
    int column = 0;
    QString problem;
};

//! A field's text as an error shows it: in double quotes, on one line, and not too long.
QString quoted(const QString &text)
{
    constexpr int longestShown = 40;
    QString shown = text.left(longestShown);
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    if (text.size() > longestShown)
        shown += QStringLiteral("...");
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

QString columnName(int column)
{
    return column < columns().size() ? columns().at(column) : QString::number(column + 1);
}

/*! Cuts RFC 4180 text into rows, handing each to \a take as it is complete; stops at the first
 * row \a take refuses or at malformed quoting. A field in double quotes may hold commas, doubled
 * quotes and line breaks; lines end in CR LF or LF. */
std::optional<Fault> splitRows(const QString &text,
                               const std::function<std::optional<Fault>(const Row &)> &take)
{
    Row row{1, {}};
    QString field;
    int line = 1;
    bool inQuotes = false;
    bool closedQuote = false;
    bool rowHasText = false;
    const qsizetype size = text.size();
    for (qsizetype at = 0; at < size; ++at) {
        const QChar c = text.at(at);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (at + 1 < size && text.at(at + 1) == QLatin1Char('"')) {
                    field += c;
                    ++at;
                } else {
                    inQuotes = false;
                    closedQuote = true;
                }
                continue;
            }
            if (c == QLatin1Char('\n'))
                ++line;
            field += c;
            continue;
        }
        const bool lineBreak = c == QLatin1Char('\n') || (c == QLatin1Char('\r') && at + 1 < size &&
                                                          text.at(at + 1) == QLatin1Char('\n'));
        if (c == QLatin1Char(',') || lineBreak) {
            row.fields.append(field);
            field.clear();
            closedQuote = false;
            rowHasText = true;
            if (!lineBreak)
                continue;
            if (c == QLatin1Char('\r'))
                ++at;
            if (const std::optional<Fault> fault = take(row))
                return fault;
            row = Row{++line, {}};
            rowHasText = false;
            continue;
        }
        const int column = int(row.fields.size());
        if (closedQuote)
            return Fault{row.line, column, QStringLiteral("text after the closing double quote")};
        if (c == QLatin1Char('"')) {
            if (!field.isEmpty())
                return Fault{row.line, column,
                             QStringLiteral("a double quote inside a field not in quotes")};
            inQuotes = true;
            rowHasText = true;
            continue;
        }
        field += c;
        rowHasText = true;
    }
    if (inQuotes)
        return Fault{row.line, int(row.fields.size()),
                     QStringLiteral("the double quote is not closed before the end of the file")};
    // The last line may lack its break; a break at the very end starts no row.
    if (rowHasText || !field.isEmpty()) {
        row.fields.append(field);
        return take(row);
    }
    return std::nullopt;
}

std::optional<Fault> checkHeader(const Row &row, int *width)
{
    const QStringList &names = columns();
    const QStringList &given = row.fields;
    if (given == names || given == names.mid(0, columnsWithoutWait)) {
        *width = int(given.size());
        return std::nullopt;
    }
    for (int column = 0; column < names.size(); ++column) {
        if (column >= given.size())
            return Fault{
                row.line, column,
                QStringLiteral("the header ends where \"%1\" belongs").arg(names.at(column))};
        if (given.at(column) != names.at(column))
            return Fault{row.line, column,
                         QStringLiteral("the header has %1 where \"%2\" belongs")
                             .arg(quoted(given.at(column)), names.at(column))};
    }
    return Fault{row.line, int(names.size()),
                 QStringLiteral("the header has a column after \"%1\"").arg(names.last())};
}

//! Milliseconds in the file's one-decimal form (any plain decimal is taken); nothing for a text
//! that is no time from 0 up to an hour.
std::optional<double> milliseconds(const QString &text)
{
    bool ok = false;
    const double ms = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(ms) || ms < 0 || ms > kLongestMs)
        return std::nullopt;
    return ms;
}

class RowReader
{
public:
    explicit RowReader(const Row &row) : m_row(row) {}

    std::optional<Fault> read(int width, TrafficRecord *record)
    {
        const int given = int(m_row.fields.size());
        if (given < width)
            return fault(given, QStringLiteral("missing: the line ends before it"));
        if (given > width)
            return fault(width, QStringLiteral("the line has more fields than the header"));

        record->time = QDateTime::fromString(text(TimeColumn), timeFormat());
        if (!record->time.isValid())
            return fault(TimeColumn, QStringLiteral("%1 is not a time such as "
                                                    "2026-12-07T18:04:22.307")
                                         .arg(quoted(text(TimeColumn))));
        record->window = text(WindowColumn);
        record->device = text(DeviceColumn);
        record->settings = text(SettingsColumn);
        for (const auto &[column, bytes] :
             {std::pair{SentColumn, &record->sent}, std::pair{ReceivedColumn, &record->received}}) {
            const std::optional<QByteArray> parsed = hextext::parseBytes(text(column));
            if (!parsed)
                return fault(column, QStringLiteral("%1 is not hex bytes such as 01 05 00 00")
                                         .arg(quoted(text(column))));
            *bytes = *parsed;
        }
        const std::optional<TrafficOutcome> outcome = outcomeFromToken(text(OutcomeColumn));
        if (!outcome)
            return fault(OutcomeColumn,
                         QStringLiteral("%1 is no outcome").arg(quoted(text(OutcomeColumn))));
        record->outcome = *outcome;
        return readTimes(width, record);
    }

private:
    QString text(int column) const { return m_row.fields.at(column); }

    Fault fault(int column, const QString &problem) const
    {
        return Fault{m_row.line, column, problem};
    }

    std::optional<Fault> optionalMs(int column, std::optional<double> *ms) const
    {
        if (text(column).isEmpty()) {
            ms->reset();
            return std::nullopt;
        }
        *ms = milliseconds(text(column));
        if (!*ms)
            return fault(column, QStringLiteral("%1 is not milliseconds from 0 to %2")
                                     .arg(quoted(text(column)))
                                     .arg(kLongestMs, 0, 'f', 0));
        return std::nullopt;
    }

    std::optional<Fault> readTimes(int width, TrafficRecord *record) const
    {
        if (auto bad = optionalMs(FirstByteColumn, &record->firstByteMs))
            return bad;
        if (auto bad = optionalMs(LastByteColumn, &record->lastByteMs))
            return bad;
        // Both come from the same bytes: the first and the last that arrived.
        if (record->firstByteMs.has_value() != record->lastByteMs.has_value())
            return fault(LastByteColumn, record->lastByteMs
                                             ? QStringLiteral("a last byte without a first")
                                             : QStringLiteral("empty although a first byte came"));
        if (record->lastByteMs && *record->lastByteMs < *record->firstByteMs)
            return fault(LastByteColumn, QStringLiteral("the last byte comes before the first"));
        record->waitMs = 0;
        if (width > WaitColumn) {
            const std::optional<double> wait = milliseconds(text(WaitColumn));
            if (!wait)
                return fault(WaitColumn, QStringLiteral("%1 is not milliseconds from 0 to %2")
                                             .arg(quoted(text(WaitColumn)))
                                             .arg(kLongestMs, 0, 'f', 0));
            record->waitMs = *wait;
        }
        return std::nullopt;
    }

    const Row &m_row;
};

} // namespace

std::optional<QList<TrafficRecord>> parse(const QByteArray &contents, const QString &fileName,
                                          QString *error)
{
    QString text = QString::fromUtf8(contents);
    // A spreadsheet that saved the file again may have put a byte order mark in front.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    QList<TrafficRecord> records;
    int width = 0;
    const auto take = [&](const Row &row) -> std::optional<Fault> {
        if (width == 0)
            return checkHeader(row, &width);
        TrafficRecord record;
        if (std::optional<Fault> fault = RowReader(row).read(width, &record))
            return fault;
        records.append(record);
        return std::nullopt;
    };
    std::optional<Fault> fault = splitRows(text, take);
    if (!fault && width == 0)
        fault = Fault{1, 0, QStringLiteral("the file is empty: no header")};
    if (fault) {
        *error = QStringLiteral("%1 line %2, field %3: %4")
                     .arg(fileName)
                     .arg(fault->line)
                     .arg(columnName(fault->column), fault->problem);
        return std::nullopt;
    }
    return records;
}

std::optional<QList<TrafficRecord>> readFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return std::nullopt;
    }
    return parse(file.readAll(), QDir::toNativeSeparators(path), error);
}

} // namespace trafficcsv
