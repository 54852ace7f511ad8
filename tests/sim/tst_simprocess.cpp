#include "configimages.h"
#include "ptypair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

constexpr int waitMs = 10000;

QByteArray hiRequest()
{
    return hex("01 10 00 00 00 01 02 48 69 50 7E");
}

//! A master's end of the simulator's line, opened like a serial port.
class Line
{
public:
    explicit Line(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        if (m_fd < 0)
            return;
        termios raw{};
        tcgetattr(m_fd, &raw);
        cfmakeraw(&raw);
        tcsetattr(m_fd, TCSANOW, &raw);
    }
    ~Line()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Line(const Line &) = delete;
    Line &operator=(const Line &) = delete;

    bool isOpen() const { return m_fd >= 0; }

    //! Sets the line as a master's serial port would; Linux keeps no parity on a terminal.
    bool setLine(int baud, int stopBits)
    {
        const speed_t speed = baud == 1200 ? B1200 : baud == 19200 ? B19200 : B9600;
        termios settings{};
        tcgetattr(m_fd, &settings);
        cfsetispeed(&settings, speed);
        cfsetospeed(&settings, speed);
        if (stopBits == 2)
            settings.c_cflag |= CSTOPB;
        else
            settings.c_cflag &= ~tcflag_t(CSTOPB);
        return tcsetattr(m_fd, TCSANOW, &settings) == 0;
    }

    bool write(const QByteArray &bytes)
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    /*! What arrives, until count bytes are there or nothing came for patienceMs; with clock,
     * *arrivals gets the clock's reading in nanoseconds as each byte came in. */
    QByteArray read(int count, int patienceMs = waitMs, const QElapsedTimer *clock = nullptr,
                    QList<qint64> *arrivals = nullptr)
    {
        QByteArray received;
        while (received.size() < count) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, patienceMs) <= 0)
                break;
            char chunk[64];
            const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
            if (n <= 0)
                break;
            received.append(chunk, int(n));
            for (ssize_t i = 0; clock && i < n; ++i)
                arrivals->append(clock->nsecsElapsed());
        }
        return received;
    }

private:
    int m_fd;
};

// Long enough for any answer to be on its way; a request not understood gets none.
constexpr int silenceMs = 300;

const QByteArray coilOn = hex("01 05 00 00 FF 00 8C 3A");
const QByteArray toSeven = hex("07 06 00 02 41 42 98 0D");

/*! The simulator with these options, console only, as a child process; its device path, or an
 * empty string when it did not start. */
QString startSimulator(QProcess &sim, const QStringList &options)
{
    sim.start(QStringLiteral(SIM_EXECUTABLE), QStringList{QStringLiteral("--no-window")} + options);
    if (!sim.waitForStarted(waitMs) || !sim.waitForReadyRead(waitMs))
        return {};
    const QString firstLine = QString::fromLocal8Bit(sim.readLine()).trimmed();
    return firstLine.startsWith(QStringLiteral("device: ")) ? firstLine.mid(8) : QString();
}

/*! Whether the line a pseudo-terminal carries is at baud with stopBits; Linux keeps one set of
 * settings for both of its sides. */
bool lineIs(int fd, speed_t baud, int stopBits)
{
    termios settings{};
    return tcgetattr(fd, &settings) == 0 && cfgetospeed(&settings) == baud &&
           bool(settings.c_cflag & CSTOPB) == (stopBits == 2);
}

QString stopAndReadLog(QProcess &sim)
{
    sim.terminate();
    sim.waitForFinished(waitMs);
    return QString::fromLocal8Bit(sim.readAllStandardOutput());
}

/*! True when bytes differ from clean in exactly one bit each. */
bool oneBitOffEach(const QByteArray &bytes, const QByteArray &clean)
{
    if (bytes.size() != clean.size())
        return false;
    for (int i = 0; i < bytes.size(); ++i) {
        const auto diff = quint8(bytes.at(i) ^ clean.at(i));
        if (diff == 0 || (diff & (diff - 1)) != 0)
            return false;
    }
    return true;
}

} // namespace

