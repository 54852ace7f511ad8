#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;
class QVBoxLayout;
class TrafficModel;
class TrafficPlot;
class TrafficTableView;

/*! \brief "Traffic": every recorded exchange and upload in a table, newest last, the timing
 * plot of the newest exchanges under it, the statistics and the diagnosis of the line since the
 * last Clear, "Save as CSV…" and "Clear".
 *
 * A modeless top-level window, made once and kept. While the table is scrolled to the bottom
 * it follows new rows; scrolled up, it stays where the user put it. "Open…" shows a saved
 * history beside it.
 */
class TrafficWindow : public QWidget
{
    Q_OBJECT

public:
    explicit TrafficWindow(TrafficModel &model, QWidget *parent = nullptr);

    //! Shows the window, or brings it to the front when it is shown already.
    void showFromMenu();

    //! Writes the history to \a path; a failure is told in a message box.
    bool saveTo(const QString &path);

    /*! Shows the history saved at \a path in a Traffic window of its own, read-only: its rows,
     * plot, statistics and diagnosis, apart from the live history. A file that cannot be read
     * whole is told in a message box, naming the line and field at fault, and opens nothing.
     * The window is this one's child and goes with it. */
    TrafficWindow *openFile(const QString &path);

private:
    void setUpTable();
    void saveAsPressed();
    void openPressed();
    void clearPressed();
    //! The statistics and the diagnosis as they are now.
    void showSummary();
    void showStatistics();
    void showDiagnosis();

    TrafficModel &m_model;
    TrafficTableView *m_table;
    TrafficPlot *m_plot;
    //! The lines under the table that sum the history up; the statistics come first.
    QVBoxLayout *m_summary;
    QLabel *m_statistics;
    QLabel *m_diagnosis;
    QPushButton *m_open;
    QPushButton *m_saveAs;
    QPushButton *m_clear;
    //! Runs for a moment after the lines under the table were shown; changes meanwhile wait.
    QTimer *m_summaryPause;
    bool m_summaryDue = false;
    //! Whether the table keeps to the newest row: the scroll bar was last left at the bottom.
    bool m_following = true;
};
