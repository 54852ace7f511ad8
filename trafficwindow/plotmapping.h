#pragma once

#include "trafficrecord.h"

#include <QColor>
#include <QRectF>

#include <optional>
#include <vector>

class TrafficModel;

//! The colour an outcome has wherever the Traffic window marks it.
QColor outcomeColour(TrafficOutcome outcome);

//! One exchange as the timing plot draws it, in milliseconds.
struct PlotMark
{
    int row = 0;
    TrafficOutcome outcome = TrafficOutcome::NoResponse;
    //! Where the point goes: the first byte's time, or for an exchange that got nothing, the end
    //! of its wait.
    double pointMs = 0;
    //! The last byte's time, when the answer has one: the bar runs from the point to it.
    std::optional<double> lastByteMs;
    double waitMs = 0;
};

/*! \brief Where the timing plot puts the exchanges of a stretch of rows in a rectangle.
 *
 * Each row has a slot of equal width, the first row in view at the left; time runs up from
 * the bottom edge to a round top just over the longest wait or answer in view. Uploads await
 * no answer and take a slot with no mark.
 */
class PlotMapping
{
public:
    //! Rows firstRow to firstRow + slotCount - 1 of \a model, as far as it has them, in \a area.
    PlotMapping(const TrafficModel &model, int firstRow, int slotCount, const QRectF &area);

    const std::vector<PlotMark> &marks() const { return m_marks; }
    //! The time at the top edge: 1, 2 or 5 times a power of ten, at least 1 ms.
    double topMs() const { return m_topMs; }

    //! The middle of the row's slot.
    double x(int row) const;
    double slotWidth() const { return m_slotWidth; }
    double y(double ms) const;
    //! The row whose slot holds \a x, or -1 where no row of the model is.
    int rowAt(double x) const;

private:
    QRectF m_area;
    int m_firstRow;
    int m_rows;
    double m_slotWidth;
    double m_topMs = 1;
    std::vector<PlotMark> m_marks;
};
