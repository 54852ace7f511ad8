#include "trafficplot.h"

#include "cachedscrollbar.h"
#include "trafficmodel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace {

// Room at the left for the time scale and above for the legend.
constexpr int scaleWidth = 52;
constexpr int legendHeight = 18;
constexpr int margin = 6;
constexpr int pointSize = 5;

//! The legend's entries in the order drawn: the five outcomes an exchange mostly has, then the
//! wait's line.
const std::array<TrafficOutcome, 5> legendOutcomes = {
    TrafficOutcome::Answer, TrafficOutcome::NoResponse, TrafficOutcome::Incomplete,
    TrafficOutcome::CrcError, TrafficOutcome::PortError};

const QColor waitColour(0x30, 0x30, 0x30);

} // namespace

TrafficPlot::TrafficPlot(const TrafficModel &model, QWidget *parent)
    : QWidget(parent), m_model(model), m_scroll(new CachedScrollBar(Qt::Horizontal, this))
{
    setObjectName(QStringLiteral("pltTraffic"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_scroll->setObjectName(QStringLiteral("hsbPlot"));
    m_scroll->setPageStep(m_slotCount);
    m_scroll->setSingleStep(1);
    for (size_t i = 0; i < legendOutcomes.size(); ++i)
        m_legend[i].setText(outcomeToken(legendOutcomes[i]));
    m_legend[legendOutcomes.size()].setText(QStringLiteral("wait"));
    m_zero.setText(QStringLiteral("0"));

    connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
        m_following = value == m_scroll->maximum();
        update();
    });
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &TrafficPlot::rowsInserted);
    connect(&m_model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { rowsRemoved(first, last); });
    connect(&m_model, &QAbstractItemModel::modelReset, this, &TrafficPlot::rowsReset);
    rowsReset();
}

QSize TrafficPlot::sizeHint() const
{
    return {600, 180};
}

int TrafficPlot::firstRow() const
{
    return m_scroll->value();
}

QRectF TrafficPlot::plotArea() const
{
    const int bottom = m_scroll->geometry().top() - margin;
    return QRectF(scaleWidth, legendHeight + margin, std::max(1, width() - scaleWidth - margin),
                  std::max(1, bottom - legendHeight - margin));
}

PlotMapping TrafficPlot::mapping() const
{
    return PlotMapping(m_model, firstRow(), m_slotCount, plotArea());
}

void TrafficPlot::setSelectedRow(int row)
{
    if (row < 0 || row >= m_model.rowCount()) {
        m_selected.reset();
    } else {
        m_selected = m_model.recordNumber(row);
        if (row < firstRow() || row >= firstRow() + m_slotCount)
            m_scroll->setValue(row - m_slotCount / 2);
    }
    update();
}

int TrafficPlot::selectedRow() const
{
    if (!m_selected || m_model.rowCount() == 0 || *m_selected < m_model.recordNumber(0))
        return -1;
    const quint64 row = *m_selected - m_model.recordNumber(0);
    return row < quint64(m_model.rowCount()) ? int(row) : -1;
}

void TrafficPlot::rowsInserted()
{
    m_scroll->setRange(0, std::max(0, m_model.rowCount() - m_slotCount));
    if (m_following)
        m_scroll->setValue(m_scroll->maximum());
    update();
}

void TrafficPlot::rowsRemoved(int first, int last)
{
    // Scrolled back, the plot stays on the records it shows while older ones go.
    const bool following = m_following;
    const int kept = m_scroll->value() - (last - first + 1);
    m_scroll->setRange(0, std::max(0, m_model.rowCount() - m_slotCount));
    m_scroll->setValue(following ? m_scroll->maximum() : kept);
    m_hovered = -1;
    update();
}

void TrafficPlot::rowsReset()
{
    m_scroll->setRange(0, 0);
    m_following = true;
    m_selected.reset();
    m_hovered = -1;
    update();
}

void TrafficPlot::resizeEvent(QResizeEvent *event)
{
    const int height = m_scroll->sizeHint().height();
    m_scroll->setGeometry(0, this->height() - height, width(), height);
    QWidget::resizeEvent(event);
}

void TrafficPlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const PlotMapping mapping = this->mapping();
    const QRectF area = plotArea();
    const double slot = mapping.slotWidth();
    const int barWidth = std::max(1, int(slot / 2));

    const int selected = selectedRow();
    if (selected >= firstRow() && selected < firstRow() + m_slotCount)
        painter.fillRect(QRectF(mapping.x(selected) - slot / 2, area.top(), slot, area.height()),
                         palette().highlight());
    if (m_hovered >= 0)
        painter.fillRect(QRectF(mapping.x(m_hovered) - 0.5, area.top(), 1, area.height()),
                         palette().mid());
    paintScale(painter, mapping);

    // Whole pixels, which the painter fills without rasterising edges; a few hundred marks per
    // paint. The waits are rows of pixels too: filling them is cheaper than stroking lines.
    for (const PlotMark &mark : mapping.marks()) {
        if (mark.waitMs > 0) {
            // Each slot ends where the next begins, so that the waits join without a gap.
            const int left = int(mapping.x(mark.row) - slot / 2);
            const int right = int(mapping.x(mark.row + 1) - slot / 2);
            painter.fillRect(QRect(left, int(mapping.y(mark.waitMs)), right - left, 1), waitColour);
        }
    }
    for (const PlotMark &mark : mapping.marks()) {
        const QColor colour = outcomeColour(mark.outcome);
        const int x = int(mapping.x(mark.row));
        const int point = int(mapping.y(mark.pointMs));
        if (mark.lastByteMs) {
            const int last = int(mapping.y(*mark.lastByteMs));
            painter.fillRect(QRect(x - barWidth / 2, last, barWidth, point - last + 1), colour);
        }
        painter.fillRect(QRect(x - pointSize / 2, point - pointSize / 2, pointSize, pointSize),
                         colour);
    }
    paintLegend(painter);
}

void TrafficPlot::paintScale(QPainter &painter, const PlotMapping &mapping)
{
    const QRectF area = plotArea();
    // The frame's edges as rows and a column of pixels, which are cheaper filled than stroked.
    const QRect edges = area.toRect();
    const QColor edge = palette().color(QPalette::Mid);
    painter.fillRect(QRect(edges.left(), edges.top(), edges.width() + 1, 1), edge);
    painter.fillRect(QRect(edges.left(), edges.bottom() + 1, edges.width() + 1, 1), edge);
    painter.fillRect(QRect(edges.left(), edges.top(), 1, edges.height() + 1), edge);
    if (mapping.topMs() != m_topShown) {
        m_topShown = mapping.topMs();
        m_top.setText(QStringLiteral("%1 ms").arg(m_topShown));
    }
    painter.setPen(palette().color(QPalette::Text));
    const QSizeF top = m_top.size();
    painter.drawStaticText(QPointF(area.left() - top.width() - 4, area.top() - top.height() / 2),
                           m_top);
    const QSizeF zero = m_zero.size();
    painter.drawStaticText(
        QPointF(area.left() - zero.width() - 4, area.bottom() - zero.height() / 2), m_zero);
}

void TrafficPlot::paintLegend(QPainter &painter)
{
    double x = scaleWidth;
    const double y = margin;
    for (size_t i = 0; i < m_legend.size(); ++i) {
        const bool wait = i == legendOutcomes.size();
        const QColor colour = wait ? waitColour : outcomeColour(legendOutcomes[i]);
        const double middle = y + fontMetrics().height() / 2.0;
        if (wait) {
            painter.setPen(colour);
            painter.drawLine(QLineF(x, middle, x + 12, middle));
        } else {
            painter.fillRect(QRectF(x + 3, middle - 3, 6, 6), colour);
        }
        painter.setPen(palette().color(QPalette::Text));
        painter.drawStaticText(QPointF(x + 16, y), m_legend[i]);
        x += 16 + m_legend[i].size().width() + 14;
    }
}

void TrafficPlot::hover(int row, const QPoint &globalPosition)
{
    if (row != m_hovered) {
        m_hovered = row;
        update();
    }
    if (row < 0) {
        QToolTip::hideText();
        return;
    }
    const TrafficRecord &record = m_model.record(row);
    QString text = QStringLiteral("%1 %2").arg(record.time.toString(QStringLiteral("HH:mm:ss.zzz")),
                                               outcomeToken(record.outcome));
    if (record.firstByteMs)
        text += QStringLiteral("\nfirst byte %1 ms, last byte %2 ms")
                    .arg(millisecondsText(record.firstByteMs), millisecondsText(record.lastByteMs));
    text += QStringLiteral("\nwait %1 ms").arg(record.waitMs, 0, 'f', 1);
    QToolTip::showText(globalPosition, text, this);
}

void TrafficPlot::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF position = event->position();
    const bool inside = plotArea().contains(position);
    hover(inside ? mapping().rowAt(position.x()) : -1, event->globalPosition().toPoint());
}

void TrafficPlot::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !plotArea().contains(event->position()))
        return QWidget::mousePressEvent(event);
    const int row = mapping().rowAt(event->position().x());
    if (row < 0)
        return;
    setSelectedRow(row);
    emit rowChosen(row);
}

void TrafficPlot::leaveEvent(QEvent *event)
{
    hover(-1, QPoint());
    QWidget::leaveEvent(event);
}
