// Small helpers shared by the benchmarks.
#pragma once

#include <chrono>
#include <fstream>
#include <functional>
#include <string>

namespace quenvel::bench {

// Peak resident memory of this process (VmHWM), in KiB.
inline long PeakRssKb()
{
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

using Clock = std::chrono::steady_clock;

// Milliseconds since a moment, and what a call takes.
inline double MsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

inline double Ms(const std::function<void()> &f)
{
    const auto t0 = Clock::now();
    f();
    return MsSince(t0);
}

} // namespace quenvel::bench
