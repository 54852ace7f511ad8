#include "fakedevices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

class FakeDevices::Enumeration : public DeviceEnumeration
{
public:
    QList<SerialDeviceInfo> devices() const override { return listed; }
    QList<SerialDeviceInfo> listed;
};

FakeDevices::FakeDevices() : m_enumeration(std::make_shared<Enumeration>())
{
    QDir(m_dir.path()).mkdir(QStringLiteral("by-id"));
}

QString FakeDevices::path(const QString &name) const
{
    return QDir::isAbsolutePath(name) ? name : m_dir.filePath(name);
}

QString FakeDevices::stablePath(const QString &link) const
{
    return m_dir.filePath(QStringLiteral("by-id/") + link);
}

SerialDeviceInfo FakeDevices::info(const QString &name) const
{
    SerialDeviceInfo device;
#if defined(Q_OS_WIN)
    if (name.startsWith(QLatin1String("COM"))) {
        device.portName = name;
        device.systemLocation = QStringLiteral("\\\\.\\") + name;
        return device;
    }
#endif
    device.systemLocation = path(name);
    device.portName = QFileInfo(device.systemLocation).fileName();
    return device;
}

SerialDeviceInfo FakeDevices::ftdiAdapter(const QString &name) const
{
    SerialDeviceInfo device = info(name);
    device.description = QStringLiteral("FT232R USB UART");
    device.manufacturer = QStringLiteral("FTDI");
    device.serialNumber = QStringLiteral("A1234567");
    device.vendorId = 0x0403;
    device.productId = 0x6001;
    return device;
}

void FakeDevices::add(const SerialDeviceInfo &device, const QString &stableLink)
{
    if (device.systemLocation.startsWith(m_dir.path()) &&
        !QFileInfo::exists(device.systemLocation)) {
        QFile file(device.systemLocation);
        file.open(QIODevice::WriteOnly);
    }
    if (!stableLink.isEmpty())
        QFile::link(device.systemLocation, stablePath(stableLink));
    m_enumeration->listed.append(device);
}

void FakeDevices::remove(const QString &systemLocation)
{
    m_enumeration->listed.removeIf(
        [&](const SerialDeviceInfo &d) { return d.systemLocation == systemLocation; });
    if (systemLocation.startsWith(m_dir.path()))
        QFile::remove(systemLocation);
}

DeviceLookup FakeDevices::lookup() const
{
    return {m_enumeration, m_dir.filePath(QStringLiteral("by-id"))};
}
