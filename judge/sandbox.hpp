// The sandbox a solution runs in: bubblewrap (bwrap) where it works, with
// every namespace unshared, the file system read-only, a private /tmp, the
// judge's files hidden and only the solution's working folder writable,
// exercise-judge-keeper inside to measure the solution; or none, where it
// runs as the judge's user in its own session.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace judge {

enum class SandboxMode { automatic, bwrap, none };

class Sandbox {
public:
    // No sandbox: commands run as they are.
    Sandbox() = default;

    // bwrap at bwrap_path, hiding the given folders (the judge's temporary
    // folder, the cases, the saved failures) under empty file systems, with
    // a private /tmp of tmp_bytes.
    Sandbox(std::string bwrap_path, std::vector<std::string> hidden, std::uint64_t tmp_bytes);

    bool isolates() const { return !bwrap_.empty(); }

    // Makes a file the command names visible, read-only, where only the
    // private /tmp would hide it. Folders are never exposed, nor anything in
    // the folders hidden on purpose, but for the command's own program.
    void expose(const std::string& path, bool program = false);

    // The command line that runs command in folder work.
    std::vector<std::string> wrap(const std::vector<std::string>& command, const std::string& work) const;

    // How many levels of processes the sandbox puts above the command:
    // bwrap, its init, and exercise-judge-keeper (which reports on it).
    int depth() const { return isolates() ? 3 : 0; }

    // Runs a trivial command in the sandbox, in the folder work; "" when it
    // works, else what went wrong.
    std::string trial(const std::string& work) const;

private:
    bool hides_on_purpose(const std::string& path) const;

    std::string bwrap_;
    std::string keeper_;  // exercise-judge-keeper
    std::vector<std::string> hidden_;
    std::vector<std::pair<std::string, std::string>> exposed_;  // source and target
    std::uint64_t tmp_bytes_ = 0;
};

}  // namespace judge
