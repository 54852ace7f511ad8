#include "fuzzcheck.h"
#include "trafficcsv.h"
#include "trafficcsvreader.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

// Any bytes as a traffic CSV file, as pravixctl doctor and the simulator's replay read it: either
// it is refused with one line naming the file, the line and the field, or every record has its
// timings in order, and writing the records again gives a file that reads back to the very same
// lines (the reader takes nothing the writer cannot say).
namespace {

QByteArray written(const QList<TrafficRecord> &records)
{
    QString text = trafficcsv::header() + QStringLiteral("\r\n");
    for (const TrafficRecord &record : records)
        text += trafficcsv::line(record) + QStringLiteral("\r\n");
    return text.toUtf8();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString fileName = QStringLiteral("field.csv");
    QString error;
    const std::optional<QList<TrafficRecord>> records =
        trafficcsv::parse(contents, fileName, &error);

    if (!records) {
        require(error.startsWith(fileName + QStringLiteral(" line ")));
        require(error.contains(QStringLiteral(", field ")));
        require(!error.contains(QLatin1Char('\n')));
        return 0;
    }
    for (const TrafficRecord &record : *records) {
        require(record.time.isValid());
        require(record.firstByteMs.has_value() == record.lastByteMs.has_value());
        require(!record.firstByteMs || *record.lastByteMs >= *record.firstByteMs);
        require(record.waitMs >= 0);
    }

    const QByteArray again = written(*records);
    const std::optional<QList<TrafficRecord>> reread = trafficcsv::parse(again, fileName, &error);
    require(reread && reread->size() == records->size());
    require(written(*reread) == again);
    return 0;
}
