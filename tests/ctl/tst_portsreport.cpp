#include "fakedevices.h"
#include "portsreport.h"
#include "tempsettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

// What `pravixctl ports` prints for adapters this machine does not have.
class tst_portsreport : public QObject
{
    Q_OBJECT

private slots:
    void textAndJson();
    void comPorts();
};

void tst_portsreport::textAndJson()
{
#if defined(Q_OS_WIN)
    QSKIP("Windows has no port map or stable names: comPorts() shows its report");
#else
    TempSettings settings;
    FakeDevices fake;
    const SerialDeviceInfo ftdi = fake.ftdiAdapter(QStringLiteral("ttyUSB0"));
    fake.add(ftdi, QStringLiteral("usb-FTDI_A1234567"));
    const SerialDeviceInfo bare = fake.info(QStringLiteral("ttyS0"));
    fake.add(bare);
    const QString stable = fake.stablePath(QStringLiteral("usb-FTDI_A1234567"));
    QByteArray map = "[Ports]\n1=" + stable.toUtf8() + "\n3=" + ftdi.systemLocation.toUtf8() + "\n";
    for (const int number : {2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20})
        map += QByteArray::number(number) + '=' + fake.path("gone").toUtf8() + '\n';
    settings.writeRaw(map);
    const PortSurvey survey = PortSurvey::take(fake.lookup());

    const QString s0 = bare.systemLocation;
    const QString u0 = ftdi.systemLocation;
    const QString pad(u0.size() - s0.size(), QLatin1Char(' '));
    QCOMPARE(ctl::portsreport::textLines(survey),
             QStringList({"Port  Device  " + QString(u0.size() - 6, ' ') +
                              "Description      Manufacturer  Serial number  USB ID     "
                              "Stable name",
                          "-     " + s0 + pad +
                              "  -                -             -              "
                              "-          -",
                          "1, 3  " + u0 +
                              "  FT232R USB UART  FTDI          A1234567       "
                              "0403:6001  " +
                              stable,
                          "Nothing there: 2, 4-20"}));

    const QStringList json = ctl::portsreport::jsonLines(survey);
    QCOMPARE(json.size(), 3);
    QCOMPARE(QJsonDocument::fromJson(json.at(0).toUtf8()).object(),
             QJsonObject({{"device", s0},
                          {"port_name", "ttyS0"},
                          {"description", QJsonValue()},
                          {"manufacturer", QJsonValue()},
                          {"serial_number", QJsonValue()},
                          {"usb_id", QJsonValue()},
                          {"stable_name", QJsonValue()},
                          {"ports", QJsonArray()}}));
    const QJsonObject second = QJsonDocument::fromJson(json.at(1).toUtf8()).object();
    QCOMPARE(second.value("usb_id").toString(), QStringLiteral("0403:6001"));
    QCOMPARE(second.value("stable_name").toString(), stable);
    QCOMPARE(second.value("ports").toArray(), QJsonArray({1, 3}));
    const QJsonArray numbers =
        QJsonDocument::fromJson(json.at(2).toUtf8()).object().value("port_numbers").toArray();
    QCOMPARE(numbers.size(), 20);
    QCOMPARE(numbers.at(0).toObject(),
             QJsonObject({{"port", 1}, {"device", stable}, {"behind", "listed"}}));
    QCOMPARE(numbers.at(1).toObject().value("behind").toString(), QStringLiteral("nothing"));
#endif
}

void tst_portsreport::comPorts()
{
#if !defined(Q_OS_WIN)
    QSKIP("COM names are Windows' own");
#else
    FakeDevices fake;
    fake.add(fake.info(QStringLiteral("COM25")));
    fake.add(fake.ftdiAdapter(QStringLiteral("COM3")));
    const PortSurvey survey = PortSurvey::take(fake.lookup());

    QCOMPARE(ctl::portsreport::textLines(survey),
             QStringList({"Port  Device  Description      Manufacturer  Serial number  USB ID     "
                          "Stable name",
                          "3     COM3    FT232R USB UART  FTDI          A1234567       "
                          "0403:6001  -",
                          "-     COM25   -                -             -              "
                          "-          -",
                          "Nothing there: 1-2, 4-20"}));
    const QStringList json = ctl::portsreport::jsonLines(survey);
    QCOMPARE(json.size(), 3);
    const QJsonObject first = QJsonDocument::fromJson(json.at(0).toUtf8()).object();
    QCOMPARE(first.value("device").toString(), QStringLiteral("COM3"));
    QCOMPARE(first.value("stable_name"), QJsonValue());
    QCOMPARE(first.value("ports").toArray(), QJsonArray({3}));
    const QJsonArray numbers =
        QJsonDocument::fromJson(json.at(2).toUtf8()).object().value("port_numbers").toArray();
    QCOMPARE(numbers.at(2).toObject(),
             QJsonObject({{"port", 3}, {"device", "COM3"}, {"behind", "listed"}}));
    QCOMPARE(numbers.at(19).toObject(),
             QJsonObject({{"port", 20}, {"device", "COM20"}, {"behind", "nothing"}}));
#endif
}

QTEST_GUILESS_MAIN(tst_portsreport)
#include "tst_portsreport.moc"
