#pragma once

#include "plotmapping.h"

#include <QStaticText>
#include <QWidget>

#include <array>

class CachedScrollBar;
class TrafficModel;

/*! \brief The timing plot: the newest exchanges of the history, one slot each, newest right.
 *
 * Each exchange is a point at its first byte's time with a bar up to its last byte, in its
 * outcome's colour, and its wait as a line across its slot; an exchange that got nothing has
 * its point at the end of its wait. The scroll bar below goes back through the history; left
 * at its right end, the plot follows new records. A click chooses the exchange under the
 * mouse, hovering tells its times.
 *
 * It draws straight from the model, which it keeps no copy of: the rows it has in view are
 * read again on each paint.
 */
class TrafficPlot : public QWidget
{
    Q_OBJECT

public:
    static constexpr int DefaultSlots = 200;

    explicit TrafficPlot(const TrafficModel &model, QWidget *parent = nullptr);

    //! The first row in view and how many rows the plot has room for.
    int firstRow() const;
    int slotCount() const { return m_slotCount; }
    //! Where the rows in view are drawn now.
    PlotMapping mapping() const;

    //! Marks \a row as chosen (-1: none), scrolling to it when it is out of view.
    void setSelectedRow(int row);
    //! The chosen row, or -1; it stays on its record while older rows go.
    int selectedRow() const;

    QSize sizeHint() const override;

signals:
    //! The user clicked the exchange in \a row.
    void rowChosen(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void rowsInserted();
    void rowsRemoved(int first, int last);
    void rowsReset();
    QRectF plotArea() const;
    void paintScale(QPainter &painter, const PlotMapping &mapping);
    void paintLegend(QPainter &painter);
    void hover(int row, const QPoint &globalPosition);

    const TrafficModel &m_model;
    CachedScrollBar *m_scroll;
    int m_slotCount = DefaultSlots;
    //! Whether the plot keeps to the newest row: the scroll bar was last left at its right end.
    bool m_following = true;
    //! The chosen exchange by its record number, so that it keeps while older rows go.
    std::optional<quint64> m_selected;
    int m_hovered = -1;
    std::array<QStaticText, 6> m_legend;
    QStaticText m_zero;
    QStaticText m_top;
    double m_topShown = -1;
};
