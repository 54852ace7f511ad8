#include "deviceenumeration.h"

#include <QSerialPortInfo>

QList<SerialDeviceInfo> SystemDeviceEnumeration::devices() const
{
    QList<SerialDeviceInfo> found;
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts()) {
        SerialDeviceInfo device;
        device.portName = port.portName();
        device.systemLocation = port.systemLocation();
        device.description = port.description();
        device.manufacturer = port.manufacturer();
        device.serialNumber = port.serialNumber();
        if (port.hasVendorIdentifier())
            device.vendorId = port.vendorIdentifier();
        if (port.hasProductIdentifier())
            device.productId = port.productIdentifier();
        found.append(device);
    }
    return found;
}
