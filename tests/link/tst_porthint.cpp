#include "commerror.h"
#include "mscomm.h"
#include "portfailure.h"
#include "porthint.h"

#include <QtTest>

#include <cerrno>
#include <clocale>
#include <cstring>

#if defined(__GLIBC__)
#include <locale.h>
#endif
#if defined(Q_OS_WIN)
#include <qt_windows.h>
#endif

using Kind = CommError::Kind;

namespace {

const QString settingsFile = QStringLiteral("/home/t/pravix.ini");

} // namespace

// The remedy follows the kind of failure and the system the program runs on. Every test runs
// in German as well, where the system's reasons are German: the remedies must not care.
class TestPortHint : public QObject
{
    Q_OBJECT

private slots:
    void hintsByKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("mentions");
        const auto row = [](const char *name, Kind kind, const QStringList &mentions) {
            QTest::newRow(name) << int(kind) << mentions;
        };
        const QString ports = QStringLiteral("section [Ports] of ") + settingsFile;
#if defined(Q_OS_WIN)
        row("in use", Kind::InUse, {"another program holds the port"});
        row("not found", Kind::NotFound, {"plugged in", "Device Manager", "Ports (COM & LPT)"});
        row("no hardware", Kind::NoHardware, {"plug it in again", "Device Manager"});
        row("not serial", Kind::NotSerial, {"Ports (COM & LPT)"});
#elif defined(Q_OS_LINUX)
        row("locked", Kind::Locked, {"another program", "lock file", "/run/lock"});
        row("no permission", Kind::NoPermission, {"usermod -aG dialout", "log in again"});
        row("in use", Kind::InUse, {"another program has the port open", "ModemManager"});
        row("not found", Kind::NotFound,
            {"/dev/serial/by-id/", "brltty", "Ports window", ports, "1=/dev/ttyUSB0"});
        row("no hardware", Kind::NoHardware, {"/dev/ttyUSB*", "Ports window", ports});
        row("not serial", Kind::NotSerial, {"not a serial port", "Ports window", ports});
#else
        row("in use", Kind::InUse, {"another program"});
        row("not found", Kind::NotFound, {"Ports window", ports, "/dev/cu."});
#endif
        row("vanished", Kind::Vanished, {"plug it in again"});
        row("other", Kind::Other, {});
        row("wrong state", Kind::WrongState, {});
        row("bad setting", Kind::BadSetting, {});
        row("timed out", Kind::TimedOut, {});
    }

    void hintsByKind()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, mentions);
        const QString text = porthint::hint(Kind(kind), settingsFile);
        QCOMPARE(text.isEmpty(), mentions.isEmpty());
        for (const QString &mention : mentions)
            QVERIFY2(text.contains(mention), qPrintable(text));
        QVERIFY(!text.contains(QLatin1Char('\n')));
    }

    // A real failure: its kind, then standard error's two lines and the box's one line, which
    // carry the system's reason whatever language it comes in.
    void realFailures_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("kind");
#if defined(Q_OS_WIN)
        QTest::newRow("missing port") << "COM250" << int(Kind::NotFound);
#else
        QTest::newRow("missing device") << "missing/ttyUSB9" << int(Kind::NotFound);
        QTest::newRow("regular file") << "plain.txt" << int(Kind::NotSerial);
        QTest::newRow("folder") << "folder" << int(Kind::NotSerial);
