#include "mainwindowharness.h"
#include "modbusslave.h"
#include "ptypair.h"
#include "tempsettings.h"

#include "frmconfiglcd.h"
#include "modvariables.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

const QByteArray request06 = QByteArray::fromHex("01060000000089CA");

QStringList shownMessages(frmConfigLCD &window)
{
    QStringList texts;
    for (int i = 0; i < 6; ++i)
        texts << window.findChild<QLineEdit *>(QStringLiteral("txtMessage_%1").arg(i))->text();
    return texts;
}

} // namespace

// Another program replaces the settings file while this one runs, the way editors and
// configuration tools save: a new file renamed over the old one. Every later read and write
// of this program works on the new file; nothing of the old one lingers.
class TestReplacedSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void configWindowLoadsTheNewFile_data();
    void configWindowLoadsTheNewFile();
    void closingWriteKeepsTheNewFile();
    void uploadWriteKeepsTheNewFile();
    void connectFollowsTheNewPortMap();

private:
    //! A main window over a fake device, its configuration window over fakes as well.
    void startFakeWindow(const QByteArray &settings);
    //! Writes a new file beside the settings file and renames it over it.
    void replaceSettings(const QByteArray &contents);
    frmConfigLCD &openConfigWindow();

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<MessageCatcher> m_messages;
    std::unique_ptr<frmMain> m_window;
};

void TestReplacedSettings::init()
{
    modVariables::resetAll();
    m_settings = std::make_unique<TempSettings>();
    m_messages = std::make_unique<MessageCatcher>();
}

void TestReplacedSettings::cleanup()
{
    m_window.reset();
    m_messages.reset();
    m_settings.reset();
}

void TestReplacedSettings::startFakeWindow(const QByteArray &settings)
{
    m_settings->writeRaw(settings);
    m_window = makeFakeWindow([] { return std::make_unique<FakeSerialDevice>(); }).window;
}

void TestReplacedSettings::replaceSettings(const QByteArray &contents)
{
    const QString fresh = m_settings->path() + QStringLiteral(".new");
    QFile file(fresh);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), contents.size());
    file.close();
    QCOMPARE(std::rename(QFile::encodeName(fresh).constData(),
                         QFile::encodeName(m_settings->path()).constData()),
             0);
}

frmConfigLCD &TestReplacedSettings::openConfigWindow()
{
    userChoosesConfigLcd(*m_window);
    return *m_window->configWindow();
}

void TestReplacedSettings::configWindowLoadsTheNewFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("other messages")
        << QByteArray("[LCD]\r\nrow1=New one\r\nrow2=\" padded \"\r\nrow6=Last\r\n")
        << QStringList{"New one", " padded ", "", "", "", "Last"};
    QTest::newRow("a file in Windows-1252")
        << QByteArray("[LCD]\nrow1=Caf\xE9 \x80 5\n")
        << QStringList{"Caf\u00E9 \u20AC 5", "", "", "", "", ""};
    QTest::newRow("no messages any more")
        << QByteArray("[Settings]\nCommPort=1\n") << QStringList{"", "", "", "", "", ""};
}

// The configuration window reads its messages at every load, so a load after the replacement
// shows the new file's.
void TestReplacedSettings::configWindowLoadsTheNewFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, messages);
    startFakeWindow("[LCD]\nrow1=Old one\nrow2=Old two\nrow3=Old three\n");

    frmConfigLCD &config = openConfigWindow();
    QCOMPARE(shownMessages(config), (QStringList{"Old one", "Old two", "Old three", "", "", ""}));
    QVERIFY(config.close());

    replaceSettings(contents);
    if (QTest::currentTestFailed())
        return;
    openConfigWindow();
    QCOMPARE(shownMessages(config), messages);
    QCOMPARE(m_messages->texts, QStringList());
}

// The closing step stores the window's port and settings into the file as it is now: the new
// file's other lines stay, and nothing of the file the window started from comes back.
void TestReplacedSettings::closingWriteKeepsTheNewFile()
{
    startFakeWindow("[Settings]\nCommPort=2\nSetting=9600,n,8,1\n; only in the old file\n");
    userChooses(control<QComboBox>(*m_window, "cboComm"), 6);
    userClicks(control<QRadioButton>(*m_window, "opt38400"));

    replaceSettings("; bench 4\r\n[Settings]\r\nCommPort=3\r\nSetting=19200,n,8,2\r\n\r\n"
                    "[LCD]\r\nSlave=9\r\nrow1=Kept\r\n[Ports]\r\n7=/dev/ttyUSB3\r\n");
    if (QTest::currentTestFailed())
        return;
    QVERIFY(m_window->close());

    QCOMPARE(m_settings->readRaw(),
             QByteArray("; bench 4\r\n[Settings]\r\nCommPort=7\r\nSetting=38400,n,8,1\r\n\r\n"
                        "[LCD]\r\nSlave=9\r\nrow1=Kept\r\n[Ports]\r\n7=/dev/ttyUSB3\r\n"));
}

// An upload saves the slave ID and the messages on screen into the new file, beside its own
// sections.
void TestReplacedSettings::uploadWriteKeepsTheNewFile()
{
    startFakeWindow("[LCD]\nSlave=2\nrow1=Old one\nrow2=Old two\n");
    frmConfigLCD &config = openConfigWindow();

    replaceSettings("; new\n[Settings]\nCommPort=4\n[LCD]\nSlave=9\nrow1=Other\n"
                    "[Ports]\n1=/dev/ttyUSB3\n");
    if (QTest::currentTestFailed())
        return;
    userClicks(config.findChild<QPushButton *>(QStringLiteral("cmdConfig")));

    QCOMPARE(m_messages->texts, QStringList());
    QCOMPARE(m_settings->readRaw(),
             QByteArray("; new\n[Settings]\nCommPort=4\n[LCD]\nSlave=1\nrow1=Old one\n"
                        "row2=Old two\nrow3=\nrow4=\nrow5=\nrow6=\n[Ports]\n1=/dev/ttyUSB3\n"));
}

// Connect looks the port number's device up when it opens, so a new [Ports] entry leads it to
// the device now at that port.
void TestReplacedSettings::connectFollowsTheNewPortMap()
{
    PtyPair oldLine;
    PtyPair newLine;
    QVERIFY(oldLine.isValid() && newLine.isValid());
    ModbusSlave slave(newLine.masterFd(), 1);
    QVERIFY(slave.isValid());
    m_window = makeWindowOnLine(*m_settings, oldLine.devicePath());

    replaceSettings(settingsForLine(newLine.devicePath()));
    if (QTest::currentTestFailed())
        return;
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), connectedLook());
    awaitAnswerDuringNextWait(*m_window, int(request06.size()));
    QVERIFY(userSends(*m_window, "cmdSend06"));

    QCOMPARE(slave.requests(), QList<QByteArray>{request06});
    QCOMPARE(control<QLabel>(*m_window, "lblRxData")->text(),
             QString::fromLatin1(request06.toHex(' ').toUpper()) + QLatin1Char(' '));
    QCOMPARE(oldLine.readFar(1, 0), QByteArray());
    QCOMPARE(m_messages->texts, QStringList());
}

QTEST_MAIN(TestReplacedSettings)
#include "tst_replacedsettings.moc"
