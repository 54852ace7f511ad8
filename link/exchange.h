#pragma once

#include "commerror.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
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
 * start() sends and returns; the wait counts ticks of the window's 20 ms timer, and the tick that
 * completes the count reads, checks, shows and reports finished(). The answer is judged in the
 * tick handler rather than in a loop of its own, so whatever loop runs the events meanwhile (a
 * modal dialog's, a message box's) the exchange ends on its tick. Between ticks nothing runs.
 * Everything else the window may do meanwhile is its own business: inProgress() tells it that an
 * exchange is under way.
 *
 * While it waits it also notes when answer bytes arrive, without reading them, so that the
 * caller can keep a history of what went on the line and how long the far end took.
 */
class Exchange : public QObject
{
    Q_OBJECT

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

    Exchange(MSComm &port, QTimer &timer, MonitorField txField, MonitorField rxField,
             QObject *parent = nullptr);
    //! An exchange still under way when its owner goes leaves the port without its watcher.
    ~Exchange() override;

    /*! Sends TxBuf[0 .. requestLength-1]; after waitTicks ticks shows the answer or the outcome
     * text and emits finished(), at once when waitTicks is 0. A port failure on the way ends the
     * exchange at rest (timer off, RTS low) with PortError; reporting it is the caller's. Does
     * nothing while an exchange is in progress.
     */
    void start(int requestLength, int waitTicks);

    bool inProgress() const { return m_inProgress; }

    /*! With local echo on, an adapter that hands back every byte it sends is expected: a
     * leading exact copy of the request is taken off the received bytes before they are
     * counted and judged. Received bytes that do not start with it are left as they are. */
    void setLocalEcho(bool on) { m_localEcho = on; }

    //! The last run's trace; valid once it has finished.
    const Trace &lastTrace() const { return m_trace; }
    //! How the last run ended; valid once it has finished.
    Outcome lastOutcome() const { return m_outcome; }
    //! Why the last run ended with PortError; empty after any other outcome.
    const std::optional<CommError> &portError() const { return m_portError; }

signals:
    //! The outcome is shown and the trace complete; the exchange is at rest.
    void finished(Exchange::Outcome outcome);

private:
    void SendFrame(int n);
    void ShowRxFrame(int last);
    void tick();
    void endWait();
    //! Reads, checks and shows what the wait left on the line.
    Outcome judge();
    void fail(const CommError &error);
    void finish(Outcome outcome);
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
    //! Set from the write's return until the tick that ends the wait.
    bool m_waiting = false;
    int m_waitTicks = 0;
    bool m_localEcho = false;
    Outcome m_outcome = Outcome::Shown;
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
