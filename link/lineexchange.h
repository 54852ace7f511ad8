#pragma once

#include "commerror.h"
#include "trafficrecord.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <optional>

class MSComm;
class QElapsedTimer;

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
    //! When set, the wait ends as soon as it holds true; the answer is judged on what has come.
    const std::atomic<bool> *stop = nullptr;
};

/*! \brief One request on an open port and its answer, for pravixctl and the display search.
 *
 * The wait sleeps between looks at the port, so it runs where blocking is allowed: a console
 * program, or a thread of its own beside the windows. Unlike the main window's fixed wait, the wait
 * ends as soon as the answer is whole: 8 bytes, or a 5-byte exception answer from the addressed
 * slave whose CRC holds. Then nothing is "no response", an exception answer "exception", other
 * bytes short of 8 "incomplete", 8 bytes (the first 8, when more came) whose CRC does not hold "crc
 * error", and any other 8 an answer.
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

    /*! \a device and \a settings only label the records; \a producer is the records' window
     * ("pravixctl", "find"). */
    LineExchange(MSComm &port, const QString &device, const QString &settings,
                 const QString &producer);

    Result run(const QByteArray &request, const ExchangeOptions &options);

private:
    //! Waits from \a clock's start, which is when the write returned.
    void awaitAnswer(const QByteArray &request, const ExchangeOptions &options,
                     const QElapsedTimer &clock, TrafficRecord &record);

    MSComm &m_port;
    QString m_device;
    QString m_settings;
    QString m_producer;
    std::chrono::microseconds m_pollInterval;
};

//! The record of a port that failed before a request could go out, opening it for instance.
TrafficRecord portFailureRecord(const QString &device, const QString &settings,
                                const QString &producer);
