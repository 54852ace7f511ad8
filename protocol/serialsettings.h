#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

/*! \brief One of the nine line settings the display speaks, and the table of all nine.
 *
 * A settings string is "9600", "19200" or "38400", a comma, and "n,8,1", "n,8,2" or "e,8,1";
 * people name the same line "9600 8N1". The table is the one place these are written out: every
 * list, button, option and profile key of a line setting is filled from it.
 */
struct SerialSettings
{
    QString text = QStringLiteral("9600,n,8,1");
    int baudRate = 9600;
    //! "8N1", "8N2" or "8E1".
    QString formatName = QStringLiteral("8N1");
    bool evenParity = false;
    int dataBits = 8;
    int stopBits = 1;

    //! Bits one character takes on the line: start, data, parity and stop bits.
    int bitsPerCharacter() const { return 1 + dataBits + (evenParity ? 1 : 0) + stopBits; }

    //! "19200 8N2": how a person names the line.
    QString label() const;

    static constexpr int count = 9;

    //! The nine, baud rate by baud rate (9600, 19200, 38400), each in the formats 8N1, 8N2, 8E1.
    static const std::array<SerialSettings, count> &all();

    //! 9600,n,8,1: what an unusable stored setting starts as.
    static const SerialSettings &standard();

    //! "9600", "19200", "38400", in the order of the baud buttons and of the configuration
    //! window's list.
    static const QStringList &baudNames();
    //! "8N1", "8N2", "8E1", in the order of the data-format lists.
    static const QStringList &formatNames();
    //! The settings string's part after the baud rate for each format: "n,8,1", "n,8,2", "e,8,1".
    static const QStringList &formatParts();

    //! Empty for anything but the nine settings strings, to the letter.
    static std::optional<SerialSettings> parse(const QString &text);

    //! The line of \a baudRate in format \a formatName ("8n2" as well); empty when there is none.
    static std::optional<SerialSettings> find(int baudRate, const QString &formatName);
};
