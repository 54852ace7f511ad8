#pragma once

#include "ctlarguments.h"

class QIODevice;
class QTextStream;

namespace ctl {

//! Where a run reads a profile from standard input and writes its output and its errors.
struct Console
{
    QIODevice &in;
    QTextStream &out;
    QTextStream &err;
};

/*! Carries out parsed arguments: sends, waits, prints and logs; the exit status. Nothing is
 * sent when the profile, the settings or the log file cannot be used (status 1). */
int run(const Arguments &arguments, Console &console);

} // namespace ctl
