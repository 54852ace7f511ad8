#include "commerror.h"
#include "mscomm.h"
#include "porthint.h"
#include "portmap.h"
#include "tempsettings.h"

#include "modini.h"

#include <QtTest>

class TestPortHint : public QObject
{
    Q_OBJECT

private slots:
    void hint_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("begins");
        QTest::addColumn<QStringList>("mentions");

        QTest::newRow("permission") << "/dev/ttyUSB0: Permission denied"
                                    << "Permission denied: add your user to the dialout group"
                                    << QStringList{"usermod -aG dialout", "log in again"};
        QTest::newRow("busy") << "/dev/ttyUSB0: Device or resource busy"
                              << "Device or resource busy: another program has the port open"
                              << QStringList{"ModemManager"};
        QTest::newRow("locked") << "/dev/ttyUSB0: Permission error while locking the device"
                                << "Permission error while locking the device: another program"
                                << QStringList{"lock file"};
        QTest::newRow("missing") << "/dev/ttyUSB0: No such file or directory"
                                 << "No such file or directory: check that the adapter"
                                 << QStringList{"/dev/serial/by-id/", "brltty",
                                                "section [Ports] of /home/t/pravix.ini",
                                                "1=/dev/ttyUSB0"};
        QTest::newRow("no hardware")
            << "/dev/ttyS3: Input/output error"
            << "Input/output error: no serial hardware"
            << QStringList{"/dev/ttyUSB*", "section [Ports] of /home/t/pravix.ini"};
        QTest::newRow("not a tty") << "/tmp/x: Inappropriate ioctl for device"
                                   << "Inappropriate ioctl for device: this device is not a "
                                      "serial port"
                                   << QStringList{"section [Ports] of /home/t/pravix.ini"};
        QTest::newRow("not open") << "/dev/ttyS0: the port is not open" << QString()
                                  << QStringList{};
        QTest::newRow("bad settings")
            << "Invalid settings \"4800,n,8,1\"" << QString() << QStringList{};
    }

    void hint()
    {
        QFETCH(QString, message);
        QFETCH(QString, begins);
        QFETCH(QStringList, mentions);
        const QString text = porthint::hint(message, QStringLiteral("/home/t/pravix.ini"));
        QVERIFY2(begins.isEmpty() ? text.isEmpty() : text.startsWith(begins), qPrintable(text));
        for (const QString &mention : mentions)
            QVERIFY2(text.contains(mention), qPrintable(text));
        QVERIFY(!text.contains(QLatin1Char('\n')));
    }

    // The reasons a real port gives must be the ones the hints are written for.
    void realPort_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("hintBegins");
        QTest::newRow("missing device") << "missing/ttyUSB9"
                                        << "No such file or directory: ";
        QTest::newRow("regular file") << "plain.txt"
                                      << "Inappropriate ioctl for device: ";
    }

    void realPort()
    {
        QFETCH(QString, device);
        QFETCH(QString, hintBegins);
        TempSettings settings;
        const QString devicePath = QFileInfo(settings.path()).absolutePath() + '/' + device;
        QFile plain(QFileInfo(settings.path()).absolutePath() + QStringLiteral("/plain.txt"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        modINI::WriteIni(QStringLiteral("Ports"), QStringLiteral("1"), devicePath);

        MSComm port(portmap::devicePath);
        port.setCommPort(1);
        QString description;
        try {
            port.setPortOpen(true);
        } catch (const CommError &error) {
            description = porthint::describe(error, modINI::iniFilePath());
        }
        const QString prefix = QCoreApplication::applicationName() + QStringLiteral(": ");
        const QStringList lines = description.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines.at(0).startsWith(prefix + devicePath + QStringLiteral(": ")),
                 qPrintable(description));
        QVERIFY2(lines.at(1).startsWith(prefix + hintBegins), qPrintable(description));
        QVERIFY2(lines.at(1).contains(settings.path()), qPrintable(description));
        QCOMPARE(lines.at(2), QString());
    }

    void describeWithoutHint()
    {
        const CommError error(QStringLiteral("/dev/ttyS0: the port is not open"));
        QCOMPARE(porthint::describe(error, modINI::iniFilePath()),
                 QCoreApplication::applicationName() +
                     QStringLiteral(": /dev/ttyS0: the port is not "
                                    "open\n"));
    }
};

QTEST_GUILESS_MAIN(TestPortHint)
#include "tst_porthint.moc"
