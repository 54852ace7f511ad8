#include "messagecatcher.h"
#include "trafficexport.h"
#include "trafficmodel.h"
#include "trafficplot.h"
#include "trafficwindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

TrafficRecord numbered(int i)
{
    TrafficRecord made;
    made.time = QDateTime(QDate(2026, 12, 9), QTime(1, 0)).addMSecs(100 * i);
    made.window = TrafficRecord::mainWindow;
    made.device = QStringLiteral("/dev/ttyUSB0");
    made.settings = QStringLiteral("9600,n,8,1");
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

//! Saves \a count records with the program's own export, the first \a from in the file
//! replaced by \a to.
bool saveHistory(const QString &path, int count, const QByteArray &from = {},
                 const QByteArray &to = {})
{
    TrafficModel saved;
    append(saved, count);
    QString error;
    if (!trafficexport::save(saved, path, &error))
        return false;
    QFile file(path);
    if (from.isEmpty() || !file.open(QIODevice::ReadWrite))
        return from.isEmpty();
    QByteArray contents = file.readAll();
    const qsizetype at = contents.indexOf(from);
    contents.replace(at, from.size(), to);
    return at >= 0 && file.resize(0) && file.write(contents) == contents.size();
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
        if (QGuiApplication::platformName() == QLatin1String("minimal"))
            QSKIP("The minimal platform (Qt for Windows under Wine) keeps no screen picture");
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

    // The waits of neighbouring exchanges meet: along the wait no background shows through.
    void waitsJoinAcrossSlots()
    {
        TrafficModel model;
        TrafficWindow window(model);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *plot = window.findChild<TrafficPlot *>();
        append(model, plot->slotCount() + 50);
        const PlotMapping mapping = plot->mapping();
        const QImage shown = plot->grab().toImage();
        const QColor background = plot->palette().color(QPalette::Base);
        const int y = int(mapping.y(numbered(0).waitMs));
        const int last = plot->firstRow() + plot->slotCount() - 1;
        const int from = int(mapping.x(plot->firstRow()) - mapping.slotWidth() / 2);
        const int to = int(mapping.x(last + 1) - mapping.slotWidth() / 2);
        QVERIFY(to - from > plot->slotCount());
        for (int x = from; x < to; ++x)
            QVERIFY2(shown.pixelColor(x, y) != background, qPrintable(QString::number(x)));
    }

    // A saved history opens in a window of its own, which the live history does not reach.
    void opensASavedHistoryApart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("field.csv"));
        QVERIFY(saveHistory(path, 30));
        TrafficModel live;
        TrafficWindow window(live);
        TrafficWindow *opened = window.openFile(path);
        QVERIFY(opened && opened->isVisible());
        QCOMPARE(opened->windowTitle(), QStringLiteral("Traffic: field.csv"));
        auto *table = opened->findChild<QTableView *>();
        QCOMPARE(table->model()->rowCount(), 30);
        QCOMPARE(table->model()->index(29, TrafficModel::Sent).data().toString(),
                 QStringLiteral("32 39"));
        QCOMPARE(opened->findChild<TrafficPlot *>()->mapping().marks().size(), size_t(30));
        QVERIFY2(opened->findChild<QLabel *>(QStringLiteral("lblStatistics"))
                     ->text()
                     .startsWith(QStringLiteral("Exchanges 30, answered 20, no response 10,")),
                 qPrintable(opened->findChild<QLabel *>(QStringLiteral("lblStatistics"))->text()));
        QVERIFY(opened->findChild<QLabel *>(QStringLiteral("lblDiagnosis"))
                    ->text()
                    .startsWith(QStringLiteral("Diagnosis: no-answer")));
        QVERIFY(!opened->findChild<QPushButton *>(QStringLiteral("cmdClear"))->isVisibleTo(opened));

        append(live, 3);
        QCOMPARE(table->model()->rowCount(), 30);
        QCOMPARE(window.findChild<QTableView *>()->model()->rowCount(), 3);
    }

    void refusesABrokenFile_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QString>("named");
        QTest::newRow("header") << QByteArray("outcome") << QByteArray("result")
                                << QStringLiteral("broken.csv line 1, field outcome");
        QTest::newRow("an outcome") << QByteArray("no response") << QByteArray("silence")
                                    << QStringLiteral("broken.csv line 2, field outcome");
    }

    // A file that cannot be read whole opens nothing and says where it went wrong.
    void refusesABrokenFile()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("broken.csv"));
        QVERIFY(saveHistory(path, 4, from, to));
        TrafficModel live;
        TrafficWindow window(live);
        MessageCatcher messages;
        QCOMPARE(window.openFile(path), nullptr);
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(messages.texts.first().contains(named), qPrintable(messages.texts.first()));
        QVERIFY(window.findChildren<TrafficWindow *>().isEmpty());
    }
};

QTEST_MAIN(TestTrafficWindow)
#include "tst_trafficwindow.moc"
