#include "serialline.h"

#include <QMetaObject>

namespace lcdsim {
namespace {

QSerialPort::Parity parityOf(const LineSettings &line)
{
    switch (line.parity) {
    case 'E':
        return QSerialPort::EvenParity;
    case 'O':
        return QSerialPort::OddParity;
    default:
        return QSerialPort::NoParity;
    }
}

} // namespace

SerialLine::SerialLine(QObject *parent) : LineEnd(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, [this] { emit received(m_port.readAll()); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialLine::reportFailure);
}

bool SerialLine::open(const QString &name, const LineSettings &line, QString *error)
{
    m_name = name;
    m_port.setPortName(name);
    if (!m_port.open(QIODevice::ReadWrite)) {
        *error = QStringLiteral("%1: %2").arg(name, m_port.errorString());
        return false;
    }
    if (!apply(line, error)) {
        m_port.close();
        return false;
    }
    // What arrived before the port was set up was heard at whatever line it had.
    m_port.clear();
    return true;
}

bool SerialLine::write(const QByteArray &bytes)
{
    return !m_failed && m_port.write(bytes) == bytes.size();
}

void SerialLine::listenAt(const LineSettings &line)
{
    if (m_failed || line == m_line)
        return;
    QString error;
    if (!apply(line, &error))
        fail(error);
}

bool SerialLine::apply(const LineSettings &line, QString *error)
{
    m_applying = true;
    const auto settled = [this](bool done) {
        // A device without such a line at all keeps what it has: a pseudo-terminal standing
        // in for a port carries no parity.
        if (m_port.error() == QSerialPort::UnsupportedOperationError) {
            m_port.clearError();
            return true;
        }
        return done && m_port.error() == QSerialPort::NoError;
    };
    const bool done =
        settled(m_port.setBaudRate(line.baudRate)) &&
        settled(m_port.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits))) &&
        settled(m_port.setParity(parityOf(line))) &&
        settled(
            m_port.setStopBits(line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop)) &&
        settled(m_port.setFlowControl(QSerialPort::NoFlowControl));
    m_applying = false;
    if (!done) {
        *error = QStringLiteral("%1: cannot listen at %2: %3")
                     .arg(m_name, line.text(), m_port.errorString());
        return false;
    }
    m_line = line;
    return true;
}

void SerialLine::reportFailure(QSerialPort::SerialPortError error)
{
    // Errors while opening or setting up are told by the step that met them.
    if (m_applying || !m_port.isOpen())
        return;
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError ||
        error == QSerialPort::UnsupportedOperationError)
        return;
    switch (error) {
    case QSerialPort::ResourceError:
        fail(QStringLiteral("%1 went away: %2").arg(m_name, m_port.errorString()));
        break;
    case QSerialPort::ReadError:
        // The system's own text is of no use here: the reading of a device that has gone
        // leaves whatever error the last system call had.
        fail(QStringLiteral("%1 can no longer be read: the device went away or failed")
                 .arg(m_name));
        break;
    default:
        fail(QStringLiteral("%1: %2").arg(m_name, m_port.errorString()));
        break;
    }
}

void SerialLine::fail(const QString &reason)
{
    if (m_failed)
        return;
    m_failed = true;
    // A port that has gone stays readable and would be read in vain at full speed; it is let
    // go once the port's own signal has returned.
    QMetaObject::invokeMethod(
        this, [this] { m_port.close(); }, Qt::QueuedConnection);
    emit failed(reason);
}

} // namespace lcdsim
