#include "lineexchange.h"

#include "commerror.h"
#include "modbusanswer.h"
#include "mscomm.h"
#include "serialsettings.h"

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// How often the port is looked at during a wait: every half character at the line's speed (0.52
// ms at 9600 8N1), as exact as an answer's timing can be told, and within bounds that keep a
// pseudo-terminal's instant answers timed and the processor time small.
std::chrono::microseconds pollInterval(const QString &settings)
{
    const SerialSettings line = SerialSettings::parse(settings).value_or(SerialSettings());
    const qint64 halfCharacter = qint64(line.bitsPerCharacter()) * 1000000 / line.baudRate / 2;
    return std::chrono::microseconds(std::clamp<qint64>(halfCharacter, 100, 500));
}

double millisecondsSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

//! What counts as the answer: the received bytes after a leading copy of the request when
//! \a echo is set and they begin with one.
QByteArray withoutEcho(const QByteArray &received, const QByteArray &request, bool echo)
{
    if (echo && received.startsWith(request))
        return received.mid(request.size());
    return received;
}

//! Nothing more is to come: 8 bytes, or an exception answer, which is shorter.
bool isWhole(const QByteArray &answer, const QByteArray &request)
{
    return answer.size() >= modbusanswer::wholeLength ||
           modbusanswer::judge(request, answer) == modbusanswer::Verdict::Exception;
}

TrafficOutcome outcomeOf(const QByteArray &answer, const QByteArray &request)
{
    using modbusanswer::Verdict;
    switch (modbusanswer::judge(request, answer)) {
    case Verdict::Nothing:
        return TrafficOutcome::NoResponse;
    case Verdict::Exception:
        return TrafficOutcome::Exception;
    case Verdict::CrcError:
        return TrafficOutcome::CrcError;
    case Verdict::Partial:
    case Verdict::Answer:
    case Verdict::OtherDevice:
        break;
    }
    // Eight bytes with a good CRC are an answer whoever sent them, as in the window; the
    // diagnosis names another device's.
    return answer.size() < modbusanswer::wholeLength ? TrafficOutcome::Incomplete
                                                     : TrafficOutcome::Answer;
}

bool stopped(const ExchangeOptions &options)
{
    return options.stop && options.stop->load();
}

} // namespace

LineExchange::LineExchange(MSComm &port, const QString &device, const QString &settings,
                           const QString &producer)
    : m_port(port), m_device(device), m_settings(settings), m_producer(producer),
      m_pollInterval(pollInterval(settings))
{
}

LineExchange::Result LineExchange::run(const QByteArray &request, const ExchangeOptions &options)
{
    Result result;
    TrafficRecord &record = result.record;
    record.window = m_producer;
    record.device = m_device;
    record.settings = m_settings;
    record.sent = request;
    try {
        // An answer that came too late, or noise, must not be taken for this request's answer.
        if (m_port.inBufferCount() > 0)
            result.discarded = m_port.input();
        record.time = QDateTime::currentDateTime();
        if (options.rts)
            m_port.setRTSEnable(true);
        m_port.output(request);
        QElapsedTimer sinceWrite;
        sinceWrite.start();
        // Waits until the frame has left the port: the display answers only after that anyway.
        if (options.rts)
            m_port.setRTSEnable(false);
        if (options.awaitAnswer) {
            awaitAnswer(request, options, sinceWrite, record);
        } else {
            // The next frame, or closing the port, must not cut this one short: lowering RTS
            // waits until it has left (without --rts the level is low already).
            m_port.setRTSEnable(false);
            record.outcome = TrafficOutcome::Written;
        }
    } catch (const CommError &error) {
        record.outcome = TrafficOutcome::PortError;
        result.portError = error;
        if (options.rts) {
            try {
                m_port.setRTSEnable(false);
            } catch (const CommError &) {
                // The port is gone; there is no line left to lower.
            }
        }
    }
    return result;
}

void LineExchange::awaitAnswer(const QByteArray &request, const ExchangeOptions &options,
                               const QElapsedTimer &clock, TrafficRecord &record)
{
    record.waitMs = options.timeoutMs;
    QByteArray received;
    QByteArray answer;
    for (;;) {
        if (m_port.inBufferCount() > 0) {
            received += m_port.input();
            // Part of the echo is not yet part of the answer, nor is its time the display's.
            const bool echoUnderway = options.echo && request.startsWith(received);
            const QByteArray grown =
                echoUnderway ? QByteArray() : withoutEcho(received, request, options.echo);
            if (grown.size() > answer.size()) {
                const double now = millisecondsSince(clock);
                if (!record.firstByteMs)
                    record.firstByteMs = now;
                record.lastByteMs = now;
            }
            answer = grown;
        }
        if (isWhole(answer, request) || stopped(options))
            break;
        const auto left =
            std::chrono::nanoseconds(qint64(options.timeoutMs) * 1000000 - clock.nsecsElapsed());
        if (left.count() <= 0)
            break;
        std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(left, m_pollInterval));
    }
    record.received = answer;
    record.outcome = outcomeOf(answer, request);
}

TrafficRecord portFailureRecord(const QString &device, const QString &settings,
                                const QString &producer)
{
    TrafficRecord failed;
    failed.time = QDateTime::currentDateTime();
    failed.window = producer;
    failed.device = device;
    failed.settings = settings;
    failed.outcome = TrafficOutcome::PortError;
    return failed;
}
