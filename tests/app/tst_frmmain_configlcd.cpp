#include "mainwindowharness.h"
#include "modbusslave.h"
#include "ptypair.h"
#include "tempsettings.h"

#include "frmconfiglcd.h"
#include "modini.h"
#include "modvariables.h"
#include "porthint.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <memory>

using Kind = FakeSerialDevice::Kind;

namespace {

const QString portError = QStringLiteral("COMM PORT ERROR!");
constexpr int configImageSize = 110;

QPushButton *configSend(frmConfigLCD &window)
{
    return window.findChild<QPushButton *>(QStringLiteral("cmdConfig"));
}

} // namespace

// "Config LCD": the main window lets go of its port and opens the one configuration window,
// which then holds the line until it is closed.
class TestFrmMainConfigLcd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void madeOnceAndKeptAsAWindowOfItsOwn();
    void closesTheMainPortAndSamplesUseRts_data();
    void closesTheMainPortAndSamplesUseRts();
    void configWindowTakesOverTheMainLine();
    void connectFailsWhileTheConfigWindowHoldsThePort();

private:
    //! A main window over a fake device whose configuration window gets fakes as well.
    void makeFakeWindows();
    //! A main window on a pseudo-terminal; the configuration window finds it through [Ports].
    void makeWindowOnLine();

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<MessageCatcher> m_messages;
    std::unique_ptr<PtyPair> m_line;
    std::unique_ptr<frmMain> m_window;
    FakeSerialDevice *m_device = nullptr;
    int m_configDevicesMade = 0;
};

void TestFrmMainConfigLcd::init()
{
    modVariables::resetAll();
    m_settings = std::make_unique<TempSettings>();
    m_messages = std::make_unique<MessageCatcher>();
    m_configDevicesMade = 0;
}

void TestFrmMainConfigLcd::cleanup()
{
    m_window.reset();
    m_device = nullptr;
    m_line.reset();
    m_messages.reset();
    m_settings.reset();
}

void TestFrmMainConfigLcd::makeFakeWindows()
{
    FakeWindow made = makeFakeWindow([this] {
        ++m_configDevicesMade;
        return std::make_unique<FakeSerialDevice>();
    });
    m_window = std::move(made.window);
    m_device = made.device;
}

void TestFrmMainConfigLcd::makeWindowOnLine()
{
    m_line = std::make_unique<PtyPair>();
    QVERIFY(m_line->isValid());
    m_window = ::makeWindowOnLine(*m_settings, m_line->devicePath());
}

void TestFrmMainConfigLcd::madeOnceAndKeptAsAWindowOfItsOwn()
{
    makeFakeWindows();
    QVERIFY(m_window->configWindow() == nullptr);

    userChoosesConfigLcd(*m_window);
    QPointer<frmConfigLCD> config = m_window->configWindow();
    QVERIFY(config);
    QVERIFY(config->isVisible());
    QVERIFY(config->isWindow());
    QVERIFY(config->parentWidget() == nullptr);
    QVERIFY(config->isLoaded());
    QCOMPARE(m_configDevicesMade, 1);

    // Chosen again while open: the same window, not loaded again, the user's choice kept.
    auto *slaveIds = config->findChild<QComboBox *>(QStringLiteral("cboSID"));
    userChooses(slaveIds, 6);
    userChoosesConfigLcd(*m_window);
    QCOMPARE(m_window->configWindow(), config.data());
    QCOMPARE(m_configDevicesMade, 1);
    QCOMPARE(slaveIds->currentIndex(), 6);

    // Closed, it is unloaded but kept; the next choice loads it again.
    QVERIFY(config->close());
    QVERIFY(!config->isLoaded());
    userChoosesConfigLcd(*m_window);
    QCOMPARE(m_window->configWindow(), config.data());
    QVERIFY(config->isVisible());
    QCOMPARE(m_configDevicesMade, 2);
    QCOMPARE(slaveIds->currentIndex(), 0);

    // It goes with the main window.
    m_window.reset();
    QVERIFY(config.isNull());
    QCOMPARE(m_messages->texts, QStringList());
}

void TestFrmMainConfigLcd::closesTheMainPortAndSamplesUseRts_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<bool>("useRts");
    QTest::newRow("connected, Use RTS ticked") << true << true;
    QTest::newRow("connected, Use RTS clear") << true << false;
    QTest::newRow("disconnected, Use RTS ticked") << false << true;
    QTest::newRow("disconnected, Use RTS clear") << false << false;
}

