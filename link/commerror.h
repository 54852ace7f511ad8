#pragma once

#include <stdexcept>
#include <string>

#include <QString>

/*! \brief A serial port operation failed: what kind of failure it was, and the reason in the
 * operating system's words.
 *
 * Callers and hints go by the kind; the message is for people and comes in the language of the
 * user's system, so nothing may be read out of its text.
 */
class CommError : public std::runtime_error
{
public:
    enum class Kind {
        //! Nothing more is known about the cause.
        Other,
        //! No device by that name: nothing plugged in, or a name that stands for nothing.
        NotFound,
        //! The system refuses this user the device.
        NoPermission,
        //! Another program has the device open.
        InUse,
        //! Another program holds the device's lock file.
        Locked,
        //! The device exists, but no serial hardware answers behind it.
        NoHardware,
        //! The device is not a serial port.
        NotSerial,
        //! The device went away while it was open: an adapter pulled out or without power.
        Vanished,
        //! The operation needs the port open, or closed, and it is not.
        WrongState,
        //! A port number or settings string the port does not take.
        BadSetting,
        //! A write did not get its bytes to the operating system in time.
        TimedOut,
    };

    /*! \a message names the device where one is known ("device: reason"). \a systemError is
     * errno on POSIX and GetLastError() on Windows, 0 when no system call failed or it is not
     * known. */
    CommError(Kind kind, const QString &message, int systemError = 0)
        : std::runtime_error(message.toStdString()), m_kind(kind), m_systemError(systemError)
    {
    }

    Kind kind() const { return m_kind; }
    int systemError() const { return m_systemError; }
    QString message() const { return QString::fromStdString(what()); }

private:
    Kind m_kind;
    int m_systemError;
};
