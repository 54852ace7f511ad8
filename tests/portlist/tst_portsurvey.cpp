#include "fakedevices.h"
#include "portsurvey.h"
#include "tempsettings.h"

#include <QtTest>

class tst_portsurvey : public QObject
{
    Q_OBJECT

private slots:
    void devicesAndWhatEachNumberReaches();
    void comNumbersReachTheListedPorts();
};

// Port 1 is the FTDI adapter by its stable name, 2 the same one by its own name, 3 and 7 the
// second adapter, 4 a file that is there but not listed; the other numbers lead nowhere, so
// that no serial port of the machine running the test shows up.
void tst_portsurvey::devicesAndWhatEachNumberReaches()
{
#if defined(Q_OS_WIN)
    QSKIP("Windows has no port map: port n is COMn");
#else
    TempSettings settings;
    FakeDevices fake;
    const SerialDeviceInfo ftdi = fake.ftdiAdapter(QStringLiteral("ttyUSB10"));
    fake.add(ftdi, QStringLiteral("usb-FTDI"));
    SerialDeviceInfo plain = fake.info(QStringLiteral("ttyUSB2"));
    plain.manufacturer = QStringLiteral("Prolific");
    fake.add(plain);
    // A link left behind by an adapter pulled earlier names nothing.
    QFile::link(fake.path(QStringLiteral("gone")), fake.stablePath(QStringLiteral("usb-gone")));
    QFile(fake.path(QStringLiteral("pts4"))).open(QIODevice::WriteOnly);
    QByteArray map = "[Ports]\n";
    for (int number = 1; number <= 20; ++number) {
        const QString device = number == 1                  ? fake.stablePath("usb-FTDI")
                               : number == 2                ? ftdi.systemLocation
                               : number == 3 || number == 7 ? plain.systemLocation
                               : number == 4                ? fake.path("pts4")
                                                            : fake.path("missing");
        map += QByteArray::number(number) + '=' + device.toUtf8() + '\n';
    }
    settings.writeRaw(map);

    const PortSurvey survey = PortSurvey::take(fake.lookup());
    // Numbers in names count as numbers.
    QCOMPARE(survey.devices().size(), 2);
    const ListedDevice &second = survey.devices().at(0);
    const ListedDevice &tenth = survey.devices().at(1);
    QCOMPARE(second.name(), plain.systemLocation);
    QCOMPARE(tenth.stableName, fake.stablePath(QStringLiteral("usb-FTDI")));
    QCOMPARE(tenth.mapName(), tenth.stableName);
    QCOMPARE(second.mapName(), plain.systemLocation);
    QCOMPARE(tenth.portNumbers, QList<int>({1, 2}));
    QCOMPARE(second.portNumbers, QList<int>({3, 7}));

    const QString ftdiTip = ftdi.systemLocation + QStringLiteral(" — FT232R USB UART (A1234567)");
    QCOMPARE(survey.tooltip(1), ftdiTip);
    QCOMPARE(survey.tooltip(2), ftdiTip);
    // Without a description the manufacturer says what it is.
    QCOMPARE(survey.tooltip(3), plain.systemLocation + QStringLiteral(" — Prolific"));
    QCOMPARE(survey.tooltip(4), fake.path(QStringLiteral("pts4")) +
                                    QStringLiteral(" — present, not listed as a serial port"));
    QCOMPARE(survey.tooltip(20), fake.path("missing") + QStringLiteral(" — nothing there"));
    QCOMPARE(survey.unlistedLines(), QStringList({QStringLiteral("Port 4: ") + survey.tooltip(4),
                                                  QStringLiteral("Nothing there: 5-6, 8-20")}));

    // Pulled: the numbers that reached the adapter now reach nothing.
    fake.remove(ftdi.systemLocation);
    const PortSurvey after = PortSurvey::take(fake.lookup());
    QCOMPARE(after.devices().size(), 1);
    QCOMPARE(after.unlistedLines().last(), QStringLiteral("Nothing there: 1-2, 5-6, 8-20"));

    // Without a stable-name folder (macOS, Windows, a Linux without USB adapters) a number is
    // mapped to the device's own name; a link mapped by hand still reaches its device.
    DeviceLookup noFolder = fake.lookup();
    noFolder.stableNameFolder = fake.path(QStringLiteral("no-such-folder"));
    fake.add(ftdi);
    const PortSurvey bare = PortSurvey::take(noFolder);
    QCOMPARE(bare.devices().at(1).mapName(), ftdi.systemLocation);
    QCOMPARE(bare.tooltip(1), ftdiTip);
#endif
}

// Windows lists its ports by COM name and port n is COMn: a listed COM10 is port 10, a COM25 is
// no port of the lists, and the settings file's [Ports] section counts for nothing.
void tst_portsurvey::comNumbersReachTheListedPorts()
{
#if !defined(Q_OS_WIN)
    QSKIP("COM names are Windows' own");
#else
    TempSettings settings;
    settings.writeRaw("[Ports]\n4=COM10\n");
    FakeDevices fake;
    const SerialDeviceInfo ftdi = fake.ftdiAdapter(QStringLiteral("COM10"));
    SerialDeviceInfo plain = fake.info(QStringLiteral("COM3"));
    plain.manufacturer = QStringLiteral("Prolific");
    fake.add(ftdi);
    fake.add(fake.info(QStringLiteral("COM25")));
    fake.add(plain);

    const PortSurvey survey = PortSurvey::take(fake.lookup());
    QCOMPARE(survey.devices().size(), 3);
    QCOMPARE(survey.devices().at(0).name(), QStringLiteral("COM3"));
    QCOMPARE(survey.devices().at(1).name(), QStringLiteral("COM10"));
    QCOMPARE(survey.devices().at(1).mapName(), QStringLiteral("COM10"));
    QCOMPARE(survey.devices().at(0).portNumbers, QList<int>({3}));
    QCOMPARE(survey.devices().at(1).portNumbers, QList<int>({10}));
    QCOMPARE(survey.devices().at(2).portNumbers, QList<int>());
    QCOMPARE(survey.tooltip(3), QStringLiteral("COM3 — Prolific"));
    QCOMPARE(survey.tooltip(10), QStringLiteral("COM10 — FT232R USB UART (A1234567)"));
    QCOMPARE(survey.tooltip(4), QStringLiteral("COM4 — nothing there"));
    QCOMPARE(survey.unlistedLines(),
             QStringList({QStringLiteral("Nothing there: 1-2, 4-9, 11-20")}));

    fake.remove(ftdi.systemLocation);
    QCOMPARE(PortSurvey::take(fake.lookup()).unlistedLines(),
             QStringList({QStringLiteral("Nothing there: 1-2, 4-20")}));
#endif
}

QTEST_GUILESS_MAIN(tst_portsurvey)
#include "tst_portsurvey.moc"
