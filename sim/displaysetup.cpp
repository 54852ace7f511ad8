#include "displaysetup.h"

#include "hextext.h"

namespace lcdsim {
namespace {

constexpr int baudCodeByte = 96;
constexpr int formatCodeByte = 97;
constexpr int slaveIdByte = 98;
constexpr int decimalPointBytes = 99;
constexpr int startPointBytes = 101;
constexpr int startupScreenBytes = 103;
constexpr int widthBytes = 105;
constexpr int checksumByte = 107;
constexpr int complementByte = 108;
constexpr int reservedByte = 109;

} // namespace

std::optional<DisplaySetup> DisplaySetup::fromImage(const QByteArray &image, QString *whyNot)
{
    if (image.size() != imageSize) {
        *whyNot = QStringLiteral("%1 bytes, not %2").arg(image.size()).arg(imageSize);
        return std::nullopt;
    }
    const auto byteAt = [&image](int index) { return static_cast<quint8>(image.at(index)); };
    unsigned sum = 0;
    for (int i = 0; i < checksumByte; ++i)
        sum += byteAt(i);
    sum %= 256;
    if (byteAt(checksumByte) != sum) {
        *whyNot = QStringLiteral("bad checksum (byte 107 is %1, bytes 0-106 add up to %2)")
                      .arg(byteAt(checksumByte))
                      .arg(sum);
        return std::nullopt;
    }
    if ((byteAt(checksumByte) + byteAt(complementByte)) % 256 != 0) {
        *whyNot = QStringLiteral("bad checksum complement (bytes 107 and 108 add up to %1)")
                      .arg(byteAt(checksumByte) + byteAt(complementByte));
        return std::nullopt;
    }
    if (byteAt(reservedByte) != 0) {
        *whyNot = QStringLiteral("byte 109 is not 0");
        return std::nullopt;
    }

    DisplaySetup setup;
    for (int n = 0; n < messageCount; ++n)
        setup.messages[n] = image.mid(n * messageLength, messageLength);
    setup.baudCode = byteAt(baudCodeByte);
    setup.formatCode = byteAt(formatCodeByte);
    setup.slaveId = byteAt(slaveIdByte);
    for (int f = 0; f < 2; ++f) {
        setup.fields[f].decimalPoint = byteAt(decimalPointBytes + f);
        setup.fields[f].startPoint = byteAt(startPointBytes + f);
        setup.fields[f].width = byteAt(widthBytes + f);
        setup.startupScreens[f] = byteAt(startupScreenBytes + f);
    }
    return setup;
}

int DisplaySetup::baudRate() const
{
    switch (baudCode) {
    case 36:
        return 9600;
    case 18:
        return 19200;
    case 9:
        return 38400;
    default:
        return 0;
    }
}

QString DisplaySetup::baudText() const
{
    const int rate = baudRate();
    return rate ? QString::number(rate) : QStringLiteral("unknown baud code %1").arg(baudCode);
}

QString DisplaySetup::formatText() const
{
    switch (formatCode) {
    case 0xC0:
        return QStringLiteral("8N1");
    case 0xC2:
        return QStringLiteral("8N2");
    case 0xD0:
        return QStringLiteral("8E1");
    default:
        return QStringLiteral("unknown format code %1").arg(hextext::value(formatCode, 2));
    }
}

QString DisplaySetup::screenText(int screen)
{
    if (screen == 0)
        return QStringLiteral("None");
    if (screen >= 1 && screen <= messageCount)
        return QStringLiteral("Message %1").arg(screen);
    return QStringLiteral("unknown screen %1").arg(screen);
}

QString DisplaySetup::summary() const
{
    QString text = QStringLiteral("ID %1, %2 %3").arg(slaveId).arg(baudText(), formatText());
    for (int line = 0; line < 2; ++line) {
        const NumericField &field = fields[line];
        text += QStringLiteral(", line %1: start-up %2, field width %3 point %4 start %5")
                    .arg(line)
                    .arg(screenText(startupScreens[line]))
                    .arg(field.width)
                    .arg(field.decimalPoint)
                    .arg(field.startPoint);
    }
    return text;
}

} // namespace lcdsim
