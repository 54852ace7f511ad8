#include "simulator.h"

#include "framehandler.h"
#include "framelog.h"

#include <QTimer>

namespace lcdsim {

Simulator::Simulator(LcdSlave &slave, FrameLog &log, QObject *parent)
    : QObject(parent), m_slave(slave), m_log(log)
{
    connect(&m_splitter, &FrameSplitter::frameReceived, this, &Simulator::takeFrame);
}

void Simulator::takeFrame(const QByteArray &frame)
{
    const FrameOutcome outcome = handleFrame(frame, m_slave);
    m_log.received(frame, outcome.meaning);
    if (outcome.answer.isEmpty())
        return;
    if (m_misbehaviour.silent) {
        m_log.note(QStringLiteral("no answer (%1 held back, told to stay silent)")
                       .arg(outcome.answerMeaning));
        return;
    }
    const QByteArray shaped = m_misbehaviour.shape(outcome.answer);
    QString meaning = outcome.answerMeaning;
    if (m_misbehaviour.badCrc)
        meaning += QStringLiteral(", CRC spoilt on purpose");
    if (shaped.size() < outcome.answer.size())
        meaning += QStringLiteral(", cut to %1 of %2 bytes on purpose")
                       .arg(shaped.size())
                       .arg(outcome.answer.size());
    if (m_misbehaviour.delayMs > 0) {
        meaning += QStringLiteral(", %1 ms late on purpose").arg(m_misbehaviour.delayMs);
        QTimer::singleShot(m_misbehaviour.delayMs, Qt::PreciseTimer, this,
                           [this, shaped, meaning] { send(shaped, meaning); });
        return;
    }
    send(shaped, meaning);
}

void Simulator::send(const QByteArray &answer, const QString &meaning)
{
    if (answer.isEmpty()) {
        m_log.note(QStringLiteral("no answer (") + meaning + QLatin1Char(')'));
        return;
    }
    m_log.sent(answer, meaning);
    emit answerReady(answer);
}

} // namespace lcdsim
