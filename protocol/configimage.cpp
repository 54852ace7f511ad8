#include "configimage.h"

#include "cp1252.h"

#include <algorithm>

ConfigChoices ConfigChoices::loadTime()
{
    ConfigChoices choices;
    choices.baudRate = 0;
    choices.dataFormat = 0;
    choices.slaveId = 0;
    choices.decimalPoint1 = choices.decimalPoint2 = 0;
    choices.startPoint1 = choices.startPoint2 = 0;
    choices.startupScreen1 = choices.startupScreen2 = 0;
    choices.width1 = choices.width2 = 4;
    return choices;
}

QStringList ConfigChoices::startupScreens()
{
    QStringList screens = {QStringLiteral("None")};
    for (int n = 1; n <= ConfigImage::MessageCount; ++n)
        screens << QStringLiteral("Message %1").arg(n);
    return screens;
}

namespace {

constexpr int BaudRateByte = 96;
constexpr int DataFormatByte = 97;
constexpr int SlaveIdByte = 98;
constexpr int SumByte = 107;
constexpr int ComplementByte = 108;

// The display's codes for the entries of the baud-rate and data-format lists, by position: the
// order of SerialSettings::baudNames() and formatNames().
constexpr std::array<quint8, 3> baudRateCodes = {0x24, 0x12, 0x09};
constexpr std::array<quint8, 3> dataFormatCodes = {0xC0, 0xC2, 0xD0};

// A list whose value is its position plus an offset; no chosen entry gives 0.
quint8 positionByte(int position, int offset = 0)
{
    return position < 0 ? 0 : static_cast<quint8>(position + offset);
}

void storeCode(quint8 &byte, const std::array<quint8, 3> &codes, int position)
{
    if (position >= 0 && position < static_cast<int>(codes.size()))
        byte = codes[static_cast<size_t>(position)];
}

} // namespace

void ConfigImage::writeMessages(const std::array<QString, MessageCount> &messages)
{
    // Padding counts encoded bytes, which are characters, so no message slides into the next
    // slot even when it holds characters outside the basic plane.
    QByteArray text;
    for (const QString &message : messages) {
        const QByteArray encoded = cp1252::encode(message);
        text += encoded;
        if (encoded.size() < MessageLength)
            text += QByteArray(MessageLength - encoded.size(), ' ');
    }
    for (int i = 0; i < MessageCount * MessageLength; ++i)
        m_bytes[static_cast<size_t>(i)] = static_cast<quint8>(text.at(i));
}

void ConfigImage::writeChoices(const ConfigChoices &choices)
{
    storeCode(m_bytes[BaudRateByte], baudRateCodes, choices.baudRate);
    storeCode(m_bytes[DataFormatByte], dataFormatCodes, choices.dataFormat);
    const std::array<quint8, LastSummedByte - SlaveIdByte + 1> settings = {
        positionByte(choices.slaveId, ConfigChoices::slaveIds.first),
        positionByte(choices.decimalPoint1, ConfigChoices::decimalPoints.first),
        positionByte(choices.decimalPoint2, ConfigChoices::decimalPoints.first),
        positionByte(choices.startPoint1, ConfigChoices::startPoints.first),
        positionByte(choices.startPoint2, ConfigChoices::startPoints.first),
        positionByte(choices.startupScreen1),
        positionByte(choices.startupScreen2),
        positionByte(choices.width1, ConfigChoices::widths.first),
        positionByte(choices.width2, ConfigChoices::widths.first),
    };
    std::copy(settings.begin(), settings.end(), m_bytes.begin() + SlaveIdByte);
}

void ConfigImage::writeChecksum()
{
    const Checksum checksum = ImageChecksum(LastSummedByte);
    m_bytes[SumByte] = checksum.sum;
    m_bytes[ComplementByte] = checksum.complement;
}

ConfigImage::Checksum ConfigImage::ImageChecksum(int last) const
{
    int sum = 0;
    for (int i = 0; i <= last && i < Size; ++i)
        sum = (sum + m_bytes[static_cast<size_t>(i)]) % 256;
    return {static_cast<quint8>(sum), static_cast<quint8>((256 - sum) % 256)};
}

QByteArray ConfigImage::toByteArray() const
{
    return QByteArray(reinterpret_cast<const char *>(m_bytes.data()), Size);
}
