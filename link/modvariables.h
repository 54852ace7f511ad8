#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

/*! \brief The program-wide state both windows and the link share for the whole run.
 *
 * Everything starts empty, zero or false, as at program start.
 */
namespace modVariables {

//! Length of the longest request: function 16 with a 32-character message.
constexpr int TxBufSize = 41;

//! Each Modbus request is built here; also the work area of CheckCRC16.
extern std::array<quint8, TxBufSize> TxBuf;
//! Exactly the bytes the last read of the main window's port returned.
extern QByteArray RxBuf;
//! Two upper-case hex digits each: high and low byte of the last CRC computed.
extern QString CrcHi;
extern QString CrcLo;
//! Ticks of the main window's 20 ms timer since the current response wait began.
extern qint16 TickCount;
//! Port number in decimal digits, "1" to "20".
extern QString CommPortNo;
//! One of the nine settings strings, for example "9600,n,8,1".
extern QString CommSettings;
//! Slave address in decimal digits, "1" to "247".
extern QString SlaveAddr;
//! Raise RTS while a frame is written; sampled from "Use RTS".
extern bool UseRts;

//! Puts every variable back to its start-of-run value (used between test cases).
void resetAll();

} // namespace modVariables
