#pragma once

#include "serialsettings.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

//! The command-line tool: one exchange, a series of them, or a configuration upload per run.
namespace ctl {

enum class Command { None, Send05, Send06, Send16, Configure, Profile, Ports, Scan, Doctor };

/*! \brief Everything the command line asks for, checked and converted, nothing yet carried out.
 *
 * Options left out stay empty: their values then come from the settings file.
 */
struct Arguments
{
    Command command = Command::None;
    bool help = false;
    bool version = false;

    //! send05: coil 0 or 1; send06: register 0-24; send16: start register 0-15.
    int address = 0;
    //! send05: 0 (off) or 1 (on); send06: the register's value.
    int value = 0;
    //! send16: the message, at most 32 characters.
    QString text;
    //! configure: the profile's file name, "-" for standard input.
    QString profile;
    //! doctor: the traffic CSV to judge.
    QString trafficFile;

    QString settingsFile;
    std::optional<int> port;
    QString device;
    std::optional<int> baud;
    //! "8N1", "8N2" or "8E1".
    QString format;
    bool rts = false;
    //! 0 is a broadcast.
    std::optional<int> slave;
    std::optional<int> timeoutMs;
    //! Set when --repeat was given: the run then ends with a summary.
    std::optional<int> repeat;
    int intervalMs = 0;
    bool json = false;
    bool echo = false;
    QString logFile;
    bool save = false;
    //! scan: the IDs and line settings to try, every one when empty; go on after a find.
    std::vector<int> ids;
    std::vector<SerialSettings> lines;
    bool all = false;
};

/*! The arguments after the program's name; nothing at all, with one line saying what is wrong
 * and what is allowed in \a error, when they cannot be carried out as they stand. */
std::optional<Arguments> parseArguments(const QStringList &arguments, QString *error);

//! The text --help prints: commands, options and exit statuses.
QString helpText();

} // namespace ctl
