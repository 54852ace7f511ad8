#pragma once

#include "ctlarguments.h"
#include "runoutput.h"

namespace ctl {

/*! `pravixctl doctor FILE`: judges a traffic CSV saved elsewhere (a --log, or the Traffic
 * window's "Save as CSV…") and prints its summary and diagnosis as a repeated run ends, as text
 * or as JSON. 0 once the file is judged, 1 with one line naming the file, the line and the field
 * when it cannot be read; nothing is sent and no settings file is read. */
int doctor(const Arguments &arguments, Console &console);

} // namespace ctl
