// The system-call filter every solution and compiler runs under, in both
// sandbox modes: installed by exercise-judge-keeper in its child just
// before the exec. The filter allows every call but those listed in
// filter.cpp, which are answered with an error instead: what reaches into
// other processes, makes namespaces or mounts, holds memory no counted
// file system sees or leaves objects behind (message queues, semaphore
// sets), and sockets of every family but the local one. A change of what
// is refused goes there, and nowhere else.
#pragma once

#include <seccomp.h>

namespace judge {

// The filter, for this machine's system calls and, on x86-64, for those of
// 32-bit and x32 programs too; null (errno set) when it cannot be made.
scmp_filter_ctx make_filter();

}  // namespace judge
