#include "exchangerecord.h"
#include "frmmain.h"
#include "modbusslave.h"
#include "ptypair.h"
#include "tempsettings.h"

#include "messagebox.h"
#include "modini.h"
#include "trafficlog.h"
#include "trafficmodel.h"
#include "trafficrecorder.h"
#include "trafficwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int exchangesPerFunction = 200;
constexpr int recordsKept = TrafficModel::DefaultCapacity;

qint64 cpuNanoseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

template <typename T> T *control(frmMain &window, const char *name)
{
    return window.findChild<T *>(QString::fromLatin1(name));
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return (values[values.size() / 2] + values[(values.size() - 1) / 2]) / 2;
}

struct Figures
{
    std::vector<double> sendToOutcomeMs;
    //! The whole process but the slave's thread: what the program itself spends.
    double programCpuMsPerExchange = 0;
    double guiThreadCpuMsPerExchange = 0;
    /*! Each exchange's own. The kernel bills interrupt handling, and a virtual machine's host
     * its pauses, to whichever thread is running, so on a shared machine an exchange now and
     * then counts milliseconds that the program did not spend; the median leaves those out. */
    std::vector<double> guiThreadCpuMs;
    double slaveCpuMsPerExchange = 0;
    int answersShown = 0;
};

/*! Runs exchanges one after the other: prepare sets the lists and message for exchange i, then
 * Send is clicked and the events run until the window says the exchange has ended, so the
 * duration is the time from Send to the outcome shown and recorded; the processor time is
 * counted over that stretch alone. */
Figures run(frmMain &window, const ModbusSlave &slave, const char *send,
            const std::function<void(int)> &prepare)
{
    auto *button = control<QPushButton>(window, send);
    auto *shown = control<QLabel>(window, "lblRxData");
    Figures figures;
    qint64 processCpu = 0;
    qint64 threadCpu = 0;
    qint64 slaveCpu = 0;
    for (int i = 0; i < exchangesPerFunction; ++i) {
        prepare(i);
        // Whatever the preparation left to repaint is not the exchange's work.
        QCoreApplication::processEvents();
        const qint64 processStart = cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID);
        const qint64 threadStart = cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID);
        const qint64 slaveStart = slave.cpuNanoseconds();
        QElapsedTimer clock;
        clock.start();
        QEventLoop untilEnded;
        QObject::connect(&window, &frmMain::exchangeEnded, &untilEnded, &QEventLoop::quit);
        button->click();
        if (window.exchangeInProgress())
            untilEnded.exec();
        figures.sendToOutcomeMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        const qint64 exchangeThreadCpu = cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID) - threadStart;
        threadCpu += exchangeThreadCpu;
        figures.guiThreadCpuMs.push_back(double(exchangeThreadCpu) / 1e6);
        processCpu += cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
        slaveCpu += slave.cpuNanoseconds() - slaveStart;
        // An answer is shown as hex groups; the three outcome texts are words.
        if (shown->text().endsWith(QLatin1Char(' ')))
            ++figures.answersShown;
    }
    figures.programCpuMsPerExchange = double(processCpu - slaveCpu) / 1e6 / exchangesPerFunction;
    figures.guiThreadCpuMsPerExchange = double(threadCpu) / 1e6 / exchangesPerFunction;
    figures.slaveCpuMsPerExchange = double(slaveCpu) / 1e6 / exchangesPerFunction;
    return figures;
}

void report(const char *function, int waitMs, double targetMs, int ticks, double bareTickMs,
            Figures figures)
{
    std::vector<double> &times = figures.sendToOutcomeMs;
    std::sort(times.begin(), times.end());
    const double middle = (times[times.size() / 2] + times[(times.size() - 1) / 2]) / 2;
    const double worst = times.back();
    std::printf("function %s: %d exchanges, %d answers shown\n", function, int(times.size()),
                figures.answersShown);
    std::printf("  Send to outcome: median %.2f ms, worst %.2f ms (wait %d ms; over it: median "
                "%.2f ms, worst %.2f ms; target under 5 ms)\n",
                middle, worst, waitMs, middle - waitMs, worst - waitMs);
    std::printf("  processor time per exchange: program %.3f ms, of it the GUI thread %.3f ms "
                "(target under %.1f ms); the slave at the far end %.3f ms more\n",
                figures.programCpuMsPerExchange, figures.guiThreadCpuMsPerExchange, targetMs,
                figures.slaveCpuMsPerExchange);
    std::printf("  the GUI thread's processor time per exchange: median %.3f ms, of it %.3f ms for "
                "its %d ticks as bare timer ticks cost on this loop right after (%.3f ms each)\n",
                median(figures.guiThreadCpuMs), ticks * bareTickMs, ticks, bareTickMs);
}

