// The statement's two renderings. The PDF: a document of our own around
// problem.en.tex (a preamble that defines \problemname and the sample
// rows, the statement by \input, the samples), run through pdflatex twice
// under a time limit in a temporary folder, its log read for errors and
// overfull boxes. The HTML: the same statement converted by latex_html,
// the samples, one style sheet in the page, no outside resource.

#include "package/statement.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "judge/base/failure.hpp"
#include "judge/base/files.hpp"
#include "judge/run/process.hpp"
#include "judge/run/programs.hpp"
#include "judge/run/temporary.hpp"
#include "package/latex_html.hpp"
#include "package/package.hpp"

namespace package {

namespace fs = std::filesystem;

namespace {

// The bounds on one pdflatex run; a statement takes about a second.
constexpr double pdflatex_wall_seconds = 120;
constexpr double pdflatex_cpu_seconds = 60;
constexpr std::uint64_t pdflatex_file_bytes = std::uint64_t{256} << 20;

// Beside the two files, what they were made from (a digest) and what the
// build said of them; zip leaves it out, as every name beginning with '.'.
constexpr const char* stamp_name = ".rendered";

// The rows of a sample that are kept on one page.
constexpr std::size_t unbroken_rows = 30;

// How the PDF looks: the page, the statement's paragraphs, the list marks
// (from the math fonts: the text bullet would be a bitmap font where the
// fonts are Computer Modern), the title and the footer, and the sample
// rows (a rule at the left, a margin that holds the mark of a continued
// row, fixed-width columns; an overfull row is reported like any overfull
// line).
constexpr const char* latex_preamble = R"(\documentclass[11pt,a4paper]{article}
\usepackage[margin=25mm]{geometry}
\usepackage{amsmath}
\usepackage{amssymb}
\setlength{\parindent}{0pt}
\setlength{\parskip}{0.5\baselineskip plus 2pt}
\emergencystretch=2em
\renewcommand{\labelitemi}{$\bullet$}
\renewcommand{\labelitemii}{\normalfont\bfseries --}
\renewcommand{\labelitemiii}{$\ast$}
\renewcommand{\labelitemiv}{$\cdot$}
\def\problemtitle{}
\newcommand{\problemname}[1]{\gdef\problemtitle{#1}{\centering\LARGE\bfseries #1\par}\bigskip}
\makeatletter
\renewcommand{\@oddfoot}{\hfil\footnotesize\problemtitle\ --\ page \thepage\ of \pageref{statement-end}\hfil}
\renewcommand{\@evenfoot}{\@oddfoot}
\makeatother
\newdimen\samplecolumn
\newenvironment{sampletext}[1]{\par\medskip\textbf{#1}\par\nobreak\vskip2pt
  \small\ttfamily\samplecolumn=\fontcharwd\font`0\relax\parskip=0pt\relax}{\par}
\newcommand{\sampleline}[1]{\hbox to\linewidth{\vrule\hbox to1.5em{}\strut#1\hfil}}
\newcommand{\samplemore}[1]{\hbox to\linewidth{\vrule\hbox to1.5em{\hss$\scriptstyle\hookrightarrow$\hss}\strut#1\hfil}}
\newcommand{\sampletab}{\hbox to\samplecolumn{\hss$\scriptscriptstyle\rightarrow$\hss}}
\newcommand{\sampleblank}{\char32 }
\newcommand{\samplebyte}[1]{\hbox to4\samplecolumn{\hss$\langle$\textrm{\scriptsize #1}$\rangle$\hss}}
\newcommand{\samplemark}[1]{{\small\ttfamily\samplecolumn=\fontcharwd\font`0\relax #1}}
\newcommand{\samplecut}[1]{\par\smallskip{\small\itshape Only the beginning is shown here: the whole sample is the file \texttt{#1}.}\par}
)";

// How the HTML looks.
constexpr const char* html_style = R"(body { font-family: "DejaVu Serif", Georgia, serif; color: #111; line-height: 1.45;
  max-width: 50em; margin: 2em auto; padding: 0 1em; }
h1 { text-align: center; font-size: 1.8em; margin-bottom: 1em; }
h2 { font-size: 1.3em; margin: 1.6em 0 0.5em; }
h3 { font-size: 1.1em; }
p { margin: 0.6em 0; }
li { margin: 0.25em 0; }
code, pre { font-family: "DejaVu Sans Mono", Menlo, Consolas, monospace; font-size: 0.88em; }
.math { white-space: nowrap; }
.math .upright { font-style: normal; }
.display { text-align: center; margin: 0.8em 0; }
table.tabular { border-collapse: collapse; margin: 0.8em 0; }
table.tabular td { padding: 0.25em 0.6em; vertical-align: top; }
table.ruled td { border: 1px solid #888; }
td.c { text-align: center; }
td.r { text-align: right; }
pre.verbatim { background: #f6f6f6; padding: 0.5em 0.8em; overflow-x: auto; }
table.sample { width: 100%; border-collapse: collapse; table-layout: fixed; margin: 1.2em 0 0.4em; }
table.sample th { text-align: left; font-weight: bold; padding: 0.2em 0.5em; }
table.sample td { vertical-align: top; border: 1px solid #aaa; padding: 0; background: #f6f6f6; }
table.sample pre { margin: 0; padding: 0.5em 0.7em; white-space: pre-wrap; overflow-wrap: anywhere;
  min-height: 1.2em; }
.tab, .blank { display: inline-block; width: 1ch; overflow: hidden; position: relative; vertical-align: bottom; }
.tab::before { content: "\2192"; position: absolute; left: 0; color: #888; }
.blank::before { content: "\2423"; position: absolute; left: 0; color: #888; }
.byte { color: #a00; }
p.sample-note { font-size: 0.9em; color: #444; }
)";

std::string read_text(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// One sample: its name (the file's stem) and the text of each side.
struct Sample {
    std::string name;
    std::string input;
    std::string output;
};

// The samples in the order of their names, as the contest systems list
// them.
std::vector<Sample> read_samples(const fs::path& folder)
{
    std::vector<Sample> samples;
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return samples;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".in")
            samples.push_back({entry.path().stem().string(), read_text(entry.path()),
                               read_text(fs::path(entry.path()).replace_extension(".ans"))});
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.name < b.name; });
    return samples;
}

// A byte that a sample shows by its code: a control character other than
// the tab, or one outside ASCII.
bool shown_by_code(unsigned char c)
{
    return (c < 32 && c != '\t') || c >= 127;
}

std::size_t columns_of(unsigned char c)
{
    return shown_by_code(c) ? 4 : 1;
}

// The rows a line takes on the page: a new row where the next character
// would pass the last column, and one for an empty line.
std::size_t rows_of(const std::string& line)
{
    std::size_t rows = 1;
    std::size_t width = 0;
    for (const char c : line) {
        const std::size_t next = columns_of(static_cast<unsigned char>(c));
        if (width + next > sample_columns) {
            ++rows;
            width = 0;
        }
        width += next;
    }
    return rows;
}

std::string hex_code(unsigned char c)
{
    constexpr const char* digits = "0123456789ABCDEF";
    return {digits[c >> 4], digits[c & 15]};
}

// Where a line's closing run of blanks begins.
std::size_t trailing_blanks(const std::string& line)
{
    const std::size_t last = line.find_last_not_of(' ');
    return last == std::string::npos ? 0 : last + 1;
}

// Text as LaTeX sets it in the body font: its special characters escaped.
std::string latex_text(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        if (std::string_view("#$%&_{}").find(c) != std::string_view::npos)
            escaped += std::string("\\") + c;
        else if (c == '\\' || c == '~' || c == '^')
            escaped += c == '\\' ? "\\textbackslash{}" : c == '~' ? "\\textasciitilde{}" : "\\textasciicircum{}";
        else
            escaped += c;
    }
    return escaped;
}

// The sentence under the samples that explains their marks, in each
// format: "" when none is needed.
std::string marks_sentence(const SampleMarks& marks, bool latex)
{
    std::vector<std::string> parts;
    if (marks.tab)
        parts.push_back(latex ? "\\samplemark{\\sampletab} stands for a tab" : "\u2192 stands for a tab");
    if (marks.blank)
        parts.push_back(latex ? "\\samplemark{\\sampleblank} for a blank at the end of a line"
                              : "\u2423 for a blank at the end of a line");
    if (marks.byte)
        parts.push_back(latex ? "\\samplemark{\\samplebyte{0D}} for the byte of that hexadecimal code"
                              : "\u27e80D\u27e9 for the byte of that hexadecimal code");
    if (marks.continued && latex)
        parts.push_back("$\\hookrightarrow$ begins a row that continues the line above it");
    if (parts.empty())
        return "";
    std::string sentence = "In the samples, ";
    for (std::size_t i = 0; i < parts.size(); ++i)
        sentence += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return sentence + ".";
}

std::string latex_document(const std::vector<Sample>& samples)
{
    std::string document = std::string(latex_preamble) + "\\begin{document}\n\\input{problem.en.tex}\n";
    SampleMarks marks;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        const auto side = [&](const std::string& title, const std::string& text, const std::string& file) {
            const SampleView view = sample_view(text);
            document += "\\begin{sampletext}{" + title + " " + number + "}\n" + sample_latex(view, marks) +
                        "\\end{sampletext}\n";
            if (!view.whole)
                document += "\\samplecut{" + latex_text(file) + "}\n";
        };
        side("Sample Input", samples[i].input, samples[i].name + ".in");
        side("Sample Output", samples[i].output, samples[i].name + ".ans");
    }
    const std::string sentence = marks_sentence(marks, true);
    if (!sentence.empty())
        document += "\\par\\medskip{\\small " + sentence + "}\\par\n";
    return document + "\\label{statement-end}\n\\end{document}\n";
}

std::string html_document(const HtmlStatement& statement, const std::vector<Sample>& samples)
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                       statement.title_text + "</title>\n<style>\n" + html_style + "</style>\n</head>\n<body>\n<main>\n";
    if (!statement.title.empty())
        page += "<h1>" + statement.title + "</h1>\n";
    page += statement.body;
    SampleMarks marks;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        const std::string id = "sample-" + number;
        const SampleView input = sample_view(samples[i].input);
        const SampleView output = sample_view(samples[i].output);
        // The line end after <pre> is dropped by the parser, so that a
        // sample beginning with an empty line keeps it.
        page += "<table class=\"sample\" id=\"" + id + "\">\n<tr><th>Sample Input " + number +
                "</th><th>Sample Output " + number + "</th></tr>\n<tr><td><pre id=\"" + id + "-input\">\n" +
                sample_html(input, marks) + "</pre></td><td><pre id=\"" + id + "-output\">\n" +
                sample_html(output, marks) + "</pre></td></tr>\n</table>\n";
        for (const auto& [view, file] : {std::pair{&input, samples[i].name + ".in"},
                                         std::pair{&output, samples[i].name + ".ans"}})
            if (!view->whole)
                page += "<p class=\"sample-note\">Only the beginning of " + html_escaped(file) +
                        " is shown here: the whole sample is that file.</p>\n";
    }
    const std::string sentence = marks_sentence(marks, false);
    if (!sentence.empty())
        page += "<p class=\"sample-note\">" + sentence + "</p>\n";
    return page + "</main>\n</body>\n</html>\n";
}

// The first error pdflatex logged, as "file:line: message" (the file as it
// stands in the package).
std::string first_error(const std::string& log)
{
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("./problem.en.tex:", 0) == 0)
            return "problem_statement/problem.en.tex" + line.substr(16);
        if (line.rfind("./", 0) == 0 && line.find(": ") != std::string::npos)
            return line.substr(2);
        if (line.rfind("! ", 0) == 0)
            return line.substr(2);
    }
    return "see its log";
}

void run_pdflatex(const std::string& pdflatex, const std::string& folder)
{
    judge::Launch launch;
    launch.argv = {pdflatex, "-interaction=nonstopmode", "-halt-on-error", "-file-line-error", "-no-shell-escape",
                   "statement.tex"};
    launch.directory = folder;
    launch.output = folder + "/pdflatex.out";
    launch.error = folder + "/pdflatex.err";
    launch.limits.wall_seconds = pdflatex_wall_seconds;
    launch.limits.cpu_seconds = pdflatex_cpu_seconds;
    launch.limits.file_bytes = pdflatex_file_bytes;
    const judge::Outcome outcome = judge::run(launch);
    if (outcome.ending == judge::Ending::exited && outcome.code == 0)
        return;
    if (outcome.ending == judge::Ending::not_started)
        throw judge::SetupError("cannot run " + pdflatex + ": " + outcome.why);
    if (outcome.ending == judge::Ending::exited)
        throw PackageError("the statement does not render: " + first_error(read_text(folder + "/statement.log")));
    throw PackageError("pdflatex did not finish the statement: " +
                       (outcome.why.empty() ? std::string("it was stopped") : outcome.why));
}

// The pages of the PDF, from the log's last line about it.
int pages_of(const std::string& log)
{
    const std::size_t at = log.rfind("Output written on statement.pdf (");
    if (at == std::string::npos)
        return 0;
    return std::atoi(log.c_str() + at + std::string_view("Output written on statement.pdf (").size());
}

std::vector<std::string> warnings_of(const std::string& log)
{
    std::vector<std::string> warnings;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Overfull \\", 0) == 0 || line.rfind("LaTeX Warning: ", 0) == 0)
            warnings.push_back(line);
    return warnings;
}

// What the build says of the statement.
void report(const RenderedStatement& rendered)
{
    if (!rendered.pdf) {
        std::printf("Statement: problem_statement/problem.html\n");
        return;
    }
    std::printf("Statement: problem_statement/problem.pdf (%d page%s%s) and problem_statement/problem.html\n",
                rendered.pages, rendered.pages == 1 ? "" : "s", rendered.unchanged ? ", unchanged" : "");
    for (const std::string& warning : rendered.warnings)
        std::printf("statement: %s\n", warning.c_str());
}

// A digest of everything the two files are made from: the statement, the
// samples, and how they are laid out (FNV-1a over each part and its length).
std::string fingerprint_of(const std::string& tex, const std::vector<Sample>& samples)
{
    std::uint64_t hash = 14695981039346656037u;
    const auto add = [&](std::string_view part) {
        for (const char c : std::to_string(part.size()) + ":")
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
        for (const char c : part)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    };
    add(latex_preamble);
    add(html_style);
    add(tex);
    for (const Sample& sample : samples) {
        add(sample.name);
        add(sample.input);
        add(sample.output);
    }
    char text[32];
    std::snprintf(text, sizeof text, "statement %016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

SampleView sample_view(const std::string& text)
{
    SampleView view;
    std::size_t rows = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        const bool ended = end != std::string::npos;
        if (!ended)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        const std::size_t line_rows = rows_of(line);
        if (rows + line_rows > sample_rows) {
            // The line that does not fit: as much of it as the rows left
            // hold, row by row as sample_latex wraps it.
            view.whole = false;
            std::size_t kept = 0;
            for (std::size_t row = rows + 1, width = 0; kept < line.size(); ++kept) {
                const std::size_t next = columns_of(static_cast<unsigned char>(line[kept]));
                if (width + next > sample_columns) {
                    ++row;
                    width = 0;
                }
                if (row > sample_rows)
                    break;
                width += next;
            }
            if (kept > 0) {
                view.lines.push_back(line.substr(0, kept));
                view.ended = false;
            }
            return view;
        }
        rows += line_rows;
        view.lines.push_back(line);
        view.ended = ended;
        at = end + 1;
    }
    return view;
}

std::string sample_latex(const SampleView& view, SampleMarks& marks)
{
    // A short sample is kept on one page; a longer one breaks anywhere.
    std::size_t rows = 0;
    for (const std::string& line : view.lines)
        rows += rows_of(line);
    const std::string between = rows <= unbroken_rows ? "\\nobreak\n" : "";
    std::string latex;
    for (const std::string& line : view.lines) {
        const std::size_t blanks_from = trailing_blanks(line);
        std::string row;
        std::size_t width = 0;
        bool first = true;
        const auto end_row = [&] {
            if (!latex.empty())
                latex += between;
            latex += (first ? "\\sampleline{" : "\\samplemore{") + row + "}\n";
            marks.continued = marks.continued || !first;
            row.clear();
            width = 0;
            first = false;
        };
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            if (width + columns_of(c) > sample_columns)
                end_row();
            width += columns_of(c);
            if (c == ' ' && i >= blanks_from) {
                row += "\\sampleblank{}";
                marks.blank = true;
            } else if (c == ' ') {
                row += "\\ ";
            } else if (c == '\t') {
                row += "\\sampletab{}";
                marks.tab = true;
            } else if (shown_by_code(c)) {
                row += "\\samplebyte{" + hex_code(c) + "}";
                marks.byte = true;
            } else if (std::isalnum(c)) {
                row += static_cast<char>(c);
            } else {
                // By its place in the typewriter font, where every ASCII
                // character stands (the quotes upright at 13 and 18).
                const int place = c == '\'' ? 13 : c == '`' ? 18 : c;
                row += "\\char" + std::to_string(place) + " ";
            }
        }
        end_row();
    }
    return latex;
}

std::string sample_html(const SampleView& view, SampleMarks& marks)
{
    std::string html;
    for (std::size_t n = 0; n < view.lines.size(); ++n) {
        const std::string& line = view.lines[n];
        const std::size_t blanks_from = trailing_blanks(line);
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            if (c == ' ' && i >= blanks_from) {
                html += "<span class=\"blank\"> </span>";
                marks.blank = true;
            } else if (c == '\t') {
                html += "<span class=\"tab\">\t</span>";
                marks.tab = true;
            } else if (shown_by_code(c)) {
                html += "<span class=\"byte\">\u27e8" + hex_code(c) + "\u27e9</span>";
                marks.byte = true;
            } else {
                html += html_escaped(std::string_view(line).substr(i, 1));
            }
        }
        if (n + 1 < view.lines.size() || view.ended)
            html += '\n';
    }
    return html;
}

RenderedStatement render_statement(const fs::path& package, bool again)
{
    RenderedStatement rendered;
    const fs::path folder = package / "problem_statement";
    const fs::path source = folder / "problem.en.tex";
    std::error_code error;
    if (!fs::is_regular_file(source, error))
        throw PackageError("the package has no problem_statement/problem.en.tex");
    const std::string tex = read_text(source);
    const std::vector<Sample> samples = read_samples(package / "data" / "sample");

    // Made already from the same statement and samples: kept, as the
    // build keeps a case whose recipe did not change.
    const fs::path stamp = folder / stamp_name;
    const std::string fingerprint = fingerprint_of(tex, samples);
    if (!again && fs::is_regular_file(folder / "problem.pdf", error) &&
        fs::is_regular_file(folder / "problem.html", error)) {
        std::istringstream kept(read_text(stamp));
        std::string line;
        if (std::getline(kept, line) && line == fingerprint) {
            rendered.html = rendered.pdf = rendered.unchanged = true;
            kept >> rendered.pages;
            std::getline(kept, line);
            while (std::getline(kept, line))
                rendered.warnings.push_back(line);
            report(rendered);
            return rendered;
        }
    }
    fs::remove(stamp, error);

    HtmlStatement statement;
    try {
        statement = latex_to_html(tex);
    } catch (const LatexError& fault) {
        throw PackageError("problem_statement/problem.en.tex: " + std::string(fault.what()));
    }
    if (!judge::save_text(html_document(statement, samples), (folder / "problem.html").string()))
        throw judge::SetupError("cannot write " + (folder / "problem.html").string());
    rendered.html = true;

    const std::string pdflatex = judge::find_program("pdflatex", false);
    if (pdflatex.empty()) {
        fs::remove(folder / "problem.pdf", error);
        std::fprintf(stderr, "exercise-package: pdflatex is not on PATH, so the package has no "
                             "problem_statement/problem.pdf (tools/deps package installs it)\n");
        report(rendered);
        return rendered;
    }
    const judge::TemporaryFolder work;
    const fs::path here = work.path();
    if (!judge::save_text(tex, (here / "problem.en.tex").string()) ||
        !judge::save_text(latex_document(samples), (here / "statement.tex").string()))
        throw judge::SetupError("cannot write the statement's document in " + work.path());
    // Twice: the footer's page count is a reference to the last page.
    run_pdflatex(pdflatex, work.path());
    run_pdflatex(pdflatex, work.path());
    rendered.log = read_text(here / "statement.log");
    rendered.pages = pages_of(rendered.log);
    rendered.warnings = warnings_of(rendered.log);
    if (!judge::save_file((here / "statement.pdf").string(), (folder / "problem.pdf").string()))
        throw judge::SetupError("cannot write " + (folder / "problem.pdf").string());
    rendered.pdf = true;
    std::string kept = fingerprint + "\n" + std::to_string(rendered.pages) + "\n";
    for (const std::string& warning : rendered.warnings)
        kept += warning + "\n";
    judge::save_text(kept, stamp.string());  // without it the next build renders again
    report(rendered);
    return rendered;
}

}  // namespace package
