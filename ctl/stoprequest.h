#pragma once

#include <atomic>

/*! \brief Ctrl+C and termination requests as a flag a run looks at, instead of an abrupt end.
 *
 * A series stops after the exchange under way, whose wait ends at once, and still ends with its
 * summary. On Windows the console runs the handler on a thread of its own, hence an atomic.
 */
namespace ctl::stoprequest {

//! From now on SIGINT and SIGTERM set flag() instead of ending the program.
void catchSignals();

//! True once a stop has been asked for.
const std::atomic<bool> &flag();

} // namespace ctl::stoprequest
