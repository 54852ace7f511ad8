#include "simoptions.h"

#include <QCommandLineParser>
#include <QtTest>

#include <optional>

namespace {

std::optional<lcdsim::SimOptions> parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    lcdsim::addOptions(parser);
    if (!parser.parse(QStringList{QStringLiteral("pravix-lcd-sim")} + arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    return lcdsim::readOptions(parser, error);
}

//! Sets or clears an environment variable for its lifetime, then puts the old value back.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentOverride()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

// The simulator's command line: every option reaches its setting, bad values are refused.
class TestSimOptions : public QObject
{
    Q_OBJECT

private slots:
    void defaults()
    {
        QString error;
        const auto options = parse({}, &error);
        QVERIFY2(options, qPrintable(error));
        QCOMPARE(options->slaveId, 1);
        QVERIFY(options->linkPath.isEmpty());
        QCOMPARE(options->silenceGapMs, 0);
        QVERIFY(!options->misbehaviour.silent);
        QVERIFY(!options->misbehaviour.badCrc);
        QCOMPARE(options->misbehaviour.delayMs, 0);
        QVERIFY(options->misbehaviour.truncateTo < 0);
        QCOMPARE(options->line.text(), QStringLiteral("9600 8N1"));
        QCOMPARE(options->turnaroundMs, 3);
        QVERIFY(!options->misbehaviour.echo);
        QCOMPARE(options->misbehaviour.noise, 0.0);
    }

    void everyOptionArrives()
    {
        QString error;
        const auto options =
            parse({"--id",        "247",       "--link",     "/tmp/lcd", "--silent", "--delay",
                   "120",         "--bad-crc", "--truncate", "0",        "--gap",    "15",
                   "--no-window", "--baud",    "19200",      "--format", "8e1",      "--turnaround",
                   "0",           "--echo",    "--noise",    "0.25",     "--seed",   "4294967295"},
                  &error);
        QVERIFY2(options, qPrintable(error));
        QCOMPARE(options->slaveId, 247);
        QCOMPARE(options->linkPath, QStringLiteral("/tmp/lcd"));
        QVERIFY(options->misbehaviour.silent);
        QCOMPARE(options->misbehaviour.delayMs, 120);
        QVERIFY(options->misbehaviour.badCrc);
        QCOMPARE(options->misbehaviour.truncateTo, 0);
        QCOMPARE(options->silenceGapMs, 15);
        QCOMPARE(options->line.text(), QStringLiteral("19200 8E1"));
        QCOMPARE(options->turnaroundMs, 0);
        QVERIFY(options->misbehaviour.echo);
        QCOMPARE(options->misbehaviour.noise, 0.25);
        QCOMPARE(options->misbehaviour.noiseSeed, 4294967295u);
    }

    void refusesBadValues_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("complaint");

        QTest::newRow("id 0") << QStringList{"--id", "0"} << QStringLiteral("--id");
        QTest::newRow("id 248") << QStringList{"--id", "248"} << QStringLiteral("--id");
        QTest::newRow("id not a number") << QStringList{"--id", "seven"} << QStringLiteral("--id");
        QTest::newRow("negative delay")
            << QStringList{"--delay", "-5"} << QStringLiteral("--delay");
        QTest::newRow("negative truncate")
            << QStringList{"--truncate", "-1"} << QStringLiteral("--truncate");
        QTest::newRow("gap 0") << QStringList{"--gap", "0"} << QStringLiteral("--gap");
        QTest::newRow("empty link") << QStringList{"--link", ""} << QStringLiteral("--link");
        QTest::newRow("stray argument") << QStringList{"extra"} << QStringLiteral("extra");
        QTest::newRow("unknown option") << QStringList{"--fast"} << QStringLiteral("fast");
        QTest::newRow("baud rate no port offers")
            << QStringList{"--baud", "10000"} << QStringLiteral("--baud");
        QTest::newRow("format with three stop bits")
            << QStringList{"--format", "8N3"} << QStringLiteral("--format");
        QTest::newRow("noise above 1")
            << QStringList{"--noise", "1.5"} << QStringLiteral("--noise");
        QTest::newRow("negative seed") << QStringList{"--seed", "-1"} << QStringLiteral("--seed");
    }

    void refusesBadValues()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, complaint);
        QString error;
        QVERIFY(!parse(arguments, &error));
        QVERIFY2(error.contains(complaint), qPrintable(error));
    }

    void consoleOnlyWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("platform");
        QTest::addColumn<bool>("console");

        const QByteArray unset;
        const QStringList plain{"pravix-lcd-sim"};
        const QStringList noWindow{"pravix-lcd-sim", "--no-window"};
        QTest::newRow("X display") << plain << QByteArray(":0") << unset << unset << false;
        QTest::newRow("Wayland display")
            << plain << unset << QByteArray("wayland-0") << unset << false;
        QTest::newRow("platform chosen")
            << plain << unset << unset << QByteArray("offscreen") << false;
        QTest::newRow("no display at all") << plain << unset << unset << unset << true;
        QTest::newRow("asked for") << noWindow << QByteArray(":0") << unset << unset << true;
    }

    void consoleOnlyWithoutADisplay()
    {
#if !defined(Q_OS_UNIX) || defined(Q_OS_DARWIN)
        QSKIP("Only X11 and Wayland systems choose by their display variables.");
#endif
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, platform);
        QFETCH(bool, console);
        const EnvironmentOverride x("DISPLAY", display);
        const EnvironmentOverride w("WAYLAND_DISPLAY", wayland);
        const EnvironmentOverride p("QT_QPA_PLATFORM", platform);
        QCOMPARE(lcdsim::consoleOnly(arguments), console);
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_simoptions.moc"
