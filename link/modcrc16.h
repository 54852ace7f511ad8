#pragma once

/*! \brief The Modbus RTU CRC-16 (CRC-16/MODBUS) over the program-wide frame buffers.
 *
 * Results are published as texts in modVariables::CrcHi and modVariables::CrcLo; a request
 * carries CrcLo first.
 */
#include <QtGlobal>

namespace modcrc16 {

//! CRC of TxBuf[0] .. TxBuf[n-1] (0 <= n <= 41) into CrcHi / CrcLo.
void CalcCRC16(int n);

/*! True when RxBuf[n+1], RxBuf[n+2] are the low and high byte of the CRC of RxBuf[0] .. RxBuf[n].
 * Copies RxBuf[0] .. RxBuf[n] into TxBuf first, so CrcHi / CrcLo end up holding the CRC of the
 * received bytes. The caller guarantees 0 <= n <= 40 and that RxBuf holds at least n + 3 bytes.
 */
bool CheckCRC16(int n);

} // namespace modcrc16
