#pragma once

#include "commerror.h"

#include <QString>

/*! \brief Says why a port failed and what usually helps, for the platform the program runs on.
 *
 * The remedy is chosen by the error's kind, never by its message, which comes in the language
 * of the user's system. Standard error gets the reason and the remedy a line each; a message
 * box adds both as one line under its own text, since a program started from a desktop menu,
 * like every Windows program with windows, has no terminal to read.
 */
namespace porthint {

/*! The usual remedy for a failure of this kind on this platform, in lower case and without a
 * full stop; empty when none is known. \a settingsFile is named where the device of a port
 * number is set. */
QString hint(CommError::Kind kind, const QString &settingsFile);

//! The error's message followed by its remedy, when one is known, as one line.
QString summary(const CommError &error, const QString &settingsFile);

/*! The error's message and, when one is known, its remedy: one line each, for standard error.
 * \a settingsFile is the file whose section [Ports] maps port numbers to devices. */
QString describe(const CommError &error, const QString &settingsFile);

//! Writes describe(error, settingsFile) to standard error.
void report(const CommError &error, const QString &settingsFile);

} // namespace porthint
