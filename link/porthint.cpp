#include "porthint.h"

#include "commerror.h"

#include <QCoreApplication>

#include <cstdio>
#include <vector>

namespace porthint {

namespace {

struct Remedy
{
    //! The reason as the operating system or the serial port layer words it.
    const char *reason;
    //! %1 stands for the settings file.
    const char *remedy;
};

// Only Linux words its reasons like this and has these remedies; elsewhere the reason alone
// is reported. The lock file is checked before the device is opened, so its reason comes first.
std::vector<Remedy> remedies()
{
#if defined(Q_OS_LINUX)
    return {
        {"Permission error while locking the device",
         "another program is using the port (it holds the port's lock file in /run/lock); "
         "close that program"},
        {"Permission denied",
         "add your user to the dialout group (sudo usermod -aG dialout $USER) and log in again"},
        {"Device or resource busy",
         "another program has the port open; ModemManager probes newly plugged USB adapters "
         "for a while (wait, or sudo systemctl stop ModemManager)"},
        {"No such file or directory",
         "check that the adapter is plugged in (ls /dev/serial/by-id/); brltty takes some USB "
         "serial adapters away (sudo apt remove brltty); the device of a port number is set in "
         "section [Ports] of %1, for example 1=/dev/ttyUSB0"},
        {"Input/output error",
         "no serial hardware answers at this device; USB adapters are /dev/ttyUSB* or "
         "/dev/ttyACM*: set the device of the port number in section [Ports] of %1"},
        {"Inappropriate ioctl for device",
         "this device is not a serial port; set the device of the port number in section "
         "[Ports] of %1"},
    };
#else
    return {};
#endif
}

} // namespace

QString hint(const QString &message, const QString &settingsFile)
{
    for (const Remedy &remedy : remedies()) {
        const QString reason = QString::fromLatin1(remedy.reason);
        if (message.contains(reason)) {
            QString text = QString::fromLatin1(remedy.remedy);
            if (text.contains(QLatin1String("%1")))
                text = text.arg(settingsFile);
            return reason + QStringLiteral(": ") + text;
        }
    }
    return QString();
}

QString describe(const CommError &error, const QString &settingsFile)
{
    const QString prefix = QCoreApplication::applicationName() + QStringLiteral(": ");
    QString text = prefix + error.message() + QLatin1Char('\n');
    const QString remedy = hint(error.message(), settingsFile);
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
