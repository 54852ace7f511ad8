#include "hextext.h"

namespace hextext {
namespace {

QChar digit(unsigned v)
{
    return QLatin1Char("0123456789ABCDEF"[v & 0x0F]);
}

//! The value of one hexadecimal digit, -1 for any other character.
int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
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

std::optional<QByteArray> parseBytes(const QString &text)
{
    // Two digits per byte and a blank between: 3n - 1 characters for n bytes.
    if (text.isEmpty())
        return QByteArray();
    if ((text.size() + 1) % 3 != 0)
        return std::nullopt;
    QByteArray data;
    data.reserve((text.size() + 1) / 3);
    for (qsizetype at = 0; at < text.size(); at += 3) {
        const int high = digitValue(text.at(at));
        const int low = digitValue(text.at(at + 1));
        if (high < 0 || low < 0 || (at + 2 < text.size() && text.at(at + 2) != QLatin1Char(' ')))
            return std::nullopt;
        data.append(char(high << 4 | low));
    }
    return data;
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
