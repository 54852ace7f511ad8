#include "frmmain.h"
#include "modbusslave.h"
#include "ptypair.h"
#include "tempsettings.h"

#include "messagebox.h"
#include "modini.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int exchangesPerFunction = 200;

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

struct Figures
{
    std::vector<double> sendToOutcomeMs;
    double processCpuMsPerExchange = 0;
    double guiThreadCpuMsPerExchange = 0;
    int answersShown = 0;
};

/*! Runs exchanges one after the other: prepare sets the lists and message for exchange i, then
 * Send is clicked. The click returns once the outcome is shown, so its duration is the time
 * from Send to the outcome; the processor time is counted over the clicks alone. */
Figures run(frmMain &window, const char *send, const std::function<void(int)> &prepare)
{
    auto *button = control<QPushButton>(window, send);
    auto *shown = control<QLabel>(window, "lblRxData");
    Figures figures;
    qint64 processCpu = 0;
    qint64 threadCpu = 0;
    for (int i = 0; i < exchangesPerFunction; ++i) {
        prepare(i);
        // Whatever the preparation left to repaint is not the exchange's work.
        QCoreApplication::processEvents();
        const qint64 processStart = cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID);
        const qint64 threadStart = cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID);
        QElapsedTimer clock;
        clock.start();
        button->click();
        figures.sendToOutcomeMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        threadCpu += cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID) - threadStart;
        processCpu += cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
        // An answer is shown as hex groups; the three outcome texts are words.
        if (shown->text().endsWith(QLatin1Char(' ')))
            ++figures.answersShown;
    }
    figures.processCpuMsPerExchange = double(processCpu) / 1e6 / exchangesPerFunction;
    figures.guiThreadCpuMsPerExchange = double(threadCpu) / 1e6 / exchangesPerFunction;
    return figures;
}

void report(const char *function, int waitMs, Figures figures)
{
    std::vector<double> &times = figures.sendToOutcomeMs;
    std::sort(times.begin(), times.end());
    const double median = (times[times.size() / 2] + times[(times.size() - 1) / 2]) / 2;
    const double worst = times.back();
    std::printf("function %s: %d exchanges, %d answers shown\n", function, int(times.size()),
                figures.answersShown);
    std::printf("  Send to outcome: median %.2f ms, worst %.2f ms (wait %d ms; over it: median "
                "%.2f ms, worst %.2f ms; target under 5 ms)\n",
                median, worst, waitMs, median - waitMs, worst - waitMs);
    std::printf("  processor time per exchange: process %.3f ms, GUI thread %.3f ms (target "
                "under 1 ms)\n",
                figures.processCpuMsPerExchange, figures.guiThreadCpuMsPerExchange);
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

    auto *registers = control<QComboBox>(window, "cboAddr06");
    auto *low = control<QComboBox>(window, "cboDataL06");
    const Figures f06 = run(window, "cmdSend06", [&](int i) {
        registers->setCurrentIndex(i % registers->count());
        low->setCurrentIndex(i % low->count());
    });

    auto *message = control<QLineEdit>(window, "txtMessage");
    const Figures f16 = run(window, "cmdSend16", [&](int i) {
        message->setText(QStringLiteral("PravixApp %1").arg(i, 4, 10, QLatin1Char('0')));
    });

    std::printf(
        "bench_exchange: %d exchanges each through the main window, libmodbus slave on %s\n",
        exchangesPerFunction, qPrintable(line.devicePath()));
    report("06", 60, f06);
    report("16", 100, f16);
    const int requests = static_cast<int>(slave.requests().size());
    std::printf("requests received by the slave: %d of %d\n", requests, 2 * exchangesPerFunction);
    window.close();
    return requests == 2 * exchangesPerFunction ? 0 : 1;
}
