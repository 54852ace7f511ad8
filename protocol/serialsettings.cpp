#include "serialsettings.h"

#include <QStringList>

std::optional<SerialSettings> SerialSettings::parse(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;

    SerialSettings settings;
    const QString &baud = parts.at(0);
    if (baud == QLatin1String("9600"))
        settings.baudRate = 9600;
    else if (baud == QLatin1String("19200"))
        settings.baudRate = 19200;
    else if (baud == QLatin1String("38400"))
        settings.baudRate = 38400;
    else
        return std::nullopt;

    const QString format = text.mid(baud.size() + 1);
    if (format == QLatin1String("n,8,1")) {
        settings.evenParity = false;
        settings.stopBits = 1;
    } else if (format == QLatin1String("n,8,2")) {
        settings.evenParity = false;
        settings.stopBits = 2;
    } else if (format == QLatin1String("e,8,1")) {
        settings.evenParity = true;
        settings.stopBits = 1;
    } else {
        return std::nullopt;
    }
    settings.dataBits = 8;
    settings.text = text;
    return settings;
}
