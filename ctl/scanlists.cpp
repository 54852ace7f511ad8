#include "scanlists.h"

#include "numbertext.h"
#include "storedline.h"

namespace ctl::scanlists {
namespace {

constexpr int longestId = 3;

std::optional<int> slaveId(const QString &text)
{
    const std::optional<qint64> value = numbertext::digits(text, longestId);
    if (!value || *value < 1 || *value > storedline::highestSlave)
        return std::nullopt;
    return int(*value);
}

QString shown(const QString &entry)
{
    return entry.isEmpty() ? QStringLiteral("an empty entry") : entry;
}

} // namespace

std::optional<std::vector<int>> ids(const QString &text, QString *error)
{
    std::vector<int> result;
    const QString allowed = QStringLiteral("IDs 1-%1 and ranges such as 10-20, separated by commas")
                                .arg(storedline::highestSlave);
    for (const QString &entry : text.split(QLatin1Char(','))) {
        const qsizetype dash = entry.indexOf(QLatin1Char('-'));
        const std::optional<int> low = slaveId(dash < 0 ? entry : entry.left(dash));
        const std::optional<int> high = dash < 0 ? low : slaveId(entry.mid(dash + 1));
        if (!low || !high) {
            *error = QStringLiteral("--ids %1: %2 is not an ID or a range; allowed: %3")
                         .arg(text, shown(entry), allowed);
            return std::nullopt;
        }
        if (*low > *high) {
            *error =
                QStringLiteral("--ids %1: the range %2 runs from high to low").arg(text, entry);
            return std::nullopt;
        }
        for (int id = *low; id <= *high; ++id)
            result.push_back(id);
    }
    return result;
}

std::optional<std::vector<SerialSettings>> lines(const QString &text, QString *error)
{
    if (text == QLatin1String("all"))
        return std::vector<SerialSettings>(SerialSettings::all().begin(),
                                           SerialSettings::all().end());
    QStringList bauds;
    QStringList formats;
    for (const QString &entry : text.split(QLatin1Char(','))) {
        if (SerialSettings::baudNames().contains(entry)) {
            bauds << entry;
        } else if (SerialSettings::formatNames().contains(entry, Qt::CaseInsensitive)) {
            formats << entry;
        } else {
            *error =
                QStringLiteral("--lines %1: %2 is neither a baud rate (%3) nor a format (%4); "
                               "or give all")
                    .arg(text, shown(entry), SerialSettings::baudNames().join(QLatin1String(", ")),
                         SerialSettings::formatNames().join(QLatin1String(", ")));
            return std::nullopt;
        }
    }
    if (bauds.isEmpty())
        bauds = SerialSettings::baudNames();
    if (formats.isEmpty())
        formats = SerialSettings::formatNames();
    std::vector<SerialSettings> result;
    for (const QString &baud : bauds) {
        for (const QString &format : formats)
            result.push_back(*SerialSettings::find(baud.toInt(), format));
    }
    return result;
}

} // namespace ctl::scanlists
