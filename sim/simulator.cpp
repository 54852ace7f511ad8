#include "simulator.h"

#include "displaysetup.h"
#include "framehandler.h"
#include "framelog.h"
#include "lcdslave.h"

#include <QTimer>

namespace lcdsim {
namespace {

constexpr qint64 nsPerMs = 1000000;

} // namespace

Simulator::Simulator(LcdSlave &slave, FrameLog &log, QObject *parent)
    : QObject(parent), m_slave(slave), m_log(log)
{
    connect(&m_splitter, &FrameSplitter::frameReceived, this, &Simulator::takeFrame);
    connect(&m_slave, &LcdSlave::changed, this, &Simulator::followListeningLine);
    followListeningLine();
}

void Simulator::setMisbehaviour(const Misbehaviour &misbehaviour)
{
    m_misbehaviour = misbehaviour;
    m_noise.seed(misbehaviour.noiseSeed);
}

void Simulator::setSilenceGap(int milliseconds)
{
    m_gapFixed = true;
    m_splitter.setSilenceGap(milliseconds);
}

void Simulator::followListeningLine()
{
    if (m_gapFixed)
        return;
    const LineSettings &line = m_slave.lineSettings();
    m_splitter.setSilenceGap(FrameSplitter::silenceGapMs(line.baudRate, line.bitsPerCharacter()));
}

void Simulator::feed(const QByteArray &bytes)
{
    if (m_misbehaviour.echo && !bytes.isEmpty())
        emit echoed(bytes);
    m_splitter.feed(bytes);
}

void Simulator::takeFrame(const QByteArray &frame, qint64 sinceFirstByteNs)
{
    // The program always sends an image at the line it starts from; the display always takes
    // one there, so that a display set to an unknown line can still be reached.
    const bool image = frame.size() == DisplaySetup::imageSize;
    const LineSettings expected =
        image ? LineSettings::configurationLine() : m_slave.lineSettings();
    const LineSettings line = m_lineReader ? m_lineReader().value_or(expected) : expected;
    if (!expected.understands(line)) {
        const QString listening = image ? QStringLiteral("a configuration image is taken at %1")
                                        : QStringLiteral("display listens at %1");
        m_log.received(frame, QStringLiteral("line %1, %2: not understood")
                                  .arg(line.text(), listening.arg(expected.text())));
        return;
    }

    const FrameOutcome outcome = handleFrame(frame, m_slave);
    m_log.received(frame, outcome.meaning);
    if (m_replay) {
        replayAnswer(frame, sinceFirstByteNs);
        return;
    }
    if (outcome.answer.isEmpty())
        return;
    if (m_misbehaviour.silent) {
        m_log.note(QStringLiteral("no answer (%1 held back, told to stay silent)")
                       .arg(outcome.answerMeaning));
        return;
    }
    QByteArray shaped = m_misbehaviour.shape(outcome.answer);
    QString meaning = outcome.answerMeaning;
    if (m_misbehaviour.badCrc)
        meaning += QStringLiteral(", CRC spoilt on purpose");
    if (shaped.size() < outcome.answer.size())
        meaning += QStringLiteral(", cut to %1 of %2 bytes on purpose")
                       .arg(shaped.size())
                       .arg(outcome.answer.size());
    if (const int hit = m_misbehaviour.addNoise(&shaped, m_noise))
        meaning += QStringLiteral(", %1 byte(s) hit by noise").arg(hit);
    if (m_misbehaviour.delayMs > 0)
        meaning += QStringLiteral(", %1 ms late on purpose").arg(m_misbehaviour.delayMs);

    // The request ends on the wire one transmit time after its first byte; the answer follows
    // after the turnaround. Parity cannot be read from every line, so the display's own
    // settings, which match the line in all else, time it.
    const LineSettings &wire = m_slave.lineSettings();
    const qint64 startNs = wire.transmitTimeNs(int(frame.size())) +
                           (m_turnaroundMs + m_misbehaviour.delayMs) * nsPerMs;
    const qint64 waitNs = startNs - sinceFirstByteNs;
    if (m_misbehaviour.splitMs <= 0 || shaped.size() < 2) {
        sendAfter(waitNs, shaped, meaning, wire.characterTimeNs());
        return;
    }
    const qsizetype half = shaped.size() / 2;
    sendAfter(waitNs, shaped.left(half),
              meaning + QStringLiteral(", first %1 bytes, the rest %2 ms later on purpose")
                            .arg(half)
                            .arg(m_misbehaviour.splitMs),
              wire.characterTimeNs());
    sendAfter(waitNs + m_misbehaviour.splitMs * nsPerMs, shaped.mid(half),
              meaning + QStringLiteral(", the rest"), wire.characterTimeNs());
}

void Simulator::replayAnswer(const QByteArray &frame, qint64 sinceFirstByteNs)
{
    const std::optional<TrafficRecord> recorded = m_replay->take(frame);
    if (!recorded) {
        m_log.note(QStringLiteral("no answer (the request is not in the rest of the replayed "
                                  "log)"));
        return;
    }
    const QString meaning =
        QStringLiteral("as the log recorded: %1").arg(outcomeToken(recorded->outcome));
    if (recorded->received.isEmpty()) {
        m_log.note(QStringLiteral("no answer (") + meaning + QLatin1Char(')'));
        return;
    }
    // The recorded times count from the master's write, which is when the request's first byte
    // comes in here. The bytes follow one another evenly from the first-byte time to the
    // last-byte time: the pacer hands each on one character time after the one before, the
    // first one character time after it starts.
    const qint64 firstNs = qint64(recorded->firstByteMs.value_or(0) * nsPerMs);
    const qint64 lastNs = qint64(recorded->lastByteMs.value_or(0) * nsPerMs);
    const qsizetype count = recorded->received.size();
    const qint64 characterTimeNs = count > 1 ? (lastNs - firstNs) / (count - 1) : 0;
    sendAfter(firstNs - characterTimeNs - sinceFirstByteNs, recorded->received,
              meaning + QStringLiteral(", first byte at %1 ms, last at %2 ms")
                            .arg(millisecondsText(recorded->firstByteMs),
                                 millisecondsText(recorded->lastByteMs)),
              characterTimeNs);
}

void Simulator::sendAfter(qint64 waitNs, const QByteArray &answer, const QString &meaning,
                          qint64 characterTimeNs)
{
    if (waitNs <= 0) {
        send(answer, meaning, characterTimeNs);
        return;
    }
    QTimer::singleShot(
        int((waitNs + nsPerMs - 1) / nsPerMs), Qt::PreciseTimer, this,
        [this, answer, meaning, characterTimeNs] { send(answer, meaning, characterTimeNs); });
}

void Simulator::send(const QByteArray &answer, const QString &meaning, qint64 characterTimeNs)
{
    if (answer.isEmpty()) {
        m_log.note(QStringLiteral("no answer (") + meaning + QLatin1Char(')'));
        return;
    }
    m_log.sent(answer, meaning);
    emit answerReady(answer, characterTimeNs);
}

} // namespace lcdsim
