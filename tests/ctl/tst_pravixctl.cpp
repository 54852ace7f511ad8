#include "filesizelimit.h"
#include "modbusslave.h"
#include "porthint.h"
#include "ptypair.h"
#include "simprocess.h"
#include "tempsettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <memory>

#include <signal.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

//! One run of the real executable.
struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run finish(QProcess &process)
{
    Run run;
    if (!process.waitForFinished(10000))
        process.kill();
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void start(QProcess &process, const QStringList &arguments)
{
    process.start(QStringLiteral(PRAVIXCTL_PATH), arguments);
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
}

Run pravixctl(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    QProcess process;
    start(process, arguments);
    process.write(input);
    process.closeWriteChannel();
    return finish(process);
}

// The 110 bytes of the upload with every list at the window's choice at load and no messages.
QByteArray defaultImage()
{
    return QByteArray(96, ' ') + hex("24 C0 01 00 00 00 00 00 00 05 05 EF 11 00");
}

} // namespace

class tst_pravixctl : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void requestsOnTheWire_data();
    void requestsOnTheWire();
    void broadcastAwaitsNoAnswer();
    void answersJudged_data();
    void answersJudged();
    void staleBytesDiscarded();
    void missingDevice();
    void badInputSendsNothing_data();
    void badInputSendsNothing();
    void repeatSummaryAndStatus();
    void stoppedSeriesEndsWithSummary();
    void ctrlCEndsALongWait();
    void jsonLinesAndLog();
    void fullDiskEndsTheLog();
    void diagnosisAgainstTheSimulator_data();
    void diagnosisAgainstTheSimulator();
    void doctorRefusesBrokenFiles_data();
    void doctorRefusesBrokenFiles();
    void configureImages_data();
    void configureImages();
    void defaultProfileGivesDefaultImage();
    void lineFromSettingsFile();
    void portsOnThisMachine();
    void scanFindsTheDisplay();
    void scanStopsAtCtrlC();

private:
    QStringList onPty(QStringList arguments) const;

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<TempSettings> m_settings;
};

void tst_pravixctl::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    m_settings = std::make_unique<TempSettings>();
}

void tst_pravixctl::cleanup()
{
    m_settings.reset();
    m_pty.reset();
}

QStringList tst_pravixctl::onPty(QStringList arguments) const
{
    return QStringList{QStringLiteral("--settings"), m_settings->path(), QStringLiteral("--device"),
                       m_pty->devicePath()} +
           arguments;
}

void tst_pravixctl::requestsOnTheWire_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("rx");

    QTest::newRow("05 coil 0 on") << QStringList{"send05", "0", "on"}
                                  << hex("01 05 00 00 FF 00 8C 3A") << 0
                                  << "RX 01 05 00 00 FF 00 8C 3A";
    QTest::newRow("05 coil 1 0xff00")
        << QStringList{"send05", "1", "0xff00"} << hex("01 05 00 01 FF 00 DD FA") << 0
        << "RX 01 05 00 01 FF 00 DD FA";
    QTest::newRow("05 off") << QStringList{"send05", "0", "off"} << hex("01 05 00 00 00 00 CD CA")
                            << 0 << "RX 01 05 00 00 00 00 CD CA";
    QTest::newRow("06 decimal") << QStringList{"send06", "1", "3"} << hex("01 06 00 01 00 03 98 0B")
                                << 0 << "RX 01 06 00 01 00 03 98 0B";
    QTest::newRow("06 hex, slave 2") << QStringList{"--slave", "2", "send06", "0x18", "0xFF03"}
                                     << QByteArray() << 0 << "RX 02 06 00 18 FF 03";
    QTest::newRow("16 Hi from 3, slave 2")
        << QStringList{"send16", "3", "Hi", "--slave", "2"}
        << hex("02 10 00 03 00 01 02 48 69 44 BD") << 0 << "RX 02 10 00 03 00 01 F1 FA";
    // The slave answers a byte count that does not match the register count only after its
    // response time-out of half a second: the wait takes as long as it is told to.
    QTest::newRow("16 empty") << QStringList{"--timeout", "1500", "send16", "0", ""}
                              << hex("01 10 00 00 00 00 00 09 50") << 6
                              << "RX exception 03 (illegal data value): 01 90 03";
    // Three characters go as two registers.
    QTest::newRow("16 odd length") << QStringList{"--timeout", "1500", "send16", "0", "abc"}
                                   << hex("01 10 00 00 00 02 03 61 62 63 AD 11") << 6
                                   << "RX exception 03 (illegal data value): 01 90 03";
    QTest::newRow("16 past the registers")
        << QStringList{"send16", "15", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"} << QByteArray() << 6
        << "RX exception 02 (illegal data address): 01 90 02";
}

