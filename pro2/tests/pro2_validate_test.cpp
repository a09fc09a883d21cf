// pro2-validate: the body check in process against the model of pro2-solve
// in every block size and with small limits; then the program run as a
// user would, one group per rule, the report of known cases, and every case
// the makers write passing with --strict and counted as pro2-solve counts it.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/draws.hpp"
#include "pro2/case_check.hpp"
#include "pro2/case_maker.hpp"
#include "pro2/tests/model.hpp"
#include "tests/support/files.hpp"
#include "tests/support/report_table.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::captured;
using testing_support::parse_report;
using testing_support::ReportRow;
using testing_support::run;
using testing_support::run_with;

// ---- The body check in process ----

pro2::HeaderFacts header_of(pro2::Mode mode, std::int32_t width)
{
    pro2::HeaderFacts header;
    header.mode = mode;
    header.width = width;
    return header;
}

struct Checked {
    std::optional<pro2::Violation> fault;
    pro2::BodyFacts facts;
};

// The body handed to the check in blocks of `block` bytes.
Checked check_body(const pro2::HeaderFacts& header, const std::string& body, std::size_t block, bool strict = false,
                   std::uint64_t limit = pro2::counter_limit)
{
    pro2::BodyCheck check(header, strict, limit);
    Checked result;
    for (std::size_t at = 0; at < body.size() && !result.fault; at += block) {
        const std::size_t n = std::min(block, body.size() - at);
        result.fault = check.check(body.data() + at, body.data() + at + n);
    }
    if (!result.fault)
        result.fault = check.finish();
    result.facts = check.facts();
    return result;
}

// Per-line extremes worked line by line: "smallest largest" of the line
// lengths, leading blanks, leading tabs and leading whitespace.
std::vector<std::string> line_extremes(const std::string& body)
{
    std::vector<std::vector<std::size_t>> values(4);
    std::size_t start = 0;
    while (start < body.size()) {
        std::size_t end = body.find('\n', start);
        if (end == std::string::npos)
            end = body.size();
        const std::string line = body.substr(start, end - start);
        const std::size_t lead = std::min(line.find_first_not_of(" \t"), line.size());
        const auto blanks = static_cast<std::size_t>(std::count(line.begin(), line.begin() + lead, ' '));
        values[0].push_back(line.size());
        values[1].push_back(blanks);
        values[2].push_back(lead - blanks);
        values[3].push_back(lead);
        start = end + 1;
    }
    std::vector<std::string> shown;
    for (const auto& v : values)
        shown.push_back(v.empty() ? "-" : std::to_string(*std::min_element(v.begin(), v.end())) + " " +
                                              std::to_string(*std::max_element(v.begin(), v.end())));
    return shown;
}

std::vector<std::string> line_extremes(const pro2::BodyFacts& facts)
{
    std::vector<std::string> shown;
    for (const pro2::Range& range : {facts.line_length, facts.leading_blanks, facts.leading_tabs, facts.leading_whitespace}) {
        const common::Extremes met = range.extremes();
        shown.push_back(met.seen() ? std::to_string(met.smallest()) + " " + std::to_string(met.largest()) : "-");
    }
    return shown;
}

std::string count_line(const pro2::Counts& counts)
{
    return std::to_string(counts.lines) + " " + std::to_string(counts.blanks) + " " + std::to_string(counts.characters) +
           "\n";
}

// A random body weighted towards whitespace, with carriage returns, NUL and
// bytes above 127 among the other characters, and now and then a long run.
std::string random_body(std::mt19937& random, std::size_t pieces)
{
    static const std::string alphabet = std::string("     \t\t\t\n\nxy\r\x80\xff") + '\0';
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> run_length(0, 300);
    std::string body;
    for (std::size_t i = 0; i < pieces; ++i) {
        if (pick(random) == 0)
            body += std::string(static_cast<std::size_t>(run_length(random)), pick(random) % 2 != 0 ? ' ' : '\t');
        body += alphabet[pick(random)];
    }
    return body;
}

