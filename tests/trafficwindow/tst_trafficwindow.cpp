#include "trafficmodel.h"
#include "trafficplot.h"
#include "trafficwindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

namespace {

TrafficRecord numbered(int i)
{
    TrafficRecord made;
    made.window = TrafficRecord::mainWindow;
    made.sent = QByteArray::number(i);
    made.outcome = i % 3 ? TrafficOutcome::Answer : TrafficOutcome::NoResponse;
    if (made.outcome == TrafficOutcome::Answer) {
        made.firstByteMs = 1.0 + i % 5;
        made.lastByteMs = *made.firstByteMs + 8;
    }
    made.waitMs = 20;
    return made;
}

void append(TrafficModel &model, int count)
{
    for (int i = 0; i < count; ++i) {
        model.append(numbered(model.statistics().exchanges()));
        QCoreApplication::processEvents();
    }
}

} // namespace

// The Traffic window on a history that grows while it is open.
class TestTrafficWindow : public QObject
{
    Q_OBJECT

private slots:
    void tableShowsWhatItHolds_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("added");
        QTest::addColumn<bool>("scrolledUp");
        // A small cap trims two rows at a time; its rows past the cap are 2.
        QTest::newRow("rows filling an empty table") << 2 << 5 << false;
        QTest::newRow("following the newest row") << 100 << 20 << false;
        QTest::newRow("scrolled up") << 100 << 20 << true;
        QTest::newRow("across the trims at the cap") << 195 << 20 << false;
        QTest::newRow("scrolled up across the trims") << 195 << 20 << true;
    }

    // What the screen shows after rows came one by one is what drawing the table afresh shows:
    // no stale row is left where only the new rows were drawn.
    void tableShowsWhatItHolds()
    {
        QFETCH(int, before);
        QFETCH(int, added);
        QFETCH(bool, scrolledUp);
        TrafficModel model(nullptr, 200);
        TrafficWindow window(model);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        append(model, before);
        auto *table = window.findChild<QTableView *>();
        if (scrolledUp)
            table->verticalScrollBar()->setValue(table->verticalScrollBar()->maximum() / 2);
        append(model, added);
        // The table lays new rows out on a zero timer, after the paint that follows a record.
        QTest::qWait(20);
        QWidget *viewport = table->viewport();
        const QRect onWindow(viewport->mapTo(&window, QPoint(0, 0)), viewport->size());
        const QImage shown = window.screen()->grabWindow(window.winId()).toImage().copy(onWindow);
        const QImage fresh = viewport->grab().toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                 fresh.convertToFormat(QImage::Format_RGB32));
    }

    // The selected row stays on its record while the oldest rows go at the cap.
    void selectionStaysOnItsRecordAtTheCap()
    {
        TrafficModel model(nullptr, 200);
        TrafficWindow window(model);
        window.show();
        append(model, 199);
        auto *table = window.findChild<QTableView *>();
        table->selectRow(150);
        const QByteArray chosen = model.record(150).sent;
        append(model, 10);
        QVERIFY(model.rowCount() < 199 + 10);
        const QModelIndex current = table->currentIndex();
        QCOMPARE(model.record(current.row()).sent, chosen);
        const QModelIndexList selected = table->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), current.row());
        QCOMPARE(window.findChild<TrafficPlot *>()->selectedRow(), current.row());
    }

    void plotAndTableChooseTheSameRow_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("row");
        QTest::newRow("the oldest") << 30 << 0;
        QTest::newRow("no response") << 30 << 3;
        QTest::newRow("the newest") << 30 << 29;
        QTest::newRow("scrolled out of the plot") << 300 << 10;
    }

    // A click on an exchange in the plot chooses its row in the table; a row chosen in the
    // table is marked in the plot, which scrolls to it.
    void plotAndTableChooseTheSameRow()
    {
        QFETCH(int, records);
        QFETCH(int, row);
        TrafficModel model;
        TrafficWindow window(model);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        append(model, records);
        auto *table = window.findChild<QTableView *>();
        auto *plot = window.findChild<TrafficPlot *>();
        QCOMPARE(plot->firstRow(), std::max(0, records - plot->slotCount()));

        table->selectRow(row);
        QCOMPARE(plot->selectedRow(), row);
        QVERIFY(row >= plot->firstRow() && row < plot->firstRow() + plot->slotCount());

        table->clearSelection();
        table->setCurrentIndex(QModelIndex());
        // Anywhere in the exchange's slot.
        const PlotMapping mapping = plot->mapping();
        const QPoint point(int(mapping.x(row)), int(mapping.y(mapping.topMs() / 3)));
        QTest::mouseClick(plot, Qt::LeftButton, {}, point);
        QCOMPARE(table->currentIndex().row(), row);
        QCOMPARE(table->selectionModel()->selectedRows().value(0).row(), row);
        QVERIFY(table->viewport()->rect().intersects(table->visualRect(table->currentIndex())));
    }
};

QTEST_MAIN(TestTrafficWindow)
#include "tst_trafficwindow.moc"