/*! The GUI thread's processor time for one tick of a bare 20 ms timer on the same event loop,
 * with the window shown and the port open: what each of an exchange's wake-ups costs before the
 * program does anything with it (the median, for the reason given at Figures). */
double bareTickCpuMs()
{
    constexpr int ticks = 100;
    std::vector<double> each;
    QTimer timer;
    timer.setInterval(20);
    QEventLoop loop;
    qint64 last = 0;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        const qint64 now = cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID);
        if (last != 0)
            each.push_back(double(now - last) / 1e6);
        last = now;
        if (int(each.size()) == ticks)
            loop.quit();
    });
    timer.start();
    loop.exec();
    return median(each);
}

//! The answer times the window recorded for one function, as a user reads them.
void reportAnswerTimes(const TrafficModel &model, char function, int waitMs)
{
    std::vector<double> first;
    std::vector<double> last;
    std::vector<double> waits;
    for (int row = 0; row < model.rowCount(); ++row) {
        const TrafficRecord &record = model.record(row);
        if (record.sent.size() < 2 || record.sent.at(1) != function || !record.firstByteMs)
            continue;
        first.push_back(*record.firstByteMs);
        last.push_back(*record.lastByteMs);
        waits.push_back(record.waitMs);
    }
    if (first.empty()) {
        std::printf("  no answer was timed\n");
        return;
    }
    std::printf("  display answers after %.1f ms, last byte at %.1f ms (medians over %d; first "
                "byte %.1f to %.1f ms); the wait is %d ms (measured %.1f ms)\n",
                median(first), median(last), int(first.size()),
                *std::min_element(first.begin(), first.end()),
                *std::max_element(first.begin(), first.end()), waitMs, median(waits));
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
    }
    return 0;
}

/*! Processor time per record of what the window adds to each exchange once it ends: the
 * record built from the exchange's trace and the port, handed to the recorder, and whatever
 * that sets off (the log's write, the Traffic window's repaint) before the next exchange. */
double recordingCpuMs(const MSComm &port, TrafficRecorder &recorder, int records)
{
    Exchange::Trace trace;
    trace.sent = QByteArray::fromHex("010600000003C9CB");
    trace.received = trace.sent;
    trace.firstByteMs = 1.2;
    trace.lastByteMs = 9.6;
    trace.waitMs = 60.4;
    const qint64 start = cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < records; ++i) {
        trace.written = QDateTime::currentDateTime();
        recorder.record(exchangeRecord(trace, Exchange::Outcome::Shown, port));
        QCoreApplication::processEvents();
    }
    return double(cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID) - start) / 1e6 / records;
}

double idleEventsCpuMs(int rounds)
{
    const qint64 start = cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < rounds; ++i)
        QCoreApplication::processEvents();
    return double(cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID) - start) / 1e6 / rounds;
}

void reportRecording(const MSComm &port)
{
    constexpr int rounds = 2000;
    const double idle = idleEventsCpuMs(rounds);
    std::printf("recording (goal: under 0.05 ms extra processor time per exchange):\n");
    {
        TrafficRecorder recorder;
        std::printf("  into the history alone: %.4f ms per exchange\n",
                    recordingCpuMs(port, recorder, rounds) - idle);
    }
    QTemporaryDir dir;
    {
        TrafficRecorder recorder;
        auto log = std::make_unique<TrafficLog>();
        if (log->open(dir.filePath(QStringLiteral("traffic.csv"))))
            recorder.setLog(std::move(log));
        std::printf("  with --log: %.4f ms per exchange\n",
                    recordingCpuMs(port, recorder, rounds) - idle);
    }
    {
        TrafficRecorder recorder;
        TrafficWindow shown(*recorder.model());
        shown.show();
        QCoreApplication::processEvents();
        // Full first, so every record also pushes the oldest row out.
        recordingCpuMs(port, recorder, recordsKept);
        std::printf("  with the Traffic window open and full: %.4f ms per exchange\n",
                    recordingCpuMs(port, recorder, rounds) - idle);
    }
}

