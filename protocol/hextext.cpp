#include "hextext.h"

namespace hextext {
namespace {

QChar digit(unsigned v)
{
    return QLatin1Char("0123456789ABCDEF"[v & 0x0F]);
}

// Every byte as two digits, with the separator after each one but the last unless trailing.
QString join(const QByteArray &data, bool trailingBlank)
{
    QString text;
    text.reserve(data.size() * 3);
    for (const char c : data) {
        const auto b = static_cast<quint8>(c);
        text += digit(b >> 4);
        text += digit(b);
        text += QLatin1Char(' ');
    }
    if (!trailingBlank && !text.isEmpty())
        text.chop(1);
    return text;
}

} // namespace

QString byte(quint8 value)
{
    const QChar text[] = {digit(value >> 4), digit(value)};
    return QString(text, 2);
}

QString bytes(const QByteArray &data)
{
    return join(data, false);
}

QString monitor(const QByteArray &data)
{
    return join(data, true);
}

QString value(unsigned number, int digits)
{
    QString text = QStringLiteral("0x");
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += digit(number >> shift);
    return text;
}

} // namespace hextext
