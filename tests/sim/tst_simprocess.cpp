#include <QDir>
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

    bool write(const QByteArray &bytes)
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    //! What arrives, until count bytes are there or nothing came for the time-out.
    QByteArray read(int count)
    {
        QByteArray received;
        while (received.size() < count) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, waitMs) <= 0)
                break;
            char chunk[64];
            const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
            if (n <= 0)
                break;
            received.append(chunk, int(n));
        }
        return received;
    }

private:
    int m_fd;
};

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

    void refusesABadCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("complaint");

        QTest::newRow("slave 0") << QStringList{"--no-window", "--id", "0"}
                                 << QStringLiteral("--id");
        QTest::newRow("unknown option")
            << QStringList{"--no-window", "--fast"} << QStringLiteral("fast");
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
