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

// The descriptors, from this one on, on which the keeper is given the
// cgroup.procs files of its command's control group (--join), one per
// hierarchy, at most most_join_fds of them.
constexpr int first_join_fd = 4;
constexpr int most_join_fds = 3;

// The first field of every report: a report without it is not one.
constexpr std::int64_t keeper_magic = 0x6b65657065720002;  // "keeper", layout 2

// How the keeper's command ended and what it and its descendants used,
// written once, whole, after every one of them has ended.
struct KeeperReport {
    std::int64_t magic;     // keeper_magic
    std::int64_t signaled;  // 1 when code is a signal number, else 0
    std::int64_t code;      // exit status or signal number
    std::int64_t user_microseconds;
    std::int64_t system_microseconds;
    std::int64_t peak_kilobytes;  // the largest resident set of any one of them
    std::int64_t held_bytes;      // what the counted file systems held at the end
};

}  // namespace judge