void tst_pravixctl::requestsOnTheWire()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    QFETCH(QString, rx);

    const bool otherSlave = arguments.contains(QStringLiteral("--slave"));
    ModbusSlave slave(m_pty->masterFd(), otherSlave ? 2 : 1);
    QVERIFY(slave.isValid());
    const Run run = pravixctl(onPty(arguments));
    QCOMPARE(run.status, status);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[1].startsWith(rx), qPrintable(run.out));
    QVERIFY2(QRegularExpression(QStringLiteral(" \\(\\d+\\.\\d ms\\)$")).match(lines[1]).hasMatch(),
             qPrintable(lines[1]));
    QCOMPARE(slave.requests().size(), 1);
    const QByteArray sent = slave.requests().constFirst();
    if (!request.isEmpty())
        QCOMPARE(sent.toHex(' '), request.toHex(' '));
    QCOMPARE(lines[0], QStringLiteral("TX ") + QString::fromLatin1(sent.toHex(' ').toUpper()));
}

void tst_pravixctl::broadcastAwaitsNoAnswer()
{
    ModbusSlave slave(m_pty->masterFd(), 1);
    const Run run = pravixctl(onPty({"--repeat", "2", "--slave", "0", "send06", "2", "5"}));
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains("RX written, no answer awaited"), qPrintable(run.out));
    QVERIFY2(run.out.contains("2 sent, 0 answered, 0 no response, 0 incomplete, 0 crc error, "
                              "0 exception, 0 port error, 2 written;"),
             qPrintable(run.out));
    QTRY_COMPARE(slave.holdingRegister(2), 5);
    QCOMPARE(slave.requests().constFirst().left(6).toHex(' '), hex("00 06 00 02 00 05").toHex(' '));
}

void tst_pravixctl::answersJudged_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("json");

    const QByteArray request = hex("01 06 00 01 00 03 98 0B");
    QTest::newRow("no response") << QStringList() << QByteArray() << 2
                                 << R"("outcome":"no response","received":"")";
    QTest::newRow("incomplete") << QStringList() << hex("01 06 00") << 3
                                << R"("outcome":"incomplete","received":"01 06 00")";
    QTest::newRow("crc error") << QStringList() << hex("01 06 00 01 00 03 98 0C") << 4
                               << R"("outcome":"crc error")";
    QTest::newRow("exception") << QStringList() << hex("01 86 02 C3 A1") << 6
                               << R"("exception":2,)";
    // Not this display's refusal: the wait goes on, and what came is short of an answer.
    QTest::newRow("exception from another slave")
        << QStringList() << hex("02 86 02 33 A1") << 3 << R"("outcome":"incomplete")";
    QTest::newRow("echo removed") << QStringList{"--echo"} << request + request << 0
                                  << R"("outcome":"answer","received":"01 06 00 01 00 03 98 0B")";
    // Without --echo the copy is the answer; what follows it does not change the judgement.
    QTest::newRow("echo kept") << QStringList() << request + hex("01 86 02 C3 A1") << 0
                               << R"("outcome":"answer","received":"01 06 00 01 00 03 98 0B 01)";
}

// The far end plays the display: it answers as each row says, once the request is in.
void tst_pravixctl::answersJudged()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, answer);
    QFETCH(int, status);
    QFETCH(QString, json);

    QProcess process;
    start(process, onPty(options + QStringList{"--json", "--timeout", "300", "send06", "1", "3"}));
    QCOMPARE(m_pty->readFar(8).toHex(' '), hex("01 06 00 01 00 03 98 0B").toHex(' '));
    m_pty->writeFar(answer);
    const Run run = finish(process);
    QCOMPARE(run.status, status);
    QVERIFY2(run.out.contains(json), qPrintable(run.out));
    const QJsonObject record = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(record.value("first_byte_ms").isNull(), answer.isEmpty());
}

void tst_pravixctl::staleBytesDiscarded()
{
    m_pty->writeFar(hex("01 06 00 01"));
    QProcess process;
    start(process, onPty({"send06", "1", "3"}));
    QCOMPARE(m_pty->readFar(8).size(), 8);
    m_pty->writeFar(hex("01 06 00 01 00 03 98 0B"));
    const Run run = finish(process);
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains("discarded 4 bytes waiting before the request: 01 06 00 01"),
             qPrintable(run.err));
}