#endif
    }

    void realFailures()
    {
        QFETCH(QString, device);
        QFETCH(int, kind);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile plain(dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        const QString path =
            device.startsWith(QLatin1String("COM")) ? device : dir.filePath(device);

        MSComm port([&path](int) { return path; });
        std::optional<CommError> failure;
        try {
            port.setPortOpen(true);
        } catch (const CommError &error) {
            failure = error;
        }
        QVERIFY(failure);
        QCOMPARE(int(failure->kind()), kind);
        QVERIFY2(failure->message().startsWith(path + QStringLiteral(": ")),
                 qPrintable(failure->message()));
        QVERIFY(failure->message().size() > path.size() + 2);

        const QString remedy = porthint::hint(failure->kind(), settingsFile);
        const QString prefix = QCoreApplication::applicationName() + QStringLiteral(": ");
        QCOMPARE(porthint::describe(*failure, settingsFile),
                 prefix + failure->message() + '\n' + prefix + remedy + '\n');

        const QString line = porthint::summary(*failure, settingsFile);
        QVERIFY2(line.startsWith(path + QStringLiteral(": ")), qPrintable(line));
        QVERIFY2(line.contains(remedy.mid(1)), qPrintable(line));
        QVERIFY2(line.endsWith(remedy.right(10) + '.'), qPrintable(line));
        QVERIFY(!line.contains(QLatin1Char('\n')));
    }

    // The causes a test run as root cannot bring about (root may open any device), from what
    // Qt reports and the system's number.
    void kindsOfRefusedOpens_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<bool>("deviceAllowsUs");
        QTest::addColumn<int>("kind");
        const auto row = [](const char *name, QSerialPort::SerialPortError error, int systemError,
                            bool allows, Kind kind) {
            QTest::newRow(name) << int(error) << systemError << allows << int(kind);
        };
#if defined(Q_OS_WIN)
        row("access denied", QSerialPort::PermissionError, ERROR_ACCESS_DENIED, true, Kind::InUse);
        row("shared", QSerialPort::UnknownError, ERROR_SHARING_VIOLATION, true, Kind::InUse);
        row("no such port", QSerialPort::DeviceNotFoundError, ERROR_FILE_NOT_FOUND, true,
            Kind::NotFound);
        row("not working", QSerialPort::UnknownError, ERROR_GEN_FAILURE, true, Kind::NoHardware);
#else
        row("not in dialout", QSerialPort::PermissionError, EACCES, false, Kind::NoPermission);
        row("exclusive elsewhere", QSerialPort::PermissionError, EBUSY, true, Kind::InUse);
        // A lock file held by another user's program leaves EACCES from Qt's look at it.
        row("lock of another user", QSerialPort::PermissionError, EACCES, true, Kind::Locked);
        row("lock", QSerialPort::PermissionError, EEXIST, true, Kind::Locked);
        row("no uart", QSerialPort::ResourceError, EIO, true, Kind::NoHardware);
        row("not a tty", QSerialPort::UnsupportedOperationError, ENOTTY, true, Kind::NotSerial);
#endif
        row("unknown", QSerialPort::UnknownError, 0, true, Kind::Other);
    }

    void kindsOfRefusedOpens()
    {
        QFETCH(int, error);
        QFETCH(int, systemError);
        QFETCH(bool, deviceAllowsUs);
        QFETCH(int, kind);
        QCOMPARE(int(portfailure::ofOpen(QSerialPort::SerialPortError(error), systemError,
                                         deviceAllowsUs)),
                 kind);
    }

    void summaryWithoutHint()
    {
        const CommError error(Kind::WrongState, QStringLiteral("/dev/ttyS0: the port is not open"));
        QCOMPARE(porthint::summary(error, settingsFile), error.message());
        QCOMPARE(porthint::describe(error, settingsFile),
                 QCoreApplication::applicationName() +
                     QStringLiteral(": /dev/ttyS0: the port is not open\n"));
    }

    // Under the locale CTest asks for, the system really gives its reasons in that language;
    // otherwise the German runs would prove nothing.
    void reasonsComeInTheLanguageOfTheRun()
    {
#if defined(__GLIBC__)
        const QByteArray wanted = qgetenv("LC_ALL");
        if (wanted.isEmpty())
            QSKIP("run without a locale asked for (CTest sets LC_ALL)");
        QCOMPARE(QByteArray(std::setlocale(LC_MESSAGES, nullptr)), wanted);
        const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        QVERIFY(c);
        const QByteArray english(strerror_l(ENOTTY, c));
        freelocale(c);
        const QByteArray here(std::strerror(ENOTTY));
        if (wanted == "C")
            QCOMPARE(here, english);
        else
            QVERIFY2(here != english, "no translation of the system's reasons: install locales "
                                      "and libc-l10n and generate the locale (scripts/test)");
#else
        QSKIP("checks glibc's translations");
#endif
    }
};

QTEST_GUILESS_MAIN(TestPortHint)
#include "tst_porthint.moc"
