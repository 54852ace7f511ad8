#pragma once

#include "ctlarguments.h"
#include "runoutput.h"

namespace ctl {

/*! `pravixctl scan`: probes the IDs and line settings asked for until a display answers (all of
 * them with --all), one line per display found and a last line with what was tried and how long
 * it took. 0 when a display was found, 2 when none was, 5 when the port failed first, 1 when the
 * log cannot be written (nothing sent). Ctrl+C ends the probe under way at once. */
int scan(const Arguments &arguments, Console &console);

} // namespace ctl