void tst_pravixctl::missingDevice()
{
    const Run run = pravixctl({"--settings", m_settings->path(), "--device", "/dev/pravix-none",
                               "--json", "send06", "1", "3"});
    QCOMPARE(run.status, 5);
    const QString remedy = porthint::hint(CommError::Kind::NotFound, m_settings->path());
    QCOMPARE(run.err, "pravixctl: /dev/pravix-none: " + qt_error_string(ENOENT) +
                          "\npravixctl: " + remedy + '\n');
    QVERIFY2(run.out.contains(R"("outcome":"port error")"), qPrintable(run.out));

    const Run text = pravixctl({"--settings", m_settings->path(), "--device", "/dev/pravix-none",
                                "--repeat", "3", "send06", "1", "3"});
    QCOMPARE(text.status, 5);
    QVERIFY2(text.out.startsWith("0 sent, 0 answered, 0 no response, 0 incomplete, 0 crc error, "
                                 "0 exception, 1 port error, 0 written;"),
             qPrintable(text.out));
}

void tst_pravixctl::badInputSendsNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");

    QTest::newRow("05 address") << QStringList{"send05", "2", "on"}
                                << "send05: ADDRESS 2 is outside 0-1";
    QTest::newRow("05 value") << QStringList{"send05", "0", "1"}
                              << "send05: VALUE 1 is not one of on, off, 0xFF00, 0x0000";
    QTest::newRow("06 address") << QStringList{"send06", "30", "1"}
                                << "send06: ADDRESS 30 is outside 0-24";
    QTest::newRow("06 value") << QStringList{"send06", "1", "65536"}
                              << "send06: VALUE 65536 is outside 0-65535";
    QTest::newRow("06 negative") << QStringList{"send06", "1", "-1"}
                                 << "send06: VALUE -1 is not a number; allowed: 0-65535, decimal";
    QTest::newRow("16 too long") << QStringList{"send16", "0", QString(33, 'x')}
                                 << "send16: TEXT has 33 characters; at most 32 are allowed";
    QTest::newRow("16 blank split")
        << QStringList{"send16", "0", "two", "words"} << "send16: unexpected argument words";
    QTest::newRow("missing operand") << QStringList{"send06", "1"} << "send06: needs ADDRESS VALUE";
    QTest::newRow("no command") << QStringList{"--json"} << "no command given; commands are";
    QTest::newRow("unknown command") << QStringList{"send03", "1"} << "unknown command send03";
    QTest::newRow("unknown option")
        << QStringList{"--speed", "5", "send06", "1", "3"} << "unknown option --speed";
    QTest::newRow("baud") << QStringList{"--baud", "4800", "send06", "1", "3"}
                          << "--baud 4800 is not one of 9600, 19200, 38400";
    QTest::newRow("format") << QStringList{"--format=7N1", "send06", "1", "3"}
                            << "--format 7N1 is not one of 8N1, 8N2, 8E1";
    QTest::newRow("slave") << QStringList{"--slave", "248", "send06", "1", "3"}
                           << "--slave 248 is outside 0-247";
    QTest::newRow("port and device") << QStringList{"--port", "2", "send06", "1", "3"}
                                     << "--port and --device both name the line";
    QTest::newRow("upload line") << QStringList{"--baud", "19200", "configure", "-"}
                                 << "--baud does not apply to configure";
    QTest::newRow("save") << QStringList{"--save", "send06", "1", "3"}
                          << "--save applies to configure only";
    QTest::newRow("log") << QStringList{"--log", "/nonexistent/dir/log.csv", "send06", "1", "3"}
                         << "--log: cannot write /nonexistent/dir/log.csv";
    QTest::newRow("profile") << QStringList{"configure", "-"}
                             << "standard input line 2: [Display] ID=0 is outside 1-247";
    QTest::newRow("profile file") << QStringList{"configure", "/nonexistent/board.ini"}
                                  << "configure: cannot read /nonexistent/board.ini";
    QTest::newRow("ports line") << QStringList{"ports"}
                                << "--device does not apply to ports, which only lists";
    QTest::newRow("scan ids outside")
        << QStringList{"scan", "--ids", "0-10"} << "--ids 0-10: 0-10 is not an ID or a range";
    QTest::newRow("scan ids backwards") << QStringList{"scan", "--ids=20-10"}
                                        << "--ids 20-10: the range 20-10 runs from high to low";
    QTest::newRow("scan ids gap") << QStringList{"scan", "--ids", "1,,5"}
                                  << "--ids 1,,5: an empty entry is not an ID or a range";
    QTest::newRow("scan lines speed")
        << QStringList{"scan", "--lines", "4800"}
        << "--lines 4800: 4800 is neither a baud rate (9600, 19200, 38400) nor a format";
    QTest::newRow("scan timeout") << QStringList{"--timeout", "100", "scan"}
                                  << "--timeout does not apply to scan";
    QTest::newRow("scan broadcast")
        << QStringList{"--slave", "0", "scan"} << "scan: --slave 0 is a broadcast";
    QTest::newRow("ids elsewhere")
        << QStringList{"--ids", "1", "send06", "1", "3"} << "--ids applies to scan only";
}

