#include "consolestart.h"

#include <QCommandLineParser>
#include <QtGlobal>

namespace consolestart {
namespace {

// Whether the environment names a window system to start. X11 and Wayland desktops say so in
// these variables; every other system (Windows, the Apple systems) always has its own.
bool windowSystemNamed()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    }
    return false;
#else
    return true;
#endif
}

} // namespace

bool consoleOnly(const QStringList &arguments, void (*addOptions)(QCommandLineParser &),
                 Windows windows, const QString &consoleOption)
{
    QCommandLineParser parser;
    addOptions(parser);
    // Arguments the toolkit itself takes (-platform, -style, ...) fail this parse; they need
    // the window system anyway. Without one, the toolkit would abort before the refusal of an
    // unknown option could be printed.
    if (!parser.parse(arguments))
        return !windowSystemNamed();
    QStringList console{QStringLiteral("help"), QStringLiteral("help-all"),
                        QStringLiteral("version")};
    if (!consoleOption.isEmpty())
        console << consoleOption;
    for (const QString &name : console) {
        if (parser.isSet(name))
            return true;
    }
    return windows == Windows::Optional && !windowSystemNamed();
}

} // namespace consolestart
