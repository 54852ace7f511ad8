#include "mainwindowharness.h"
#include "modbusslave.h"
#include "portmap.h"
#include "ptypair.h"
#include "tempsettings.h"

#include "commerror.h"
#include "modvariables.h"
#include "mscomm.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using Kind = FakeSerialDevice::Kind;
using Operation = FakeSerialDevice::Operation;

namespace {

const QString portError = QStringLiteral("COMM PORT ERROR!");

QString monitorText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper()) + QLatin1Char(' ');
}

QString txText(frmMain &window)
{
    return control<QLabel>(window, "lblTxData")->text();
}

QString rxText(frmMain &window)
{
    return control<QLabel>(window, "lblRxData")->text();
}

//! "cboAddr06=24" chooses entry 24 of cboAddr06 as the user would.
void applyChoices(frmMain &window, const QStringList &choices)
{
    for (const QString &choice : choices) {
        const QStringList parts = choice.split(QLatin1Char('='));
        userChooses(control<QComboBox>(window, parts[0].toLatin1().constData()), parts[1].toInt());
    }
}

} // namespace

// The three Send buttons through the real window: what goes on the line, what the monitor
// shows, the lists that must have a choice, RTS, and what the window does during the wait.
class TestFrmMainSend : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void requestAndRealAnswer_data();
    void requestAndRealAnswer();
    void listWithoutChoiceRefusesTheSend_data();
    void listWithoutChoiceRefusesTheSend();
    void slaveAndCoilValueWithoutChoiceStillSend_data();
    void slaveAndCoilValueWithoutChoiceStillSend();
    void rtsAroundEveryRequest_data();
    void rtsAroundEveryRequest();
    void eachSendWaitsItsOwnTicks_data();
    void eachSendWaitsItsOwnTicks();
    void sendsDuringTheWaitDoNothing();
    void connectAndConfigLcdDuringTheWaitDoNothing();
    void closeDuringTheWaitClosesAfterIt();
    void portFailureEndsAtRest_data();
    void portFailureEndsAtRest();
    void closingReleasesThePort();

private:
    //! A connected window on a pseudo-terminal whose far end is a Modbus slave with this ID.
    void connectToSlave(int slaveId);
    //! A connected window over a fake device; "Use RTS" ticked first when useRts.
    void connectToFake(bool useRts = false);

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<MessageCatcher> m_messages;
    std::unique_ptr<PtyPair> m_line;
    std::unique_ptr<ModbusSlave> m_slave;
    std::unique_ptr<frmMain> m_window;
    FakeSerialDevice *m_device = nullptr;
};

void TestFrmMainSend::init()
{
    modVariables::resetAll();
    m_settings = std::make_unique<TempSettings>();
    m_messages = std::make_unique<MessageCatcher>();
}

void TestFrmMainSend::cleanup()
{
    m_window.reset();
    m_device = nullptr;
    m_slave.reset();
    m_line.reset();
    m_messages.reset();
    m_settings.reset();
}

void TestFrmMainSend::connectToSlave(int slaveId)
{
    m_line = std::make_unique<PtyPair>();
    QVERIFY(m_line->isValid());
    m_slave = std::make_unique<ModbusSlave>(m_line->masterFd(), slaveId);
    QVERIFY(m_slave->isValid());
    m_window = makeWindowOnLine(*m_settings, m_line->devicePath());
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), connectedLook());
}

void TestFrmMainSend::connectToFake(bool useRts)
{
    FakeWindow made = makeFakeWindow([] { return std::make_unique<FakeSerialDevice>(); });
    m_window = std::move(made.window);
    m_device = made.device;
    if (useRts)
        userClicks(control<QCheckBox>(*m_window, "Check1"));
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), connectedLook());
    m_device->clearEvents();
}

