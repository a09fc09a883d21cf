// Writing a package's files.

#include "package/files.hpp"

#include <stdlib.h>

#include <fstream>

#include "judge/base/failure.hpp"

namespace package {

namespace fs = std::filesystem;

void write_file_text(const fs::path& path, const std::string& text, bool executable)
{
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::ofstream file(path, std::ios::binary);
    file << text;
    file.close();
    if (!file)
        throw judge::SetupError("cannot write " + path.string());
    if (executable)
        fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
}

fs::path folder_beside(const fs::path& target, const char* what)
{
    std::string pattern = (target.parent_path() / (std::string(".") + what + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw judge::SetupError("cannot create a folder beside " + target.string());
    return pattern;
}

}  // namespace package
