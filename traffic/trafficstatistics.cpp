#include "trafficstatistics.h"

#include <QString>

#include <cmath>

namespace {

QString shown(const std::optional<double> &ms)
{
    return ms ? millisecondsText(ms) : QStringLiteral("-");
}

} // namespace

void TrafficStatistics::add(const TrafficRecord &record)
{
    if (record.window == TrafficRecord::configWindow)
        ++m_uploads;
    else
        ++m_exchanges;

    switch (record.outcome) {
    case TrafficOutcome::Answer:
        ++m_answered;
        if (record.firstByteMs) {
            ++m_firstByteTenths[int(std::lround(*record.firstByteMs * 10))];
            ++m_timedAnswers;
        }
        break;
    case TrafficOutcome::NoResponse:
        ++m_noResponse;
        break;
    case TrafficOutcome::Incomplete:
        ++m_incomplete;
        break;
    case TrafficOutcome::CrcError:
        ++m_crcErrors;
        break;
    case TrafficOutcome::PortError:
        ++m_portErrors;
        break;
    case TrafficOutcome::Exception:
    case TrafficOutcome::Written:
        break;
    }
}

std::optional<double> TrafficStatistics::firstByteMinimum() const
{
    if (m_firstByteTenths.empty())
        return std::nullopt;
    return m_firstByteTenths.begin()->first / 10.0;
}

std::optional<double> TrafficStatistics::firstByteMaximum() const
{
    if (m_firstByteTenths.empty())
        return std::nullopt;
    return m_firstByteTenths.rbegin()->first / 10.0;
}

// An even count has two middle answers; the median lies halfway between them.
std::optional<double> TrafficStatistics::firstByteMedian() const
{
    if (m_timedAnswers == 0)
        return std::nullopt;
    const int lower = tenthsAtRank((m_timedAnswers - 1) / 2);
    const int upper = tenthsAtRank(m_timedAnswers / 2);
    return (lower + upper) / 20.0;
}

int TrafficStatistics::tenthsAtRank(int rank) const
{
    int seen = 0;
    for (const auto &[tenths, count] : m_firstByteTenths) {
        seen += count;
        if (rank < seen)
            return tenths;
    }
    return m_firstByteTenths.rbegin()->first;
}

QString TrafficStatistics::summary() const
{
    return QStringLiteral("Exchanges %1, answered %2, no response %3, incomplete %4, CRC errors "
                          "%5, port errors %6, uploads %7; first byte min/median/max %8 / %9 / "
                          "%10 ms")
        .arg(m_exchanges)
        .arg(m_answered)
        .arg(m_noResponse)
        .arg(m_incomplete)
        .arg(m_crcErrors)
        .arg(m_portErrors)
        .arg(m_uploads)
        .arg(shown(firstByteMinimum()), shown(firstByteMedian()), shown(firstByteMaximum()));
}
