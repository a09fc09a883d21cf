// The README and the manual in docs/: every relative link leads to a file
// that exists, and every anchor to a heading of it; every page of docs/ is
// reached from the README; and every example in a ```console block gives
// the output written under it. In such a block a line starting with "$ "
// is a command, run by sh with bin/ first on PATH in a temporary folder
// the block's commands share; the lines after it, up to the next command
// or the block's end, are its standard output and error together.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

const char* const fence = "```";
const char* const console_fence = "```console";
const char* const command_mark = "$ ";

std::vector<std::string> lines_of(const fs::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool starts_with(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The prose lines of a page: not in a fenced block, not indented as code.
std::vector<std::pair<std::size_t, std::string>> prose_lines(const std::vector<std::string>& lines)
{
    std::vector<std::pair<std::size_t, std::string>> prose;
    bool fenced = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (starts_with(lines[i], fence)) {
            fenced = !fenced;
            continue;
        }
        if (!fenced && !starts_with(lines[i], "    "))
            prose.emplace_back(i + 1, lines[i]);
    }
    return prose;
}

// A heading's anchor as the usual Markdown renderers make it: lower case,
// blanks as hyphens, other punctuation dropped.
std::string anchor_of(const std::string& heading)
{
    std::string anchor;
    for (unsigned char c : heading) {
        if (std::isalnum(c) || c >= 0x80)
            anchor += static_cast<char>(std::tolower(c));
        else if (c == ' ')
            anchor += '-';
        else if (c == '-' || c == '_')
            anchor += static_cast<char>(c);
    }
    return anchor;
}

// The anchors of a page's headings; a repeated one gets -1, -2, ...
std::set<std::string> anchors_of(const fs::path& page)
{
    std::set<std::string> anchors;
    std::map<std::string, int> seen;
    for (const auto& [number, line] : prose_lines(lines_of(page))) {
        const std::size_t hashes = line.find_first_not_of('#');
        if (hashes == 0 || hashes == std::string::npos || line[hashes] != ' ')
            continue;
        const std::string anchor = anchor_of(line.substr(hashes + 1));
        const int count = seen[anchor]++;
        anchors.insert(count == 0 ? anchor : anchor + "-" + std::to_string(count));
    }
    return anchors;
}

// A line with its inline code spans left out.
std::string without_code(const std::string& line)
{
    std::string text;
    bool code = false;
    for (char c : line) {
        if (c == '`')
            code = !code;
        else if (!code)
            text += c;
    }
    return text;
}

// Every link target of a page's prose, inline code left out, with its line.
std::vector<std::pair<std::size_t, std::string>> links_of(const fs::path& page)
{
    std::vector<std::pair<std::size_t, std::string>> links;
    for (const auto& [number, line] : prose_lines(lines_of(page))) {
        const std::string text = without_code(line);
        for (std::size_t at = text.find("]("); at != std::string::npos; at = text.find("](", at + 2)) {
            const std::size_t end = text.find_first_of(") \t", at + 2);
            if (end != std::string::npos && text[end] == ')' && end > at + 2)
                links.emplace_back(number, text.substr(at + 2, end - at - 2));
        }
    }
    return links;
}

bool is_external(const std::string& target)
{
    return target.find("://") != std::string::npos || starts_with(target, "mailto:");
}

// What is wrong with the relative links of the pages, one line each.
std::vector<std::string> broken_links(const std::vector<fs::path>& pages)
{
    std::vector<std::string> faults;
    for (const fs::path& page : pages) {
        for (const auto& [number, target] : links_of(page)) {
            if (is_external(target))
                continue;
            const std::size_t hash = target.find('#');
            const std::string file = target.substr(0, hash);
            const fs::path linked = file.empty() ? page : page.parent_path() / file;
            const std::string where = page.filename().string() + ":" + std::to_string(number) + ": ";
            if (!fs::exists(linked)) {
                faults.push_back(where + target + ": no file " + linked.lexically_normal().string());
                continue;
            }
            if (hash == std::string::npos)
                continue;
            const std::set<std::string> anchors = anchors_of(linked);
            if (anchors.count(target.substr(hash + 1)) == 0)
                faults.push_back(where + target + ": no such heading in " + linked.filename().string());
        }
    }
    return faults;
}

struct Example {
    std::size_t line = 0;  // of the command
    std::string command;
    std::string expected;
};

// The ```console blocks of a page, each a list of its commands.
std::vector<std::vector<Example>> console_blocks(const fs::path& page)
{
    const std::vector<std::string> lines = lines_of(page);
    std::vector<std::vector<Example>> blocks;
    bool in_block = false, fenced = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (starts_with(line, fence)) {
            in_block = !fenced && line == console_fence;
            if (in_block)
                blocks.emplace_back();
            fenced = !fenced;
        } else if (in_block && starts_with(line, command_mark)) {
            blocks.back().push_back({i + 1, line.substr(std::string(command_mark).size()), ""});
        } else if (in_block && !blocks.back().empty()) {
            blocks.back().back().expected += line + "\n";
        }
    }
    return blocks;
}