TEST(Pro2CaseCheck, CountsAgreeWithTheModelInEveryBlockSize)
{
    std::mt19937 random(20261209);
    const std::pair<pro2::Mode, std::int32_t> headers[] = {
        {pro2::Mode::count_only, 0},     {pro2::Mode::tabs_to_blanks, 4}, {pro2::Mode::tabs_to_blanks, 0},
        {pro2::Mode::tabs_to_blanks, -3}, {pro2::Mode::blanks_to_tabs, 4}, {pro2::Mode::blanks_to_tabs, 1},
        {pro2::Mode::blanks_to_tabs, 3},  {pro2::Mode::blanks_to_tabs, 0}, {pro2::Mode::blanks_to_tabs, -5},
        {pro2::Mode::blanks_to_tabs, 64},
    };
    for (const auto& [mode, width] : headers) {
        const char* const name = mode == pro2::Mode::tabs_to_blanks ? "t2b " : mode == pro2::Mode::blanks_to_tabs ? "b2t " : "wc ";
        for (int round = 0; round < 8; ++round) {
            const std::string body = random_body(random, static_cast<std::size_t>(round * 61));
            const std::string expected = model::solve(name + std::to_string(width) + "\n" + body);
            for (const std::size_t block : {1u, 2u, 3u, 15u, 16u, 17u, 63u, 64u, 65u, 100000u}) {
                const Checked checked = check_body(header_of(mode, width), body, block);
                ASSERT_FALSE(checked.fault) << checked.fault->what;
                std::string counts = count_line(checked.facts.read);
                if (mode != pro2::Mode::count_only)
                    counts += count_line(checked.facts.written);
                ASSERT_EQ(counts, expected.substr(expected.size() - counts.size())) << name << width << ", block " << block;
                ASSERT_EQ(line_extremes(checked.facts), line_extremes(body)) << name << width << ", block " << block;
                ASSERT_EQ(checked.facts.last_line_without_newline, !body.empty() && body.back() != '\n');
            }
        }
    }
}

TEST(Pro2CaseCheck, CountsPassTheirLimitAtTheFirstByte)
{
    const auto t5 = header_of(pro2::Mode::tabs_to_blanks, 5);
    const auto w = header_of(pro2::Mode::count_only, 0);
    struct Case {
        pro2::HeaderFacts header;
        std::string body;
        std::int64_t line, column;  // where the count passes 10, or 0 when it never does
        std::string what;
    };
    const std::string body_passes = "the body passes 10 characters here";
    const std::string written_passes = "what tab-to-blank writes passes 10 characters here";
    const Case cases[] = {
        {w, "abc\ndef\nxy", 0, 0, ""},
        {w, "abc\ndef\nxyz", 4, 3, body_passes},
        {w, "\n\n\n\n\n\n\n\n\n\n\n", 12, 1, body_passes},
        {t5, "\t\n", 0, 0, ""},
        {t5, "\t\t", 0, 0, ""},
        {t5, "\t\tx", 2, 3, written_passes},
        {t5, " \t\t", 2, 3, written_passes},
        {t5, "x\t\t\t\t\t\t\t\t\t", 0, 0, ""},  // tabs after text are copied
        {t5, "x\n\t\t", 3, 2, written_passes},
    };
    for (const Case& c : cases) {
        for (const std::size_t block : {1u, 2u, 3u, 64u}) {
            const Checked checked = check_body(c.header, c.body, block, false, 10);
            if (c.line == 0) {
                EXPECT_FALSE(checked.fault) << c.body;
                continue;
            }
            ASSERT_TRUE(checked.fault) << c.body;
            EXPECT_EQ(checked.fault->at.line, c.line) << c.body << ", block " << block;
            EXPECT_EQ(checked.fault->at.column, c.column) << c.body << ", block " << block;
            EXPECT_EQ(checked.fault->what, c.what);
        }
    }
}

TEST(Pro2CaseCheck, ManySeedsOfTheMakersPassStrictAndCountAsTheModel)
{
    for (std::uint32_t seed = 0; seed < 100; ++seed) {
        const char mode = seed < 80 ? 'w' : seed < 90 ? 't' : 'b';
        const auto width = static_cast<std::int32_t>(seed % 7) - 2;
        common::Draws draws(seed * 2654435761u);
        pro2::CaseMaker maker(draws, pro2::Variant::twice_one_draw);
        const std::string made = captured([&](common::Output& out) { maker.write(mode, mode == 'w' ? 30 : 1, width, out); });
        const std::size_t newline = made.find('\n');
        pro2::HeaderLine line{made.substr(0, newline), newline, false, true};
        pro2::HeaderFacts header;
        ASSERT_FALSE(pro2::check_header(line, true, header)) << made.substr(0, newline);
        const Checked checked = check_body(header, made.substr(newline + 1), 4096, true);
        ASSERT_FALSE(checked.fault) << "seed " << seed << ": " << checked.fault->what;
        std::string counts = count_line(checked.facts.read);
        if (mode != 'w')
            counts += count_line(checked.facts.written);
        const std::string expected = model::solve(made);
        EXPECT_EQ(counts, expected.substr(expected.size() - counts.size())) << "seed " << seed;
    }
}