void TestFrmMainConfigLcd::closesTheMainPortAndSamplesUseRts()
{
    QFETCH(bool, connected);
    QFETCH(bool, useRts);

    makeFakeWindows();
    auto *connectButton = control<QPushButton>(*m_window, "cmdConnect");
    if (connected)
        userClicks(connectButton);
    control<QCheckBox>(*m_window, "Check1")->setChecked(useRts);
    modVariables::UseRts = !useRts;
    m_device->clearEvents();

    userChoosesConfigLcd(*m_window);
    QVERIFY(m_window->configWindow() != nullptr);
    QCOMPARE(modVariables::UseRts, useRts);
    // The look stays as it was; only the port is let go.
    ConnectionLook expected = connected ? connectedLook() : disconnectedLook();
    expected.portOpen = false;
    QCOMPARE(connectionLook(*m_window), expected);
    QCOMPARE(m_device->kinds(), connected ? QList<Kind>{Kind::Close} : QList<Kind>{});

    // "Disconnect" on the already closed port is no error and brings the disconnected look.
    if (connected)
        userClicks(connectButton);
    QCOMPARE(connectionLook(*m_window), disconnectedLook());
    QCOMPARE(m_messages->texts, QStringList());
}

// The same line, first the main window's, then the configuration window's: the upload reaches
// the far end, and a Send of the main window finds its own port closed.
void TestFrmMainConfigLcd::configWindowTakesOverTheMainLine()
{
    makeWindowOnLine();
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), connectedLook());

    userChoosesConfigLcd(*m_window);
    QVERIFY(!m_window->serialPort().portOpen());
    frmConfigLCD *config = m_window->configWindow();
    QVERIFY(config);
    QVERIFY(config->serialPort() && config->serialPort()->portOpen());
    QCOMPARE(m_messages->texts, QStringList());

    QTest::mouseClick(configSend(*config), Qt::LeftButton);
    const QByteArray upload = m_line->readFar(configImageSize);
    QCOMPARE(upload.size(), configImageSize);
    QCOMPARE(upload.left(96), QByteArray(96, ' '));

    QVERIFY(userSends(*m_window, "cmdSend06"));
    QCOMPARE(m_messages->headlines(), QStringList{portError});
    QVERIFY2(m_messages->details().first().contains(QStringLiteral("not open")),
             qPrintable(m_messages->texts.first()));
    QCOMPARE(control<QLabel>(*m_window, "lblRxData")->text(), QString());
    QVERIFY(config->serialPort()->portOpen());
}

void TestFrmMainConfigLcd::connectFailsWhileTheConfigWindowHoldsThePort()
{
    makeWindowOnLine();
    ModbusSlave slave(m_line->masterFd(), 1);
    QVERIFY(slave.isValid());
    auto *connectButton = control<QPushButton>(*m_window, "cmdConnect");

    userChoosesConfigLcd(*m_window);
    frmConfigLCD *config = m_window->configWindow();
    QVERIFY(config && config->serialPort()->portOpen());

    // Another port object holds the device and its lock file: the remedy says so.
    userClicks(connectButton);
    QCOMPARE(m_messages->headlines(), QStringList{portError});
    const QString detail = m_messages->details().first();
    QVERIFY2(detail.startsWith(m_line->devicePath() + QStringLiteral(": ")), qPrintable(detail));
    QVERIFY2(detail.contains(porthint::hint(CommError::Kind::Locked, modINI::iniFilePath()).mid(1)),
             qPrintable(detail));
    QCOMPARE(connectionLook(*m_window), disconnectedLook());

    // Closing the configuration window frees the line; the main window connects and sends.
    QVERIFY(config->close());
    userClicks(connectButton);
    QCOMPARE(connectionLook(*m_window), connectedLook());
    QCOMPARE(m_messages->texts.size(), 1);
    awaitAnswerDuringNextWait(*m_window, 8);
    QVERIFY(userSends(*m_window, "cmdSend05"));
    const QByteArray request = QByteArray::fromHex("010500000000CDCA");
    QCOMPARE(slave.requests(), QList<QByteArray>{request});
    QCOMPARE(control<QLabel>(*m_window, "lblRxData")->text(),
             QStringLiteral("01 05 00 00 00 00 CD CA "));
}

QTEST_MAIN(TestFrmMainConfigLcd)
#include "tst_frmmain_configlcd.moc"
