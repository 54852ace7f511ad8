#include "trafficcelldelegate.h"

#include "trafficmodel.h"

#include <QPainter>

namespace {

// The margin the style keeps between a cell's edge and its text.
constexpr int margin = 3;

} // namespace

const TrafficCellDelegate::Cell &TrafficCellDelegate::cell(const QStyleOptionViewItem &option,
                                                           const QModelIndex &index) const
{
    if (option.font != m_font || m_cells.size() >= kept) {
        m_cells.clear();
        m_font = option.font;
    }
    const quint64 number = index.data(TrafficModel::RecordNumberRole).toULongLong();
    const quint64 key = number * TrafficModel::ColumnCount + quint64(index.column());
    auto found = m_cells.find(key);
    if (found != m_cells.end())
        return *found;
    Cell made;
    made.text.setText(index.data(Qt::DisplayRole).toString());
    made.text.setTextFormat(Qt::PlainText);
    made.text.setPerformanceHint(QStaticText::AggressiveCaching);
    made.text.prepare(QTransform(), option.font);
    made.alignedRight = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignRight;
    return *m_cells.insert(key, made);
}

void TrafficCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    const Cell &shown = cell(option, index);
    if (shown.text.text().isEmpty())
        return;
    const QRect inside = option.rect.adjusted(margin, 0, -margin, 0);
    const QSizeF size = shown.text.size();
    const qreal x = shown.alignedRight ? inside.right() + 1 - size.width() : inside.left();
    const qreal y = inside.top() + (inside.height() - size.height()) / 2;
    painter->save();
    painter->setClipRect(inside);
    painter->setFont(option.font);
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawStaticText(QPointF(x, y), shown.text);
    painter->restore();
}