// ---- The program ----

// An input and what pro2-validate says of it: the message after
// "pro2-validate: ", or "" for a valid input.
struct Check {
    std::string input;
    std::string error;
};

void expect_checks(const std::vector<Check>& checks, const std::vector<std::string>& args = {})
{
    for (const Check& check : checks) {
        const auto result = run_with("pro2-validate", args, check.input);
        if (check.error.empty()) {
            EXPECT_EQ(result.status, 0) << check.input << "\n" << result.err;
            EXPECT_EQ(result.err, "") << check.input;
            EXPECT_NE(result.out.find("mode: "), std::string::npos) << check.input;
        } else {
            EXPECT_EQ(result.status, 1) << check.input;
            EXPECT_EQ(result.out, "") << check.input;
            EXPECT_EQ(result.err, "pro2-validate: " + check.error + "\n") << check.input;
        }
    }
}

// The report of a valid input.
testing_support::ParsedReport report_of(const std::string& input, const std::vector<std::string>& args = {})
{
    const auto result = run_with("pro2-validate", args, input);
    EXPECT_EQ(result.status, 0) << input << "\n" << result.err;
    return parse_report(result.out);
}

TEST(Pro2Validate, AHeaderLineOfAtMost31Characters)
{
    expect_checks({
        {"", "line 1, column 1: the input is empty: no header line selects a mode (found \"\")"},
        {"\n", ""},
        {"w", ""},
        {std::string(31, 'w') + "\nbody\n", ""},
        {std::string(32, 'w') + "\n",
         "line 1, column 1: the header line has 32 characters, more than 31 (found \"" + std::string(32, 'w') + "\")"},
        {std::string(100000, 'w'),
         "line 1, column 1: the header line has 100000 characters, more than 31 (found \"" + std::string(40, 'w') + "\")"},
    });
}

TEST(Pro2Validate, TheFirstCharacterSelectsTheMode)
{
    const std::pair<std::string, std::string> modes[] = {
        {"t2b 4\n", "tab-to-blank (t)"}, {"b2t 4\n", "blank-to-tab (b)"}, {"wc only\n", "count only"},
        {"T2b 4\n", "count only"},       {" t2b 4\n", "count only"},      {"\n", "count only"},
        {"x", "count only"},
    };
    for (const auto& [input, mode] : modes)
        EXPECT_EQ(report_of(input).facts["mode"], mode) << input;
}

TEST(Pro2Validate, CopyingModesNeedAWidthThatFits32Bits)
{
    const std::string none = "the header selects a copying mode but has no width (its second token)";
    expect_checks({
        {"t\n", "line 1, column 2: " + none + " (found \"\")"},
        {"b2t   \n", "line 1, column 7: " + none + " (found \"\")"},
        {"t2b\t4\n", "line 1, column 6: " + none + " (found \"\")"},
        {"t2b 2147483647\n", ""},
        {"b2t -2147483648 x\n", ""},
        {"t2b 2147483648\n", "line 1, column 5: the width is above 2147483647 (found \"2147483648\")"},
        {"b2t  -2147483649x y\n", "line 1, column 6: the width is below -2147483648 (found \"-2147483649x\")"},
    });
    // Read as "%d" reads it: white space other than blanks, a sign, digits.
    const std::pair<std::string, std::string> widths[] = {
        {"t2b 4\n", "4"},
        {"b2t \t+7x\n", "7"},
        {"b2t -0 9\n", "0"},
        {"t2b x\n", "0 (its token \"x\" is not a number)"},
        {"t2b -\n", "0 (its token \"-\" is not a number)"},
    };
    for (const auto& [input, width] : widths)
        EXPECT_EQ(report_of(input).facts["width"], width) << input;
}

