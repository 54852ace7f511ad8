#pragma once

#include "commerror.h"
#include "trafficrecord.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

class MSComm;
class QElapsedTimer;

namespace ctl {

//! How one request is sent and its answer awaited.
struct ExchangeOptions
{
    //! Longest wait for the answer, counted from when the write returned.
    int timeoutMs = 60;
    //! False for a broadcast and for an upload: nothing comes back.
    bool awaitAnswer = true;
    //! Raise RTS while sending; it falls only once the frame has left the port.
    bool rts = false;
    //! The adapter hands every sent byte back: a leading copy of the request is not the answer.
    bool echo = false;
};

/*! \brief One request on an open port and its answer, judged as the main window judges it.
 *
 * Unlike the window's fixed wait, the wait ends as soon as the answer is whole: 8 bytes, or a
 * 5-byte exception answer whose CRC holds. Then nothing is "no response", fewer than 8 bytes
 * "incomplete", 8 bytes whose CRC does not hold "crc error".
 */
class LineExchange
{
public:
    struct Result
    {
        TrafficRecord record;
        //! Bytes that were waiting before the request and were thrown away.
        QByteArray discarded;
        //! Why the outcome is a port error; empty for every other outcome.
        std::optional<CommError> portError;
    };

    //! \a device and \a settings only label the records.
    LineExchange(MSComm &port, const QString &device, const QString &settings);

    Result run(const QByteArray &request, const ExchangeOptions &options);

    //! What counts as the answer: the received bytes after a leading copy of the request when
    //! \a echo is set and they begin with one.
    static QByteArray withoutEcho(const QByteArray &received, const QByteArray &request, bool echo);
    //! True when \a answer to \a request is whole: 8 bytes, or a Modbus exception answer.
    static bool isWhole(const QByteArray &answer, const QByteArray &request);
    //! True for 5 bytes that form a Modbus exception answer to \a request with a good CRC.
    static bool isException(const QByteArray &answer, const QByteArray &request);
    static TrafficOutcome judge(const QByteArray &answer, const QByteArray &request);

private:
    //! Waits from \a clock's start, which is when the write returned.
    void awaitAnswer(const QByteArray &request, const ExchangeOptions &options,
                     const QElapsedTimer &clock, TrafficRecord &record);

    MSComm &m_port;
    QString m_device;
    QString m_settings;
    std::chrono::microseconds m_pollInterval;
};

} // namespace ctl
