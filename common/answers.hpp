// The makers' console answers: a prompt on standard error, then a number
// read as "%d". An answer that is missing or not a 32-bit number ends the
// program, before anything is written to standard output.
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/fail.hpp"
#include "common/input.hpp"

namespace common {

// Reads one answer; `what` names it in the messages.
inline std::int32_t read_answer(Input& in, const char* what)
{
    std::int32_t value = 0;
    switch (in.read_int(value)) {
    case ReadStatus::ok: return value;
    case ReadStatus::end: fail("no %s given: the input ended", what);
    case ReadStatus::no_number:
    case ReadStatus::lone_sign: fail("the %s is not a number", what);
    case ReadStatus::out_of_range: fail("the %s is outside the signed 32-bit range", what);
    }
    return value;
}

// Writes the prompt, then reads the answer.
inline std::int32_t ask(Input& in, const char* prompt, const char* what)
{
    std::fputs(prompt, stderr);
    return read_answer(in, what);
}

}  // namespace common
