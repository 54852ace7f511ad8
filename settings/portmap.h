#pragma once

#include <QString>

//! Which device a port number of the port lists stands for on this machine.
namespace portmap {

/*! Windows: port n is "COMn". Elsewhere key "n" of section "Ports" in the settings file names
 * the device (written by hand, or when the user gives a listed device a number); without it,
 * port n is /dev/ttyS(n-1). Read afresh on every call, so a new mapping counts at once. */
QString devicePath(int portNumber);

} // namespace portmap
