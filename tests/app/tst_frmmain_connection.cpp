#include "mainwindowharness.h"
#include "portmap.h"
#include "ptypair.h"
#include "tempsettings.h"

#include "combolist.h"
#include "modvariables.h"
#include "porthint.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

// The port settings handlers, Connect / Disconnect and the slave list.
class TestFrmMainConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void settingsFollowBaudAndFormat();
    void settingsChoice_data();
    void settingsChoice();
    void portChoice_data();
    void portChoice();
    void keyboardChoiceIsAChoice();
    void slaveChoice();
    void typedTextChangesNothing_data();
    void typedTextChangesNothing();
    void connectAndDisconnectOnARealLine();
    void connectToMissingDevice_data();
    void connectToMissingDevice();
    void connectOpensTheChosenPortWithTheChosenSettings();
    void failedOpenCanBeRetried();
    void settingsHandlerFailureIsShown_data();
    void settingsHandlerFailureIsShown();

private:
    //! A window over a fake device, its settings file holding these lines first.
    std::unique_ptr<frmMain> fakeWindow(const QByteArray &file);
    void showWindow();

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<MessageCatcher> m_messages;
    FakeSerialDevice *m_device = nullptr;
    std::unique_ptr<frmMain> m_window;
};

void TestFrmMainConnection::init()
{
    modVariables::resetAll();
    m_settings = std::make_unique<TempSettings>();
    m_messages = std::make_unique<MessageCatcher>();
}

void TestFrmMainConnection::cleanup()
{
    m_window.reset();
    m_device = nullptr;
    m_messages.reset();
    m_settings.reset();
}

std::unique_ptr<frmMain> TestFrmMainConnection::fakeWindow(const QByteArray &file)
{
    m_settings->writeRaw(file);
    FakeWindow made = makeFakeWindow();
    m_device = made.device;
    return std::move(made.window);
}

void TestFrmMainConnection::settingsFollowBaudAndFormat()
{
    m_window = fakeWindow("[Settings]\nCommPort=1\nSetting=9600,e,8,1\n");
    QCOMPARE(modVariables::CommSettings, QStringLiteral("9600,e,8,1"));

    const auto expect = [this](const char *settings) {
        QCOMPARE(modVariables::CommSettings, QString::fromLatin1(settings));
        QCOMPARE(m_window->serialPort().settings(), QString::fromLatin1(settings));
    };
    userClicks(control<QRadioButton>(*m_window, "opt19200"));
    expect("19200,e,8,1");
    userChooses(control<QComboBox>(*m_window, "cboDF"), 1);
    expect("19200,n,8,2");
    userClicks(control<QRadioButton>(*m_window, "opt9600"));
    expect("9600,n,8,2");
    QVERIFY(control<QRadioButton>(*m_window, "opt9600")->isChecked());
    QVERIFY(!m_window->serialPort().portOpen());
}

void TestFrmMainConnection::settingsChoice_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("baudButton");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char *tag, const char *stored, const char *baudButton, int format,
                        const char *expected) {
        QTest::newRow(tag) << QString::fromLatin1(stored) << QString::fromLatin1(baudButton)
                           << format << QString::fromLatin1(expected);
    };
    row("9600 -> 38400", "9600,n,8,2", "opt38400", -1, "38400,n,8,2");
    row("38400 -> 9600", "38400,e,8,1", "opt9600", -1, "9600,e,8,1");
    row("19200 -> 19200", "19200,n,8,1", "opt19200", -1, "19200,n,8,1");
    row("8N1 -> 8E1 at 9600", "9600,n,8,1", "", 2, "9600,e,8,1");
    row("8E1 -> 8N1 at 19200", "19200,e,8,1", "", 0, "19200,n,8,1");
    row("8N2 -> 8N2 at 38400", "38400,n,8,2", "", 1, "38400,n,8,2");
    row("8N1 -> 8N2 at 38400", "38400,n,8,1", "", 1, "38400,n,8,2");
}

void TestFrmMainConnection::settingsChoice()
{
    QFETCH(QString, stored);
    QFETCH(QString, baudButton);
    QFETCH(int, format);
    QFETCH(QString, expected);

    m_window = fakeWindow("[Settings]\nSetting=" + stored.toLatin1() + "\n");
    if (!baudButton.isEmpty())
        userClicks(control<QRadioButton>(*m_window, baudButton.toLatin1().constData()));
    else
        userChooses(control<QComboBox>(*m_window, "cboDF"), format);
    QCOMPARE(modVariables::CommSettings, expected);
    QCOMPARE(m_window->serialPort().settings(), expected);
}

void TestFrmMainConnection::portChoice_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("port");
    QTest::newRow("first") << 0 << "1";
    QTest::newRow("seventh") << 6 << "7";
    QTest::newRow("last") << 19 << "20";
}

