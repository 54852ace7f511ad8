#pragma once

#include "serialsettings.h"

#include <QString>

#include <optional>
#include <vector>

//! What `pravixctl scan` is told to search: slave IDs and line settings as typed.
namespace ctl::scanlists {

/*! "1-247", "7", "1,5,10-20": IDs and ranges from low to high, each 1 to 247, separated by
 * commas. Empty, with one line saying why in \a error, for anything else. */
std::optional<std::vector<int>> ids(const QString &text, QString *error);

/*! "all", or baud rates and formats separated by commas: every format given at every baud rate
 * given, all three of either when none is given ("38400" is 38400 8N1, 8N2 and 8E1; "9600,8N1"
 * is one line). Empty, with one line saying why in \a error, for anything else. */
std::optional<std::vector<SerialSettings>> lines(const QString &text, QString *error);

} // namespace ctl::scanlists
