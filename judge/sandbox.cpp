// The bwrap command line and its trial run.

#include "judge/sandbox.hpp"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "judge/keeper.hpp"
#include "judge/process.hpp"

namespace judge {

namespace {

// What every sandboxed run gets: no namespace shared with the judge (so no
// network and no view of its processes), no capabilities, a new session,
// death with the judge, the root file system read-only with fresh /dev and
// /proc.
const char* const bwrap_base[] = {
    "--unshare-all", "--die-with-parent", "--new-session", "--cap-drop", "ALL",
    "--ro-bind", "/", "/", "--dev", "/dev", "--proc", "/proc",
};

bool within(const std::string& path, const std::string& folder)
{
    return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                              (folder.back() == '/' || path[folder.size()] == '/'));
}

}  // namespace

Sandbox::Sandbox(std::string bwrap_path, std::vector<std::string> hidden, std::uint64_t tmp_bytes)
    : bwrap_(std::move(bwrap_path)),
      keeper_(std::filesystem::absolute(find_program(keeper_program)).string()),
      hidden_(std::move(hidden)),
      tmp_bytes_(tmp_bytes)
{
    expose(keeper_, true);
}

bool Sandbox::hides_on_purpose(const std::string& path) const
{
    for (const std::string& folder : hidden_)
        if (within(path, folder))
            return true;
    return false;
}

void Sandbox::expose(const std::string& path, bool program)
{
    std::error_code error;
    const std::string real = std::filesystem::canonical(path, error).string();
    if (error || !std::filesystem::is_regular_file(real, error))
        return;
    const bool on_purpose = hides_on_purpose(path) || hides_on_purpose(real);
    if (on_purpose && !program)
        return;
    if (on_purpose || within(path, "/tmp") || within(real, "/tmp"))
        exposed_.emplace_back(real, path);
}

std::vector<std::string> Sandbox::wrap(const std::vector<std::string>& command, const std::string& work) const
{
    if (!isolates())
        return command;
    std::vector<std::string> line{bwrap_};
    line.insert(line.end(), std::begin(bwrap_base), std::end(bwrap_base));
    line.insert(line.end(), {"--size", std::to_string(tmp_bytes_), "--tmpfs", "/tmp", "--setenv", "TMPDIR", "/tmp"});
    for (const std::string& folder : hidden_)
        if (!within(folder, "/tmp"))
            line.insert(line.end(), {"--tmpfs", folder});
    for (const auto& [source, target] : exposed_)
        line.insert(line.end(), {"--ro-bind", source, target});
    line.insert(line.end(), {"--bind", work, work, "--chdir", work, "--", keeper_, "--"});
    line.insert(line.end(), command.begin(), command.end());
    return line;
}

std::string Sandbox::trial(const std::string& work) const
{
    if (keeper_.empty())
        return std::string("cannot find ") + keeper_program + " beside exercise-judge or on PATH";
    const std::string error_file = work + "/../sandbox-trial.err";
    Launch launch;
    launch.argv = wrap({find_program("true", false)}, work);
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
    return message.empty() ? "bwrap did not run a trial command" : message;
}

}  // namespace judge