void tst_pravixctl::badInputSendsNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);

    const Run run = pravixctl(onPty(arguments), "[Display]\nID=0\n");
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.startsWith("pravixctl: " + error), qPrintable(run.err));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QCOMPARE(m_pty->readFar(1, 100), QByteArray());
}

void tst_pravixctl::repeatSummaryAndStatus()
{
    QProcess process;
    start(process, onPty({"--repeat", "3", "--timeout", "200", "send06", "1", "3"}));
    const QByteArray request = hex("01 06 00 01 00 03 98 0B");
    for (const bool answered : {true, false, true}) {
        QCOMPARE(m_pty->readFar(8).toHex(' '), request.toHex(' '));
        if (answered)
            m_pty->writeFar(request);
    }
    const Run run = finish(process);
    // The status of the last exchange that failed, though the last one was answered.
    QCOMPARE(run.status, 2);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 7);
    QVERIFY2(
        QRegularExpression(QStringLiteral("^3 sent, 2 answered, 1 no response, 0 incomplete, 0 crc "
                                          "error, 0 exception, 0 port error, 0 written; first "
                                          "byte min/median/max "
                                          "\\d+\\.\\d/\\d+\\.\\d/\\d+\\.\\d ms$"))
            .match(lines.last())
            .hasMatch(),
        qPrintable(lines.last()));
}

// A stop that lands while an exchange awaits its answer cuts that exchange short, which counts
// as no response; stopped in the pause between two, the series is all answered. The stop is sent
// once the third exchange is printed, at the start of a long pause, and the answers may take as
// long as a loaded machine needs.
void tst_pravixctl::stoppedSeriesEndsWithSummary()
{
    ModbusSlave slave(m_pty->masterFd(), 1);
    QProcess process;
    start(process, onPty({"--repeat", "100000", "--interval", "1000", "--timeout", "2000",
                          "send06", "1", "3"}));
    QByteArray printed;
    // Each exchange prints its request and then its answer line.
    QTRY_VERIFY_WITH_TIMEOUT((printed += process.readAllStandardOutput()).count("\nRX ") >= 3,
                             10000);
    process.terminate();
    Run run = finish(process);
    run.out.prepend(QString::fromUtf8(printed));
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.startsWith("pravixctl: stopped after 3 of "), qPrintable(run.err));
    const QString summary = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).last();
    QVERIFY2(summary.startsWith("3 sent, 3 answered, 0 no response,"), qPrintable(summary));
}

// The display stays silent and the wait would last a minute; Ctrl+C ends it, and the series,
// long before the ten seconds finish() gives the program.
void tst_pravixctl::ctrlCEndsALongWait()
{
    QProcess process;
    start(process, onPty({"--repeat", "3", "--timeout", "60000", "send06", "1", "3"}));
    QCOMPARE(m_pty->readFar(8).size(), 8);
    QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
    const Run run = finish(process);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.startsWith("pravixctl: stopped after 1 of 3 exchanges"), qPrintable(run.err));
    QVERIFY2(run.out.contains("\n1 sent, 0 answered, 1 no response,"), qPrintable(run.out));
}

