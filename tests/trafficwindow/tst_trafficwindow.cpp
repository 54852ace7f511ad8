#include "trafficmodel.h"
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
    }
};

QTEST_MAIN(TestTrafficWindow)
#include "tst_trafficwindow.moc"
