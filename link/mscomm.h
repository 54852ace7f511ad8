#pragma once

#include "serialdevice.h"
#include "serialsettings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

/*! \brief A window's serial port object: port number, settings, open state, RTS, and polled I/O.
 *
 * Port number, settings and the RTS level are kept while the port is closed and applied when it
 * opens. Every failing operation throws CommError with the operating system's message.
 */
class MSComm
{
public:
    //! The device a port number stands for on this machine, as the caller's settings say.
    using PortMap = std::function<QString(int portNumber)>;

    /*! The port map is asked at every open, so a changed map reaches the next open. Without a
     * device, the port drives a real serial device through QSerialPort. */
    explicit MSComm(PortMap portMap, std::unique_ptr<SerialDevice> device = nullptr);
    ~MSComm();
    MSComm(const MSComm &) = delete;
    MSComm &operator=(const MSComm &) = delete;

    //! Port numbers start at 1; changing the port of an open port throws.
    void setCommPort(int portNumber);
    int commPort() const { return m_commPort; }
    //! The device the port has open; while closed, the one the port number stands for now.
    QString devicePath() const { return portOpen() ? m_openPath : m_portMap(m_commPort); }

    //! Accepts only the nine settings strings while closed; anything else throws, changing nothing.
    void setSettings(const QString &settings);
    QString settings() const { return m_settings.text; }

    //! 1 = binary; input() always yields bytes, the mode is kept for completeness.
    void setInputMode(int mode) { m_inputMode = mode; }
    int inputMode() const { return m_inputMode; }

    //! Opens devicePath(); opening an open or closing a closed port does nothing.
    void setPortOpen(bool open);
    bool portOpen() const;

    /*! Lowering RTS after output() waits until the frame has left the port: the driver's queue
     * drained and the frame's transmit time passed since the write began. While the port is
     * closed the level is only kept for the next open. */
    void setRTSEnable(bool high);

    //! Hands every byte to the operating system before it returns.
    void output(const QByteArray &bytes);
    //! Bytes received and not yet read, including those the operating system still holds.
    int inBufferCount();
    //! Every waiting byte; none wait afterwards.
    QByteArray input();
    //! The first count waiting bytes; the rest keep waiting.
    QByteArray input(int count);
    //! The bytes inBufferCount() last counted, still waiting; empty when closed. Never fails.
    QByteArray peek() { return m_device->peek(); }

    //! Called each time bytes arrive at the port; an empty function ends the calls. The handler
    //! must not use the port.
    void setArrivalHandler(std::function<void(int waiting)> handler)
    {
        m_device->setArrivalHandler(std::move(handler));
    }

private:
    void requireOpen() const;
    void requireClosed() const;
    qint64 transmitNanoseconds(int bytes) const;
    void waitUntilSent();

    std::unique_ptr<SerialDevice> m_device;
    PortMap m_portMap;
    int m_commPort = 1;
    //! Asked of the port map once per open: every exchange names its device without asking.
    QString m_openPath;
    SerialSettings m_settings;
    int m_inputMode = 0;
    bool m_rtsEnable = false;
    //! The transmission RTS must outlast: when it began and how many bytes it carries.
    QElapsedTimer m_lastWriteStarted;
    int m_lastWriteBytes = 0;
};
