#pragma once

#include "framesplitter.h"
#include "linesettings.h"
#include "misbehaviour.h"
#include "replay.h"

#include <QByteArray>
#include <QObject>
#include <QRandomGenerator>

#include <functional>
#include <optional>

namespace lcdsim {

class FrameLog;
class LcdSlave;

/*! \brief The simulated display on the wire: bytes in, frames cut at silence, answers out.
 *
 * Before a frame is handled, the line's settings are read: a frame sent at a speed or
 * character format the display does not listen at is not understood and gets no answer. An
 * answer starts no earlier than the request could have crossed the line plus the display's
 * turnaround. Every frame and every answer is logged; the chosen misbehaviour shapes what
 * goes out. A replayed field log instead answers each request with the bytes it recorded, at
 * the times it recorded.
 */
class Simulator : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultTurnaroundMs = 3;

    //! Reads the line as the master has set it; std::nullopt when it cannot tell.
    using LineReader = std::function<std::optional<LineSettings>()>;

    Simulator(LcdSlave &slave, FrameLog &log, QObject *parent = nullptr);

    const Misbehaviour &misbehaviour() const { return m_misbehaviour; }
    void setMisbehaviour(const Misbehaviour &misbehaviour);

    /*! Answers from \a replay from now on: what the log received for each request, its first
     * byte at the recorded first-byte time after the request's first byte came in and its last
     * at the recorded last-byte time (never before the request has ended in silence); silence
     * for a request the rest of the log does not hold. The display still acts on each frame. */
    void setReplay(const Replay &replay) { m_replay = replay; }

    int silenceGap() const { return m_splitter.silenceGap(); }
    //! Fixes the silence gap; without this it follows the line the display listens at.
    void setSilenceGap(int milliseconds);

    int turnaround() const { return m_turnaroundMs; }
    void setTurnaround(int milliseconds) { m_turnaroundMs = milliseconds; }

    /*! Where the line's settings come from. Without a reader, or when it cannot tell, the line
     * is taken to match what the display expects. */
    void setLineReader(LineReader reader) { m_lineReader = std::move(reader); }

    //! Bytes as they arrive from the master.
    void feed(const QByteArray &bytes);

signals:
    /*! A whole answer to put on the line towards the master, at its start time; its bytes take
     * characterTimeNs each on the wire. */
    void answerReady(const QByteArray &bytes, qint64 characterTimeNs);
    //! Bytes from the master that the line sends straight back to it.
    void echoed(const QByteArray &bytes);

private:
    void takeFrame(const QByteArray &frame, qint64 sinceFirstByteNs);
    void followListeningLine();
    void replayAnswer(const QByteArray &frame, qint64 sinceFirstByteNs);
    //! Sends \a answer once \a waitNs have passed (at once when they already have).
    void sendAfter(qint64 waitNs, const QByteArray &answer, const QString &meaning,
                   qint64 characterTimeNs);
    void send(const QByteArray &answer, const QString &meaning, qint64 characterTimeNs);

    LcdSlave &m_slave;
    FrameLog &m_log;
    FrameSplitter m_splitter;
    Misbehaviour m_misbehaviour;
    QRandomGenerator m_noise;
    std::optional<Replay> m_replay;
    LineReader m_lineReader;
    int m_turnaroundMs = defaultTurnaroundMs;
    bool m_gapFixed = false;
};

} // namespace lcdsim
