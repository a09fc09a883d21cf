// Reads back the report a validator writes for a valid case: its "label:
// value" facts, then its table of bounded quantities, so that tests compare
// values rather than column spacing.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

struct ReportRow {
    std::string smallest, largest, limits, reaches;

    bool operator==(const ReportRow&) const = default;
};

struct ParsedReport {
    std::map<std::string, std::string> facts;
    std::map<std::string, ReportRow> rows;  // by quantity
    std::vector<std::string> order;         // the quantities as the table lists them
};

// Facts up to the first empty line; after it a heading and one row per
// quantity, whose name may hold blanks: the last four fields are the values.
inline ParsedReport parse_report(const std::string& text)
{
    ParsedReport report;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line) && !line.empty()) {
        const auto colon = line.find(": ");
        report.facts[line.substr(0, colon)] = colon == std::string::npos ? "" : line.substr(colon + 2);
    }
    std::getline(lines, line);  // the heading
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;)
            words.push_back(word);
        if (words.size() < 5)
            continue;
        std::string quantity = words[0];
        for (std::size_t i = 1; i + 4 < words.size(); ++i)
            quantity += " " + words[i];
        const std::size_t n = words.size();
        report.rows[quantity] = {words[n - 4], words[n - 3], words[n - 2], words[n - 1]};
        report.order.push_back(quantity);
    }
    return report;
}

}  // namespace testing_support
