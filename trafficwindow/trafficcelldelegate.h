#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

/*! \brief Draws a traffic table cell as one line of plain text, clipped to the cell.
 *
 * A full history shifts every visible row by one with each new record, so every visible cell is
 * drawn again each time. The style's item drawing formats, lays out and elides each text anew;
 * here a cell's text is laid out once and kept by the record's number and the column, so that
 * only the newest row costs a layout. Records never change once added, and their numbers are
 * never reused, so a kept layout cannot go stale but by a change of font.
 */
class TrafficCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    struct Cell
    {
        QStaticText text;
        bool alignedRight = false;
    };

    const Cell &cell(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    //! Room for the cells of several screens of rows; dropped whole when full, which costs one
    //! slow repaint in a few hundred records.
    static constexpr int kept = 4096;
    mutable QHash<quint64, Cell> m_cells;
    mutable QFont m_font;
};
