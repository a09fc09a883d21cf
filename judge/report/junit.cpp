// The result as JUnit XML, for a CI system: a test suite per solution.

#include <cstdio>

#include "judge/report/report.hpp"
#include "judge/base/text.hpp"

namespace judge {

namespace {

// Seconds as JUnit's time attributes hold them.
std::string seconds_attribute(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

// The counts of a suite (or of all): tests, failures, errors and time.
struct Counts {
    std::size_t tests = 0;
    int failures = 0;
    int errors = 0;
    double seconds = 0;

    // The solution's cases but the invalid ones, which count against no
    // solution.
    void add(const SolutionResult& solution)
    {
        for (const CaseResult& entry : solution.cases) {
            if (entry.verdict == Verdict::invalid_case)
                continue;
            ++tests;
            seconds += entry.wall_seconds;
            if (!passed(entry.verdict))
                ++failures;
        }
    }

    // The invalid cases, each an error of the cases.
    void add_invalid(const Result& result)
    {
        tests += result.invalid.size();
        errors += static_cast<int>(result.invalid.size());
    }

    std::string attributes() const
    {
        return "tests=\"" + std::to_string(tests) + "\" failures=\"" + std::to_string(failures) + "\" errors=\"" +
               std::to_string(errors) + "\" time=\"" + seconds_attribute(seconds) + "\"";
    }
};

std::string suite(const RunInfo& info, const Result& result, const SolutionResult& solution, bool alone)
{
    Counts counts;
    counts.add(solution);
    const std::string name = alone ? info.exercise : solution.name;
    std::string xml = "  <testsuite name=\"" + xml_text(name) + "\" " + counts.attributes() + ">\n";
    xml += "    <properties>\n";
    const auto property = [&](const std::string& key, const std::string& value) {
        xml += "      <property name=\"" + key + "\" value=\"" + xml_text(value) + "\"/>\n";
    };
    property("command", shell_line(solution.command));
    if (!solution.language.empty())
        property("language", solution.language);
    property("sandbox", info.sandbox);
    property("reference", info.reference);
    if (info.seed)
        property("seed", std::to_string(*info.seed));
    if (info.cases_dir)
        property("cases_dir", *info.cases_dir);
    xml += "    </properties>\n";
    const std::string classname = xml_text(alone ? info.exercise : info.exercise + "." + solution.name);
    for (const CaseResult& entry : solution.cases) {
        if (entry.verdict == Verdict::invalid_case)
            continue;
        xml += "    <testcase name=\"" + xml_text(case_title(entry)) + "\" classname=\"" + classname + "\" time=\"" +
               seconds_attribute(entry.wall_seconds) + "\"";
        if (passed(entry.verdict)) {
            xml += "/>\n";
            continue;
        }
        const char* element = "failure";
        std::string body = verdict_line(entry);
        if (entry.verdict == Verdict::compilation_error && !solution.compilation.log.empty())
            body += "\n" + solution.compilation.log;
        if (result.shrinking && result.shrinking->original.name == entry.name)
            body += "\nShrunk to answers \"" + result.shrinking->shrunk.size() + "\": " +
                    verdict_line(result.shrinking->shrunk);
        xml += ">\n      <" + std::string(element) + " type=\"" + verdict_name(entry.verdict) + "\" message=\"" +
               xml_text(verdict_line(entry)) + "\">" + xml_text(body) + "</" + element + ">\n    </testcase>\n";
    }
    return xml + "  </testsuite>\n";
}

// The invalid cases as one suite of errors: a fault of the cases, not of
// any solution.
std::string invalid_suite(const RunInfo& info, const Result& result)
{
    Counts counts;
    counts.add_invalid(result);
    std::string xml = "  <testsuite name=\"" + xml_text(info.exercise + " cases") + "\" " + counts.attributes() + ">\n";
    for (const CaseResult& entry : result.invalid)
        xml += "    <testcase name=\"" + xml_text(case_title(entry)) + "\" classname=\"" + xml_text(info.exercise) +
               ".cases\" time=\"0.000\">\n      <error type=\"" + verdict_name(entry.verdict) + "\" message=\"" +
               xml_text(verdict_line(entry)) + "\">" + xml_text(verdict_line(entry)) + "</error>\n    </testcase>\n";
    return xml + "  </testsuite>\n";
}

}  // namespace

std::string junit_report(const RunInfo& info, const Result& result)
{
    Counts all;
    for (const SolutionResult& solution : result.solutions)
        all.add(solution);
    all.add_invalid(result);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<testsuites name=\"exercise-judge\" " + all.attributes() + ">\n";
    for (const SolutionResult& solution : result.solutions)
        xml += suite(info, result, solution, result.solutions.size() == 1);
    if (!result.invalid.empty())
        xml += invalid_suite(info, result);
    return xml + "</testsuites>\n";
}

}  // namespace judge
