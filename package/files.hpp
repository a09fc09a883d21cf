// How exercise-package writes a package's files: each made with its
// folders, and whole trees made in a folder beside their target, to be
// renamed into place when complete. A file or folder that cannot be
// written is a SetupError.
#pragma once

#include <filesystem>
#include <string>

#include "judge/base/files.hpp"

namespace package {

// The file's bytes ("" for one that cannot be read).
inline std::string read_file_text(const std::filesystem::path& path)
{
    return judge::read_text(path.string());
}

// Writes text as the file at path, its folders made; executable by all
// when asked.
void write_file_text(const std::filesystem::path& path, const std::string& text, bool executable = false);

// A new folder beside target (".WHAT-XXXXXX"), to be renamed into place.
std::filesystem::path folder_beside(const std::filesystem::path& target, const char* what);

}  // namespace package
