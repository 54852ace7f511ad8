#include "plotmapping.h"
#include "trafficmodel.h"

#include <QtTest>

namespace {

// One record by a short code: 'a' answer at 4 ms to 12 ms, 'n' no response, 'c' CRC error at
// 2 ms to 30 ms, 'p' port error, 'u' upload; every exchange waits 60 ms, the upload none.
TrafficRecord coded(char code)
{
    TrafficRecord made;
    made.window = TrafficRecord::mainWindow;
    made.waitMs = 60;
    switch (code) {
    case 'a':
        made.outcome = TrafficOutcome::Answer;
        made.firstByteMs = 4;
        made.lastByteMs = 12;
        break;
    case 'c':
        made.outcome = TrafficOutcome::CrcError;
        made.firstByteMs = 2;
        made.lastByteMs = 30;
        break;
    case 'p':
        made.outcome = TrafficOutcome::PortError;
        made.waitMs = 0;
        break;
    case 'u':
        made.window = TrafficRecord::configWindow;
        made.outcome = TrafficOutcome::Written;
        made.waitMs = 0;
        break;
    default:
        made.outcome = TrafficOutcome::NoResponse;
        break;
    }
    return made;
}

const QRectF area(100, 10, 400, 200);

} // namespace

// The timing plot's placing of records, without painting.
class TestPlotMapping : public QObject
{
    Q_OBJECT

private slots:
    void marksTheRowsInView_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QByteArray>("codes");
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<int>("slotCount");
        // Per mark: row, point (ms), last byte (ms, -1: no bar), wait (ms).
        QTest::addColumn<QList<QList<double>>>("expected");
        QTest::addColumn<double>("topMs");

        QTest::newRow("empty") << 100 << QByteArray() << 0 << 10 << QList<QList<double>>() << 1.0;
        QTest::newRow("one answer")
            << 100 << QByteArray("a") << 0 << 10 << QList<QList<double>>{{0, 4, 12, 60}} << 100.0;
        // Nothing arrived: the point is the end of the wait, with no bar.
        QTest::newRow("no response")
            << 100 << QByteArray("n") << 0 << 10 << QList<QList<double>>{{0, 60, -1, 60}} << 100.0;
        QTest::newRow("port error, upload")
            << 100 << QByteArray("pu") << 0 << 10 << QList<QList<double>>{{0, 0, -1, 0}} << 1.0;
        // Only the slots in view, from the first row asked for.
        QTest::newRow("scrolled") << 100 << QByteArray("ancan") << 2 << 2
                                  << QList<QList<double>>{{2, 2, 30, 60}, {3, 4, 12, 60}} << 100.0;
        QTest::newRow("past the end")
            << 100 << QByteArray("an") << 5 << 10 << QList<QList<double>>() << 1.0;
        // At a cap of three the oldest went: the rows hold the newest three.
        QTest::newRow("at the cap")
            << 3 << QByteArray("ccnaa") << 0 << 10
            << QList<QList<double>>{{0, 60, -1, 60}, {1, 4, 12, 60}, {2, 4, 12, 60}} << 100.0;
    }

    void marksTheRowsInView()
    {
        QFETCH(int, capacity);
        QFETCH(QByteArray, codes);
        QFETCH(int, firstRow);
        QFETCH(int, slotCount);
        QFETCH(QList<QList<double>>, expected);
        QFETCH(double, topMs);
        TrafficModel model(nullptr, capacity);
        for (const char code : codes)
            model.append(coded(code));
        const PlotMapping mapping(model, firstRow, slotCount, area);
        QList<QList<double>> marks;
        for (const PlotMark &mark : mapping.marks())
            marks.append(
                {double(mark.row), mark.pointMs, mark.lastByteMs.value_or(-1), mark.waitMs});
        QCOMPARE(marks, expected);
        QCOMPARE(mapping.topMs(), topMs);
        for (const PlotMark &mark : mapping.marks())
            QCOMPARE(model.record(mark.row).outcome, mark.outcome);
    }

    void placesTimesAndSlots()
    {
        TrafficModel model;
        for (const char code : QByteArray("aaaa"))
            model.append(coded(code));
        TrafficRecord late = coded('a');
        late.waitMs = 150;
        model.append(late);
        const PlotMapping mapping(model, 1, 8, area);
        // 150 ms rounds up to 200 ms at the top edge.
        QCOMPARE(mapping.topMs(), 200.0);
        QCOMPARE(mapping.y(0), area.bottom());
        QCOMPARE(mapping.y(200), area.top());
        QCOMPARE(mapping.y(50), area.bottom() - area.height() / 4);
        QCOMPARE(mapping.slotWidth(), 50.0);
        QCOMPARE(mapping.x(1), 125.0);
        QCOMPARE(mapping.x(4), 275.0);
        // A slot from its left edge to the next slot's; none where no row is.
        QCOMPARE(mapping.rowAt(100), 1);
        QCOMPARE(mapping.rowAt(149.9), 1);
        QCOMPARE(mapping.rowAt(150), 2);
        QCOMPARE(mapping.rowAt(299), 4);
        QCOMPARE(mapping.rowAt(300), -1);
        QCOMPARE(mapping.rowAt(99), -1);
        QCOMPARE(mapping.rowAt(600), -1);
    }
};

QTEST_MAIN(TestPlotMapping)
#include "tst_plotmapping.moc"
