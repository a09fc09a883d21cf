// pro6-shrink: the shrink steps of a PRO6 case (common/shrink_steps.hpp).
// Its items, and its numbers, are the values of the first sequence, then
// those of the second, then the search values, numbered in one row; the
// counts follow from them. A case is written in the layout pro6-maketest
// writes. Values are not set where they would break a sequence's order.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/shrink_steps.hpp"

namespace {

const common::ShrinkHelp help{
    "PRO6",
    "Items: the values of the first sequence, then those of the second, then the\nsearch values, in one row; "
    "dropping them rewrites the counts.\n",
    "Numbers: the same values, in the same row; the values set must leave each\nsequence non-decreasing.\n\n",
};

class Pro6Case : public common::ShrinkCase {
public:
    // The first sequence, the second and the search values.
    std::vector<std::int64_t> parts[3];

    std::size_t items() const override { return parts[0].size() + parts[1].size() + parts[2].size(); }

    std::string drop(std::size_t from, std::size_t count) override
    {
        std::size_t start = 0;
        for (std::vector<std::int64_t>& part : parts) {
            const std::size_t end = start + part.size();
            const std::size_t low = std::max(from, start);
            const std::size_t high = std::min(from + count, end);
            if (low < high)
                part.erase(part.begin() + static_cast<std::ptrdiff_t>(low - start),
                           part.begin() + static_cast<std::ptrdiff_t>(high - start));
            start = end;
        }
        return "";
    }

    std::vector<std::int64_t> numbers() const override
    {
        std::vector<std::int64_t> all = parts[0];
        all.insert(all.end(), parts[1].begin(), parts[1].end());
        all.insert(all.end(), parts[2].begin(), parts[2].end());
        return all;
    }

    std::string set(std::size_t index, std::int64_t value) override
    {
        if (value < INT32_MIN || value > INT32_MAX)
            return "the value " + std::to_string(value) + " does not fit in 32 bits";
        std::size_t part = 0;
        while (index >= parts[part].size()) {
            index -= parts[part].size();
            ++part;
        }
        parts[part][index] = value;
        return "";
    }

    std::string settled() const override
    {
        for (int part = 0; part < 2; ++part)
            for (std::size_t i = 1; i < parts[part].size(); ++i)
                if (parts[part][i] < parts[part][i - 1])
                    return std::string("the values would break the order of the ") +
                           (part == 0 ? "first" : "second") + " sequence";
        return "";
    }

    void write(common::Output& out) const override
    {
        out.number(parts[0].size());
        out.put(' ');
        out.number(parts[1].size());
        out.put('\n');
        for (int sequence = 0; sequence < 2; ++sequence) {
            for (std::size_t i = 0; i < parts[sequence].size(); ++i) {
                if (i > 0)
                    out.put(' ');
                out.number(parts[sequence][i]);
            }
            out.put('\n');
        }
        out.number(parts[2].size());
        out.put('\n');
        for (const std::int64_t value : parts[2]) {
            out.number(value);
            out.put('\n');
        }
    }
};

// Reads count values, refusing a count that is negative or beyond what a
// case can hold.
void read_values(common::Input& in, std::vector<std::int64_t>& values, std::int64_t count, const char* what)
{
    if (count < 0 || count > INT32_MAX)
        common::fail("the count of %s, %lld, is not one", what, static_cast<long long>(count));
    values.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i)
        values.push_back(common::read_case_number(in, what));
}

std::unique_ptr<common::ShrinkCase> read_case(common::Input& in)
{
    auto shrink_case = std::make_unique<Pro6Case>();
    const std::int64_t n = common::read_case_number(in, "the first length");
    const std::int64_t m = common::read_case_number(in, "the second length");
    read_values(in, shrink_case->parts[0], n, "the first sequence");
    read_values(in, shrink_case->parts[1], m, "the second sequence");
    read_values(in, shrink_case->parts[2], common::read_case_number(in, "the number of search values"),
                "the search values");
    return shrink_case;
}

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "pro6-shrink";
    return common::shrink_steps_main(argc, argv, help, read_case);
}
