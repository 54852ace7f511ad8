#include "mainwindowharness.h"
#include "modbusslave.h"
#include "ptypair.h"
#include "tempsettings.h"

#include "modini.h"
#include "modvariables.h"
#include "porthint.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString portError = QStringLiteral("COMM PORT ERROR!");
// Function 06, slave 1, register 0, value 0: the choices the window starts with.
const QByteArray request06 = QByteArray::fromHex("01060000000089CA");

QString monitorText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper()) + QLatin1Char(' ');
}

QString labelText(frmMain &window, const char *name)
{
    return control<QLabel>(window, name)->text();
}

} // namespace

// The device behind a connected port goes away (an adapter pulled out, here the far end of a
// real pseudo-terminal closed) while the window talks to it. The window reports it once, comes
// to rest, and takes up a device that is there again through Disconnect and Connect.
class TestVanishedDevice : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void goneDuringAnExchange_data();
    void goneDuringAnExchange();
    void closeAskedForWhileTheDeviceGoes();

private:
    //! A window connected to a fresh pseudo-terminal that port 1 maps to, "Use RTS" as given.
    void connectToNewLine(bool useRts = false);
    //! A Modbus slave on a new pseudo-terminal mapped to port 1, as a device plugged in again.
    void plugInNewDevice();

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<MessageCatcher> m_messages;
    std::unique_ptr<PtyPair> m_line;
    std::unique_ptr<PtyPair> m_newLine;
    std::unique_ptr<ModbusSlave> m_newSlave;
    std::unique_ptr<frmMain> m_window;
};

void TestVanishedDevice::init()
{
    modVariables::resetAll();
    m_settings = std::make_unique<TempSettings>();
    m_messages = std::make_unique<MessageCatcher>();
}

void TestVanishedDevice::cleanup()
{
    m_window.reset();
    m_newSlave.reset();
    m_newLine.reset();
    m_line.reset();
    m_messages.reset();
    m_settings.reset();
}

void TestVanishedDevice::connectToNewLine(bool useRts)
{
    m_line = std::make_unique<PtyPair>();
    QVERIFY(m_line->isValid());
    m_window = makeWindowOnLine(*m_settings, m_line->devicePath());
    control<QCheckBox>(*m_window, "Check1")->setChecked(useRts);
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), connectedLook());
}

void TestVanishedDevice::plugInNewDevice()
{
    m_newLine = std::make_unique<PtyPair>();
    QVERIFY(m_newLine->isValid());
    m_newSlave = std::make_unique<ModbusSlave>(m_newLine->masterFd(), 1);
    QVERIFY(m_newSlave->isValid());
    m_settings->writeRaw(settingsForLine(m_newLine->devicePath()));
}

void TestVanishedDevice::goneDuringAnExchange_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<bool>("useRts");
    QTest::addColumn<QString>("sentShown");

    const QString sent = monitorText(request06);
    QTest::newRow("during the wait, before any answer") << "wait" << false << sent;
    QTest::newRow("during the wait, after the whole answer") << "answered" << false << sent;
    // RTS is lowered once more on the way out; a port that is gone must not make that fail.
    QTest::newRow("during the wait, Use RTS ticked") << "wait" << true << sent;
    // The write itself fails: nothing went out, so nothing is shown as sent.
    QTest::newRow("before the Send") << "before" << false << QString();
}

void TestVanishedDevice::goneDuringAnExchange()
{
    QFETCH(QString, when);
    QFETCH(bool, useRts);
    QFETCH(QString, sentShown);

    connectToNewLine(useRts);
    if (QTest::currentTestFailed())
        return;
    auto *connectButton = control<QPushButton>(*m_window, "cmdConnect");
    auto *timer = control<QTimer>(*m_window, "Timer1");

    bool waited = false;
    if (when == QLatin1String("before")) {
        m_line->closeFar();
    } else {
        duringNextWait(*m_window, [&] {
            waited = true;
            if (when == QLatin1String("answered")) {
                const QByteArray request = m_line->readFar(int(request06.size()));
                m_line->writeFar(request);
            }
            m_line->closeFar();
        });
    }
    QVERIFY(userSends(*m_window, "cmdSend06"));

    QCOMPARE(waited, when != QLatin1String("before"));
    QCOMPARE(m_messages->headlines(), QStringList{portError});
    const QString gone = porthint::hint(CommError::Kind::Vanished, modINI::iniFilePath());
    QVERIFY2(m_messages->details().first().contains(gone.mid(1)),
             qPrintable(m_messages->texts.first()));
    // At rest: no timer, no outcome text, and the look still matches the caption, which only
    // the user changes.
    QVERIFY(!timer->isActive());
    QCOMPARE(labelText(*m_window, "lblTxData"), sentShown);
    QCOMPARE(labelText(*m_window, "lblRxData"), QString());
    QCOMPARE(connectionLook(*m_window), connectedLook());

    // A Send on the dead port says so again, and nothing else.
    QVERIFY(userSends(*m_window, "cmdSend06"));
    QCOMPARE(m_messages->headlines(), (QStringList{portError, portError}));
    QVERIFY(!timer->isActive());

    // No exchange is left running: Disconnect is carried out and releases the dead device.
    userClicks(connectButton);
    QCOMPARE(m_messages->texts.size(), 2);
    QCOMPARE(connectionLook(*m_window), disconnectedLook());

    // A device on the same port number again: Connect takes it up and it answers.
    plugInNewDevice();
    if (QTest::currentTestFailed())
        return;
    userClicks(connectButton);
    QCOMPARE(m_messages->texts.size(), 2);
    QCOMPARE(connectionLook(*m_window), connectedLook());
    awaitAnswerDuringNextWait(*m_window, int(request06.size()));
    QVERIFY(userSends(*m_window, "cmdSend06"));
    QCOMPARE(m_messages->texts.size(), 2);
    QCOMPARE(m_newSlave->requests(), QList<QByteArray>{request06});
    QCOMPARE(labelText(*m_window, "lblRxData"), monitorText(request06));
}

// A close asked for during the wait waits for the exchange; the failure ends the exchange, so
// the window reports it and then closes, saving its settings as any close does.
void TestVanishedDevice::closeAskedForWhileTheDeviceGoes()
{
    connectToNewLine();
    if (QTest::currentTestFailed())
        return;
    bool closedDuringWait = true;
    duringNextWait(*m_window, [this, &closedDuringWait] {
        closedDuringWait = m_window->close();
        m_line->closeFar();
    });
    QVERIFY(userSends(*m_window, "cmdSend06"));

    QVERIFY(!closedDuringWait);
    QCOMPARE(m_messages->headlines(), QStringList{portError});
    QVERIFY(!m_window->isVisible());
    QVERIFY(!m_window->serialPort().portOpen());
    QVERIFY(!control<QTimer>(*m_window, "Timer1")->isActive());
    QVERIFY(m_settings->readRaw().contains("CommPort=1"));
}

QTEST_MAIN(TestVanishedDevice)
#include "tst_vanisheddevice.moc"
