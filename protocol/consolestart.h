#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

//! How a program of the project starts: with a window system, or as a console program.
namespace consolestart {

//! Whether a program is of no use without its windows, or serves as well without them.
enum class Windows { Needed, Optional };

/*! True when the program should start without a window system (a QCoreApplication rather
 * than a QApplication). So it does when the arguments ask for help, the version or the
 * program's own consoleOption (empty for none); and, where the environment names no window
 * system, also when the arguments cannot be parsed or the program's windows are optional.
 * addOptions declares the program's options. Needs no application object, so the caller can
 * choose which one to create. */
bool consoleOnly(const QStringList &arguments, void (*addOptions)(QCommandLineParser &),
                 Windows windows, const QString &consoleOption = QString());

} // namespace consolestart
