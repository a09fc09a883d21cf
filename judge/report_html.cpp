// The result as one self-contained HTML page.

#include "judge/report.hpp"
#include "judge/text.hpp"

namespace judge {

std::string html_report(const RunInfo& info, const Result& result)
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>exercise-judge: " +
                       xml_text(info.exercise) + "</title></head><body>\n<table>\n";
    for (const SolutionResult& solution : result.solutions)
        for (const CaseResult& entry : solution.cases)
            page += "<tr><td>" + xml_text(solution.name) + "</td><td>" + xml_text(entry.name) + "</td><td>" +
                    verdict_code(entry.verdict) + "</td></tr>\n";
    return page + "</table>\n</body></html>\n";
}

}  // namespace judge
