#include "trafficrecord.h"

QString outcomeToken(TrafficOutcome outcome)
{
    switch (outcome) {
    case TrafficOutcome::Answer:
        return QStringLiteral("answer");
    case TrafficOutcome::NoResponse:
        return QStringLiteral("no response");
    case TrafficOutcome::Incomplete:
        return QStringLiteral("incomplete");
    case TrafficOutcome::CrcError:
        return QStringLiteral("crc error");
    case TrafficOutcome::Exception:
        return QStringLiteral("exception");
    case TrafficOutcome::PortError:
        return QStringLiteral("port error");
    case TrafficOutcome::Written:
        return QStringLiteral("written");
    }
    return QString();
}

std::optional<TrafficOutcome> outcomeFromToken(const QString &token)
{
    for (const TrafficOutcome outcome :
         {TrafficOutcome::Answer, TrafficOutcome::NoResponse, TrafficOutcome::Incomplete,
          TrafficOutcome::CrcError, TrafficOutcome::Exception, TrafficOutcome::PortError,
          TrafficOutcome::Written}) {
        if (outcomeToken(outcome) == token)
            return outcome;
    }
    return std::nullopt;
}

QString millisecondsText(const std::optional<double> &ms)
{
    return ms ? QString::number(*ms, 'f', 1) : QString();
}
