#pragma once

#include "serialsettings.h"

#include <QByteArray>

#include <vector>

namespace finder {

//! One probe of a search: a slave ID at a line setting.
struct Probe
{
    SerialSettings line;
    int slave = 1;
};

/*! The nine line settings in the order a search tries them: \a current first, then the others,
 * fastest first and, at each speed, 8N2, 8E1, 8N1.
 *
 * At the same number of IDs a sweep at 38400 baud takes about two thirds of one at 9600, so the
 * short sweeps come first: with every setting as likely, that finds a display soonest on
 * average. Most receivers check only the first stop bit, so on a real line an 8N2 probe reaches
 * a display at 8N1 as well, and the adapter reads its answer; trying 8N2 first at a speed covers
 * both for one bit more per character. Even parity needs probes of its own.
 */
std::vector<SerialSettings> searchOrder(const SerialSettings &current);

//! Every slave ID a display can have: 1 to 247.
std::vector<int> everySlaveId();

/*! \brief The probes of one search, in the order they go out, and their requests.
 *
 * The stored slave ID at every line setting first (a display that only got another speed is
 * found within nine probes); then every other ID at the current setting; then every other ID at
 * each other setting, in searchOrder(). A stored ID or current setting outside the IDs and lines
 * asked for is left out of the order, not added to the search.
 */
class ProbePlan
{
public:
    /*! \a ids and \a lines are what to search, in any order; a repeated entry counts once, an
     * ID outside 1 to 247 not at all. The requests are built here (see probeRequest()). */
    ProbePlan(const std::vector<int> &ids, const std::vector<SerialSettings> &lines,
              int storedSlave, const SerialSettings &current);

    const std::vector<Probe> &probes() const { return m_probes; }
    int idCount() const { return m_idCount; }
    int lineCount() const { return m_lineCount; }
    //! The probe request for \a slave, one of the IDs searched.
    const QByteArray &request(int slave) const { return m_requests.at(size_t(slave)); }
    //! The sum of every probe's wait: how long the search takes when nothing answers.
    double longestMs() const;

private:
    std::vector<Probe> m_probes;
    int m_idCount = 0;
    int m_lineCount = 0;
    //! Indexed by slave ID; empty for IDs not searched.
    std::vector<QByteArray> m_requests;
};

} // namespace finder
