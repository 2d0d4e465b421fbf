// The calling thread's own CPU time as a clock: on a shared machine, the time other
// processes hold the core is counted against neither of two single-threaded coders
// compared by turns.
#pragma once

#include <time.h>

#include <chrono>

namespace dvr::bench {

struct ThreadClock {
    static std::chrono::nanoseconds now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
    }
};

} // namespace dvr::bench
