#include "mscomm.h"

#include "commerror.h"
#include "qtserialdevice.h"

#include <chrono>
#include <thread>

MSComm::MSComm(PortMap portMap, std::unique_ptr<SerialDevice> device)
    : m_device(std::move(device)), m_portMap(std::move(portMap))
{
    if (!m_device)
        m_device = std::make_unique<QtSerialDevice>();
}

MSComm::~MSComm()
{
    m_device->close();
}

void MSComm::setCommPort(int portNumber)
{
    requireClosed();
    if (portNumber < 1)
        throw CommError(CommError::Kind::BadSetting,
                        QStringLiteral("Invalid port number %1").arg(portNumber));
    m_commPort = portNumber;
}

void MSComm::setSettings(const QString &settings)
{
    requireClosed();
    const std::optional<SerialSettings> parsed = SerialSettings::parse(settings);
    if (!parsed)
        throw CommError(CommError::Kind::BadSetting,
                        QStringLiteral("Invalid settings \"%1\"").arg(settings));
    m_settings = *parsed;
}

void MSComm::setPortOpen(bool open)
{
    if (open == portOpen())
        return;
    m_lastWriteBytes = 0;
    if (!open) {
        m_device->close();
        return;
    }
    m_openPath = m_portMap(m_commPort);
    m_device->open(m_openPath, m_settings);
    // The driver raises RTS on open; a half-duplex adapter would then hold the bus until the
    // first frame, so the line starts at the level asked for.
    try {
        m_device->setRts(m_rtsEnable);
    } catch (const CommError &) {
        m_device->close();
        throw;
    }
}

bool MSComm::portOpen() const
{
    return m_device->isOpen();
}

void MSComm::setRTSEnable(bool high)
{
    m_rtsEnable = high;
    if (!portOpen())
        return;
    if (!high && m_lastWriteBytes > 0)
        waitUntilSent();
    m_device->setRts(high);
}

void MSComm::output(const QByteArray &bytes)
{
    requireOpen();
    // A frame written while the previous one is still on the line lengthens that transmission.
    if (m_lastWriteBytes == 0 ||
        m_lastWriteStarted.nsecsElapsed() >= transmitNanoseconds(m_lastWriteBytes)) {
        m_lastWriteStarted.start();
        m_lastWriteBytes = 0;
    }
    m_lastWriteBytes += static_cast<int>(bytes.size());
    m_device->write(bytes);
}

int MSComm::inBufferCount()
{
    requireOpen();
    return m_device->bytesWaiting();
}

QByteArray MSComm::input()
{
    requireOpen();
    return m_device->readAll();
}

QByteArray MSComm::input(int count)
{
    requireOpen();
    return m_device->read(count);
}

void MSComm::requireOpen() const
{
    if (!portOpen())
        throw CommError(CommError::Kind::WrongState, QStringLiteral("The port is not open"));
}

void MSComm::requireClosed() const
{
    if (portOpen())
        throw CommError(CommError::Kind::WrongState, QStringLiteral("The port is already open"));
}

qint64 MSComm::transmitNanoseconds(int bytes) const
{
    return qint64(m_settings.bitsPerCharacter()) * bytes * 1000000000 / m_settings.baudRate;
}

void MSComm::waitUntilSent()
{
    m_device->drain();
    // Drivers may call the queue drained while the last character is still in the UART, so
    // the frame's own transmit time is the lower bound. Even 110 bytes at 9600 baud take only
    // about 0.13 s, short enough to sleep through on the GUI thread.
    qint64 left;
    while ((left = transmitNanoseconds(m_lastWriteBytes) - m_lastWriteStarted.nsecsElapsed()) > 0)
        std::this_thread::sleep_for(std::chrono::nanoseconds(left));
    m_lastWriteBytes = 0;
}
