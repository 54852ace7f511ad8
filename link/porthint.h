#pragma once

#include <QString>

class CommError;

/*! \brief Tells the user on standard error why a port failed and what usually helps.
 *
 * The message box only says that the port failed; the operating system's reason and the
 * usual remedy on Linux (the dialout group, ModemManager or brltty holding a USB adapter, the
 * device a port number stands for) go to standard error, where a technician can find them.
 */
namespace porthint {

/*! The usual remedy for a port that failed with \a message (which holds the operating system's
 * reason), as "reason: remedy"; empty when none is known. \a settingsFile is named where the
 * device of a port number is set. */
QString hint(const QString &message, const QString &settingsFile);

/*! The error's message and, when one is known, its hint: one line each, for standard error.
 * \a settingsFile is the file whose section [Ports] maps port numbers to devices. */
QString describe(const CommError &error, const QString &settingsFile);

//! Writes describe(error, settingsFile) to standard error.
void report(const CommError &error, const QString &settingsFile);

} // namespace porthint
