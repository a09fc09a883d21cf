// The format's submission folders and the suite's sources.

#include "package/catalog.hpp"

#include "judge/cases/exercises.hpp"

namespace package {

const std::vector<SubmissionFolder>& submission_folders()
{
    static const std::vector<SubmissionFolder> folders{
        {"accepted", "every case OK"},
        {"wrong_answer", "the first failing case WRONG ANSWER"},
        {"time_limit_exceeded", "the first failing case TIME LIMIT"},
        {"run_time_error", "the first failing case RUNTIME ERROR (or MEMORY LIMIT)"},
    };
    return folders;
}

std::string sources_folder()
{
    return judge::shared_path("sources");
}

}  // namespace package
