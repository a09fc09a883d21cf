// pro6-validate run as a user would: each rule just inside and just outside
// its limit, with the exact message and place; the maker's layout under
// --strict; the report of a known case; the makers' cases at many seeds and
// answers, checked against counts the test works out itself.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::run_with;
using testing_support::RunOptions;

// An input and the message it gets (after "pro6-validate: "), or none when
// it is valid.
struct Case {
    std::string input;
    std::string message;
};

void check(const Case& c, const std::vector<std::string>& args = {})
{
    const auto result = run_with("pro6-validate", args, c.input);
    const std::string shown = c.input.substr(0, 60);
    if (c.message.empty()) {
        EXPECT_EQ(result.status, 0) << shown << "\n" << result.err;
        EXPECT_NE(result.out, "") << shown;
        return;
    }
    EXPECT_EQ(result.status, 1) << shown;
    EXPECT_EQ(result.out, "") << shown;
    EXPECT_EQ(result.err, "pro6-validate: " + c.message + "\n") << shown;
}

// The value of the report line "label: value".
std::string fact(const std::string& report, const std::string& label)
{
    const auto at = ("\n" + report).find("\n" + label + ": ");
    if (at == std::string::npos)
        return "(no " + label + ")";
    const auto from = at + label.size() + 2;
    return report.substr(from, report.find('\n', from) - from);
}

