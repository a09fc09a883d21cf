// The exercise table and the answers a case is made from.

#include "judge/cases/exercises.hpp"

#include <charconv>

namespace judge {

namespace {

// PRO6 answers "N M\nK\nF\n": F values must be found among K search values,
// and there is nothing to find in two empty sequences.
void keep_pro6_consistent(Answers& answers)
{
    if (answers.count() < 4)
        return;
    const auto n = answers.number(0), m = answers.number(1), k = answers.number(2), f = answers.number(3);
    if (!n || !m || !k || !f)
        return;
    if (*f > *k)
        answers.set(3, *k);
    if (*n == 0 && *m == 0 && *f != 0)
        answers.set(3, 0);
}

// The exercises, in the order their names are listed. Sizes: small cases
// take milliseconds; medium ones tens of kilobytes to a few megabytes; large
// ones tens of megabytes; max ones the largest the formats hold, hundreds of
// megabytes of answer at most.
const Exercise exercises[] = {
    {"pro3", "pro3-validate", "pro3-solve", false, false,
     {
         {{"pro3-maketest", "10\n1\n"}},
         {{"pro3-maketest", "1000\n2\n"}},
         {{"pro3-maketest", "10000\n3\n"}, {"pro3-maketest", "10000\n4\n"}},
         {{"pro3-maketest", "100000\n4\n"}},
     },
     {{0, nullptr, 1}, {1, nullptr, 1}},
     nullptr},
    {"pro2", "pro2-validate", "pro2-solve", false, false,
     {
         {{"pro2-maketest", "t\n10\n4\n"}, {"pro2-maketest", "b\n10\n4\n"}, {"pro2-maketest", "w\n10\n"}},
         {{"pro2-maketest", "t\n200\n4\n"}, {"pro2-maketest", "b\n200\n8\n"}, {"pro2-maketest", "w\n20000\n"}},
         {{"pro2-maketest", "t\n2000\n4\n"}, {"pro2-maketest", "b\n1000\n8\n"}, {"pro2-maketest", "w\n200000\n"}},
         {{"pro2-maketest-b", "b\n500\n4\n"}, {"pro2-maketest", "t\n6000\n8\n"}, {"pro2-maketest", "w\n2000000\n"}},
     },
     {{1, nullptr, 0}},
     nullptr},
    {"pro6", "pro6-validate", "pro6-solve", false, false,
     {
         {{"pro6-maketest", "10 10\n10\n5\n"}},
         {{"pro6-maketest", "10000 10000\n1000\n500\n"}},
         {{"pro6-maketest", "1000000 1000000\n100000\n50000\n"}},
         {{"pro6-maketest-b", "10000000 10000000\n100000\n50000\n"}},
     },
     {{0, nullptr, 0}, {1, nullptr, 0}, {2, nullptr, 0}, {3, nullptr, 0}},
     keep_pro6_consistent},
    // An order needs at most 4 * 52 units and each ordered item one offer
    // more than its demand, so 210 offers per order plus 15 always suffice.
    {"3-15", "order-validate", "order-solve-list", true, true,
     {
         {{"order-gen", "--orders 10 --offers 2115"}},
         {{"order-gen", "--orders 100 --offers 21015"}},
         {{"order-gen", "--orders 1000 --offers 210015"}},
         {{"order-gen", "--orders 10000 --offers 2000000"}},
     },
     {{-1, "--orders", 1}, {-1, "--offers", 1}},
     nullptr},
};

// The order solvers, as order-validate --for names them.
const char* const order_solvers[] = {"order-solve-list", "order-solve-grid", "order-solve-bucket"};

// The order solvers that take only part of the price range, and its top.
const std::pair<const char*, std::int64_t> price_ceilings[] = {
    {"order-solve-grid", 100000},
    {"order-solve-bucket", 2000000},
};

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

const Exercise* find_exercise(std::string_view name)
{
    for (const Exercise& exercise : exercises)
        if (name == exercise.name)
            return &exercise;
    return nullptr;
}

std::string exercise_names()
{
    std::string names;
    const std::size_t count = std::size(exercises);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            names += i + 1 == count ? " or " : ", ";
        names += exercises[i].name;
    }
    return names;
}

std::int64_t price_ceiling(std::string_view reference)
{
    const std::string_view base = reference.substr(reference.rfind('/') + 1);
    for (const auto& [name, ceiling] : price_ceilings)
        if (base == name)
            return ceiling;
    return 0;
}

bool is_order_solver(std::string_view reference)
{
    const std::string_view base = reference.substr(reference.rfind('/') + 1);
    for (const char* name : order_solvers)
        if (base == name)
            return true;
    return false;
}

Answers::Answers(std::string text) : text_(std::move(text))
{
    split();
}

void Answers::split()
{
    tokens_.clear();
    std::size_t at = 0;
    while (at < text_.size()) {
        while (at < text_.size() && is_blank(text_[at]))
            ++at;
        const std::size_t start = at;
        while (at < text_.size() && !is_blank(text_[at]))
            ++at;
        if (at > start)
            tokens_.emplace_back(start, at - start);
    }
}

std::string Answers::token(std::size_t index) const
{
    return text_.substr(tokens_[index].first, tokens_[index].second);
}

std::optional<std::int64_t> Answers::number(std::size_t index) const
{
    if (index >= tokens_.size())
        return std::nullopt;
    const char* const start = text_.data() + tokens_[index].first;
    const char* const end = start + tokens_[index].second;
    std::int64_t value = 0;
    const auto [stop, error] = std::from_chars(start, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

void Answers::set(std::size_t index, std::int64_t value)
{
    text_.replace(tokens_[index].first, tokens_[index].second, std::to_string(value));
    split();
}

std::optional<std::size_t> Answers::after(std::string_view word) const
{
    for (std::size_t i = 0; i + 1 < tokens_.size(); ++i)
        if (text_.compare(tokens_[i].first, tokens_[i].second, word) == 0)
            return i + 1;
    return std::nullopt;
}

std::string Answers::label() const
{
    std::string label;
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
        if (i > 0)
            label += ' ';
        label += token(i);
    }
    return label;
}

}  // namespace judge
