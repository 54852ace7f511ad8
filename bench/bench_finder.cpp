// How long finding a display takes, against the simulated display on a pseudo-terminal: the
// display at the stored ID at each other line setting, the one at ID 200 at 38400 8N2, a full
// search of a silent line, and each probe's time against its wire time. Prints figures; run it
// by hand.
#include "probe.h"
#include "probeplan.h"
#include "simprocess.h"
#include "sweep.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

const SerialSettings &standardLine()
{
    return SerialSettings::standard();
}

std::vector<SerialSettings> allLines()
{
    return {SerialSettings::all().begin(), SerialSettings::all().end()};
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

//! One search, with each probe's time from its start to its record.
struct Timed
{
    finder::SweepResult result;
    //! By settings string.
    std::map<QString, std::vector<double>> probeMs;
    double lastProbeMs = 0;
};

Timed timedSearch(const QString &device, const finder::ProbePlan &plan)
{
    Timed timed;
    QElapsedTimer probe;
    QString line;
    finder::SweepObserver observer;
    observer.probing = [&](const finder::SweepProgress &progress) {
        line = progress.probe.line.text;
        probe.start();
    };
    observer.probed = [&](const TrafficRecord &) {
        timed.lastProbeMs = double(probe.nsecsElapsed()) / 1e6;
        timed.probeMs[line].push_back(timed.lastProbeMs);
    };
    finder::SweepOptions options;
    options.producer = TrafficRecord::findWindow;
    timed.result = finder::sweep(device, plan, options, observer);
    return timed;
}

std::unique_ptr<SimProcess> simulator(const QStringList &options)
{
    auto sim = std::make_unique<SimProcess>(QStringLiteral(SIM_EXECUTABLE), options);
    if (!sim->isRunning()) {
        std::fprintf(stderr, "bench_finder: the simulator did not start\n");
        std::exit(1);
    }
    return sim;
}

QStringList simAt(int id, const SerialSettings &line)
{
    return {QStringLiteral("--id"),         QString::number(id),        QStringLiteral("--baud"),
            QString::number(line.baudRate), QStringLiteral("--format"), line.formatName};
}

void storedIdAtOtherSettings(std::map<QString, double> &answeredProbeMs)
{
    std::printf("Display at the stored ID 1 at each setting, current setting 9600 8N1 (goal: under "
                "1 s)\n");
    double worst = 0;
    for (const SerialSettings &line : finder::searchOrder(standardLine())) {
        const auto sim = simulator(simAt(1, line));
        const finder::ProbePlan plan(finder::everySlaveId(), allLines(), 1, standardLine());
        const Timed timed = timedSearch(sim->devicePath(), plan);
        // A pseudo-terminal carries no parity: the display at 38400 8N1 answers the 8E1 probe
        // as well, which comes first.
        const QString found = timed.result.found.size() == 1 ? timed.result.found.front().label()
                                                             : QStringLiteral("NOT FOUND");
        std::printf("  at %-10s %-20s after %d probes in %4.0f ms\n", qPrintable(line.label()),
                    qPrintable(found), timed.result.sent, timed.result.elapsedMs);
        worst = std::max(worst, timed.result.elapsedMs);
        answeredProbeMs[line.text] = timed.lastProbeMs;
    }
    std::printf("  slowest: %.0f ms\n\n", worst);
}

void id200At38400()
{
    const SerialSettings line = *SerialSettings::parse(QStringLiteral("38400,n,8,2"));
    std::printf(
        "Display at ID 200 at 38400 8N2, stored ID 1, current 9600 8N1 (goal: under 20 s)\n");
    const auto sim = simulator(simAt(200, line));
    const finder::ProbePlan plan(finder::everySlaveId(), allLines(), 1, standardLine());
    const Timed timed = timedSearch(sim->devicePath(), plan);
    std::printf("  %s\n\n", qPrintable(finder::summary(timed.result, plan)));
}

void silentLine(const std::map<QString, double> &answeredProbeMs)
{
    std::printf("A silent line, 9 x 247 probes (goal: under 2 min)\n");
    const auto sim = simulator({QStringLiteral("--silent")});
    const finder::ProbePlan plan(finder::everySlaveId(), allLines(), 1, standardLine());
    const Timed timed = timedSearch(sim->devicePath(), plan);
    std::printf("  %s (sum of the waits %.1f s)\n", qPrintable(finder::summary(timed.result, plan)),
                plan.longestMs() / 1000.0);
    double probing = 0;
    for (const auto &[text, times] : timed.probeMs)
        for (const double ms : times)
            probing += ms;
    std::printf("  outside the probes (opening the port at each setting): %.0f ms\n\n",
                timed.result.elapsedMs - probing);

    std::printf("Each probe's time against the wire time of the probe and its answer\n");
    std::printf("  %-10s %7s %7s %10s %6s %11s %6s\n", "setting", "wire", "wait", "unanswered",
                "ratio", "answered", "ratio");
    for (const SerialSettings &line : SerialSettings::all()) {
        const double wire = finder::probeWireMs(line);
        const double silent = median(timed.probeMs.at(line.text));
        const auto answered = answeredProbeMs.find(line.text);
        std::printf("  %-10s %5.1f ms %4d ms %7.1f ms %6.2f", qPrintable(line.label()), wire,
                    finder::probeWaitMs(line), silent, silent / wire);
        if (answered != answeredProbeMs.end())
            std::printf(" %8.1f ms %6.2f\n", answered->second, answered->second / wire);
        else
            std::printf(" %11s %6s\n", "-", "-");
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::map<QString, double> answeredProbeMs;
    storedIdAtOtherSettings(answeredProbeMs);
    id200At38400();
    silentLine(answeredProbeMs);
    return 0;
}