// What differs between the examples of a page and what they print.
std::vector<std::string> failing_examples(const fs::path& page)
{
    std::vector<std::string> faults;
    const char* path = std::getenv("PATH");
    const std::string search = std::string(BIN_DIR) + ":" + (path != nullptr ? path : "/usr/bin:/bin");
    for (const std::vector<Example>& block : console_blocks(page)) {
        const TempDir folder;
        for (const Example& example : block) {
            testing_support::RunOptions options;
            options.directory = folder.path().string();
            options.environment = {"PATH=" + search, "LC_ALL=C"};
            options.args = {"-c", "exec 2>&1\n" + example.command};
            const std::string out = testing_support::run_path("/bin/sh", "", options).out;
            if (out != example.expected)
                faults.push_back(page.filename().string() + ":" + std::to_string(example.line) + ": $ " +
                                 example.command + "\nexpected:\n" + example.expected + "printed:\n" + out);
        }
    }
    return faults;
}

std::vector<fs::path> manual_pages()
{
    std::vector<fs::path> pages{fs::path(SOURCE_DIR) / "README.md"};
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(SOURCE_DIR) / "docs"))
        if (entry.path().extension() == ".md")
            pages.push_back(entry.path());
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

void write(const fs::path& file, const std::string& text)
{
    std::ofstream(file) << text;
}

TEST(DocsLinks, EveryRelativeLinkAndAnchorOfTheManualExists)
{
    const std::vector<fs::path> pages = manual_pages();
    ASSERT_GT(pages.size(), 5u);
    EXPECT_EQ(joined(broken_links(pages)), "");
}

TEST(DocsLinks, EveryPageOfDocsIsLinkedFromTheReadme)
{
    std::set<std::string> linked;
    for (const auto& [number, target] : links_of(fs::path(SOURCE_DIR) / "README.md"))
        linked.insert(target.substr(0, target.find('#')));
    for (const fs::path& page : manual_pages()) {
        if (page.filename() != "README.md") {
            EXPECT_EQ(linked.count("docs/" + page.filename().string()), 1u) << page << " is not linked from README.md";
        }
    }
}

TEST(DocsLinks, AMissingFileOrHeadingIsFound)
{
    const TempDir folder;
    write(folder.path() / "a.md", "# Title\n\n## The judge's layers: one, two\n");
    write(folder.path() / "b.md",
          "See [a](a.md), [layers](a.md#the-judges-layers-one-two), [web](https://example.org/x.md)\n"
          "and `[code](none.md)`, then [gone](gone.md), [no heading](a.md#layers), [here](#nothing).\n"
          "    [indented code](none.md)\n```\n[fenced](none.md)\n```\n");
    const std::vector<std::string> faults = broken_links({folder.path() / "b.md"});
    ASSERT_EQ(faults.size(), 3u) << joined(faults);
    EXPECT_NE(faults[0].find("b.md:2: gone.md: no file"), std::string::npos) << faults[0];
    EXPECT_NE(faults[1].find("b.md:2: a.md#layers: no such heading in a.md"), std::string::npos) << faults[1];
    EXPECT_NE(faults[2].find("b.md:2: #nothing: no such heading in b.md"), std::string::npos) << faults[2];
}

TEST(DocsExamples, EveryCheckedExampleGivesItsOutput)
{
    std::size_t examples = 0;
    for (const fs::path& page : manual_pages()) {
        for (const std::vector<Example>& block : console_blocks(page))
            examples += block.size();
        EXPECT_EQ(joined(failing_examples(page)), "");
    }
    EXPECT_GE(examples, 4u);  // the README's tour at least
}

TEST(DocsExamples, AChangedOutputIsFoundAndFilesLastThroughABlock)
{
    const TempDir folder;
    write(folder.path() / "page.md",
          "```console\n"
          "$ printf '2 2\\n1 3\\n3 5\\n3\\n3\\n4\\n1\\n' > case.txt\n"
          "$ pro6-solve case.txt 2>/dev/null\n1 3 3 5\n2 3\nNumber Not Found\n1\n"
          "$ pro6-solve missing.txt\npro6-solve: cannot open missing.txt: No such file or directory\n"
          "```\n\n"
          "```console\n$ cat case.txt\n```\n"
          "```sh\n$ echo not run\nnothing\n```\n");
    ASSERT_EQ(console_blocks(folder.path() / "page.md").size(), 2u);
    const std::vector<std::string> faults = failing_examples(folder.path() / "page.md");
    ASSERT_EQ(faults.size(), 1u) << joined(faults);
    EXPECT_EQ(faults[0].substr(0, faults[0].find('\n')), "page.md:13: $ cat case.txt");
}

}  // namespace
