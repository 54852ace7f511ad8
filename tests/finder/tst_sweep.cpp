#include "backgroundsweep.h"
#include "simprocess.h"
#include "sweep.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

SerialSettings line(const char *text)
{
    return *SerialSettings::parse(QLatin1String(text));
}

std::vector<SerialSettings> allLines()
{
    return {SerialSettings::all().begin(), SerialSettings::all().end()};
}

std::vector<int> ids(int first, int last)
{
    std::vector<int> range;
    for (int id = first; id <= last; ++id)
        range.push_back(id);
    return range;
}

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

//! A search run to its end on this thread, with every record it made.
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

} // namespace

class tst_sweep : public QObject
{
    Q_OBJECT

private slots:
    void foundAtItsIdAndLineInOrder();
    void evenParityDisplay();
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
    QVERIFY(!run.result.found.front().exception);
    QVERIFY(!run.result.portError);
    QCOMPARE(run.result.sent, 9 + 9 + 3 * 9 + 6);
    QCOMPARE(run.records.size(), run.result.sent);
    for (int i = 0; i < run.records.size(); ++i) {
        const TrafficRecord &record = run.records.at(i);
        const finder::Probe &probe = plan.probes().at(size_t(i));
        QCOMPARE(record.settings, probe.line.text);
        QCOMPARE(record.sent, plan.request(probe.slave));
        QCOMPARE(record.window, TrafficRecord::findWindow);
        const bool last = i == run.records.size() - 1;
        QCOMPARE(record.outcome, last ? TrafficOutcome::Answer : TrafficOutcome::NoResponse);
    }
    QVERIFY2(
        finder::summary(run.result, plan)
            .startsWith(QStringLiteral("1 found, 51 of 90 probes (10 IDs at 9 line settings), ")),
        qPrintable(finder::summary(run.result, plan)));

    // Told to go on, the search runs to the end of its plan and finds the one display once.
    const finder::ProbePlan fast(ids(6, 8), {line("19200,n,8,1"), line("19200,n,8,2")}, 1,
                                 line("19200,n,8,1"));
    const Run all = search(sim->devicePath(), fast, true);
    QCOMPARE(all.result.sent, 6);
    QCOMPARE(int(all.result.found.size()), 1);
    QCOMPARE(all.result.found.front().label(), QStringLiteral("ID 7 at 19200 8N2"));
}

// A pseudo-terminal carries no parity, but the simulator listens at 38400 with one stop bit:
// the 8N2 probe goes unanswered, the 8E1 probe, tried next, finds it.
void tst_sweep::evenParityDisplay()
{
    const auto sim = simulator({"--id", "4", "--baud", "38400", "--format", "8E1"});
    QVERIFY(sim->isRunning());
    const finder::ProbePlan plan(ids(3, 4), allLines(), 4, line("9600,n,8,1"));
    const Run run = search(sim->devicePath(), plan, false);
    QVERIFY(!run.result.portError);
    QCOMPARE(run.result.sent, 3);
    QCOMPARE(int(run.result.found.size()), 1);
    QCOMPARE(run.result.found.front().label(), QStringLiteral("ID 4 at 38400 8E1"));
}

void tst_sweep::silentLineEveryProbeCounted()
{
    const auto sim = simulator({"--silent"});
    QVERIFY(sim->isRunning());
    const finder::ProbePlan plan(ids(1, 4), allLines(), 2, line("38400,n,8,2"));
    const Run run = search(sim->devicePath(), plan, false);
    QVERIFY(run.result.found.empty());
    QCOMPARE(run.result.sent, 36);
    QCOMPARE(run.result.total, 36);
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
    int answeredWithBytes = 0;
    for (const TrafficRecord &record : run.records) {
        if (!record.received.isEmpty()) {
            ++answeredWithBytes;
            QCOMPARE(record.sent.at(0), char(3));
        }
    }
    QCOMPARE(answeredWithBytes, 1);
}

// A full search of a silent line, cancelled after a few probes: it ends there and says so.
void tst_sweep::cancelStopsWithinOneProbe()
{
    const auto sim = simulator({"--silent"});
    QVERIFY(sim->isRunning());
    finder::BackgroundSweep background;
    QSignalSpy probed(&background, &finder::BackgroundSweep::probed);
    QSignalSpy finished(&background, &finder::BackgroundSweep::finished);
    const finder::ProbePlan plan(finder::everySlaveId(), allLines(), 1, line("9600,n,8,1"));
    QVERIFY(background.start(sim->devicePath(), plan, optionsFor(false)));
    QVERIFY(!background.start(sim->devicePath(), plan, optionsFor(false)));
    QTRY_VERIFY(probed.size() >= 3);
    const QDateTime cancelled = QDateTime::currentDateTime();
    background.cancel();
    QTRY_COMPARE(finished.size(), 1);
    QVERIFY(!background.isRunning());
    const auto result = finished.first().first().value<finder::SweepResult>();
    QVERIFY(result.stopped);
    QCOMPARE(result.sent, int(probed.size()));
    QVERIFY(result.sent < result.total);
    // Only a probe that was already on its way may go out after the cancel.
    int writtenAfter = 0;
    for (const QList<QVariant> &signal : probed)
        writtenAfter += signal.first().value<TrafficRecord>().time > cancelled ? 1 : 0;
    QVERIFY2(writtenAfter <= 1, qPrintable(QString::number(writtenAfter)));
}

// The display's end of the line goes away in the middle: the search ends with the reason.
void tst_sweep::portFailureEndsTheSearch()
{
    const auto sim = simulator({"--silent"});
    QVERIFY(sim->isRunning());
    finder::BackgroundSweep background;
    QSignalSpy probed(&background, &finder::BackgroundSweep::probed);
    QSignalSpy finished(&background, &finder::BackgroundSweep::finished);
    const finder::ProbePlan plan(finder::everySlaveId(), allLines(), 1, line("9600,n,8,1"));
    QVERIFY(background.start(sim->devicePath(), plan, optionsFor(false)));
    QTRY_VERIFY(probed.size() >= 3);
    sim->kill();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
    const auto result = finished.first().first().value<finder::SweepResult>();
    QVERIFY(result.portError);
    QVERIFY(!result.stopped);
    QVERIFY(result.sent < result.total);
    QCOMPARE(probed.last().first().value<TrafficRecord>().outcome, TrafficOutcome::PortError);
}

QTEST_GUILESS_MAIN(tst_sweep)
#include "tst_sweep.moc"