void TestFrmMainConnection::portChoice()
{
    QFETCH(int, entry);
    QFETCH(QString, port);

    m_window = fakeWindow("[Settings]\nCommPort=4\n");
    userChooses(control<QComboBox>(*m_window, "cboComm"), entry);
    QCOMPARE(modVariables::CommPortNo, port);
    QCOMPARE(m_window->serialPort().commPort(), port.toInt());
    QVERIFY(!m_window->serialPort().portOpen());
}

void TestFrmMainConnection::keyboardChoiceIsAChoice()
{
    m_window = fakeWindow("[Settings]\nCommPort=4\nSetting=9600,n,8,1\n");
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    auto *ports = control<QComboBox>(*m_window, "cboComm");
    QTest::keyClick(ports, Qt::Key_Down);
    QCOMPARE(modVariables::CommPortNo, QStringLiteral("5"));
    QCOMPARE(m_window->serialPort().commPort(), 5);

    auto *format = control<QComboBox>(*m_window, "cboDF");
    QTest::keyClick(format, Qt::Key_Down);
    QCOMPARE(modVariables::CommSettings, QStringLiteral("9600,n,8,2"));
    QCOMPARE(m_window->serialPort().settings(), QStringLiteral("9600,n,8,2"));
}

void TestFrmMainConnection::slaveChoice()
{
    m_window = fakeWindow("[LCD]\nSlave=200\n");
    QCOMPARE(modVariables::SlaveAddr, QStringLiteral("200"));
    userChooses(control<QComboBox>(*m_window, "cboSlaveID"), 11);
    QCOMPARE(modVariables::SlaveAddr, QStringLiteral("12"));
    userChooses(control<QComboBox>(*m_window, "cboSlaveID"), 246);
    QCOMPARE(modVariables::SlaveAddr, QStringLiteral("247"));
}

void TestFrmMainConnection::typedTextChangesNothing_data()
{
    QTest::addColumn<QString>("text");
    // Texts of other entries, which Qt would otherwise pick when editing finishes.
    QTest::newRow("cboComm") << "7";
    QTest::newRow("cboDF") << "8E1";
    QTest::newRow("cboSlaveID") << "12";
    QTest::newRow("cboComm nonsense") << "COM9";
}

void TestFrmMainConnection::typedTextChangesNothing()
{
    QFETCH(QString, text);
    m_window = fakeWindow("[Settings]\nCommPort=2\nSetting=19200,n,8,1\n[LCD]\nSlave=3\n");
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));

    const QByteArray name = QByteArray(QTest::currentDataTag()).split(' ').first();
    auto *list = control<QComboBox>(*m_window, name.constData());
    list->setFocus();
    QVERIFY(list->hasFocus());
    list->lineEdit()->selectAll();
    QTest::keyClicks(list, text);
    QTest::keyClick(list, Qt::Key_Return);
    control<QPushButton>(*m_window, "cmdConnect")->setFocus();
    QVERIFY(!list->hasFocus());

    QCOMPARE(list->currentText(), text);
    QCOMPARE(combolist::position(list), -1);
    QCOMPARE(modVariables::CommPortNo, QStringLiteral("2"));
    QCOMPARE(modVariables::CommSettings, QStringLiteral("19200,n,8,1"));
    QCOMPARE(modVariables::SlaveAddr, QStringLiteral("3"));
    QCOMPARE(m_window->serialPort().commPort(), 2);
    QCOMPARE(m_window->serialPort().settings(), QStringLiteral("19200,n,8,1"));
    QCOMPARE(countOf(*m_device, FakeSerialDevice::Kind::Open), 0);

    // A pick from the list afterwards is a choice again.
    userChooses(list, 0);
    QCOMPARE(combolist::position(list), 0);
}

void TestFrmMainConnection::connectAndDisconnectOnARealLine()
{
    PtyPair line;
    QVERIFY(line.isValid());
    m_window = makeWindowOnLine(*m_settings, line.devicePath());
    const ConnectionLook initial = connectionLook(*m_window);
    QCOMPARE(initial, disconnectedLook());

    userClicks(control<QCheckBox>(*m_window, "Check1"));
    auto *connectButton = control<QPushButton>(*m_window, "cmdConnect");
    userClicks(connectButton);
    QCOMPARE(m_messages->texts, QStringList());
    QCOMPARE(connectionLook(*m_window), connectedLook());
    QVERIFY(modVariables::UseRts);

    // The port really is the far end's line.
    m_window->serialPort().output(QByteArray("\x01\x06", 2));
    QCOMPARE(line.readFar(2), QByteArray("\x01\x06", 2));

    modVariables::UseRts = false;
    userClicks(connectButton);
    QCOMPARE(m_messages->texts, QStringList());
    QCOMPARE(connectionLook(*m_window), initial);
    QVERIFY(modVariables::UseRts);
}