void TestFrmMainSend::requestAndRealAnswer_data()
{
    QTest::addColumn<int>("slaveId");
    QTest::addColumn<QString>("send");
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("shown");

    const auto answer = [](const char *hex) { return monitorText(QByteArray::fromHex(hex)); };
    QTest::newRow("05 coil 0 on") << 1 << "cmdSend05" << QStringList{"cboData05=1"} << ""
                                  << QByteArray::fromHex("01050000FF008C3A")
                                  << answer("01050000FF008C3A");
    QTest::newRow("05 choices at start-up")
        << 1 << "cmdSend05" << QStringList{} << "" << QByteArray::fromHex("010500000000CDCA")
        << answer("010500000000CDCA");
    QTest::newRow("05 coil 1 on") << 1 << "cmdSend05" << QStringList{"cboAddr05=1", "cboData05=1"}
                                  << "" << QByteArray::fromHex("01050001FF00DDFA")
                                  << answer("01050001FF00DDFA");
    QTest::newRow("06 register 1 value 3")
        << 1 << "cmdSend06" << QStringList{"cboAddr06=1", "cboDataL06=3"} << ""
        << QByteArray::fromHex("010600010003980B") << answer("010600010003980B");
    QTest::newRow("06 last register, high byte FF")
        << 1 << "cmdSend06" << QStringList{"cboAddr06=24", "cboDataH06=255"} << ""
        << QByteArray::fromHex("01060018FF00483D") << answer("01060018FF00483D");
    QTest::newRow("16 Hi") << 1 << "cmdSend16" << QStringList{} << "Hi"
                           << QByteArray::fromHex("011000000001024869507E")
                           << answer("01100000000101C9");
    QTest::newRow("16 slave 2 start 3")
        << 2 << "cmdSend16" << QStringList{"cboSlaveID=1", "cboAddr16=3"} << "Hi"
        << QByteArray::fromHex("02100003000102486944BD") << answer("021000030001F1FA");
    QTest::newRow("16 32 characters fill the buffer")
        << 1 << "cmdSend16" << QStringList{} << "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"
        << QByteArray::fromHex("01100000001020"
                               "4142434445464748494A4B4C4D4E4F505152535455565758595A303132333435"
                               "E43D")
        << answer("011000000010C1C5");
    // The Euro sign has a Windows-1252 code; Omega has none and goes as '?'.
    QTest::newRow("16 outside Windows-1252")
        << 1 << "cmdSend16" << QStringList{} << QStringLiteral("\u20AC\u03A9")
        << QByteArray::fromHex("01100000000102803F8780") << answer("01100000000101C9");
    // Three bytes in two registers: a Modbus slave refuses that with a 5-byte exception.
    QTest::newRow("16 odd length")
        << 1 << "cmdSend16" << QStringList{} << "Hey"
        << QByteArray::fromHex("01100000000203486579FF22") << QStringLiteral("Incomplete Frame");
}

void TestFrmMainSend::requestAndRealAnswer()
{
    QFETCH(int, slaveId);
    QFETCH(QString, send);
    QFETCH(QStringList, choices);
    QFETCH(QString, message);
    QFETCH(QByteArray, request);
    QFETCH(QString, shown);

    connectToSlave(slaveId);
    applyChoices(*m_window, choices);
    userTypes(control<QLineEdit>(*m_window, "txtMessage"), message);
    const int answerBytes = shown.startsWith(QLatin1String("Incomplete")) ? 5 : 8;
    awaitAnswerDuringNextWait(*m_window, answerBytes);
    QVERIFY(userSends(*m_window, qPrintable(send)));

    QCOMPARE(m_slave->requests(), QList<QByteArray>{request});
    QCOMPARE(txText(*m_window), monitorText(request));
    QCOMPARE(rxText(*m_window), shown);
    QCOMPARE(m_messages->texts, QStringList());
    QVERIFY(!control<QTimer>(*m_window, "Timer1")->isActive());
}

void TestFrmMainSend::listWithoutChoiceRefusesTheSend_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("send");
    QTest::addColumn<QString>("text");
    QTest::newRow("cboAddr05") << "cboAddr05"
                               << "cmdSend05"
                               << "Select a Register Address from the list.";
    QTest::newRow("cboAddr06") << "cboAddr06"
                               << "cmdSend06"
                               << "Select a Register Address from the list.";
    QTest::newRow("cboDataH06") << "cboDataH06"
                                << "cmdSend06"
                                << "Select a Data Hi value from the list.";
    QTest::newRow("cboDataL06") << "cboDataL06"
                                << "cmdSend06"
                                << "Select a Data Lo value from the list.";
    QTest::newRow("cboAddr16") << "cboAddr16"
                               << "cmdSend16"
                               << "Select a Start Register Address from the list.";
}

