#include "porthint.h"

#include "reasontext.h"

#include <QCoreApplication>

#include <cstdio>

namespace porthint {

namespace {

using Kind = CommError::Kind;

//! The remedy for a kind; %1 stands for the settings file.
const char *remedy(Kind kind)
{
    switch (kind) {
#if defined(Q_OS_WIN)
    case Kind::InUse:
        return "another program holds the port (a terminal program, a modem or a vendor's "
               "tool); close it and try again";
    case Kind::NotFound:
        return "there is no such COM port: check that the adapter is plugged in, and look up its "
               "COM number in Device Manager under Ports (COM & LPT)";
    case Kind::NoHardware:
        return "the adapter does not respond: unplug it and plug it in again, and check in "
               "Device Manager under Ports (COM & LPT) that Windows sees it";
    case Kind::NotSerial:
        return "this is not a serial port: choose a COM number that Device Manager lists under "
               "Ports (COM & LPT)";
#elif defined(Q_OS_LINUX)
    case Kind::Locked:
        return "another program is using the port (it holds the port's lock file in /run/lock); "
               "close that program";
    case Kind::NoPermission:
        return "add your user to the dialout group (sudo usermod -aG dialout $USER) and log in "
               "again";
    case Kind::InUse:
        return "another program has the port open; ModemManager probes newly plugged USB "
               "adapters for a while (wait, or sudo systemctl stop ModemManager)";
    case Kind::NotFound:
        return "check that the adapter is plugged in (ls /dev/serial/by-id/); brltty takes some "
               "USB serial adapters away (sudo apt remove brltty); give the adapter a port "
               "number in the Ports window (it writes section [Ports] of %1, for example "
               "1=/dev/ttyUSB0)";
    case Kind::NoHardware:
        return "no serial hardware answers at this device; USB adapters are /dev/ttyUSB* or "
               "/dev/ttyACM*: give the adapter a port number in the Ports window (section "
               "[Ports] of %1)";
    case Kind::NotSerial:
        return "this device is not a serial port; give the adapter a port number in the Ports "
               "window (section [Ports] of %1)";
#else
    case Kind::Locked:
    case Kind::InUse:
        return "another program has the port open; close that program";
    case Kind::NoPermission:
        return "you may not use this device: check its owner and permissions (ls -l)";
    case Kind::NotFound:
    case Kind::NoHardware:
    case Kind::NotSerial:
        return "give the adapter a port number in the Ports window (section [Ports] of %1, for "
               "example 1=/dev/cu.usbserial-A1234567)";
#endif
    case Kind::Vanished:
        return "the adapter went away (unplugged, or without power); plug it in again, then "
               "close and open the port again";
    default:
        return nullptr;
    }
}

} // namespace

QString hint(CommError::Kind kind, const QString &settingsFile)
{
    const char *text = remedy(kind);
    if (!text)
        return QString();
    QString result = QString::fromLatin1(text);
    if (result.contains(QLatin1String("%1")))
        result = result.arg(settingsFile);
    return result;
}

QString summary(const CommError &error, const QString &settingsFile)
{
    const QString remedy = hint(error.kind(), settingsFile);
    if (remedy.isEmpty())
        return error.message().trimmed();
    // The remedy follows as a sentence of its own.
    return reasontext::quoted(error.message()) + QStringLiteral(". ") + remedy.at(0).toUpper() +
           remedy.mid(1) + QLatin1Char('.');
}

QString describe(const CommError &error, const QString &settingsFile)
{
    const QString prefix = QCoreApplication::applicationName() + QStringLiteral(": ");
    QString text = prefix + error.message() + QLatin1Char('\n');
    const QString remedy = hint(error.kind(), settingsFile);
    if (!remedy.isEmpty())
        text += prefix + remedy + QLatin1Char('\n');
    return text;
}

void report(const CommError &error, const QString &settingsFile)
{
    std::fputs(describe(error, settingsFile).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

} // namespace porthint
