#pragma once

#include <QString>

#include <memory>

class QCommandLineParser;
class TrafficLog;

/*! \brief The program's command line: --help, --version, --settings FILE and --log FILE. */
namespace commandline {

//! The release the window title names and, in brackets, the build's own version.
QString versionText();

void addOptions(QCommandLineParser &parser);

/*! Carries out what the parsed options ask for: --settings names the settings file. False,
 * with the reason in \a error, for a file that cannot be used or a stray argument. */
bool apply(const QCommandLineParser &parser, QString *error);

/*! Opens the log --log names, for appending, into \a log; without --log there is none. False,
 * with the file and the reason in \a error, when the file cannot be opened. */
bool openLog(const QCommandLineParser &parser, std::unique_ptr<TrafficLog> *log, QString *error);

} // namespace commandline
