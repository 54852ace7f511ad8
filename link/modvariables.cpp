#include "modvariables.h"

namespace modVariables {

std::array<quint8, TxBufSize> TxBuf{};
QByteArray RxBuf;
QString CrcHi;
QString CrcLo;
qint16 TickCount = 0;
QString CommPortNo;
QString CommSettings;
QString SlaveAddr;
bool UseRts = false;

void resetAll()
{
    TxBuf.fill(0);
    RxBuf.clear();
    CrcHi.clear();
    CrcLo.clear();
    TickCount = 0;
    CommPortNo.clear();
    CommSettings.clear();
    SlaveAddr.clear();
    UseRts = false;
}

} // namespace modVariables
