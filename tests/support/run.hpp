// Runs a built program as a user would: given bytes on standard input,
// standard output and standard error captured, exit status returned.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

struct RunResult {
    std::string out;
    std::string err;
    int status = -1;  // exit status, or 128 + signal number
};

struct RunOptions {
    bool close_stdin = false;      // start with standard input closed
    bool stdout_to_full = false;   // standard output on /dev/full
    std::string directory;         // working directory, if not the current one
    std::vector<std::string> args; // command-line arguments after the program's name
    std::vector<std::string> environment;  // NAME=VALUE set in the program's environment
};

inline std::string program_path(const std::string& name)
{
    return std::string(BIN_DIR) + "/" + name;
}

// When SUITE_SEED_DIR is set, every input a test gives a program is kept
// as SUITE_SEED_DIR/<program>/<hash>, so fuzzing starts from what the tests
// already use. Large inputs make poor seeds and are left out.
inline void keep_as_seed(const std::string& name, const std::string& input)
{
    const char* folder = std::getenv("SUITE_SEED_DIR");
    if (folder == nullptr || input.size() > (std::size_t{1} << 16))
        return;
    std::uint64_t hash = 14695981039346656037u;  // FNV-1a
    for (unsigned char c : input)
        hash = (hash ^ c) * 1099511628211u;
    const std::filesystem::path dir = std::filesystem::path(folder) / name;
    std::filesystem::create_directories(dir);
    std::ofstream(dir / std::to_string(hash), std::ios::binary) << input;
}

// Runs the program at `path` (looked up in PATH when it holds no slash).
inline RunResult run_path(const std::string& path, const std::string& input, const RunOptions& options = {})
{
    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (options.close_stdin)
            close(0);
        else
            dup2(in_pipe[0], 0);
        if (options.stdout_to_full) {
            const int full = open("/dev/full", O_WRONLY);
            dup2(full, 1);
        } else {
            dup2(out_pipe[1], 1);
        }
        dup2(err_pipe[1], 2);
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
            close(fd);
        if (!options.directory.empty() && chdir(options.directory.c_str()) != 0)
            _exit(126);
        for (const std::string& variable : options.environment) {
            const std::size_t equals = variable.find('=');
            setenv(variable.substr(0, equals).c_str(), variable.substr(equals + 1).c_str(), 1);
        }
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& arg : options.args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(path.c_str(), argv.data());
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[1]);
    signal(SIGPIPE, SIG_IGN);

    RunResult result;
    std::size_t written = 0;
    int to_child = in_pipe[1];
    fcntl(to_child, F_SETFL, O_NONBLOCK);
    if (input.empty()) {
        close(to_child);
        to_child = -1;
    }
    bool out_open = true, err_open = true;
    char chunk[1 << 16];
    while (out_open || err_open) {
        pollfd fds[3];
        int count = 0;
        if (out_open)
            fds[count++] = {out_pipe[0], POLLIN, 0};
        if (err_open)
            fds[count++] = {err_pipe[0], POLLIN, 0};
        if (to_child >= 0)
            fds[count++] = {to_child, POLLOUT, 0};
        if (poll(fds, static_cast<nfds_t>(count), -1) < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < count; ++i) {
            if (fds[i].revents == 0)
                continue;
            if (fds[i].fd == to_child) {
                const ssize_t done = write(to_child, input.data() + written, input.size() - written);
                if (done > 0)
                    written += static_cast<std::size_t>(done);
                if (done < 0 && errno != EAGAIN) {
                    close(to_child);  // the program stopped reading
                    to_child = -1;
                } else if (written == input.size()) {
                    close(to_child);
                    to_child = -1;
                }
                continue;
            }
            const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
            const bool is_out = fds[i].fd == out_pipe[0];
            if (got > 0) {
                (is_out ? result.out : result.err).append(chunk, static_cast<std::size_t>(got));
            } else {
                (is_out ? out_open : err_open) = false;
                close(fds[i].fd);
            }
        }
    }
    if (to_child >= 0)
        close(to_child);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

// Runs the program NAME of bin/.
inline RunResult run(const std::string& name, const std::string& input, const RunOptions& options = {})
{
    keep_as_seed(name, input);
    return run_path(program_path(name), input, options);
}

// The program run with arguments.
inline RunResult run_with(const std::string& name, const std::vector<std::string>& args, const std::string& input = "")
{
    RunOptions options;
    options.args = args;
    return run(name, input, options);
}

// A fresh empty folder, removed with everything in it at the end of scope.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "suite-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string read_file(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace testing_support
