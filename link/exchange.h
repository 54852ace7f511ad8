#pragma once

#include <QString>

#include <functional>

class MSComm;
class QTimer;

//! One of the two monitor fields, as the exchange sees it: a text it replaces, once per frame.
using MonitorField = std::function<void(const QString &)>;

/*! \brief One request and its answer on the main window's port: send, wait, read, check, show.
 *
 * The wait counts ticks of the window's 20 ms timer and keeps the window's events flowing, so the
 * window stays responsive; it sleeps in the event loop instead of spinning. Everything else the
 * window may do meanwhile is its own business: inProgress() tells it that an exchange is under way.
 */
class Exchange
{
public:
    enum class Outcome { Shown, NoResponse, IncompleteFrame, CrcError, PortError };

    Exchange(MSComm &port, QTimer &timer, MonitorField txField, MonitorField rxField);

    /*! Sends TxBuf[0 .. requestLength-1] and shows the answer or the outcome text after
     * waitTicks ticks. A port failure on the way ends the exchange at rest (timer off, RTS low)
     * with PortError; reporting it is the caller's.
     */
    Outcome run(int requestLength, int waitTicks);

    bool inProgress() const { return m_inProgress; }

private:
    void SendFrame(int n);
    void ShowRxFrame(int last);
    void waitTicks(int ticks);
    void lowerRtsQuietly();

    MSComm &m_port;
    QTimer &m_timer;
    MonitorField m_tx;
    MonitorField m_rx;
    bool m_inProgress = false;
};
