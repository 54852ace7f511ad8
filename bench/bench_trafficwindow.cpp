#include "trafficmodel.h"
#include "trafficplot.h"
#include "trafficwindow.h"

#include <QApplication>
#include <QDateTime>
#include <QTableView>

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

/*! The window open on a full history, the table scrolled to the newest row and one row
 * selected, so that each record also pushes the oldest row out under the selection. */
double windowOpenAndFullMs(bool plotShown)
{
    TrafficModel model;
    TrafficWindow window(model);
    window.findChild<TrafficPlot *>()->setVisible(plotShown);
    window.show();
    perRecordMs(model, model.capacity());
    auto *table = window.findChild<QTableView *>();
    table->selectRow(model.rowCount() - 5);
    QCoreApplication::processEvents();
    return perRecordMs(model, rounds);
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
    std::printf("  Traffic window open, table alone: %.4f ms\n", windowOpenAndFullMs(false) - idle);
    std::printf("  Traffic window open, table and plot: %.4f ms\n",
                windowOpenAndFullMs(true) - idle);
    return 0;
}
