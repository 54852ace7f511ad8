#include "fakedevices.h"
#include "mainwindowharness.h"
#include "tempsettings.h"

#include "modini.h"
#include "modvariables.h"
#include "portmap.h"

#include <QApplication>
#include <QCloseEvent>
#include <QRadioButton>
#include <QTest>

#include <memory>

namespace {

QString checkedBaudButton(frmMain &window)
{
    for (const char *name : {"opt9600", "opt19200", "opt38400"}) {
        if (control<QRadioButton>(window, name)->isChecked())
            return QString::fromLatin1(name);
    }
    return QString();
}

QComboBox *combo(frmMain &window, const char *name)
{
    return control<QComboBox>(window, name);
}

} // namespace

// The load step (lists, restored values, port object) and the closing step.
class TestFrmMainStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void restoresStoredValues_data();
    void restoresStoredValues();
    void unusableStoredValuesStartConsistent_data();
    void unusableStoredValuesStartConsistent();
    void listContents_data();
    void listContents();
    void startsDisconnectedWithPortClosed();
    void portEntriesSayWhatIsBehindThem();
    void closingSavesPortAndSettingButNeverSlave_data();
    void closingSavesPortAndSettingButNeverSlave();

private:
    //! Checks that the window, the variables and the port object all tell the same story.
    void verifyConsistent(frmMain &window, const QString &port, const QString &settings,
                          const QString &slave);

    std::unique_ptr<TempSettings> m_settings;
};

void TestFrmMainStartup::init()
{
    modVariables::resetAll();
    m_settings = std::make_unique<TempSettings>();
}

void TestFrmMainStartup::cleanup()
{
    m_settings.reset();
}

void TestFrmMainStartup::verifyConsistent(frmMain &window, const QString &port,
                                          const QString &settings, const QString &slave)
{
    QCOMPARE(modVariables::CommPortNo, port);
    QCOMPARE(modVariables::CommSettings, settings);
    QCOMPARE(modVariables::SlaveAddr, slave);

    QCOMPARE(combo(window, "cboComm")->currentIndex(), port.toInt() - 1);
    QCOMPARE(combo(window, "cboComm")->currentText(), port);
    QCOMPARE(combo(window, "cboSlaveID")->currentIndex(), slave.toInt() - 1);
    QCOMPARE(combo(window, "cboSlaveID")->currentText(), slave);
    QCOMPARE(checkedBaudButton(window), QStringLiteral("opt") + settings.section(',', 0, 0));
    const QStringList formats = {"n,8,1", "n,8,2", "e,8,1"};
    QCOMPARE(combo(window, "cboDF")->currentIndex(), formats.indexOf(settings.right(5)));

    QCOMPARE(window.serialPort().commPort(), port.toInt());
    QCOMPARE(window.serialPort().settings(), settings);
    QCOMPARE(window.serialPort().inputMode(), 1);
    QVERIFY(!window.serialPort().portOpen());
}

void TestFrmMainStartup::restoresStoredValues_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("slave");

    const auto row = [](const char *tag, const char *file, const char *port, const char *settings,
                        const char *slave) {
        QTest::newRow(tag) << QByteArray(file) << QString::fromLatin1(port)
                           << QString::fromLatin1(settings) << QString::fromLatin1(slave);
    };
    row("38400 8E1", "[Settings]\nCommPort=1\nSetting=38400,e,8,1\n[LCD]\nSlave=1\n", "1",
        "38400,e,8,1", "1");
    row("19200 8N2", "[Settings]\nCommPort=2\nSetting=19200,n,8,2\n[LCD]\nSlave=5\n", "2",
        "19200,n,8,2", "5");
    row("port 3 slave 247",
        "[Settings]\r\nCommPort=3\r\nSetting=9600,n,8,2\r\n[LCD]\r\nSlave=247\r\n", "3",
        "9600,n,8,2", "247");
    row("port 20 19200 8N1", "[LCD]\nSlave=100\n[Settings]\nSetting=19200,n,8,1\nCommPort=20\n",
        "20", "19200,n,8,1", "100");
    row("9600 8E1", "[Settings]\nCommPort=7\nSetting=9600,e,8,1\n[LCD]\nSlave=12\n", "7",
        "9600,e,8,1", "12");
}

void TestFrmMainStartup::restoresStoredValues()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, port);
    QFETCH(QString, settings);
    QFETCH(QString, slave);

    m_settings->writeRaw(file);
    frmMain window;
    verifyConsistent(window, port, settings, slave);
}

