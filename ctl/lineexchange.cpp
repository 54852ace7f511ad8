#include "lineexchange.h"

#include "commerror.h"
#include "crc16.h"
#include "mscomm.h"
#include "serialsettings.h"

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace ctl {
namespace {

constexpr int answerLength = 8;
constexpr int exceptionLength = 5;
constexpr quint8 exceptionFlag = 0x80;
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

} // namespace

LineExchange::LineExchange(MSComm &port, const QString &device, const QString &settings)
    : m_port(port), m_device(device), m_settings(settings), m_pollInterval(pollInterval(settings))
{
}

LineExchange::Result LineExchange::run(const QByteArray &request, const ExchangeOptions &options)
{
    Result result;
    TrafficRecord &record = result.record;
    record.window = QStringLiteral("pravixctl");
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
        if (isWhole(answer, request))
            break;
        const auto left =
            std::chrono::nanoseconds(qint64(options.timeoutMs) * 1000000 - clock.nsecsElapsed());
        if (left.count() <= 0)
            break;
        std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(left, m_pollInterval));
    }
    record.received = answer;
    record.outcome = judge(answer, request);
}

QByteArray LineExchange::withoutEcho(const QByteArray &received, const QByteArray &request,
                                     bool echo)
{
    if (echo && received.startsWith(request))
        return received.mid(request.size());
    return received;
}

bool LineExchange::isWhole(const QByteArray &answer, const QByteArray &request)
{
    return answer.size() >= answerLength || isException(answer, request);
}

bool LineExchange::isException(const QByteArray &answer, const QByteArray &request)
{
    return answer.size() == exceptionLength && request.size() > 1 &&
           quint8(answer.at(1)) == (quint8(request.at(1)) | exceptionFlag) &&
           modbuscrc::hasValidCrc(answer);
}

TrafficOutcome LineExchange::judge(const QByteArray &answer, const QByteArray &request)
{
    if (answer.isEmpty())
        return TrafficOutcome::NoResponse;
    if (isException(answer, request))
        return TrafficOutcome::Exception;
    if (answer.size() < answerLength)
        return TrafficOutcome::Incomplete;
    if (!modbuscrc::hasValidCrc(answer.left(answerLength)))
        return TrafficOutcome::CrcError;
    return TrafficOutcome::Answer;
}

} // namespace ctl
