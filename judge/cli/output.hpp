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

// Writes text as the file at path: to a new name in its folder, then
// renamed over it, so that whatever was there stays until the new file is
// whole; "cannot write PATH: reason" otherwise.
void write_file(const std::string& path, const std::string& text);

// Whether a file can be written at path, tried with a new name in its
// folder that is removed again: nothing is left at path.
void check_writable(const std::string& path);

}  // namespace judge
