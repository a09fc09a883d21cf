// The control groups' and the sampler's readers in process, on recorded
// trees: /proc/self/cgroup and /proc/self/mountinfo as this machine (cgroup
// v1), a systemd session (cgroup v2) and a container show them, the files
// a group is made with, the counters it is read from; and a /proc in which
// a process ID has gone to another process, as happens between two reads.

#include <gtest/gtest.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "judge/run/cgroup.hpp"
#include "judge/run/sampler.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using judge::ControlGroups;
using judge::Measure;
using testing_support::read_file;
using testing_support::TempDir;

// A judge's process ID in the recorded trees, and one no process can have
// (above the kernel's largest).
constexpr pid_t judge_pid = 4242;
const std::string gone_judge = "exercise-judge-4194305";

void put(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// This machine's: v1 hierarchies, the judge's memory group below the root,
// and a v2 hierarchy with no controller of use.
const char* const v1_cgroup = "9:name=systemd:/\n8:pids:/\n7:blkio:/\n4:memory:/process_api/ba2d\n2:cpuacct:/\n"
                              "1:cpu:/\n0::/\n";
const char* const v1_mountinfo =
    "22 1 253:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "31 22 0:28 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755\n"
    "32 31 0:29 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu\n"
    "33 31 0:30 / /sys/fs/cgroup/cpuacct rw,relatime - cgroup cgroup rw,cpuacct\n"
    "35 31 0:32 / /sys/fs/cgroup/memory rw,relatime - cgroup cgroup rw,memory\n"
    "39 31 0:36 / /sys/fs/cgroup/pids rw,relatime - cgroup cgroup rw,pids\n"
    "41 31 0:38 / /sys/fs/cgroup/unified rw,relatime - cgroup2 cgroup2 rw\n";

// A user's session under systemd: one v2 hierarchy, controllers delegated
// to the judge's scope, none enabled below it yet.
const char* const v2_cgroup = "0::/user.slice/user-1000.slice/user@1000.service/app.slice/judge.scope\n";
const char* const v2_mountinfo =
    "24 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "35 24 0:30 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime shared:9 - cgroup2 cgroup2 "
    "rw,nsdelegate,memory_recursiveprot\n";
const char* const v2_scope = "/sys/fs/cgroup/user.slice/user-1000.slice/user@1000.service/app.slice/judge.scope";

class RecordedTree : public ::testing::Test {
protected:
    fs::path at(const std::string& path) const { return folder_.path() / path.substr(1); }
    std::string root() const { return folder_.path().string(); }

    void record(const char* cgroup, const char* mountinfo)
    {
        put(at("/proc/self/cgroup"), cgroup);
        put(at("/proc/self/mountinfo"), mountinfo);
    }

    TempDir folder_;
};

TEST_F(RecordedTree, VersionOneGroupsAreMadeWithTheLimitsAndReadBack)
{
    record(v1_cgroup, v1_mountinfo);
    const fs::path memory = at("/sys/fs/cgroup/memory/process_api/ba2d");
    const fs::path cpuacct = at("/sys/fs/cgroup/cpuacct");
    const fs::path pids = at("/sys/fs/cgroup/pids");
    for (const fs::path& folder : {memory, cpuacct, pids})
        fs::create_directories(folder);
    ControlGroups groups(root(), judge_pid);
    ASSERT_EQ(groups.kind(), Measure::cgroup_v1) << groups.why();
    EXPECT_EQ(groups.folders(), (std::vector<std::string>{memory.string(), cpuacct.string(), pids.string()}));

    const judge::Limits limits{1, 3, std::uint64_t{64} << 20, 0, 8};
    const auto group = groups.make(limits);
    ASSERT_NE(group, nullptr);
    // The trial was run 0; this is run 1.
    const std::string name = "exercise-judge-4242-1";
    EXPECT_EQ(group->folders(), (std::vector<std::string>{(memory / name).string(), (cpuacct / name).string(),
                                                          (pids / name).string()}));
    EXPECT_EQ(read_file(memory / name / "memory.limit_in_bytes"), "67108864");
    EXPECT_EQ(read_file(memory / name / "memory.memsw.limit_in_bytes"), "67108864");
    EXPECT_EQ(read_file(memory / name / "memory.kmem.tcp.limit_in_bytes"), "67108864");
    EXPECT_EQ(read_file(pids / name / "pids.max"), "8");
    EXPECT_EQ(group->join_files().size(), 3u);

    // The counters as the kernel writes them after an out-of-memory kill.
    put(cpuacct / name / "cpuacct.usage", "1534000000\n");
    put(memory / name / "memory.max_usage_in_bytes", "67104768\n");
    put(memory / name / "memory.kmem.tcp.max_usage_in_bytes", "4096\n");
    put(memory / name / "memory.oom_control", "oom_kill_disable 0\nunder_oom 0\noom_kill 1\n");
    put(pids / name / "pids.events", "max 0\n");
    const judge::GroupUsage usage = group->read();
    EXPECT_DOUBLE_EQ(usage.cpu_seconds, 1.534);
    EXPECT_EQ(usage.memory_bytes, std::uint64_t{64} << 20);
    EXPECT_TRUE(usage.out_of_memory);
    EXPECT_FALSE(usage.refused_task);

    put(memory / name / "memory.oom_control", "oom_kill_disable 0\nunder_oom 0\noom_kill 0\n");
    put(pids / name / "pids.events", "max 1993\n");
    EXPECT_FALSE(group->read().out_of_memory);
    EXPECT_TRUE(group->read().refused_task);
}

TEST_F(RecordedTree, VersionTwoJudgeMovesIntoALeafAndHandsTheControllersDown)
{
    record(v2_cgroup, v2_mountinfo);
    const fs::path scope = at(v2_scope);
    put(scope / "cgroup.controllers", "cpuset cpu io memory pids\n");
    put(scope / "cgroup.subtree_control", "");
    ControlGroups groups(root(), judge_pid);
    ASSERT_EQ(groups.kind(), Measure::cgroup_v2) << groups.why();
    EXPECT_EQ(groups.folders(), std::vector<std::string>{scope.string()});
    EXPECT_EQ(read_file(scope / "exercise-judge-4242" / "cgroup.procs"), "0");
    EXPECT_EQ(read_file(scope / "cgroup.subtree_control"), "+memory +pids");

    const auto group = groups.make(judge::Limits{1, 3, std::uint64_t{256} << 20, 0, 0});
    ASSERT_NE(group, nullptr);
    const fs::path run = scope / "exercise-judge-4242-1";
    EXPECT_EQ(group->folders(), std::vector<std::string>{run.string()});
    EXPECT_EQ(read_file(run / "memory.max"), "268435456");
    EXPECT_EQ(read_file(run / "memory.swap.max"), "0");
    EXPECT_EQ(read_file(run / "memory.oom.group"), "1");
    EXPECT_EQ(read_file(run / "pids.max"), "max");

    put(run / "cpu.stat", "usage_usec 2500000\nuser_usec 2400000\nsystem_usec 100000\nnr_periods 0\n");
    put(run / "memory.current", "1048576\n");
    put(run / "memory.events", "low 0\nhigh 0\nmax 40\noom 1\noom_kill 0\noom_group_kill 1\n");
    put(run / "pids.events", "max 0\n");
    // Before Linux 5.19 there is no memory.peak: the use now.
    judge::GroupUsage usage = group->read();
    EXPECT_DOUBLE_EQ(usage.cpu_seconds, 2.5);
    EXPECT_EQ(usage.memory_bytes, 1048576u);
    EXPECT_TRUE(usage.out_of_memory);
    EXPECT_FALSE(usage.refused_task);
    put(run / "memory.peak", "268431360\n");
    EXPECT_EQ(group->read().memory_bytes, 268431360u);
}

TEST_F(RecordedTree, VersionTwoWithControllersEnabledAlreadyIsUsedAsItIs)
{
    record(v2_cgroup, v2_mountinfo);
    const fs::path scope = at(v2_scope);
    put(scope / "cgroup.controllers", "memory pids\n");
    put(scope / "cgroup.subtree_control", "memory pids\n");
    const ControlGroups groups(root(), judge_pid);
    EXPECT_EQ(groups.kind(), Measure::cgroup_v2) << groups.why();
    EXPECT_FALSE(fs::exists(scope / "exercise-judge-4242"));
    EXPECT_EQ(read_file(scope / "cgroup.subtree_control"), "memory pids\n");
}

// Where a group cannot be had, the runs are sampled, and why is said.
TEST_F(RecordedTree, MissingControllersMeanSampling)
{
    struct Case {
        const char* cgroup;
        const char* mountinfo;
        const char* controllers;  // of the v2 group, "" for none
        const char* why;
    };
    const Case cases[] = {
        // v1 without pids, and a v2 group without it either.
        {"4:memory:/\n2:cpuacct:/\n0::/\n", v1_mountinfo, "", "no pids controller"},
        {v2_cgroup, v2_mountinfo, "cpu io memory\n", "no memory controller"},
        // The judge's group outside what is mounted (another namespace's).
        {"4:memory:/elsewhere\n2:cpuacct:/\n8:pids:/\n", "35 31 0:32 /mine /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n"
                                                         "33 31 0:30 / /sys/fs/cgroup/cpuacct rw - cgroup cgroup rw,cpuacct\n"
                                                         "39 31 0:36 / /sys/fs/cgroup/pids rw - cgroup cgroup rw,pids\n",
         "", "no memory controller"},
    };
    for (const Case& c : cases) {
        record(c.cgroup, c.mountinfo);
        if (c.controllers[0] != '\0')
            put(at(v2_scope) / "cgroup.controllers", c.controllers);
        ControlGroups groups(root(), judge_pid);
        EXPECT_EQ(groups.kind(), Measure::sampling) << c.why;
        EXPECT_NE(groups.why().find(c.why), std::string::npos) << groups.why();
        EXPECT_EQ(groups.make(judge::Limits{}), nullptr) << c.why;
    }
    const judge::GroupPlace nothing = judge::find_groups((folder_.path() / "nowhere").string());
    EXPECT_EQ(nothing.kind, Measure::sampling);
    EXPECT_NE(nothing.why.find("cannot read /proc/self/cgroup"), std::string::npos) << nothing.why;
}

// In a container the hierarchies are mounted from the container's own
// group, cpu and cpuacct together, and a mount point may hold a blank.
TEST_F(RecordedTree, MountedRootsJoinedControllersAndEscapedPathsAreFollowed)
{
    record("5:pids:/docker/c1/judge\n3:cpu,cpuacct:/docker/c1/judge\n2:memory:/docker/c1/judge\n0::/\n",
           "700 600 0:40 /docker/c1 /sys/fs/cgroup/memory\\040here rw - cgroup cgroup rw,memory\n"
           "701 600 0:41 /docker/c1 /sys/fs/cgroup/cpu,cpuacct rw - cgroup cgroup rw,cpu,cpuacct\n"
           "702 600 0:42 /docker/c1 /sys/fs/cgroup/pids rw - cgroup cgroup rw,pids\n");
    const judge::GroupPlace place = judge::find_groups(root());
    ASSERT_EQ(place.kind, Measure::cgroup_v1) << place.why;
    EXPECT_EQ(place.folders, (std::vector<std::string>{at("/sys/fs/cgroup/memory here/judge").string(),
                                                       at("/sys/fs/cgroup/cpu,cpuacct/judge").string(),
                                                       at("/sys/fs/cgroup/pids/judge").string()}));
}

// Groups of judges that are gone are removed; a live judge's, this
// judge's and others' stay, and so does one whose tasks are still there.
TEST_F(RecordedTree, GroupsOfJudgesGoneAreRemoved)
{
    record(v1_cgroup, v1_mountinfo);
    const fs::path pids = at("/sys/fs/cgroup/pids");
    for (const char* folder : {"/sys/fs/cgroup/memory/process_api/ba2d", "/sys/fs/cgroup/cpuacct"})
        fs::create_directories(at(folder));
    const std::string alive = "exercise-judge-" + std::to_string(::getpid());
    for (const std::string& name : {gone_judge + "-3", gone_judge, alive + "-2", std::string("exercise-judge-4242-7"),
                                    std::string("exercise-judge-x-1"), std::string("other")})
        fs::create_directories(pids / name);
    put(pids / (gone_judge + "-4") / "cgroup.procs", "77\n");
    const ControlGroups groups(root(), judge_pid);
    EXPECT_FALSE(fs::exists(pids / (gone_judge + "-3")));
    EXPECT_FALSE(fs::exists(pids / gone_judge));
    for (const std::string& name : {alive + "-2", std::string("exercise-judge-4242-7"), std::string("exercise-judge-x-1"),
                                    std::string("other"), gone_judge + "-4"})
        EXPECT_TRUE(fs::exists(pids / name)) << name;
}

TEST(Measures, HaveTheirNames)
{
    EXPECT_STREQ(judge::measure_name(Measure::cgroup_v1), "cgroup v1");
    EXPECT_STREQ(judge::measure_name(Measure::cgroup_v2), "cgroup v2");
    EXPECT_STREQ(judge::measure_name(Measure::sampling), "sampling");
}

// A recorded /proc: bwrap (100), the keeper (101) below it, the solution
// (102) below the keeper; the keeper's root a folder in memory whose tmp
// holds a file.
class RecordedProc : public ::testing::Test {
protected:
    void SetUp() override
    {
        struct statfs info {};
        if (::statfs("/dev/shm", &info) != 0 || info.f_type != 0x01021994)
            GTEST_SKIP() << "no file system in memory at /dev/shm";
        sandbox_ = "/dev/shm/sampler-test-" + std::to_string(::getpid());
        put(sandbox_ / "tmp" / "held", std::string(1 << 20, 'x'));
        process(100, "bwrap", 50, {101}, 1000);
        process(101, "exercise-judge-", 100, {102, 103}, 2000, 7, 3);
        fs::create_directory_symlink(sandbox_, proc() / "101" / "root");
        process(102, "solution", 101, {}, 2100, 40, 10, 256);
        // An ID listed as the keeper's child that has gone to a process
        // elsewhere, with children of its own: nothing of it is the run's.
        process(103, "firefox", 1, {104}, 9000, 900000, 0, 5000000);
        process(104, "firefox", 103, {}, 9001, 900000, 0, 5000000);
    }
    void TearDown() override
    {
        if (!sandbox_.empty())
            fs::remove_all(sandbox_);
    }

    fs::path proc() const { return folder_.path() / "proc"; }

    // proc/PID/stat and its one thread's children.
    void process(pid_t pid, const std::string& name, pid_t parent, const std::vector<pid_t>& children,
                 unsigned long long start, unsigned long long user = 0, unsigned long long reaped = 0,
                 unsigned long long pages = 0)
    {
        const fs::path folder = proc() / std::to_string(pid);
        std::string stat = std::to_string(pid) + " (" + name + ") S " + std::to_string(parent) + " 1 1 0 -1 0 0 0 0 0 " +
                           std::to_string(user) + " 0 " + std::to_string(reaped) + " 0 20 0 1 0 " +
                           std::to_string(start) + " 1000 " + std::to_string(pages) + " 0 0\n";
        put(folder / "stat", stat);
        std::string listed;
        for (const pid_t child : children)
            listed += std::to_string(child) + " ";
        put(folder / "task" / std::to_string(pid) / "children", listed);
    }

    TempDir folder_;
    fs::path sandbox_;
};

TEST_F(RecordedProc, OnlyTheRunsOwnProcessesAndFileSystemsCount)
{
    static const double tick = 1.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
    static const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    judge::TreeSampler sampler(100, judge::Keeper::under_bwrap, {"/tmp"}, proc().string());
    const judge::Sample first = sampler.sample();
    EXPECT_EQ(first.processes, 1);
    EXPECT_EQ(first.resident_bytes, 256 * page);
    // The solution's 50 ticks and the 3 its keeper reaped.
    EXPECT_NEAR(first.cpu_seconds, 53 * tick, 1e-9);
    EXPECT_GE(first.held_bytes, std::uint64_t{1} << 20);
    EXPECT_LT(first.held_bytes, std::uint64_t{2} << 20);

    // The keeper has ended and its ID gone to a process of the host, whose
    // root is the host's: what the sandbox held is read where it was
    // opened, never through the ID again.
    process(101, "bash", 1, {}, 7000, 100, 100);
    fs::remove(proc() / "101" / "root");
    fs::create_directory_symlink("/", proc() / "101" / "root");
    const judge::Sample second = sampler.sample();
    EXPECT_EQ(second.processes, 0);
    EXPECT_EQ(second.resident_bytes, 0u);
    EXPECT_EQ(second.held_bytes, first.held_bytes);
}

// A keeper whose root holds no file system in memory (a folder on a disk)
// adds nothing: the used space of a disk is not a solution's memory.
TEST_F(RecordedProc, FileSystemsOnADiskAreNotMemory)
{
    const fs::path disk = folder_.path() / "root";
    fs::create_directories(disk / "tmp");
    struct statfs info {};
    ASSERT_EQ(::statfs(disk.c_str(), &info), 0);
    if (info.f_type == 0x01021994)
        GTEST_SKIP() << "the test's folder is in memory";
    fs::remove(proc() / "101" / "root");
    fs::create_directory_symlink(disk, proc() / "101" / "root");
    judge::TreeSampler sampler(100, judge::Keeper::under_bwrap, {"/tmp"}, proc().string());
    EXPECT_EQ(sampler.sample().held_bytes, 0u);
}

}  // namespace
