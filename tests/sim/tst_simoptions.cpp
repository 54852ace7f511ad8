#include "simoptions.h"
#include "trafficcsv.h"

#include <QCommandLineParser>
#include <QTemporaryDir>
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

} // namespace

// The simulator's command line: every option reaches its setting, bad values are refused.
class TestSimOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        const QByteArray header = trafficcsv::header().toUtf8() + "\r\n";
        const QByteArray line =
            "2026-12-07T18:04:22.307,pravixctl,/dev/pts/3,9600,01 06 00 01 00 03 "
            "98 0B,,no response,,,60.0\r\n";
        for (const auto &[name, contents] :
             {std::pair{"log.csv", header + line},
              std::pair{"broken.csv", header + QByteArray(line).replace("no response", "none")}}) {
            QFile file(m_dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        QString error;
        const auto replay = parse({"--replay", m_dir.filePath("log.csv")}, &error);
        QVERIFY2(replay, qPrintable(error));
        QCOMPARE(replay->replay->exchanges(), 1);
    }

    void defaults()
    {
        QString error;
        const auto options = parse({}, &error);
        QVERIFY2(options, qPrintable(error));
        QCOMPARE(options->slaveId, 1);
        QVERIFY(options->portName.isEmpty());
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
                   "0",           "--echo",    "--noise",    "0.25",     "--seed",   "4294967295",
                   "--split",     "40"},
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
        QCOMPARE(options->misbehaviour.splitMs, 40);

        const auto onPort =
            parse({"--format", "8N2", "--port", "COM11", "--baud", "38400"}, &error);
        QVERIFY2(onPort, qPrintable(error));
        QCOMPARE(onPort->portName, QStringLiteral("COM11"));
        QCOMPARE(onPort->line.text(), QStringLiteral("38400 8N2"));
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
        QTest::newRow("empty port") << QStringList{"--port", ""} << QStringLiteral("--port");
        QTest::newRow("a link to a serial port")
            << QStringList{"--port", "COM11", "--link", "/tmp/lcd"} << QStringLiteral("--link");
        QTest::newRow("stray argument") << QStringList{"extra"} << QStringLiteral("extra");
        QTest::newRow("unknown option") << QStringList{"--fast"} << QStringLiteral("fast");
        QTest::newRow("baud rate no port offers")
            << QStringList{"--baud", "10000"} << QStringLiteral("--baud");
        QTest::newRow("format with three stop bits")
            << QStringList{"--format", "8N3"} << QStringLiteral("--format");
        QTest::newRow("noise above 1")
            << QStringList{"--noise", "1.5"} << QStringLiteral("--noise");
        QTest::newRow("negative seed") << QStringList{"--seed", "-1"} << QStringLiteral("--seed");
        QTest::newRow("negative split")
            << QStringList{"--split", "-1"} << QStringLiteral("--split");
        QTest::newRow("replay of no file")
            << QStringList{"--replay", m_dir.filePath("none.csv")} << QStringLiteral("--replay: ");
        const QString broken = m_dir.filePath("broken.csv");
        QTest::newRow("replay of a broken file")
            << QStringList{"--replay", broken}
            << QStringLiteral("--replay: %1 line 2, field outcome: ")
                   .arg(QDir::toNativeSeparators(broken));
        QTest::newRow("replay with a fault on top")
            << QStringList{"--replay", m_dir.filePath("log.csv"), "--echo"}
            << QStringLiteral("--replay answers as the log recorded");
    }

    void refusesBadValues()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, complaint);
        QString error;
        QVERIFY(!parse(arguments, &error));
        QVERIFY2(error.contains(complaint), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_simoptions.moc"
