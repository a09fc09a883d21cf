// The reports, written as text into strings; the caller writes them out.

#include "judge/report.hpp"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "judge/text.hpp"

namespace judge {

namespace {

// Keys in the order written, the order a reader takes them in.
using json = nlohmann::ordered_json;

// The table's columns, in order.
const char* const columns[] = {"case", "seed", "size", "verdict", "processor", "wall", "memory"};

// The most characters the size column shows.
constexpr std::size_t size_width = 48;

std::string fixed(double value, const char* unit, int decimals = 3)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
    return text;
}

// Seconds as JUnit's time attributes hold them.
std::string seconds_attribute(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::string seed_text(const CaseResult& result)
{
    return result.seed ? std::to_string(*result.seed) : "-";
}

std::string cut(const std::string& text, std::size_t width)
{
    return text.size() <= width ? text : text.substr(0, width - 3) + "...";
}

// The cells of one case's row.
std::vector<std::string> row(const CaseResult& result)
{
    return {terminal_text(result.name),
            seed_text(result),
            cut(terminal_text(result.size), size_width),
            verdict_name(result.verdict),
            result.ran ? fixed(result.cpu_seconds, "s") : "-",
            result.ran ? fixed(result.wall_seconds, "s") : "-",
            result.ran ? memory_text(result.memory_bytes) : "-"};
}

// "case 3 (seed 17)" or "case NAME".
std::string case_title(const CaseResult& result)
{
    std::string title = "case " + result.name;
    if (result.seed)
        title += " (seed " + std::to_string(*result.seed) + ", answers \"" + result.size + "\")";
    return title;
}

std::string verdict_line(const CaseResult& result)
{
    std::string line = verdict_name(result.verdict);
    if (!result.detail.empty())
        line += ": " + result.detail;
    return line;
}

// "Shrunk in N attempts to seed S, answers "...": VERDICT: detail".
std::string shrunk_line(const Shrinking& shrinking)
{
    const CaseResult& shrunk = shrinking.shrunk;
    return "Shrunk in " + std::to_string(shrinking.attempts) + " attempts to seed " + seed_text(shrunk) +
           ", answers \"" + shrunk.size + "\": " + verdict_line(shrunk);
}

std::string summary(const Result& result)
{
    return std::to_string(result.passed) + " passed, " + std::to_string(result.failed) + " failed";
}

json case_json(const CaseResult& result)
{
    json entry = {
        {"name", result.name},
        {"seed", result.seed ? json(*result.seed) : json(nullptr)},
        {"maker", result.maker.empty() ? json(nullptr) : json(result.maker)},
        {"answers", result.seed ? json(result.answers) : json(nullptr)},
        {"size", result.size},
        {"verdict", verdict_name(result.verdict)},
        {"passed", passed(result.verdict)},
        {"detail", result.detail},
        {"saved", result.saved.empty() ? json(nullptr) : json(result.saved)},
    };
    if (result.ran) {
        entry["cpu_seconds"] = result.cpu_seconds;
        entry["wall_seconds"] = result.wall_seconds;
        entry["memory_bytes"] = result.memory_bytes;
    } else {
        entry["cpu_seconds"] = entry["wall_seconds"] = entry["memory_bytes"] = nullptr;
    }
    return entry;
}

}  // namespace

std::string heading(const RunInfo& info)
{
    std::string text = "Judging " + shell_line(info.given) + " on " + info.exercise + ":";
    if (info.cases_dir) {
        text += " the cases in " + *info.cases_dir;
    } else {
        text += info.answers ? " answers \"" + Answers(*info.answers).label() + "\"" : " size " + info.size;
        text += ", seeds from " + std::to_string(*info.seed) + " (repeat with --seed " + std::to_string(*info.seed) + ")";
    }
    text += "; reference " + info.reference.substr(info.reference.rfind('/') + 1) + ", sandbox " + info.sandbox;
    return terminal_text(text) + "\n";
}

std::string table(const RunInfo& info, const Result& result)
{
    std::vector<std::vector<std::string>> rows{std::vector<std::string>(std::begin(columns), std::end(columns))};
    for (const CaseResult& entry : result.cases)
        rows.push_back(row(entry));
    std::vector<std::size_t> widths(std::size(columns), 0);
    for (const auto& cells : rows)
        for (std::size_t i = 0; i < cells.size(); ++i)
            widths[i] = std::max(widths[i], cells[i].size());
    std::string text;
    for (const auto& cells : rows) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            // Numbers to the right, words to the left.
            const bool right = i == 0 || i == 1 || i >= 4;
            const std::string pad(widths[i] - cells[i].size(), ' ');
            line += (i > 0 ? "  " : "") + (right ? pad + cells[i] : cells[i] + pad);
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line + "\n";
    }
    for (const CaseResult& entry : result.cases) {
        if (passed(entry.verdict))
            continue;
        text += terminal_text(case_title(entry) + ": " + verdict_line(entry)) + "\n";
        if (!entry.saved.empty())
            text += terminal_text("  saved as " + *info.save + "/" + entry.saved + ".{in,ans,out,cmd}") + "\n";
    }
    if (result.shrinking) {
        const Shrinking& shrinking = *result.shrinking;
        text += terminal_text(shrunk_line(shrinking)) + "\n";
        if (!shrinking.shrunk.saved.empty())
            text += terminal_text("  saved as " + *info.save + "/" + shrinking.shrunk.saved + ".{in,ans,out,cmd}") + "\n";
    } else if (info.stress && result.failed == 0) {
        text += "No failure in " + std::to_string(result.cases.size()) + " cases.\n";
    }
    text += summary(result) + "\n";
    return text;
}

