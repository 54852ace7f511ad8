#pragma once

#include <cstdlib>

//! A property every fuzz target checks: when it does not hold, the run stops here and libFuzzer
//! keeps the input that broke it.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}
