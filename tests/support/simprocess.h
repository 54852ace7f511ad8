#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

/*! \brief The simulated display as a user runs it: its own process, console only, on a
 * pseudo-terminal reached through a link of the test's own.
 *
 * Stopped (and its link removed) when the object goes.
 */
class SimProcess
{
public:
    //! Starts \a executable (pravix-lcd-sim) with \a options and waits for its link.
    SimProcess(const QString &executable, const QStringList &options);
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    //! False when the simulator did not start or its line did not appear.
    bool isRunning() const { return m_running; }
    //! The path a program opens as its serial device.
    QString devicePath() const { return m_link; }
    //! Ends the process at once, as a display that loses power: its line goes away.
    void kill();

private:
    QTemporaryDir m_dir;
    QString m_link;
    QProcess m_process;
    bool m_running = false;
};
