#include "portmap.h"

#include "modini.h"

namespace portmap {

QString devicePath(int portNumber)
{
#if defined(Q_OS_WIN)
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QString mapped = modINI::ReadIni(QStringLiteral("Ports"), QString::number(portNumber));
    if (!mapped.isEmpty())
        return mapped;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

} // namespace portmap
