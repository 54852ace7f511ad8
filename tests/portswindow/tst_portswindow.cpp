#include "devicetablemodel.h"
#include "fakedevices.h"
#include "mainwindowharness.h"
#include "portswindow.h"
#include "ptypair.h"
#include "tempsettings.h"

#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <memory>

namespace {

const QString ftdiLink = QStringLiteral("usb-FTDI_FT232R_USB_UART_A1234567-if00-port0");

//! The Ports window of the main window, opened from its menu bar.
PortsWindow *openPorts(frmMain &window)
{
    userChoosesMenuEntry(window, "mnuPorts");
    return window.portsWindow();
}

QTableView *table(PortsWindow *ports)
{
    return ports->findChild<QTableView *>(QStringLiteral("tblDevices"));
}

//! Clicks the device's row; false when it is not listed.
bool userChoosesDevice(PortsWindow *ports, const QString &name)
{
    QTableView *view = table(ports);
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        const QModelIndex cell = view->model()->index(row, DeviceTableModel::Device);
        if (cell.data().toString() == name) {
            view->scrollTo(cell);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(cell).center());
            return true;
        }
    }
    return false;
}

//! Picks port number from the list and gives it to the chosen device.
void userGivesNumber(PortsWindow *ports, int number)
{
    ports->findChild<QComboBox *>(QStringLiteral("cboNumber"))->setCurrentIndex(number - 1);
    userClicks(ports->findChild<QPushButton *>(QStringLiteral("cmdApply")));
}

} // namespace

class tst_portswindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void mappingWritesOneKeyAndKeepsTheFile_data();
    void mappingWritesOneKeyAndKeepsTheFile();
    void adapterPulledBeforeApplyingWritesNothing();
    void mappedNumberIsOpenedAtNextConnect();

private:
    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<FakeDevices> m_fake;
    SerialDeviceInfo m_ftdi;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<MessageCatcher> m_messages;
};

// Two adapters: an FTDI one with a stable name and one without.
void tst_portswindow::init()
{
    m_settings = std::make_unique<TempSettings>();
    m_fake = std::make_unique<FakeDevices>();
    m_ftdi = m_fake->ftdiAdapter(QStringLiteral("ttyUSB0"));
    m_fake->add(m_ftdi, ftdiLink);
    m_fake->add(m_fake->info(QStringLiteral("ttyACM0")));
    m_messages = std::make_unique<MessageCatcher>();
}

void tst_portswindow::cleanup()
{
    m_window.reset();
    m_messages.reset();
    m_fake.reset();
    m_settings.reset();
}

void tst_portswindow::mappingWritesOneKeyAndKeepsTheFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    // "@" stands for the adapter's stable name.
    const QByteArray head = "; bench 4: do not touch\r\n[Settings]\r\nCommPort=3\r\n"
                            "Setting=19200,n,8,2\r\n\r\n";
    const QByteArray tail = "\r\n[LCD]\r\nSlave=7\r\nrow1=\"  HELLO  \"\r\n";
    QTest::newRow("the number's key replaced")
        << head + "[ports]\r\n# the old adapter\r\n3 = /dev/ttyUSB9\r\n5=/dev/ttyS4\r\n" + tail
        << head + "[ports]\r\n# the old adapter\r\n3 = @\r\n5=/dev/ttyS4\r\n" + tail;
    QTest::newRow("a key added to the section")
        << head + "[Ports]\r\n1=/dev/ttyS0\r\n" + tail
        << head + "[Ports]\r\n1=/dev/ttyS0\r\n3=@\r\n" + tail;
    QTest::newRow("the section started") << head + tail << head + tail + "[Ports]\r\n3=@\r\n";
    QTest::newRow("no settings file yet") << QByteArray() << QByteArray("[Ports]\n3=@\n");
}

void tst_portswindow::mappingWritesOneKeyAndKeepsTheFile()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        m_settings->writeRaw(before);
    m_window = std::make_unique<frmMain>();
    m_window->setDeviceLookup(m_fake->lookup());
    m_window->show();

    PortsWindow *ports = openPorts(*m_window);
    QVERIFY(ports && ports->isVisible());
    QVERIFY(userChoosesDevice(ports, m_ftdi.systemLocation));
    userGivesNumber(ports, 3);

    QCOMPARE(m_messages->texts, QStringList());
    QCOMPARE(m_settings->readRaw(), after.replace('@', m_fake->stablePath(ftdiLink).toUtf8()));
    // The window and the main window's port list show the new number at once.
    QCOMPARE(table(ports)->model()->index(1, DeviceTableModel::Port).data().toString(),
             QStringLiteral("3"));
    QCOMPARE(control<QComboBox>(*m_window, "cboComm")->itemData(2, Qt::ToolTipRole).toString(),
             m_ftdi.systemLocation + QStringLiteral(" — FT232R USB UART (A1234567)"));
}

void tst_portswindow::adapterPulledBeforeApplyingWritesNothing()
{
    const QByteArray before = "[Ports]\n3=/dev/ttyUSB9\n";
    m_settings->writeRaw(before);
    m_window = std::make_unique<frmMain>();
    m_window->setDeviceLookup(m_fake->lookup());
    m_window->show();
    PortsWindow *ports = openPorts(*m_window);
    QVERIFY(userChoosesDevice(ports, m_ftdi.systemLocation));

    m_fake->remove(m_ftdi.systemLocation);
    userGivesNumber(ports, 3);

    QCOMPARE(m_messages->texts,
             QStringList(m_ftdi.systemLocation +
                         QStringLiteral(" is no longer there; nothing was written.")));
    QCOMPARE(m_settings->readRaw(), before);
    QCOMPARE(table(ports)->model()->rowCount(), 1);
    QVERIFY(!userChoosesDevice(ports, m_ftdi.systemLocation));
}

// The port object asks the port map at every open: no restart, no reload of the settings.
void tst_portswindow::mappedNumberIsOpenedAtNextConnect()
{
    PtyPair line;
    QVERIFY(line.isValid());
    m_fake->add(m_fake->info(line.devicePath()));
    m_window = std::make_unique<frmMain>();
    m_window->setDeviceLookup(m_fake->lookup());
    m_window->show();
    userChooses(control<QComboBox>(*m_window, "cboComm"), 1);

    PortsWindow *ports = openPorts(*m_window);
    QVERIFY(userChoosesDevice(ports, line.devicePath()));
    userGivesNumber(ports, 2);
    userClicks(control<QAbstractButton>(*m_window, "cmdConnect"));

    QCOMPARE(m_messages->texts, QStringList());
    QVERIFY(m_window->serialPort().portOpen());
    QCOMPARE(m_window->serialPort().devicePath(), line.devicePath());
}

QTEST_MAIN(tst_portswindow)
#include "tst_portswindow.moc"
