#include "stoprequest.h"

#include <csignal>

namespace ctl::stoprequest {
namespace {

// A handler may only touch lock-free atomics.
static_assert(std::atomic<bool>::is_always_lock_free);

std::atomic<bool> stopRequested{false};

extern "C" void requestStop(int)
{
    stopRequested.store(true);
}

} // namespace

void catchSignals()
{
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
}

const std::atomic<bool> &flag()
{
    return stopRequested;
}

} // namespace ctl::stoprequest
