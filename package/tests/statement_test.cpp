// The statement as contestants get it: the LaTeX-to-HTML converter and the
// sample display on small inputs in process; pdflatex's part on small
// packages made by hand (an overfull line reported, a LaTeX error named,
// no pdflatex on PATH); and for each exercise a small package built as a
// user builds it, its problem.pdf checked through its log and rendered to
// a PNG left in the build folder to look at, its problem.html loaded in
// headless Chromium, both found in the zip.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "package/latex_html.hpp"
#include "package/package.hpp"
#include "package/statement.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using package::latex_to_html;
using testing_support::read_file;
using testing_support::RunOptions;
using testing_support::RunResult;
using testing_support::TempDir;

std::string body_of(const std::string& tex)
{
    return latex_to_html(tex).body;
}

// The message of the LatexError that converting tex throws, "" for none.
std::string refusal(const std::string& tex)
{
    try {
        latex_to_html(tex);
    } catch (const package::LatexError& error) {
        return error.what();
    }
    return "";
}

// ---- the converter ----

TEST(LatexHtml, TitleSectionsAndParagraphs)
{
    const package::HtmlStatement statement = latex_to_html(
        "\\problemname{Tabs \\& \\emph{Blanks}}\n\nA first\nparagraph.\n\n\n"
        "The second.\n\\section*{Input}\nText after  it.\n\\subsection{Notes}\n\\par\nLast.\n");
    EXPECT_EQ(statement.title, "Tabs &amp; <em>Blanks</em>");
    EXPECT_EQ(statement.title_text, "Tabs &amp; Blanks");
    EXPECT_EQ(statement.body,
              "<p>A first paragraph.</p>\n<p>The second.</p>\n<h2>Input</h2>\n<p>Text after it.</p>\n"
              "<h3>Notes</h3>\n<p>Last.</p>\n");
}

// White space as TeX reads it: a comment eats its line end and the next
// line's indent, a control word the blanks after it, and a line of only a
// comment does not break the paragraph, while an empty line after one does.
TEST(LatexHtml, CommentsAndControlWordsSpaceAsTeXDoes)
{
    EXPECT_EQ(body_of("one%\n   two"), "<p>onetwo</p>\n");
    EXPECT_EQ(body_of("one\n% a comment\ntwo"), "<p>one two</p>\n");
    EXPECT_EQ(body_of("one % a comment\n\ntwo"), "<p>one</p>\n<p>two</p>\n");
    EXPECT_EQ(body_of("a\\ldots   b, \\ldots\nc, x\\ y"), "<p>a\u2026b, \u2026c, x y</p>\n");
    EXPECT_EQ(body_of("line\\\\next \\noindent\\medskip end"), "<p>line<br>next end</p>\n");
}

TEST(LatexHtml, StylesQuotesDashesAndEscapes)
{
    EXPECT_EQ(body_of("\\emph{e} \\textit{i} \\textbf{b} \\texttt{t--``x''<y>}"),
              "<p><em>e</em> <em>i</em> <strong>b</strong> <code>t--``x''&lt;y&gt;</code></p>\n");
    EXPECT_EQ(body_of("``q'' `s' it's 1--2---3"), "<p>\u201cq\u201d \u2018s\u2019 it\u2019s 1\u20132\u20143</p>\n");
    EXPECT_EQ(body_of("50\\% \\{\\} \\_ \\# \\$ \\& a~b 8\\,247 \\textbackslash{} \"q\" x<y"),
              "<p>50% {} _ # $ &amp; a&nbsp;b 8\u202f247 \\ &quot;q&quot; x&lt;y</p>\n");
    EXPECT_EQ(body_of("{grouped \\texttt{{a}b}} text"), "<p>grouped <code>ab</code> text</p>\n");
}

TEST(LatexHtml, ListsNestAndHoldParagraphs)
{
    EXPECT_EQ(body_of("\\begin{enumerate}\n\\item one\n\\item two\n  \\begin{itemize}\n  \\item inner\n"
                      "  \\end{itemize}\n\\item three\n\nmore\n\\end{enumerate}\nafter"),
              "<ol>\n<li>one</li>\n<li><p>two</p>\n<ul>\n<li>inner</li>\n</ul>\n</li>\n"
              "<li><p>three</p>\n<p>more</p>\n</li>\n</ol>\n<p>after</p>\n");
    EXPECT_EQ(body_of("\\begin{itemize}\n\\end{itemize}"), "<ul>\n</ul>\n");
}

