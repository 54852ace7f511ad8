#pragma once

#include <QString>

/*! \brief Single values of a private-profile (INI) file, read and written by the file's name.
 *
 * A line "[name]" opens a section; "key=value" lines hold the values; lines starting with ";"
 * or "#" are comments. Section and key names match without regard to case; blanks around names,
 * around "=" and around values do not count. A value in one pair of double quotes reads without
 * them. Where a section or key appears twice, the first one counts. Lines that are none of these
 * are kept and passed over.
 */
namespace privateprofile {

//! The value stored under section and key; empty text when file, section or key is missing or
//! the file cannot be read.
QString readValue(const QString &filePath, const QString &section, const QString &key);

/*! \brief Stores value under section and key, adding the file, the section and the key as needed.
 *
 * Every other line stays as it was. Line breaks in the value are stored as blanks; a value that
 * begins or ends with a blank or a double quote is stored in double quotes so it reads back as
 * it was. False when the file is left unchanged because it could not be read or replaced, or
 * because a name could not be stored (empty, a line break, "]" in a section name, "=" in a key
 * name or a key name starting with "[", ";" or "#").
 */
bool writeValue(const QString &filePath, const QString &section, const QString &key,
                const QString &value);

} // namespace privateprofile
