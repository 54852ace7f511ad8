#pragma once

#include "trafficrecord.h"

#include <map>
#include <optional>

/*! \brief Counts of every outcome and the spread of answer times since the last clear.
 *
 * First-byte times are kept as counts per tenth of a millisecond, the resolution the history
 * shows them in, so that a run of any length keeps its median in bounded memory.
 */
class TrafficStatistics
{
public:
    void add(const TrafficRecord &record);
    void clear() { *this = TrafficStatistics(); }

    //! Records from the main window (uploads aside), whatever their outcome.
    int exchanges() const { return m_exchanges; }
    int answered() const { return m_answered; }
    int noResponse() const { return m_noResponse; }
    int incomplete() const { return m_incomplete; }
    int crcErrors() const { return m_crcErrors; }
    //! Failed exchanges and failed uploads alike.
    int portErrors() const { return m_portErrors; }
    int uploads() const { return m_uploads; }

    //! First-byte times over the answered exchanges, in milliseconds; empty before the first.
    std::optional<double> firstByteMinimum() const;
    std::optional<double> firstByteMedian() const;
    std::optional<double> firstByteMaximum() const;

    //! The whole line as the Traffic window shows it.
    QString summary() const;

private:
    //! The tenth of a millisecond at which the answer with this rank (from 0) began.
    int tenthsAtRank(int rank) const;

    int m_exchanges = 0;
    int m_answered = 0;
    int m_noResponse = 0;
    int m_incomplete = 0;
    int m_crcErrors = 0;
    int m_portErrors = 0;
    int m_uploads = 0;
    //! Answered exchanges with a first-byte time, by that time in tenths of a millisecond.
    std::map<int, int> m_firstByteTenths;
    int m_timedAnswers = 0;
};
