#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace lcdsim {

/*! \brief Cuts the incoming byte stream into frames at line silence, as Modbus RTU does.
 *
 * Bytes are gathered until nothing more has arrived for the silence gap; what was gathered
 * then leaves as one frame, with the time since its first byte came in.
 */
class FrameSplitter : public QObject
{
    Q_OBJECT

public:
    explicit FrameSplitter(QObject *parent = nullptr);

    /*! 3.5 character times at the given line speed, rounded up to whole milliseconds and never
     * below 2 ms, so that timer granularity cannot cut a frame at high speeds. */
    static int silenceGapMs(int baudRate, int bitsPerCharacter);

    int silenceGap() const { return m_silence.interval(); }
    void setSilenceGap(int milliseconds);

    void feed(const QByteArray &bytes);

signals:
    void frameReceived(const QByteArray &frame, qint64 sinceFirstByteNs);

private:
    QByteArray m_pending;
    QElapsedTimer m_sinceFirstByte;
    QTimer m_silence;
};

} // namespace lcdsim
