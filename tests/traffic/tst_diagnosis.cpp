#include "crc16.h"
#include "diagnosis.h"

#include <QtTest>

namespace {

using Outcome = TrafficOutcome;
const QByteArray write06 = modbuscrc::withCrc(QByteArray::fromHex("010600000005"));
const QByteArray write16 = modbuscrc::withCrc(QByteArray::fromHex("0110000000020441424344"));
const QByteArray answer16 = modbuscrc::withCrc(QByteArray::fromHex("011000000002"));
const QByteArray fromSlave2 = modbuscrc::withCrc(QByteArray::fromHex("020600000005"));

//! A 60 ms wait; the answer's times only when bytes came.
TrafficRecord record(Outcome outcome, const QByteArray &sent, const QByteArray &received,
                     double firstMs = 12, double lastMs = 19, const QString &line = "9600,n,8,1")
{
    TrafficRecord record;
    record.settings = line;
    record.sent = sent;
    record.received = received;
    record.outcome = outcome;
    record.waitMs = 60;
    if (!received.isEmpty()) {
        record.firstByteMs = firstMs;
        record.lastByteMs = lastMs;
    }
    return record;
}

TrafficRecord answered(double firstMs = 12, double lastMs = 19, const QString &line = "9600,n,8,1")
{
    return record(Outcome::Answer, write06, write06, firstMs, lastMs, line);
}

QList<TrafficRecord> operator*(int count, const TrafficRecord &record)
{
    return QList<TrafficRecord>(count, record);
}

} // namespace

// Each code on a sequence built to show it and at the edges of its threshold; a healthy line,
// and the look-alikes a healthy line produces, name nothing.
class TestDiagnosis : public QObject
{
    Q_OBJECT

private slots:
    void findings_data()
    {
        QTest::addColumn<QList<TrafficRecord>>("records");
        QTest::addColumn<QStringList>("expected");
        const QStringList none;
        const TrafficRecord silent = record(Outcome::NoResponse, write06, {});
        const TrafficRecord ok16 = record(Outcome::Answer, write16, answer16);
        const TrafficRecord echo16 = record(Outcome::CrcError, write16, write16.left(8));
        const TrafficRecord crcError =
            record(Outcome::CrcError, write06, write06.left(6) + QByteArray(2, '\0'));
        const TrafficRecord upload = record(Outcome::Written, write06, {});
        const TrafficRecord portError = record(Outcome::PortError, write06, {});
        const QByteArray exception = modbuscrc::withCrc(QByteArray::fromHex("018602"));

        QTest::newRow("healthy") << 10 * answered() + 10 * ok16 << none;
        QTest::newRow("4 silent") << 4 * silent << none;
        QTest::newRow("5 silent") << 5 * silent << QStringList{"no-answer"};
        QTest::newRow("not the line") << 10 * upload + 10 * portError + 4 * silent << none;
        TrafficRecord echoTakenOff = silent;
        echoTakenOff.firstByteMs = echoTakenOff.lastByteMs = 0.1;
        QTest::newRow("echo taken off") << 5 * echoTakenOff << QStringList{"no-answer"};

        QTest::newRow("echo, not crc") << 20 * echo16 << QStringList{"echo"};
        QTest::newRow("echo in half") << 1 * echo16 + 1 * ok16 << QStringList{"echo"};
        QTest::newRow("echo in a third") << 1 * echo16 + 2 * ok16 << none;
        QTest::newRow("05/06 answer is the request")
            << 5 * record(Outcome::Answer, write06, write06, 0.1, 0.2) << none;
        QTest::newRow("cut-off answer")
            << 1 * record(Outcome::Incomplete, write16, answer16.left(5)) << none;

        QTest::newRow("1 crc in 19") << 18 * answered() + 1 * crcError << none;
        QTest::newRow("1 crc in 20") << 19 * answered() + 1 * crcError << QStringList{"crc-errors"};
        QTest::newRow("1 crc in 21") << 20 * answered() + 1 * crcError << none;

        QTest::newRow("first byte at 80 %") << 3 * answered(48, 56) << none;
        QTest::newRow("late in 2 of 3")
            << 2 * answered(48.5, 56) + 1 * answered() << QStringList{"late-answers"};
        QTest::newRow("late in 2 of 4") << 2 * answered(50, 58) + 2 * answered() << none;

        // 8 bytes take 8.33 ms on the wire at 9600 8N1, 9.17 ms at 8E1.
        QTest::newRow("split in 1 of 4")
            << 1 * answered(10, 27.5) + 3 * answered() << QStringList{"split-answers"};
        QTest::newRow("split in 1 of 5") << 1 * answered(10, 27.5) + 4 * answered() << none;
        QTest::newRow("parity bit") << 1 * answered(10, 27.5, "9600,e,8,1") << none;

        QTest::newRow("another slave")
            << 9 * answered() + 1 * record(Outcome::Answer, write06, fromSlave2)
            << QStringList{"wrong-slave"};
        QTest::newRow("exception") << 1 * record(Outcome::Exception, write06, exception) << none;
        QTest::newRow("noise on the address")
            << 1 * record(Outcome::CrcError, write06, fromSlave2.left(6) + QByteArray(2, '\0'))
            << none;
    }

