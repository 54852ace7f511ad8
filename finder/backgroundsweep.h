#pragma once

#include "sweep.h"

#include <QObject>

#include <atomic>
#include <memory>

class QThread;

namespace finder {

/*! \brief A search on a thread of its own, for a window: the event loop never waits for a probe.
 *
 * The signals arrive on the thread the object lives on, in the order the search reported them;
 * finished() comes last, once the thread has ended. Destroying the object stops the search and
 * waits for the probe under way, which ends at once.
 */
class BackgroundSweep : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundSweep(QObject *parent = nullptr);
    ~BackgroundSweep() override;

    //! Starts a search unless one is running; the plan's requests are built already.
    bool start(const QString &device, ProbePlan plan, SweepOptions options);
    //! The probe under way ends at once and the search with it; finished() follows.
    void cancel();
    bool isRunning() const { return m_thread != nullptr; }

signals:
    void probing(const finder::SweepProgress &progress);
    void probed(const TrafficRecord &record);
    void found(const finder::Found &display);
    void finished(const finder::SweepResult &result);

private:
    //! Runs \a signal with \a value on this object's thread.
    template <typename Value>
    void post(void (BackgroundSweep::*signal)(const Value &), Value value);

    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_stop{false};
};

} // namespace finder
