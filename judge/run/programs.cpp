// Finding the judge's own folder, the suite's programs and a language's
// tools.

#include "judge/run/programs.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "judge/base/failure.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

bool runnable(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The first runnable name in a PATH-like list of folders, or "".
std::string find_on(const std::string& name, std::string_view folders)
{
    while (true) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        std::string candidate(folder.empty() ? std::string_view(".") : folder);
        candidate += '/';
        candidate += name;
        if (runnable(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            return "";
        folders.remove_prefix(colon + 1);
    }
}

}  // namespace

std::string own_path()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "";
}

std::string own_folder()
{
    const std::string path = own_path();
    return path.substr(0, path.rfind('/'));
}

std::string own_share_folder()
{
    return fs::path(own_folder()).parent_path().string() + "/share/exercise-suite";
}

std::string find_tool(const std::string& name)
{
    if (name.empty() || name.find('/') != std::string::npos)
        return find_program(name, false);
    const std::string own = find_on(name, solution_path);
    return own.empty() ? find_program(name, false) : own;
}

std::string find_program(const std::string& name, bool beside_judge)
{
    if (name.empty())
        return "";
    if (name.find('/') != std::string::npos)
        return runnable(name) ? name : "";
    if (beside_judge) {
        const std::string beside = own_folder() + "/" + name;
        if (runnable(beside))
            return beside;
    }
    const char* path = std::getenv("PATH");
    return find_on(name, path != nullptr ? path : solution_path);
}

std::string suite_program(const std::string& name, const char* role)
{
    const std::string path = find_program(name);
    if (path.empty())
        throw SetupError("cannot find the " + std::string(role) + " " + name + " beside " + own_folder() +
                         " or on PATH");
    return fs::absolute(path).string();
}

}  // namespace judge
