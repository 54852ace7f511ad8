#include "serialsettings.h"

#include <algorithm>

namespace {

struct Format
{
    const char *name;
    const char *part;
    bool evenParity;
    int stopBits;
};

constexpr std::array<Format, 3> formats = {{
    {"8N1", "n,8,1", false, 1},
    {"8N2", "n,8,2", false, 2},
    {"8E1", "e,8,1", true, 1},
}};

constexpr std::array<int, 3> bauds = {9600, 19200, 38400};

std::array<SerialSettings, SerialSettings::count> makeTable()
{
    std::array<SerialSettings, SerialSettings::count> table;
    auto line = table.begin();
    for (const int baud : bauds) {
        for (const Format &format : formats) {
            line->text = QString::number(baud) + QLatin1Char(',') + QLatin1String(format.part);
            line->baudRate = baud;
            line->formatName = QLatin1String(format.name);
            line->evenParity = format.evenParity;
            line->dataBits = 8;
            line->stopBits = format.stopBits;
            ++line;
        }
    }
    return table;
}

template <typename Take> QStringList formatTexts(Take take)
{
    QStringList texts;
    for (const Format &format : formats)
        texts << QLatin1String(take(format));
    return texts;
}

} // namespace

QString SerialSettings::label() const
{
    return QString::number(baudRate) + QLatin1Char(' ') + formatName;
}

const std::array<SerialSettings, SerialSettings::count> &SerialSettings::all()
{
    static const std::array<SerialSettings, count> table = makeTable();
    return table;
}

const SerialSettings &SerialSettings::standard()
{
    return all().front();
}

const QStringList &SerialSettings::baudNames()
{
    static const QStringList names = [] {
        QStringList texts;
        for (const int baud : bauds)
            texts << QString::number(baud);
        return texts;
    }();
    return names;
}

const QStringList &SerialSettings::formatNames()
{
    static const QStringList names = formatTexts([](const Format &f) { return f.name; });
    return names;
}

const QStringList &SerialSettings::formatParts()
{
    static const QStringList parts = formatTexts([](const Format &f) { return f.part; });
    return parts;
}

std::optional<SerialSettings> SerialSettings::parse(const QString &text)
{
    const auto &table = all();
    const auto found =
        std::find_if(table.begin(), table.end(),
                     [&text](const SerialSettings &line) { return line.text == text; });
    return found == table.end() ? std::nullopt : std::optional<SerialSettings>(*found);
}

std::optional<SerialSettings> SerialSettings::find(int baudRate, const QString &formatName)
{
    const auto &table = all();
    const auto found = std::find_if(table.begin(), table.end(), [&](const SerialSettings &line) {
        return line.baudRate == baudRate &&
               line.formatName.compare(formatName, Qt::CaseInsensitive) == 0;
    });
    return found == table.end() ? std::nullopt : std::optional<SerialSettings>(*found);
}
