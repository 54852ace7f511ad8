#include "linepacer.h"

namespace lcdsim {
namespace {

constexpr qint64 nsPerMs = 1000000;

} // namespace

LinePacer::LinePacer(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LinePacer::handOnDue);
}

void LinePacer::send(const QByteArray &bytes, qint64 characterTimeNs)
{
    qint64 due = qMax(m_clock.nsecsElapsed(), m_lineFreeAtNs);
    for (const char byte : bytes) {
        due += characterTimeNs;
        m_pending.push_back({byte, due});
    }
    m_lineFreeAtNs = due;
    handOnDue();
}

void LinePacer::handOnDue()
{
    const qint64 now = m_clock.nsecsElapsed();
    QByteArray due;
    while (!m_pending.empty() && m_pending.front().dueNs <= now) {
        due.append(m_pending.front().byte);
        m_pending.pop_front();
    }
    if (!due.isEmpty())
        emit bytesDue(due);
    if (m_pending.empty())
        return;
    // Rounded up: a byte may come a little late, as on any line, but never early.
    const qint64 waitNs = m_pending.front().dueNs - m_clock.nsecsElapsed();
    m_timer.start(int(qMax<qint64>(0, (waitNs + nsPerMs - 1) / nsPerMs)));
}

} // namespace lcdsim
