#include "devicetablemodel.h"
#include "fakedevices.h"
#include "portsurvey.h"
#include "tempsettings.h"

#include <QtTest>

namespace {

//! Port 1 is the FTDI adapter by its stable name, 2 the same one by its kernel name, 3 and 7 the
//! second adapter, 4 a file that is there but not listed; every other number leads nowhere, so
//! that no serial port of the machine running the test shows up.
QByteArray portMap(const FakeDevices &fake)
{
    QByteArray ini = "; bench 4\n[Ports]\n";
    for (int number = 1; number <= 20; ++number) {
        QString device = fake.path(QStringLiteral("missing%1").arg(number));
        if (number == 1)
            device = fake.stablePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A1234567-if00"));
        else if (number == 2)
            device = fake.path(QStringLiteral("ttyUSB10"));
        else if (number == 3 || number == 7)
            device = fake.path(QStringLiteral("ttyUSB2"));
        else if (number == 4)
            device = fake.path(QStringLiteral("pts4"));
        ini += QByteArray::number(number) + '=' + device.toUtf8() + '\n';
    }
    return ini;
}

} // namespace

class tst_portsurvey : public QObject
{
    Q_OBJECT

private slots:
    void devicesAndWhatEachNumberReaches();
    void withoutStableNames();
};

void tst_portsurvey::devicesAndWhatEachNumberReaches()
{
    TempSettings settings;
    FakeDevices fake;
    SerialDeviceInfo ftdi = fake.info(QStringLiteral("ttyUSB10"));
    ftdi.description = QStringLiteral("FT232R USB UART");
    ftdi.manufacturer = QStringLiteral("FTDI");
    ftdi.serialNumber = QStringLiteral("A1234567");
    ftdi.vendorId = 0x0403;
    ftdi.productId = 0x6001;
    fake.add(ftdi, QStringLiteral("usb-FTDI_FT232R_USB_UART_A1234567-if00"));
    SerialDeviceInfo plain = fake.info(QStringLiteral("ttyUSB2"));
    plain.manufacturer = QStringLiteral("Prolific");
    fake.add(plain);
    // A link left behind by an adapter pulled earlier names nothing.
    QFile::link(fake.path(QStringLiteral("gone")), fake.stablePath(QStringLiteral("usb-gone")));
    QFile(fake.path(QStringLiteral("pts4"))).open(QIODevice::WriteOnly);
    settings.writeRaw(portMap(fake));

    const PortSurvey survey = PortSurvey::take(fake.lookup());

    // Numbers in names count as numbers.
    QCOMPARE(survey.devices().size(), 2);
    const ListedDevice &second = survey.devices().at(0);
    const ListedDevice &tenth = survey.devices().at(1);
    QCOMPARE(second.name(), plain.systemLocation);
    QCOMPARE(tenth.name(), ftdi.systemLocation);

    QCOMPARE(tenth.stableName,
             fake.stablePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A1234567-if00")));
    QCOMPARE(tenth.mapName(), tenth.stableName);
    QCOMPARE(second.stableName, QString());
    QCOMPARE(second.mapName(), plain.systemLocation);

    QCOMPARE(tenth.portNumbers, QList<int>({1, 2}));
    QCOMPARE(second.portNumbers, QList<int>({3, 7}));
    QCOMPARE(DeviceTableModel::text(tenth, DeviceTableModel::Port), QStringLiteral("1, 2"));
    QCOMPARE(DeviceTableModel::text(tenth, DeviceTableModel::UsbId), QStringLiteral("0403:6001"));
    QCOMPARE(DeviceTableModel::text(second, DeviceTableModel::UsbId), QString());

    const QString ftdiTip = ftdi.systemLocation + QStringLiteral(" — FT232R USB UART (A1234567)");
    QCOMPARE(survey.tooltip(1), ftdiTip);
    QCOMPARE(survey.tooltip(2), ftdiTip);
    // Without a description the manufacturer says what it is.
    QCOMPARE(survey.tooltip(3), plain.systemLocation + QStringLiteral(" — Prolific"));
    QCOMPARE(survey.tooltip(4), fake.path(QStringLiteral("pts4")) +
                                    QStringLiteral(" — present, not listed as a serial port"));
    QCOMPARE(survey.tooltip(20),
             fake.path(QStringLiteral("missing20")) + QStringLiteral(" — nothing there"));

    QCOMPARE(survey.unlistedLines(), QStringList({QStringLiteral("Port 4: ") + survey.tooltip(4),
                                                  QStringLiteral("Nothing there: 5-6, 8-20")}));

    // Pulled: the numbers that reached the adapter now reach nothing.
    fake.remove(ftdi.systemLocation);
    const PortSurvey after = PortSurvey::take(fake.lookup());
    QCOMPARE(after.devices().size(), 1);
    QCOMPARE(after.numbers().at(0).behind, PortSurvey::Behind::Nothing);
    QCOMPARE(after.unlistedLines().last(), QStringLiteral("Nothing there: 1-2, 5-6, 8-20"));
}

// macOS and Windows have no stable-name folder, and a Linux without USB adapters has none
// either: the devices are listed all the same and a number is mapped to the device's own name.
void tst_portsurvey::withoutStableNames()
{
    TempSettings settings;
    FakeDevices fake;
    fake.add(fake.info(QStringLiteral("ttyACM0")), QStringLiteral("usb-Arduino"));
    settings.writeRaw("[Ports]\n1=" + fake.path(QStringLiteral("ttyACM0")).toUtf8() + "\n");
    DeviceLookup lookup = fake.lookup();
    lookup.stableNameFolder = fake.path(QStringLiteral("no-such-folder"));

    const PortSurvey survey = PortSurvey::take(lookup);
    QCOMPARE(survey.devices().size(), 1);
    QCOMPARE(survey.devices().first().stableName, QString());
    QCOMPARE(survey.devices().first().mapName(), fake.path(QStringLiteral("ttyACM0")));
    QCOMPARE(survey.tooltip(1).section(QStringLiteral(" — "), 1), QStringLiteral("serial port"));
    QCOMPARE(survey.numbers().size(), 20);
}

QTEST_GUILESS_MAIN(tst_portsurvey)
#include "tst_portsurvey.moc"
