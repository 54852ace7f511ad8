#pragma once

#include "serialdevice.h"
#include "serialsettings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <memory>

/*! \brief A window's serial port object: port number, settings, open state, RTS, and polled I/O.
 *
 * Port number and settings are kept while the port is closed and applied when it opens.
 * Every failing operation throws CommError with the operating system's message.
 */
class MSComm
{
public:
    //! Without a device, the port drives a real serial device through QSerialPort.
    explicit MSComm(std::unique_ptr<SerialDevice> device = nullptr);
    ~MSComm();
    MSComm(const MSComm &) = delete;
    MSComm &operator=(const MSComm &) = delete;

    void setCommPort(int portNumber);
    int commPort() const { return m_commPort; }

    //! Accepts only the nine settings strings; anything else throws and changes nothing.
    void setSettings(const QString &settings);
    QString settings() const { return m_settings.text; }

    //! 1 = binary; input() always yields bytes, the mode is kept for completeness.
    void setInputMode(int mode) { m_inputMode = mode; }
    int inputMode() const { return m_inputMode; }

    void setPortOpen(bool open);
    bool portOpen() const;

    //! Lowering RTS after output() waits until the frame has left the port.
    void setRTSEnable(bool high);

    void output(const QByteArray &bytes);
    int inBufferCount();
    QByteArray input();

    //! The device path port number n stands for on this machine.
    static QString devicePath(int portNumber);

private:
    std::unique_ptr<SerialDevice> m_device;
    int m_commPort = 1;
    SerialSettings m_settings;
    int m_inputMode = 0;
    QElapsedTimer m_lastWriteStarted;
    int m_lastWriteBytes = 0;
};