void TestFrmMainStartup::unusableStoredValuesStartConsistent_data()
{
    QTest::addColumn<bool>("writeFile");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("slave");

    const auto row = [](const char *tag, const QByteArray &file, const char *port,
                        const char *settings, const char *slave) {
        QTest::newRow(tag) << true << file << QString::fromLatin1(port)
                           << QString::fromLatin1(settings) << QString::fromLatin1(slave);
    };
    const auto stored = [](const QByteArray &port, const QByteArray &settings,
                           const QByteArray &slave) {
        return "[Settings]\nCommPort=" + port + "\nSetting=" + settings +
               "\n[LCD]\nSlave=" + slave + "\n";
    };
    const QByteArray long300(300, '7');
    static const char garbage[] = "\x00\xff\x13[[[==\n\x80\x81 nonsense ]\n=\nSlave\x00=5\n";
    const char *const sound = "9600,n,8,1";

    QTest::newRow("no file") << false << QByteArray() << "1" << sound << "1";
    row("garbage file", QByteArray(garbage, sizeof garbage - 1), "1", sound, "1");
    row("sections without keys", "[Settings]\n[LCD]\n", "1", sound, "1");
    row("empty values", stored("", "", ""), "1", sound, "1");
    row("non-numeric", stored("COM3", "fast", "abc"), "1", sound, "1");
    row("numbers with tails", stored("3x", "9600,n,8,1x", "12.5"), "1", sound, "1");
    row("signs", stored("-3", "+9600,n,8,1", "+12"), "1", sound, "1");
    row("zero", stored("0", "0,n,8,1", "0"), "1", sound, "1");
    row("just above range", stored("21", "4800,n,8,1", "248"), "1", sound, "1");
    row("huge numbers", stored("4294967297", "38400,e,8,1,1", "99999999999"), "1", sound, "1");
    row("300 characters", stored(long300, long300, long300), "1", sound, "1");
    row("binary", stored("\x01\x02", "\xfe\xff,n,8,1", "\x7f"), "1", sound, "1");
    row("format in capitals", stored("4", "38400,E,8,1", "9"), "4", sound, "9");
    row("short format", stored("4", "38400,e,8", "9"), "4", sound, "9");
    row("only setting usable", stored("", "19200,e,8,1", "x"), "1", "19200,e,8,1", "1");
    row("leading zeros", stored("07", "9600,n,8,2", "012"), "7", "9600,n,8,2", "12");
}

void TestFrmMainStartup::unusableStoredValuesStartConsistent()
{
    QFETCH(bool, writeFile);
    QFETCH(QByteArray, file);
    QFETCH(QString, port);
    QFETCH(QString, settings);
    QFETCH(QString, slave);

    if (writeFile)
        m_settings->writeRaw(file);
    const QString storedSlave = modINI::ReadIni(QStringLiteral("LCD"), QStringLiteral("Slave"));
    {
        frmMain window;
        verifyConsistent(window, port, settings, slave);
        QCloseEvent close;
        QApplication::sendEvent(&window, &close);
    }
    // The sound values are what the closing step keeps; the slave is left as it was.
    QCOMPARE(modINI::ReadIni(QStringLiteral("Settings"), QStringLiteral("CommPort")), port);
    QCOMPARE(modINI::ReadIni(QStringLiteral("Settings"), QStringLiteral("Setting")), settings);
    QCOMPARE(modINI::ReadIni(QStringLiteral("LCD"), QStringLiteral("Slave")), storedSlave);

    modVariables::resetAll();
    frmMain again;
    verifyConsistent(again, port, settings, slave);
}

void TestFrmMainStartup::listContents_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");

    QTest::newRow("cboComm first") << 20 << 0 << "1";
    QTest::newRow("cboComm tenth") << 20 << 9 << "10";
    QTest::newRow("cboComm last") << 20 << 19 << "20";
    QTest::newRow("cboDF 0") << 3 << 0 << "8N1";
    QTest::newRow("cboDF 1") << 3 << 1 << "8N2";
    QTest::newRow("cboDF 2") << 3 << 2 << "8E1";
    QTest::newRow("cboSlaveID first") << 247 << 0 << "1";
    QTest::newRow("cboSlaveID 100th") << 247 << 99 << "100";
    QTest::newRow("cboSlaveID last") << 247 << 246 << "247";
    QTest::newRow("cboAddr05 0") << 2 << 0 << "0x0000";
    QTest::newRow("cboAddr05 1") << 2 << 1 << "0x0001";
    QTest::newRow("cboData05 0") << 2 << 0 << "0x0000";
    QTest::newRow("cboData05 1") << 2 << 1 << "0xFF00";
    QTest::newRow("cboAddr06 first") << 25 << 0 << "0x0000";
    QTest::newRow("cboAddr06 10") << 25 << 10 << "0x000A";
    QTest::newRow("cboAddr06 15") << 25 << 15 << "0x000F";
    QTest::newRow("cboAddr06 16") << 25 << 16 << "0x0010";
    QTest::newRow("cboAddr06 last") << 25 << 24 << "0x0018";
    QTest::newRow("cboAddr16 first") << 16 << 0 << "0x0000";
    QTest::newRow("cboAddr16 last") << 16 << 15 << "0x000F";
    QTest::newRow("cboDataH06 first") << 256 << 0 << "0x00";
    QTest::newRow("cboDataH06 11th") << 256 << 10 << "0x0A";
    QTest::newRow("cboDataH06 16th") << 256 << 15 << "0x0F";
    QTest::newRow("cboDataH06 17th") << 256 << 16 << "0x10";
    QTest::newRow("cboDataH06 171st") << 256 << 170 << "0xAA";
    QTest::newRow("cboDataH06 last") << 256 << 255 << "0xFF";
    QTest::newRow("cboDataL06 11th") << 256 << 10 << "0x0A";
    QTest::newRow("cboDataL06 17th") << 256 << 16 << "0x10";
    QTest::newRow("cboDataL06 last") << 256 << 255 << "0xFF";
}

