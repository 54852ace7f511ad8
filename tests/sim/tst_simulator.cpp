#include "crc16.h"
#include "framelog.h"
#include "framesplitter.h"
#include "lcdslave.h"
#include "simulator.h"
#include "trafficrecord.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using lcdsim::Misbehaviour;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

const QByteArray coilOn = hex("01 05 00 00 FF 00 8C 3A");
const QByteArray hiRequest = hex("01 10 00 00 00 01 02 48 69 50 7E");
const QByteArray hiAnswer = hex("01 10 00 00 00 01 01 C9");

// Generous, so that a busy machine cannot stretch the gap between two synchronous calls.
constexpr int longGapMs = 200;
constexpr int waitMs = 5000;

bool crcHolds(const QByteArray &frame)
{
    const int body = frame.size() - 2;
    const quint16 crc = modbuscrc::crc16(reinterpret_cast<const quint8 *>(frame.constData()), body);
    return static_cast<quint8>(frame.at(body)) == (crc & 0xFF) &&
           static_cast<quint8>(frame.at(body + 1)) == (crc >> 8);
}

} // namespace

// The simulator on the wire: frames cut at silence, answers shaped by the chosen faults, and
// the log of both.
class TestSimulator : public QObject
{
    Q_OBJECT

    std::unique_ptr<QBuffer> m_logBuffer;
    std::unique_ptr<lcdsim::FrameLog> m_log;
    std::unique_ptr<lcdsim::LcdSlave> m_slave;
    std::unique_ptr<lcdsim::Simulator> m_simulator;

    QString logText() const { return QString::fromUtf8(m_logBuffer->data()); }
    int receivedLines() const { return int(logText().count(QStringLiteral(" RX "))); }

    //! Feeds one frame and waits until the simulator has taken it.
    void feedAndWaitForFrame(const QByteArray &frame)
    {
        const int before = receivedLines();
        m_simulator->feed(frame);
        QTRY_VERIFY_WITH_TIMEOUT(receivedLines() > before, waitMs);
    }

private slots:
    void init()
    {
        m_logBuffer = std::make_unique<QBuffer>();
        m_logBuffer->open(QIODevice::WriteOnly);
        m_log = std::make_unique<lcdsim::FrameLog>(m_logBuffer.get());
        m_slave = std::make_unique<lcdsim::LcdSlave>(1);
        m_simulator = std::make_unique<lcdsim::Simulator>(*m_slave, *m_log);
    }

    void cleanup()
    {
        m_simulator.reset();
        m_slave.reset();
        m_log.reset();
        m_logBuffer.reset();
    }

    void silenceGapFollowsTheLineSpeed_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("gap");

