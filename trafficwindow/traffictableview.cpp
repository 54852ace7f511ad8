#include "traffictableview.h"

#include <QHeaderView>

void TrafficTableView::doItemsLayout()
{
    const int first = m_firstAppended;
    const bool appendedOnly = first >= 0 && !m_changedElsewhere;
    m_firstAppended = -1;
    m_changedElsewhere = false;
    if (!appendedOnly) {
        QTableView::doItemsLayout();
        return;
    }
    updateGeometries();
    // From the top of the first new row down: everything below it is new or empty.
    const int top = verticalHeader()->sectionViewportPosition(first);
    if (top < viewport()->height())
        viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
}

void TrafficTableView::reset()
{
    m_changedElsewhere = true;
    QTableView::reset();
}

void TrafficTableView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    if (parent.isValid() || end != model()->rowCount() - 1)
        m_changedElsewhere = true;
    else if (m_firstAppended < 0)
        m_firstAppended = start;
    QTableView::rowsInserted(parent, start, end);
}

void TrafficTableView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    m_changedElsewhere = true;
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}