TEST(LatexHtml, TablesTakeColumnsRulesAndCells)
{
    EXPECT_EQ(body_of("\\begin{tabular}{|l|c|r|p{3cm}|}\n\\hline\na & b & c & d \\\\\n\\hline\n"
                      "1 & \\texttt{2} & $x$ & four words \\\\\n\\hline\n\\end{tabular}"),
              "<table class=\"tabular ruled\">\n"
              "<tr><td class=\"l\">a</td><td class=\"c\">b</td><td class=\"r\">c</td><td class=\"p\">d</td></tr>\n"
              "<tr><td class=\"l\">1</td><td class=\"c\"><code>2</code></td>"
              "<td class=\"r\"><span class=\"math\"><i>x</i></span></td><td class=\"p\">four words</td></tr>\n"
              "</table>\n");
    // No rules, a last row without \\, a row with fewer cells.
    EXPECT_EQ(body_of("\\begin{tabular}{ll}\na & b \\\\\nc\n\\end{tabular}"),
              "<table class=\"tabular\">\n<tr><td class=\"l\">a</td><td class=\"l\">b</td></tr>\n"
              "<tr><td class=\"l\">c</td></tr>\n</table>\n");
}

TEST(LatexHtml, VerbatimKeepsItsTextAsTyped)
{
    EXPECT_EQ(body_of("before\n\\begin{verbatim}\n  x <y> & \\emph{z} %\n\tq\n\\end{verbatim}\nafter \\verb|a&\\b| !"),
              "<p>before</p>\n<pre class=\"verbatim\">\n  x &lt;y&gt; &amp; \\emph{z} %\n\tq\n</pre>\n"
              "<p>after <code>a&amp;\\b</code> !</p>\n");
}

TEST(LatexHtml, MathSpacesOperatorsAndScripts)
{
    EXPECT_EQ(body_of("$a_{k-1} \\le 2^{31}-1$"),
              "<p><span class=\"math\"><i>a</i><sub><i>k</i>\u22121</sub> \u2264 2<sup>31</sup> \u2212 1</span></p>\n");
    // A minus after an operator or at the start is a sign; a comma is
    // followed by a space; \bmod and \cdot are operators.
    EXPECT_EQ(body_of("$-5, (x \\bmod M) \\cdot -q$"),
              "<p><span class=\"math\">\u22125, (<i>x</i> mod <i>M</i>) \u00b7 \u2212<i>q</i></span></p>\n");
    EXPECT_EQ(body_of("$8\\,247 \\ge n_2 \\ldots \\text{if $k$}$"),
              "<p><span class=\"math\">8\u202f247 \u2265 <i>n</i><sub>2</sub>\u2026<span class=\"upright\">if "
              "<span class=\"math\"><i>k</i></span></span></span></p>\n");
    EXPECT_EQ(body_of("x\n\\[\n  y = 3 \\quad (k \\ge 3)\n\\]\nz"),
              "<p>x</p>\n<div class=\"display\"><span class=\"math\"><i>y</i> = 3\u2003(<i>k</i> \u2265 3)"
              "</span></div>\n<p>z</p>\n");
}

