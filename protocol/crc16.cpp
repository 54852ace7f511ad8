#include "crc16.h"

namespace modbuscrc {

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

QByteArray withCrc(const QByteArray &frame)
{
    const quint16 crc = crc16(frame);
    QByteArray result = frame;
    result.append(char(crc & 0xFF));
    result.append(char(crc >> 8));
    return result;
}

bool hasValidCrc(const QByteArray &frame)
{
    if (frame.size() < 3)
        return false;
    return withCrc(frame.left(frame.size() - 2)) == frame;
}

} // namespace modbuscrc
