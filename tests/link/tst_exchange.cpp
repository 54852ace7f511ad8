#include "exchangerig.h"
#include "modvariables.h"
#include "writecommands.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <memory>

#include <time.h>

namespace {

qint64 processCpuNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

// The exchange against a real pseudo-terminal whose far end the test scripts. Answers are put on
// the line before the request goes out: nothing is cleared before a request, so the exchange
// reads them after its wait exactly as it would read a prompt answer.
class TestExchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<ExchangeRig> m_rig;
    Exchange::Outcome m_lastOutcome = Exchange::Outcome::Shown;

    void sendFunction06()
    {
        const int length = writecommands::buildFunction06(0, 1, 0, 3);
        m_lastOutcome = m_rig->run(length, writecommands::waitTicks06);
    }

private slots:
    void init()
    {
        modVariables::resetAll();
        m_rig = std::make_unique<ExchangeRig>();
        QVERIFY(m_rig->isValid());
    }

    void cleanup() { m_rig.reset(); }

    void goodAnswerIsShown()
    {
        m_rig->pty.writeFar(QByteArray::fromHex("010600010003980B"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::Shown);
        QCOMPARE(m_rig->pty.readFar(8), QByteArray::fromHex("010600010003980B"));
        QCOMPARE(m_rig->txText, QString("01 06 00 01 00 03 98 0B "));
        QCOMPARE(m_rig->txText.size(), 24);
        QCOMPARE(m_rig->rxText, QString("01 06 00 01 00 03 98 0B "));
        QCOMPARE(m_rig->timer.isActive(), false);
    }

    void silenceGivesNoResponse()
    {
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::NoResponse);
        QCOMPARE(m_rig->rxText, QString("No Response from LCD"));
        QCOMPARE(m_rig->txText, QString("01 06 00 01 00 03 98 0B "));
    }

    void shortAnswerStaysAndSpoilsTheNext()
    {
        m_rig->pty.writeFar(QByteArray::fromHex("0186019083"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::IncompleteFrame);
        QCOMPARE(m_rig->rxText, QString("Incomplete Frame"));
        QCOMPARE(m_rig->port.inBufferCount(), 5);

        m_rig->pty.writeFar(QByteArray::fromHex("010600010003980B"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::CrcError);
        QCOMPARE(m_rig->rxText, QString("CRC Err"));
        QCOMPARE(modVariables::RxBuf.size(), 13);
    }

    void wrongCrcShowsNoHex()
    {
        m_rig->pty.writeFar(QByteArray::fromHex("0106000100030B98"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::CrcError);
        QCOMPARE(m_rig->rxText, QString("CRC Err"));
        QCOMPARE(modVariables::RxBuf, QByteArray::fromHex("0106000100030B98"));
    }

    void longerAnswerShowsTheFirstEight()
    {
        m_rig->pty.writeFar(QByteArray::fromHex("010600010003980BAA55"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::Shown);
        QCOMPARE(m_rig->rxText, QString("01 06 00 01 00 03 98 0B "));
        QCOMPARE(m_rig->port.inBufferCount(), 0);
    }

    // The window compares neither slave address nor function code: a good CRC is shown.
    void answerFromAnotherSlaveIsShown()
    {
        m_rig->pty.writeFar(QByteArray::fromHex("0206000100039838"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::Shown);
        QCOMPARE(m_rig->rxText, QString("02 06 00 01 00 03 98 38 "));
    }

    void answerFieldStaysEmptyUntilTheEnd()
    {
        m_rig->rxText = QStringLiteral("old answer");
        m_rig->pty.writeFar(QByteArray::fromHex("010600010003980B"));
        QString seenDuringWait = QStringLiteral("(not sampled)");
        QTimer::singleShot(10, [&] { seenDuringWait = m_rig->rxText; });
        sendFunction06();
        QCOMPARE(seenDuringWait, QString());
        QCOMPARE(m_rig->rxHistory.first(), QString());
        QCOMPARE(m_rig->rxText, QString("01 06 00 01 00 03 98 0B "));
    }

    void waitLetsEventsRunAndCountsTicks()
    {
        int eventsDuringWait = 0;
        QTimer other;
        connect(&other, &QTimer::timeout, [&] { ++eventsDuringWait; });
        other.start(5);
        m_rig->run(writecommands::buildFunction16(0, 0, "Hi"), writecommands::waitTicks16);
        QVERIFY(eventsDuringWait > 0);
        QCOMPARE(modVariables::TickCount, qint16(5));
        QVERIFY(!m_rig->exchange.inProgress());
    }

    // A wait that spins uses the processor for as much of the wait as the machine gives it: all
    // of it when idle, a fifth of it on a heavily loaded machine here. A sleeping wait wakes only
    // for its ticks and uses well under one percent. The line lies at a twenty-fifth.
    void waitSleepsInsteadOfSpinning()
    {
        constexpr int ticks = 25;
        const int length = writecommands::buildFunction06(0, 1, 0, 3);
        QElapsedTimer wall;
        wall.start();
        const qint64 cpuBefore = processCpuNanoseconds();
        m_lastOutcome = m_rig->run(length, ticks);
        const qint64 cpu = processCpuNanoseconds() - cpuBefore;
        const qint64 elapsed = wall.nsecsElapsed();

        QCOMPARE(m_lastOutcome, Exchange::Outcome::NoResponse);
        QCOMPARE(modVariables::TickCount, qint16(ticks));
        const QByteArray figures = QStringLiteral("%1 ms of processor time over a wait of %2 ms")
                                       .arg(double(cpu) / 1e6, 0, 'f', 2)
                                       .arg(double(elapsed) / 1e6, 0, 'f', 1)
                                       .toLatin1();
        qInfo("%s", figures.constData());
        QVERIFY2(cpu * 25 < elapsed, figures.constData());
    }

    void vanishedDeviceEndsAtRest()
    {
        modVariables::UseRts = true;
        m_rig->pty.closeFar();
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::PortError);
        QVERIFY(!m_rig->timer.isActive());
        QVERIFY(!m_rig->exchange.inProgress());
    }

    void closedPortIsAPortError()
    {
        m_rig->port.setPortOpen(false);
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::PortError);
        QVERIFY(!m_rig->timer.isActive());
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
