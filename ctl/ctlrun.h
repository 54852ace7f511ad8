#pragma once

#include "ctlarguments.h"
#include "runoutput.h"

namespace ctl {

/*! Carries out parsed arguments: sends, waits, prints and logs; the exit status. Nothing is
 * sent when the profile, the settings or the log file cannot be used (status 1). */
int run(const Arguments &arguments, Console &console);

} // namespace ctl
