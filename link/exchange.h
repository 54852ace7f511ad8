#pragma once

#include "commerror.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class MSComm;
class QTimer;

//! One of the two monitor fields, as the exchange sees it: a text it replaces, once per frame.
using MonitorField = std::function<void(const QString &)>;

/*! \brief One request and its answer on the main window's port: send, wait, read, check, show.
 *
 * The wait counts ticks of the window's 20 ms timer and keeps the window's events flowing, so the
 * window stays responsive; it sleeps in the event loop instead of spinning. Everything else the
 * window may do meanwhile is its own business: inProgress() tells it that an exchange is under way.
 *
 * While it waits it also notes when answer bytes arrive, without reading them, so that the
 * caller can keep a history of what went on the line and how long the far end took.
 */
class Exchange
{
public:
    enum class Outcome { Shown, NoResponse, IncompleteFrame, CrcError, PortError };

    //! What one run put on the line and took from it, and when the answer came.
    struct Trace
    {
        //! Local time at which the request's write returned, or the port failed before it did.
        QDateTime written;
        QByteArray sent;
        //! What the run read and judged; for an incomplete frame the bytes left waiting.
        QByteArray received;
        //! Milliseconds from the write's return to the first and the last arrival of answer
        //! bytes; empty when none arrived.
        std::optional<double> firstByteMs;
        std::optional<double> lastByteMs;
        //! Milliseconds from the write's return to the end of the wait.
        double waitMs = 0;
    };

    Exchange(MSComm &port, QTimer &timer, MonitorField txField, MonitorField rxField);

    /*! Sends TxBuf[0 .. requestLength-1] and shows the answer or the outcome text after
     * waitTicks ticks. A port failure on the way ends the exchange at rest (timer off, RTS low)
     * with PortError; reporting it is the caller's.
     */
    Outcome run(int requestLength, int waitTicks);

    bool inProgress() const { return m_inProgress; }

    /*! With local echo on, an adapter that hands back every byte it sends is expected: a
     * leading exact copy of the request is taken off the received bytes before they are
     * counted and judged. Received bytes that do not start with it are left as they are. */
    void setLocalEcho(bool on) { m_localEcho = on; }

    //! The last run's trace; valid once run() has returned.
    const Trace &lastTrace() const { return m_trace; }
    //! Why the last run ended with PortError; empty after any other outcome.
    const std::optional<CommError> &portError() const { return m_portError; }

private:
    void SendFrame(int n);
    void ShowRxFrame(int last);
    void waitTicks(int ticks);
    void lowerRtsQuietly();
    void removeEcho();
    void noteArrival(int waiting);
    void timeAnswer();
    double millisecondsSinceWrite() const;

    MSComm &m_port;
    QTimer &m_timer;
    MonitorField m_tx;
    MonitorField m_rx;
    bool m_inProgress = false;
    bool m_localEcho = false;
    Trace m_trace;
    std::optional<CommError> m_portError;
    //! Started when the request's write returns.
    QElapsedTimer m_sinceWrite;
    //! When bytes arrived during the run, and how many were waiting then.
    struct Arrival
    {
        double ms;
        int waiting;
    };
    std::vector<Arrival> m_arrivals;
    //! How many bytes of a removed echo the port held; 0 when none was removed.
    int m_echoTaken = 0;
};
