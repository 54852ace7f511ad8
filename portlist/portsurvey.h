#pragma once

#include "deviceenumeration.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

//! Where a survey looks: the list of serial devices and the folder of their stable names.
struct DeviceLookup
{
    std::shared_ptr<const DeviceEnumeration> enumeration;
    QString stableNameFolder;

    //! The system's devices and, on Linux, /dev/serial/by-id.
    static DeviceLookup system();
};

//! A serial device the system lists, with its stable name and the port numbers that reach it.
struct ListedDevice
{
    SerialDeviceInfo info;
    //! The device's link in the stable-name folder; empty when it has none.
    QString stableName;
    //! The numbers 1-20 whose device this is, ascending.
    QList<int> portNumbers;

    //! How the port list names the device: "/dev/ttyUSB0", on Windows "COM3".
    QString name() const;
    //! What a port number is mapped to for this device: its stable name where it has one.
    QString mapName() const;
    //! "FT232R USB UART (A1234567)": the description (else the manufacturer) and serial number.
    QString summary() const;
    //! "0403:6001", or empty text when the system does not know both.
    QString usbId() const;
};

/*! \brief The serial devices there are at one moment, and what each port number 1-20 reaches.
 *
 * A number reaches a listed device when the device it maps to is that device, links resolved
 * (on Windows: when its COM name is the device's). A number whose device is there but is not
 * listed (a pseudo-terminal, a serial port without hardware behind it) is told apart from one
 * whose device is not there at all.
 */
class PortSurvey
{
public:
    enum class Behind { ListedDevice, UnlistedDevice, Nothing };

    struct PortNumber
    {
        int number = 0;
        //! The device the port map gives for the number.
        QString path;
        Behind behind = Behind::Nothing;
        //! ListedDevice: the position of the device in devices().
        int device = -1;
    };

    //! Lists the devices now and reads the port map.
    static PortSurvey take(const DeviceLookup &lookup);

    //! Ordered by name, numbers counted as numbers (ttyS2 before ttyS10).
    const QList<ListedDevice> &devices() const { return m_devices; }
    //! The numbers 1 to 20 in order.
    const QList<PortNumber> &numbers() const { return m_numbers; }

    //! The listed device of that name; null when it is not listed now.
    const ListedDevice *device(const QString &name) const;

    /*! What is behind a number, as its entry in the port list shows it: "/dev/ttyUSB0 — FT232R
     * USB UART (A1234567)", "/dev/pts/4 — present, not listed as a serial port" or
     * "/dev/ttyS5 — nothing there". */
    QString tooltip(int number) const;

    /*! The numbers that reach no listed device: one line per number whose device is present
     * but not listed, then "Nothing there: 3-6, 9-20"; empty when every number reaches one. */
    QStringList unlistedLines() const;

private:
    QList<ListedDevice> m_devices;
    QList<PortNumber> m_numbers;
};
