#pragma once

#include <QString>

/*! \brief Reads and writes single values of "pravix.ini" beside the executable.
 *
 * The file is opened by name on every call; nothing is cached and nothing stays open.
 * Reads of anything not stored give empty text; a failed write goes unnoticed.
 */
namespace modINI {

//! The executable's directory with exactly one trailing separator.
QString AppDir();

//! The stored value (at most 254 characters), or empty text.
QString ReadIni(const QString &section, const QString &key);

void WriteIni(const QString &section, const QString &key, const QString &value);

//! The file every read and write uses now.
QString iniFilePath();

//! Names the file outright instead of the one beside the executable; empty text undoes it.
void setIniFilePath(const QString &path);

} // namespace modINI
