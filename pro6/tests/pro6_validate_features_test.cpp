// pro6-validate --features run as a user would: the table's layout after
// the unchanged report; for each feature cases that have it and near misses
// that do not, each checked on the whole table, small ones and ones long
// enough for the one-pass reading and the batched lookups; and no change
// to what an invalid case gets.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/feature_table.hpp"
#include "tests/support/run.hpp"

namespace {

using testing_support::FeatureCase;
using testing_support::run_with;

const std::vector<std::string> names = {
    "negative value",   "repeated value",       "value in both sequences", "empty sequence",
    "no search values", "found at first position", "found at last position", "below every value",
    "absent between values", "above every value", "found more than once", "all values equal",
    "32-bit extreme",
};

TEST(Pro6ValidateFeatures, TheTableFollowsTheReportAfterAnEmptyLine)
{
    const auto result = run_with("pro6-validate", {"--features"}, "2 2\n1 3\n3 5\n3\n3\n4\n1\n");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "first length n: 2\n"
              "second length m: 2\n"
              "search values q: 3\n"
              "lines: 7\n"
              "distinct values in the first sequence: 2\n"
              "distinct values in the second sequence: 2\n"
              "search values found in the sequences: 2\n"
              "search values not found: 1\n"
              "\n"
              "quantity                smallest  largest  limits                   reaches\n"
              "first length                   2        2  0..10000000              -\n"
              "second length                  2        2  0..10000000              -\n"
              "first sequence values          1        3  -2147483648..2147483647  -\n"
              "second sequence values         3        5  -2147483648..2147483647  -\n"
              "search values                  1        4  -2147483648..2147483647  -\n"
              "\n"
              "feature                  present\n"
              "negative value           no\n"
              "repeated value           no\n"
              "value in both sequences  yes\n"
              "empty sequence           no\n"
              "no search values         no\n"
              "found at first position  yes\n"
              "found at last position   no\n"
              "below every value        no\n"
              "absent between values    yes\n"
              "above every value        no\n"
              "found more than once     yes\n"
              "all values equal         no\n"
              "32-bit extreme           no\n");
}

TEST(Pro6ValidateFeatures, SmallCasesWithAndWithoutEachFeature)
{
    const std::vector<FeatureCase> cases = {
        // 3 stands in both sequences, at positions 2 and 3; 4 lies between.
        {"2 2\n1 3\n3 5\n3\n3\n4\n1\n",
         {"value in both sequences", "found at first position", "absent between values", "found more than once"}},
        // Found once, at the end; no value in both.
        {"2 2\n1 3\n2 5\n1\n5\n", {"found at last position"}},
        {"0 0\n\n\n0\n", {"empty sequence", "no search values"}},
        // Nothing to search: no search value lies below, above or between.
        {"0 0\n\n\n1\n7\n", {"empty sequence"}},
        // One value: at the first and the last position, not "all equal".
        {"1 0\n-5\n\n1\n-5\n", {"negative value", "empty sequence", "found at first position", "found at last position"}},
        // Only the search value is negative.
        {"0 1\n\n4\n1\n-4\n", {"negative value", "empty sequence", "below every value"}},
        {"2 1\n1 1\n2\n1\n1\n", {"repeated value", "found at first position", "found more than once"}},
        {"1 1\n2\n2\n1\n2\n", {"value in both sequences", "all values equal", "found at first position",
                               "found at last position", "found more than once"}},
        {"2 0\n7 7\n\n1\n8\n", {"repeated value", "all values equal", "empty sequence", "above every value"}},
        // The extremes as sequence values, then as a search value alone.
        {"1 1\n-2147483648\n2147483647\n2\n0\n2147483647\n",
         {"negative value", "32-bit extreme", "absent between values", "found at last position"}},
        {"1 0\n0\n\n1\n-2147483648\n", {"negative value", "32-bit extreme", "empty sequence", "below every value"}},
        {"1 0\n0\n\n1\n2147483647\n", {"32-bit extreme", "empty sequence", "above every value"}},
        // Repeated in the second sequence only, and standing in both.
        {"1 3\n4\n1 4 4\n1\n4\n", {"repeated value", "value in both sequences", "found more than once",
                                   "found at last position"}},
        // Tokens spread over lines in any way: merged 4 6 9, 6 found once
        // in the middle, which is none of the features.
        {"2 1 4 9 6 1 6", {}},
        // Values with a plus sign or a leading zero; -0 is 0, not negative.
        {"3 0\n+1 01 2\n\n2\n1\n-0\n",
         {"repeated value", "empty sequence", "found at first position", "found more than once", "below every value"}},
    };
    testing_support::check_feature_cases("pro6-validate", names, cases);
}

// Values 0, 1, ..., count - 1 on one line, each behind a single blank as
// the one-pass reader takes them; `twice` stands a second time, written as
// `second_copy`.
std::string ascending(int count, int twice, const std::string& second_copy)
{
    std::string line;
    for (int v = 0; v < count; ++v) {
        if (v > 0)
            line += ' ';
        line += std::to_string(v);
        if (v == twice)
            line.append(" ").append(second_copy);
    }
    return line;
}

TEST(Pro6ValidateFeatures, LongSequencesAndManySearchValues)
{
    // 100,000 values over several input blocks, read in one pass: a repeat
    // far into the line is marked, whether the one-pass reader or the
    // token reader (for the plus sign) reads its second copy; the search
    // values come in more than one sorted batch, the telling one last.
    const std::string first = ascending(100000, 77777, "77777");
    const std::string plus = ascending(100000, 77777, "+77777");
    const std::string once = ascending(100000, -1, "");
    const std::string head_twice = "100001 0\n";
    std::string many = "70001\n";
    for (int i = 0; i < 70000; ++i)
        many += "0\n";
    const bool some_features_only = true;
    testing_support::check_feature_cases(
        "pro6-validate", names,
        {
            {head_twice + first + "\n\n2\n77777\n77776\n",
             {"repeated value", "empty sequence", "found more than once"}},
            {head_twice + plus + "\n\n1\n77777\n", {"repeated value", "empty sequence", "found more than once"}},
            {"100000 1\n" + once + "\n77777\n1\n77777\n",
             {"value in both sequences", "found more than once"}},
            // 77777 once, in the middle.
            {"100000 1\n" + once + "\n100000\n1\n77777\n", {}},
            {"100000 0\n" + once + "\n\n" + many + "100000\n",
             {"empty sequence", "found at first position", "above every value"}},
            {"100000 0\n" + once + "\n\n" + many + "99999\n",
             {"empty sequence", "found at first position", "found at last position"}},
        },
        some_features_only);
}

TEST(Pro6ValidateFeatures, AnInvalidCaseGetsTheSameViolation)
{
    for (const std::string input : {"1 0\n2147483648\n0\n", "3 0\n1 2 1\n0\n", "0 0\n\n\n1\n", "1 0\n5\n1\n5\n5\n"})
        testing_support::expect_features_change_no_violation("pro6-validate", input);
}

TEST(Pro6ValidateFeatures, HelpListsEveryFeature)
{
    const auto help = run_with("pro6-validate", {"--help"});
    EXPECT_NE(help.out.find("\n      --features        also report the features the case has (listed below)\n"),
              std::string::npos)
        << help.out;
    for (const std::string& name : names)
        EXPECT_NE(help.out.find("\n  - " + name + ": "), std::string::npos) << name;
}

}  // namespace
