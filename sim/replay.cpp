#include "replay.h"

namespace lcdsim {

Replay::Replay(const QList<TrafficRecord> &records)
{
    for (const TrafficRecord &record : records) {
        if (record.outcome != TrafficOutcome::PortError)
            m_records.append(record);
    }
}

std::optional<TrafficRecord> Replay::take(const QByteArray &request)
{
    for (qsizetype at = m_next; at < m_records.size(); ++at) {
        if (m_records.at(at).sent == request) {
            m_next = at + 1;
            return m_records.at(at);
        }
    }
    return std::nullopt;
}

} // namespace lcdsim
