#include "probeplan.h"

#include "probe.h"
#include "storedline.h"

#include <algorithm>
#include <iterator>

namespace finder {
namespace {

// At one speed: two stop bits, then even parity, then the plain format.
int formatRank(const SerialSettings &line)
{
    if (line.stopBits == 2)
        return 0;
    return line.evenParity ? 1 : 2;
}

bool sameLine(const SerialSettings &a, const SerialSettings &b)
{
    return a.text == b.text;
}

} // namespace

std::vector<SerialSettings> searchOrder(const SerialSettings &current)
{
    std::vector<SerialSettings> others;
    for (const SerialSettings &line : SerialSettings::all()) {
        if (!sameLine(line, current))
            others.push_back(line);
    }
    std::stable_sort(others.begin(), others.end(),
                     [](const SerialSettings &a, const SerialSettings &b) {
                         if (a.baudRate != b.baudRate)
                             return a.baudRate > b.baudRate;
                         return formatRank(a) < formatRank(b);
                     });
    std::vector<SerialSettings> order{current};
    order.insert(order.end(), others.begin(), others.end());
    return order;
}

std::vector<int> everySlaveId()
{
    std::vector<int> ids(size_t(storedline::highestSlave));
    for (int i = 0; i < storedline::highestSlave; ++i)
        ids[size_t(i)] = i + 1;
    return ids;
}

ProbePlan::ProbePlan(const std::vector<int> &ids, const std::vector<SerialSettings> &lines,
                     int storedSlave, const SerialSettings &current)
    : m_requests(size_t(storedline::highestSlave) + 1)
{
    std::vector<int> slaves;
    std::copy_if(ids.begin(), ids.end(), std::back_inserter(slaves),
                 [](int id) { return id >= 1 && id <= storedline::highestSlave; });
    std::sort(slaves.begin(), slaves.end());
    slaves.erase(std::unique(slaves.begin(), slaves.end()), slaves.end());
    std::vector<SerialSettings> order;
    for (const SerialSettings &line : searchOrder(current)) {
        const bool asked = std::any_of(lines.begin(), lines.end(),
                                       [&](const SerialSettings &l) { return sameLine(l, line); });
        if (asked)
            order.push_back(line);
    }
    m_idCount = int(slaves.size());
    m_lineCount = int(order.size());

    const bool storedFirst = std::binary_search(slaves.begin(), slaves.end(), storedSlave);
    if (storedFirst) {
        for (const SerialSettings &line : order)
            m_probes.push_back({line, storedSlave});
    }
    for (const SerialSettings &line : order) {
        for (const int slave : slaves) {
            if (!(storedFirst && slave == storedSlave))
                m_probes.push_back({line, slave});
        }
    }
    for (const int slave : slaves)
        m_requests[size_t(slave)] = probeRequest(slave);
}

double ProbePlan::longestMs() const
{
    double sum = 0;
    for (const Probe &probe : m_probes)
        sum += probeWaitMs(probe.line);
    return sum;
}

} // namespace finder
