#include "trafficcsv.h"

#include "hextext.h"

#include <QStringList>

namespace trafficcsv {

QString header()
{
    return QStringLiteral(
        "time,window,device,settings,sent,received,outcome,first_byte_ms,last_byte_ms");
}

QString field(const QString &text)
{
    const bool needsQuotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                             text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!needsQuotes)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString line(const TrafficRecord &record)
{
    const QStringList fields = {
        record.time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")),
        record.window,
        record.device,
        record.settings,
        hextext::bytes(record.sent),
        hextext::bytes(record.received),
        outcomeToken(record.outcome),
        millisecondsText(record.firstByteMs),
        millisecondsText(record.lastByteMs),
    };
    QStringList quoted;
    for (const QString &text : fields)
        quoted << field(text);
    return quoted.join(QLatin1Char(','));
}

} // namespace trafficcsv
