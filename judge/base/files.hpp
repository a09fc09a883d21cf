// Files: read whole or by their end; the judge's writes where a solution
// may have been, written anew and renamed into place, never through a
// link; folders removed whatever permissions a solution left on them.
#pragma once

#include <cstddef>
#include <string>

namespace judge {

// The file's bytes, at most `most` of them from its start; "" for a file
// that cannot be read.
std::string read_text(const std::string& path, std::size_t most = std::string::npos);

// The last `most` bytes of the file, or all of a shorter one.
std::string read_tail(const std::string& path, std::size_t most);

// Writes text as a new file at path, renamed over whatever was there (a
// symbolic link included, which is replaced, not followed). False when it
// could not be written.
bool save_text(const std::string& text, const std::string& path);

// Likewise a copy of the file from; true when from is "" or missing.
bool save_file(const std::string& from, const std::string& path);

// Removes a folder and everything in it, giving back the permissions a
// solution may have taken from its own folders.
void remove_folder(const std::string& path);

}  // namespace judge
