#pragma once

#include <QString>

/*! \brief The settings file a user names on the command line (--settings FILE).
 *
 * Both programs take the option the same way, so a script and the windows can share a file.
 */
namespace settingsoption {

/*! The named file as an absolute, clean path, so it stays the same file whatever the working
 * folder later is; empty text, with the reason in \a error, for a name that cannot be a
 * settings file (empty, a folder, or in a folder that does not exist). The file itself need not
 * exist yet. */
QString resolve(const QString &named, QString *error);

} // namespace settingsoption
