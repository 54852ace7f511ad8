#pragma once

#include "commerror.h"
#include "probe.h"
#include "probeplan.h"
#include "trafficrecord.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace finder {

struct SweepOptions
{
    //! Go on after the first display found, to the end of the plan.
    bool all = false;
    //! Raise RTS while sending, as the main window's "Use RTS" does.
    bool rts = false;
    //! The adapter hands back what it sends: a leading copy of the probe is not the answer.
    bool echo = false;
    //! The window the records name: TrafficRecord::findWindow or TrafficRecord::commandLine.
    QString producer;
    //! When it holds true the probe under way ends at once and no other follows.
    const std::atomic<bool> *stop = nullptr;
};

//! The probe about to go out, and how far the search has come.
struct SweepProgress
{
    Probe probe;
    //! Probes already sent.
    int done = 0;
    int total = 0;
};

struct SweepResult
{
    std::vector<Found> found;
    //! Probes sent, the last of them perhaps cut short by a stop.
    int sent = 0;
    int total = 0;
    bool stopped = false;
    //! Why the port failed, which ended the search; empty when it did not.
    std::optional<CommError> portError;
    double elapsedMs = 0;
};

//! What a search reports as it goes, each on the thread that runs it. Any may be empty.
struct SweepObserver
{
    std::function<void(const SweepProgress &)> probing;
    //! Every probe's record, and that of a port that could not be opened.
    std::function<void(const TrafficRecord &)> probed;
    std::function<void(const Found &)> found;
};

/*! Sends the plan's probes on \a device, one port of its own reopened at each line setting,
 * until a display answers (unless \a options say all), the plan ends, a stop is asked for or the
 * port fails. Each wait ends as soon as the answer is whole. Blocks while it runs: call it from
 * a console program or a thread of its own. Nothing is read from or written to the settings
 * file. */
SweepResult sweep(const QString &device, const ProbePlan &plan, const SweepOptions &options,
                  const SweepObserver &observer);

/*! "1 found, 264 of 2223 probes (247 IDs at 9 line settings), 10.1 s", with ", stopped" or
 * ", the port failed" when the search ended so. */
QString summary(const SweepResult &result, const ProbePlan &plan);

} // namespace finder