// What it does not take is refused with the line it stands on.
TEST(LatexHtml, RefusesWhatItDoesNotTake)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ok\n\\foo", "line 2: \\foo is not supported"},
        {"\\begin{center}\nx\n\\end{center}", "line 1: the environment center is not supported"},
        {"a}", "line 1: a } closes no {"},
        {"{a\n\nb}", "line 3: an empty line inside {...}"},
        {"\\emph{a", "line 1: a { is not closed"},
        {"$a", "line 1: a $ is not closed"},
        {"\\item x", "line 1: \\item outside a list"},
        {"\\begin{itemize}\n\\item a\n\\end{enumerate}", "line 3: \\end{enumerate} where \\end{itemize} belongs"},
        {"\\begin{itemize}\ntext\\item a\\end{itemize}", "line 2: a list holds nothing before its first \\item"},
        {"\\begin{itemize}\\item[x] a\\end{itemize}", "line 1: \\item[...] is not supported"},
        {"a & b", "line 1: & outside a table"},
        {"a_b", "line 1: the character _ must be written \\_"},
        {"$\\alpha$", "line 1: \\alpha is not supported in math"},
        {"\\begin{tabular}{l}\na & b\n\\end{tabular}", "line 2: a table row with more cells than the table has columns"},
        {"\\begin{tabular}{lx}\\end{tabular}", "line 1: the table column x is not supported (l, c, r, p{...} and |)"},
        {"\\emph{\\section{x}}", "line 1: \\section cannot stand inside {...} or a table cell"},
        {"\\begin{verbatim}\nx", "line 1: \\begin{verbatim} is not closed"},
        {"\\verb|x\n|", "line 1: \\verb| is not closed on its line"},
        {"\\end{itemize}", "line 1: \\end{itemize} ends no environment"},
    };
    for (const auto& [tex, message] : cases)
        EXPECT_EQ(refusal(tex), message) << tex;
}

// ---- the sample display ----

