// pro2-validate --features run as a user would: the table's layout after
// the unchanged report; for each feature cases that have it and near misses
// that do not, each checked on the whole table, small ones and bodies over
// several input blocks; the makers' cases; and no change to what an invalid
// case gets.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/feature_table.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::FeatureCase;
using testing_support::run_with;

const std::vector<std::string> names = {
    "count-only mode",
    "tab-to-blank mode",
    "blank-to-tab mode",
    "other header",
    "width 0",
    "negative width",
    "leading tab",
    "tab after text",
    "blank after text",
    "blank before a leading tab",
    "blank group",
    "partial blank group",
    "white-space line",
    "empty line",
    "empty body",
    "no final newline",
    "blanks held at the end",
    "carriage return",
    "byte 0",
    "byte above 127",
    "line over 4096 bytes",
};

TEST(Pro2ValidateFeatures, TheTableFollowsTheReportAfterAnEmptyLine)
{
    const auto result = run_with("pro2-validate", {"--features"}, "t2b 4\n\t\tx\ty\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "mode: tab-to-blank (t)\n"
              "width: 4\n"
              "body: 6 bytes, 1 newline\n"
              "last line: ends with a newline\n"
              "\n"
              "quantity            smallest  largest  limits                   reaches\n"
              "width                      4        4  -2147483648..2147483647  -\n"
              "characters read            6        6  0..2147483647            -\n"
              "newlines read              1        1  0..2147483647            -\n"
              "blanks read                0        0  0..2147483647            lower\n"
              "characters written        12       12  0..2147483647            -\n"
              "blanks written             8        8  0..2147483647            -\n"
              "line length                5        5  0..2147483647            -\n"
              "leading blanks             0        0  0..2147483647            lower\n"
              "leading tabs               2        2  0..2147483647            -\n"
              "leading whitespace         2        2  0..2147483647            -\n"
              "\n"
              "feature                     present\n"
              "count-only mode             no\n"
              "tab-to-blank mode           yes\n"
              "blank-to-tab mode           no\n"
              "other header                no\n"
              "width 0                     no\n"
              "negative width              no\n"
              "leading tab                 yes\n"
              "tab after text              yes\n"
              "blank after text            no\n"
              "blank before a leading tab  no\n"
              "blank group                 no\n"
              "partial blank group         no\n"
              "white-space line            no\n"
              "empty line                  no\n"
              "empty body                  no\n"
              "no final newline            no\n"
              "blanks held at the end      no\n"
              "carriage return             no\n"
              "byte 0                      no\n"
              "byte above 127              no\n"
              "line over 4096 bytes        no\n");
}

TEST(Pro2ValidateFeatures, SmallCasesWithAndWithoutEachFeature)
{
    const std::vector<FeatureCase> cases = {
        {"wc only\na b\n\n", {"count-only mode", "blank after text", "empty line"}},
        {"t2b 4\n\t\tx\ty\n", {"tab-to-blank mode", "leading tab", "tab after text"}},
        {"t2b 4\n \tx\n", {"tab-to-blank mode", "leading tab", "blank before a leading tab"}},
        {"t2b 4\n\t x\n", {"tab-to-blank mode", "leading tab"}},
        {"wc only\nab\tc\n", {"count-only mode", "tab after text"}},
        // Groups of 4: five blanks make a tab and a blank, four a tab, two
        // no tab; blanks on both sides of a tab count together.
        {"b2t 4\n     x\n", {"blank-to-tab mode", "blank group", "partial blank group"}},
        {"b2t 4\n    x\n", {"blank-to-tab mode", "blank group"}},
        {"b2t 4\n  x\n", {"blank-to-tab mode", "partial blank group"}},
        {"b2t 4\n  \t  x\n", {"blank-to-tab mode", "blank group", "leading tab", "blank before a leading tab"}},
        {"b2t 4\n\t  \n", {"blank-to-tab mode", "leading tab", "white-space line", "partial blank group"}},
        // The last line's unfinished group is never written; a finished one
        // is, as a tab.
        {"b2t 4\nx\n   ", {"blank-to-tab mode", "no final newline", "white-space line", "blanks held at the end"}},
        {"b2t 4\nx\n    ", {"blank-to-tab mode", "no final newline", "white-space line", "blank group"}},
        {"b2t 4\nx\n     ", {"blank-to-tab mode", "no final newline", "white-space line", "blank group",
                              "blanks held at the end"}},
        {"b2t 4\nx\n  y", {"blank-to-tab mode", "no final newline", "partial blank group"}},
        {"t2b 4\nx\n   ", {"tab-to-blank mode", "no final newline", "white-space line"}},
        // Width 0 or less: no group ever forms, the blanks all come out.
        {"b2t 0\n  x\n", {"blank-to-tab mode", "width 0"}},
        {"b2t 0\n  ", {"blank-to-tab mode", "width 0", "white-space line", "no final newline",
                       "blanks held at the end"}},
        {"b2t -3\n  \n", {"blank-to-tab mode", "negative width", "white-space line"}},
        {"t2b -2147483648\n\tx\n", {"tab-to-blank mode", "negative width", "leading tab"}},
        {"t2b x\n\tx\n", {"tab-to-blank mode", "width 0", "other header", "leading tab"}},
        {"b2t 1\nx\n", {"blank-to-tab mode"}},
        // Only the first character and the width count.
        {"tab 07\nx\n", {"tab-to-blank mode", "other header"}},
        {"T2B 4\nx\n", {"count-only mode", "other header"}},
        {"w\nx\n", {"count-only mode", "other header"}},
        {"wc only -5\nx\n", {"count-only mode", "other header"}},
        {"\nx\n", {"count-only mode", "other header"}},
        {"t2b 4", {"tab-to-blank mode", "empty body"}},
        {"b2t 4\n", {"blank-to-tab mode", "empty body"}},
        {"wc only\nx", {"count-only mode", "no final newline"}},
        // A carriage return is an ordinary character: it ends the leading
        // white space, and a blank after it stands after text.
        {"wc only\na\r\n", {"count-only mode", "carriage return"}},
        {"b2t 4\n  \r \n", {"blank-to-tab mode", "carriage return", "partial blank group", "blank after text"}},
        {std::string("wc only\na\0b\n", 12), {"count-only mode", "byte 0"}},
        {"wc only\n\xff\x80\n", {"count-only mode", "byte above 127"}},
        {"wc only\n\x7f\n", {"count-only mode"}},
        {"wc only\n" + std::string(4096, 'x') + "\n", {"count-only mode"}},
        {"wc only\n" + std::string(4097, 'x') + "\n", {"count-only mode", "line over 4096 bytes"}},
        {"wc only\n" + std::string(4097, ' '), {"count-only mode", "line over 4096 bytes", "white-space line",
                                               "no final newline"}},
    };
    testing_support::check_feature_cases("pro2-validate", names, cases);
}