TEST(Pro6Validate, EachRuleJustInsideAndJustOutsideItsLimit)
{
    const Case cases[] = {
        // The lengths, 0..10000000.
        {"0 0 0", ""},
        {"10000000 0", "line 1, column 11: the input ends after 0 of the 10000000 values of the first sequence (found \"\")"},
        {"10000001 0", "line 1, column 1: the first length is above 10000000 (found \"10000001\")"},
        {"0\n\n  -1", "line 3, column 3: the second length is below 0 (found \"-1\")"},
        {"5x 0", "line 1, column 1: the first length is not a whole decimal integer (found \"5x\")"},
        {"3 \n", "line 2, column 1: the input ends before the second length (found \"\")"},
        // The values, in signed 32 bits.
        {"2 1\n-2147483648 2147483647\n-2147483648\n0\n", ""},
        {"1 0\n2147483648\n0\n", "line 2, column 1: value 1 of the first sequence is above 2147483647 (found \"2147483648\")"},
        {"0 2\n\n5 -2147483649\n0\n", "line 3, column 3: value 2 of the second sequence is below -2147483648 (found \"-2147483649\")"},
        {"2 0\n1 1.5\n0\n", "line 2, column 3: value 2 of the first sequence is not a whole decimal integer (found \"1.5\")"},
        {"3 0\n1 2", "line 2, column 4: the input ends after 2 of the 3 values of the first sequence (found \"\")"},
        // Each sequence non-decreasing, on its own.
        {"3 3\n1 1 2\n-5 -5 -5\n0\n", ""},
        {"1 1\n9\n1\n0\n", ""},
        {"3 0\n1 2 1\n0\n", "line 2, column 5: value 3 of the first sequence is below the one before it (found \"1\")"},
        {"1 3\n9\n-1 -3 0\n0\n", "line 3, column 4: value 2 of the second sequence is below the one before it (found \"-3\")"},
        // The number of search values, 0..2147483647, and the values.
        {"1 0 5 2 5 -2147483648", ""},
        {"0 0\n\n\n-1\n", "line 4, column 1: the number of search values is below 0 (found \"-1\")"},
        {"0 0 2147483647", "line 1, column 15: the input ends after 0 of the 2147483647 search values (found \"\")"},
        {"0 0 2147483648", "line 1, column 5: the number of search values is above 2147483647 (found \"2147483648\")"},
        {"1 0 5 2 5 2147483648", "line 1, column 11: search value 2 is above 2147483647 (found \"2147483648\")"},
        {"1 0 5 1 five", "line 1, column 9: search value 1 is not a whole decimal integer (found \"five\")"},
        // Nothing but white space after the last search value.
        {"1 0\n5\n1\n5\n \t\n\n", ""},
        {"1 0\n5\n1\n5\n5\n", "line 5, column 1: text after the last search value (the case holds 1) (found \"5\")"},
        {"0 0\n\n\n0\nx", "line 5, column 1: text after the number of search values (the case holds none) (found \"x\")"},
        // Tokens of any length, quoted in part.
        {"1 0\n" + std::string(1000000, '0') + "\n0\n", ""},
        {"1 0\n" + std::string(1000000, '1') + "\n0\n",
         "line 2, column 1: value 1 of the first sequence is above 2147483647 (found \"" + std::string(40, '1') + "\")"},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(Pro6Validate, ADescentFarIntoALongLineIsPlacedExactly)
{
    // 100,000 values over several input blocks, the 70,001st below the one
    // before it; blanks as the maker writes them, and other separators and
    // signs, which the fast path leaves to the token reader.
    for (const std::string separator : {" ", "\t "}) {
        for (const std::string sign : {"", "+"}) {
            std::string line;
            std::size_t column = 0;
            for (int i = 1; i <= 100000; ++i) {
                line += i > 1 ? separator : "";
                column = i == 70001 ? line.size() + 1 : column;
                line += sign + std::to_string(i <= 70000 ? i : i - 2);
            }
            check({"100000 0\n" + line + "\n0\n", "line 2, column " + std::to_string(column) +
                                                      ": value 70001 of the first sequence is below the one before "
                                                      "it (found \"" + sign + "69999\")"});
        }
    }
}

// A case written to a file, with the result of pro6-validate on it.
testing_support::RunResult validate_file(const std::string& text)
{
    testing_support::TempDir folder;
    const std::string file = (folder.path() / "case.txt").string();
    std::ofstream(file, std::ios::binary) << text;
    return run_with("pro6-validate", {file});
}

TEST(Pro6Validate, PlainValuesAsTheTokenReaderReadsThem)
{
    // Values behind single blanks are read in one pass over the input
    // block, each first taken to be as wide as the one before; any other
    // layout token by token. A tab for each blank moves no token and no
    // column, so the same case with tabs must get the same report or
    // message. The values climb through every width, from a sign and ten
    // digits to one digit and back to ten, in runs of equal values; the case
    // spans two input blocks of the file, and blanks before the first value
    // move the block's end over every byte of the values around it, where a
    // fault or an odd token stands in some variants.
    std::vector<std::string> texts;
    for (long long v = -2147483648LL; v < 0; v /= 3)
        texts.insert(texts.end(), static_cast<std::size_t>(1 - v % 5), std::to_string(v));
    for (long long v = 0; v < 999999; v = v * 3 + 1)
        texts.insert(texts.end(), static_cast<std::size_t>(1 + v % 4), std::to_string(v));
    while (texts.size() < 60000)  // as the maker writes them: six digits, then seven
        texts.push_back(std::to_string(999900 + texts.size() / 4));
    for (const char* v : {"12345678", "123456789", "1234567890", "2147483647"})
        texts.push_back(v);
    const std::size_t n = 20000, m = texts.size() - n;
    const std::string head = std::to_string(n) + " " + std::to_string(m) + "\n";
    std::size_t at = head.size(), straddling = 0;  // the value where the second block begins
    while (at + texts[straddling].size() + 1 <= std::size_t{1} << 18)
        at += texts[straddling++].size() + 1;
    ASSERT_GT(straddling, n + 100);
    const std::pair<std::size_t, std::string> variants[] = {
        {0, ""}, {straddling, "+" + texts[straddling]}, {straddling + 1, "0" + texts[straddling + 1]},
        {straddling - 1, "1"}, {straddling, "9999999999"}, {straddling + 1, "12x"}, {straddling, "-0"}};
    for (const auto& [changed, token] : variants) {
        std::vector<std::string> tokens = texts;
        tokens[changed] = token.empty() ? tokens[changed] : token;
        for (std::size_t blanks = 0; blanks < 14; ++blanks) {
            std::string text[2] = {head + std::string(blanks, ' ')};  // blanks, tabs
            text[1] = text[0];
            for (std::size_t i = 0; i < tokens.size(); ++i) {
                const bool line_ends = i + 1 == n || i + 1 == tokens.size();
                text[0] += tokens[i] + (line_ends ? "\n" : " ");
                text[1] += tokens[i] + (line_ends ? "\n" : "\t");
            }
            const auto plain = validate_file(text[0] + "2\n-1\n999999\n");
            const auto by_token = validate_file(text[1] + "2\n-1\n999999\n");
            const std::string what = token + " at " + std::to_string(changed) + ", " + std::to_string(blanks) + " blanks";
            EXPECT_EQ(plain.status, by_token.status) << what;
            EXPECT_EQ(plain.out, by_token.out) << what;
            EXPECT_EQ(plain.err, by_token.err) << what;
            // Not two runs failing alike for some other reason.
            if (token.empty() || token[0] == '+' || token[0] == '0')
                EXPECT_EQ(fact(plain.out, "second length m"), std::to_string(m)) << what << "\n" << plain.err;
            else
                EXPECT_NE(plain.err.find("value " + std::to_string(changed - n + 1) + " of the second"),
                          std::string::npos) << what << "\n" << plain.err;
        }
    }
}

TEST(Pro6Validate, StrictFindsOddNumbersAmidPlainValues)
{
    // A number not as "%d" writes it, amid zeros the one-pass loop reads:
    // a plus sign, a leading zero, a minus zero (no descent there).
    for (const std::string token : {"+0", "00", "-0", "+1", "01"}) {
        std::string line = "0";
        for (int i = 1; i < 30000; ++i)
            line += i == 23333 ? " " + token : i < 23333 ? " 0" : " 1";
        EXPECT_EQ(run_with("pro6-validate", {"--strict"}, "30000 0\n" + line + "\n\n0\n").err,
                  "pro6-validate: line 2, column 46667: value 23334 of the first sequence is not written as printf's "
                  "\"%d\" writes it: no plus sign, leading zero or minus zero (found \"" + token + "\")\n");
    }
}

TEST(Pro6Validate, StrictAsksForTheLayoutOfTheMaker)
{
    for (const char* valid : {"2 2\n1 3\n3 5\n3\n3\n4\n1\n", "0 0\n\n\n0\n", "0 2\n\n-1 0\n1\n-1\n", "2 0\n7 7\n\n0\n"})
        check({valid, ""}, {"--strict"});
    const std::string canonical = " is not written as printf's \"%d\" writes it: no plus sign, leading zero or minus zero";
    const Case cases[] = {
        {" 2 2\n1 3\n3 5\n0\n", "line 1, column 2: the first length must start the input, not follow \" \" (found \"2\")"},
        {"2\t2\n1 3\n3 5\n0\n", "line 1, column 3: the second length must follow a single blank, not \"\\x09\" (found \"2\")"},
        {"2 2\r\n1 3\n3 5\n0\n",
         "line 2, column 1: value 1 of the first sequence must follow a single line break, not \"\\x0D\\x0A\" (found \"1\")"},
        {"2 2\n1  3\n3 5\n0\n", "line 2, column 4: value 2 of the first sequence must follow a single blank, not \"  \" (found \"3\")"},
        {"0 0\n\n0\n", "line 3, column 1: the number of search values must follow a line break and 2 empty lines, not "
                       "\"\\x0A\\x0A\" (found \"0\")"},
        {"0 1\n7\n0\n", "line 2, column 1: value 1 of the second sequence must follow a line break and an empty line, not "
                        "\"\\x0A\" (found \"7\")"},
        {"2 2\n1 3\n3 5\n1 3\n", "line 4, column 3: search value 1 must follow a single line break, not \" \" (found \"3\")"},
        {"2 2\n1 3\n3 5\n1\n3", "line 5, column 2: the last line does not end with a line break (found \"\")"},
        {"0 0\n\n\n0\n" + std::string(10, ' '),
         "line 5, column 11: the case must end with a single line break, not \"\\x0A       ...\" (found \"\")"},
        {"2 2\n1 +3\n3 5\n0\n", "line 2, column 3: value 2 of the first sequence" + canonical + " (found \"+3\")"},
        {"2 2\n1 3\n-0 5\n0\n", "line 3, column 1: value 1 of the second sequence" + canonical + " (found \"-0\")"},
        {"0 0\n\n\n00\n", "line 4, column 1: the number of search values" + canonical + " (found \"00\")"},
    };
    for (const Case& c : cases) {
        check(c, {"--strict"});
        check({c.input, ""});  // the layout alone is no fault of the format
    }
}

TEST(Pro6Validate, ReportsWhatAKnownCaseHoldsAndReaches)
{
    // The search values 0, -2147483648 and 2147483647 occur, 5 does not; the
    // first sequence has two distinct values, the second two.
    const auto result = run("pro6-validate", "3 2\n-2147483648 0 0\n0 2147483647\n4\n0\n-2147483648\n5\n2147483647\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "first length n: 3\n"
              "second length m: 2\n"
              "search values q: 4\n"
              "lines: 8\n"
              "distinct values in the first sequence: 2\n"
              "distinct values in the second sequence: 2\n"
              "search values found in the sequences: 3\n"
              "search values not found: 1\n"
              "\n"
              "quantity                   smallest     largest  limits                   reaches\n"
              "first length                      3           3  0..10000000              -\n"
              "second length                     2           2  0..10000000              -\n"
              "first sequence values   -2147483648           0  -2147483648..2147483647  lower\n"
              "second sequence values            0  2147483647  -2147483648..2147483647  upper\n"
              "search values           -2147483648  2147483647  -2147483648..2147483647  both\n");
}

TEST(Pro6Validate, TheLargestLengthIsHeld)
{
    std::string input = "10000000 0\n0";
    for (int i = 1; i < 10000000; ++i)
        input += " 0";
    const auto result = run_with("pro6-validate", {"--strict"}, input + "\n\n0\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(fact(result.out, "distinct values in the first sequence"), "1");
    EXPECT_NE(result.out.find("\nfirst length            10000000  10000000  0..10000000              upper\n"),
              std::string::npos)
        << result.out;
}

// The report's counts for a case, worked out from its text with sets.
std::string counts(const std::string& text)
{
    std::istringstream in(text);
    std::size_t lengths[2], q = 0, found = 0;
    in >> lengths[0] >> lengths[1];
    std::set<long long> distinct[2], present;
    for (int s = 0; s < 2; ++s) {
        for (std::size_t i = 0; i < lengths[s]; ++i) {
            long long v = 0;
            in >> v;
            distinct[s].insert(v);
            present.insert(v);
        }
    }
    in >> q;
    for (std::size_t i = 0; i < q; ++i) {
        long long x = 0;
        in >> x;
        found += present.count(x);
    }
    return std::to_string(lengths[0]) + " " + std::to_string(lengths[1]) + " " + std::to_string(q) + " " +
           std::to_string(distinct[0].size()) + " " + std::to_string(distinct[1].size()) + " " +
           std::to_string(found) + " " + std::to_string(q - found);
}

std::string reported_counts(const std::string& report)
{
    std::string text;
    for (const char* label : {"first length n", "second length m", "search values q",
                              "distinct values in the first sequence", "distinct values in the second sequence",
                              "search values found in the sequences", "search values not found"}) {
        if (!text.empty())
            text += ' ';
        text += fact(report, label);
    }
    return text;
}

TEST(Pro6Validate, EveryCaseOfBothMakersPassesStrict)
{
    // Answers n m k f with f <= k, both lengths 0 only with f = 0; the last
    // has more search values than one lookup batch holds. The wide maker,
    // slower to start, gets fewer.
    const std::vector<std::string> answers = {"0 0\n0\n0\n",     "0 0\n5\n0\n",         "1 0\n1\n1\n",
                                              "0 1\n3\n2\n",     "10 10\n5\n3\n",       "1000 1\n50\n50\n",
                                              "2000 3000\n100\n7\n", "20000 30000\n70000\n35000\n"};
    const std::pair<const char*, std::vector<std::string>> runs[] = {
        {"pro6-maketest", {"1", "7", "1765000000", "4294967295"}},
        {"pro6-maketest-b", {"1", "1765000000"}},
    };
    for (const auto& [maker, seeds] : runs) {
        for (const std::string& seed : seeds) {
            const std::size_t step = std::string(maker) == "pro6-maketest" ? 1 : 2;
            for (std::size_t a = 0; a < answers.size(); a += step) {
                const std::string what = std::string(maker) + " --seed " + seed + " answers " + answers[a];
                const auto made = run_with(maker, {"--seed", seed}, answers[a]);
                ASSERT_EQ(made.status, 0) << what << made.err;
                const auto result = run_with("pro6-validate", {"--strict"}, made.out);
                EXPECT_EQ(result.status, 0) << what << result.err;
                EXPECT_EQ(reported_counts(result.out), counts(made.out)) << what;
            }
        }
    }
    // Asked for more found values than search values, the maker writes them
    // all; the count line announces fewer.
    const auto made = run_with("pro6-maketest", {"--seed", "7"}, "3 3\n1\n2\n");
    const auto result = run_with("pro6-validate", {"-"}, made.out);  // "-" is standard input
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("pro6-validate: line 6, column 1: text after the last search value (the case holds 1) "
                               "(found \"",
                               0),
              0u)
        << result.err;
}

TEST(Pro6Validate, ReadAndWriteFailuresAreReported)
{
    RunOptions full;
    full.stdout_to_full = true;
    EXPECT_EQ(run("pro6-validate", "0 0 0", full).err, "pro6-validate: write error: No space left on device\n");
    RunOptions closed;
    closed.close_stdin = true;
    EXPECT_EQ(run("pro6-validate", "", closed).err, "pro6-validate: read error: Bad file descriptor\n");
    const auto missing = run_with("pro6-validate", {"/nonexistent/case.txt"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "pro6-validate: cannot open /nonexistent/case.txt: No such file or directory\n");
}

}  // namespace