TEST(Pro2Validate, WhatTabToBlankWritesFits32Bits)
{
    // Two leading tabs of 1073741823 blanks and one more character make
    // 2147483647 characters written, the most the counters hold.
    auto report = report_of("t2b 1073741823\n\t\tx");
    EXPECT_EQ(report.rows["characters written"], (ReportRow{"2147483647", "2147483647", "0..2147483647", "upper"}));
    EXPECT_EQ(report.rows["blanks written"], (ReportRow{"2147483646", "2147483646", "0..2147483647", "-"}));
    expect_checks({
        {"t2b 1073741823\n\t\tx\n",
         "line 2, column 4: what tab-to-blank writes passes 2147483647 characters here (found \"\\x0A\")"},
        {"t2b 2147483647\nx\n\t\t", "line 3, column 1: what tab-to-blank writes passes 2147483647 characters here (found \"\\x09\")"},
        {"t2b 2147483647\nx\t\t\t\n", ""},
        {"b2t 2147483647\n\t\t\t\n", ""},
    });
}

TEST(Pro2Validate, StrictWantsTheMakersHeaders)
{
    const std::vector<std::string> strict = {"--strict"};
    const std::string form = "the header is not \"wc only\", \"t2b N\" or \"b2t N\"";
    const std::string canonical = "the width is not a number as \"%d\" writes it";
    const std::string range = "the width is outside the makers' range -536870912..536870911";
    expect_checks(
        {
            {"wc only\n", ""},
            {"t2b -536870912\n", ""},
            {"b2t 536870911\n", ""},
            {"wc only", "line 1, column 8: the header line does not end with a newline (found \"\")"},
            {"wc only \n", "line 1, column 1: " + form + " (found \"wc only \")"},
            {"tab 4\n", "line 1, column 1: " + form + " (found \"tab 4\")"},
            {"t2b  4\n", "line 1, column 5: " + canonical + " (found \" 4\")"},
            {"t2b 04\n", "line 1, column 5: " + canonical + " (found \"04\")"},
            {"b2t -0\n", "line 1, column 5: " + canonical + " (found \"-0\")"},
            {"b2t 4 \n", "line 1, column 5: " + canonical + " (found \"4 \")"},
            {"t2b 536870912\n", "line 1, column 5: " + range + " (found \"536870912\")"},
            {"b2t -536870913\n", "line 1, column 5: " + range + " (found \"-536870913\")"},
        },
        strict);
}

TEST(Pro2Validate, StrictWantsTheMakersCharactersAndAFinalNewline)
{
    const std::vector<std::string> strict = {"--strict"};
    const std::string other = "a byte other than blank, tab, newline and the printable characters 33..126";
    std::string printable;
    for (char c = 33; c < 127; ++c)
        printable += c;
    expect_checks(
        {
            {"wc only\n \t" + printable + "\n\n", ""},
            {"t2b 4\nab\n\tc\r\n", "line 3, column 3: " + other + " (found \"\\x0D\")"},
            {"b2t 4\n" + std::string(100, 'x') + "\x7f\n", "line 2, column 101: " + other + " (found \"\\x7F\")"},
            {std::string("wc only\nx\n\n") + '\0', "line 4, column 1: " + other + " (found \"\\x00\")"},
            {"wc only\nx\n\x80", "line 3, column 1: " + other + " (found \"\x80\")"},
            {"wc only\nabc", "line 2, column 4: the body does not end with a newline (found \"\")"},
            {"b2t 4\n\n  ", "line 3, column 3: the body does not end with a newline (found \"\")"},
        },
        strict);
    // Without --strict all of these are valid.
    expect_checks({{"t2b 4\nab\n\tc\r\n", ""}, {"wc only\nx\n\x80", ""}, {"wc only\nabc", ""}});
}

