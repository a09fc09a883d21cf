// The one error routine every program reports through, and the program
// name that prefixes its messages.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace common {

// Set by each program at the start of main; prefixes every message.
inline const char* program_name = "?";

// The exit status fail() ends the program with: 1, except in programs
// whose failures before their real work are usage or setup errors (2).
inline int failure_status = 1;

// Flushes pending standard output before an error ends the program, so
// lines already produced stay written. Installed by the output writer.
inline void (*flush_before_exit)() = nullptr;

// Prints "PROGRAM: message" on standard error and exits with status 1
// (failure_status).
[[noreturn]] __attribute__((format(printf, 1, 2))) inline void fail(const char* format, ...)
{
    if (flush_before_exit != nullptr) {
        auto flush = flush_before_exit;
        flush_before_exit = nullptr;  // a failing flush must not recurse
        flush();
    }
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    std::fprintf(stderr, "%s: %s\n", program_name, message);
    std::exit(failure_status);
}

}  // namespace common