void tst_pravixctl::jsonLinesAndLog()
{
    ModbusSlave slave(m_pty->masterFd(), 1);
    QTemporaryDir dir;
    const QString log = dir.filePath("traffic.csv");
    const QStringList arguments =
        onPty({"--json", "--repeat", "2", "--log", log, "send05", "1", "on"});
    QCOMPARE(pravixctl(arguments).status, 0);
    const Run run = pravixctl(arguments);
    QCOMPARE(run.status, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    for (const QString &line : lines.mid(0, 2)) {
        const QJsonObject record = QJsonDocument::fromJson(line.toUtf8()).object();
        QCOMPARE(record.value("sent").toString(), QString("01 05 00 01 FF 00 DD FA"));
        QCOMPARE(record.value("received").toString(), QString("01 05 00 01 FF 00 DD FA"));
        QCOMPARE(record.value("outcome").toString(), QString("answer"));
        QVERIFY(record.value("exception").isNull());
        // A slave that answers before the write's return is timed reads 0.0: timed, not absent.
        QVERIFY(record.value("first_byte_ms").isDouble());
        QVERIFY(record.value("first_byte_ms").toDouble() >= 0);
        QVERIFY(record.value("last_byte_ms").toDouble() >=
                record.value("first_byte_ms").toDouble());
    }
    const QJsonObject summary =
        QJsonDocument::fromJson(lines.last().toUtf8()).object().value("summary").toObject();
    QCOMPARE(summary.value("sent").toInt(), 2);
    QCOMPARE(summary.value("answered").toInt(), 2);
    QVERIFY(slave.coil(1));

    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList csv = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    // Two runs appended to one log, the header once.
    QCOMPARE(csv.size(), 5);
    QVERIFY(csv[0].startsWith("time,window,device,settings,sent,received,outcome"));
    QVERIFY2(csv[4].contains(",pravixctl," + m_pty->devicePath() +
                             ",\"9600,n,8,1\",01 05 00 01 FF 00 DD FA,01 05 00 01 FF 00 DD FA,"
                             "answer,"),
             qPrintable(csv[4]));
}

// The series goes on when the disk fills up; the log keeps its whole lines and the user learns
// that it stopped.
void tst_pravixctl::fullDiskEndsTheLog()
{
    ModbusSlave slave(m_pty->masterFd(), 1);
    QTemporaryDir dir;
    const QString log = dir.filePath("traffic.csv");
    const QStringList arguments = onPty({"--repeat", "3", "--log", log, "send05", "1", "on"});
    QCOMPARE(pravixctl(onPty({"--log", log, "send05", "1", "on"})).status, 0);
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();

    QProcess process;
    process.setChildProcessModifier(
        [size = whole.size()] { FileSizeLimit::applyInChild(qint64(size + 20)); });
    start(process, arguments);
    const Run run = finish(process);
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err,
             "pravixctl: stopped writing the log " + log + ": " + qt_error_string(EFBIG) + '\n');
    QVERIFY2(run.out.contains("3 sent, 3 answered"), qPrintable(run.out));
    QVERIFY(file.seek(0));
    QCOMPARE(file.readAll(), whole);
}

void tst_pravixctl::diagnosisAgainstTheSimulator_data()
{
    QTest::addColumn<QStringList>("simOptions");
    QTest::addColumn<QStringList>("ctlArguments");
    QTest::addColumn<QStringList>("expected");
    const QStringList send16{"send16", "0", "HELLO BENCH"};
    const QStringList send06{"send06", "1", "3"};
    // Behind an echo the display still answers: the pause lets that answer come and be
    // discarded before the next request, on a loaded machine too.
    const QStringList paced{"--interval", "100", "--repeat", "10"};
    QTest::newRow("healthy") << QStringList() << paced + send16 << QStringList();
    QTest::newRow("echo") << QStringList{"--echo"} << paced + send16 << QStringList{"echo"};
    QTest::newRow("echo removed") << QStringList{"--echo"} << QStringList{"--echo"} + paced + send16
                                  << QStringList();
    QTest::newRow("noise") << QStringList{"--noise", "0.2", "--seed", "7"}
                           << QStringList{"--repeat", "20"} + send06 << QStringList{"crc-errors"};
    QTest::newRow("silent") << QStringList{"--silent"} << QStringList{"--repeat", "5"} + send06
                            << QStringList{"no-answer"};
    // The answer begins about 890 ms after the request and is whole by 900 ms of the 1000: a
    // hundred milliseconds of slack on either side of the mark and the time-out.
    QTest::newRow("late") << QStringList{"--delay", "880"}
                          << QStringList{"--timeout", "1000", "--repeat", "3"} + send06
                          << QStringList{"late-answers"};
    // Half the answer, then 200 ms of silence: far beyond twice its 8.3 ms on the wire, and far
    // within the wait.
    QTest::newRow("split") << QStringList{"--split", "200"}
                           << QStringList{"--timeout", "1000", "--repeat", "4"} + send06
                           << QStringList{"split-answers"};
}

