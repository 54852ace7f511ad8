#pragma once

#include <QByteArray>
#include <QtGlobal>

//! The Modbus RTU frame check: CRC-16/MODBUS, carried low byte first at the end of a frame.
namespace modbuscrc {

//! CRC-16/MODBUS of length bytes, worked bit by bit: initial 0xFFFF, reflected polynomial 0xA001.
quint16 crc16(const quint8 *bytes, int length);

inline quint16 crc16(const QByteArray &bytes)
{
    return crc16(reinterpret_cast<const quint8 *>(bytes.constData()), int(bytes.size()));
}

//! The frame with its CRC appended, low byte first.
QByteArray withCrc(const QByteArray &frame);

//! True when the frame is at least three bytes and its last two are the CRC of the rest.
bool hasValidCrc(const QByteArray &frame);

} // namespace modbuscrc
