#pragma once

#include "qtserialdevice.h"

#include <QString>

/*! \brief A real serial device on a path the test chooses, whatever port number asks for it.
 *
 * For a settings file that cannot be read at all, so no [Ports] entry can lead the window to
 * the test's line; every operation is the real device's.
 */
class PinnedSerialDevice : public SerialDevice
{
public:
    explicit PinnedSerialDevice(QString path) : m_path(std::move(path))
    {
        m_device.setArrivalHandler([this](int waiting) { bytesArrived(waiting); });
    }

    void open(const QString &, const SerialSettings &settings) override
    {
        m_device.open(m_path, settings);
    }
    void close() override { m_device.close(); }
    bool isOpen() const override { return m_device.isOpen(); }
    void setRts(bool high) override { m_device.setRts(high); }
    void write(const QByteArray &bytes) override { m_device.write(bytes); }
    void drain() override { m_device.drain(); }
    int bytesWaiting() override { return m_device.bytesWaiting(); }
    QByteArray readAll() override { return m_device.readAll(); }
    QByteArray read(int count) override { return m_device.read(count); }
    QByteArray peek() override { return m_device.peek(); }

private:
    QString m_path;
    QtSerialDevice m_device;
};