TEST(Pro2ValidateFeatures, BodiesOverSeveralInputBlocks)
{
    // Leading white space, and a line, that run on over the blocks the
    // body is read in; what decides a feature comes after them.
    const std::string blanks(600000, ' ');
    testing_support::check_feature_cases(
        "pro2-validate", names,
        {
            {"b2t 4\n" + blanks + "x\n", {"blank-to-tab mode", "blank group", "line over 4096 bytes"}},
            {"b2t 4\n" + blanks + " x\n",
             {"blank-to-tab mode", "blank group", "partial blank group", "line over 4096 bytes"}},
            {"t2b 4\n" + blanks + "\tx\n",
             {"tab-to-blank mode", "leading tab", "blank before a leading tab", "line over 4096 bytes"}},
            {"t2b 4\nx" + blanks + "\t\n",
             {"tab-to-blank mode", "blank after text", "tab after text", "line over 4096 bytes"}},
            {"b2t 3\n" + blanks + "  ", {"blank-to-tab mode", "blank group", "white-space line", "no final newline",
                                         "blanks held at the end", "line over 4096 bytes"}},
        },
        true);
}

TEST(Pro2ValidateFeatures, TheMakersCases)
{
    // The makers write their own headers, printable characters, tabs and
    // blanks, and a final newline: each case has its mode and none of the
    // features that need anything else.
    const std::pair<std::string, std::string> modes[] = {
        {"w\n30\n", "count-only mode"}, {"t\n30\n4\n", "tab-to-blank mode"}, {"b\n30\n4\n", "blank-to-tab mode"}};
    for (const auto& [answers, mode] : modes) {
        const auto made = run_with("pro2-maketest", {"--seed", "1765000000"}, answers);
        ASSERT_EQ(made.status, 0) << made.err;
        const auto result = run_with("pro2-validate", {"--strict", "--features"}, made.out);
        ASSERT_EQ(result.status, 0) << result.err;
        std::map<std::string, std::string> present = testing_support::feature_rows(result.out);
        for (const char* each : {"count-only mode", "tab-to-blank mode", "blank-to-tab mode"})
            EXPECT_EQ(present[each], each == mode ? "yes" : "no") << answers << each;
        for (const char* never : {"other header", "width 0", "negative width", "no final newline",
                                  "blanks held at the end", "carriage return", "byte 0", "byte above 127"})
            EXPECT_EQ(present[never], "no") << answers << never;
    }
}

TEST(Pro2ValidateFeatures, AnInvalidCaseGetsTheSameViolation)
{
    for (const std::string& input : std::vector<std::string>{"", "t2b\nx\n", "b2t 99999999999\nx\n", std::string(40, 'w') + "\n"})
        testing_support::expect_features_change_no_violation("pro2-validate", input);
    const auto plain = run_with("pro2-validate", {"--strict"}, "t2b 4\nx");
    const auto result = run_with("pro2-validate", {"--strict", "--features"}, "t2b 4\nx");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, plain.err);
}

TEST(Pro2ValidateFeatures, HelpListsEveryFeature)
{
    const auto help = run_with("pro2-validate", {"--help"});
    EXPECT_NE(help.out.find("\n      --features        also report the features the case has (listed below)\n"),
              std::string::npos)
        << help.out;
    for (const std::string& name : names)
        EXPECT_NE(help.out.find("\n  - " + name + ": "), std::string::npos) << name;
}

}  // namespace
