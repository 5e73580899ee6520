#pragma once

// What the system counts of the benchmark's own use of the machine.

#include <sys/resource.h>

namespace kelvane::bench {

// User and system time, in seconds, of `who`: RUSAGE_SELF for the process, RUSAGE_THREAD for the calling thread.
inline double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The process's peak resident memory so far, in MB.
inline double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace kelvane::bench