    void findings()
    {
        QFETCH(QList<TrafficRecord>, records);
        QFETCH(QStringList, expected);
        QStringList codes;
        for (const LineFinding &finding : diagnose(records, false, DiagnosisReader::CommandLine))
            codes << finding.code;
        QCOMPARE(codes, expected);
    }

    // What to try is said in terms of the tool that shows it and of the system it runs on; the
    // codes stay the same for every reader.
    void whatToTryFitsTheReader_data()
    {
        QTest::addColumn<QList<TrafficRecord>>("records");
        QTest::addColumn<int>("reader");
        QTest::addColumn<QStringList>("says");
        QTest::addColumn<QStringList>("never");
        const QList<TrafficRecord> echoes = 5 * record(Outcome::CrcError, write16, write16.left(8));
        const QList<TrafficRecord> bursts = 4 * answered(10, 27.5);
        const int window = int(DiagnosisReader::TrafficWindow);
        const int commandLine = int(DiagnosisReader::CommandLine);
        QTest::newRow("echo, window")
            << echoes << window << QStringList{"LocalEcho=1", "connect again"}
            << QStringList{"--echo"};
        QTest::newRow("echo, pravixctl")
            << echoes << commandLine << QStringList{"--echo", "LocalEcho=1"} << QStringList{};
#if defined(Q_OS_WIN)
        const QStringList latencyTimer{"Device Manager", "Advanced", "Latency Timer"};
        const QStringList otherSystems{"/sys/"};
#elif defined(Q_OS_LINUX)
        const QStringList latencyTimer{"/sys/bus/usb-serial/devices/", "latency_timer"};
        const QStringList otherSystems{"Device Manager"};
#else
        const QStringList latencyTimer{"latency timer"};
        const QStringList otherSystems{"Device Manager", "/sys/"};
#endif
        QTest::newRow("bursts, window") << bursts << window << latencyTimer << otherSystems;
        QTest::newRow("bursts, pravixctl") << bursts << commandLine << latencyTimer << otherSystems;
    }

    void whatToTryFitsTheReader()
    {
        QFETCH(QList<TrafficRecord>, records);
        QFETCH(int, reader);
        QFETCH(QStringList, says);
        QFETCH(QStringList, never);
        const QList<LineFinding> found =
            diagnose(records, false, static_cast<DiagnosisReader>(reader));
        QCOMPARE(found.size(), 1);
        for (const QString &text : says)
            QVERIFY2(found.first().text.contains(text), qPrintable(found.first().line()));
        for (const QString &text : never)
            QVERIFY2(!found.first().text.contains(text), qPrintable(found.first().line()));
    }
};

QTEST_APPLESS_MAIN(TestDiagnosis)
#include "tst_diagnosis.moc"
