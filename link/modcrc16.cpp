#include "modcrc16.h"

#include "modvariables.h"

#include <QString>

namespace modcrc16 {
namespace {

QString twoHexDigits(unsigned value)
{
    const char digits[] = {hexDigit(value >> 4), hexDigit(value), '\0'};
    return QString::fromLatin1(digits);
}

} // namespace

quint16 crc16(const quint8 *bytes, int length)
{
    quint32 crc = 0xFFFF;
    for (int i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool lowBitSet = crc & 1U;
            crc >>= 1;
            if (lowBitSet)
                crc ^= 0xA001;
        }
    }
    return static_cast<quint16>(crc);
}

void CalcCRC16(int n)
{
    const unsigned crc = crc16(modVariables::TxBuf.data(), n);
    modVariables::CrcHi = twoHexDigits((crc >> 8) & 0xFF);
    modVariables::CrcLo = twoHexDigits(crc & 0xFF);
}

bool CheckCRC16(int n)
{
    using modVariables::RxBuf;
    for (int i = 0; i <= n; ++i)
        modVariables::TxBuf[static_cast<size_t>(i)] = static_cast<quint8>(RxBuf.at(i));
    CalcCRC16(n + 1);
    const QString receivedLo = twoHexDigits(static_cast<quint8>(RxBuf.at(n + 1)));
    const QString receivedHi = twoHexDigits(static_cast<quint8>(RxBuf.at(n + 2)));
    return receivedLo == modVariables::CrcLo && receivedHi == modVariables::CrcHi;
}

} // namespace modcrc16
