#include "exchange.h"

#include "commerror.h"
#include "hextext.h"
#include "modbusanswer.h"
#include "modcrc16.h"
#include "modvariables.h"
#include "mscomm.h"

#include <QTimer>

namespace {

const QString noResponseText = QStringLiteral("No Response from LCD");
const QString incompleteFrameText = QStringLiteral("Incomplete Frame");
const QString crcErrorText = QStringLiteral("CRC Err");

} // namespace

Exchange::Exchange(MSComm &port, QTimer &timer, MonitorField txField, MonitorField rxField,
                   QObject *parent)
    : QObject(parent), m_port(port), m_timer(timer), m_tx(std::move(txField)),
      m_rx(std::move(rxField))
{
    // Connected first, so that whoever else listens to the timer sees the new count.
    connect(&m_timer, &QTimer::timeout, this, &Exchange::tick);
}

Exchange::~Exchange()
{
    if (m_inProgress)
        m_port.setArrivalHandler({});
}

void Exchange::start(int requestLength, int waitTicks)
{
    if (m_inProgress)
        return;
    m_inProgress = true;
    m_trace = Trace();
    m_portError.reset();
    m_sinceWrite.invalidate();
    // Arrivals are watched until the judged bytes are read: bytes Qt takes in while counting
    // them did arrive during the wait, and are part of what is judged.
    m_arrivals.clear();
    m_echoTaken = 0;
    m_port.setArrivalHandler([this](int waiting) { noteArrival(waiting); });
    try {
        SendFrame(requestLength);
    } catch (const CommError &error) {
        fail(error);
        return;
    }
    m_waitTicks = waitTicks;
    m_waiting = true;
    m_timer.start();
    modVariables::TickCount = 0;
    if (modVariables::TickCount >= m_waitTicks)
        endWait();
}

// The tick that completes the count ends the wait there and then, whichever event loop
// delivered it.
void Exchange::tick()
{
    ++modVariables::TickCount;
    if (m_waiting && modVariables::TickCount >= m_waitTicks)
        endWait();
}

void Exchange::endWait()
{
    m_waiting = false;
    m_timer.stop();
    m_trace.waitMs = millisecondsSinceWrite();
    Outcome outcome = Outcome::PortError;
    try {
        outcome = judge();
    } catch (const CommError &error) {
        fail(error);
        return;
    }
    finish(outcome);
}

Exchange::Outcome Exchange::judge()
{
    using modVariables::RxBuf;
    if (m_localEcho)
        removeEcho();
    const int waiting = m_port.inBufferCount();
    if (waiting == 0) {
        m_rx(noResponseText);
        return Outcome::NoResponse;
    }
    if (waiting < modbusanswer::wholeLength) {
        // Left in the receive buffer, an exception answer too: it arrives in front of the next
        // answer.
        m_rx(incompleteFrameText);
        m_trace.received = m_port.peek();
        return Outcome::IncompleteFrame;
    }
    RxBuf = m_port.input();
    m_trace.received = RxBuf;
    // The first eight decide; with a good CRC they are shown whoever sent them. The check leaves
    // the received frame's CRC in CrcHi / CrcLo, as every CRC check of the program does.
    if (!modcrc16::CheckCRC16(modbusanswer::wholeLength - 3)) {
        m_rx(crcErrorText);
        return Outcome::CrcError;
    }
    ShowRxFrame(modbusanswer::wholeLength - 1);
    return Outcome::Shown;
}

void Exchange::fail(const CommError &error)
{
    m_waiting = false;
    m_timer.stop();
    lowerRtsQuietly();
    m_portError = error;
    if (!m_trace.written.isValid())
        m_trace.written = QDateTime::currentDateTime();
    finish(Outcome::PortError);
}

void Exchange::finish(Outcome outcome)
{
    timeAnswer();
    m_port.setArrivalHandler({});
    m_outcome = outcome;
    m_inProgress = false;
    emit finished(outcome);
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
