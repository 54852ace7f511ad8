// soak_exchange [COUNT]: COUNT exchanges (10,000 unless given) through the real main window
// against the simulated display, in blocks that each restart the simulator with one way of
// (mis)behaving. Prints the outcomes counted per behaviour, exchanges per second and the
// program's resident memory after the warm-up and at the end. Exits with 1 when an exchange
// ended in any outcome other than the one its behaviour implies or memory grew by 1 MB or more,
// with 3 when an exchange hung. Not a test: scripts/soak builds and runs it.

#include "mainwindowharness.h"
#include "tempsettings.h"

#include "commerror.h"
#include "crc16.h"
#include "modini.h"
#include "trafficmodel.h"
#include "trafficrecorder.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

namespace {

constexpr int defaultExchanges = 10000;
constexpr int longestBlock = 100;
constexpr int warmUpPerBehaviour = 6;
constexpr int answerLength = 8;
constexpr int truncatedLength = 5;
constexpr int patienceMs = 2000;
constexpr qint64 growthTargetKb = 1024;
constexpr int hangSeconds = 60;

enum Outcome { Shown, NoResponse, IncompleteFrame, CrcError, PortError, Other, OutcomeCount };

const std::array<const char *, OutcomeCount> outcomeNames = {
    "answer shown", "No Response", "Incomplete", "CRC Err", "port error", "other"};

//! One way the simulated display behaves for a block, and what every exchange must then show.
struct Behaviour
{
    const char *name;
    QStringList simOptions;
    Outcome expected;
    //! Bytes to hold the wait for, so that a busy machine cannot make a prompt answer late.
    int holdForBytes;
    //! The answer arrives after the wait; it is waited for and read away before the next Send.
    bool answersLate;
};

const std::array<Behaviour, 5> behaviours = {{
    {"normal", {}, Shown, answerLength, false},
    {"--silent", {"--silent"}, NoResponse, 0, false},
    {"--bad-crc", {"--bad-crc"}, CrcError, answerLength, false},
    {"--truncate 5", {"--truncate", "5"}, IncompleteFrame, truncatedLength, false},
    // Holding would wait out the delay and turn the late answer into a shown one.
    {"--delay 300", {"--delay", "300"}, NoResponse, 0, true},
}};

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    // The file reports no size, so it is read to its end rather than up to its size.
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void pause(int ms)
{
    QCoreApplication::processEvents();
    QThread::msleep(static_cast<unsigned long>(ms));
}

/*! \brief The simulator process on a fixed link path: every start makes a new pseudo-terminal
 * behind the same path, as a display that is switched off and on again. */
class SimulatedDisplay
{
public:
    explicit SimulatedDisplay(QString linkPath) : m_link(std::move(linkPath)) {}
    ~SimulatedDisplay() { stop(); }

    QString link() const { return m_link; }

    bool start(const QStringList &options)
    {
        stop();
        m_process = std::make_unique<QProcess>();
        // Its frame log is not read: buffered here it would count as this program's memory.
        m_process->setStandardOutputFile(QProcess::nullDevice());
        m_process->setStandardErrorFile(QProcess::nullDevice());
        m_process->start(
            QStringLiteral(SIM_EXECUTABLE),
            QStringList{QStringLiteral("--no-window"), QStringLiteral("--link"), m_link} + options);
        if (!m_process->waitForStarted(5000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(m_link) && clock.elapsed() < 5000)
            pause(5);
        return QFile::exists(m_link);
    }

    void stop()
    {
        if (!m_process)
            return;
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
        m_process.reset();
    }

private:
    QString m_link;
    std::unique_ptr<QProcess> m_process;
};

//! Ends the run when exchanges stop coming: a hung wait would otherwise go unnoticed for ever.
class Watchdog
{
public:
    Watchdog()
        : m_thread([this] {
              while (!m_stop) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(200));
                  if (++m_quietTicks > hangSeconds * 5) {
                      std::fprintf(stderr, "soak_exchange: no progress for %d s: hang\n",
                                   hangSeconds);
                      std::_Exit(3);
                  }
              }
          })
    {
    }
    ~Watchdog()
    {
        m_stop = true;
        m_thread.join();
    }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

