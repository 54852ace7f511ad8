#pragma once

#include <QString>

#include <optional>

/*! \brief One of the nine settings strings, taken apart.
 *
 * "9600", "19200" or "38400", a comma, and "n,8,1", "n,8,2" or "e,8,1".
 */
struct SerialSettings
{
    QString text = QStringLiteral("9600,n,8,1");
    int baudRate = 9600;
    bool evenParity = false;
    int dataBits = 8;
    int stopBits = 1;

    //! Bits one character takes on the line: start, data, parity and stop bits.
    int bitsPerCharacter() const { return 1 + dataBits + (evenParity ? 1 : 0) + stopBits; }

    //! Empty for anything but the nine accepted strings.
    static std::optional<SerialSettings> parse(const QString &text);
};