namespace {

//! The diagnosis codes of a run's last lines, text or JSON; empty with a failure when the
//! output has none.
QStringList diagnosisCodes(const QString &output)
{
    const QStringList lines = output.split('\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return {QStringLiteral("no output")};
    const QJsonObject last = QJsonDocument::fromJson(lines.last().toUtf8()).object();
    if (last.contains("diagnosis"))
        return last.value("diagnosis").toVariant().toStringList();
    int summary = int(lines.size()) - 1;
    while (summary >= 0 && !lines.at(summary).contains(" sent, "))
        --summary;
    if (summary < 0)
        return {QStringLiteral("no summary")};
    QStringList codes;
    for (const QString &line : lines.mid(summary + 1))
        codes.append(line.startsWith("diagnosis: ")
                         ? line.section(QLatin1Char(' '), 1, 1).chopped(1)
                         : QStringLiteral("stray line"));
    return codes;
}

//! The summary of a JSON run's last line without the median, which a file's tenths of a
//! millisecond can shift by a tenth.
QJsonObject summaryWithoutMedian(const QString &output)
{
    QJsonObject summary =
        QJsonDocument::fromJson(output.split('\n', Qt::SkipEmptyParts).last().toUtf8())
            .object()
            .value("summary")
            .toObject();
    QJsonObject firstByte = summary.value("first_byte_ms").toObject();
    firstByte.remove("median");
    summary.insert("first_byte_ms", firstByte);
    return summary;
}

} // namespace

// The last line of a repeated run names what the simulated display's misbehaviour shows; the
// text form gives the same codes, one line each after the summary. The run's log, judged by
// doctor, names the same, with the same counts; the simulator replaying that log makes a new
// run name them again.
void tst_pravixctl::diagnosisAgainstTheSimulator()
{
    QFETCH(QStringList, simOptions);
    QFETCH(QStringList, ctlArguments);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString log = dir.filePath("field.csv");
    const bool echo = ctlArguments.contains("--echo");

    // The simulator paces its answer at the line's speed; on a loaded machine the scheduler can
    // stretch that pacing past the split-answers mark, which then says something true of this
    // run but nothing of the misbehaviour under test.
    const auto judged = [&expected](QStringList codes) {
        if (!expected.contains(QStringLiteral("split-answers")))
            codes.removeAll(QStringLiteral("split-answers"));
        return codes;
    };
    const auto runAgainst = [&](const SimProcess &sim, const QStringList &extra) {
        return pravixctl(
            QStringList{"--settings", m_settings->path(), "--device", sim.devicePath()} + extra +
            ctlArguments);
    };

    Run live;
    {
        const SimProcess sim(QStringLiteral(SIM_EXECUTABLE), simOptions);
        QVERIFY(sim.isRunning());
        live = runAgainst(sim, {"--json", "--log", log});
        QCOMPARE(judged(diagnosisCodes(live.out)), expected);
        QCOMPARE(judged(diagnosisCodes(runAgainst(sim, {}).out)), expected);
    }

    const QStringList doctorEcho = echo ? QStringList{"--echo"} : QStringList();
    const Run doctorJson = pravixctl(QStringList{"doctor", "--json", log} + doctorEcho);
    QCOMPARE(doctorJson.status, 0);
    QCOMPARE(diagnosisCodes(doctorJson.out), diagnosisCodes(live.out));
    QCOMPARE(summaryWithoutMedian(doctorJson.out), summaryWithoutMedian(live.out));
    const Run doctorText = pravixctl(QStringList{"doctor", log} + doctorEcho);
    QCOMPARE(doctorText.status, 0);
    QCOMPARE(diagnosisCodes(doctorText.out), diagnosisCodes(live.out));

    const SimProcess replay(QStringLiteral(SIM_EXECUTABLE), {"--replay", log});
    QVERIFY(replay.isRunning());
    QCOMPARE(judged(diagnosisCodes(runAgainst(replay, {"--json"}).out)), expected);
}

void tst_pravixctl::doctorRefusesBrokenFiles_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("where");
    const QByteArray header =
        "time,window,device,settings,sent,received,outcome,first_byte_ms,last_byte_ms,wait_ms\r\n";
    const QByteArray line =
        "2026-12-07T18:04:22.307,pravixctl,/dev/ttyUSB0,\"9600,n,8,1\",01 06 00 "
        "01 00 03 98 0B,01 06 00 01 00 03 98 0B,answer,14.8,22.1,60.0\r\n";
    QTest::newRow("bad header") << QByteArray(header).replace("outcome", "result") + line
                                << "line 1, field outcome: ";
    QTest::newRow("bad field") << header + line + QByteArray(line).replace("22.1", "22.1.5")
                               << "line 3, field last_byte_ms: ";
    QTest::newRow("truncated line")
        << header + line + line.left(line.indexOf(",answer")) << "line 3, field outcome: ";
}

// A malformed file: one line on standard error naming it, the line and the field, status 1,
// and nothing judged from the rest of it.
void tst_pravixctl::doctorRefusesBrokenFiles()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, where);
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
    file.close();
    const Run run = pravixctl({"doctor", path});
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(run.err.startsWith("pravixctl: doctor: " + path + " " + where), qPrintable(run.err));
}

