#pragma once

#include "framesplitter.h"
#include "misbehaviour.h"

#include <QByteArray>
#include <QObject>

namespace lcdsim {

class FrameLog;
class LcdSlave;

/*! \brief The simulated display on the wire: bytes in, frames cut at silence, answers out.
 *
 * Every frame and every answer is logged; the chosen misbehaviour shapes what goes out.
 */
class Simulator : public QObject
{
    Q_OBJECT

public:
    Simulator(LcdSlave &slave, FrameLog &log, QObject *parent = nullptr);

    const Misbehaviour &misbehaviour() const { return m_misbehaviour; }
    void setMisbehaviour(const Misbehaviour &misbehaviour) { m_misbehaviour = misbehaviour; }

    int silenceGap() const { return m_splitter.silenceGap(); }
    void setSilenceGap(int milliseconds) { m_splitter.setSilenceGap(milliseconds); }

    //! Bytes as they arrive from the master.
    void feed(const QByteArray &bytes) { m_splitter.feed(bytes); }

signals:
    //! Bytes to put on the line towards the master.
    void answerReady(const QByteArray &bytes);

private:
    void takeFrame(const QByteArray &frame);
    void send(const QByteArray &answer, const QString &meaning);

    LcdSlave &m_slave;
    FrameLog &m_log;
    FrameSplitter m_splitter;
    Misbehaviour m_misbehaviour;
};

} // namespace lcdsim
