// What exercise-judge-keeper and the judge agree on: the descriptor the
// keeper reports on and what it writes there.
#pragma once

#include <cstdint>

namespace judge {

// The keeper's program, found beside the judge (then on PATH).
constexpr const char* keeper_program = "exercise-judge-keeper";

// The descriptor on which the keeper reports, in it and in the processes
// between the judge and it.
constexpr int keeper_fd = 3;

// How the keeper's command ended and what it used, written once, whole.
struct KeeperReport {
    std::int64_t signaled;  // 1 when code is a signal number, else 0
    std::int64_t code;      // exit status or signal number
    std::int64_t user_microseconds;
    std::int64_t system_microseconds;
    std::int64_t peak_kilobytes;
};

}  // namespace judge
