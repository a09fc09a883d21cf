// What the judge's programs write: their results on standard output, and
// report files. A write that fails is a WriteError, which the program's
// main turns into "PROGRAM: what failed" and status 1 once its temporary
// files are gone.
#pragma once

#include <stdexcept>
#include <string>

namespace judge {

struct WriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Writes text to standard output, whole; "write error: reason" otherwise.
void print(const std::string& text);

// Writes text as the file at path; "cannot write PATH: reason" otherwise.
void write_file(const std::string& path, const std::string& text);

}  // namespace judge
