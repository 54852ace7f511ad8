#include "portfailure.h"

#include <cerrno>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <qt_windows.h>
#endif

namespace portfailure {

using Kind = CommError::Kind;

int lastSystemError()
{
#if defined(Q_OS_WIN)
    return static_cast<int>(::GetLastError());
#else
    return errno;
#endif
}

bool allowsReadWrite(const QString &path)
{
#if defined(Q_OS_UNIX)
    if (::access(path.toLocal8Bit().constData(), R_OK | W_OK) == 0)
        return true;
    return errno != EACCES && errno != EPERM;
#else
    Q_UNUSED(path);
    return true;
#endif
}

#if defined(Q_OS_WIN)

// A Windows serial port is opened exclusively: "access denied" is another program holding it.
Kind ofOpen(QSerialPort::SerialPortError error, int systemError, bool)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return Kind::NotFound;
    case QSerialPort::PermissionError:
        return Kind::InUse;
    case QSerialPort::UnsupportedOperationError:
        return Kind::NotSerial;
    default:
        break;
    }
    switch (systemError) {
    case ERROR_SHARING_VIOLATION:
        return Kind::InUse;
    // The name opened, but the device behind it takes no serial port settings.
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_HANDLE:
        return Kind::NotSerial;
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
        return Kind::NoHardware;
    default:
        return error == QSerialPort::ResourceError ? Kind::NoHardware : Kind::Other;
    }
}

Kind ofUse(QSerialPort::SerialPortError error, int systemError)
{
    if (error == QSerialPort::ResourceError || systemError == ERROR_GEN_FAILURE ||
        systemError == ERROR_DEVICE_NOT_CONNECTED)
        return Kind::Vanished;
    return Kind::Other;
}

#else

// Qt takes the port's lock file before it opens the device, and reports a held lock as a
// permission error with whatever number its own checks left behind; a device that lets this
// user in shows that the lock, not the device, refused.
Kind ofOpen(QSerialPort::SerialPortError error, int systemError, bool deviceAllowsUs)
{
    if (error == QSerialPort::PermissionError) {
        if (systemError == EBUSY)
            return Kind::InUse;
        return deviceAllowsUs ? Kind::Locked : Kind::NoPermission;
    }
    switch (systemError) {
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
        return Kind::NotFound;
    case EIO:
    case ENXIO:
        return Kind::NoHardware;
    case EISDIR:
    case ENOTTY:
        return Kind::NotSerial;
    default:
        break;
    }
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return Kind::NotFound;
    case QSerialPort::UnsupportedOperationError:
        return Kind::NotSerial;
    case QSerialPort::ResourceError:
        return Kind::NoHardware;
    default:
        return Kind::Other;
    }
}

Kind ofUse(QSerialPort::SerialPortError error, int systemError)
{
    switch (systemError) {
    case EIO:
    case ENXIO:
    case ENODEV:
        return Kind::Vanished;
    default:
        return error == QSerialPort::ResourceError ? Kind::Vanished : Kind::Other;
    }
}

#endif

} // namespace portfailure
