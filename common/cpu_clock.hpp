// Clock readings as the programs print them: milliseconds of processor time.
#pragma once

#include <ctime>

namespace common {

inline int cpu_milliseconds()
{
    return static_cast<int>(static_cast<long long>(std::clock()) * 1000 / CLOCKS_PER_SEC);
}

}  // namespace common