        QTest::newRow("9600 8N1") << 9600 << 10 << 4;
        QTest::newRow("9600 8N2") << 9600 << 11 << 5;
        QTest::newRow("1200 8N1") << 1200 << 10 << 30;
        QTest::newRow("19200 8N1") << 19200 << 10 << 2;
        QTest::newRow("38400 8E1 stays at 2 ms") << 38400 << 11 << 2;
        QTest::newRow("115200 stays at 2 ms") << 115200 << 10 << 2;
    }

    void silenceGapFollowsTheLineSpeed()
    {
        QFETCH(int, baud);
        QFETCH(int, bits);
        QFETCH(int, gap);
        QCOMPARE(lcdsim::FrameSplitter::silenceGapMs(baud, bits), gap);
    }

    void answersAWholeFrame()
    {
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);
        m_simulator->feed(coilOn);
        QVERIFY(answers.wait(waitMs));
        QCOMPARE(answers.count(), 1);
        QCOMPARE(answers.at(0).at(0).toByteArray(), coilOn);
    }

    void joinsAFrameSplitWithinTheGap()
    {
        m_simulator->setSilenceGap(longGapMs);
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);
        // No event is processed between the two parts, so no silence can end the frame.
        m_simulator->feed(hiRequest.left(4));
        m_simulator->feed(hiRequest.mid(4));
        QVERIFY(answers.wait(waitMs));
        QCOMPARE(answers.count(), 1);
        QCOMPARE(answers.at(0).at(0).toByteArray(), hiAnswer);
        QCOMPARE(m_slave->line(0).left(2), QByteArray("Hi"));
    }

    void cutsFramesAtSilence()
    {
        const QByteArray registerWrite = hex("01 06 00 01 00 03 98 0B");
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);
        feedAndWaitForFrame(coilOn);
        feedAndWaitForFrame(registerWrite);
        QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 2, waitMs);
        QCOMPARE(answers.at(0).at(0).toByteArray(), coilOn);
        QCOMPARE(answers.at(1).at(0).toByteArray(), registerWrite);
        QCOMPARE(receivedLines(), 2);
    }

    void silentSendsNothing()
    {
        Misbehaviour faults;
        faults.silent = true;
        m_simulator->setMisbehaviour(faults);
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);
        feedAndWaitForFrame(coilOn);
        QCOMPARE(answers.count(), 0);
        // Silent or not, the display still carries out what it hears.
        QVERIFY(m_slave->coil(0));
    }

    void answerHeldBack_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("splitMs");
        QTest::addColumn<int>("parts");
        QTest::newRow("delay") << 300 << 0 << 1;
        QTest::newRow("split") << 0 << 300 << 2;
    }

    // Late as a whole, or its second half late: the answer's last byte leaves no sooner.
    void answerHeldBack()
    {
        QFETCH(int, delayMs);
        QFETCH(int, splitMs);
        QFETCH(int, parts);
        Misbehaviour faults;
        faults.delayMs = delayMs;
        faults.splitMs = splitMs;
        m_simulator->setMisbehaviour(faults);
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);
        QElapsedTimer clock;
        clock.start();
        m_simulator->feed(coilOn);
        QTRY_COMPARE_WITH_TIMEOUT(answers.count(), parts, waitMs + 300);
        QVERIFY2(clock.elapsed() >= 300, qPrintable(QString::number(clock.elapsed())));
        QByteArray whole;
        for (const QList<QVariant> &part : answers)
            whole += part.at(0).toByteArray();
        QCOMPARE(whole, coilOn);
        QCOMPARE(answers.at(0).at(0).toByteArray().size(), coilOn.size() / parts);
    }

    // A request takes the next exchange of the log with its bytes: silence where the log heard
    // none, the recorded bytes (spoilt ones too) spread from the first-byte time to the last,
    // and silence once the rest of the log holds no such request.
    void replayAnswersInTheLogsOrder()
    {
        const QByteArray coilOff = hex("01 05 00 00 00 00 CD CA");
        const QByteArray noisy = hex("01 05 00 00 FF 00 8C 3B");
        const auto exchange = [](const QByteArray &sent, const QByteArray &received,
                                 std::optional<double> first, std::optional<double> last) {
            TrafficRecord record;
            record.sent = sent;
            record.received = received;
            record.outcome =
                received.isEmpty() ? TrafficOutcome::NoResponse : TrafficOutcome::Answer;
            record.firstByteMs = first;
            record.lastByteMs = last;
            return record;
        };
        TrafficRecord portFailure = exchange(coilOn, coilOn, 1, 2);
        portFailure.outcome = TrafficOutcome::PortError;
        m_simulator->setReplay(
            lcdsim::Replay({portFailure, exchange(hiRequest, {}, {}, {}),
                            exchange(coilOn, noisy, 300, 370), exchange(coilOff, coilOff, 5, 12)}));
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);

        // The port failure is passed over; the silent exchange is the first.
        feedAndWaitForFrame(hiRequest);
        QElapsedTimer clock;
        clock.start();
        m_simulator->feed(coilOn);
        QVERIFY(answers.wait(waitMs));
        // The pacer puts the first byte one character time after the start: 300 ms less 10.
        QVERIFY2(clock.elapsed() >= 285, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(answers.at(0).at(0).toByteArray(), noisy);
        QCOMPARE(answers.at(0).at(1).toLongLong(), 10000000);
        QCOMPARE(answers.count(), 1);

        // Passed over now, the silent exchange is not offered again; the next coilOn has none.
        feedAndWaitForFrame(hiRequest);
        feedAndWaitForFrame(coilOn);
        m_simulator->feed(coilOff);
        QVERIFY(answers.wait(waitMs));
        QCOMPARE(answers.at(1).at(0).toByteArray(), coilOff);
        QTest::qWait(50);
        QCOMPARE(answers.count(), 2);
        QCOMPARE(logText().count(QStringLiteral("not in the rest of the replayed log")), 2);
        QCOMPARE(logText().count(QStringLiteral("no answer (as the log recorded: no response)")),
                 1);
    }

    void badCrcSpoilsOnlyTheCrc()
    {
        Misbehaviour faults;
        faults.badCrc = true;
        m_simulator->setMisbehaviour(faults);
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);
        m_simulator->feed(hiRequest);
        QVERIFY(answers.wait(waitMs));
        const QByteArray answer = answers.at(0).at(0).toByteArray();
        QCOMPARE(answer.size(), hiAnswer.size());
        QCOMPARE(answer.left(6), hiAnswer.left(6));
        QVERIFY(crcHolds(hiAnswer));
        QVERIFY(!crcHolds(answer));
    }

    void truncateSendsTheFirstBytes_data()
    {
        QTest::addColumn<int>("keep");
        QTest::addColumn<QByteArray>("sent");

        QTest::newRow("3") << 3 << hiAnswer.left(3);
        QTest::newRow("7") << 7 << hiAnswer.left(7);
        QTest::newRow("more than the answer") << 20 << hiAnswer;
    }

    void truncateSendsTheFirstBytes()
    {
        QFETCH(int, keep);
        QFETCH(QByteArray, sent);
        Misbehaviour faults;
        faults.truncateTo = keep;
        m_simulator->setMisbehaviour(faults);
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);
        m_simulator->feed(hiRequest);
        QVERIFY(answers.wait(waitMs));
        QCOMPARE(answers.at(0).at(0).toByteArray(), sent);
    }

    void truncateToNothingSendsNothing()
    {
        Misbehaviour faults;
        faults.truncateTo = 0;
        m_simulator->setMisbehaviour(faults);
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);
        feedAndWaitForFrame(hiRequest);
        QCOMPARE(answers.count(), 0);
    }

    void logsFramesInHexWithTheirMeaning()
    {
        QSignalSpy answers(m_simulator.get(), &lcdsim::Simulator::answerReady);
        m_simulator->feed(hiRequest);
        QVERIFY(answers.wait(waitMs));
        feedAndWaitForFrame(hex("02 05 00 00 FF 00 8C 09"));

        const QStringList lines = logText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        const QRegularExpression stamped(
            QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d (RX|TX) "));
        for (const QString &line : lines)
            QVERIFY2(stamped.match(line).hasMatch(), qPrintable(line));
        QVERIFY2(lines[0].endsWith(QStringLiteral(
                     " RX 01 10 00 00 00 01 02 48 69 50 7E  write 1 register(s) at 0: \"Hi\"")),
                 qPrintable(lines[0]));
        QVERIFY2(
            lines[1].endsWith(QStringLiteral(" TX 01 10 00 00 00 01 01 C9  registers written")),
            qPrintable(lines[1]));
        QVERIFY2(lines[2].endsWith(QStringLiteral("  for slave 2, ignored")), qPrintable(lines[2]));
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