TEST(Pro2Validate, ReportsWhatACaseHolds)
{
    // Blank-to-tab, width 4: "      x" writes a tab, two blanks and x;
    // "  \t  y" two tabs and y; the last line's three blanks are held back
    // and dropped. Read: 18 characters, 13 blanks, 2 newlines; written: 9
    // characters, 2 blanks.
    auto report = report_of("b2t 4\n      x\n  \t  y\n   ");
    EXPECT_EQ(report.facts["mode"], "blank-to-tab (b)");
    EXPECT_EQ(report.facts["width"], "4");
    EXPECT_EQ(report.facts["body"], "18 bytes, 2 newlines");
    EXPECT_EQ(report.facts["last line"], "without a newline");
    const std::string counter = "0..2147483647";
    EXPECT_EQ(report.order, (std::vector<std::string>{"width", "characters read", "newlines read", "blanks read",
                                                      "characters written", "blanks written", "line length",
                                                      "leading blanks", "leading tabs", "leading whitespace"}));
    EXPECT_EQ(report.rows["width"], (ReportRow{"4", "4", "-2147483648..2147483647", "-"}));
    EXPECT_EQ(report.rows["characters read"], (ReportRow{"18", "18", counter, "-"}));
    EXPECT_EQ(report.rows["newlines read"], (ReportRow{"2", "2", counter, "-"}));
    EXPECT_EQ(report.rows["blanks read"], (ReportRow{"13", "13", counter, "-"}));
    EXPECT_EQ(report.rows["characters written"], (ReportRow{"9", "9", counter, "-"}));
    EXPECT_EQ(report.rows["blanks written"], (ReportRow{"2", "2", counter, "-"}));
    EXPECT_EQ(report.rows["line length"], (ReportRow{"3", "7", counter, "-"}));
    EXPECT_EQ(report.rows["leading blanks"], (ReportRow{"3", "6", counter, "-"}));
    EXPECT_EQ(report.rows["leading tabs"], (ReportRow{"0", "1", counter, "lower"}));
    EXPECT_EQ(report.rows["leading whitespace"], (ReportRow{"3", "6", counter, "-"}));

    // Count only: no width and nothing written; an empty line reaches 0.
    report = report_of("wc only\na b\n\n");
    EXPECT_EQ(report.facts["mode"], "count only");
    EXPECT_EQ(report.facts.count("width"), 0u);
    EXPECT_EQ(report.facts["last line"], "ends with a newline");
    EXPECT_EQ(report.rows.count("characters written"), 0u);
    EXPECT_EQ(report.rows["blanks read"], (ReportRow{"1", "1", counter, "-"}));
    EXPECT_EQ(report.rows["line length"], (ReportRow{"0", "3", counter, "lower"}));

    // An empty body: no lines to measure.
    report = report_of("t2b 4\n");
    EXPECT_EQ(report.facts["last line"], "none (the body is empty)");
    EXPECT_EQ(report.rows["characters read"], (ReportRow{"0", "0", counter, "lower"}));
    EXPECT_EQ(report.rows["line length"], (ReportRow{"-", "-", counter, "-"}));
}

TEST(Pro2Validate, EveryCaseTheMakersWritePassesStrict)
{
    // Every mode with line counts and widths (none, negative, the makers'
    // extremes), each with its own seed; pro2-maketest-b differs only in
    // its blank-to-tab lines. Another mode makes nothing, which no header
    // selects a mode of. (The counts are compared with the model for many
    // more seeds in process.)
    struct Answers {
        const char* maker;
        char mode;
        int lines;
        int width;
    };
    const Answers answers[] = {
        {"pro2-maketest", 'w', 0, 0},           {"pro2-maketest", 'w', 40, 0},
        {"pro2-maketest", 't', 0, 536870911},   {"pro2-maketest", 't', 2, 4},
        {"pro2-maketest", 't', 1, -536870912},  {"pro2-maketest", 'b', 0, 536870911},
        {"pro2-maketest", 'b', 1, 4},           {"pro2-maketest", 'x', 5, 4},
        {"pro2-maketest-b", 'b', 0, -536870912}, {"pro2-maketest-b", 'b', 1, 1000},
        {"pro2-maketest-b", 'b', 1, 0},         {"pro2-maketest-b", 'w', 3, 0},
    };
    std::uint32_t seed = 7;
    for (const Answers& a : answers) {
        seed = seed * 2654435761u + 97u;
        std::string typed = std::string(1, a.mode) + "\n" + std::to_string(a.lines) + "\n";
        if (a.mode == 't' || a.mode == 'b')
            typed += std::to_string(a.width) + "\n";
        const auto made = run_with(a.maker, {"--seed", std::to_string(seed)}, typed);
        ASSERT_EQ(made.status, 0) << made.err;
        const auto checked = run_with("pro2-validate", {"--strict"}, made.out);
        const std::string what = std::string(a.maker) + " --seed " + std::to_string(seed) + ", " + typed;
        if (a.mode == 'x') {
            EXPECT_EQ(checked.status, 1) << what;
            EXPECT_EQ(checked.err, "pro2-validate: line 1, column 1: the input is empty: no header line selects a mode (found \"\")\n");
            continue;
        }
        ASSERT_EQ(checked.status, 0) << what << checked.err;
        EXPECT_EQ(parse_report(checked.out).rows["newlines read"].largest, std::to_string(a.lines)) << what;
    }
}

}  // namespace
