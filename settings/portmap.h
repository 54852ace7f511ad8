#pragma once

#include <QString>

//! Which device a port number of the port lists stands for on this machine.
namespace portmap {

/*! Windows: port n is "COMn". Elsewhere key "n" of section "Ports" in the settings file names
 * the device (the program never writes that section); without it, port n is /dev/ttyS(n-1). */
QString devicePath(int portNumber);

} // namespace portmap
