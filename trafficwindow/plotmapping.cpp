#include "plotmapping.h"

#include "trafficmodel.h"

#include <algorithm>
#include <cmath>

namespace {

//! The least of 1, 2 and 5 times a power of ten that is not below \a ms, so the scale reads in
//! round steps.
double roundTop(double ms)
{
    if (ms <= 1)
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(ms)));
    for (const double step : {1.0, 2.0, 5.0, 10.0}) {
        if (step * power >= ms)
            return step * power;
    }
    return 10 * power;
}

} // namespace

QColor outcomeColour(TrafficOutcome outcome)
{
    switch (outcome) {
    case TrafficOutcome::Answer:
        return QColor(0x2e, 0x8b, 0x57);
    case TrafficOutcome::NoResponse:
        return QColor(0x80, 0x80, 0x80);
    case TrafficOutcome::Incomplete:
        return QColor(0xe0, 0x8a, 0x00);
    case TrafficOutcome::CrcError:
        return QColor(0xd0, 0x20, 0x20);
    case TrafficOutcome::Exception:
        return QColor(0x8b, 0x45, 0x13);
    case TrafficOutcome::PortError:
        return QColor(0x80, 0x20, 0xa0);
    case TrafficOutcome::Written:
        return QColor(0x20, 0x50, 0xb0);
    }
    return Qt::black;
}

PlotMapping::PlotMapping(const TrafficModel &model, int firstRow, int slotCount, const QRectF &area)
    : m_area(area), m_firstRow(std::max(0, firstRow)),
      m_rows(std::clamp(model.rowCount() - m_firstRow, 0, std::max(0, slotCount))),
      m_slotWidth(slotCount > 0 ? area.width() / slotCount : 0)
{
    double longest = 0;
    m_marks.reserve(size_t(m_rows));
    for (int row = m_firstRow; row < m_firstRow + m_rows; ++row) {
        const TrafficRecord &record = model.record(row);
        if (record.outcome == TrafficOutcome::Written)
            continue;
        PlotMark mark;
        mark.row = row;
        mark.outcome = record.outcome;
        mark.pointMs = record.firstByteMs.value_or(record.waitMs);
        if (record.firstByteMs)
            mark.lastByteMs = record.lastByteMs;
        mark.waitMs = record.waitMs;
        longest = std::max({longest, mark.pointMs, mark.lastByteMs.value_or(0), mark.waitMs});
        m_marks.push_back(mark);
    }
    // Headroom over the longest, so that no mark lies on the top edge.
    m_topMs = roundTop(longest * 1.05);
}

double PlotMapping::x(int row) const
{
    return m_area.left() + (row - m_firstRow + 0.5) * m_slotWidth;
}

double PlotMapping::y(double ms) const
{
    return m_area.bottom() - std::clamp(ms / m_topMs, 0.0, 1.0) * m_area.height();
}

int PlotMapping::rowAt(double x) const
{
    if (m_slotWidth <= 0 || x < m_area.left())
        return -1;
    const int slot = int((x - m_area.left()) / m_slotWidth);
    return slot < m_rows ? m_firstRow + slot : -1;
}
