// The features table a validator writes with --features: built from the
// list of feature names and the set a case has, so that a test compares the
// whole table; cut from a report; and checked over a table of cases, each
// given with the features it has.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace testing_support {

// The table as the validators lay it out: "feature" and "present" over the
// names, left-aligned, and "yes" or "no", two blanks between.
inline std::string feature_table(const std::vector<std::string>& names, const std::set<std::string>& present)
{
    const std::string heading = "feature";
    std::size_t width = heading.size();
    for (const std::string& name : names)
        width = std::max(width, name.size());
    std::string text = heading + std::string(width - heading.size() + 2, ' ') + "present\n";
    for (const std::string& name : names)
        text += name + std::string(width - name.size() + 2, ' ') + (present.count(name) != 0 ? "yes" : "no") + "\n";
    return text;
}

// The features table that ends a report, from its heading on; empty when
// the report has none.
inline std::string features_of(const std::string& report)
{
    const std::size_t at = report.rfind("\n\nfeature ");
    return at == std::string::npos ? std::string() : report.substr(at + 2);
}

// The rows of a report's features table: each feature's "yes" or "no".
inline std::map<std::string, std::string> feature_rows(const std::string& report)
{
    std::map<std::string, std::string> rows;
    std::istringstream lines(features_of(report));
    std::string line;
    std::getline(lines, line);  // the heading
    while (std::getline(lines, line)) {
        const std::size_t last = line.rfind(' ');
        const std::size_t name_end = line.find_last_not_of(' ', last);
        if (last != std::string::npos && name_end != std::string::npos)
            rows[line.substr(0, name_end + 1)] = line.substr(last + 1);
    }
    return rows;
}

// A valid case and the features it has.
struct FeatureCase {
    std::string input;
    std::set<std::string> present;
};

// Runs `program --features` on each case: status 0, the report without
// the option followed by an empty line and the exact table. Every name a
// case gives must be a feature, and unless `some_features_only`, every
// feature must be had by some case and missed by another, so that each row
// is seen both ways.
inline void check_feature_cases(const std::string& program, const std::vector<std::string>& names,
                                 const std::vector<FeatureCase>& cases, bool some_features_only = false)
{
    std::set<std::string> had, missed;
    for (const FeatureCase& c : cases) {
        const std::string shown = c.input.substr(0, 80);
        for (const std::string& name : c.present)
            EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << "no feature \"" << name << "\"";
        const RunResult plain = run(program, c.input);
        const RunResult result = run_with(program, {"--features"}, c.input);
        ASSERT_EQ(result.status, 0) << shown << "\n" << result.err;
        EXPECT_EQ(result.out, plain.out + "\n" + feature_table(names, c.present)) << shown;
        for (const std::string& name : names)
            (c.present.count(name) != 0 ? had : missed).insert(name);
    }
    for (const std::string& name : some_features_only ? std::vector<std::string>() : names) {
        EXPECT_EQ(had.count(name), 1u) << "no case has \"" << name << "\"";
        EXPECT_EQ(missed.count(name), 1u) << "every case has \"" << name << "\"";
    }
}

// Runs `program` on an invalid input with and without --features: the
// same violation line, status 1 and nothing on standard output.
inline void expect_features_change_no_violation(const std::string& program, const std::string& input)
{
    const RunResult plain = run(program, input);
    const RunResult result = run_with(program, {"--features"}, input);
    const std::string shown = input.substr(0, 80);
    EXPECT_EQ(plain.status, 1) << shown;
    EXPECT_EQ(result.status, 1) << shown;
    EXPECT_EQ(result.out, "") << shown;
    EXPECT_NE(plain.err, "") << shown;
    EXPECT_EQ(result.err, plain.err) << shown;
}

}  // namespace testing_support
