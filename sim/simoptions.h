#pragma once

#include "linesettings.h"
#include "misbehaviour.h"
#include "simulator.h"

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

namespace lcdsim {

//! What the command line asks of the simulator.
struct SimOptions
{
    int slaveId = 1;
    //! Where to put a symbolic link to the device; empty for none.
    QString linkPath;
    Misbehaviour misbehaviour;
    //! What the display listens at until a configuration image changes it.
    LineSettings line;
    //! Line silence that ends a frame; 0 derives it from the line the display listens at.
    int silenceGapMs = 0;
    //! How long the display takes between the end of a request and its answer.
    int turnaroundMs = Simulator::defaultTurnaroundMs;
};

//! Declares every option, --help and --version included.
void addOptions(QCommandLineParser &parser);

/*! Reads the options of a parser that has processed the command line; std::nullopt with the
 * reason in *error when a value is out of range. */
std::optional<SimOptions> readOptions(const QCommandLineParser &parser, QString *error);

/*! True when the arguments ask for no window, or when an X11 or Wayland system has no display
 * to show one on (no DISPLAY, no WAYLAND_DISPLAY and no QT_QPA_PLATFORM). Needs no application
 * object, so the caller can choose between a console and a widget application. */
bool consoleOnly(const QStringList &arguments);

} // namespace lcdsim
