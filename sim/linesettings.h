#pragma once

#include <QString>

#include <optional>

namespace lcdsim {

struct DisplaySetup;

/*! \brief How characters travel on a serial line: speed and character format.
 *
 * Serves both sides: the settings the display listens at and the settings a master has put on
 * the line. Parity counts for the wire time, but understands() leaves it out, because a
 * pseudo-terminal cannot carry it (Linux clears the flag on one).
 */
struct LineSettings
{
    //! Bits per second; 0 for a speed that has no standard number.
    int baudRate = 9600;
    int dataBits = 8;
    //! 'N', 'E' or 'O'.
    char parity = 'N';
    int stopBits = 1;

    //! What a configuration image always travels at, whatever the display listens at.
    static LineSettings configurationLine() { return {9600, 8, 'N', 1}; }

    //! A format as written in "8N1": data bits 5 to 8, N, E or O, stop bits 1 or 2.
    static std::optional<LineSettings> withFormat(int baudRate, const QString &format);
    //! The line an image asks the display to listen at; std::nullopt for an unknown code.
    static std::optional<LineSettings> fromSetup(const DisplaySetup &setup);
    //! True for the speeds a serial port offers by number (300 to 115200).
    static bool isStandardRate(int baudRate);

    //! Start bit, data bits, parity bit and stop bits.
    int bitsPerCharacter() const;
    //! How long one character takes on the wire, in nanoseconds.
    qint64 characterTimeNs() const;
    //! How long count characters take on the wire, in nanoseconds.
    qint64 transmitTimeNs(int count) const { return characterTimeNs() * count; }

    /*! True when a receiver set up like this one makes sense of characters sent like line:
     * the same speed, data bits and stop bits. */
    bool understands(const LineSettings &line) const;

    //! "9600 8N1".
    QString text() const;

    bool operator==(const LineSettings &other) const;
    bool operator!=(const LineSettings &other) const { return !(*this == other); }
};

} // namespace lcdsim