std::string json_report(const RunInfo& info, const Result& result)
{
    json cases = json::array();
    for (const CaseResult& entry : result.cases)
        cases.push_back(case_json(entry));
    json report = {
        {"exercise", info.exercise},
        {"command", info.command},
        {"sandbox", info.sandbox},
        {"seed", info.seed ? json(*info.seed) : json(nullptr)},
        {"size", info.cases_dir || info.answers ? json(nullptr) : json(info.size)},
        {"answers", info.answers ? json(*info.answers) : json(nullptr)},
        {"cases_dir", info.cases_dir ? json(*info.cases_dir) : json(nullptr)},
        {"reference", info.reference},
        {"limits",
         {{"cpu_seconds", info.limits.cpu_seconds},
          {"wall_seconds", info.limits.wall_seconds},
          {"memory_bytes", info.limits.memory_bytes},
          {"output_bytes", info.limits.file_bytes}}},
        {"stress", info.stress},
        {"cases", cases},
        {"passed", result.passed},
        {"failed", result.failed},
    };
    if (result.shrinking)
        report["shrinking"] = {{"original", case_json(result.shrinking->original)},
                               {"shrunk", case_json(result.shrinking->shrunk)},
                               {"attempts", result.shrinking->attempts}};
    else
        report["shrinking"] = nullptr;
    return report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string junit_report(const RunInfo& info, const Result& result)
{
    double total = 0;
    int errors = 0;
    for (const CaseResult& entry : result.cases) {
        total += entry.wall_seconds;
        errors += entry.verdict == Verdict::invalid_case ? 1 : 0;
    }
    const std::string counts = "tests=\"" + std::to_string(result.cases.size()) + "\" failures=\"" +
                               std::to_string(result.failed - errors) + "\" errors=\"" + std::to_string(errors) +
                               "\" time=\"" + seconds_attribute(total) + "\"";
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<testsuites name=\"exercise-judge\" " + counts + ">\n";
    xml += "  <testsuite name=\"" + xml_text(info.exercise) + "\" " + counts + ">\n";
    xml += "    <properties>\n";
    const auto property = [&](const std::string& name, const std::string& value) {
        xml += "      <property name=\"" + name + "\" value=\"" + xml_text(value) + "\"/>\n";
    };
    property("command", shell_line(info.command));
    property("sandbox", info.sandbox);
    property("reference", info.reference);
    if (info.seed)
        property("seed", std::to_string(*info.seed));
    if (info.cases_dir)
        property("cases_dir", *info.cases_dir);
    xml += "    </properties>\n";
    for (const CaseResult& entry : result.cases) {
        xml += "    <testcase name=\"" + xml_text(case_title(entry)) + "\" classname=\"" + xml_text(info.exercise) +
               "\" time=\"" + seconds_attribute(entry.wall_seconds) + "\"";
        if (passed(entry.verdict)) {
            xml += "/>\n";
            continue;
        }
        const char* element = entry.verdict == Verdict::invalid_case ? "error" : "failure";
        std::string body = verdict_line(entry);
        if (result.shrinking && result.shrinking->original.name == entry.name)
            body += "\n" + shrunk_line(*result.shrinking);
        xml += ">\n      <" + std::string(element) + " type=\"" + verdict_name(entry.verdict) + "\" message=\"" +
               xml_text(verdict_line(entry)) + "\">" + xml_text(body) + "</" + element + ">\n    </testcase>\n";
    }
    xml += "  </testsuite>\n</testsuites>\n";
    return xml;
}

}  // namespace judge
