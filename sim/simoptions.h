#pragma once

#include "linesettings.h"
#include "misbehaviour.h"
#include "replay.h"
#include "simulator.h"

#include <QString>

#include <optional>

class QCommandLineParser;

namespace lcdsim {

//! What the command line asks of the simulator.
struct SimOptions
{
    int slaveId = 1;
    //! The serial port to play the display on; empty for a pseudo-terminal of its own.
    QString portName;
    //! Where to put a symbolic link to the pseudo-terminal; empty for none.
    QString linkPath;
    Misbehaviour misbehaviour;
    //! What the display listens at until a configuration image changes it.
    LineSettings line;
    //! Line silence that ends a frame; 0 derives it from the line the display listens at.
    int silenceGapMs = 0;
    //! How long the display takes between the end of a request and its answer.
    int turnaroundMs = Simulator::defaultTurnaroundMs;
    //! The field log to answer from, and its file; none without --replay.
    std::optional<Replay> replay;
    QString replayFile;
};

//! Declares every option, --help and --version included.
void addOptions(QCommandLineParser &parser);

/*! Reads the options of a parser that has processed the command line; std::nullopt with the
 * reason in *error when a value is out of range. */
std::optional<SimOptions> readOptions(const QCommandLineParser &parser, QString *error);

//! The option that asks for the log alone, without the window.
extern const QString noWindowOption;

} // namespace lcdsim