TEST(SampleView, ShowsAShortSampleWhole)
{
    const package::SampleView view = package::sample_view("a\n\nb\n");
    EXPECT_EQ(view.lines, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(view.ended);
    EXPECT_TRUE(view.whole);
    EXPECT_TRUE(package::sample_view("").lines.empty());
    const package::SampleView open = package::sample_view("a\nlast");
    EXPECT_EQ(open.lines, (std::vector<std::string>{"a", "last"}));
    EXPECT_FALSE(open.ended);
    EXPECT_TRUE(open.whole);
}

// A long sample is cut after the rows a page or two holds: whole lines
// first, then as much of the next line as the rows left hold.
TEST(SampleView, CutsALongSampleAtItsRows)
{
    std::string many;
    for (int i = 0; i < 150; ++i)
        many += "x\n";
    const package::SampleView lines = package::sample_view(many);
    EXPECT_EQ(lines.lines.size(), package::sample_rows);
    EXPECT_FALSE(lines.whole);

    std::string text;
    for (std::size_t i = 0; i + 1 < package::sample_rows; ++i)
        text += "y\n";
    text += std::string(500, 'z') + "\nnext\n";
    const package::SampleView cut = package::sample_view(text);
    ASSERT_EQ(cut.lines.size(), package::sample_rows);
    EXPECT_EQ(cut.lines.back(), std::string(package::sample_columns, 'z'));
    EXPECT_FALSE(cut.ended);
    EXPECT_FALSE(cut.whole);

    const package::SampleView one = package::sample_view(std::string(1'000'000, 'w'));
    ASSERT_EQ(one.lines.size(), 1u);
    EXPECT_EQ(one.lines[0].size(), package::sample_rows * package::sample_columns);
}

// Each character as the typewriter font prints it, tabs and closing blanks
// and other bytes marked, a line past the last column wrapped onto a
// continued row, and the rows of a short sample kept together.
TEST(SampleDisplay, LatexRowsMarkAndWrap)
{
    package::SampleMarks marks;
    package::SampleView view;
    view.lines = {"\tx y  ", "a\\{}%$'`~\r9"};
    EXPECT_EQ(package::sample_latex(view, marks),
              "\\sampleline{\\sampletab{}x\\ y\\sampleblank{}\\sampleblank{}}\n\\nobreak\n"
              "\\sampleline{a\\char92 \\char123 \\char125 \\char37 \\char36 \\char13 \\char18 \\char126 "
              "\\samplebyte{0D}9}\n");
    EXPECT_TRUE(marks.tab && marks.blank && marks.byte);
    EXPECT_FALSE(marks.continued);

    package::SampleMarks wrapped;
    view.lines = {std::string(package::sample_columns + 3, 'q')};
    EXPECT_EQ(package::sample_latex(view, wrapped), "\\sampleline{" + std::string(package::sample_columns, 'q') +
                                                        "}\n\\nobreak\n\\samplemore{qqq}\n");
    EXPECT_TRUE(wrapped.continued);
    EXPECT_FALSE(wrapped.tab || wrapped.blank || wrapped.byte);

    // Long samples may break between any two rows.
    view.lines.assign(40, "r");
    EXPECT_EQ(package::sample_latex(view, wrapped).find("\\nobreak"), std::string::npos);
}

// The <pre> holds the sample's own text: its marks are classes on spans
// around the tab and blank characters themselves.
TEST(SampleDisplay, HtmlKeepsTheSampleText)
{
    package::SampleMarks marks;
    package::SampleView view;
    view.lines = {"<a>&\t\"b\" ", ""};
    EXPECT_EQ(package::sample_html(view, marks),
              "&lt;a&gt;&amp;<span class=\"tab\">\t</span>&quot;b&quot;<span class=\"blank\"> </span>\n\n");
    EXPECT_TRUE(marks.tab && marks.blank);
    EXPECT_FALSE(marks.byte);
    view.ended = false;
    view.lines = {"x"};
    EXPECT_EQ(package::sample_html(view, marks), "x");
}

// ---- rendering ----

bool on_path(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path == nullptr ? "" : path);
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

void write_file(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A package with only what the statement is made of.
void make_statement_package(const fs::path& folder, const std::string& tex)
{
    write_file(folder / "problem_statement" / "problem.en.tex", tex);
    write_file(folder / "data" / "sample" / "1.in", "b2t 4\n      x\n\ty\n");
    write_file(folder / "data" / "sample" / "1.ans", "\t  x\n\ty\n2 7 13\n2 4 10\n");
}

TEST(RenderStatement, ReportsAnOverfullLine)
{
    if (!on_path("pdflatex"))
        GTEST_SKIP() << "no pdflatex on PATH";
    const TempDir work;
    make_statement_package(work.path(), "\\problemname{Wide}\n\nA word too long: \\texttt{" + std::string(120, 'x') +
                                            "}.\n");
    testing::internal::CaptureStdout();
    const package::RenderedStatement rendered = package::render_statement(work.path());
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(rendered.pdf);
    EXPECT_EQ(rendered.pages, 1);
    ASSERT_EQ(rendered.warnings.size(), 1u) << rendered.log;
    EXPECT_EQ(rendered.warnings[0].rfind("Overfull \\hbox (", 0), 0u) << rendered.warnings[0];
    EXPECT_NE(said.find("statement: Overfull \\hbox ("), std::string::npos) << said;
    EXPECT_EQ(read_file(work.path() / "problem_statement" / "problem.pdf").substr(0, 5), "%PDF-");

    // Rendered again from the same sources: kept, and said the same.
    testing::internal::CaptureStdout();
    const package::RenderedStatement kept = package::render_statement(work.path());
    const std::string said_again = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(kept.unchanged && kept.pdf && kept.html);
    EXPECT_TRUE(kept.log.empty());
    EXPECT_EQ(kept.pages, 1);
    EXPECT_EQ(kept.warnings, rendered.warnings);
    EXPECT_EQ(said_again.substr(0, said_again.find('\n')),
              "Statement: problem_statement/problem.pdf (1 page, unchanged) and problem_statement/problem.html");
    EXPECT_NE(said_again.find("statement: " + rendered.warnings[0]), std::string::npos) << said_again;
}

// A changed sample, a changed statement, or asked to: rendered anew.
TEST(RenderStatement, RendersAgainWhatChanged)
{
    if (!on_path("pdflatex"))
        GTEST_SKIP() << "no pdflatex on PATH";
    const TempDir work;
    make_statement_package(work.path(), "\\problemname{Kept}\n\nText.\n");
    testing::internal::CaptureStdout();
    const bool first = package::render_statement(work.path()).unchanged;
    const bool second = package::render_statement(work.path()).unchanged;
    write_file(work.path() / "data" / "sample" / "1.ans", "changed\n");
    const bool sample_changed = package::render_statement(work.path()).unchanged;
    const std::string html = read_file(work.path() / "problem_statement" / "problem.html");
    write_file(work.path() / "problem_statement" / "problem.en.tex", "\\problemname{Kept}\n\nOther text.\n");
    const bool statement_changed = package::render_statement(work.path()).unchanged;
    const package::RenderedStatement asked = package::render_statement(work.path(), true);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(first);
    EXPECT_TRUE(second);
    EXPECT_FALSE(sample_changed);
    EXPECT_NE(html.find("<pre id=\"sample-1-output\">\nchanged\n</pre>"), std::string::npos) << html;
    EXPECT_FALSE(statement_changed);
    EXPECT_FALSE(asked.unchanged);
    EXPECT_FALSE(asked.log.empty());
}

// LaTeX that the converter takes but pdflatex does not: the error with its
// line in the package's file.
TEST(RenderStatement, NamesTheLineOfALatexError)
{
    if (!on_path("pdflatex"))
        GTEST_SKIP() << "no pdflatex on PATH";
    const TempDir work;
    make_statement_package(work.path(), "\\problemname{Broken}\n\nText.\n\n\\emph{\\verb|x|}\n");
    try {
        package::render_statement(work.path());
        ADD_FAILURE() << "no error";
    } catch (const package::PackageError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "the statement does not render: problem_statement/problem.en.tex:5: LaTeX Error: \\verb illegal "
                  "in argument.");
    }
    EXPECT_FALSE(fs::exists(work.path() / "problem_statement" / "problem.pdf"));
}

// Without pdflatex the HTML is still written, an old PDF is removed, and
// what is missing is said once.
TEST(RenderStatement, WithoutPdflatexWritesTheHtmlAlone)
{
    const TempDir work;
    make_statement_package(work.path(), "\\problemname{Plain}\n\nText.\n");
    write_file(work.path() / "problem_statement" / "problem.pdf", "an old one");
    const std::string path = std::getenv("PATH") == nullptr ? "" : std::getenv("PATH");
    ::setenv("PATH", (work.path() / "nothing").c_str(), 1);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const package::RenderedStatement rendered = package::render_statement(work.path());
    const std::string said = testing::internal::GetCapturedStdout();
    const std::string complained = testing::internal::GetCapturedStderr();
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_TRUE(rendered.html);
    EXPECT_FALSE(rendered.pdf);
    EXPECT_FALSE(fs::exists(work.path() / "problem_statement" / "problem.pdf"));
    EXPECT_EQ(complained, "exercise-package: pdflatex is not on PATH, so the package has no "
                          "problem_statement/problem.pdf (tools/deps package installs it)\n");
    EXPECT_EQ(said, "Statement: problem_statement/problem.html\n");
    const std::string html = read_file(work.path() / "problem_statement" / "problem.html");
    EXPECT_NE(html.find("<h1>Plain</h1>\n<p>Text.</p>\n"), std::string::npos) << html;
    EXPECT_NE(html.find("In the samples, \u2192 stands for a tab.</p>"), std::string::npos) << html;
}

// ---- the exercises' statements ----

RunResult exercise_package(const fs::path& folder, const std::vector<std::string>& args)
{
    RunOptions options;
    options.args = args;
    options.directory = folder.string();
    return testing_support::run("exercise-package", "", options);
}

// Runs headless Chromium with a profile and a home of its own under folder;
// its standard output. A browser that hangs is killed after a minute, with
// its helpers (its process group).
std::string run_browser(const fs::path& folder, const std::vector<std::string>& args)
{
    const fs::path profile = folder / "profile";
    fs::create_directories(profile);
    std::vector<std::string> words{"chromium",         "--headless",     "--no-sandbox",
                                   "--disable-gpu",    "--disable-quic", "--no-first-run",
                                   "--disable-sync",   "--disable-component-update",
                                   "--disable-background-networking", "--user-data-dir=" + profile.string()};
    words.insert(words.end(), args.begin(), args.end());
    const std::string out = (folder / "browser.out").string();
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::setpgid(0, 0);
        ::setenv("HOME", folder.c_str(), 1);
        if (!std::freopen("/dev/null", "r", stdin) || !std::freopen(out.c_str(), "w", stdout) ||
            !std::freopen((folder / "browser.err").c_str(), "w", stderr))
            ::_exit(126);
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 1200) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            ADD_FAILURE() << "the browser did not finish in a minute";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(-pid, SIGKILL);  // any helper left behind
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << read_file(folder / "browser.err");
    return read_file(out);
}

