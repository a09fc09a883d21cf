// Reading the validators' bounds and features tables and merging them over
// a test set.

#include "package/coverage.hpp"

#include <algorithm>
#include <sstream>

#include "judge/base/text.hpp"

namespace package {

namespace {

std::vector<std::string> words_of(const std::string& line)
{
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

std::optional<long double> number(const std::string& text)
{
    if (text == "-")
        return std::nullopt;
    try {
        std::size_t used = 0;
        const long double value = std::stold(text, &used);
        return used == text.size() ? std::optional<long double>(value) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool reaches(const std::optional<long double>& value, const std::string& end)
{
    const std::optional<long double> bound = number(end);
    return value && bound && *value == *bound;
}

std::string reached(const Quantity& quantity)
{
    const bool low = reaches(quantity.smallest, quantity.low);
    const bool high = reaches(quantity.largest, quantity.high);
    return low && high ? "both" : low ? "lower" : high ? "upper" : "-";
}

}  // namespace

std::vector<Quantity> read_report(const std::string& report)
{
    std::vector<Quantity> quantities;
    std::istringstream lines(report);
    bool in_table = false;
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> words = words_of(line);
        if (!in_table) {
            in_table = words.size() == 5 && words[0] == "quantity" && words[4] == "reaches";
            continue;
        }
        if (words.size() < 5)
            break;
        // The name may hold blanks: the last four words are the columns.
        Quantity quantity;
        for (std::size_t i = 0; i + 4 < words.size(); ++i)
            quantity.name += (i > 0 ? " " : "") + words[i];
        quantity.smallest_text = words[words.size() - 4];
        quantity.largest_text = words[words.size() - 3];
        quantity.smallest = number(quantity.smallest_text);
        quantity.largest = number(quantity.largest_text);
        quantity.limits = words[words.size() - 2];
        const std::size_t dots = quantity.limits.find("..");
        if (dots != std::string::npos) {
            quantity.low = quantity.limits.substr(0, dots);
            quantity.high = quantity.limits.substr(dots + 2);
        }
        quantities.push_back(std::move(quantity));
    }
    return quantities;
}

std::vector<Feature> read_features(const std::string& report)
{
    std::vector<Feature> features;
    std::istringstream lines(report);
    bool in_table = false;
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> words = words_of(line);
        if (!in_table) {
            in_table = words.size() == 2 && words[0] == "feature" && words[1] == "present";
            continue;
        }
        // The name may hold blanks: the last word is "yes" or "no".
        if (words.size() < 2 || (words.back() != "yes" && words.back() != "no"))
            break;
        Feature feature;
        for (std::size_t i = 0; i + 1 < words.size(); ++i)
            feature.name += (i > 0 ? " " : "") + words[i];
        feature.present = words.back() == "yes";
        features.push_back(std::move(feature));
    }
    return features;
}

void Coverage::add(const std::string& case_name, const std::vector<Quantity>& quantities,
                   const std::vector<Feature>& features)
{
    add(quantities);
    for (const Feature& feature : features) {
        auto known = std::find_if(features_.begin(), features_.end(),
                                  [&](const FeatureCases& f) { return f.name == feature.name; });
        if (known == features_.end())
            known = features_.insert(features_.end(), FeatureCases{feature.name, {}});
        if (feature.present)
            known->cases.push_back(case_name);
    }
}

void Coverage::add(const std::vector<Quantity>& quantities)
{
    for (const Quantity& quantity : quantities) {
        auto known = std::find_if(quantities_.begin(), quantities_.end(),
                                  [&](const Quantity& q) { return q.name == quantity.name; });
        if (known == quantities_.end()) {
            quantities_.push_back(quantity);
            continue;
        }
        if (quantity.smallest && (!known->smallest || *quantity.smallest < *known->smallest)) {
            known->smallest = quantity.smallest;
            known->smallest_text = quantity.smallest_text;
        }
        if (quantity.largest && (!known->largest || *quantity.largest > *known->largest)) {
            known->largest = quantity.largest;
            known->largest_text = quantity.largest_text;
        }
    }
}

std::string Coverage::report() const
{
    std::vector<std::vector<std::string>> rows{{"quantity", "smallest", "largest", "limits", "reaches"}};
    for (const Quantity& quantity : quantities_)
        rows.push_back({quantity.name, quantity.smallest ? quantity.smallest_text : "-",
                        quantity.largest ? quantity.largest_text : "-", quantity.limits, reached(quantity)});
    std::string text = judge::lay_out(rows, {false, true, true, false, false});
    // The bounds no case reaches: those the package says why of apart.
    std::vector<std::string> missing;
    std::vector<std::vector<std::string>> explained;
    for (const std::string& bound : unreached()) {
        const auto reason = std::find_if(reasons_.begin(), reasons_.end(), [&](const auto& r) { return r.first == bound; });
        if (reason == reasons_.end())
            missing.push_back(bound);
        else
            explained.push_back({"  " + bound + ":", reason->second});
    }
    text += missing.empty() ? "Every bound is reached by some case" : "Reached by no case:";
    for (std::size_t i = 0; i < missing.size(); ++i)
        text += (i > 0 ? ", " : " ") + missing[i];
    text += missing.empty() && !explained.empty() ? ", but those below.\n" : ".\n";
    if (!explained.empty())
        text += "Reached by no case of this package, and why:\n" + judge::lay_out(explained, {false, false});
    if (features_.empty())
        return text;
    std::vector<std::vector<std::string>> feature_rows{{"feature", "cases"}};
    for (const FeatureCases& feature : features_) {
        std::string cases;
        for (const std::string& name : feature.cases)
            cases += (cases.empty() ? "" : ", ") + name;
        feature_rows.push_back({feature.name, cases.empty() ? "none" : cases});
    }
    text += "\nFeatures of the cases:\n" + judge::lay_out(feature_rows, {false, false});
    const std::vector<std::string> absent = missing_features();
    text += absent.empty() ? "Every feature is had by some case" : "Had by no case:";
    for (std::size_t i = 0; i < absent.size(); ++i)
        text += (i > 0 ? ", " : " ") + absent[i];
    std::vector<std::vector<std::string>> unhad;
    for (const FeatureCases& feature : features_)
        if (feature.cases.empty())
            for (const auto& [name, why] : feature_reasons_)
                if (name == feature.name)
                    unhad.push_back({"  " + name + ":", why});
    text += absent.empty() && !unhad.empty() ? ", but those below.\n" : ".\n";
    if (!unhad.empty())
        text += "Had by no case of this package, and why:\n" + judge::lay_out(unhad, {false, false});
    return text;
}

void Coverage::explain(const std::string& notes)
{
    std::istringstream lines(notes);
    for (std::string line; std::getline(lines, line);) {
        // "feature NAME: reason": a feature no case can have.
        if (line.rfind("feature ", 0) == 0 && line.find(':') != std::string::npos) {
            const std::size_t colon = line.find(':');
            const std::size_t start = line.find_first_not_of(' ', colon + 1);
            if (start != std::string::npos)
                feature_reasons_.emplace_back(line.substr(8, colon - 8), line.substr(start));
            continue;
        }
        // The bound is the quantity's words and the number after them: the
        // first word that is a number ends it.
        std::istringstream words(line);
        std::string bound;
        for (std::string word; words >> word;) {
            bound += (bound.empty() ? "" : " ") + word;
            if (number(word))
                break;
        }
        std::string reason;
        std::getline(words, reason);
        const std::size_t start = reason.find_first_not_of(' ');
        if (!bound.empty() && start != std::string::npos)
            reasons_.emplace_back(bound, reason.substr(start));
    }
}

std::vector<std::string> Coverage::unreached() const
{
    std::vector<std::string> missing;
    for (const Quantity& quantity : quantities_) {
        if (!reaches(quantity.smallest, quantity.low))
            missing.push_back(quantity.name + " " + quantity.low);
        if (!reaches(quantity.largest, quantity.high))
            missing.push_back(quantity.name + " " + quantity.high);
    }
    return missing;
}

std::vector<std::string> Coverage::missing_features() const
{
    std::vector<std::string> missing;
    for (const FeatureCases& feature : features_)
        if (feature.cases.empty() && std::none_of(feature_reasons_.begin(), feature_reasons_.end(),
                                                  [&](const auto& reason) { return reason.first == feature.name; }))
            missing.push_back(feature.name);
    return missing;
}

}  // namespace package
