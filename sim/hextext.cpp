#include "hextext.h"

#include "modcrc16.h"

namespace lcdsim::hextext {

QString bytes(const QByteArray &data)
{
    QString text;
    text.reserve(data.size() * 3);
    for (const char c : data) {
        const auto b = static_cast<quint8>(c);
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QLatin1Char(modcrc16::hexDigit(b >> 4));
        text += QLatin1Char(modcrc16::hexDigit(b));
    }
    return text;
}

QString value(unsigned number, int digits)
{
    QString text = QStringLiteral("0x");
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += QLatin1Char(modcrc16::hexDigit(number >> shift));
    return text;
}

} // namespace lcdsim::hextext
