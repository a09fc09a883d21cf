// The four exercises as packages.

#include "package/catalog.hpp"

#include <filesystem>

#include "judge/base/failure.hpp"
#include "judge/run/programs.hpp"
#include "judge/run/temporary.hpp"
#include "judge/run/sandbox.hpp"
#include "judge/judging/settings.hpp"

namespace package {

namespace {

// The exercises, in the order their names are listed. The output limits
// hold the default plans' largest answers: PRO6's merged line of
// 20,000,000 values is about 170 MB; PRO2 writes back 100 MB texts.
const Problem problems[] = {
    {"pro3", "Sequence Terms", {"pro3-maketest"}, "pro3-validate", "pro3-solve", "input-validator-pro3.cpp", nullptr,
     {{"accepted", "pro3-solve.cpp"}, {"time_limit_exceeded", "pro3-solve-stepwise.cpp"}}, 1024, 16},
    {"pro2", "Tabs and Blanks", {"pro2-maketest", "pro2-maketest-b"}, "pro2-validate", "pro2-solve",
     "input-validator-pro2.cpp", nullptr, {{"accepted", "pro2-solve.cpp"}}, 1024, 256},
    {"pro6", "Merge and Search", {"pro6-maketest", "pro6-maketest-b"}, "pro6-validate", "pro6-solve",
     "input-validator-pro6.cpp", nullptr,
     {{"accepted", "pro6-solve.cpp"},
      {"time_limit_exceeded", "pro6-solve-b.cpp"},
      {"time_limit_exceeded", "pro6-solve-c.cpp"}},
     1024, 256},
    {"3-15", "Order Totals", {"order-gen"}, "order-validate", "order-solve-list", "input-validator-3-15.cpp",
     "output-validator-3-15.cpp",
     {{"accepted", "order-solve-list.cpp"},
      {"run_time_error", "order-solve-grid.cpp"},
      {"run_time_error", "order-solve-bucket.cpp"}},
     1024, 8},
};

// Where the suite's shared files lie, from the folder of its programs.
constexpr const char* shared_from_programs = "/../share/exercise-suite/";

std::string shared_folder(const char* name)
{
    return std::filesystem::path(judge::own_folder() + shared_from_programs + name).lexically_normal().string();
}

}  // namespace

const Problem* find_problem(std::string_view exercise)
{
    for (const Problem& problem : problems)
        if (exercise == problem.exercise)
            return &problem;
    return nullptr;
}

const std::vector<SubmissionFolder>& submission_folders()
{
    static const std::vector<SubmissionFolder> folders{
        {"accepted", "every case OK"},
        {"wrong_answer", "the first failing case WRONG ANSWER"},
        {"time_limit_exceeded", "the first failing case TIME LIMIT"},
        {"run_time_error", "the first failing case RUNTIME ERROR"},
    };
    return folders;
}

std::string sources_folder()
{
    return shared_folder("sources");
}

std::string problems_folder()
{
    return shared_folder("problems");
}

}  // namespace package
