#pragma once

#include "portsurvey.h"

#include <QString>

//! Giving a listed device a port number: one key of section [Ports] in the settings file.
namespace portassignment {

/*! Whether a number can be given at all: on Windows port n is COMn, which the system chose. */
#if defined(Q_OS_WIN)
constexpr bool available = false;
#else
constexpr bool available = true;
#endif

enum class Result {
    Written,
    //! The device is not listed any more (an adapter pulled since the list was shown).
    DeviceGone,
    //! The settings file could not be written; it is as it was.
    NotWritten,
    //! This system has no port map to write (Windows).
    Unavailable
};

/*! \brief Maps port \a number (1-20) to the device listed as \a deviceName.
 *
 * The device is looked up afresh first, so that a device gone since the list was shown is not
 * written. The key holds the device's stable name where it has one, so the number keeps
 * reaching the adapter in any USB socket. Only that key of the file changes; the write
 * replaces the whole file at once or not at all.
 */
Result assign(const DeviceLookup &lookup, const QString &deviceName, int number);

} // namespace portassignment
