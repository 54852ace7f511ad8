#include "trafficcsv.h"

#include "hextext.h"

namespace trafficcsv {

const QStringList &columns()
{
    static const QStringList names = {
        QStringLiteral("time"),     QStringLiteral("window"),        QStringLiteral("device"),
        QStringLiteral("settings"), QStringLiteral("sent"),          QStringLiteral("received"),
        QStringLiteral("outcome"),  QStringLiteral("first_byte_ms"), QStringLiteral("last_byte_ms"),
        QStringLiteral("wait_ms"),
    };
    return names;
}

QString timeFormat()
{
    return QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");
}

QString header()
{
    return columns().join(QLatin1Char(','));
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
        record.time.toString(timeFormat()),
        record.window,
        record.device,
        record.settings,
        hextext::bytes(record.sent),
        hextext::bytes(record.received),
        outcomeToken(record.outcome),
        millisecondsText(record.firstByteMs),
        millisecondsText(record.lastByteMs),
        millisecondsText(record.waitMs),
    };
    QStringList quoted;
    for (const QString &text : fields)
        quoted << field(text);
    return quoted.join(QLatin1Char(','));
}

} // namespace trafficcsv
