#include "exchangerecord.h"

#include "mscomm.h"

namespace {

TrafficOutcome trafficOutcome(Exchange::Outcome outcome)
{
    switch (outcome) {
    case Exchange::Outcome::Shown:
        return TrafficOutcome::Answer;
    case Exchange::Outcome::NoResponse:
        return TrafficOutcome::NoResponse;
    case Exchange::Outcome::IncompleteFrame:
        return TrafficOutcome::Incomplete;
    case Exchange::Outcome::CrcError:
        return TrafficOutcome::CrcError;
    case Exchange::Outcome::PortError:
        break;
    }
    return TrafficOutcome::PortError;
}

} // namespace

TrafficRecord exchangeRecord(const Exchange::Trace &trace, Exchange::Outcome outcome,
                             const MSComm &port)
{
    TrafficRecord record;
    record.time = trace.written;
    record.window = TrafficRecord::mainWindow;
    record.device = port.devicePath();
    record.settings = port.settings();
    record.sent = trace.sent;
    record.received = trace.received;
    record.outcome = trafficOutcome(outcome);
    record.firstByteMs = trace.firstByteMs;
    record.lastByteMs = trace.lastByteMs;
    record.waitMs = trace.waitMs;
    return record;
}
