#pragma once

#include "serialdevice.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QQueue>
#include <QString>

/*! \brief A serial device for tests: records what the program does and answers from a script.
 *
 * Every call is logged with the time it was made, so a test can check the order of RTS changes,
 * writes and drains and how long RTS stayed up. Hand it to an MSComm and keep a plain pointer:
 *
 *     auto device = std::make_unique<FakeSerialDevice>();
 *     FakeSerialDevice *fake = device.get();
 *     MSComm port(portmap::devicePath, std::move(device));
 *
 * Operations on a closed device throw CommError, as a real one does.
 */
class FakeSerialDevice : public SerialDevice
{
public:
    enum class Kind { Open, Close, Rts, Write, Drain };
    //! What a test can make fail once; Read stands for bytesWaiting() and readAll().
    enum class Operation { Open, Rts, Write, Drain, Read };

    struct Event
    {
        Kind kind;
        //! Nanoseconds on the same clock as now().
        qint64 at;
        //! Open: the device path and the settings string.
        QString path;
        QString settings;
        //! Rts: the new level.
        bool high = false;
        //! Write: the bytes.
        QByteArray bytes;
    };

    FakeSerialDevice();

    //! Nanoseconds since the device was made, the clock of every event.
    qint64 now() const { return m_clock.nsecsElapsed(); }
    const QList<Event> &events() const { return m_events; }
    QList<Kind> kinds() const;
    //! Every byte the recorded writes carry, in order.
    QByteArray written() const;
    bool rts() const { return m_rts; }
    void clearEvents() { m_events.clear(); }

    //! These bytes arrive now.
    void receive(const QByteArray &bytes);
    //! These bytes arrive when a later write has been made; each write takes the next answer.
    void answerNextWrite(const QByteArray &bytes) { m_answers.enqueue(bytes); }
    //! The next call of this operation throws CommError; it records and changes nothing.
    void failNext(Operation operation) { m_failing.append(operation); }

    void open(const QString &path, const SerialSettings &settings) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void setRts(bool high) override;
    void write(const QByteArray &bytes) override;
    void drain() override;
    int bytesWaiting() override;
    QByteArray readAll() override;
    QByteArray read(int count) override;
    QByteArray peek() override { return m_received; }

private:
    Event &record(Kind kind);
    void begin(Operation operation);

    QElapsedTimer m_clock;
    QList<Event> m_events;
    QByteArray m_received;
    QQueue<QByteArray> m_answers;
    QList<Operation> m_failing;
    bool m_open = false;
    bool m_rts = false;
};
