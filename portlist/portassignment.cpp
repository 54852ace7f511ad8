#include "portassignment.h"

#include "modini.h"

namespace portassignment {

Result assign(const DeviceLookup &lookup, const QString &deviceName, int number)
{
    if (!available)
        return Result::Unavailable;
    const PortSurvey now = PortSurvey::take(lookup);
    const ListedDevice *device = now.device(deviceName);
    if (!device)
        return Result::DeviceGone;
    return modINI::WriteIni(QStringLiteral("Ports"), QString::number(number), device->mapName())
               ? Result::Written
               : Result::NotWritten;
}

} // namespace portassignment
