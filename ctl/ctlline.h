#pragma once

#include "ctlarguments.h"

#include <QString>

namespace ctl {

//! The line a run uses: from the options, else as the main window would load it.
struct Line
{
    int portNumber = 1;
    QString device;
    //! One of the nine settings strings; an upload's always.
    QString settings;
    //! 0 is a broadcast.
    int slave = 1;
    bool echo = false;
};

//! The settings file must be chosen (modINI) before: what the options leave open comes from it.
Line chooseLine(const Arguments &arguments);

} // namespace ctl
