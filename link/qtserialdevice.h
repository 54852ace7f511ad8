#pragma once

#include "commerror.h"
#include "serialdevice.h"

#include <QSerialPort>

/*! \brief A real serial device through QSerialPort, used with blocking calls on the GUI thread.
 *
 * A setting the device has no line for (a pseudo-terminal has no RTS) is skipped; every other
 * failure throws CommError naming the device. Once the device has gone away (a USB adapter
 * pulled out), every operation but close() throws until the port is closed.
 */
class QtSerialDevice : public SerialDevice
{
public:
    QtSerialDevice();
    ~QtSerialDevice() override;

    void open(const QString &path, const SerialSettings &settings) override;
    void close() override;
    bool isOpen() const override;
    void setRts(bool high) override;
    void write(const QByteArray &bytes) override;
    void drain() override;
    int bytesWaiting() override;
    QByteArray readAll() override;
    QByteArray read(int count) override;
    QByteArray peek() override;

    //! The port as Qt has it, named as the last open named it.
    const QSerialPort &serialPort() const { return m_port; }

private:
    void applySettings(const SerialSettings &settings);
    //! Throws unless the last call succeeded or the device simply lacks the line it set.
    void settle(bool succeeded);
    /*! Throws when the port is closed or its device has gone away; else whether the system
     * may hold bytes the port has not read yet (always, where it cannot tell). */
    bool ensureUsable();
    //! Moves what the operating system has received into the port's own buffer.
    void pullIn();
    //! Writes what the descriptor takes at once, past QSerialPort; returns how many bytes.
    qsizetype writeDirectly(const QByteArray &bytes);
    //! Lets go of a device that has gone away; the port stays open, and broken, until close().
    void releaseVanished();
    void failIfVanished();
    //! Throws what the port reports about the failed call on an open port.
    [[noreturn]] void failInUse();
    [[noreturn]] void fail(CommError::Kind kind, const QString &reason, int systemError = 0);

    QSerialPort m_port;
    QString m_path;
    bool m_open = false;
    //! Why the device can no longer be used; empty while it works.
    QString m_vanished;
    //! The system's error number at Qt's last reported error; 0 when none since the last call.
    int m_systemError = 0;
};
