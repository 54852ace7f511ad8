#include "writecommands.h"

#include "modcrc16.h"
#include "modvariables.h"

namespace writecommands {
namespace {

void put(int index, int value)
{
    modVariables::TxBuf[static_cast<size_t>(index)] = static_cast<quint8>(value);
}

// Appends the CRC of the first len bytes, low byte first; returns the request's length.
int appendCrc(int len)
{
    modcrc16::CalcCRC16(len);
    put(len, modVariables::CrcLo.toInt(nullptr, 16));
    put(len + 1, modVariables::CrcHi.toInt(nullptr, 16));
    return len + 2;
}

} // namespace

int slaveAddress(int slavePosition)
{
    return slavePosition + 1;
}

int buildFunction05(int slavePosition, int coilPosition, int valuePosition)
{
    put(0, slaveAddress(slavePosition));
    put(1, 0x05);
    put(2, 0x00);
    put(3, coilPosition);
    put(4, valuePosition == 0 ? 0x00 : 0xFF);
    put(5, 0x00);
    return appendCrc(6);
}

int buildFunction06(int slavePosition, int registerPosition, int highPosition, int lowPosition)
{
    put(0, slaveAddress(slavePosition));
    put(1, 0x06);
    put(2, 0x00);
    put(3, registerPosition);
    put(4, highPosition);
    put(5, lowPosition);
    return appendCrc(6);
}

int buildFunction16(int slavePosition, int startPosition, const QByteArray &message)
{
    const int length = static_cast<int>(qMin<qsizetype>(message.size(), maxMessageLength));
    put(0, slaveAddress(slavePosition));
    put(1, 0x10);
    put(2, 0x00);
    put(3, startPosition);
    put(4, 0x00);
    put(5, registerCount(length));
    put(6, length);
    for (int i = 0; i < length; ++i)
        put(7 + i, static_cast<quint8>(message.at(i)));
    return appendCrc(7 + length);
}

int registerCount(int byteCount)
{
    const int half = byteCount / 2;
    if (byteCount % 2 == 0 || half % 2 == 0)
        return half;
    return half + 1;
}

} // namespace writecommands