    void progress() { m_quietTicks = 0; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_quietTicks{0};
    std::thread m_thread;
};

//! The main window, connected to the simulated display, sending one request after the other.
class Soak
{
public:
    Soak(SimulatedDisplay &display, Watchdog &watchdog) : m_display(display), m_watchdog(watchdog)
    {
        m_window.show();
        QCoreApplication::processEvents();
    }

    /*! Fills the traffic history to its capacity with records shaped like the soak's own, so
     * that memory measured from here on shows growth the history's cap does not bound. Like an
     * exchange's, each record owns its bytes: records sharing one array would make every real
     * record that pushes one out look like growth, until the whole history had been replaced. */
    void fillHistory()
    {
        const std::array<QByteArray, 3> requests = {
            QByteArray::fromHex("010500000000CDCA"), QByteArray::fromHex("01060000000089CA"),
            QByteArray::fromHex("011000000005" "0A" "50524156495820534F414B" "0000")};
        TrafficModel &model = *m_window.recorder().model();
        TrafficRecord record;
        record.window = TrafficRecord::mainWindow;
        record.device = m_window.serialPort().devicePath();
        record.settings = m_window.serialPort().settings();
        record.outcome = TrafficOutcome::Answer;
        record.firstByteMs = 12.3;
        record.lastByteMs = 19.4;
        record.waitMs = 60.2;
        for (int i = model.rowCount(); i < model.capacity(); ++i) {
            const QByteArray &request = requests[size_t(i) % requests.size()];
            record.time = QDateTime::currentDateTime();
            record.sent = QByteArray(request.constData(), request.size());
            record.received = QByteArray(request.constData(), answerLength);
            model.append(record);
        }
    }

    //! Restarts the display with the behaviour's options and reconnects, as a user would.
    bool switchTo(const Behaviour &behaviour)
    {
        if (m_connect->text() == QLatin1String("Disconnect"))
            userClicks(m_connect);
        if (!m_display.start(behaviour.simOptions))
            return false;
        userClicks(m_connect);
        return m_connect->text() == QLatin1String("Disconnect") && m_window.serialPort().portOpen();
    }

    //! Sends request number i and returns its outcome; *what tells what was sent and shown.
    Outcome exchange(int i, const Behaviour &behaviour, QString *what)
    {
        const char *send = prepare(i);
        if (behaviour.holdForBytes > 0)
            awaitAnswerDuringNextWait(m_window, behaviour.holdForBytes);
        const qsizetype messagesBefore = m_messages.texts.size();
        userSends(m_window, send);
        QCoreApplication::processEvents();
        m_watchdog.progress();

        const QString tx = m_txData->text();
        const QString rx = m_rxData->text();
        Outcome outcome = classify(tx, rx);
        if (m_messages.texts.size() > messagesBefore)
            outcome = PortError;
        *what = QStringLiteral("sent %1, shown \"%2\"").arg(tx.trimmed(), rx);
        if (m_messages.texts.size() > messagesBefore)
            *what += QStringLiteral(", message box \"%1\"").arg(m_messages.texts.last());
        if (!readAwayLeftovers(behaviour, outcome, what) && outcome == behaviour.expected)
            outcome = Other;
        return outcome;
    }

    //! Late answers that arrived whole and were read away; counting starts again from zero.
    int takeLateAnswers() { return std::exchange(m_lateAnswers, 0); }

private:
    //! The name of the Send button to press.
    const char *prepare(int i)
    {
        switch (i % 3) {
        case 0:
            userChooses(m_addr05, i / 3 % 2);
            userChooses(m_data05, i / 6 % 2);
            return "cmdSend05";
        case 1:
            userChooses(m_addr06, i % m_addr06->count());
            userChooses(m_dataH06, i / 7 % m_dataH06->count());
            userChooses(m_dataL06, i % m_dataL06->count());
            return "cmdSend06";
        default:
            // Ten characters fill five screen registers; any start up to 11 keeps them on screen.
            userChooses(m_addr16, i % 12);
            m_message->setText(QStringLiteral("Soak %1").arg(i % 100000, 5, 10, QLatin1Char('0')));
            return "cmdSend16";
        }
    }

