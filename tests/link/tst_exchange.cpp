#include "exchange.h"
#include "modvariables.h"
#include "mscomm.h"
#include "ptypair.h"
#include "tempsettings.h"
#include "writecommands.h"

#include "modini.h"

#include <QTimer>
#include <QtTest>

#include <memory>

// The exchange against a real pseudo-terminal whose far end the test scripts. Answers are put on
// the line before the request goes out: nothing is cleared before a request, so the exchange
// reads them after its wait exactly as it would read a prompt answer.
class TestExchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<MSComm> m_port;
    std::unique_ptr<QTimer> m_timer;
    std::unique_ptr<Exchange> m_exchange;
    QString m_txText;
    QString m_rxText;
    QStringList m_rxHistory;

    void sendFunction06()
    {
        const int length = writecommands::buildFunction06(0, 1, 0, 3);
        m_lastOutcome = m_exchange->run(length, writecommands::waitTicks06);
    }

    Exchange::Outcome m_lastOutcome = Exchange::Outcome::Shown;

private slots:
    void init()
    {
        modVariables::resetAll();
        m_settings = std::make_unique<TempSettings>();
        m_pty = std::make_unique<PtyPair>();
        QVERIFY(m_pty->isValid());
        modINI::WriteIni("Ports", "1", m_pty->devicePath());
        m_port = std::make_unique<MSComm>();
        m_port->setCommPort(1);
        m_port->setSettings("9600,n,8,1");
        m_port->setInputMode(1);
        m_port->setPortOpen(true);
        m_timer = std::make_unique<QTimer>();
        m_timer->setInterval(20);
        m_txText.clear();
        m_rxText.clear();
        m_rxHistory.clear();
        m_exchange = std::make_unique<Exchange>(
            *m_port, *m_timer, MonitorField{[this] { return m_txText; }, [this](const QString &t) { m_txText = t; }},
            MonitorField{[this] { return m_rxText; }, [this](const QString &t) {
                             m_rxText = t;
                             m_rxHistory << t;
                         }});
    }

    void cleanup()
    {
        m_exchange.reset();
        m_timer.reset();
        m_port.reset();
        m_pty.reset();
        m_settings.reset();
    }

    void monitorTextIsTwoUpperCaseDigitsAndABlank()
    {
        QCOMPARE(Exchange::monitorText(0x0A), QString("0A "));
        QCOMPARE(Exchange::monitorText(0xAB), QString("AB "));
        QCOMPARE(Exchange::monitorText(0x00), QString("00 "));
    }

    void goodAnswerIsShown()
    {
        m_pty->writeFar(QByteArray::fromHex("010600010003980B"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::Shown);
        QCOMPARE(m_pty->readFar(8), QByteArray::fromHex("010600010003980B"));
        QCOMPARE(m_txText, QString("01 06 00 01 00 03 98 0B "));
        QCOMPARE(m_txText.size(), 24);
        QCOMPARE(m_rxText, QString("01 06 00 01 00 03 98 0B "));
        QCOMPARE(m_timer->isActive(), false);
    }

    void silenceGivesNoResponse()
    {
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::NoResponse);
        QCOMPARE(m_rxText, QString("No Response from LCD"));
        QCOMPARE(m_txText, QString("01 06 00 01 00 03 98 0B "));
    }

    void shortAnswerStaysAndSpoilsTheNext()
    {
        m_pty->writeFar(QByteArray::fromHex("0186019083"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::IncompleteFrame);
        QCOMPARE(m_rxText, QString("Incomplete Frame"));
        QCOMPARE(m_port->inBufferCount(), 5);

        m_pty->writeFar(QByteArray::fromHex("010600010003980B"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::CrcError);
        QCOMPARE(m_rxText, QString("CRC Err"));
        QCOMPARE(modVariables::RxBuf.size(), 13);
    }

    void wrongCrcShowsNoHex()
    {
        m_pty->writeFar(QByteArray::fromHex("0106000100030B98"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::CrcError);
        QCOMPARE(m_rxText, QString("CRC Err"));
        QCOMPARE(modVariables::RxBuf, QByteArray::fromHex("0106000100030B98"));
    }

    void longerAnswerShowsTheFirstEight()
    {
        m_pty->writeFar(QByteArray::fromHex("010600010003980BAA55"));
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::Shown);
        QCOMPARE(m_rxText, QString("01 06 00 01 00 03 98 0B "));
        QCOMPARE(m_port->inBufferCount(), 0);
    }

    void answerFieldStaysEmptyUntilTheEnd()
    {
        m_rxText = QStringLiteral("old answer");
        m_pty->writeFar(QByteArray::fromHex("010600010003980B"));
        QString seenDuringWait = QStringLiteral("(not sampled)");
        QTimer::singleShot(10, [&] { seenDuringWait = m_rxText; });
        sendFunction06();
        QCOMPARE(seenDuringWait, QString());
        QCOMPARE(m_rxHistory.first(), QString());
        QCOMPARE(m_rxText, QString("01 06 00 01 00 03 98 0B "));
    }

    void waitLetsEventsRunAndCountsTicks()
    {
        int eventsDuringWait = 0;
        QTimer other;
        connect(&other, &QTimer::timeout, [&] { ++eventsDuringWait; });
        other.start(5);
        m_exchange->run(writecommands::buildFunction16(0, 0, "Hi"), writecommands::waitTicks16);
        QVERIFY(eventsDuringWait > 0);
        QCOMPARE(modVariables::TickCount, qint16(5));
        QVERIFY(!m_exchange->inProgress());
    }

    void vanishedDeviceEndsAtRest()
    {
        modVariables::UseRts = true;
        m_pty->closeFar();
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::PortError);
        QVERIFY(!m_timer->isActive());
        QVERIFY(!m_exchange->inProgress());
    }

    void closedPortIsAPortError()
    {
        m_port->setPortOpen(false);
        sendFunction06();
        QCOMPARE(m_lastOutcome, Exchange::Outcome::PortError);
        QVERIFY(!m_timer->isActive());
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