// The text of the element that begins with opening in the DOM, its tags
// left out and its character references decoded.
std::string element_text(const std::string& dom, const std::string& opening, const std::string& closing)
{
    const std::size_t from = dom.find(opening);
    if (from == std::string::npos)
        return "(no " + opening + ")";
    const std::size_t to = dom.find(closing, from);
    const std::string inner = dom.substr(from + opening.size(), to - from - opening.size());
    std::string text;
    for (std::size_t at = 0; at < inner.size(); ++at) {
        if (inner[at] == '<') {
            at = inner.find('>', at);
            continue;
        }
        if (inner[at] == '&') {
            const std::size_t end = inner.find(';', at);
            const std::string name = inner.substr(at + 1, end - at - 1);
            text += name == "amp" ? "&" : name == "lt" ? "<" : name == "gt" ? ">" : name == "quot" ? "\"" : "\u00a0";
            at = end;
            continue;
        }
        text += inner[at];
    }
    return text;
}

// The \section*{...} titles of a statement.
std::vector<std::string> section_titles(const std::string& tex)
{
    std::vector<std::string> titles;
    constexpr std::string_view command = "\\section*{";
    for (std::size_t at = tex.find(command); at != std::string::npos; at = tex.find(command, at + 1)) {
        const std::size_t start = at + command.size();
        titles.push_back(tex.substr(start, tex.find('}', start) - start));
    }
    return titles;
}