void tst_pravixctl::configureImages_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<QByteArray>("image");

    QTest::newRow("defaults") << QByteArray("[display]\nid=1\n[Messages]\n2=\n") << defaultImage();
    QTest::newRow("worked example") << QByteArray("[Display]\nID=7\nBaud=19200\nFormat=8n2\n"
                                                  "[Messages]\n1=HELLO\n2=\n"
                                                  "[Line0]\nWidth=4\nDecimalPoint=2\n"
                                                  "StartPoint=3\nStartupScreen=Message 1\n"
                                                  "[Line1]\nDecimalPoint=1\n")
                                    << QByteArray("HELLO") + QByteArray(91, ' ') +
                                           hex("12 C2 07 02 01 03 00 01 00 04 05 BF 41 00");
}

void tst_pravixctl::configureImages()
{
    QFETCH(QByteArray, profile);
    QFETCH(QByteArray, image);

    m_settings->writeRaw("[LCD]\nrow2=STORED\n");
    QTemporaryDir dir;
    QFile file(dir.filePath("board.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(profile);
    file.close();

    const Run run = pravixctl(onPty({"configure", file.fileName(), "--save"}));
    QCOMPARE(run.status, 0);
    QCOMPARE(m_pty->readFar(110).toHex(' '), image.toHex(' '));
    const QByteArray saved = m_settings->readRaw();
    QVERIFY2(saved.contains("Slave=" + QByteArray::number(image.at(98))), saved.constData());
    QVERIFY2(saved.contains("row1=" + image.left(16).trimmed() + "\n"), saved.constData());
}

void tst_pravixctl::defaultProfileGivesDefaultImage()
{
    m_settings->writeRaw("[LCD]\nrow1=STORED\n");
    const Run profile = pravixctl({"profile"});
    QCOMPARE(profile.status, 0);
    const Run run = pravixctl(onPty({"configure", "-"}), profile.out.toUtf8());
    QCOMPARE(run.status, 0);
    QCOMPARE(m_pty->readFar(110).toHex(' '), defaultImage().toHex(' '));
    // Without --save the settings file is left alone.
    QCOMPARE(m_settings->readRaw(), QByteArray("[LCD]\nrow1=STORED\n"));
}

// Port, line settings and slave as the main window loads them, the port through [Ports].
void tst_pravixctl::lineFromSettingsFile()
{
    ModbusSlave slave(m_pty->masterFd(), 9);
    QTemporaryDir dir;
    const QString log = dir.filePath("traffic.csv");
    const QByteArray ports =
        "[Ports]\n1=" + m_pty->devicePath().toUtf8() + "\n3=" + m_pty->devicePath().toUtf8() + "\n";
    m_settings->writeRaw(ports + "[Settings]\nCommPort=3\nSetting=19200,e,8,1\n[LCD]\nSlave=9\n");
    QCOMPARE(pravixctl({"--settings", m_settings->path(), "--log", log, "send06", "1", "3"}).status,
             0);
    // A damaged file loads as the window loads it: port 1 and the first settings string.
    m_settings->writeRaw(ports + "[Settings]\nCommPort=99\nSetting=9600,x\n[LCD]\nSlave=9\n");
    QCOMPARE(pravixctl({"--settings", m_settings->path(), "--log", log, "send06", "1", "3"}).status,
             0);
    // Options win over the file; a port number without a [Ports] entry is /dev/ttyS(n-1).
    const Run other = pravixctl(
        {"--settings", m_settings->path(), "--port", "7", "--baud", "38400", "send06", "1", "3"});
    QCOMPARE(other.status, 5);
    QVERIFY2(other.err.contains("/dev/ttyS6"), qPrintable(other.err));

    QCOMPARE(slave.requests().size(), 2);
    QCOMPARE(quint8(slave.requests()[0].at(0)), quint8(9));
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString csv = QString::fromUtf8(file.readAll());
    QVERIFY2(csv.contains(m_pty->devicePath() + ",\"19200,e,8,1\","), qPrintable(csv));
    QVERIFY2(csv.contains(m_pty->devicePath() + ",\"9600,n,8,1\","), qPrintable(csv));
}

// The pseudo-terminals of the tests are no serial ports the system lists, so the devices are
// whatever this machine has: the same ones this process finds.
void tst_pravixctl::portsOnThisMachine()
{
    // Every other number leads nowhere, whatever serial ports the machine has.
    QTemporaryDir dir;
    const QString present = m_pty->devicePath();
    QByteArray map = "[Ports]\n1=" + present.toUtf8() + "\n";
    for (int number = 2; number <= 20; ++number)
        map += QByteArray::number(number) + '=' + dir.filePath("missing").toUtf8() + '\n';
    m_settings->writeRaw(map);

    const Run json = pravixctl({"--settings", m_settings->path(), "ports", "--json"});
    QCOMPARE(json.status, 0);
    QCOMPARE(json.err, QString());
    QStringList lines = json.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    const QJsonObject numbers = QJsonDocument::fromJson(lines.takeLast().toUtf8()).object();
    const QJsonArray entries = numbers.value("port_numbers").toArray();
    QCOMPARE(entries.size(), 20);
    QCOMPARE(entries.at(0).toObject().value("device").toString(), present);
    QCOMPARE(entries.at(0).toObject().value("behind").toString(), QStringLiteral("unlisted"));
    QCOMPARE(entries.at(1).toObject().value("behind").toString(), QStringLiteral("nothing"));
    QCOMPARE(entries.at(19).toObject().value("port").toInt(), 20);

    QStringList listed;
    for (const QString &line : lines) {
        const QJsonObject device = QJsonDocument::fromJson(line.toUtf8()).object();
        QVERIFY2(device.value("ports").isArray(), qPrintable(line));
        listed.append(device.value("port_name").toString());
    }
    QStringList expected;
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        expected.append(port.portName());
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(listed, expected);

    const Run text = pravixctl({"--settings", m_settings->path(), "ports"});
    QCOMPARE(text.status, 0);
    const QStringList textLines = text.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(textLines.first().startsWith(QLatin1String("Port  Device")), !expected.isEmpty());
    QCOMPARE(textLines.size(), qMax(qsizetype(1), expected.size() + 1) + 2);
    QCOMPARE(textLines.at(textLines.size() - 2),
             QStringLiteral("Port 1: %1 — present, not listed as a serial port").arg(present));
    QCOMPARE(textLines.last(), QStringLiteral("Nothing there: 2-20"));
}

// A display at ID 7 and 19200 8N2, the stored ID 1 and 9600 8N1: found after the stored ID at
// every setting, the other IDs at 9600 8N1 and those at the faster 38400 settings.
void tst_pravixctl::scanFindsTheDisplay()
{
    SimProcess sim(QStringLiteral(SIM_EXECUTABLE),
                   {"--id", "7", "--baud", "19200", "--format", "8N2"});
    QVERIFY(sim.isRunning());
    QTemporaryDir dir;
    const QString log = dir.filePath("scan.csv");
    const QStringList onSim{"--settings", m_settings->path(), "--device", sim.devicePath()};

    const Run run = pravixctl(onSim + QStringList{"scan", "--ids", "1-8", "--log", log});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.startsWith("pravixctl: scanning " + sim.devicePath() + ": 72 probes, about "),
             qPrintable(run.err));
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("ID 7 at 19200 8N2"));
    QVERIFY2(lines[1].startsWith("1 found, 43 of 72 probes (8 IDs at 9 line settings), "),
             qPrintable(lines[1]));
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> logged = file.readAll().split('\n');
    QCOMPARE(logged.size(), 1 + 43 + 1);
    QVERIFY(logged.at(43).contains("\"19200,n,8,2\",07 10 00 00 00 00 00 6F 50,"));
    QVERIFY(logged.at(43).contains(",answer,"));

    const Run json = pravixctl(
        onSim + QStringList{"scan", "--json", "--all", "--lines", "19200", "--ids", "6-8"});
    QCOMPARE(json.status, 0);
    const QStringList objects = json.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(objects.size(), 2);
    QCOMPARE(objects[0], QStringLiteral(R"({"answer":"normal","baud":19200,"format":"8N2",)"
                                        R"("id":7,"settings":"19200,n,8,2"})"));
    const QJsonObject summary =
        QJsonDocument::fromJson(objects[1].toUtf8()).object().value("summary").toObject();
    QCOMPARE(summary.value("probes").toInt(), 9);
    QCOMPARE(summary.value("found").toInt(), 1);

    QCOMPARE(m_settings->readRaw(), QByteArray());
}

void tst_pravixctl::scanStopsAtCtrlC()
{
    SimProcess sim(QStringLiteral(SIM_EXECUTABLE), {"--silent"});
    QVERIFY(sim.isRunning());
    QProcess process;
    process.setReadChannel(QProcess::StandardError);
    start(process, {"--settings", m_settings->path(), "--device", sim.devicePath(), "scan"});
    // The first line comes once Ctrl+C is caught.
    QVERIFY(process.waitForReadyRead(10000));
    QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
    const Run run = finish(process);
    QCOMPARE(run.status, 2);
    const QString last = run.out.split('\n', Qt::SkipEmptyParts).last();
    QVERIFY2(last.startsWith("0 found, ") && last.endsWith(", stopped"), qPrintable(last));
    QVERIFY(!last.contains(" 2223 of 2223 "));
}

QTEST_GUILESS_MAIN(tst_pravixctl)
#include "tst_pravixctl.moc"
