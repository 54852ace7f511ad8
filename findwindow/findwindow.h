#pragma once

#include "backgroundsweep.h"
#include "serialsettings.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class TrafficRecorder;

//! The line a search runs on, as the main window holds it when Start is pressed.
struct SearchLine
{
    int portNumber = 1;
    //! The device the port number stands for.
    QString device;
    //! Its line setting is searched first, after its slave ID.
    SerialSettings current;
    int storedSlave = 1;
    bool rts = false;
    bool echo = false;
};

/*! \brief "Find LCD": finds displays whose slave ID or line setting is not known, and hands
 * one to the main window.
 *
 * A modeless top-level window, made once and kept. Start asks for the line each time; the
 * search then runs on a thread of its own, so the window and the others stay usable for the
 * minute or more a full search takes. The progress bar names the setting and ID being tried;
 * Cancel ends the search within the probe under way; every probe goes to the traffic
 * recorder. "Use" hands the chosen display's line setting and ID on; nothing is saved.
 */
class FindWindow : public QWidget
{
    Q_OBJECT

public:
    //! The line to search, or empty with the reason in \a whyNot, which the window shows.
    using LineSource = std::function<std::optional<SearchLine>(QString *whyNot)>;

    FindWindow(TrafficRecorder &recorder, LineSource lineSource, QWidget *parent = nullptr);

    //! Shows the window, or brings it to the front when it is shown already.
    void showFromMenu();

    bool isSearching() const { return m_sweep->isRunning(); }

signals:
    //! "Use" was pressed on a display found there.
    void useChosen(const SerialSettings &line, int slave);
    //! A search began, or ended: the line is the search's meanwhile.
    void searchingChanged(bool searching);

protected:
    //! Closing cancels a search under way.
    void closeEvent(QCloseEvent *event) override;

private:
    void startPressed();
    void usePressed();
    void showProgress(const finder::SweepProgress &progress);
    void addFound(const finder::Found &display);
    void searchEnded(const finder::SweepResult &result);
    void showSearching(bool searching);

    TrafficRecorder &m_recorder;
    LineSource m_lineSource;
    finder::BackgroundSweep *m_sweep;
    //! The running or last search's plan, for its summary.
    std::optional<finder::ProbePlan> m_plan;
    std::vector<finder::Found> m_found;
    QCheckBox *m_all;
    QProgressBar *m_progress;
    QPushButton *m_start;
    QPushButton *m_cancel;
    QListWidget *m_list;
    QPushButton *m_use;
    QLabel *m_status;
};