void TestFrmMainConnection::connectToMissingDevice_data()
{
    QTest::addColumn<bool>("useRts");
    QTest::newRow("Use RTS checked") << true;
    QTest::newRow("Use RTS cleared") << false;
}

void TestFrmMainConnection::connectToMissingDevice()
{
    QFETCH(bool, useRts);
    const QString missing = m_settings->path() + QStringLiteral(".no-such-device");
    m_window = makeWindowOnLine(*m_settings, missing);
    const ConnectionLook initial = connectionLook(*m_window);

    control<QCheckBox>(*m_window, "Check1")->setChecked(useRts);
    modVariables::UseRts = !useRts;
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));

    // Under the box's own text, the system's reason and what to do about a missing device.
    QCOMPARE(m_messages->headlines(), QStringList{QStringLiteral("COMM PORT ERROR!")});
    const QString detail = m_messages->details().first();
    QVERIFY2(detail.startsWith(missing + QStringLiteral(": ")), qPrintable(detail));
    QVERIFY2(detail.contains(porthint::hint(CommError::Kind::NotFound, m_settings->path()).mid(1)),
             qPrintable(detail));
    QCOMPARE(connectionLook(*m_window), initial);
    QCOMPARE(modVariables::UseRts, useRts);
    QCOMPARE(modVariables::CommPortNo, QStringLiteral("1"));
    QCOMPARE(modVariables::CommSettings, QStringLiteral("9600,n,8,1"));
}

void TestFrmMainConnection::connectOpensTheChosenPortWithTheChosenSettings()
{
    m_window = fakeWindow("[Settings]\nCommPort=1\nSetting=9600,n,8,1\n");
    userChooses(control<QComboBox>(*m_window, "cboComm"), 6);
    userClicks(control<QRadioButton>(*m_window, "opt38400"));
    userChooses(control<QComboBox>(*m_window, "cboDF"), 2);
    QCOMPARE(countOf(*m_device, FakeSerialDevice::Kind::Open), 0);

    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(countOf(*m_device, FakeSerialDevice::Kind::Open), 1);
    const FakeSerialDevice::Event &opened = m_device->events().first();
    QCOMPARE(opened.path, portmap::devicePath(7));
    QCOMPARE(opened.settings, QStringLiteral("38400,e,8,1"));
    QCOMPARE(connectionLook(*m_window), connectedLook());
}

// A refused open changes nothing, so the next press simply tries again.
void TestFrmMainConnection::failedOpenCanBeRetried()
{
    m_window = fakeWindow("[Settings]\nCommPort=1\n");
    auto *connectButton = control<QPushButton>(*m_window, "cmdConnect");
    m_device->failNext(FakeSerialDevice::Operation::Open);
    userClicks(connectButton);
    QCOMPARE(m_messages->headlines(), QStringList{QStringLiteral("COMM PORT ERROR!")});
    QVERIFY2(m_messages->details().first().contains(QStringLiteral(": open failed")),
             qPrintable(m_messages->texts.first()));
    QCOMPARE(connectionLook(*m_window), disconnectedLook());

    userClicks(connectButton);
    QCOMPARE(m_messages->texts.size(), 1);
    QCOMPARE(connectionLook(*m_window), connectedLook());
}

void TestFrmMainConnection::settingsHandlerFailureIsShown_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("port list") << "cboComm";
    QTest::newRow("baud button") << "opt38400";
    QTest::newRow("format list") << "cboDF";
}

// The disabled group normally keeps these handlers from running on an open port; should one
// run all the same, the port's refusal is shown and the window carries on.
void TestFrmMainConnection::settingsHandlerFailureIsShown()
{
    QFETCH(QString, control);
    m_window = fakeWindow("[Settings]\nCommPort=1\nSetting=9600,n,8,1\n");
    userClicks(::control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), connectedLook());

    QWidget *widget = m_window->findChild<QWidget *>(control);
    QVERIFY(widget);
    if (auto *list = qobject_cast<QComboBox *>(widget))
        emit list->activated(2);
    else
        emit qobject_cast<QRadioButton *>(widget)->clicked(true);

    QCOMPARE(m_messages->headlines(), QStringList{"COMM PORT ERROR!"});
    QVERIFY2(m_messages->details().first().contains(QStringLiteral("already open")),
             qPrintable(m_messages->texts.first()));
    QCOMPARE(m_window->serialPort().commPort(), 1);
    QCOMPARE(m_window->serialPort().settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(modVariables::CommSettings, QStringLiteral("9600,n,8,1"));
    QCOMPARE(modVariables::CommPortNo, QStringLiteral("1"));
    QCOMPARE(connectionLook(*m_window), connectedLook());
}

QTEST_MAIN(TestFrmMainConnection)
#include "tst_frmmain_connection.moc"