void TestFrmMainStartup::listContents()
{
    QFETCH(int, count);
    QFETCH(int, position);
    QFETCH(QString, text);

    frmMain window;
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    const QByteArray name = tag.section(' ', 0, 0).toLatin1();
    QComboBox *list = combo(window, name.constData());
    QVERIFY(list);
    QCOMPARE(list->count(), count);
    QCOMPARE(list->itemText(position), text);
    QVERIFY(list->isEditable());

    // Every list but the restored ones starts at its first entry.
    if (name != "cboComm" && name != "cboDF" && name != "cboSlaveID") {
        QCOMPARE(list->currentIndex(), 0);
        QCOMPARE(list->currentText(), list->itemText(0));
    }
}

void TestFrmMainStartup::startsDisconnectedWithPortClosed()
{
    m_settings->writeRaw("[Settings]\nCommPort=3\nSetting=38400,e,8,1\n");
    frmMain window;
    QCOMPARE(connectionLook(window), disconnectedLook());
    QVERIFY(!modVariables::UseRts);
}

// An adapter plugged in while the window is open shows in the tooltips the next time the
// list is opened.
void TestFrmMainStartup::portEntriesSayWhatIsBehindThem()
{
    FakeDevices fake;
#if defined(Q_OS_WIN)
    const SerialDeviceInfo adapter = fake.ftdiAdapter(QStringLiteral("COM3"));
#else
    const SerialDeviceInfo adapter = fake.ftdiAdapter(QStringLiteral("ttyUSB0"));
    m_settings->writeRaw("[Ports]\n3=" + adapter.systemLocation.toUtf8() + "\n");
#endif
    frmMain window;
    window.setDeviceLookup(fake.lookup());
    window.show();
    QComboBox *ports = combo(window, "cboComm");
    const QString port = portmap::devicePath(3);
    const QString nothing = port + QStringLiteral(" — nothing there");
    QCOMPARE(ports->itemData(2, Qt::ToolTipRole).toString(), nothing);

    fake.add(adapter);
    QCOMPARE(ports->itemData(2, Qt::ToolTipRole).toString(), nothing);
    ports->showPopup();
    QCOMPARE(ports->itemData(2, Qt::ToolTipRole).toString(),
             port + QStringLiteral(" — FT232R USB UART (A1234567)"));
    ports->hidePopup();

    fake.remove(adapter.systemLocation);
    ports->showPopup();
    QCOMPARE(ports->itemData(2, Qt::ToolTipRole).toString(), nothing);
    ports->hidePopup();
}

void TestFrmMainStartup::closingSavesPortAndSettingButNeverSlave_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("storedSlave");

    QTest::newRow("slave stored") << QByteArray("[Settings]\nCommPort=1\nSetting=9600,e,8,1\n"
                                                "[LCD]\nSlave=33\n")
                                  << "33";
    QTest::newRow("no slave stored")
        << QByteArray("[Settings]\nCommPort=1\nSetting=9600,e,8,1\n") << "";
}

void TestFrmMainStartup::closingSavesPortAndSettingButNeverSlave()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, storedSlave);
    m_settings->writeRaw(file);

    {
        frmMain window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        userChooses(combo(window, "cboComm"), 4);
        userClicks(control<QRadioButton>(window, "opt38400"));
        userChooses(combo(window, "cboSlaveID"), 11);
        QCOMPARE(modVariables::SlaveAddr, QStringLiteral("12"));
        QVERIFY(window.close());
    }
    QCOMPARE(modINI::ReadIni(QStringLiteral("Settings"), QStringLiteral("CommPort")),
             QStringLiteral("5"));
    QCOMPARE(modINI::ReadIni(QStringLiteral("Settings"), QStringLiteral("Setting")),
             QStringLiteral("38400,e,8,1"));
    QCOMPARE(modINI::ReadIni(QStringLiteral("LCD"), QStringLiteral("Slave")), storedSlave);

    modVariables::resetAll();
    frmMain next;
    verifyConsistent(next, QStringLiteral("5"), QStringLiteral("38400,e,8,1"),
                     storedSlave.isEmpty() ? QStringLiteral("1") : storedSlave);
}

QTEST_MAIN(TestFrmMainStartup)
#include "tst_frmmain_startup.moc"
