#pragma once

#include <QString>

/*! \brief The main window's line as the settings file holds it, taken as the window loads it.
 *
 * An edited or damaged file must not leave the window, or a script, on a port or slave that no
 * list can show: what is not usable starts at 1.
 */
namespace storedline {

constexpr int highestPort = 20;
constexpr int highestSlave = 247;

//! "CommPort" of [Settings]: 1 to 20, anything else 1.
int commPort();

//! "Setting" of [Settings] as stored; whether it is one of the nine forms is the port's to say.
QString setting();

//! "Slave" of [LCD]: 1 to 247, anything else 1.
int slave();

//! True when "LocalEcho" of [Settings] is 1: the adapter hands every sent byte back.
bool localEcho();

//! A stored number in decimal digits from 1 to highest; anything else gives 1.
int usableNumber(const QString &stored, int highest);

} // namespace storedline