// The simulator as a user runs it: its own process, its device named on the first line.
class TestSimProcess : public QObject
{
    Q_OBJECT

private slots:
    void servesAMasterAndStopsCleanly()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString link = dir.filePath(QStringLiteral("lcd"));
        QProcess sim;
        sim.start(QStringLiteral(SIM_EXECUTABLE),
                  {QStringLiteral("--no-window"), QStringLiteral("--id"), QStringLiteral("2"),
                   QStringLiteral("--link"), link});
        QVERIFY(sim.waitForStarted(waitMs));
        QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), waitMs);
        const QString firstLine = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(firstLine.startsWith(QStringLiteral("device: /dev/")), qPrintable(firstLine));
        const QString device = firstLine.mid(int(qstrlen("device: ")));
        QCOMPARE(QFileInfo(link).symLinkTarget(), device);

        {
            Line line(link);
            QVERIFY(line.isOpen());
            QVERIFY(line.write(hex("02 10 00 03 00 01 02 48 69 44 BD")));
            QCOMPARE(line.read(8), hex("02 10 00 03 00 01 F1 FA"));
        }
        {
            // A master that closes and opens the port again finds the line still served.
            Line line(device);
            QVERIFY(line.isOpen());
            QVERIFY(line.write(hex("02 05 00 01 FF 00 DD C9")));
            QCOMPARE(line.read(8), hex("02 05 00 01 FF 00 DD C9"));
        }

        sim.terminate();
        QVERIFY(sim.waitForFinished(waitMs));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        const QString log = QString::fromLocal8Bit(sim.readAllStandardOutput());
        QVERIFY2(log.contains(QStringLiteral("write 1 register(s) at 3: \"Hi\"")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("TX 02 10 00 03 00 01 F1 FA")), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("write coil 1 ON")), qPrintable(log));
    }

    void answersOnlyAtTheLineItListensAt_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<QString>("refusal");

        QTest::newRow("default, same line") << QStringList{} << 9600 << 1 << QString();
        QTest::newRow("default, other speed")
            << QStringList{} << 19200 << 1
            << QStringLiteral("line 19200 8N1, display listens at 9600 8N1: not understood");
        QTest::newRow("default, two stop bits")
            << QStringList{} << 9600 << 2
            << QStringLiteral("line 9600 8N2, display listens at 9600 8N1: not understood");
    }

    void answersOnlyAtTheLineItListensAt()
    {
        QFETCH(QStringList, options);
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        QFETCH(QString, refusal);
        QProcess sim;
        const QString device = startSimulator(sim, options);
        QVERIFY(!device.isEmpty());
        Line line(device);
        QVERIFY(line.isOpen() && line.setLine(baud, stopBits));
        QVERIFY(line.write(coilOn));
        QCOMPARE(line.read(8, silenceMs), refusal.isEmpty() ? coilOn : QByteArray());
        const QString log = stopAndReadLog(sim);
        if (!refusal.isEmpty())
            QVERIFY2(log.contains(QStringLiteral("RX 01 05 00 00 FF 00 8C 3A  ") + refusal),
                     qPrintable(log));
    }

    void aConfigurationImageMovesTheLine()
    {
        QProcess sim;
        const QString device = startSimulator(sim, {});
        QVERIFY(!device.isEmpty());
        Line line(device);
        QVERIFY(line.isOpen());
        QByteArray log;
        const auto logged = [&sim, &log](const char *text) {
            log += sim.readAllStandardOutput();
            return log.contains(text);
        };
        // The image sets ID 7 at 19200 8N2.
        QVERIFY(line.write(helloImage()));
        QTRY_VERIFY_WITH_TIMEOUT(logged("now listening at 19200 8N2"), waitMs);

        QVERIFY(line.setLine(19200, 2));
        QVERIFY(line.write(toSeven));
        QCOMPARE(line.read(8), toSeven);
        QVERIFY(line.setLine(9600, 1));
        QVERIFY(line.write(toSeven));
        QCOMPARE(line.read(8, silenceMs), QByteArray());

        // An image is taken at 9600 8N1 whatever the display listens at; not at its new line.
        QVERIFY(line.setLine(19200, 2));
        QVERIFY(line.write(defaultImage()));
        QTRY_VERIFY_WITH_TIMEOUT(logged("a configuration image is taken at 9600 8N1: not "
                                        "understood"),
                                 waitMs);
        QVERIFY(line.setLine(9600, 1));
        QVERIFY(line.write(defaultImage()));
        QTRY_VERIFY_WITH_TIMEOUT(logged("now listening at 9600 8N1"), waitMs);
        QVERIFY(line.write(coilOn));
        QCOMPARE(line.read(8), coilOn);
        QVERIFY2(log.contains("line 19200 8N2, a configuration image is taken at 9600 8N1"),
                 log.constData());
    }

    void answersNoSoonerThanTheWireAllows_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<qint64>("characterNs");
        QTest::addColumn<qint64>("turnaroundNs");

        QTest::newRow("9600 8N1, turnaround 3 ms")
            << QStringList{} << 9600 << 1 << qint64(1041667) << qint64(3000000);
        QTest::newRow("1200 8N2, delay 40 ms")
            << QStringList{"--baud", "1200", "--format", "8N2", "--delay", "40"} << 1200 << 2
            << qint64(9166667) << qint64(43000000);
        QTest::newRow("19200 8N1, turnaround 20 ms")
            << QStringList{"--baud", "19200", "--turnaround", "20"} << 19200 << 1 << qint64(520833)
            << qint64(20000000);
    }

    void answersNoSoonerThanTheWireAllows()
    {
        QFETCH(QStringList, options);
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        QFETCH(qint64, characterNs);
        QFETCH(qint64, turnaroundNs);
        QProcess sim;
        const QString device = startSimulator(sim, options);
        QVERIFY(!device.isEmpty());
        Line line(device);
        QVERIFY(line.isOpen() && line.setLine(baud, stopBits));
        QElapsedTimer clock;
        QList<qint64> arrivals;
        clock.start();
        QVERIFY(line.write(coilOn));
        QCOMPARE(line.read(8, waitMs, &clock, &arrivals), coilOn);
        // Each byte of the answer has crossed the wire after the request and the turnaround.
        const qint64 answerStartNs = coilOn.size() * characterNs + turnaroundNs;
        for (int i = 0; i < arrivals.size(); ++i)
            QVERIFY2(arrivals[i] >= answerStartNs + (i + 1) * characterNs,
                     qPrintable(QStringLiteral("byte %1 after %2 ns").arg(i).arg(arrivals[i])));
    }

    // The finder's probe: function 16 with no registers, answered only at the display's own
    // address and line. Parity cannot be told apart here: a pseudo-terminal carries none.
    void answersTheProbeAtItsOwnAddressAndLineOnly_data()
    {
        QTest::addColumn<QByteArray>("probe");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<QByteArray>("answer");

        const QByteArray toSeven = hex("07 10 00 00 00 00 00 6F 50");
        QTest::newRow("its address and line")
            << toSeven << 19200 << 2 << hex("07 10 00 00 00 00 C0 6F");
        QTest::newRow("another address")
            << hex("08 10 00 00 00 00 00 90 50") << 19200 << 2 << QByteArray();
        QTest::newRow("another speed") << toSeven << 9600 << 2 << QByteArray();
        QTest::newRow("one stop bit") << toSeven << 19200 << 1 << QByteArray();
    }

    void answersTheProbeAtItsOwnAddressAndLineOnly()
    {
        QFETCH(QByteArray, probe);
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        QFETCH(QByteArray, answer);
        QProcess sim;
        const QString device =
            startSimulator(sim, {"--id", "7", "--baud", "19200", "--format", "8N2"});
        QVERIFY(!device.isEmpty());
        Line line(device);
        QVERIFY(line.isOpen() && line.setLine(baud, stopBits));
        QVERIFY(line.write(probe));
        QCOMPARE(line.read(8, answer.isEmpty() ? silenceMs : waitMs), answer);
    }

    // A pseudo-terminal pair stands in for the null-modem cable of a bench rig: the simulator
    // opens one end as its serial port, the test is the master at the other.
    void playsTheDisplayOnASerialPort()
    {
        PtyPair cable;
        QVERIFY(cable.isValid());
        QProcess sim;
        QCOMPARE(startSimulator(sim, {"--port", cable.devicePath()}), cable.devicePath());
        QVERIFY(lineIs(cable.masterFd(), B9600, 1));
        cable.writeFar(coilOn);
        QCOMPARE(cable.readFar(8), coilOn);

        // The image sets ID 7 at 19200 8N2; the port moves with the display.
        cable.writeFar(helloImage());
        QTRY_VERIFY_WITH_TIMEOUT(lineIs(cable.masterFd(), B19200, 2), waitMs);
        cable.writeFar(toSeven);
        QCOMPARE(cable.readFar(8), toSeven);

        // The adapter is pulled out: one line naming it, a failure status, no hang.
        cable.closeFar();
        QVERIFY(sim.waitForFinished(waitMs));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 1);
        const QStringList errors = QString::fromLocal8Bit(sim.readAllStandardError())
                                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(QStringLiteral("pravix-lcd-sim: ") + cable.devicePath()),
                 qPrintable(errors.first()));
    }

    void echoComesBeforeTheAnswer()
    {
        QProcess sim;
        const QString device = startSimulator(sim, {QStringLiteral("--echo")});
        QVERIFY(!device.isEmpty());
        Line line(device);
        QVERIFY(line.isOpen());
        const QByteArray registerWrite = hex("01 06 00 01 00 03 98 0B");
        QVERIFY(line.write(hiRequest()));
        QCOMPARE(line.read(19), hiRequest() + hex("01 10 00 00 00 01 01 C9"));
        // A request the display does not understand is still echoed by the line.
        QVERIFY(line.setLine(19200, 1));
        QVERIFY(line.write(registerWrite));
        QCOMPARE(line.read(16, silenceMs), registerWrite);
    }

    void noiseFlipsOneBitPerByteHit()
    {
        const QStringList always{"--noise", "1", "--seed", "11"};
        QProcess sim;
        const QString device = startSimulator(sim, always);
        QVERIFY(!device.isEmpty());
        Line line(device);
        QVERIFY(line.isOpen());
        QVERIFY(line.write(coilOn));
        const QByteArray noisy = line.read(8);
        QVERIFY2(oneBitOffEach(noisy, coilOn), noisy.toHex(' ').constData());
        QVERIFY2(stopAndReadLog(sim).contains(QStringLiteral("8 byte(s) hit by noise")),
                 "the log names the noise");

        // The same seed hits the same bits again.
        QProcess again;
        const QString secondDevice = startSimulator(again, always);
        Line secondLine(secondDevice);
        QVERIFY(secondLine.isOpen());
        QVERIFY(secondLine.write(coilOn));
        QCOMPARE(secondLine.read(8), noisy);
    }

    void refusesABadCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("complaint");

        QTest::newRow("slave 0") << QStringList{"--no-window", "--id", "0"}
                                 << QStringLiteral("--id");
        QTest::newRow("unknown option")
            << QStringList{"--no-window", "--fast"} << QStringLiteral("fast");
        QTest::newRow("a port that is not there")
            << QStringList{"--no-window", "--port", "/nonexistent-pravix/ttyUSB1"}
            << QStringLiteral("pravix-lcd-sim: /nonexistent-pravix/ttyUSB1: ");
    }

    void refusesABadCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, complaint);
        QProcess sim;
        sim.start(QStringLiteral(SIM_EXECUTABLE), arguments);
        QVERIFY(sim.waitForFinished(waitMs));
        QVERIFY(sim.exitCode() != 0);
        QVERIFY(sim.readAllStandardOutput().isEmpty());
        const QString errors = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(errors.contains(complaint), qPrintable(errors));
    }

    void tellsItsVersion()
    {
        QProcess sim;
        sim.start(QStringLiteral(SIM_EXECUTABLE), {QStringLiteral("--version")});
        QVERIFY(sim.waitForFinished(waitMs));
        QCOMPARE(sim.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(sim.readAllStandardOutput()).trimmed(),
                 QStringLiteral("pravix-lcd-sim " PRAVIX_VERSION));
    }
};

QTEST_GUILESS_MAIN(TestSimProcess)
#include "tst_simprocess.moc"
