#include "fakeserialdevice.h"

#include "commerror.h"

FakeSerialDevice::FakeSerialDevice()
{
    m_clock.start();
}

QList<FakeSerialDevice::Kind> FakeSerialDevice::kinds() const
{
    QList<Kind> result;
    for (const Event &event : m_events)
        result.append(event.kind);
    return result;
}

QByteArray FakeSerialDevice::written() const
{
    QByteArray result;
    for (const Event &event : m_events) {
        if (event.kind == Kind::Write)
            result += event.bytes;
    }
    return result;
}

void FakeSerialDevice::receive(const QByteArray &bytes)
{
    m_received += bytes;
    if (!bytes.isEmpty())
        bytesArrived(int(m_received.size()));
}

void FakeSerialDevice::open(const QString &path, const SerialSettings &settings)
{
    if (m_open)
        throw CommError(CommError::Kind::WrongState, path + QStringLiteral(": already open"));
    if (m_failing.removeOne(Operation::Open))
        throw CommError(CommError::Kind::NotFound, path + QStringLiteral(": open failed"));
    Event &event = record(Kind::Open);
    event.path = path;
    event.settings = settings.text;
    m_open = true;
}

void FakeSerialDevice::close()
{
    if (!m_open)
        return;
    record(Kind::Close);
    m_open = false;
    m_rts = false;
}

void FakeSerialDevice::setRts(bool high)
{
    begin(Operation::Rts);
    record(Kind::Rts).high = high;
    m_rts = high;
}

void FakeSerialDevice::write(const QByteArray &bytes)
{
    begin(Operation::Write);
    record(Kind::Write).bytes = bytes;
    if (!m_answers.isEmpty())
        receive(m_answers.dequeue());
}

void FakeSerialDevice::drain()
{
    begin(Operation::Drain);
    record(Kind::Drain);
}

int FakeSerialDevice::bytesWaiting()
{
    begin(Operation::Read);
    return static_cast<int>(m_received.size());
}

QByteArray FakeSerialDevice::readAll()
{
    begin(Operation::Read);
    QByteArray bytes;
    bytes.swap(m_received);
    return bytes;
}

QByteArray FakeSerialDevice::read(int count)
{
    begin(Operation::Read);
    const QByteArray bytes = m_received.left(count);
    m_received.remove(0, bytes.size());
    return bytes;
}

FakeSerialDevice::Event &FakeSerialDevice::record(Kind kind)
{
    m_events.append(Event{kind, now(), {}, {}, false, {}});
    return m_events.last();
}

void FakeSerialDevice::begin(Operation operation)
{
    if (!m_open)
        throw CommError(CommError::Kind::WrongState, QStringLiteral("fake device: not open"));
    if (m_failing.removeOne(operation))
        throw CommError(CommError::Kind::Vanished, QStringLiteral("fake device: operation failed"));
}