    //! The display echoes 05 and 06; for 16 it repeats slave, function, start and count.
    static Outcome classify(const QString &tx, const QString &rx)
    {
        if (rx == QLatin1String("No Response from LCD"))
            return NoResponse;
        if (rx == QLatin1String("Incomplete Frame"))
            return IncompleteFrame;
        if (rx == QLatin1String("CRC Err"))
            return CrcError;
        constexpr int groupWidth = 3;
        const bool writesMany = tx.mid(groupWidth, 2) == QLatin1String("10");
        const int repeated = writesMany ? 6 * groupWidth : answerLength * groupWidth;
        if (rx.size() == answerLength * groupWidth && rx.left(repeated) == tx.left(repeated))
            return Shown;
        return Other;
    }

    /*! Each exchange starts with nothing waiting, so that the behaviour alone decides its
     * outcome: an incomplete frame stays in the receive buffer, a late answer arrives after the
     * wait. Both are read away here. False when a late answer did not come whole. */
    bool readAwayLeftovers(const Behaviour &behaviour, Outcome outcome, QString *what)
    {
        MSComm &port = m_window.serialPort();
        try {
            if (behaviour.answersLate && outcome == NoResponse) {
                QElapsedTimer clock;
                clock.start();
                while (port.inBufferCount() < answerLength && clock.elapsed() < patienceMs)
                    pause(5);
                const QByteArray late = port.input();
                const auto *bytes = reinterpret_cast<const quint8 *>(late.constData());
                const bool whole = late.size() == answerLength &&
                                   modbuscrc::crc16(bytes, answerLength - 2) ==
                                       (bytes[answerLength - 2] | bytes[answerLength - 1] << 8);
                if (!whole) {
                    *what += QStringLiteral(", late answer \"%1\"")
                                 .arg(QString::fromLatin1(late.toHex(' ').toUpper()));
                    return false;
                }
                ++m_lateAnswers;
            } else if (outcome == IncompleteFrame) {
                port.input();
            }
        } catch (const CommError &error) {
            *what += QStringLiteral(", reading leftovers failed: ") + error.message();
            return false;
        }
        return true;
    }

