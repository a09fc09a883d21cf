// The coverage of a test set, in process: the validators' bounds and
// features tables read back from hand-written reports, and merged over the
// cases into which bounds are reached and which cases have each feature.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "package/coverage.hpp"

namespace {

using package::Coverage;
using package::Feature;
using package::FeatureCases;
using package::Quantity;

// A report as the validators write it, with the given rows of the
// quantity table and, if any, of the features table.
std::string report(const std::vector<std::string>& quantity_rows, const std::vector<std::string>& feature_rows)
{
    std::string text = "first length n: 2\nlines: 7\n\n"
                       "quantity        smallest  largest  limits       reaches\n";
    for (const std::string& row : quantity_rows)
        text += row + "\n";
    if (feature_rows.empty())
        return text;
    text += "\nfeature                  present\n";
    for (const std::string& row : feature_rows)
        text += row + "\n";
    return text;
}

TEST(Coverage, ReadReportTakesTheQuantityTableAlone)
{
    const std::vector<Quantity> quantities =
        package::read_report(report({"first length           0       10  0..10  both", "search values          -        -  -5..5  -"},
                                    {"negative value           yes", "search value below every value  no"}));
    ASSERT_EQ(quantities.size(), 2u);
    EXPECT_EQ(quantities[0].name, "first length");
    EXPECT_EQ(quantities[0].smallest_text, "0");
    EXPECT_EQ(quantities[0].largest_text, "10");
    EXPECT_EQ(quantities[0].low, "0");
    EXPECT_EQ(quantities[0].high, "10");
    EXPECT_EQ(quantities[1].name, "search values");
    EXPECT_FALSE(quantities[1].smallest.has_value());
    EXPECT_FALSE(quantities[1].largest.has_value());
    EXPECT_EQ(quantities[1].limits, "-5..5");
}

TEST(Coverage, ReadFeaturesTakesEachRowWithNamesOfSeveralWords)
{
    const std::vector<Feature> features =
        package::read_features(report({"first length  0  10  0..10  both"},
                                      {"negative value           yes", "7, 8 or 9 in the low 32 bits  no",
                                       "more than one '='        yes"}));
    ASSERT_EQ(features.size(), 3u);
    EXPECT_EQ(features[0].name, "negative value");
    EXPECT_TRUE(features[0].present);
    EXPECT_EQ(features[1].name, "7, 8 or 9 in the low 32 bits");
    EXPECT_FALSE(features[1].present);
    EXPECT_EQ(features[2].name, "more than one '='");
    EXPECT_TRUE(features[2].present);
}

TEST(Coverage, ReadFeaturesFindsNoneWithoutTheTable)
{
    EXPECT_TRUE(package::read_features(report({"first length  0  10  0..10  both"}, {})).empty());
    EXPECT_TRUE(package::read_features("").empty());
    // A row that is not "name yes|no" ends the table.
    const std::vector<Feature> features =
        package::read_features("feature  present\nempty sequence  yes\nsomething else\nlater  yes\n");
    ASSERT_EQ(features.size(), 1u);
    EXPECT_EQ(features[0].name, "empty sequence");
}

// Three cases of a small exercise: a length reaching 0 in one and 10 in
// another, the search values never reaching -5; two features of three
// had, one by two cases.
Coverage three_cases()
{
    Coverage coverage;
    coverage.add("sample-1", package::read_report(report({"first length  3  3  0..10  -", "search values  -1  5  -5..5  upper"}, {})),
                 package::read_features(report({}, {"negative value  yes", "empty sequence  no", "repeated value  no"})));
    const std::string second = report({"first length  0  0  0..10  lower", "search values  -  -  -5..5  -"},
                                      {"negative value  no", "empty sequence  yes", "repeated value  no"});
    coverage.add("secret-1", package::read_report(second), package::read_features(second));
    const std::string third = report({"first length  10  10  0..10  upper", "search values  2  2  -5..5  -"},
                                     {"negative value  yes", "empty sequence  no", "repeated value  no"});
    coverage.add("secret-2", package::read_report(third), package::read_features(third));
    return coverage;
}

TEST(Coverage, BoundsReachedOverTheCases)
{
    const Coverage coverage = three_cases();
    EXPECT_EQ(coverage.unreached(), (std::vector<std::string>{"search values -5"}));
}

TEST(Coverage, FeaturesWithTheCasesThatHaveThem)
{
    const Coverage coverage = three_cases();
    const std::vector<FeatureCases>& features = coverage.features();
    ASSERT_EQ(features.size(), 3u);
    EXPECT_EQ(features[0].name, "negative value");
    EXPECT_EQ(features[0].cases, (std::vector<std::string>{"sample-1", "secret-2"}));
    EXPECT_EQ(features[1].name, "empty sequence");
    EXPECT_EQ(features[1].cases, (std::vector<std::string>{"secret-1"}));
    EXPECT_EQ(features[2].name, "repeated value");
    EXPECT_TRUE(features[2].cases.empty());
    EXPECT_EQ(coverage.missing_features(), (std::vector<std::string>{"repeated value"}));
}

TEST(Coverage, TheReportGivesTheBoundsThenTheFeatures)
{
    EXPECT_EQ(three_cases().report(),
              "quantity       smallest  largest  limits  reaches\n"
              "first length          0       10  0..10   both\n"
              "search values        -1        5  -5..5   upper\n"
              "Reached by no case: search values -5.\n"
              "\n"
              "Features of the cases:\n"
              "feature         cases\n"
              "negative value  sample-1, secret-2\n"
              "empty sequence  secret-1\n"
              "repeated value  none\n"
              "Had by no case: repeated value.\n");
}

TEST(Coverage, WithoutFeaturesTheReportIsTheBoundsAlone)
{
    // Cases added by their quantities alone, or whose reports have no
    // features table: the bounds' text as it always was.
    Coverage coverage;
    coverage.add(package::read_report(report({"first length  0  10  0..10  both"}, {})));
    coverage.add("secret-1", package::read_report(report({"first length  4  4  0..10  -"}, {})), {});
    EXPECT_EQ(coverage.report(),
              "quantity      smallest  largest  limits  reaches\n"
              "first length         0       10  0..10   both\n"
              "Every bound is reached by some case.\n");
    EXPECT_TRUE(coverage.features().empty());
    EXPECT_TRUE(coverage.missing_features().empty());
}

TEST(Coverage, EveryFeatureHadIsSaid)
{
    Coverage coverage;
    coverage.add("a", {}, {{"empty sequence", true}, {"negative value", false}});
    coverage.add("b", {}, {{"empty sequence", false}, {"negative value", true}});
    EXPECT_TRUE(coverage.missing_features().empty());
    const std::string text = coverage.report();
    EXPECT_EQ(text.substr(text.find("\nFeatures of the cases:\n")),
              "\nFeatures of the cases:\n"
              "feature         cases\n"
              "empty sequence  a\n"
              "negative value  b\n"
              "Every feature is had by some case.\n");
}

}  // namespace
