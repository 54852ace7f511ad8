#pragma once

#include <QString>

/*! \brief Reads and writes single values of the settings file "pravix.ini".
 *
 * The file is the one beside the executable whenever that folder can be written. Where it
 * cannot (an installed program), reads and writes go to the user's own pravix.ini, which the
 * first write starts from a copy of the one beside the executable; until then reads come from
 * that one. A file named outright wins over both.
 *
 * The file is opened by name on every call; nothing is cached and nothing stays open.
 * Reads of anything not stored give empty text. A failed write leaves the file as it was; only
 * a caller that must tell the user looks at the result.
 */
namespace modINI {

//! The executable's directory with exactly one trailing separator.
QString AppDir();

//! The stored value (at most 254 characters), or empty text.
QString ReadIni(const QString &section, const QString &key);

//! False when the file could not be written and is unchanged.
bool WriteIni(const QString &section, const QString &key, const QString &value);

//! The file writes go to now.
QString iniFilePath();

//! Names the file outright instead of choosing one; empty text undoes it.
void setIniFilePath(const QString &path);

} // namespace modINI
