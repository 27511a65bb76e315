// Small helpers shared by the benchmarks.
#pragma once

#include <fstream>
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

} // namespace quenvel::bench
