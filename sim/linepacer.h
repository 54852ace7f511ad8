#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>

namespace lcdsim {

/*! \brief Lets bytes out no faster than the line carries them.
 *
 * Each byte is handed on once its last bit would have crossed the wire: a run of bytes starts
 * when the line is free and then takes one character time per byte. Bytes given with no
 * character time pass at once, though never ahead of bytes still on their way. A timer does the
 * waiting, so the event loop keeps running in between.
 */
class LinePacer : public QObject
{
    Q_OBJECT

public:
    explicit LinePacer(QObject *parent = nullptr);

    void send(const QByteArray &bytes, qint64 characterTimeNs);

signals:
    //! Bytes whose time has come, in the order they were given.
    void bytesDue(const QByteArray &bytes);

private:
    struct Pending
    {
        char byte;
        qint64 dueNs;
    };

    void handOnDue();

    QElapsedTimer m_clock;
    QTimer m_timer;
    std::deque<Pending> m_pending;
    qint64 m_lineFreeAtNs = 0;
};

} // namespace lcdsim
