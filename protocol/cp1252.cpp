#include "cp1252.h"

#include <array>

namespace cp1252 {

namespace {

// 0x80-0x9F differ from Latin-1; the unassigned bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to
// the C1 control of the same value, as Windows does, so every byte survives a round trip.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

constexpr char Unmappable = '?';

char encodeCodePoint(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    for (std::size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == codePoint)
            return static_cast<char>(0x80 + i);
    }
    return Unmappable;
}

} // namespace

QByteArray encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes.append(Unmappable);
            ++i;
            continue;
        }
        bytes.append(encodeCodePoint(unit.unicode()));
    }
    return bytes;
}

QString decode(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value >= 0x80 && value < 0xA0)
            text.append(QChar(HighControls[value - 0x80]));
        else
            text.append(QChar(value));
    }
    return text;
}

} // namespace cp1252
