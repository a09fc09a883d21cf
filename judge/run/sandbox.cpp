// The keeper's and bwrap's command lines, the solution's environment, and
// the trial run.

#include "judge/run/sandbox.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/run/cgroup.hpp"
#include "judge/run/keeper.hpp"
#include "judge/run/programs.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// What every sandboxed run gets: no namespace shared with the judge (so no
// network and no view of its processes), no capabilities, a new session,
// death with the judge, a fresh /proc.
const char* const bwrap_base[] = {
    "--unshare-all", "--die-with-parent", "--new-session", "--cap-drop", "ALL", "--proc", "/proc",
};

// The system's program folders, shown read-only (or as the links they are).
const char* const system_folders[] = {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"};

// What of /etc the languages need, found by running their compilers and
// programs: the dynamic linker's cache and configuration, the time zone,
// the links that name the system's chosen programs (/usr/bin/java is one),
// and, by prefix, each Java's configuration (jvm.cfg, its security files).
const char* const etc_entries[] = {"ld.so.cache", "ld.so.conf", "ld.so.conf.d", "localtime", "alternatives"};
const char* const etc_prefixes[] = {"java-"};

// The other folders where the suite's programs may be installed, besides
// the judge's own.
const char* const program_folders[] = {"/usr/local/bin", "/usr/bin", "/usr/sbin", "/usr/local/sbin"};

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
    std::error_code error;
    for (const char* folder : system_folders) {
        if (fs::is_symlink(folder, error)) {
            system_words_.insert(system_words_.end(), {"--symlink", fs::read_symlink(folder, error).string(), folder});
        } else if (fs::is_directory(folder, error)) {
            system_words_.insert(system_words_.end(), {"--ro-bind", folder, folder});
            system_trees_.push_back(folder);
        }
    }
    for (fs::directory_iterator entry("/etc", error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        bool wanted = std::find(std::begin(etc_entries), std::end(etc_entries), name) != std::end(etc_entries);
        for (const char* prefix : etc_prefixes)
            wanted = wanted || name.rfind(prefix, 0) == 0;
        if (wanted)
            system_words_.insert(system_words_.end(), {"--ro-bind", entry->path().string(), entry->path().string()});
    }
    // The suite's programs and shared files the system's folders show.
    std::vector<std::string> folders(std::begin(program_folders), std::end(program_folders));
    folders.push_back(own_folder());
    for (const std::string& folder : folders)
        for (const char* program : suite_programs) {
            const std::string path = folder + "/" + program;
            const std::string real = fs::canonical(path, error).string();
            if (!error && in_view(real) && std::find(suite_files_.begin(), suite_files_.end(), path) == suite_files_.end())
                suite_files_.push_back(path);
        }
    expose(keeper_exposed_, keeper_, true);
}

bool Sandbox::in_view(const std::string& real) const
{
    for (const std::string& tree : system_trees_)
        if (within(real, tree))
            return true;
    return false;
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
    const bool covered = std::find(suite_files_.begin(), suite_files_.end(), path) != suite_files_.end() ||
                         within(real, own_share_folder());
    if (on_purpose || covered || !in_view(real) || !in_view(path))
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
                      const Exposures& exposed, SuiteAccess suite) const
{
    std::vector<std::string> environment(std::begin(base_environment), std::end(base_environment));
    // A command's own pipeline through sh -c finds the suite's programs
    // first, wherever the suite is; a solution finds only the system's.
    environment.push_back("PATH=" + (suite == SuiteAccess::shown ? own_folder() + ":" : "") + solution_path);
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

    // The keeper puts the command in the run's control group; without
    // groups, it counts what the sandbox's file systems hold.
    std::vector<std::string> kept{keeper_};
    const int joins = measure() == Measure::cgroup_v1 ? 3 : measure() == Measure::cgroup_v2 ? 1 : 0;
    for (int i = 0; i < joins; ++i)
        kept.insert(kept.end(), {"--join", std::to_string(first_join_fd + i)});
    launch.counted_folders.clear();
    if (isolates() && joins == 0) {
        launch.counted_folders.assign(std::begin(counted_folders), std::end(counted_folders));
        for (const char* folder : counted_folders)
            kept.insert(kept.end(), {"--count", folder});
    }
    kept.push_back("--");
    kept.insert(kept.end(), command.begin(), command.end());
    if (!isolates()) {
        launch.argv = std::move(kept);
        launch.keeper = Keeper::first;
        return;
    }
    std::vector<std::string> line = bwrap_line(work, exposed, suite);
    line.insert(line.end(), kept.begin(), kept.end());
    launch.argv = std::move(line);
    launch.keeper = Keeper::under_bwrap;
}

std::vector<std::string> Sandbox::bwrap_line(const std::string& work, const Exposures& exposed, SuiteAccess suite) const
{
    std::vector<std::string> line{bwrap_};
    line.insert(line.end(), std::begin(bwrap_base), std::end(bwrap_base));
    line.insert(line.end(), system_words_.begin(), system_words_.end());
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
    // What the system's folders would show of the judge's files and, to a
    // solution, of the suite's.
    for (const std::string& folder : hidden_)
        if (in_view(folder))
            line.insert(line.end(), {"--tmpfs", folder});
    const std::string share = own_share_folder();
    std::error_code error;
    if (suite == SuiteAccess::hidden) {
        for (const std::string& file : suite_files_)
            line.insert(line.end(), {"--ro-bind", "/dev/null", file});
        if (in_view(fs::canonical(share, error).string()) && !error)
            line.insert(line.end(), {"--tmpfs", share});
    } else if (!in_view(own_folder())) {
        line.insert(line.end(), {"--ro-bind", own_folder(), own_folder()});
    }
    for (const Exposures* list : {&keeper_exposed_, &exposed})
        for (const auto& [source, target] : *list)
            line.insert(line.end(), {"--ro-bind", source, target});
    // Nothing of the sandbox's own root is writable: files there would be
    // memory no limit sees without control groups.
    line.insert(line.end(), {"--bind", work, work, "--remount-ro", "/", "--chdir", work, "--as-pid-1", "--"});
    return line;
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
