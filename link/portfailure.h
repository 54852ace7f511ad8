#pragma once

#include "commerror.h"

#include <QSerialPort>
#include <QString>

/*! \brief What kind of failure a QSerialPort call was, from Qt's error and the system's number.
 *
 * Qt's error alone mixes causes that want different remedies (on Linux a refused permission, a
 * device another program has open and a held lock file are all PermissionError), so the system
 * error number read at the failure, and for an open whether the device itself lets this user in,
 * tell them apart.
 */
namespace portfailure {

//! errno on POSIX, GetLastError() on Windows: read it straight after the failing call.
int lastSystemError();

//! True unless the system refuses this user reading or writing \a path (POSIX only).
bool allowsReadWrite(const QString &path);

//! The kind of a failed open. \a deviceAllowsUs: allowsReadWrite() of the device.
CommError::Kind ofOpen(QSerialPort::SerialPortError error, int systemError, bool deviceAllowsUs);

//! The kind of a failure of a port that was open.
CommError::Kind ofUse(QSerialPort::SerialPortError error, int systemError);

} // namespace portfailure
