#include "qtserialdevice.h"

#include "commerror.h"
#include "portfailure.h"

#include <QElapsedTimer>

#include <cerrno>

#if defined(Q_OS_UNIX)
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <qt_windows.h>
#endif

namespace {

//! How long a write may take to hand its bytes to the operating system.
constexpr int WriteTimeoutMs = 2000;

} // namespace

QtSerialDevice::QtSerialDevice()
{
    // A device that goes away while the window's event loop runs shows up here first: the port
    // reads in the background. A hung-up device stays readable, so Qt would keep reading
    // nothing at full speed; the port is let go as soon as control is back in the event loop.
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) {
                         // Qt has just read the system's number for this error; nothing after
                         // the failing call would still see it.
                         if (error != QSerialPort::NoError)
                             m_systemError = portfailure::lastSystemError();
                         if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
                             return;
                         if (!m_port.isOpen() || !m_vanished.isEmpty())
                             return;
                         m_vanished = error == QSerialPort::ResourceError ? m_port.errorString()
                                                                          : qt_error_string(EIO);
                         QMetaObject::invokeMethod(
                             &m_port, [this] { releaseVanished(); }, Qt::QueuedConnection);
                     });
    // Qt reads arriving bytes into the port's buffer as soon as the event loop sees them, and
    // whenever a call pulls them in; either way this is the moment they became known.
    QObject::connect(&m_port, &QSerialPort::readyRead, &m_port,
                     [this] { bytesArrived(int(m_port.bytesAvailable())); });
}

QtSerialDevice::~QtSerialDevice()
{
    // Closed here, while the members the error handler uses still exist.
    close();
}

void QtSerialDevice::open(const QString &path, const SerialSettings &settings)
{
    close();
    m_path = path;
    m_port.setPortName(path);
    m_port.clearError();
    m_systemError = 0;
    if (!m_port.open(QIODevice::ReadWrite)) {
        const int systemError = m_systemError;
        fail(portfailure::ofOpen(m_port.error(), systemError, portfailure::allowsReadWrite(path)),
             m_port.errorString(), systemError);
    }
    m_open = true;
    try {
        applySettings(settings);
    } catch (const CommError &) {
        close();
        throw;
    }
}

void QtSerialDevice::applySettings(const SerialSettings &settings)
{
    settle(m_port.setBaudRate(settings.baudRate));
    settle(m_port.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)));
    settle(m_port.setParity(settings.evenParity ? QSerialPort::EvenParity : QSerialPort::NoParity));
    settle(
        m_port.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop));
    settle(m_port.setFlowControl(QSerialPort::NoFlowControl));
}

void QtSerialDevice::close()
{
    // What the driver says while restoring the settings of a vanished device is of no use to
    // anybody; closing always lets the device go.
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
    m_vanished.clear();
    m_open = false;
}

bool QtSerialDevice::isOpen() const
{
    return m_open;
}

void QtSerialDevice::setRts(bool high)
{
    ensureUsable();
    settle(m_port.setRequestToSend(high));
}

void QtSerialDevice::write(const QByteArray &bytes)
{
    ensureUsable();
    const QByteArray rest = bytes.mid(writeDirectly(bytes));
    if (rest.isEmpty())
        return;
    if (m_port.write(rest) != rest.size())
        failInUse();

    QElapsedTimer clock;
    clock.start();
    while (m_port.bytesToWrite() > 0) {
        const qint64 left = WriteTimeoutMs - clock.elapsed();
        if (left <= 0) {
            // Whatever is still queued must not trail into the next frame.
            m_port.clear(QSerialPort::Output);
            fail(CommError::Kind::TimedOut, QStringLiteral("write timed out"));
        }
        if (!m_port.waitForBytesWritten(static_cast<int>(left))) {
            failIfVanished();
            if (m_port.error() != QSerialPort::TimeoutError)
                failInUse();
        }
    }
}

// A frame is far smaller than the driver's output queue, so the descriptor takes it at once.
// Through QSerialPort's buffer instead, every frame would switch its write notifier on and off,
// each switch and the notifier's own call one more pass of the event loop. Whatever the
// descriptor does not take, and any failure, goes the way of QSerialPort, which then reports it.
qsizetype QtSerialDevice::writeDirectly(const QByteArray &bytes)
{
#if defined(Q_OS_UNIX)
    if (m_port.bytesToWrite() > 0)
        return 0;
    const ssize_t written = ::write(m_port.handle(), bytes.constData(), size_t(bytes.size()));
    return written > 0 ? qsizetype(written) : 0;
#else
    Q_UNUSED(bytes);
    return 0;
#endif
}

