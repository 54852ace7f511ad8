#pragma once

#include "serialsettings.h"

#include <QByteArray>
#include <QString>

/*! \brief The device behind an MSComm: what the port object needs from the operating system.
 *
 * The real one drives a QSerialPort; tests put in a fake that records writes and RTS changes
 * and serves scripted replies. Every failing call throws CommError.
 */
class SerialDevice
{
public:
    virtual ~SerialDevice() = default;

    virtual void open(const QString &path, const SerialSettings &settings) = 0;
    //! Releases the device, even one that has gone away; never fails.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void setRts(bool high) = 0;
    //! Hands every byte to the operating system before it returns.
    virtual void write(const QByteArray &bytes) = 0;
    //! Waits until the driver's transmit queue is empty.
    virtual void drain() = 0;
    //! Bytes received and not yet read, counting what the operating system holds as well.
    virtual int bytesWaiting() = 0;
    virtual QByteArray readAll() = 0;
};
