// Files the judge writes where a solution may have been: written anew and
// renamed into place, never through a link; folders removed whatever
// permissions a solution left on them.
#pragma once

#include <string>

namespace judge {

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