void TestFrmMainSend::listWithoutChoiceRefusesTheSend()
{
    QFETCH(QString, list);
    QFETCH(QString, send);
    QFETCH(QString, text);

    connectToFake();
    m_device->answerNextWrite(QByteArray::fromHex("010600010003980B"));
    QVERIFY(userSends(*m_window, qPrintable(send)));
    const QString sentBefore = txText(*m_window);
    const QString shownBefore = rxText(*m_window);
    QVERIFY(!sentBefore.isEmpty());
    m_device->clearEvents();

    // The entry's own text typed in is still no choice.
    auto *combo = control<QComboBox>(*m_window, list.toLatin1().constData());
    userTypesOver(combo, combo->itemText(1));
    QVERIFY(userSends(*m_window, qPrintable(send)));

    QCOMPARE(m_messages->texts, QStringList{text});
    QCOMPARE(m_device->kinds(), QList<Kind>());
    QCOMPARE(txText(*m_window), sentBefore);
    QCOMPARE(rxText(*m_window), shownBefore);

    // Picking an entry again makes the list usable at once.
    userChooses(combo, 1);
    QVERIFY(userSends(*m_window, qPrintable(send)));
    QCOMPARE(m_messages->texts.size(), 1);
    QCOMPARE(countOf(*m_device, Kind::Write), 1);
}

void TestFrmMainSend::slaveAndCoilValueWithoutChoiceStillSend_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("send");
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("slave typed over goes to address 0")
        << "cboSlaveID"
        << "cmdSend06" << QByteArray::fromHex("000600000000881B");
    QTest::newRow("coil value typed over switches the coil on")
        << "cboData05"
        << "cmdSend05" << QByteArray::fromHex("01050000FF008C3A");
}

void TestFrmMainSend::slaveAndCoilValueWithoutChoiceStillSend()
{
    QFETCH(QString, list);
    QFETCH(QString, send);
    QFETCH(QByteArray, request);

    connectToFake();
    // Entry 0 is current: a handler reading the current entry instead of the choice would send
    // slave 1 or coil off.
    auto *combo = control<QComboBox>(*m_window, list.toLatin1().constData());
    userTypesOver(combo, combo->itemText(0) + QLatin1Char('x'));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(userSends(*m_window, qPrintable(send)));

    QCOMPARE(m_messages->texts, QStringList());
    QCOMPARE(m_device->written().toHex(' '), request.toHex(' '));
    QCOMPARE(rxText(*m_window), QStringLiteral("No Response from LCD"));
}

void TestFrmMainSend::rtsAroundEveryRequest_data()
{
    QTest::addColumn<QString>("send");
    QTest::addColumn<bool>("tickedAtConnect");
    QTest::addColumn<bool>("tickedAfterConnect");
    for (const char *send : {"cmdSend05", "cmdSend06", "cmdSend16"}) {
        QTest::addRow("%s, Use RTS ticked at Connect", send) << send << true << true;
        QTest::addRow("%s, Use RTS clear", send) << send << false << false;
        QTest::addRow("%s, Use RTS ticked after Connect", send) << send << false << true;
        QTest::addRow("%s, Use RTS cleared after Connect", send) << send << true << false;
    }
}

void TestFrmMainSend::rtsAroundEveryRequest()
{
    QFETCH(QString, send);
    QFETCH(bool, tickedAtConnect);
    QFETCH(bool, tickedAfterConnect);

    connectToFake(tickedAtConnect);
    control<QCheckBox>(*m_window, "Check1")->setChecked(tickedAfterConnect);
    userTypes(control<QLineEdit>(*m_window, "txtMessage"), QStringLiteral("Hi"));
    QVERIFY(userSends(*m_window, qPrintable(send)));
    QVERIFY(userSends(*m_window, qPrintable(send)));

    // Lowering RTS waits for the frame to leave the port: drained first.
    const QList<Kind> oneRequest = tickedAtConnect
                                       ? QList<Kind>{Kind::Rts, Kind::Write, Kind::Drain, Kind::Rts}
                                       : QList<Kind>{Kind::Write};
    QCOMPARE(m_device->kinds(), oneRequest + oneRequest);
    if (tickedAtConnect) {
        const QList<FakeSerialDevice::Event> &events = m_device->events();
        QVERIFY(events[0].high);
        QVERIFY(!events[3].high);
        QVERIFY(events[4].high);
        QVERIFY(!events[7].high);
    }
    QVERIFY(!m_device->rts());
}

