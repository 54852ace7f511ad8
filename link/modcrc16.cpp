#include "modcrc16.h"

#include "crc16.h"
#include "hextext.h"
#include "modvariables.h"

namespace modcrc16 {

void CalcCRC16(int n)
{
    const unsigned crc = modbuscrc::crc16(modVariables::TxBuf.data(), n);
    modVariables::CrcHi = hextext::byte(quint8(crc >> 8));
    modVariables::CrcLo = hextext::byte(quint8(crc & 0xFF));
}

bool CheckCRC16(int n)
{
    using modVariables::RxBuf;
    for (int i = 0; i <= n; ++i)
        modVariables::TxBuf[static_cast<size_t>(i)] = static_cast<quint8>(RxBuf.at(i));
    CalcCRC16(n + 1);
    const QString receivedLo = hextext::byte(static_cast<quint8>(RxBuf.at(n + 1)));
    const QString receivedHi = hextext::byte(static_cast<quint8>(RxBuf.at(n + 2)));
    return receivedLo == modVariables::CrcLo && receivedHi == modVariables::CrcHi;
}

} // namespace modcrc16
