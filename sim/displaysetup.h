#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace lcdsim {

/*! \brief The display's set-up as one 110-byte configuration image carries it.
 *
 * The image has no Modbus framing: it is recognised by its length. It is accepted when byte
 * 107 is the sum of bytes 0 to 106 modulo 256, bytes 107 and 108 add up to a multiple of 256
 * (a sum of 0 has the complement 0) and byte 109 is 0.
 *
 * The simulated display reads the image on its own and does not share the program's encoder
 * (protocol/configimage): a fault in that encoder then shows up as a display that refuses or
 * misreads the image, instead of both ends agreeing on the same wrong bytes.
 */
struct DisplaySetup
{
    static constexpr int imageSize = 110;
    static constexpr int messageCount = 6;
    static constexpr int messageLength = 16;

    //! One of the two numeric fields; field 1 sits on line 0, field 2 on line 1.
    struct NumericField
    {
        int width = 0;
        int decimalPoint = 0;
        int startPoint = 0;
    };

    std::array<QByteArray, messageCount> messages;
    int baudCode = 0;
    int formatCode = 0;
    int slaveId = 0;
    std::array<NumericField, 2> fields;
    //! Per line: 0 for none, 1 to 6 for that stored message.
    std::array<int, 2> startupScreens{};

    /*! Decodes an image; std::nullopt when its length, checksum or last byte is wrong, with the
     * reason in *whyNot. */
    static std::optional<DisplaySetup> fromImage(const QByteArray &image, QString *whyNot);

    //! The baud rate the code stands for, 0 for an unknown code.
    int baudRate() const;
    //! "8N1", "8N2", "8E1", or the code in hex when unknown.
    QString formatText() const;
    //! "9600" etc., or the code when unknown.
    QString baudText() const;
    //! "None" or "Message n" for a start-up screen value.
    static QString screenText(int screen);
    //! The whole set-up on one line, as the log shows it.
    QString summary() const;
};

} // namespace lcdsim
