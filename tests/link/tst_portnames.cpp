#include "commerror.h"
#include "mscomm.h"
#include "portmap.h"
#include "qtserialdevice.h"
#include "tempsettings.h"

#include <QtTest>

#include <memory>

#if defined(Q_OS_WIN)
#include <qt_windows.h>
#endif

// Ports 10 to 20 of the port list reach Qt under their whole name. On Windows that is "COM10"
// to "COM20", which open only as "\\.\COM10": a bare "COM10" is a file in the current folder.
class TestPortNames : public QObject
{
    Q_OBJECT

private slots:
    void twoDigitPortsReachQtWhole_data()
    {
        QTest::addColumn<int>("port");
        for (int port = 10; port <= 20; ++port)
            QTest::addRow("port %d", port) << port;
    }

    void twoDigitPortsReachQtWhole()
    {
        QFETCH(int, port);
        const TempSettings settings;
        auto device = std::make_unique<QtSerialDevice>();
        const QtSerialDevice &qt = *device;
        MSComm comm(portmap::devicePath, std::move(device));
        comm.setCommPort(port);
#if defined(Q_OS_WIN)
        // The name leads to the null device for this test's session: found, but no serial port.
        const QString name = QStringLiteral("COM%1").arg(port);
        const std::wstring dosName = name.toStdWString();
        QVERIFY(::DefineDosDeviceW(DDD_RAW_TARGET_PATH, dosName.c_str(), L"\\Device\\Null"));
        // Wine 8 accepts the definition of some of these names only (COM10 and COM20 do).
        wchar_t target[MAX_PATH] = {};
        const bool defined = ::QueryDosDeviceW(dosName.c_str(), target, MAX_PATH) != 0;
        std::optional<CommError> failure;
        try {
            comm.setPortOpen(true);
        } catch (const CommError &error) {
            failure = error;
        }
        ::DefineDosDeviceW(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                           dosName.c_str(), L"\\Device\\Null");
        QCOMPARE(qt.serialPort().portName(), name);
        if (defined && failure) {
            QVERIFY2(failure->kind() != CommError::Kind::NotFound, qPrintable(failure->message()));
            QVERIFY2(failure->message().startsWith(name + QStringLiteral(": ")),
                     qPrintable(failure->message()));
        }
#else
        // A device of the test's own that does not exist, so that nothing real is opened.
        const QString name =
            QFileInfo(settings.path()).absolutePath() + QStringLiteral("/ttyUSB%1").arg(port);
        settings.writeRaw("[Ports]\n" + QByteArray::number(port) + '=' + name.toUtf8() + '\n');
        try {
            comm.setPortOpen(true);
            QFAIL("a device that does not exist opened");
        } catch (const CommError &error) {
            QCOMPARE(error.kind(), CommError::Kind::NotFound);
            QVERIFY2(error.message().startsWith(name + QStringLiteral(": ")),
                     qPrintable(error.message()));
        }
        QCOMPARE(qt.serialPort().portName(), name);
#endif
    }
};

QTEST_GUILESS_MAIN(TestPortNames)
#include "tst_portnames.moc"
