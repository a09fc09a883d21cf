// The stamp of a verified package.

#include "package/stamp.hpp"

#include <algorithm>
#include <cstdint>
#include <string>

#include "judge/base/files.hpp"

namespace package {

namespace fs = std::filesystem;

namespace {

constexpr const char* stamp_name = ".verified";

// FNV-1a over the files' paths, sizes and modification times.
std::string digest(const fs::path& package)
{
    std::uint64_t hash = 14695981039346656037u;
    const auto mix = [&](const std::string& text) {
        for (const unsigned char c : text)
            hash = (hash ^ c) * 1099511628211u;
    };
    for (const fs::path& file : package_files(package)) {
        std::error_code error;
        const fs::path path = package / file;
        mix(file.generic_string() + "\t" + std::to_string(fs::file_size(path, error)) + "\t" +
            std::to_string(fs::last_write_time(path, error).time_since_epoch().count()) + "\n");
    }
    return std::to_string(hash);
}

}  // namespace

std::vector<fs::path> package_files(const fs::path& package)
{
    std::vector<fs::path> files;
    for (auto entry = fs::recursive_directory_iterator(package); entry != fs::recursive_directory_iterator();
         ++entry) {
        const std::string name = entry->path().filename().string();
        if (name.front() == '.' && name != ".timelimit") {
            if (entry->is_directory())
                entry.disable_recursion_pending();
            continue;
        }
        if (entry->is_regular_file())
            files.push_back(entry->path().lexically_relative(package));
    }
    std::sort(files.begin(), files.end());
    return files;
}

void stamp_verified(const fs::path& package, bool passed)
{
    judge::save_text(std::string(passed ? "passed " : "failed ") + digest(package) + "\n",
                     (package / stamp_name).string());
}

std::optional<bool> last_verify(const fs::path& package)
{
    const std::string stamp = judge::read_text((package / stamp_name).string());
    const std::size_t blank = stamp.find(' ');
    if (blank == std::string::npos || stamp.substr(blank + 1) != digest(package) + "\n")
        return std::nullopt;
    return stamp.substr(0, blank) == "passed";
}

}  // namespace package
