#include "backgroundsweep.h"
#include "searchlines.h"
#include "simprocess.h"
#include "sweep.h"

#include <QtTest>

#include <functional>
#include <memory>

namespace {

using searchlines::ids;
using searchlines::line;
const auto allLines = searchlines::all;

std::unique_ptr<SimProcess> simulator(const QStringList &options)
{
    return std::make_unique<SimProcess>(QStringLiteral(SIM_EXECUTABLE), options);
}

finder::SweepOptions optionsFor(bool all)
{
    finder::SweepOptions options;
    options.all = all;
    options.producer = TrafficRecord::findWindow;
    return options;
}

//! A search, run to its end on this thread or on its own, with every record it made.
struct Run
{
    finder::SweepResult result;
    QList<TrafficRecord> records;
};

Run search(const QString &device, const finder::ProbePlan &plan, bool all)
{
    Run run;
    finder::SweepObserver observer;
    observer.probed = [&run](const TrafficRecord &record) { run.records.append(record); };
    run.result = finder::sweep(device, plan, optionsFor(all), observer);
    return run;
}

/*! A full search of the simulator's line on a thread of its own; \a interrupt runs once three
 * probes are recorded. Empty when the search does not end. */
std::optional<Run> interrupted(SimProcess &sim,
                               const std::function<void(finder::BackgroundSweep &)> &interrupt)
{
    finder::BackgroundSweep background;
    Run run;
    std::optional<finder::SweepResult> ended;
    QObject::connect(&background, &finder::BackgroundSweep::probed,
                     [&run](const TrafficRecord &record) { run.records.append(record); });
    QObject::connect(&background, &finder::BackgroundSweep::finished,
                     [&ended](const finder::SweepResult &result) { ended = result; });
    const finder::ProbePlan plan(finder::everySlaveId(), allLines(), 1, line("9600,n,8,1"));
    if (!background.start(sim.devicePath(), plan, optionsFor(false)) ||
        background.start(sim.devicePath(), plan, optionsFor(false)) ||
        !QTest::qWaitFor([&run] { return run.records.size() >= 3; }))
        return std::nullopt;
    interrupt(background);
    if (!QTest::qWaitFor([&ended] { return ended.has_value(); }, 20000) || background.isRunning())
        return std::nullopt;
    run.result = *ended;
    return run;
}

} // namespace

class tst_sweep : public QObject
{
    Q_OBJECT

private slots:
    void foundAtItsIdAndLineInOrder();
    void silentLineEveryProbeCounted();
    void noiseIsNeverAFind();
    void cancelStopsWithinOneProbe();
    void portFailureEndsTheSearch();
};

// Stored ID 1 and the current 9600 8N1 first, then the faster settings; the display at ID 7
// and 19200 8N2 answers the 51st probe and no other.
void tst_sweep::foundAtItsIdAndLineInOrder()
{
    const auto sim = simulator({"--id", "7", "--baud", "19200", "--format", "8N2"});
    QVERIFY(sim->isRunning());
    const finder::ProbePlan plan(ids(1, 10), allLines(), 1, line("9600,n,8,1"));
    const Run run = search(sim->devicePath(), plan, false);

    QCOMPARE(int(run.result.found.size()), 1);
    QCOMPARE(run.result.found.front().label(), QStringLiteral("ID 7 at 19200 8N2"));
    QVERIFY(!run.result.portError);
    QCOMPARE(run.records.size(), 9 + 9 + 3 * 9 + 6);
    for (int i = 0; i < run.records.size(); ++i) {
        const TrafficRecord &record = run.records.at(i);
        const finder::Probe &probe = plan.probes().at(size_t(i));
        QCOMPARE(record.settings, probe.line.text);
        QCOMPARE(record.sent, plan.request(probe.slave));
        const bool last = i == run.records.size() - 1;
        QCOMPARE(record.outcome, last ? TrafficOutcome::Answer : TrafficOutcome::NoResponse);
    }
    QVERIFY2(
        finder::summary(run.result, plan)
            .startsWith(QStringLiteral("1 found, 51 of 90 probes (10 IDs at 9 line settings), ")),
        qPrintable(finder::summary(run.result, plan)));

    // A pseudo-terminal carries no parity, but one stop bit it does: at 38400 the 8N2 probe
    // goes unanswered, the 8E1 probe after it finds the display.
    const auto even = simulator({"--id", "4", "--baud", "38400", "--format", "8E1"});
    QVERIFY(even->isRunning());
    const Run parity = search(
        even->devicePath(), finder::ProbePlan(ids(3, 4), allLines(), 4, line("9600,n,8,1")), false);
    QCOMPARE(parity.result.sent, 3);
    QCOMPARE(parity.result.found.front().label(), QStringLiteral("ID 4 at 38400 8E1"));
}

