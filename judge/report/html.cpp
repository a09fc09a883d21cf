// The result as one self-contained HTML page: inline CSS and SVG, no
// script, nothing fetched from elsewhere (a content security policy says
// so too), readable on screen and on paper. From the top: the run's
// settings; the verdicts, each cell coloured by its verdict, a failing cell
// folding out (<details>) its detail and the shell line that replays it:
// for one solution a row per case with its processor time and memory, for
// several a row per solution with its groups and score and its cases as a
// strip of compact cells that wraps to the page's width, so that a class
// of any size fits without sideways scrolling; the legend of the codes; a
// summary row per solution; a chart per solution of its processor time per
// case against the time limit; the shrinking of a --stress failure; and
// the sections the program adds.
//
// Every text from outside the judge (names, paths, details, compiler logs,
// replay lines) goes through xml_text, in attribute values too: whatever a
// solution prints or is called, it stays text.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>

#include "judge/report/report.hpp"
#include "judge/base/text.hpp"
#include "judge/judging/scoring.hpp"

namespace judge {

namespace {

const char* const page_css = R"(
*{box-sizing:border-box}
html{-webkit-print-color-adjust:exact;print-color-adjust:exact}
body{margin:0 auto;max-width:1240px;padding:18px 20px 40px;color:#1f2933;background:#fff;
 font:14px/1.45 system-ui,"Segoe UI",Roboto,"Noto Sans","DejaVu Sans",Arial,sans-serif}
h1{font-size:21px;margin:0 0 2px}
h2{font-size:15px;margin:26px 0 8px;padding-bottom:3px;border-bottom:1px solid #d9dee4;color:#24313f}
p{margin:4px 0}
code,pre{font:12px/1.4 ui-monospace,"DejaVu Sans Mono","Liberation Mono",Menlo,Consolas,monospace}
pre{margin:3px 0;padding:5px 7px;background:#f5f7f9;border:1px solid #e1e5ea;border-radius:3px;
 white-space:pre-wrap;overflow-wrap:anywhere}
.muted{color:#5f6b78}
.note{color:#5f6b78;font-size:12px}
.chip{display:inline-block;padding:0 6px;border-radius:3px;font-weight:600;font-size:12px;line-height:18px}
.chip.none{background:#eef1f4;color:#5f6b78}
dl.settings{display:grid;grid-template-columns:repeat(2,minmax(0,1fr));gap:3px 28px;margin:12px 0 0;
 padding:10px 14px;background:#f5f7f9;border:1px solid #e1e5ea;border-radius:6px;font-size:13px}
dl.settings div{display:grid;grid-template-columns:8.5em minmax(0,1fr);gap:10px}
dl.settings dt{color:#5f6b78}
dl.settings dd{margin:0;overflow-wrap:anywhere}
.scroll{overflow-x:auto;padding-bottom:4px}
table{border-collapse:collapse}
table.matrix{border-collapse:separate;border-spacing:2px;font-size:13px}
.matrix th,.matrix td{padding:3px 7px;text-align:left;vertical-align:top;border-radius:3px}
.matrix thead th{vertical-align:bottom;background:#eef1f4}
.matrix th.solution{min-width:7.5em;max-width:13em;overflow-wrap:break-word}
.lang{display:block;font-weight:400;font-size:11px;color:#5f6b78}
.matrix tbody th,.matrix td.seed,.matrix td.size,.matrix tfoot th{background:#f5f7f9;font-weight:400;white-space:nowrap}
.matrix .case{position:sticky;left:0;z-index:1}
.matrix thead th.case{background:#eef1f4}
.matrix td.seed{text-align:right}
.matrix td.size{max-width:16em;overflow:hidden;text-overflow:ellipsis}
.matrix tfoot td,.matrix tfoot th{font-size:12px;background:#f5f7f9}
td.cell{white-space:nowrap;min-width:7.5em}
td.cell .m,.matrix td.seed{font-variant-numeric:tabular-nums}
td.cell .m{display:block;font-size:11px;opacity:.85}
.cell summary{cursor:pointer;list-style:none}
.cell summary::-webkit-details-marker{display:none}
td.cell summary strong::after{content:" \25B8";font-weight:400}
td.cell details[open] summary strong::after{content:" \25BE"}
.cell.none{background:#fafafa;color:#9aa5b1}
table.roster{width:100%}
.roster thead th{white-space:nowrap}
.roster th.solution{min-width:9em;max-width:14em;overflow-wrap:anywhere;white-space:normal}
.roster td.count{white-space:nowrap;background:#f5f7f9;font-variant-numeric:tabular-nums}
.roster td.score{font-weight:600}
.roster td.cases{width:100%}
.strip{display:flex;flex-wrap:wrap;gap:2px}
.strip>.cell,.strip>.head{flex:none;position:relative;width:3.2em;padding:1px 0;border-radius:3px;text-align:center;
 font-size:12px;line-height:18px}
.strip>.head{background:#eef1f4;color:#5f6b78;font-size:11px;overflow:hidden}
.strip>.start{margin-left:8px}
.strip>.start:first-child{margin-left:0}
.strip details[open] .more{position:absolute;left:0;top:100%;z-index:2;text-align:left}
.more{white-space:normal;width:28em;max-width:80vw;margin:5px 0 2px;padding:6px 8px;background:#fff;
 color:#1f2933;border:1px solid rgba(0,0,0,.15);border-radius:3px;font-size:12px}
.more p{overflow-wrap:anywhere}
pre.log{white-space:pre;overflow-x:auto;max-width:40em}
.label{color:#5f6b78;margin-top:6px}
ul.legend{display:flex;flex-wrap:wrap;gap:4px 16px;list-style:none;padding:0;margin:8px 0 2px;font-size:12px}
table.summary{width:100%;font-size:13px}
.summary th,.summary td{padding:4px 8px;border-bottom:1px solid #e1e5ea;text-align:left;vertical-align:top}
.summary thead th{background:#eef1f4;font-weight:600;white-space:nowrap}
.summary td.name{font-weight:600;max-width:16em;overflow-wrap:anywhere}
.summary td.nowrap{white-space:nowrap}
.summary td.failure{min-width:14em;max-width:30em;overflow-wrap:anywhere}
.summary details{margin-top:2px}
.summary summary{cursor:pointer;color:#5f6b78;font-size:12px}
.meter{display:inline-block;width:52px;height:6px;margin-left:6px;border-radius:3px;vertical-align:middle;
 background:#f0c8c4;overflow:hidden}
.meter span{display:block;height:100%;background:#2f9e57}
.charts{display:flex;flex-wrap:wrap;gap:12px}
figure{margin:0;padding:6px 8px 2px;border:1px solid #e1e5ea;border-radius:6px;width:358px}
figcaption{font-weight:600;font-size:13px;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}
figcaption .lang{display:inline;margin-left:6px}
svg.chart{display:block}
svg.chart text{font-size:10px;fill:#5f6b78}
svg.chart text.none{font-size:12px}
svg.chart .grid{stroke:#e6e9ed}
svg.chart .axis{stroke:#9aa5b1}
svg.chart line.limit{stroke:#c62828;stroke-width:1.5;stroke-dasharray:5 3}
svg.chart text.limit{fill:#c62828}
@media print{
 body{max-width:none;padding:0}
 .scroll{overflow:visible}
 h2{break-after:avoid}
 tr,figure,dl.settings{break-inside:avoid}
}
@page{size:landscape;margin:10mm}
)";

// The chart's size and the margins that hold its axis labels, in pixels.
constexpr double chart_width = 340;
constexpr double chart_height = 168;
constexpr double chart_left = 50;
constexpr double chart_right = 46;
constexpr double chart_top = 12;
constexpr double chart_bottom = 22;

// "v-wa": the class that colours a verdict's cells, chips and bars.
std::string class_of(Verdict verdict)
{
    std::string name = "v-";
    for (const char* c = verdict_code(verdict); *c != '\0'; ++c)
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    return name;
}

// The page's rules for each verdict's class, from the table.
std::string verdict_css()
{
    std::string css;
    for (const Verdict verdict : all_verdicts) {
        const VerdictRow& style = verdict_row(verdict);
        const std::string name = class_of(verdict);
        css += "." + name + "{background:" + style.cell + ";color:" + style.ink + "}\nsvg ." + name +
               "{fill:" + style.bar + "}\n";
    }
    return css;
}

// Text from anywhere, safe as the page's text or an attribute's value.
std::string escaped(std::string_view text)
{
    return xml_text(text);
}

// Escaped text that may break after a '/', '_' or '-': file names wrap
// there rather than in the middle of a word.
std::string breakable(std::string_view text)
{
    std::string html;
    for (const char c : escaped(text)) {
        html += c;
        if (c == '/' || c == '_' || c == '-')
            html += "<wbr>";
    }
    return html;
}

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// "0.012 s": a measured time.
std::string seconds(double value)
{
    return format("%.3f s", value);
}

// "10 ms", "1 s": a power of ten on the time axis.
std::string decade_label(double value)
{
    return value < 0.999 ? format("%g ms", value * 1000) : format("%g s", value);
}

std::string limits_text(const Limits& limits)
{
    return "processor " + seconds_text(limits.cpu_seconds) + ", wall " + seconds_text(limits.wall_seconds) +
           ", memory " + megabytes_text(limits.memory_bytes) + ", output " + megabytes_text(limits.file_bytes) +
           ", " + std::to_string(limits.processes) + " processes";
}

int solutions_passed(const Result& result)
{
    return static_cast<int>(std::count_if(result.solutions.begin(), result.solutions.end(),
                                          [](const SolutionResult& solution) { return solution.all_passed(); }));
}

// "6 made, size medium, seeds 17 to 22 (--seed 17 makes them again)".
std::string cases_text(const RunInfo& info, const Result& result, const Matrix& matrix)
{
    const std::size_t count = matrix.rows.size();
    if (info.cases_dir)
        return std::to_string(count) + " stored in " + *info.cases_dir;
    std::string text = std::to_string(count) + " made";
    text += info.groups.size() == 1 && info.groups.front().answers ? " with " + groups_text(info) : ", " + groups_text(info);
    if (!matrix.rows.empty() && matrix.rows.front()->seed && matrix.rows.back()->seed) {
        const std::uint32_t first = *matrix.rows.front()->seed;
        const std::uint32_t last = *matrix.rows.back()->seed;
        text += first == last ? ", seed " + std::to_string(first)
                              : ", seeds " + std::to_string(first) + " to " + std::to_string(last);
    }
    if (info.seed)
        text += " (--seed " + std::to_string(*info.seed) + " makes them again)";
    if (info.stress)
        text += result.shrinking ? "; --stress: until the first failure" : "; --stress: no failure";
    return text;
}

// The run's settings as pairs of a label and its text.
std::string settings_list(const RunInfo& info, const Result& result, const Matrix& matrix)
{
    std::vector<std::pair<std::string, std::string>> settings{
        {"exercise", info.exercise},
        {"cases", cases_text(info, result, matrix)},
        {"limits", limits_text(info.limits)},
    };
    const bool compiled = std::any_of(result.solutions.begin(), result.solutions.end(),
                                      [](const SolutionResult& solution) { return solution.compilation.needed; });
    if (compiled)
        settings.emplace_back("compile limits", limits_text(info.compile_limits));
    settings.emplace_back("reference", info.reference);
    settings.emplace_back("sandbox", info.sandbox + (info.limits_by.empty() ? "" : ", limits by " + info.limits_by));
    if (!info.languages.empty())
        settings.emplace_back("languages", info.languages);
    if (info.save)
        settings.emplace_back("saved in", *info.save);
    std::string html = "<dl class=\"settings\">\n";
    for (const auto& [label, value] : settings)
        html += "<div><dt>" + label + "</dt><dd>" + escaped(value) + "</dd></div>\n";
    return html + "</dl>\n";
}

// "exercise-judge: pro6", or the title the program gave.
std::string page_title(const RunInfo& info)
{
    return info.title.empty() ? "exercise-judge: " + info.exercise : info.title;
}

std::string page_heading(const RunInfo& info, const Result& result, const Matrix& matrix)
{
    // One solution: its cases passed and failed; several: the solutions.
    const int count = static_cast<int>(result.solutions.size());
    const bool one = count == 1;
    const int good = one ? result.solutions.front().passed : solutions_passed(result);
    const int bad = one ? result.solutions.front().failed : count - good;
    std::string html = "<header>\n<h1>" + escaped(page_title(info)) + "</h1>\n<p>";
    html += one ? "<strong>" + escaped(result.solutions.front().name) + "</strong>"
                : std::to_string(count) + " solutions";
    html += " on " + std::to_string(matrix.rows.size()) + (matrix.rows.size() == 1 ? " case" : " cases") + ": ";
    html += "<span class=\"chip " + (good > 0 ? class_of(Verdict::ok) : "none") + "\">" + std::to_string(good) +
            (one ? " passed" : " passed every case") + "</span> <span class=\"chip " +
            (bad > 0 ? class_of(Verdict::wrong_answer) : "none") + "\">" + std::to_string(bad) + " failed</span>";
    if (one && info.scored)
        html += " score <strong>" + score_text(result.solutions.front().score) + "</strong> of " +
                score_text(result.points());
    return html + "</p>\n" + settings_list(info, result, matrix) + "</header>\n";
}

std::string compiler_log(const Compilation& compilation)
{
    return compilation.log.empty() ? "" : "<pre class=\"log\">" + escaped(compilation.log) + "</pre>";
}

// What a failing cell folds out: the verdict and its detail, the
// compiler's log for a source that did not compile, where the case was
// saved, and the shell line that replays it.
std::string failure_detail(const RunInfo& info, const SolutionResult& solution, const CaseResult& entry)
{
    std::string html = "<div class=\"more\"><p>" + escaped(verdict_line(entry)) + "</p>";
    if (entry.verdict == Verdict::compilation_error)
        html += compiler_log(solution.compilation);
    if (!entry.saved.empty() && info.save)
        html += "<p class=\"label\">saved as</p><pre>" +
                escaped(*info.save + "/" + entry.saved + ".{in,ans,out,cmd}") + "</pre>";
    if (!entry.replay.empty())
        html += "<p class=\"label\">replay</p><pre class=\"replay\">" + escaped(entry.replay) + "</pre>";
    return html + "</div>";
}

// What a cell says when pointed at: the solution, the case, the verdict
// and the measures.
std::string cell_title(const SolutionResult& solution, const CaseResult& entry)
{
    std::string title = solution.name + ", case " + entry.name + ": " + verdict_name(entry.verdict);
    if (entry.ran)
        title += "; processor " + seconds(entry.cpu_seconds) + ", wall " + seconds(entry.wall_seconds) +
                 ", memory " + memory_text(entry.memory_bytes);
    return title;
}

// A judged cell as an element (td or span) of the given classes: its face,
// and for a failure the detail folding out under it.
std::string judged_cell(const char* element, const std::string& classes, const RunInfo& info,
                        const SolutionResult& solution, const CaseResult& entry, const std::string& face)
{
    const std::string tag(element);
    std::string html = "<" + tag + " class=\"cell " + class_of(entry.verdict) + classes + "\" title=\"" +
                       escaped(cell_title(solution, entry)) + "\">";
    if (passed(entry.verdict))
        return html + face + "</" + tag + ">";
    return html + "<details><summary>" + face + "</summary>" + failure_detail(info, solution, entry) + "</details></" +
           tag + ">";
}

// A cell of the matrix: the code, processor time and memory; a failure
// folds out its detail.
std::string matrix_cell(const RunInfo& info, const SolutionResult& solution, const CaseResult* entry)
{
    if (entry == nullptr)
        return "<td class=\"cell none\" title=\"not judged\">-</td>";
    const std::string measures =
        entry->ran ? seconds(entry->cpu_seconds) + " &middot; " + memory_text(entry->memory_bytes) : "not run";
    return judged_cell("td", "", info, solution, *entry,
                       "<strong>" + std::string(verdict_code(entry->verdict)) + "</strong><span class=\"m\">" +
                           measures + "</span>");
}

// The codes' meanings, and what a cell shows: in the compact cells of a
// strip, the measures only when pointed at.
std::string legend(bool compact = false)
{
    std::string html = "<ul class=\"legend\">";
    for (const Verdict verdict : all_verdicts)
        html += "<li><span class=\"chip " + class_of(verdict) + "\">" + verdict_code(verdict) + "</span> " +
                verdict_row(verdict).meaning + "</li>";
    return html +
           "</ul>\n<p class=\"note\">" +
           std::string(compact ? "A cell shows the verdict; pointed at, it gives the processor time and the peak "
                                 "memory, and a case's number its seed and size"
                               : "A cell shows the verdict, the processor time and the peak memory") +
           "; a failing one opens to its detail and a shell line that replays it.</p>\n";
}

std::string matrix_section(const RunInfo& info, const Result& result, const Matrix& matrix)
{
    std::string html = "<section id=\"verdicts\">\n<h2>Verdicts</h2>\n<div class=\"scroll\">"
                       "<table class=\"matrix\">\n<thead><tr><th class=\"case\" scope=\"col\">case</th>"
                       "<th scope=\"col\">seed</th><th scope=\"col\">size</th>";
    for (const SolutionResult& solution : result.solutions)
        html += "<th class=\"solution\" scope=\"col\">" + breakable(solution.name) + "<span class=\"lang\">" +
                escaped(solution.language.empty() ? "command" : solution.language) + "</span></th>";
    html += "</tr></thead>\n<tbody>\n";
    for (std::size_t row = 0; row < matrix.rows.size(); ++row) {
        const CaseResult& entry = *matrix.rows[row];
        html += "<tr><th class=\"case\" scope=\"row\">" + escaped(entry.name) + "</th><td class=\"seed\">" +
                (entry.seed ? std::to_string(*entry.seed) : "-") + "</td><td class=\"size\" title=\"" +
                escaped(entry.size()) + "\">" + escaped(entry.size()) + "</td>";
        for (std::size_t column = 0; column < result.solutions.size(); ++column)
            html += matrix_cell(info, result.solutions[column], matrix.cells[column][row]);
        html += "</tr>\n";
    }
    html += "</tbody>\n<tfoot><tr><th class=\"case\" colspan=\"3\">cases passed</th>";
    for (const SolutionResult& solution : result.solutions)
        html += "<td>" + std::to_string(solution.passed) + " of " + std::to_string(solution.cases.size()) + "</td>";
    return html + "</tr></tfoot>\n</table></div>\n" + legend() + "</section>\n";
}

// A label per case under the bars and over a strip: the cases' names
// where they are all short, else their places in the matrix.
std::vector<std::string> case_labels(const Matrix& matrix)
{
    std::vector<std::string> labels;
    const bool short_names = std::all_of(matrix.rows.begin(), matrix.rows.end(),
                                         [](const CaseResult* entry) { return entry->name.size() <= 5; });
    for (std::size_t row = 0; row < matrix.rows.size(); ++row)
        labels.push_back(short_names ? matrix.rows[row]->name : std::to_string(row + 1));
    return labels;
}

// The strip's marks of the group starts: a case that opens a group after
// the first is set apart.
bool starts_group(const Matrix& matrix, std::size_t row)
{
    return row > 0 && matrix.rows[row]->group != matrix.rows[row - 1]->group;
}

// "case 3 of small: seed 17, answers ...": what a strip's head says of its
// case when pointed at.
std::string head_title(const Result& result, const CaseResult& entry)
{
    std::string title = "case " + entry.name;
    if (result.groups.size() > 1 && entry.group < result.groups.size())
        title += " of " + result.groups[entry.group].name;
    title += ": ";
    if (entry.seed)
        title += "seed " + std::to_string(*entry.seed) + ", ";
    return title + entry.size();
}

// A compact cell of a solution's strip: the code, the measures when
// pointed at, a failure folding out its detail over what follows.
std::string strip_cell(const RunInfo& info, const SolutionResult& solution, const CaseResult* entry, bool start)
{
    const std::string place = start ? " start" : "";
    if (entry == nullptr)
        return "<span class=\"cell none" + place + "\" title=\"not judged\">-</span>";
    return judged_cell("span", place, info, solution, *entry,
                       "<strong>" + std::string(verdict_code(entry->verdict)) + "</strong>");
}

// The roster's head: the solution, each group's cases passed and the score
// where the run is scored, the cases passed, and the cases' strip of heads.
std::string roster_head(const RunInfo& info, const Result& result, const Matrix& matrix)
{
    std::string html = "<thead><tr><th class=\"solution\" scope=\"col\">solution</th>";
    if (info.scored) {
        if (result.groups.size() > 1)
            for (const GroupResult& group : result.groups)
                html += "<th class=\"group\" scope=\"col\">" + escaped(group.name) + "<span class=\"lang\">" +
                        score_text(group.points) + " points</span></th>";
        html += "<th scope=\"col\">score<span class=\"lang\">of " + score_text(result.points()) + "</span></th>";
    }
    html += "<th scope=\"col\">cases passed</th><th class=\"cases\" scope=\"col\"><div class=\"strip\">";
    const std::vector<std::string> labels = case_labels(matrix);
    for (std::size_t row = 0; row < matrix.rows.size(); ++row)
        html += "<span class=\"head" + std::string(starts_group(matrix, row) ? " start" : "") + "\" title=\"" +
                escaped(head_title(result, *matrix.rows[row])) + "\">" + escaped(labels[row]) + "</span>";
    return html + "</div></th></tr></thead>\n";
}

// Several solutions: a row each, its cases in a strip of compact cells
// that wraps; every strip is as wide as its column, so the cells of a case
// stand one above the other in every row.
std::string roster_section(const RunInfo& info, const Result& result, const Matrix& matrix)
{
    std::string html = "<section id=\"verdicts\">\n<h2>Verdicts</h2>\n<table class=\"matrix roster\">\n" +
                       roster_head(info, result, matrix) + "<tbody>\n";
    for (std::size_t column = 0; column < result.solutions.size(); ++column) {
        const SolutionResult& solution = result.solutions[column];
        html += "<tr><th class=\"solution\" scope=\"row\">" + breakable(solution.name) + "<span class=\"lang\">" +
                escaped(solution.language.empty() ? "command" : solution.language) + "</span></th>";
        if (info.scored) {
            if (result.groups.size() > 1)
                for (std::size_t g = 0; g < result.groups.size(); ++g)
                    html += "<td class=\"count\">" +
                            std::to_string(g < solution.group_passed.size() ? solution.group_passed[g] : 0) +
                            " of " + std::to_string(result.groups[g].cases) + "</td>";
            html += "<td class=\"count score\">" + score_text(solution.score) + "</td>";
        }
        html += "<td class=\"count\">" + std::to_string(solution.passed) + " of " +
                std::to_string(solution.passed + solution.failed) + "</td><td class=\"cases\"><div class=\"strip\">";
        for (std::size_t row = 0; row < matrix.rows.size(); ++row)
            html += strip_cell(info, solution, matrix.cells[column][row], starts_group(matrix, row));
        html += "</div></td></tr>\n";
    }
    return html + "</tbody>\n</table>\n" + legend(true) + "</section>\n";
}

std::string compilation_text(const Compilation& compilation)
{
    if (!compilation.needed)
        return "<td class=\"muted\">-</td>";
    if (compilation.ok)
        return "<td class=\"nowrap\">ok, " + seconds(compilation.seconds) + "</td>";
    std::string html = "<td><span class=\"chip " + class_of(Verdict::compilation_error) + "\">failed</span> " +
                       seconds(compilation.seconds) + ": " + escaped(compilation.detail);
    if (!compilation.log.empty())
        html += "<details><summary>the compiler's messages</summary>" + compiler_log(compilation) + "</details>";
    return html + "</td>";
}

// A row per solution: how many cases it passed, its slowest case and peak
// memory, its first failure and how its compilation went.
std::string summary_section(const Result& result)
{
    std::string html = "<section id=\"solutions\">\n<h2>Solutions</h2>\n<div class=\"scroll\">"
                       "<table class=\"summary\">\n<thead><tr><th>solution</th><th>language</th>"
                       "<th>cases passed</th><th>slowest case</th><th>peak memory</th><th>first failure</th>"
                       "<th>compilation</th></tr></thead>\n<tbody>\n";
    for (const SolutionResult& solution : result.solutions) {
        const Summary summary = summarize(solution);
        const std::size_t count = solution.cases.size();
        const double share = count == 0 ? 0 : 100.0 * solution.passed / static_cast<double>(count);
        html += "<tr><td class=\"name\">" + breakable(solution.name) + "</td><td>" +
                (solution.language.empty() ? "command" : escaped(solution.language)) + "</td>";
        html += "<td class=\"nowrap\">" + std::to_string(solution.passed) + " of " + std::to_string(count) +
                "<span class=\"meter\"><span style=\"width:" + format("%.1f", share) + "%\"></span></span></td>";
        html += summary.slowest == nullptr ? std::string("<td class=\"muted\">-</td><td class=\"muted\">-</td>")
                                           : "<td class=\"nowrap\">" + escaped(summary.slowest->name) + ", " +
                                                 seconds(summary.slowest->cpu_seconds) + "</td><td class=\"nowrap\">" +
                                                 memory_text(summary.peak_memory_bytes) + "</td>";
        const CaseResult* failure = summary.first_failure;
        html += failure == nullptr ? std::string("<td class=\"failure muted\">none</td>")
                                   : "<td class=\"failure\"><span class=\"chip " + class_of(failure->verdict) + "\">" +
                                         verdict_code(failure->verdict) + "</span> case " + escaped(failure->name) +
                                         (failure->detail.empty() ? "" : ": " + escaped(failure->detail)) +
                                         "</td>";
        html += compilation_text(solution.compilation) + "</tr>\n";
    }
    return html + "</tbody>\n</table></div>\n</section>\n";
}

// The time axis every chart shares: logarithmic, from a power of ten
// below half the fastest run (and a twentieth of the limit), so that even
// the fastest bar shows, to a little above the limit and the slowest run,
// at most five powers of ten below that: runs of milliseconds and a limit
// of seconds both show.
struct TimeScale {
    double low = 0.001;
    double high = 1;

    // Where a time stands from the bottom (0) to the top (1), clamped.
    double height(double value) const
    {
        const double clamped = std::clamp(value, low, high);
        return (std::log10(clamped) - std::log10(low)) / (std::log10(high) - std::log10(low));
    }
};

TimeScale time_scale(double limit, const Result& result)
{
    double slowest = limit;
    double fastest = limit / 10;
    for (const SolutionResult& solution : result.solutions)
        for (const CaseResult& entry : solution.cases)
            if (entry.ran) {
                slowest = std::max(slowest, entry.cpu_seconds);
                if (entry.cpu_seconds > 0)
                    fastest = std::min(fastest, entry.cpu_seconds);
            }
    TimeScale scale;
    scale.high = slowest * 1.3;
    const double floor_decade = std::floor(std::log10(scale.high)) - 5;
    scale.low = std::pow(10.0, std::max(std::floor(std::log10(fastest / 2)), floor_decade));
    return scale;
}

std::string number(double value)
{
    return format("%.1f", value);
}

std::string svg_line(const char* css_class, double x1, double x2, double y1, double y2)
{
    return "<line class=\"" + std::string(css_class) + "\" x1=\"" + number(x1) + "\" x2=\"" + number(x2) +
           "\" y1=\"" + number(y1) + "\" y2=\"" + number(y2) + "\"/>";
}

// Text at x, y (its baseline); anchor "start", "middle" or "end"; text
// already escaped.
std::string svg_text(const char* css_class, double x, double y, const char* anchor, const std::string& text)
{
    return "<text class=\"" + std::string(css_class) + "\" x=\"" + number(x) + "\" y=\"" + number(y) +
           "\" text-anchor=\"" + anchor + "\">" + text + "</text>";
}

// One solution's processor time per case as bars coloured by verdict, on
// the shared scale, with the time limit as a dashed line labelled in the
// right margin, where nothing else is drawn.
std::string time_chart(const std::vector<const CaseResult*>& column, const std::vector<std::string>& labels,
                       const TimeScale& scale, double limit)
{
    const double right = chart_width - chart_right;
    const double base = chart_height - chart_bottom;
    const double plot_height = base - chart_top;
    const auto y_of = [&](double value) { return base - scale.height(value) * plot_height; };
    std::string svg = "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(chart_width) +
                      "\" height=\"" + number(chart_height) + "\" viewBox=\"0 0 " + number(chart_width) + " " +
                      number(chart_height) + "\" role=\"img\" aria-label=\"processor time per case\">\n";
    for (double decade = scale.low; decade <= scale.high * 1.0001; decade *= 10)
        svg += svg_line("grid", chart_left, right, y_of(decade), y_of(decade)) +
               svg_text("tick", chart_left - 5, y_of(decade) + 3.5, "end", decade_label(decade)) + "\n";
    // Bars in equal slots; a case's label under every step-th slot, so
    // that labels never overlap.
    const double slot = (right - chart_left) / static_cast<double>(std::max<std::size_t>(column.size(), 1));
    const double bar = std::max(1.0, std::min(slot * 0.7, 28.0));
    std::size_t widest = 1;
    for (const std::string& label : labels)
        widest = std::max(widest, label.size());
    const auto step = std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil((widest * 6.5 + 6) / slot)));
    bool any_ran = false;
    for (std::size_t row = 0; row < column.size(); ++row) {
        const double middle = chart_left + slot * (static_cast<double>(row) + 0.5);
        if (row % step == 0)
            svg += svg_text("case", middle, base + 13, "middle", escaped(labels[row]));
        const CaseResult* entry = column[row];
        if (entry == nullptr)
            continue;
        const std::string title = "<title>" +
                                  escaped("case " + entry->name + ": " + verdict_name(entry->verdict) + ", " +
                                          (entry->ran ? seconds(entry->cpu_seconds) : "not run")) +
                                  "</title>";
        const std::string verdict = class_of(entry->verdict);
        if (!entry->ran) {
            svg += "<circle class=\"" + verdict + "\" cx=\"" + number(middle) + "\" cy=\"" + number(base - 4) +
                   "\" r=\"3\">" + title + "</circle>\n";
            continue;
        }
        any_ran = true;
        const double top = std::min(y_of(entry->cpu_seconds), base - 1.5);
        svg += "<rect class=\"" + verdict + "\" x=\"" + number(middle - bar / 2) + "\" y=\"" + number(top) +
               "\" width=\"" + number(bar) + "\" height=\"" + number(base - top) + "\">" + title + "</rect>\n";
    }
    if (!any_ran)
        svg += svg_text("none", (chart_left + right) / 2, chart_top + plot_height / 2, "middle", "no case ran");
    const double limit_y = y_of(limit);
    svg += svg_line("axis", chart_left, right, base, base) + "\n" +
           svg_line("limit", chart_left, right, limit_y, limit_y) +
           svg_text("limit", right + 4, limit_y - 2, "start", "limit") +
           svg_text("limit", right + 4, limit_y + 10, "start", seconds_text(limit)) + "\n";
    return svg + "</svg>";
}

std::string chart_section(const RunInfo& info, const Result& result, const Matrix& matrix)
{
    const double limit = info.limits.cpu_seconds;
    const TimeScale scale = time_scale(limit, result);
    const std::vector<std::string> labels = case_labels(matrix);
    std::string html =
        "<section id=\"times\">\n<h2>Processor time per case</h2>\n<p class=\"note\">Each bar is a case (";
    html += labels.empty() || labels.front() == matrix.rows.front()->name ? "by its name" : "by its row in the matrix";
    html += "), coloured by its verdict, on a logarithmic scale the charts share; the dashed line is the time limit, " +
            seconds_text(limit) + ". A dot marks a case that did not run.</p>\n<div class=\"charts\">\n";
    for (std::size_t column = 0; column < result.solutions.size(); ++column) {
        const SolutionResult& solution = result.solutions[column];
        html += "<figure><figcaption title=\"" + escaped(solution.name) + "\">" + escaped(solution.name) +
                "<span class=\"lang\">" + escaped(solution.language.empty() ? "command" : solution.language) +
                "</span></figcaption>" + time_chart(matrix.cells[column], labels, scale, limit) + "</figure>\n";
    }
    return html + "</div>\n</section>\n";
}

// A case shrunk by its content, short enough to show: the case, the
// expected and the found output, each a block of its lines.
std::string shrunk_content(const ShrunkContent& content)
{
    const ShownContent shown = shown_content(content);
    if (!shown.in_full)
        return "";
    const std::pair<const char*, const ShownText*> parts[] = {
        {"case", &shown.input}, {"expected", &shown.expected}, {"found", &shown.found}};
    std::string html = "<div class=\"shrunk\">";
    for (const auto& [name, part] : parts) {
        html += "<p class=\"label\">" + std::string(name) + "</p><pre>";
        for (const std::string& line : part->lines)
            html += escaped(line) + "\n";
        if (part->more > 0)
            html += "<em>(" + std::to_string(part->more) + " more lines)</em>\n";
        html += "</pre>";
    }
    return html + "</div>\n";
}

// --stress: the first failure and the smallest case found that still
// fails, with the line that replays it, and the case itself where it was
// shrunk by its content.
std::string shrinking_section(const RunInfo& info, const Result& result)
{
    if (!result.shrinking)
        return "";
    const Shrinking& shrinking = *result.shrinking;
    const SolutionResult& solution = result.solutions.front();
    const std::string to =
        shrinking.content
            ? content_attempts_text(shrinking) + " to " + case_title(shrinking.shrunk) + ", " +
                  content_size_text(*shrinking.content)
            : std::to_string(shrinking.attempts) + " attempts to " + case_title(shrinking.shrunk);
    return "<section id=\"shrinking\">\n<h2>Shrinking</h2>\n<p>The first failure, " +
           escaped(case_title(shrinking.original)) + ": " + escaped(verdict_line(shrinking.original)) +
           "</p>\n<p>shrunk in " + escaped(to) + ":</p>\n" + failure_detail(info, solution, shrinking.shrunk) +
           "\n" + (shrinking.content ? shrunk_content(*shrinking.content) : "") + "</section>\n";
}

}  // namespace

std::string html_report(const RunInfo& info, const Result& result)
{
    const Matrix matrix = matrix_of(result);
    const int count = static_cast<int>(result.solutions.size());
    const std::string title = page_title(info) + ": " + std::to_string(solutions_passed(result)) +
                              " of " + std::to_string(count) + (count == 1 ? " solution" : " solutions") + " passed";
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
                       "style-src 'unsafe-inline'\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                       escaped(title) + "</title>\n<style>" + page_css + verdict_css() + "</style>\n</head>\n<body>\n";
    page += page_heading(info, result, matrix);
    if (!result.solutions.empty()) {
        page += result.solutions.size() == 1 ? matrix_section(info, result, matrix)
                                             : roster_section(info, result, matrix);
        page += summary_section(result);
        page += chart_section(info, result, matrix);
    }
    page += shrinking_section(info, result);
    for (const PageSection& section : info.sections)
        page += "<section>\n<h2>" + escaped(section.heading) + "</h2>\n<pre>" + escaped(section.text) +
                "</pre>\n</section>\n";
    return page + "</body>\n</html>\n";
}

}  // namespace judge
