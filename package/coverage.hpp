// Which of the format's bounds a test set reaches, and which cases have
// each of the exercise's features, from the validators' own overview of
// each case: for every bounded quantity the smallest and largest value met
// beside its limits, and (with --features) whether the case has each
// feature.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace package {

struct Quantity {
    std::string name;                   // "first length"
    std::optional<long double> smallest;  // none: no value met
    std::optional<long double> largest;
    std::string smallest_text, largest_text;  // as the validator wrote them
    std::string limits;                 // "0..10000000"
    std::string low, high;              // the limits' ends
};

// The quantities of one validator report (the table after its
// "quantity ... reaches" heading); none when it has no such table.
std::vector<Quantity> read_report(const std::string& report);

// One row of a validator's features table.
struct Feature {
    std::string name;  // "empty sequence"
    bool present = false;
};

// The features of one validator report (the table after its "feature
// present" heading), in its order; none when it has no such table.
std::vector<Feature> read_features(const std::string& report);

// A feature of the test set and the cases that have it.
struct FeatureCases {
    std::string name;
    std::vector<std::string> cases;  // in the order they were added
};

// The test set's quantities, each one's least and greatest over the cases,
// and its features, each with the cases that have it.
class Coverage {
public:
    // Adds a case: its quantities, and its features under its name.
    void add(const std::string& case_name, const std::vector<Quantity>& quantities,
             const std::vector<Feature>& features);

    // Adds a case's quantities alone.
    void add(const std::vector<Quantity>& quantities);

    // Says why no case of the package reaches a bound ("width 2147483647")
    // or has a feature, from the lines of the package's
    // generators/bounds-unreached: "QUANTITY BOUND reason", or "feature
    // NAME: reason".
    void explain(const std::string& notes);

    // A table: each quantity, the smallest and largest values the set has,
    // its limits and which of them the set reaches, then which bounds no
    // case reaches; then, when the cases told their features, a table of
    // each feature with the cases that have it ("none"), and which
    // features no case has.
    std::string report() const;

    // "first length 10000000" for every bound no case reaches.
    std::vector<std::string> unreached() const;

    // Every feature the cases told of, in the order first met, with the
    // cases that have it.
    const std::vector<FeatureCases>& features() const { return features_; }

    // The features no case has, but those the package says why of.
    std::vector<std::string> missing_features() const;

private:
    std::vector<Quantity> quantities_;
    std::vector<FeatureCases> features_;
    std::vector<std::pair<std::string, std::string>> reasons_;  // a bound, and why no case reaches it
    std::vector<std::pair<std::string, std::string>> feature_reasons_;  // a feature, and why no case has it
};

}  // namespace package