std::set<std::string> zip_names(const fs::path& zip_file)
{
    std::set<std::string> names;
    int status = 0;
    zip_t* archive = zip_open(zip_file.c_str(), ZIP_RDONLY, &status);
    if (archive == nullptr)
        return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
        names.insert(zip_get_name(archive, static_cast<zip_uint64_t>(i), 0));
    zip_close(archive);
    return names;
}

struct Exercise {
    const char* name;
    const char* title;
    const char* short_name;  // of the PNG and the test
};

// How the test's name shows it.
void PrintTo(const Exercise& exercise, std::ostream* out)
{
    *out << exercise.name;
}

class Statements : public ::testing::TestWithParam<Exercise> {};

TEST_P(Statements, RenderedForContestants)
{
    const Exercise exercise = GetParam();
    const TempDir work;
    ASSERT_EQ(exercise_package(work.path(), {"new", "--small", exercise.name, "problem"}).status, 0);
    const RunResult built = exercise_package(work.path(), {"build", "problem"});
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    const fs::path package = work.path() / "problem";
    const fs::path statement = package / "problem_statement";
    std::vector<std::string> unchecked;

    // The page in a browser: the title, every section, every sample.
    const std::string html = read_file(statement / "problem.html");
    EXPECT_NE(html.find(std::string("<title>") + exercise.title + "</title>"), std::string::npos);
    if (on_path("chromium")) {
        const std::string dom = run_browser(work.path(), {"--dump-dom", "file://" + (statement / "problem.html").string()});
        EXPECT_EQ(element_text(dom, "<h1>", "</h1>"), exercise.title);
        const std::vector<std::string> sections = section_titles(read_file(statement / "problem.en.tex"));
        EXPECT_GE(sections.size(), 2u);
        for (const std::string& section : sections)
            EXPECT_NE(dom.find("<h2>" + section + "</h2>"), std::string::npos) << section;
        int samples = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator(package / "data" / "sample")) {
            if (entry.path().extension() != ".in")
                continue;
            ++samples;
        }
        ASSERT_GE(samples, 1);
        for (int n = 1; n <= samples; ++n) {
            const std::string name = "sample-" + std::to_string(n);
            for (const auto& [side, suffix] : {std::pair{"input", ".in"}, std::pair{"output", ".ans"}}) {
                const std::string file = read_file(package / "data" / "sample" / (name + suffix));
                const std::string shown = element_text(dom, "<pre id=\"" + name + "-" + side + "\">", "</pre>");
                EXPECT_EQ(shown.empty(), file.empty()) << name << suffix;
                // The whole sample, or its beginning with a note naming its file.
                if (shown != file) {
                    EXPECT_EQ(file.substr(0, shown.size()), shown) << name << suffix;
                    EXPECT_NE(dom.find("Only the beginning of " + name + suffix + " is shown here"), std::string::npos);
                }
                EXPECT_NE(dom.find(std::string("Sample ") + (side[0] == 'i' ? "Input " : "Output ") +
                                   std::to_string(n)),
                          std::string::npos);
            }
        }
    } else {
        unchecked.push_back("the HTML in a browser (no chromium on PATH)");
    }

    // The PDF: built, its log clean, its fonts outline fonts, its first
    // page rendered.
    if (!on_path("pdflatex")) {
        EXPECT_FALSE(fs::exists(statement / "problem.pdf"));
        EXPECT_NE(built.err.find("pdflatex is not on PATH"), std::string::npos) << built.err;
        unchecked.push_back("the PDF (no pdflatex on PATH)");
    } else {
        EXPECT_NE(built.out.find("Statement: problem_statement/problem.pdf ("), std::string::npos) << built.out;
        EXPECT_EQ(built.out.find("statement: "), std::string::npos) << built.out;
        EXPECT_EQ(read_file(statement / "problem.pdf").substr(0, 5), "%PDF-");
        // Rendered again in process, for pdflatex's log.
        testing::internal::CaptureStdout();
        const package::RenderedStatement rendered = package::render_statement(package, true);
        testing::internal::GetCapturedStdout();
        EXPECT_GE(rendered.pages, 1);
        EXPECT_TRUE(rendered.warnings.empty());
        EXPECT_EQ(rendered.log.find("Overfull"), std::string::npos) << rendered.log;
        EXPECT_EQ(rendered.log.find("\n!"), std::string::npos) << rendered.log;
        EXPECT_NE(rendered.log.find("(./problem.en.tex"), std::string::npos);
    }
    if (on_path("pdflatex") && on_path("pdftoppm") && on_path("pdffonts")) {
        // None made as a bitmap on this machine: Computer Modern's outlines.
        RunOptions fonts_of;
        fonts_of.args = {(statement / "problem.pdf").string()};
        const RunResult fonts = testing_support::run_path("pdffonts", "", fonts_of);
        EXPECT_EQ(fonts.status, 0) << fonts.err;
        EXPECT_NE(fonts.out.find("CMR10"), std::string::npos) << fonts.out;
        EXPECT_EQ(fonts.out.find("Type 3"), std::string::npos) << fonts.out;
        const fs::path png = fs::path(STATEMENT_PNG_DIR) / (std::string("statement-") + exercise.short_name);
        fs::remove(png.string() + ".png");
        RunOptions first_page;
        first_page.args = {"-png", "-r", "50", "-f", "1", "-l", "1", "-singlefile", (statement / "problem.pdf").string(),
                           png.string()};
        const RunResult pictured = testing_support::run_path("pdftoppm", "", first_page);
        ASSERT_EQ(pictured.status, 0) << pictured.err;
        EXPECT_EQ(read_file(png.string() + ".png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    } else if (on_path("pdflatex")) {
        unchecked.push_back("the PDF's fonts and first page (no pdftoppm or pdffonts on PATH)");
    }

    // Both in the zip that goes to the contest system.
    ASSERT_EQ(exercise_package(work.path(), {"zip", "--force", "problem"}).status, 0);
    const std::set<std::string> names = zip_names(work.path() / "problem.zip");
    EXPECT_EQ(names.count("problem_statement/problem.html"), 1u);
    EXPECT_EQ(names.count("problem_statement/problem.pdf"), fs::exists(statement / "problem.pdf") ? 1u : 0u);

    if (!unchecked.empty()) {
        std::string what;
        for (const std::string& part : unchecked)
            what += (what.empty() ? "" : "; ") + part;
        GTEST_SKIP() << "not checked: " << what;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryExercise, Statements,
                         ::testing::Values(Exercise{"pro3", "Sequence Terms", "pro3"},
                                           Exercise{"pro2", "Tabs and Blanks", "pro2"},
                                           Exercise{"pro6", "Merge and Search", "pro6"},
                                           Exercise{"3-15", "Order Totals", "orders"}),
                         [](const auto& info) { return std::string(info.param.short_name); });

}  // namespace
