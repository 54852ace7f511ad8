#pragma once

#include "serialsettings.h"

#include <QByteArray>
#include <QString>

#include <functional>

/*! \brief The device behind an MSComm: what the port object needs from the operating system.
 *
 * The real one drives a QSerialPort; tests put in a fake that records writes and RTS changes
 * and serves scripted replies. Every failing call throws CommError.
 *
 * A device tells whoever watches the line when bytes arrive, so an answer can be timed while
 * it waits to be read.
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
    //! The first count waiting bytes (fewer when fewer wait); the rest keep waiting.
    virtual QByteArray read(int count) = 0;
    //! The bytes bytesWaiting() last counted, left waiting; empty when closed. Never fails.
    virtual QByteArray peek() = 0;

    /*! Called each time bytes arrive, with the number now waiting, from the event loop or from
     * inside any call on the device; an empty function ends the calls. The handler must not
     * call the device. */
    void setArrivalHandler(std::function<void(int waiting)> handler)
    {
        m_arrival = std::move(handler);
    }

protected:
    void bytesArrived(int waiting) const
    {
        if (m_arrival)
            m_arrival(waiting);
    }

private:
    std::function<void(int)> m_arrival;
};
