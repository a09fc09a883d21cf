// Finding programs, the temporary folder, the limits' policy and the
// choice of sandbox.

#include "judge/run/setup.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>

#include "judge/base/files.hpp"
#include "judge/run/keeper.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// The largest /dev/shm of a sandbox; never more than the memory limit.
constexpr std::uint64_t shm_bytes = std::uint64_t{64} << 20;

// The least wall time a maker, validator or reference gets.
constexpr double least_helper_wall_seconds = 60;

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

namespace {

// The temporary folders alive: a program that ends through exit() (a write
// error) removes them at exit, as their owners' destructors do not run.
std::mutex living_mutex;
std::vector<TemporaryFolder*> living;

void remove_living()
{
    std::vector<TemporaryFolder*> left;
    {
        const std::lock_guard lock(living_mutex);
        left.swap(living);
    }
    for (TemporaryFolder* folder : left)
        folder->remove();
}

}  // namespace

TemporaryFolder::TemporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/exercise-judge-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw SetupError("cannot create a temporary folder in " + pattern + ": " + std::strerror(errno));
    path_ = fs::canonical(pattern).string();
    static const bool registered = std::atexit(remove_living) == 0;
    (void)registered;
    const std::lock_guard lock(living_mutex);
    living.push_back(this);
}

TemporaryFolder::~TemporaryFolder()
{
    remove();
    const std::lock_guard lock(living_mutex);
    living.erase(std::remove(living.begin(), living.end(), this), living.end());
}

void TemporaryFolder::remove()
{
    end_stray_processes();
    if (!path_.empty()) {
        remove_folder(path_);
        path_.clear();
    }
}

Limits solution_limits(double cpu_seconds, std::uint64_t memory_megabytes, std::uint64_t output_megabytes,
                       int processes)
{
    Limits limits;
    limits.cpu_seconds = cpu_seconds;
    limits.wall_seconds = 2 * cpu_seconds + 1;
    limits.memory_bytes = memory_megabytes << 20;
    limits.file_bytes = output_megabytes << 20;
    limits.processes = processes;
    return limits;
}

double helper_wall_seconds(const Limits& limits)
{
    return std::max(least_helper_wall_seconds, 10 * limits.wall_seconds);
}

Sandbox choose_sandbox(const SandboxChoice& choice, const TemporaryFolder& temporary,
                       const std::function<void(const std::string&)>& warn)
{
    const std::string keeper = suite_program(keeper_program, "program");
    const std::string trial = temporary.path() + "/trial";
    const auto problem_of = [&](const Sandbox& sandbox) {
        fs::create_directories(trial);
        const std::string problem = sandbox.trial(trial);
        remove_folder(trial);
        return problem;
    };
    std::string problem;
    if (choice.mode != "none") {
        const std::string bwrap = find_program("bwrap", false);
        problem = bwrap.empty() ? "bwrap is not installed" : "";
        if (problem.empty()) {
            // Hidden where they really are, past any symbolic link.
            std::vector<std::string> hidden{temporary.path()};
            for (const std::string& folder : choice.hidden) {
                std::error_code error;
                hidden.push_back(fs::weakly_canonical(folder, error).string());
            }
            const SandboxSizes sizes{choice.limits.file_bytes, std::min(choice.limits.memory_bytes, shm_bytes)};
            Sandbox sandbox(keeper, choice.environment, bwrap, hidden, sizes);
            problem = problem_of(sandbox);
            if (problem.empty())
                return sandbox;
        }
        if (choice.mode == "bwrap")
            throw SetupError("bwrap cannot run here: " + problem);
    }
    Sandbox sandbox(keeper, choice.environment);
    if (const std::string keeper_problem = problem_of(sandbox); !keeper_problem.empty())
        throw SetupError(std::string(keeper_program) + " cannot run here: " + keeper_problem);
    if (problem.empty())
        warn("no sandbox: the solution runs as your user and can read, change or stop whatever you can, this "
             "judge included; --sandbox bwrap isolates it");
    else
        warn("warning: bwrap cannot run here (" + problem +
             "); solutions run without a sandbox, as your user, able to reach whatever you can");
    return sandbox;
}

}  // namespace judge