std::string reportHistoryMemory(const MSComm &port)
{
    Exchange::Trace trace;
    trace.sent = QByteArray::fromHex("0110000000050A50726176697841707020303030300000");
    trace.received = QByteArray::fromHex("011000000005000A");
    trace.firstByteMs = 1.2;
    trace.lastByteMs = 9.6;
    const long before = residentKilobytes();
    {
        TrafficModel model;
        for (int i = 0; i < recordsKept; ++i) {
            trace.written = QDateTime::currentDateTime();
            model.append(exchangeRecord(trace, Exchange::Outcome::Shown, port));
        }
        return QStringLiteral("resident memory: %1 MB more after %2 records in the history "
                              "(goal: under 10 MB)\n")
            .arg(double(residentKilobytes() - before) / 1024, 0, 'f', 1)
            .arg(model.rowCount())
            .toStdString();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // No display needed: the window is driven by the program itself.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    messagebox::setSink(
        [](const QString &text) { std::fprintf(stderr, "message box: %s\n", qPrintable(text)); });

    TempSettings settings;
    PtyPair line;
    if (!line.isValid()) {
        std::fprintf(stderr, "no pseudo-terminal available\n");
        return 1;
    }
    ModbusSlave slave(line.masterFd(), 1);
    if (!slave.isValid()) {
        std::fprintf(stderr, "the Modbus slave could not be set up\n");
        return 1;
    }
    modINI::WriteIni(QStringLiteral("Settings"), QStringLiteral("CommPort"), QStringLiteral("1"));
    modINI::WriteIni(QStringLiteral("Ports"), QStringLiteral("1"), line.devicePath());

    frmMain window;
    window.show();
    // A user clicks Send only once the window is on the screen: its first painting is done.
    QCoreApplication::processEvents();
    control<QPushButton>(window, "cmdConnect")->click();
    QCoreApplication::processEvents();
    if (!window.serialPort().portOpen()) {
        std::fprintf(stderr, "the window could not connect to %s\n", qPrintable(line.devicePath()));
        return 1;
    }

    // Measured first, while the heap has no freed space from earlier records to reuse.
    const std::string historyMemory = reportHistoryMemory(window.serialPort());

    auto *registers = control<QComboBox>(window, "cboAddr06");
    auto *low = control<QComboBox>(window, "cboDataL06");
    const Figures f06 = run(window, slave, "cmdSend06", [&](int i) {
        registers->setCurrentIndex(i % registers->count());
        low->setCurrentIndex(i % low->count());
    });
    const double tick06 = bareTickCpuMs();

    auto *message = control<QLineEdit>(window, "txtMessage");
    const Figures f16 = run(window, slave, "cmdSend16", [&](int i) {
        message->setText(QStringLiteral("PravixApp %1").arg(i, 4, 10, QLatin1Char('0')));
    });
    const double tick16 = bareTickCpuMs();

    std::printf(
        "bench_exchange: %d exchanges each through the main window, libmodbus slave on %s\n",
        exchangesPerFunction, qPrintable(line.devicePath()));
    report("06", 60, 0.8, 3, tick06, f06);
    reportAnswerTimes(*window.recorder().model(), 0x06, 60);
    report("16", 100, 0.7, 5, tick16, f16);
    reportAnswerTimes(*window.recorder().model(), 0x10, 100);
    reportRecording(window.serialPort());
    std::printf("%s", historyMemory.c_str());
    const int requests = static_cast<int>(slave.requests().size());
    std::printf("requests received by the slave: %d of %d\n", requests, 2 * exchangesPerFunction);
    window.close();
    return requests == 2 * exchangesPerFunction ? 0 : 1;
}
