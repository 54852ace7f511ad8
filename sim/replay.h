#pragma once

#include "trafficrecord.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace lcdsim {

/*! \brief The answers a field log recorded, given again to the requests that got them.
 *
 * A request takes the first exchange from where the last one left off whose sent bytes are
 * exactly its own; exchanges passed over are not offered again, so a log is replayed in its
 * order. Port failures never reached the line and are left out.
 */
class Replay
{
public:
    explicit Replay(const QList<TrafficRecord> &records);

    //! The recorded exchange of \a request; std::nullopt when the rest of the log has none.
    std::optional<TrafficRecord> take(const QByteArray &request);

    int exchanges() const { return int(m_records.size()); }

private:
    QList<TrafficRecord> m_records;
    qsizetype m_next = 0;
};

} // namespace lcdsim
