// The HTML report as a browser reads it: the judge writes the page for
// several sources, hostile ones among them, headless Chromium loads it, and
// the DOM the browser built is checked: every solution and every verdict is
// there, and nothing a solution printed or was named became markup. A
// screenshot of the page is left in the build folder to look at.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "judge/judging/scoring.hpp"
#include "judge/report/report.hpp"
#include "judge/tests/judge_runner.hpp"
#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;

// The browser on PATH, or "" where there is none.
std::string find_browser()
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path == nullptr ? "" : path);
    for (std::string folder; std::getline(folders, folder, ':');)
        for (const char* name : {"chromium", "chromium-browser"})
            if (::access((folder + "/" + name).c_str(), X_OK) == 0)
                return folder + "/" + name;
    return "";
}

// Runs the headless browser with a profile and a home of its own under
// folder; its standard output. A browser that hangs is killed after a
// minute, with its helpers (its process group).
std::string run_browser(const std::string& browser, const fs::path& folder, const std::vector<std::string>& args)
{
    const fs::path profile = folder / "profile";
    fs::create_directories(profile);
    std::vector<std::string> words{browser,          "--headless",          "--no-sandbox",
                                   "--disable-gpu",  "--disable-quic",      "--no-first-run",
                                   "--disable-sync", "--disable-component-update",
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
        ::execv(argv[0], argv.data());
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

// An element of the DOM as the browser wrote it out.
struct Node {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::vector<Node> children;
    std::string text;  // every text inside it, decoded

    bool has_class(const std::string& word) const
    {
        const auto found = attributes.find("class");
        return found != attributes.end() && (" " + found->second + " ").find(" " + word + " ") != std::string::npos;
    }

    // Every element under it (itself too) for which wanted is true.
    std::vector<const Node*> all(const std::function<bool(const Node&)>& wanted) const
    {
        std::vector<const Node*> found;
        if (wanted(*this))
            found.push_back(this);
        for (const Node& child : children)
            for (const Node* node : child.all(wanted))
                found.push_back(node);
        return found;
    }

    std::vector<const Node*> all(const std::string& element, const std::string& css_class = "") const
    {
        return all([&](const Node& node) {
            return node.name == element && (css_class.empty() || node.has_class(css_class));
        });
    }

    // The text of the first such element under it, "" where there is none.
    std::string text_of(const std::string& element, const std::string& css_class = "") const
    {
        const std::vector<const Node*> found = all(element, css_class);
        return found.empty() ? "" : found.front()->text;
    }
};

std::string decoded(const std::string& text)
{
    static const std::map<std::string, std::string> named{
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", "\xc2\xa0"}};
    std::string plain;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::size_t end = text[at] == '&' ? text.find(';', at) : std::string::npos;
        const auto entity = end == std::string::npos ? named.end() : named.find(text.substr(at + 1, end - at - 1));
        if (entity == named.end()) {
            plain += text[at];
            continue;
        }
        plain += entity->second;
        at = end;
    }
    return plain;
}

// Reads the browser's serialization of a document: elements, attributes
// and text; void elements have no end tag, style and script hold raw text.
Node parse_dom(const std::string& html)
{
    static const std::string void_elements = " area base br col embed hr img input link meta source track wbr ";
    Node root;
    std::vector<Node*> open{&root};
    const auto add_text = [&](const std::string& text) {
        for (Node* node : open)
            node->text += text;
    };
    std::size_t at = 0;
    while (at < html.size()) {
        const std::size_t tag = html.find('<', at);
        add_text(decoded(html.substr(at, tag - at)));
        if (tag == std::string::npos)
            break;
        if (html.compare(tag, 2, "<!") == 0) {
            at = html.find('>', tag) + 1;
        } else if (html.compare(tag, 2, "</") == 0) {
            at = html.find('>', tag) + 1;
            if (open.size() > 1)
                open.pop_back();
        } else {
            Node node;
            at = tag + 1;
            while (at < html.size() && std::isalnum(static_cast<unsigned char>(html[at])))
                node.name += static_cast<char>(std::tolower(static_cast<unsigned char>(html[at++])));
            while (at < html.size() && html[at] != '>') {
                const std::size_t name_end = html.find_first_of("=> ", at);
                const std::string name = html.substr(at, name_end - at);
                std::string value;
                at = name_end;
                if (html[at] == '=') {
                    const std::size_t close = html.find('"', at + 2);
                    value = decoded(html.substr(at + 2, close - at - 2));
                    at = close + 1;
                }
                if (!name.empty())
                    node.attributes[name] = value;
                at = html.find_first_not_of(' ', at);
            }
            ++at;
            Node& added = open.back()->children.emplace_back(std::move(node));
            if (added.name == "style" || added.name == "script") {
                const std::size_t end = html.find("</" + added.name, at);
                added.text = html.substr(at, end - at);
                at = html.find('>', end) + 1;
            } else if (void_elements.find(" " + added.name + " ") == std::string::npos) {
                open.push_back(&added);
            }
        }
    }
    return root;
}

void write_source(const fs::path& path, const std::string& text)
{
    std::ofstream(path) << "#include <signal.h>\n#include <stdio.h>\n" << text << "\n";
}

// Several sources, one of each kind, judged on three small cases; the page
// as the browser built it names them all, shows each cell's verdict and
// folds out each failure's detail and replay; no text from a solution,
// its name or its compiler becomes markup; and the page fetches nothing.
TEST(JudgeHtmlReport, BrowserShowsEveryVerdictAndNoInjectedMarkup)
{
    const std::string browser = find_browser();
    if (browser.empty())
        GTEST_SKIP() << "no chromium on PATH: the page cannot be checked in a browser";
    const judge_testing::JudgeRunner runner;
    const fs::path sources = runner.folder() / "sources";
    fs::create_directories(sources);
    // pro6: the merged sequence, then each query's 1-based positions.
    write_source(sources / "good.c", R"(#include <stdlib.h>
static int order(const void* a, const void* b) { return *(const int*)a - *(const int*)b; }
int main(void) {
    int n, m, q;
    if (scanf("%d %d", &n, &m) != 2) return 1;
    int* v = malloc(sizeof(int) * (n + m + 1));
    for (int i = 0; i < n + m; i++) scanf("%d", &v[i]);
    qsort(v, n + m, sizeof v[0], order);
    for (int i = 0; i < n + m; i++) printf(i ? " %d" : "%d", v[i]);
    for (scanf("%d", &q); q > 0; q--) {
        int x, found = 0;
        scanf("%d", &x);
        printf("\n");
        for (int i = 0; i < n + m; i++) if (v[i] == x) printf(found++ ? " %d" : "%d", i + 1);
        if (!found) printf("Number Not Found");
    }
    printf("\n");
    return 0;
})");
    write_source(sources / "wrong.c", "int main(void) { puts(\"1\"); return 0; }");
    write_source(sources / "<b>x.c", "int main(void) { puts(\"<script>alert(1)</script>\"); return 0; }");
    write_source(sources / "broken.c", "int main(void) { return undefined_thing < 1; }");
    write_source(sources / "q\" onmouseover=\"alert(2).c", "int main(void) { raise(SIGSEGV); return 0; }");
    const std::vector<std::string> names{"good.c", "wrong.c", "<b>x.c", "broken.c", "q\" onmouseover=\"alert(2).c"};
    const std::vector<std::string> codes{"OK", "WA", "WA", "CE", "RE"};
    const fs::path page = runner.folder() / "report.html";
    std::vector<std::string> args{"--cases", "3", "--seed", "11", "--time-limit", "2", "--html", page.string(), "pro6"};
    for (const std::string& name : names)
        args.push_back((sources / name).string());
    const judge_testing::JudgeResult judged = runner.judge(args);
    ASSERT_EQ(judged.status, 1) << judged.out << judged.err;

    const Node dom = parse_dom(run_browser(browser, runner.folder(), {"--dump-dom", "file://" + page.string()}));
    // A row per solution, its three cases a strip of cells under the heads.
    ASSERT_EQ(dom.all("table", "roster").size(), 1u) << read_file(page);
    const Node& roster = *dom.all("table", "roster").front();
    EXPECT_EQ(roster.all("span", "head").size(), 3u);
    const std::vector<const Node*> rows =
        roster.all([](const Node& node) { return node.name == "tr" && !node.all("span", "cell").empty(); });
    ASSERT_EQ(rows.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(rows[i]->text_of("th", "solution"), names[i] + "C");
        const std::vector<const Node*> cells = rows[i]->all("span", "cell");
        ASSERT_EQ(cells.size(), 3u) << names[i];
        for (const Node* cell : cells) {
            EXPECT_EQ(cell->text_of("strong"), codes[i]) << names[i];
            EXPECT_EQ(cell->attributes.at("title").rfind(names[i] + ", case ", 0), 0u) << cell->attributes.at("title");
            const std::vector<const Node*> folded = cell->all("details");
            ASSERT_EQ(folded.size(), codes[i] == "OK" ? 0u : 1u) << names[i];
            if (codes[i] == "CE") {
                EXPECT_NE(folded.front()->text.find("undefined_thing < 1"), std::string::npos) << folded.front()->text;
            } else if (codes[i] != "OK") {
                EXPECT_NE(folded.front()->text_of("pre", "replay").find(names[i]), std::string::npos);
            }
            if (i == 2) {
                EXPECT_NE(cell->text.find("found \"<script>alert(1)</script>"), std::string::npos) << cell->text;
            }
        }
    }
    // The summary and a chart for each solution, its runs as bars.
    const std::vector<const Node*> summary_names = dom.all("td", "name");
    ASSERT_EQ(summary_names.size(), names.size());
    EXPECT_EQ(summary_names[2]->text, "<b>x.c");
    const std::vector<const Node*> charts = dom.all("figure");
    ASSERT_EQ(charts.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(charts[i]->all("line", "limit").size(), 1u);
        EXPECT_EQ(charts[i]->all("rect").size(), codes[i] == "CE" ? 0u : 3u) << names[i];
    }
    ASSERT_EQ(dom.all("ul", "legend").size(), 1u);
    EXPECT_EQ(dom.all("ul", "legend").front()->all("li").size(), 8u);

    // Nothing injected, nothing fetched: no script, no <b> (the page uses
    // none), no event handler, no address to load from.
    EXPECT_TRUE(dom.all("script").empty());
    EXPECT_TRUE(dom.all("b").empty());
    const auto hostile = [](const Node& node) {
        for (const auto& [name, value] : node.attributes)
            if (name.rfind("on", 0) == 0 || name == "src" || name == "href")
                return true;
        return false;
    };
    EXPECT_TRUE(dom.all(hostile).empty());
    ASSERT_EQ(dom.all("style").size(), 1u);
    EXPECT_EQ(dom.text_of("style").find("url("), std::string::npos);

    // The page as it looks, for a person to judge.
    const fs::path screenshot = REPORT_SCREENSHOT;
    fs::remove(screenshot);
    run_browser(browser, runner.folder(),
                {"--hide-scrollbars", "--window-size=1280,1600", "--screenshot=" + screenshot.string(),
                 "file://" + page.string()});
    const std::string image = read_file(screenshot);
    ASSERT_GT(image.size(), 24u);
    EXPECT_EQ(image.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(image.substr(16, 8), std::string("\0\0\x05\x00\0\0\x06\x40", 8));  // 1280 by 1600
}

// A class of 40 as a course site hands it out: three groups with points
// (31 cases), names long and short, every verdict with long details. At a
// window of 1,400 pixels the page is as wide as the window: nothing to
// scroll sideways to, every student a row with a score and a strip of 31
// cells. The page's width is read by a line of script added to it, with
// the policy that forbids scripts taken out: the page itself runs none.
TEST(ClassPage, FortyStudentsFitAt1400Pixels)
{
    const std::string browser = find_browser();
    if (browser.empty())
        GTEST_SKIP() << "no chromium on PATH: the page cannot be checked in a browser";
    judge::RunInfo info;
    info.exercise = "pro6";
    info.sandbox = "bwrap";
    info.scored = true;
    info.reference = "/usr/bin/pro6-solve";
    info.limits = {1, 10, std::uint64_t{256} << 20, std::uint64_t{64} << 20, 1};
    std::vector<judge::Group> groups;
    for (const auto& [name, points] : {std::pair{"small", 30.0}, {"medium", 50.0}, {"edges", 20.0}})
        groups.push_back({name, judge::Size::small, std::nullopt, points});
    info.groups = groups;
    const judge::Verdict verdicts[] = {judge::Verdict::ok, judge::Verdict::wrong_answer, judge::Verdict::time_limit,
                                       judge::Verdict::runtime_error, judge::Verdict::memory_limit};
    judge::Result result;
    for (int student = 0; student < 40; ++student) {
        judge::SolutionResult solution;
        solution.name = student == 7 ? std::string(60, 'k') + "/main.c" : "student-" + std::to_string(student);
        solution.language = "C";
        for (std::size_t index = 0; index < 31; ++index) {
            judge::CaseResult entry;
            entry.index = index;
            entry.group = index < 10 ? 0 : index < 20 ? 1 : 2;
            entry.name = entry.group == 2 ? std::string("0") + std::to_string(index - 19) + "-edge" : std::to_string(index + 1);
            if (entry.group < 2)
                entry.seed = static_cast<std::uint32_t>(index);
            entry.label = "10000 10000 1000 500";
            entry.verdict = verdicts[(static_cast<std::size_t>(student) * index) % 5 * (student % 3 != 0)];
            entry.detail = "line 104, column 1: expected " + std::string(300, '7') + ", found 4";
            entry.replay = "exercise-judge --replay " + std::string(200, 'r');
            entry.ran = true;
            solution.cases.push_back(entry);
        }
        result.solutions.push_back(solution);
    }
    judge::tally(result, groups, false);
    ASSERT_EQ(result.groups.size(), 3u);

    const judge_testing::JudgeRunner runner;
    std::string page = judge::html_report(info, result);
    const std::size_t policy = page.find("<meta http-equiv=\"Content-Security-Policy\"");
    ASSERT_NE(policy, std::string::npos);
    page.erase(policy, page.find('>', policy) + 1 - policy);
    page.insert(page.rfind("</body>"), "<script>document.body.dataset.width = document.documentElement.scrollWidth;"
                                       "document.body.dataset.window = document.documentElement.clientWidth;</script>");
    const fs::path file = runner.folder() / "class.html";
    std::ofstream(file) << page;
    const Node dom = parse_dom(run_browser(browser, runner.folder(),
                                           {"--window-size=1400,1000", "--dump-dom", "file://" + file.string()}));
    const std::vector<const Node*> body = dom.all("body");
    ASSERT_EQ(body.size(), 1u);
    // The window less its vertical scroll bar, and the page no wider.
    const int window = std::stoi(body.front()->attributes.at("data-window"));
    EXPECT_GE(window, 1380);
    EXPECT_LE(window, 1400);
    EXPECT_EQ(std::stoi(body.front()->attributes.at("data-width")), window);
    const std::vector<const Node*> rows =
        dom.all([](const Node& node) { return node.name == "tr" && !node.all("span", "cell").empty(); });
    ASSERT_EQ(rows.size(), 40u);
    EXPECT_EQ(rows[1]->all("span", "cell").size(), 31u);
    EXPECT_EQ(rows[1]->all("td", "score").size(), 1u);
    EXPECT_EQ(rows[0]->text_of("td", "score"), "100");
}

}  // namespace
