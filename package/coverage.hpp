// Which of the format's bounds a test set reaches, from the validators' own
// overview of each case: for every bounded quantity the smallest and
// largest value met beside its limits.
#pragma once

#include <optional>
#include <string>
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

// The test set's quantities: each one's least and greatest over the cases.
class Coverage {
public:
    void add(const std::vector<Quantity>& quantities);

    // A table: each quantity, the smallest and largest values the set has,
    // its limits and which of them the set reaches, then which bounds no
    // case reaches.
    std::string report() const;

    // "first length: upper" for every bound no case reaches.
    std::vector<std::string> unreached() const;

private:
    std::vector<Quantity> quantities_;
};

}  // namespace package