void TestFrmMainSend::eachSendWaitsItsOwnTicks_data()
{
    QTest::addColumn<QString>("send");
    QTest::addColumn<int>("ticks");
    QTest::newRow("05") << "cmdSend05" << 3;
    QTest::newRow("06") << "cmdSend06" << 3;
    QTest::newRow("16") << "cmdSend16" << 5;
}

// A silent display lets each wait run to its end; the ticks counted are the ticks waited. Each
// button is pressed twice so that the second wait cannot inherit the first one's count.
void TestFrmMainSend::eachSendWaitsItsOwnTicks()
{
    QFETCH(QString, send);
    QFETCH(int, ticks);

    connectToFake();
    userTypes(control<QLineEdit>(*m_window, "txtMessage"), QStringLiteral("Hi"));
    for (int press = 0; press < 2; ++press) {
        int tickedDuringWait = -1;
        duringNextWait(*m_window, [&] { tickedDuringWait = modVariables::TickCount; });
        QVERIFY(userSends(*m_window, qPrintable(send)));
        QCOMPARE(tickedDuringWait, 1);
        QCOMPARE(int(modVariables::TickCount), ticks);
        QCOMPARE(rxText(*m_window), QStringLiteral("No Response from LCD"));
    }
    QCOMPARE(countOf(*m_device, Kind::Write), 2);
    QCOMPARE(m_messages->texts, QStringList());
}

// The first exchange's wait sees every press of Send; none of them may start an exchange of
// its own, and the first one's answer must still be read and shown.
void TestFrmMainSend::sendsDuringTheWaitDoNothing()
{
    connectToSlave(1);
    applyChoices(*m_window, {"cboAddr06=1", "cboDataL06=3"});
    const QByteArray request06 = QByteArray::fromHex("010600010003980B");

    bool pressedDuringWait = false;
    QString sentDuringWait;
    QString shownDuringWait = QStringLiteral("(not sampled)");
    duringNextWait(*m_window, [&] {
        pressedDuringWait = control<QTimer>(*m_window, "Timer1")->isActive();
        for (const char *send : {"cmdSend06", "cmdSend05", "cmdSend16"})
            userClicks(control<QPushButton>(*m_window, send));
        sentDuringWait = txText(*m_window);
        shownDuringWait = rxText(*m_window);
    });
    awaitAnswerDuringNextWait(*m_window, 8);
    QVERIFY(userSends(*m_window, "cmdSend06"));

    QVERIFY(pressedDuringWait);
    QCOMPARE(sentDuringWait, monitorText(request06));
    QCOMPARE(shownDuringWait, QString());
    QCOMPARE(m_slave->requests(), QList<QByteArray>{request06});
    QCOMPARE(modVariables::TickCount, qint16(3));
    QCOMPARE(rxText(*m_window), monitorText(request06));
    QVERIFY(!control<QTimer>(*m_window, "Timer1")->isActive());

    // Once the exchange has ended, Send works again.
    awaitAnswerDuringNextWait(*m_window, 8);
    QVERIFY(userSends(*m_window, "cmdSend05"));
    const QByteArray request05 = QByteArray::fromHex("010500000000CDCA");
    QCOMPARE(m_slave->requests(), (QList<QByteArray>{request06, request05}));
    QCOMPARE(rxText(*m_window), monitorText(request05));
}

