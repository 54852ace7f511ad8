#pragma once

#include <QTableView>

/*! \brief The traffic table: a table view that draws only the new rows when rows are added at
 * the end.
 *
 * A table view lays its items out again after any change of its row count and then redraws
 * everything it shows. Rows that only come at the end move nothing already shown, so here that
 * case only updates the scroll range (following the newest row then moves the picture up as a
 * scroll does) and redraws the new rows; any other change is laid out in full.
 */
class TrafficTableView : public QTableView
{
    Q_OBJECT

public:
    using QTableView::QTableView;

    void doItemsLayout() override;
    void reset() override;

protected:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;

private:
    //! The first row added at the end since the last layout, or -1.
    int m_firstAppended = -1;
    //! Something other than rows at the end changed since the last layout.
    bool m_changedElsewhere = false;
};
