#include "framesplitter.h"

namespace lcdsim {
namespace {

constexpr int defaultBaudRate = 9600;
// Start bit, eight data bits, one stop bit.
constexpr int defaultBitsPerCharacter = 10;
constexpr int shortestGapMs = 2;

} // namespace

FrameSplitter::FrameSplitter(QObject *parent) : QObject(parent)
{
    m_silence.setSingleShot(true);
    m_silence.setTimerType(Qt::PreciseTimer);
    m_silence.setInterval(silenceGapMs(defaultBaudRate, defaultBitsPerCharacter));
    connect(&m_silence, &QTimer::timeout, this, [this] {
        QByteArray frame;
        frame.swap(m_pending);
        emit frameReceived(frame, m_sinceFirstByte.nsecsElapsed());
    });
}

int FrameSplitter::silenceGapMs(int baudRate, int bitsPerCharacter)
{
    const qint64 numerator = qint64(35) * bitsPerCharacter * 1000;
    const qint64 denominator = qint64(10) * baudRate;
    const auto gap = static_cast<int>((numerator + denominator - 1) / denominator);
    return qMax(shortestGapMs, gap);
}

void FrameSplitter::setSilenceGap(int milliseconds)
{
    m_silence.setInterval(milliseconds);
}

void FrameSplitter::feed(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_pending.isEmpty())
        m_sinceFirstByte.start();
    m_pending.append(bytes);
    m_silence.start();
}

} // namespace lcdsim
