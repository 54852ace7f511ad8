#pragma once

#include <QList>
#include <QString>

#include <optional>

//! One serial device as the system lists it.
struct SerialDeviceInfo
{
    //! "ttyUSB0", "COM3".
    QString portName;
    //! "/dev/ttyUSB0"; on Windows "\\.\COM3".
    QString systemLocation;
    QString description;
    QString manufacturer;
    QString serialNumber;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
};

/*! \brief Where the list of serial devices comes from: the system's, or a test's own. */
class DeviceEnumeration
{
public:
    virtual ~DeviceEnumeration() = default;
    //! The devices there are now.
    virtual QList<SerialDeviceInfo> devices() const = 0;
};

//! The system's serial devices, as Qt Serial Port finds them.
class SystemDeviceEnumeration final : public DeviceEnumeration
{
public:
    QList<SerialDeviceInfo> devices() const override;
};
