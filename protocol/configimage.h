#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>

/*! \brief What the configuration window's lists show: the position of each chosen entry.
 *
 * -1 stands for a list with no chosen entry (text typed into its field).
 */
struct ConfigChoices
{
    int baudRate = -1;       //!< "9600", "19200", "38400"
    int dataFormat = -1;     //!< "8N1", "8N2", "8E1"
    int slaveId = -1;        //!< "1" to "247"
    int decimalPoint1 = -1;  //!< "0" to "4", field 1 (LINE 0)
    int decimalPoint2 = -1;  //!< "0" to "4", field 2 (LINE 1)
    int startPoint1 = -1;    //!< "0" to "13", field 1 (LINE 0)
    int startPoint2 = -1;    //!< "0" to "13", field 2 (LINE 1)
    int startupScreen1 = -1; //!< "None", "Message 1" to "Message 6", LINE 0
    int startupScreen2 = -1; //!< "None", "Message 1" to "Message 6", LINE 1
    int width1 = -1;         //!< "1" to "5", field 1 (LINE 0)
    int width2 = -1;         //!< "1" to "5", field 2 (LINE 1)

    //! What the configuration window's lists show once loaded: the first entry of each, but
    //! width "5" for both fields.
    static ConfigChoices loadTime();

    //! The values a list of numbers offers, first to last; its first entry stands for first.
    struct Range
    {
        int first;
        int last;
    };
    static constexpr Range slaveIds{1, 247};
    static constexpr Range widths{1, 5};
    static constexpr Range decimalPoints{0, 4};
    static constexpr Range startPoints{0, 13};

    //! The entries of a start-up screen list: "None", then "Message 1" to "Message 6".
    static QStringList startupScreens();
};

/*! \brief The 110-byte block that sets up the display in one write.
 *
 * Bytes 0-95 hold the six 16-character messages, 96-106 the settings, 107 the byte sum of
 * 0-106 and 108 its complement, so that bytes 0-106 and 108 add up to a multiple of 256;
 * 109 stays 0.
 * The image starts all zero and keeps its bytes between uploads: the baud-rate and
 * data-format codes carry over while their list has no chosen entry.
 */
class ConfigImage
{
public:
    static constexpr int Size = 110;
    //! The line an image always goes at, whatever the display listens at.
    static constexpr const char *LineSettings = "9600,n,8,1";
    static constexpr int MessageCount = 6;
    static constexpr int MessageLength = 16;
    //! Index of the last byte the checksum covers.
    static constexpr int LastSummedByte = 106;

    using Bytes = std::array<quint8, Size>;

    struct Checksum
    {
        quint8 sum = 0;
        quint8 complement = 0;
    };

    //! Fills bytes 0-95: each message in Windows-1252, padded with blanks to 16 characters.
    void writeMessages(const std::array<QString, MessageCount> &messages);

    //! Fills bytes 96-106 from the list positions; 96 and 97 stay as they are without a choice.
    void writeChoices(const ConfigChoices &choices);

    //! Stores ImageChecksum(LastSummedByte) in bytes 107 and 108.
    void writeChecksum();

    /*! Sum of bytes 0 to last modulo 256, and the complement that brings it to a multiple of
     * 256 (0 when the sum is 0, since a byte cannot hold 256).
     */
    Checksum ImageChecksum(int last) const;

    const Bytes &bytes() const { return m_bytes; }
    QByteArray toByteArray() const;

private:
    Bytes m_bytes{};
};