    SimulatedDisplay &m_display;
    Watchdog &m_watchdog;
    MessageCatcher m_messages;
    frmMain m_window;
    QPushButton *m_connect = control<QPushButton>(m_window, "cmdConnect");
    QComboBox *m_addr05 = control<QComboBox>(m_window, "cboAddr05");
    QComboBox *m_data05 = control<QComboBox>(m_window, "cboData05");
    QComboBox *m_addr06 = control<QComboBox>(m_window, "cboAddr06");
    QComboBox *m_dataH06 = control<QComboBox>(m_window, "cboDataH06");
    QComboBox *m_dataL06 = control<QComboBox>(m_window, "cboDataL06");
    QComboBox *m_addr16 = control<QComboBox>(m_window, "cboAddr16");
    QLineEdit *m_message = control<QLineEdit>(m_window, "txtMessage");
    QLabel *m_txData = control<QLabel>(m_window, "lblTxData");
    QLabel *m_rxData = control<QLabel>(m_window, "lblRxData");
    int m_lateAnswers = 0;
};

struct Tally
{
    std::array<std::array<int, OutcomeCount>, behaviours.size()> counts{};
    std::array<int, behaviours.size()> unexpected{};
    QStringList firstUnexpected;
};

constexpr int unexpectedListed = 20;

/*! Runs count exchanges in blocks of blockSize, the behaviours in turn, starting at exchange
 * number first; false when the display could not be started or connected. */
bool runBlocks(Soak &soak, int first, int count, int blockSize, Tally *tally,
               const std::function<void(int)> &afterBlock)
{
    for (int done = 0, block = 0; done < count; ++block) {
        const size_t b = static_cast<size_t>(block) % behaviours.size();
        const Behaviour &behaviour = behaviours[b];
        if (!soak.switchTo(behaviour)) {
            std::fprintf(stderr,
                         "soak_exchange: the window could not connect to the simulator "
                         "started with %s\n",
                         behaviour.name);
            return false;
        }
        const int size = qMin(blockSize, count - done);
        for (int k = 0; k < size; ++k, ++done) {
            const int i = first + done;
            QString what;
            const Outcome outcome = soak.exchange(i, behaviour, &what);
            ++tally->counts[b][outcome];
            if (outcome != behaviour.expected) {
                ++tally->unexpected[b];
                if (tally->firstUnexpected.size() < unexpectedListed)
                    tally->firstUnexpected
                        << QStringLiteral("exchange %1 (%2): %3 expected, %4")
                               .arg(i)
                               .arg(QLatin1String(behaviour.name),
                                    QLatin1String(outcomeNames[behaviour.expected]), what);
            }
        }
        afterBlock(done);
    }
    return true;
}

void printTally(const Tally &tally)
{
    std::printf("\noutcomes per simulator option:\n  %-14s", "option");
    for (const char *name : outcomeNames)
        std::printf(" %13s", name);
    std::printf(" %13s\n", "unexpected");
    for (size_t b = 0; b < behaviours.size(); ++b) {
        std::printf("  %-14s", behaviours[b].name);
        for (const int count : tally.counts[b])
            std::printf(" %13d", count);
        std::printf(" %13d\n", tally.unexpected[b]);
    }
}

int exchangesAsked(int argc, char *argv[])
{
    if (argc < 2)
        return defaultExchanges;
    bool ok = false;
    const int count = QString::fromLocal8Bit(argv[1]).toInt(&ok);
    return ok && count > 0 && argc == 2 ? count : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    const int count = exchangesAsked(argc, argv);
    if (count < 0) {
        std::fprintf(stderr, "usage: %s [EXCHANGES]   (a positive number, %d by default)\n",
                     argv[0], defaultExchanges);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    TempSettings settings;
    SimulatedDisplay display(dir.filePath(QStringLiteral("lcd")));
    modINI::WriteIni(QStringLiteral("Ports"), QStringLiteral("1"), display.link());
    Watchdog watchdog;
    Soak soak(display, watchdog);

    // Small runs still meet every behaviour at least twice.
    const int blockSize = qBound(1, count / (2 * int(behaviours.size())), longestBlock);
    const int warmUp = warmUpPerBehaviour * int(behaviours.size());
    std::printf("soak_exchange: %d exchanges through the main window against pravix-lcd-sim, "
                "blocks of %d, functions 05, 06 and 16 in turn\n",
                count, blockSize);

    Tally warmUpTally;
    if (!runBlocks(soak, 0, warmUp, warmUpPerBehaviour, &warmUpTally, [](int) {}))
        return 1;
    soak.takeLateAnswers();
    soak.fillHistory();
    const qint64 startKb = residentKb();
    std::printf("warm-up: %d exchanges, traffic history full; resident memory %lld kB\n", warmUp,
                startKb);
    std::fflush(stdout);

    Tally tally;
    QElapsedTimer clock;
    clock.start();
    const int reportEvery = qMax(count / 10, 1);
    int nextReport = reportEvery;
    const bool finished = runBlocks(soak, warmUp, count, blockSize, &tally, [&](int done) {
        if (done < nextReport && done < count)
            return;
        nextReport = (done / reportEvery + 1) * reportEvery;
        std::printf("  %6d exchanges, %7.1f s, resident memory %lld kB\n", done,
                    double(clock.elapsed()) / 1000, residentKb());
        std::fflush(stdout);
    });
    const double seconds = double(clock.elapsed()) / 1000;
    display.stop();
    QCoreApplication::processEvents();
    const qint64 endKb = residentKb();
    if (!finished)
        return 1;

    printTally(tally);
    int unexpected = 0;
    for (const int n : tally.unexpected)
        unexpected += n;
    std::printf("late answers that arrived whole after the wait and were read away: %d\n",
                soak.takeLateAnswers());
    std::printf("exchanges per second: %.2f (%d in %.1f s, simulator restarts and waits for late "
                "answers included)\n",
                count / seconds, count, seconds);
    const qint64 growthKb = endKb - startKb;
    const bool memoryKnown = startKb >= 0 && endKb >= 0;
    const bool memoryMet = memoryKnown && growthKb < growthTargetKb;
    if (memoryKnown)
        std::printf("resident memory: %lld kB after warm-up, %lld kB at the end, growth %lld kB "
                    "(target under %lld kB): %s\n",
                    startKb, endKb, growthKb, growthTargetKb, memoryMet ? "met" : "MISSED");
    else
        std::printf("resident memory: unknown, /proc/self/status has no VmRSS\n");
    std::printf("outcomes other than the option implies: %d\n", unexpected);
    for (const QString &line : tally.firstUnexpected)
        std::printf("  %s\n", qPrintable(line));
    return unexpected == 0 && memoryMet ? 0 : 1;
}
