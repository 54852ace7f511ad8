#include "diagnosis.h"

#include "modbusanswer.h"
#include "serialsettings.h"

#include <optional>

namespace {

// Every threshold the diagnosis judges by. Shares are whole percentages so that an edge such as
// 1 in 20 compares exactly.
constexpr int kNoAnswerMinExchanges = 5;
constexpr int kEchoSharePercent = 50;
constexpr int kCrcErrorMinExchanges = 20;
constexpr int kCrcErrorSharePercent = 5;
constexpr int kLateWaitPercent = 80;
constexpr int kSplitSharePercent = 25;
constexpr double kSplitWireTimes = 2.0;

constexpr quint8 kWriteMultipleRegisters = 0x10;
constexpr quint8 kBroadcastAddress = 0;
// A function 16 answer repeats the request's slave address, function code, start address and
// register count; only bytes beyond those can tell an echo from an answer.
constexpr int kFunction16AnswerHead = 6;

const QString kNoAnswerText = QStringLiteral(
    "check the wiring, the baud rate and format, and the slave address; a display set up at "
    "another speed stays silent");
// The window reads LocalEcho at each Connect; pravixctl reads it too, and takes --echo.
const QString kEchoWindowText =
    QStringLiteral("the adapter returns what it sends: set LocalEcho=1 in section [Settings] of "
                   "pravix.ini, then connect again");
const QString kEchoCommandLineText = QStringLiteral(
    "the adapter returns what it sends: pass --echo, or set LocalEcho=1 in pravix.ini");
const QString kCrcErrorsText =
    QStringLiteral("noise on the line: check termination resistors, the ground and the cable");
const QString kLateAnswersText =
    QStringLiteral("the display answers close to the end of the wait; some answers will be missed");
// Where the latency timer of a USB serial adapter is set depends on the system.
#if defined(Q_OS_WIN)
const QString kSplitAnswersText = QStringLiteral(
    "the adapter delivers in bursts; lower its latency timer: in Device Manager, the port's "
    "Properties, Port Settings, Advanced, Latency Timer (msec)");
#elif defined(Q_OS_LINUX)
const QString kSplitAnswersText =
    QStringLiteral("the adapter delivers in bursts; lower its latency timer, for example "
                   "/sys/bus/usb-serial/devices/ttyUSB0/latency_timer");
#else
const QString kSplitAnswersText = QStringLiteral(
    "the adapter delivers in bursts; lower its latency timer in the settings of its driver");
#endif
const QString kWrongSlaveText =
    QStringLiteral("another device answered: check the slave address and that IDs are unique");

//! True when \a part is at least \a percent percent of \a whole (and there is a whole).
bool atLeastShare(int part, int whole, int percent)
{
    return whole > 0 && qint64(part) * 100 >= qint64(whole) * percent;
}

//! Milliseconds one character takes on the record's line; empty for an unknown settings string.
std::optional<double> characterMs(const QString &settings)
{
    const std::optional<SerialSettings> line = SerialSettings::parse(settings);
    if (!line)
        return std::nullopt;
    return line->bitsPerCharacter() * 1000.0 / line->baudRate;
}

bool isExchange(const TrafficRecord &record)
{
    return record.outcome != TrafficOutcome::Written && record.outcome != TrafficOutcome::PortError;
}

bool isAnswered(const TrafficRecord &record)
{
    return record.outcome == TrafficOutcome::Answer || record.outcome == TrafficOutcome::Exception;
}

bool isFunction16(const TrafficRecord &record)
{
    return record.sent.size() > 1 && quint8(record.sent.at(1)) == kWriteMultipleRegisters;
}

//! The received bytes start with the whole request, or are its first bytes: what an echoing
//! adapter hands back. Only meaningful for function 16, whose answer is shorter than its request.
bool looksLikeEcho(const TrafficRecord &record)
{
    const QByteArray &received = record.received;
    if (received.size() <= kFunction16AnswerHead || record.sent.size() <= kFunction16AnswerHead)
        return false;
    return received.startsWith(record.sent) || record.sent.startsWith(received);
}

//! A frame with a good CRC whose slave address or function code is not the request's; an
//! exception answer from the addressed slave is its own. No device answers a broadcast, so
//! whatever came then says nothing about addresses.
bool fromAnotherDevice(const TrafficRecord &record)
{
    if (record.sent.isEmpty() || quint8(record.sent.at(0)) == kBroadcastAddress)
        return false;
    return modbusanswer::judge(record.sent, record.received) == modbusanswer::Verdict::OtherDevice;
}

} // namespace

