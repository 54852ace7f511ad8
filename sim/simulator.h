#pragma once

#include "framesplitter.h"
#include "linesettings.h"
#include "misbehaviour.h"

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
 * goes out.
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
    void send(const QByteArray &answer, const QString &meaning, qint64 characterTimeNs);

    LcdSlave &m_slave;
    FrameLog &m_log;
    FrameSplitter m_splitter;
    Misbehaviour m_misbehaviour;
    QRandomGenerator m_noise;
    LineReader m_lineReader;
    int m_turnaroundMs = defaultTurnaroundMs;
    bool m_gapFixed = false;
};

} // namespace lcdsim