void TestFrmMainSend::connectAndConfigLcdDuringTheWaitDoNothing()
{
    connectToFake();
    m_device->answerNextWrite(QByteArray::fromHex("010500000000CDCA"));
    duringNextWait(*m_window, [this] {
        // Would be sampled into UseRts by either handler.
        control<QCheckBox>(*m_window, "Check1")->setChecked(true);
        userClicks(control<QPushButton>(*m_window, "cmdConnect"));
        userChoosesConfigLcd(*m_window);
    });
    QVERIFY(userSends(*m_window, "cmdSend05"));

    QCOMPARE(connectionLook(*m_window), connectedLook());
    QCOMPARE(m_device->kinds(), QList<Kind>{Kind::Write});
    QVERIFY(!modVariables::UseRts);
    QVERIFY(m_window->configWindow() == nullptr);
    QCOMPARE(rxText(*m_window), monitorText(QByteArray::fromHex("010500000000CDCA")));
    QCOMPARE(m_messages->texts, QStringList());

    // Afterwards both work again.
    userChoosesConfigLcd(*m_window);
    QVERIFY(m_window->configWindow() != nullptr);
    QVERIFY(!m_window->serialPort().portOpen());
    QVERIFY(modVariables::UseRts);
}

void TestFrmMainSend::closeDuringTheWaitClosesAfterIt()
{
    connectToFake();
    m_device->answerNextWrite(QByteArray::fromHex("010500000000CDCA"));
    bool closedDuringWait = true;
    bool visibleDuringWait = false;
    QByteArray settingsDuringWait;
    duringNextWait(*m_window, [&] {
        closedDuringWait = m_window->close();
        visibleDuringWait = m_window->isVisible();
        settingsDuringWait = m_settings->readRaw();
    });
    QVERIFY(userSends(*m_window, "cmdSend05"));

    QVERIFY(!closedDuringWait);
    QVERIFY(visibleDuringWait);
    QVERIFY(!settingsDuringWait.contains("CommPort"));
    QVERIFY(!m_window->isVisible());
    QCOMPARE(rxText(*m_window), monitorText(QByteArray::fromHex("010500000000CDCA")));
    QCOMPARE(m_device->kinds(), (QList<Kind>{Kind::Write, Kind::Close}));
    QVERIFY(m_settings->readRaw().contains("CommPort"));
}

void TestFrmMainSend::portFailureEndsAtRest_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("reason");
    QTest::newRow("port closed by Config LCD") << "config"
                                               << "not open";
    QTest::newRow("write fails") << "write"
                                 << "operation failed";
    QTest::newRow("read fails") << "read"
                                << "operation failed";
}

// Whatever goes wrong, the window ends at rest: timer off, RTS low, one message, and the user
// gets going again with Disconnect and Connect.
void TestFrmMainSend::portFailureEndsAtRest()
{
    QFETCH(QString, failure);
    QFETCH(QString, reason);

    connectToFake(true);
    if (failure == QLatin1String("config"))
        userChoosesConfigLcd(*m_window);
    else
        m_device->failNext(failure == QLatin1String("write") ? Operation::Write : Operation::Read);
    QVERIFY(userSends(*m_window, "cmdSend06"));

    QCOMPARE(m_messages->headlines(), QStringList{portError});
    QVERIFY2(m_messages->details().first().contains(reason), qPrintable(m_messages->texts.first()));
    QVERIFY(!control<QTimer>(*m_window, "Timer1")->isActive());
    QVERIFY(!m_device->rts());
    QCOMPARE(rxText(*m_window), QString());

    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), disconnectedLook());
    m_device->clearEvents();
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), connectedLook());
    // The port opens with RTS low: the failed exchange left nothing raised behind.
    QCOMPARE(m_device->kinds(), (QList<Kind>{Kind::Open, Kind::Rts}));
    QVERIFY(!m_device->events().last().high);

    m_device->answerNextWrite(QByteArray::fromHex("01060000000089CA"));
    QVERIFY(userSends(*m_window, "cmdSend06"));
    QCOMPARE(m_messages->texts.size(), 1);
    QCOMPARE(rxText(*m_window), monitorText(QByteArray::fromHex("01060000000089CA")));
}

void TestFrmMainSend::closingReleasesThePort()
{
    connectToSlave(1);
    MSComm other(portmap::devicePath);
    other.setCommPort(1);
    QVERIFY_THROWS_EXCEPTION(CommError, other.setPortOpen(true));

    QVERIFY(m_window->close());
    QVERIFY(!m_window->serialPort().portOpen());
    other.setPortOpen(true);
    QVERIFY(other.portOpen());
    QVERIFY(m_settings->readRaw().contains("CommPort=1"));
}

QTEST_MAIN(TestFrmMainSend)
#include "tst_frmmain_send.moc"
