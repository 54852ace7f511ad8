#pragma once

#include <QByteArray>

/*! \brief The three write requests, built byte by byte in TxBuf from list positions.
 *
 * Each builder writes the request and its CRC (low byte first) into TxBuf and returns the
 * request's length; the exchange then sends that many bytes.
 */
namespace writecommands {

//! Ticks of the 20 ms timer to wait for the answer.
constexpr int waitTicks05 = 3;
constexpr int waitTicks06 = 3;
constexpr int waitTicks16 = 5;

//! The longest message function 16 carries: 32 characters fill TxBuf exactly.
constexpr int maxMessageLength = 32;

//! Slave address from the slave list's position: the number shown, or 0 with no entry chosen.
int slaveAddress(int slavePosition);

//! Function 05: coil address 0 or 1; coil off only at value position 0, on otherwise.
int buildFunction05(int slavePosition, int coilPosition, int valuePosition);

//! Function 06: register address and value bytes are the positions themselves.
int buildFunction06(int slavePosition, int registerPosition, int highPosition, int lowPosition);

//! Function 16: the message's bytes (at most 32, one per character) from the start register.
int buildFunction16(int slavePosition, int startPosition, const QByteArray &message);

//! Register count for a message of byteCount bytes: half, an odd count's half going to the even
//! neighbour (1 -> 0, 3 -> 2, 5 -> 2, 7 -> 4).
int registerCount(int byteCount);

} // namespace writecommands