void QtSerialDevice::drain()
{
    ensureUsable();
#if defined(Q_OS_UNIX)
    int result;
    do {
        result = ::tcdrain(m_port.handle());
    } while (result == -1 && errno == EINTR);
    if (result == -1) {
        const int systemError = errno;
        fail(portfailure::ofUse(QSerialPort::UnknownError, systemError),
             qt_error_string(systemError), systemError);
    }
#elif defined(Q_OS_WIN)
    if (!::FlushFileBuffers(m_port.handle())) {
        const int systemError = portfailure::lastSystemError();
        fail(portfailure::ofUse(QSerialPort::UnknownError, systemError),
             qt_error_string(systemError), systemError);
    }
#endif
}

int QtSerialDevice::bytesWaiting()
{
    pullIn();
    return static_cast<int>(m_port.bytesAvailable());
}

QByteArray QtSerialDevice::readAll()
{
    pullIn();
    // QIODevice::readAll() reserves tens of kilobytes for an answer of a few bytes; a copy kept
    // in the traffic history would hold all of it, record after record.
    QByteArray bytes = m_port.readAll();
    bytes.squeeze();
    return bytes;
}

QByteArray QtSerialDevice::read(int count)
{
    pullIn();
    return m_port.read(count);
}

QByteArray QtSerialDevice::peek()
{
    return m_port.isOpen() ? m_port.peek(m_port.bytesAvailable()) : QByteArray();
}

void QtSerialDevice::pullIn()
{
    // Asked of a descriptor with nothing to read, Qt's wait only times out, and sets and clears
    // an error on the way.
    if (!ensureUsable())
        return;
    while (m_port.waitForReadyRead(0)) {
    }
    failIfVanished();
    // Nothing more to read ends the loop with a time-out, which is no failure here.
    const QSerialPort::SerialPortError error = m_port.error();
    if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
        failInUse();
    m_port.clearError();
}

void QtSerialDevice::settle(bool succeeded)
{
    failIfVanished();
    if (m_port.error() == QSerialPort::UnsupportedOperationError) {
        m_port.clearError();
        return;
    }
    if (!succeeded || m_port.error() != QSerialPort::NoError)
        failInUse();
}

bool QtSerialDevice::ensureUsable()
{
    if (!m_open)
        throw CommError(CommError::Kind::WrongState,
                        m_path + QStringLiteral(": the port is not open"));
    failIfVanished();
#if defined(Q_OS_UNIX)
    // A device that has gone (an unplugged adapter, the far end of a pseudo-terminal closed) is
    // hung up, and reads from it simply return nothing; ask for the hang-up itself.
    pollfd state{m_port.handle(), POLLIN, 0};
    const bool polled = ::poll(&state, 1, 0) >= 0;
    const bool systemHasBytes = !polled || (state.revents & POLLIN);
    if (polled && (state.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        m_vanished = qt_error_string(EIO);
        releaseVanished();
        failIfVanished();
    }
#else
    const bool systemHasBytes = true;
#endif
    // Clearing looks up the translated "No error" and tells every listener; most calls find
    // nothing to clear.
    if (m_port.error() != QSerialPort::NoError)
        m_port.clearError();
    m_systemError = 0;
    return systemHasBytes;
}

void QtSerialDevice::releaseVanished()
{
    if (!m_vanished.isEmpty() && m_port.isOpen())
        m_port.close();
}

void QtSerialDevice::failIfVanished()
{
    if (!m_vanished.isEmpty())
        fail(CommError::Kind::Vanished, m_vanished);
}

void QtSerialDevice::failInUse()
{
    const int systemError = m_systemError;
    fail(portfailure::ofUse(m_port.error(), systemError), m_port.errorString(), systemError);
}

void QtSerialDevice::fail(CommError::Kind kind, const QString &reason, int systemError)
{
    m_port.clearError();
    m_systemError = 0;
    throw CommError(kind, m_path + QStringLiteral(": ") + reason, systemError);
}
