// tools/deps, with stand-ins for apt-get, sudo and id first (and alone) on
// PATH, each recording how it was called, and the files it looks for under
// a folder of the test's own.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;

// The build group's commands and files, as the script looks for them.
const char* const build_commands[] = {"cmake", "g++", "make"};
const char* const build_files[] = {"/usr/include/gtest/gtest.h", "/usr/include/CLI/CLI.hpp",
                                   "/usr/include/nlohmann/json.hpp", "/usr/include/seccomp.h",
                                   "/usr/include/yaml-cpp/yaml.h", "/usr/include/zip.h"};

struct Outcome {
    std::string out, err, calls;
    int status = -1;
};

class Machine {
public:
    Machine()
    {
        fs::create_directories(bin());
        for (const char* command : build_commands)
            add_command(command, "exit 0");
        for (const char* file : build_files)
            add_file(file);
        for (const char* tool : {"apt-get", "sudo"})
            add_command(tool, std::string("echo \"") + tool + " $*\" >> " + calls() + "\nexit ${FAIL:-0}");
        user(0);
    }

    void add_command(const std::string& name, const std::string& body)
    {
        const fs::path path = bin() / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
    }
    void remove_command(const std::string& name) { fs::remove(bin() / name); }
    void add_file(const std::string& file)
    {
        fs::create_directories(fs::path(root() + file).parent_path());
        std::ofstream(root() + file) << "";
    }
    void remove_file(const std::string& file) { fs::remove(root() + file); }
    void user(int uid) { add_command("id", "echo " + std::to_string(uid)); }

    Outcome deps(const std::string& args) const
    {
        const std::string line = "PATH=" + bin().string() + " DEPS_SYSROOT=" + root() + " /bin/bash " SOURCE_DIR
                                 "/tools/deps " + args + " > " + file("out") + " 2> " + file("err");
        const int status = std::system(line.c_str());
        return {read_file(file("out")), read_file(file("err")), read_file(calls()),
                WIFEXITED(status) ? WEXITSTATUS(status) : -1};
    }

private:
    fs::path bin() const { return folder_.path() / "bin"; }
    std::string root() const { return (folder_.path() / "root").string(); }
    std::string file(const char* name) const { return (folder_.path() / name).string(); }
    std::string calls() const { return file("calls"); }

    TempDir folder_;
};

const std::string install =
    "install -y --no-install-recommends --reinstall -o Dpkg::Options::=--path-include=/usr/share/groff/*";

TEST(Deps, NothingMissingMeansNoCall)
{
    const Machine machine;
    const Outcome outcome = machine.deps("build");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out + outcome.err + outcome.calls, "");
}

TEST(Deps, InstallsExactlyWhatIsMissing)
{
    Machine machine;
    machine.remove_command("cmake");
    machine.remove_file("/usr/include/nlohmann/json.hpp");
    // The bwrap command stands for bubblewrap: the sandbox group is missing too.
    Outcome outcome = machine.deps("build sandbox");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "deps: installing cmake (build)\n"
              "deps: installing nlohmann-json3-dev (build)\n"
              "deps: installing bubblewrap (sandbox)\n");
    EXPECT_EQ(outcome.calls, "apt-get update\napt-get " + install + " cmake nlohmann-json3-dev bubblewrap\n");

    // Not root: through sudo, which is given the noninteractive front end.
    Machine user;
    user.user(1000);
    user.remove_file("/usr/include/CLI/CLI.hpp");
    outcome = user.deps("build");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.calls, "sudo DEBIAN_FRONTEND=noninteractive apt-get update\n"
                             "sudo DEBIAN_FRONTEND=noninteractive apt-get " + install + " libcli11-dev\n");
}

TEST(Deps, WhatCannotBeInstalledIsNamedWithStatusTwo)
{
    Machine machine;
    machine.remove_file("/usr/include/CLI/CLI.hpp");
    machine.remove_command("g++");
    const std::string by_hand = "deps: install them by hand, then run make again:\n"
                                "  sudo apt-get update && sudo apt-get install --no-install-recommends g++ libcli11-dev\n";

    machine.user(1000);
    machine.remove_command("sudo");
    Outcome outcome = machine.deps("build");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "deps: cannot install g++ libcli11-dev: not root, and sudo is not available\n" + by_hand);
    EXPECT_EQ(outcome.out + outcome.calls, "");

    // apt-get failing (no network): its last lines, then the same advice.
    machine.user(0);
    machine.add_command("apt-get", "echo 'E: Unable to fetch' >&2\nexit 100");
    outcome = machine.deps("build");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "  E: Unable to fetch\ndeps: cannot install g++ libcli11-dev: apt-get failed (no network, "
                           "or no such package here?)\n" + by_hand);

    machine.remove_command("apt-get");
    outcome = machine.deps("build");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("apt-get is not available here"), std::string::npos) << outcome.err;

    outcome = machine.deps("build nonsense");
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err.rfind("deps: unknown group 'nonsense'\n", 0), 0u) << outcome.err;
}

}  // namespace