void tst_sweep::silentLineEveryProbeCounted()
{
    const auto sim = simulator({"--silent"});
    QVERIFY(sim->isRunning());
    const finder::ProbePlan plan(ids(1, 4), allLines(), 2, line("38400,n,8,2"));
    const Run run = search(sim->devicePath(), plan, false);
    QVERIFY(run.result.found.empty());
    QCOMPARE(run.result.sent, 36);
    QVERIFY(!run.result.stopped);
    QVERIFY(!run.result.portError);
    QCOMPARE(run.records.size(), 36);
    for (const TrafficRecord &record : run.records)
        QCOMPARE(record.outcome, TrafficOutcome::NoResponse);
    QVERIFY(
        finder::summary(run.result, plan)
            .startsWith(QStringLiteral("0 found, 36 of 36 probes (4 IDs at 9 line settings), ")));
}

// Every byte of every answer has a bit flipped: bytes come back for ID 3, a find never.
void tst_sweep::noiseIsNeverAFind()
{
    const auto sim = simulator({"--id", "3", "--noise", "1", "--seed", "11"});
    QVERIFY(sim->isRunning());
    const finder::ProbePlan plan(ids(1, 5), {line("9600,n,8,1"), line("38400,n,8,1")}, 3,
                                 line("9600,n,8,1"));
    const Run run = search(sim->devicePath(), plan, true);
    QVERIFY(run.result.found.empty());
    QCOMPARE(run.result.sent, 10);
    QVERIFY(!run.records.first().received.isEmpty());
    QCOMPARE(run.records.first().sent.at(0), char(3));
}

// Cancelled after a few probes of a silent line, the search ends there, says so, and sends
// nothing new: only a probe already on its way may go out after the cancel.
void tst_sweep::cancelStopsWithinOneProbe()
{
    const auto sim = simulator({"--silent"});
    QVERIFY(sim->isRunning());
    QDateTime cancelled;
    const std::optional<Run> run = interrupted(*sim, [&cancelled](finder::BackgroundSweep &b) {
        cancelled = QDateTime::currentDateTime();
        b.cancel();
    });
    QVERIFY(run);
    QVERIFY(run->result.stopped);
    QCOMPARE(run->result.sent, int(run->records.size()));
    QVERIFY(run->result.sent < run->result.total);
    const auto after = std::count_if(run->records.begin(), run->records.end(),
                                     [&](const TrafficRecord &r) { return r.time > cancelled; });
    QVERIFY2(after <= 1, qPrintable(QString::number(after)));
}

// The display's end of the line goes away in the middle: the search ends with the reason.
void tst_sweep::portFailureEndsTheSearch()
{
    const auto sim = simulator({"--silent"});
    QVERIFY(sim->isRunning());
    const std::optional<Run> run =
        interrupted(*sim, [&sim](finder::BackgroundSweep &) { sim->kill(); });
    QVERIFY(run);
    QVERIFY(run->result.portError);
    QVERIFY(!run->result.stopped);
    QVERIFY(run->result.sent < run->result.total);
    QCOMPARE(run->records.last().outcome, TrafficOutcome::PortError);
}

QTEST_GUILESS_MAIN(tst_sweep)
#include "tst_sweep.moc"
