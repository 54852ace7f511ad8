#include "trafficmodel.h"
#include "trafficplot.h"
#include "trafficwindow.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

constexpr int rounds = 2000;

qint64 cpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

//! An exchange of function 06 as the main window records it; every seventh goes unanswered,
//! so the plot has more than one colour to draw.
TrafficRecord exchange(int i)
{
    TrafficRecord record;
    record.time = QDateTime::currentDateTime();
    record.window = TrafficRecord::mainWindow;
    record.device = QStringLiteral("/dev/ttyUSB0");
    record.settings = QStringLiteral("9600,n,8,1");
    record.sent = QByteArray::fromHex("010600000003C9CB");
    record.waitMs = 60.4;
    if (i % 7 == 0) {
        record.outcome = TrafficOutcome::NoResponse;
        return record;
    }
    record.received = record.sent;
    record.outcome = TrafficOutcome::Answer;
    record.firstByteMs = 1.2 + (i % 13) * 0.3;
    record.lastByteMs = *record.firstByteMs + 8.4;
    return record;
}

//! Processor time per record of adding it and of whatever it sets off before the next one.
double perRecordMs(TrafficModel &model, int records)
{
    const qint64 start = cpuNanoseconds();
    for (int i = 0; i < records; ++i) {
        model.append(exchange(i));
        QCoreApplication::processEvents();
    }
    return double(cpuNanoseconds() - start) / 1e6 / records;
}

double idleMs()
{
    const qint64 start = cpuNanoseconds();
    for (int i = 0; i < rounds; ++i)
        QCoreApplication::processEvents();
    return double(cpuNanoseconds() - start) / 1e6 / rounds;
}

/*! Processor time per record when records come as exchanges do, one every 60 ms with the event
 * loop asleep between them, over the same loop's time with no records: caches gone cold in the
 * sleep, and the summary lines, which catch up after a quiet spell, count as well. */
double pacedPerRecordMs(TrafficModel &model)
{
    constexpr int records = 150;
    const auto run = [&model](bool recording) {
        QTimer timer;
        timer.setInterval(60);
        QEventLoop loop;
        int ticks = 0;
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            if (recording)
                model.append(exchange(ticks));
            if (++ticks == records)
                loop.quit();
        });
        const qint64 start = cpuNanoseconds();
        timer.start();
        loop.exec();
        return double(cpuNanoseconds() - start) / 1e6 / records;
    };
    const double idle = run(false);
    return run(true) - idle;
}

struct WindowFigures
{
    double perRecordMs = 0;
    double pacedPerRecordMs = 0;
};

/*! The window open on a full history, the table scrolled to the newest row and one row
 * selected, so that each record also pushes the oldest row out under the selection. */
WindowFigures windowOpenAndFull(bool plotShown)
{
    TrafficModel model;
    TrafficWindow window(model);
    window.findChild<TrafficPlot *>()->setVisible(plotShown);
    window.show();
    perRecordMs(model, model.capacity());
    auto *table = window.findChild<QTableView *>();
    table->selectRow(model.rowCount() - 5);
    QCoreApplication::processEvents();
    WindowFigures figures;
    figures.perRecordMs = perRecordMs(model, rounds);
    figures.pacedPerRecordMs = pacedPerRecordMs(model);
    return figures;
}

void reportWindow(const char *shown, bool plotShown, double idle)
{
    const WindowFigures figures = windowOpenAndFull(plotShown);
    std::printf("  Traffic window open, %s: %.4f ms; one record every 60 ms: %.4f ms\n", shown,
                figures.perRecordMs - idle, figures.pacedPerRecordMs);
}

} // namespace

int main(int argc, char *argv[])
{
    // No display needed: the window paints into the offscreen platform's backing store.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double idle = idleMs();
    std::printf("bench_trafficwindow: processor time per new record with %d records kept "
                "(goal: under 0.5 ms with the window open and full)\n",
                TrafficModel::DefaultCapacity);
    {
        TrafficModel model;
        perRecordMs(model, model.capacity());
        std::printf("  history alone: %.4f ms\n", perRecordMs(model, rounds) - idle);
    }
    reportWindow("table alone", false, idle);
    reportWindow("table and plot", true, idle);
    return 0;
}
