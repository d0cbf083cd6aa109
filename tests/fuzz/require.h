#ifndef FUZZ_REQUIRE_H
#define FUZZ_REQUIRE_H

#include <cstdlib>

// A broken property ends the run, and the fuzzer keeps the input.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

#endif // FUZZ_REQUIRE_H
