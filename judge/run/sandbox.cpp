// The keeper's and bwrap's command lines, the solution's environment, and
// the trial run.

#include "judge/run/sandbox.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/run/keeper.hpp"
#include "judge/run/programs.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// What every sandboxed run gets: no namespace shared with the judge (so no
// network and no view of its processes), no capabilities, a new session,
// death with the judge, the root file system read-only with a fresh /proc.
const char* const bwrap_base[] = {
    "--unshare-all", "--die-with-parent", "--new-session", "--cap-drop", "ALL",
    "--ro-bind", "/", "/", "--proc", "/proc",
};

// The devices of the sandbox's /dev, a small read-only in-memory folder.
const char* const devices[] = {"null", "zero", "full", "random", "urandom", "tty"};

// Its links into /proc.
const std::pair<const char*, const char*> device_links[] = {
    {"/proc/self/fd", "/dev/fd"},
    {"/proc/self/fd/0", "/dev/stdin"},
    {"/proc/self/fd/1", "/dev/stdout"},
    {"/proc/self/fd/2", "/dev/stderr"},
};

// How large /dev is: room for its entries, not for files.
constexpr const char* dev_bytes = "65536";

// The in-memory file systems whose bytes count as the solution's memory.
const char* const counted_folders[] = {"/tmp", "/dev/shm"};

// The largest /dev/shm of a sandbox; never more than the memory limit.
constexpr std::uint64_t shm_bytes = std::uint64_t{64} << 20;

// The solution's environment, before HOME, TMPDIR and --env.
const char* const base_environment[] = {"LANG=C.UTF-8"};

bool within(const std::string& path, const std::string& folder)
{
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              (folder.back() == '/' || path[folder.size()] == '/'));
}

}  // namespace

Sandbox::Sandbox(std::string keeper, std::vector<std::string> environment)
    : keeper_(std::move(keeper)), environment_(std::move(environment))
{
}

Sandbox::Sandbox(std::string keeper, std::vector<std::string> environment, std::string bwrap_path,
                 std::vector<std::string> hidden, SandboxSizes sizes)
    : keeper_(std::move(keeper)),
      environment_(std::move(environment)),
      bwrap_(std::move(bwrap_path)),
      hidden_(std::move(hidden)),
      sizes_(sizes)
{
    expose(keeper_exposed_, keeper_, true);
}

bool Sandbox::hides_on_purpose(const std::string& path) const
{
    for (const std::string& folder : hidden_)
        if (within(path, folder))
            return true;
    return false;
}

void Sandbox::expose(Exposures& exposed, const std::string& path, bool program) const
{
    std::error_code error;
    const std::string real = std::filesystem::canonical(path, error).string();
    if (error || !std::filesystem::is_regular_file(real, error))
        return;
    const bool on_purpose = hides_on_purpose(path) || hides_on_purpose(real);
    if (on_purpose && !program)
        return;
    if (on_purpose || within(path, "/tmp") || within(real, "/tmp"))
        exposed.emplace_back(real, path);
}

Exposures Sandbox::exposures(const std::vector<std::string>& command, const std::vector<std::string>& folders) const
{
    Exposures exposed;
    if (!isolates())
        return exposed;
    for (const std::string& folder : folders)
        exposed.emplace_back(folder, folder);
    for (std::size_t i = 0; i < command.size(); ++i)
        if (!command[i].empty() && command[i][0] == '/')
            expose(exposed, command[i], i == 0);
    return exposed;
}

void Sandbox::prepare(Launch& launch, const std::vector<std::string>& command, const std::string& work,
                      const Exposures& exposed) const
{
    std::vector<std::string> environment(std::begin(base_environment), std::end(base_environment));
    // The suite's own programs come first, so that a pipeline through
    // sh -c finds them wherever the suite is.
    environment.push_back("PATH=" + own_folder() + ":" + solution_path);
    environment.push_back("HOME=" + work);
    environment.push_back("TMPDIR=" + (isolates() ? std::string("/tmp") : work));
#ifdef SANITIZED_BUILD
    // A judge built with the sanitizers judges programs built with them
    // (the test suite's own): their options pass, or LeakSanitizer, which
    // cannot work where ptrace is refused, would fail every run.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            environment.push_back(std::string(name) + "=" + value);
#endif
    environment.insert(environment.end(), environment_.begin(), environment_.end());
    launch.environment = std::move(environment);
    launch.directory = work;

    std::vector<std::string> kept{keeper_};
    if (!isolates()) {
        kept.push_back("--");
        kept.insert(kept.end(), command.begin(), command.end());
        launch.argv = std::move(kept);
        launch.keeper = Keeper::first;
        return;
    }
    std::vector<std::string> line{bwrap_};
    line.insert(line.end(), std::begin(bwrap_base), std::end(bwrap_base));
    line.insert(line.end(), {"--size", dev_bytes, "--tmpfs", "/dev"});
    for (const char* device : devices) {
        const std::string path = std::string("/dev/") + device;
        line.insert(line.end(), {"--dev-bind-try", path, path});
    }
    for (const auto& [target, link] : device_links)
        line.insert(line.end(), {"--symlink", target, link});
    line.insert(line.end(), {"--dir", "/dev/shm", "--remount-ro", "/dev"});
    line.insert(line.end(), {"--size", std::to_string(sizes_.shm_bytes), "--tmpfs", "/dev/shm"});
    line.insert(line.end(), {"--size", std::to_string(sizes_.tmp_bytes), "--tmpfs", "/tmp"});
    for (const std::string& folder : hidden_)
        if (!within(folder, "/tmp"))
            line.insert(line.end(), {"--tmpfs", folder});
    for (const Exposures* list : {&keeper_exposed_, &exposed})
        for (const auto& [source, target] : *list)
            line.insert(line.end(), {"--ro-bind", source, target});
    line.insert(line.end(), {"--bind", work, work, "--chdir", work, "--as-pid-1", "--"});
    for (const char* folder : counted_folders)
        kept.insert(kept.end(), {"--count", folder});
    kept.push_back("--");
    kept.insert(kept.end(), command.begin(), command.end());
    line.insert(line.end(), kept.begin(), kept.end());
    launch.argv = std::move(line);
    launch.keeper = Keeper::under_bwrap;
    launch.counted_folders.assign(std::begin(counted_folders), std::end(counted_folders));
}

std::string Sandbox::trial(const std::string& work) const
{
    const std::string error_file = work + "/../sandbox-trial.err";
    Launch launch;
    const std::string program = find_program("true", false);
    prepare(launch, {program}, work, exposures({program}));
    launch.error = error_file;
    launch.limits.wall_seconds = 30;
    const Outcome outcome = run(launch);
    std::ifstream file(error_file);
    std::string message(std::istreambuf_iterator<char>(file), {});
    std::filesystem::remove(error_file);
    if (outcome.ending == Ending::exited && outcome.code == 0)
        return "";
    if (outcome.ending == Ending::not_started)
        return outcome.why;
    while (!message.empty() && message.back() == '\n')
        message.pop_back();
    if (const std::size_t newline = message.rfind('\n'); newline != std::string::npos)
        message.erase(0, newline + 1);
    if (!message.empty())
        return message;
    return isolates() ? "bwrap did not run a trial command" : "the keeper did not run a trial command";
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
