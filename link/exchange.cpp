#include "exchange.h"

#include "commerror.h"
#include "hextext.h"
#include "modbusanswer.h"
#include "modvariables.h"
#include "mscomm.h"

#include <QEventLoop>
#include <QTimer>

namespace {

const QString noResponseText = QStringLiteral("No Response from LCD");
const QString incompleteFrameText = QStringLiteral("Incomplete Frame");
const QString crcErrorText = QStringLiteral("CRC Err");

} // namespace

Exchange::Exchange(MSComm &port, QTimer &timer, MonitorField txField, MonitorField rxField)
    : m_port(port), m_timer(timer), m_tx(std::move(txField)), m_rx(std::move(rxField))
{
    // The timer's tick handler: it only counts. Connected first, so a wait sees the new count.
    QObject::connect(&m_timer, &QTimer::timeout, [] { ++modVariables::TickCount; });
}

Exchange::Outcome Exchange::run(int requestLength, int waitTicks)
{
    using modVariables::RxBuf;
    m_inProgress = true;
    m_trace = Trace();
    m_portError.reset();
    m_sinceWrite.invalidate();
    // Arrivals are watched until the judged bytes are read: bytes Qt takes in while counting
    // them did arrive during the wait, and are part of what is judged.
    m_arrivals.clear();
    m_echoTaken = 0;
    m_port.setArrivalHandler([this](int waiting) { noteArrival(waiting); });
    Outcome outcome = Outcome::Shown;
    try {
        SendFrame(requestLength);
        this->waitTicks(waitTicks);
        m_trace.waitMs = millisecondsSinceWrite();
        if (m_localEcho)
            removeEcho();
        const int waiting = m_port.inBufferCount();
        if (waiting == 0) {
            m_rx(noResponseText);
            outcome = Outcome::NoResponse;
        } else if (waiting < modbusanswer::wholeLength) {
            // Left in the receive buffer, an exception answer too: it arrives in front of the
            // next answer.
            m_rx(incompleteFrameText);
            outcome = Outcome::IncompleteFrame;
            m_trace.received = m_port.peek();
        } else {
            RxBuf = m_port.input();
            m_trace.received = RxBuf;
            // The first eight decide; with a good CRC they are shown whoever sent them.
            if (modbusanswer::judge(m_trace.sent, RxBuf) == modbusanswer::Verdict::CrcError) {
                m_rx(crcErrorText);
                outcome = Outcome::CrcError;
            } else {
                ShowRxFrame(modbusanswer::wholeLength - 1);
            }
        }
    } catch (const CommError &error) {
        m_timer.stop();
        lowerRtsQuietly();
        outcome = Outcome::PortError;
        m_portError = error;
        if (!m_trace.written.isValid())
            m_trace.written = QDateTime::currentDateTime();
    }
    timeAnswer();
    m_port.setArrivalHandler({});
    m_inProgress = false;
    return outcome;
}

void Exchange::SendFrame(int n)
{
    using modVariables::TxBuf;
    m_tx(QString());
    m_rx(QString());
    if (modVariables::UseRts)
        m_port.setRTSEnable(true);
    const QByteArray frame(reinterpret_cast<const char *>(TxBuf.data()), n);
    m_trace.sent = frame;
    m_port.output(frame);
    m_sinceWrite.start();
    m_trace.written = QDateTime::currentDateTime();
    m_tx(hextext::monitor(frame));
    if (modVariables::UseRts)
        m_port.setRTSEnable(false);
}

void Exchange::ShowRxFrame(int last)
{
    m_rx(hextext::monitor(modVariables::RxBuf.left(last + 1)));
}

void Exchange::waitTicks(int ticks)
{
    // The loop sleeps until the next event; each timer tick counts one and may end the wait.
    QEventLoop loop;
    const auto connection = QObject::connect(&m_timer, &QTimer::timeout, &loop, [&loop, ticks] {
        if (modVariables::TickCount >= ticks)
            loop.quit();
    });
    m_timer.start();
    modVariables::TickCount = 0;
    if (modVariables::TickCount < ticks)
        loop.exec();
    QObject::disconnect(connection);
    m_timer.stop();
}

void Exchange::removeEcho()
{
    const QByteArray &request = m_trace.sent;
    if (m_port.inBufferCount() < request.size() || !m_port.peek().startsWith(request))
        return;
    m_port.input(int(request.size()));
    m_echoTaken = int(request.size());
}

// Counted as if the echo were still waiting, so that every arrival compares with the same mark.
void Exchange::noteArrival(int waiting)
{
    m_arrivals.push_back({millisecondsSinceWrite(), waiting + m_echoTaken});
}

// The answer's first byte is the first arrival beyond a removed echo: the echo comes back at
// once and says nothing about when the display answered.
void Exchange::timeAnswer()
{
    for (const Arrival &arrival : m_arrivals) {
        if (arrival.waiting <= m_echoTaken)
            continue;
        if (!m_trace.firstByteMs)
            m_trace.firstByteMs = arrival.ms;
        m_trace.lastByteMs = arrival.ms;
    }
}

// Bytes that arrive while the write is still under way (an adapter's echo) count from zero.
double Exchange::millisecondsSinceWrite() const
{
    return m_sinceWrite.isValid() ? double(m_sinceWrite.nsecsElapsed()) / 1e6 : 0.0;
}

void Exchange::lowerRtsQuietly()
{
    if (!modVariables::UseRts)
        return;
    try {
        m_port.setRTSEnable(false);
    } catch (const CommError &) {
        // The port is already gone; there is no line left to lower.
    }
}
