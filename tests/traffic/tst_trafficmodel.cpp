#include "trafficmodel.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

TrafficRecord record(TrafficOutcome outcome, std::optional<double> firstByteMs = {},
                     const QString &window = TrafficRecord::mainWindow)
{
    TrafficRecord made;
    made.window = window;
    made.outcome = outcome;
    made.firstByteMs = firstByteMs;
    return made;
}

} // namespace

// The history's table and statistics: the cap, the counts, the spread of answer times.
class TestTrafficModel : public QObject
{
    Q_OBJECT

private slots:
    void keepsTheNewestRowsUpToTheCap()
    {
        TrafficModel model;
        QCOMPARE(model.capacity(), 10000);
        QCOMPARE(model.heldAtMost(), 10100);
        QSignalSpy removed(&model, &TrafficModel::rowsRemoved);
        QSignalSpy inserted(&model, &TrafficModel::rowsInserted);
        // Past the cap the rows grow to the most held, then the oldest go together.
        constexpr int added = 10205;
        QList<int> rowsAfterTrim;
        for (int i = 0; i < added; ++i) {
            TrafficRecord entry = record(TrafficOutcome::NoResponse);
            entry.sent = QByteArray::number(i);
            const int removals = int(removed.size());
            model.append(entry);
            QVERIFY(model.rowCount() <= model.heldAtMost());
            if (removed.size() != removals)
                rowsAfterTrim.append(model.rowCount());
        }
        QCOMPARE(rowsAfterTrim, QList<int>({10000, 10000}));
        QCOMPARE(model.rowCount(), 10003);
        QCOMPARE(model.record(0).sent, QByteArray("202"));
        QCOMPARE(model.recordNumber(0), quint64(202));
        QCOMPARE(model.record(10002).sent, QByteArray("10204"));
        QCOMPARE(removed.first().at(1).toInt(), 0);
        QCOMPARE(removed.first().at(2).toInt(), 100);
        QCOMPARE(inserted.size(), added);
        QCOMPARE(inserted.last().at(1).toInt(), 10002);
        // The statistics count what the table no longer holds.
        QCOMPARE(model.statistics().exchanges(), added);

        model.clear();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.statistics().exchanges(), 0);
        // Numbers are not given twice, so nothing kept for a number can be taken for another.
        model.append(record(TrafficOutcome::NoResponse));
        QCOMPARE(model.recordNumber(0), quint64(added));
    }

    void smallCapTrimsOneRowAtATime()
    {
        TrafficModel model(nullptr, 3);
        QCOMPARE(model.heldAtMost(), 3);
        for (int i = 0; i < 5; ++i) {
            TrafficRecord entry = record(TrafficOutcome::NoResponse);
            entry.sent = QByteArray::number(i);
            model.append(entry);
        }
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.record(0).sent, QByteArray("2"));
    }

    void countsOutcomesAndAnswerTimes()
    {
        TrafficModel model;
        QCOMPARE(model.statistics().firstByteMedian(), std::nullopt);
        for (const double ms : {4.0, 1.2, 30.0})
            model.append(record(TrafficOutcome::Answer, ms));
        model.append(record(TrafficOutcome::NoResponse));
        model.append(record(TrafficOutcome::Incomplete, 2.0));
        model.append(record(TrafficOutcome::CrcError, 0.5));
        model.append(record(TrafficOutcome::PortError));
        model.append(record(TrafficOutcome::Written, {}, TrafficRecord::configWindow));
        const TrafficStatistics &statistics = model.statistics();
        QCOMPARE(statistics.exchanges(), 7);
        QCOMPARE(statistics.uploads(), 1);
        QCOMPARE(statistics.answered(), 3);
        QCOMPARE(statistics.noResponse(), 1);
        QCOMPARE(statistics.incomplete(), 1);
        QCOMPARE(statistics.crcErrors(), 1);
        QCOMPARE(statistics.portErrors(), 1);
        // Only answered exchanges count towards the times.
        QCOMPARE(statistics.firstByteMinimum(), std::optional<double>(1.2));
        QCOMPARE(statistics.firstByteMedian(), std::optional<double>(4.0));
        QCOMPARE(statistics.firstByteMaximum(), std::optional<double>(30.0));
        model.append(record(TrafficOutcome::Answer, 5.0));
        QCOMPARE(statistics.firstByteMedian(), std::optional<double>(4.5));
        QCOMPARE(statistics.summary(),
                 QStringLiteral("Exchanges 8, answered 4, no response 1, incomplete 1, CRC errors "
                                "1, port errors 1, uploads 1; first byte min/median/max 1.2 / 4.5 "
                                "/ 30.0 ms"));
    }
};

QTEST_GUILESS_MAIN(TestTrafficModel)
#include "tst_trafficmodel.moc"
