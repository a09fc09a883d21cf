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
    ASSERT_EQ(dom.all("table", "matrix").size(), 1u) << read_file(page);
    const Node& matrix = *dom.all("table", "matrix").front();
    const std::vector<const Node*> headers = matrix.all("th", "solution");
    ASSERT_EQ(headers.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(headers[i]->text, names[i] + "C");
    const std::vector<const Node*> rows =
        matrix.all([](const Node& node) { return node.name == "tr" && !node.all("td", "cell").empty(); });
    ASSERT_EQ(rows.size(), 3u);
    for (const Node* row : rows) {
        const std::vector<const Node*> cells = row->all("td", "cell");
        ASSERT_EQ(cells.size(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            const Node& cell = *cells[i];
            EXPECT_EQ(cell.text_of("strong"), codes[i]) << names[i];
            EXPECT_EQ(cell.attributes.at("title").rfind(names[i] + ", case ", 0), 0u) << cell.attributes.at("title");
            const std::vector<const Node*> folded = cell.all("details");
            ASSERT_EQ(folded.size(), codes[i] == "OK" ? 0u : 1u) << names[i];
            if (codes[i] == "CE") {
                EXPECT_NE(folded.front()->text.find("undefined_thing < 1"), std::string::npos) << folded.front()->text;
            } else if (codes[i] != "OK") {
                EXPECT_NE(folded.front()->text_of("pre", "replay").find(names[i]), std::string::npos);
            }
        }
        EXPECT_NE(cells[2]->text.find("found \"<script>alert(1)</script>"), std::string::npos) << cells[2]->text;
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

}  // namespace