void LineDiagnosis::add(const TrafficRecord &record)
{
    if (!isExchange(record))
        return;
    ++m_exchanges;

    // What was judged, not whether anything arrived: an echo taken off the answer came from the
    // adapter, not from the display.
    const bool gotBytes = !record.received.isEmpty();
    if (gotBytes)
        ++m_withBytes;

    const bool echo = isFunction16(record) && looksLikeEcho(record);
    if (gotBytes && isFunction16(record)) {
        ++m_function16WithBytes;
        if (echo)
            ++m_function16Echoes;
    }
    if (record.outcome == TrafficOutcome::CrcError && !echo)
        ++m_crcErrorsNotEcho;

    if (fromAnotherDevice(record))
        ++m_wrongSlaves;

    if (!isAnswered(record) || !record.firstByteMs)
        return;
    if (record.waitMs > 0) {
        ++m_timedAnswers;
        if (*record.firstByteMs * 100 > record.waitMs * kLateWaitPercent)
            ++m_lateAnswers;
    }
    const std::optional<double> character = characterMs(record.settings);
    if (record.lastByteMs && character && !record.received.isEmpty()) {
        ++m_pacedAnswers;
        const double wireMs = record.received.size() * *character;
        if (*record.lastByteMs - *record.firstByteMs > kSplitWireTimes * wireMs)
            ++m_splitAnswers;
    }
}

void LineDiagnosis::clear()
{
    *this = LineDiagnosis(m_localEcho);
}

QList<LineFinding> LineDiagnosis::findings(DiagnosisReader reader) const
{
    QList<LineFinding> found;
    if (m_exchanges >= kNoAnswerMinExchanges && m_withBytes == 0)
        found.append({QStringLiteral("no-answer"), kNoAnswerText});
    if (!m_localEcho && atLeastShare(m_function16Echoes, m_function16WithBytes, kEchoSharePercent))
        found.append({QStringLiteral("echo"), reader == DiagnosisReader::TrafficWindow
                                                  ? kEchoWindowText
                                                  : kEchoCommandLineText});
    if (m_exchanges >= kCrcErrorMinExchanges &&
        atLeastShare(m_crcErrorsNotEcho, m_exchanges, kCrcErrorSharePercent))
        found.append({QStringLiteral("crc-errors"), kCrcErrorsText});
    // The median first-byte time lies beyond the mark exactly when more than half of the answers
    // do (the lower middle value standing for the median of an even count), so counts suffice.
    if (m_lateAnswers * 2 > m_timedAnswers)
        found.append({QStringLiteral("late-answers"), kLateAnswersText});
    if (atLeastShare(m_splitAnswers, m_pacedAnswers, kSplitSharePercent))
        found.append({QStringLiteral("split-answers"), kSplitAnswersText});
    if (m_wrongSlaves > 0)
        found.append({QStringLiteral("wrong-slave"), kWrongSlaveText});
    return found;
}

QList<LineFinding> diagnose(const QList<TrafficRecord> &records, bool localEcho,
                            DiagnosisReader reader)
{
    LineDiagnosis diagnosis(localEcho);
    for (const TrafficRecord &record : records)
        diagnosis.add(record);
    return diagnosis.findings(reader);
}
