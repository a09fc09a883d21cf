// The four exercises as the judge knows them: makers and the answers of each
// size, validator, reference solver, what their output holds besides the
// answer, and which answers shrinking may make smaller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace judge {

enum class Size { small, medium, large, max };

// The names --size takes, by Size.
constexpr const char* size_names[] = {"small", "medium", "large", "max"};

// One way of making a case: a maker and its answers.
struct Preset {
    const char* maker;
    const char* answers;  // typed at the maker's prompts; for 3-15, order-gen's options
};

// An answer that shrinking may lower: the token at `index` among the
// answers' white-space separated tokens, or the one after the option
// `after`; never below `least`.
struct Shrinkable {
    int index;
    const char* after;
    std::int64_t least;
};

class Answers;

struct Exercise {
    const char* name;
    const char* validator;
    const char* reference;           // the first solver
    bool clock_line;                 // the output's last line is a clock reading
    bool options_maker;              // the maker takes options and writes the case to -o FILE
    std::vector<Preset> presets[4];  // by Size; case i takes preset i mod their number
    std::vector<Shrinkable> shrinkable;
    void (*keep_consistent)(Answers&);  // mends answers a shrink step made inconsistent; may be null
};

// The exercise of that name, or null.
const Exercise* find_exercise(std::string_view name);

// "pro3, pro2, pro6 or 3-15".
std::string exercise_names();

// The highest price a 3-15 reference takes, by its name; 0 for any.
std::int64_t price_ceiling(std::string_view reference);

// True for the order solvers order-validate --for knows.
bool is_order_solver(std::string_view reference);

// A maker's answers: the text as given, and its white-space separated
// tokens, each of which can be replaced.
class Answers {
public:
    explicit Answers(std::string text = "");

    const std::string& text() const { return text_; }
    std::size_t count() const { return tokens_.size(); }
    std::string token(std::size_t index) const;

    // The token as a decimal integer, if it is one.
    std::optional<std::int64_t> number(std::size_t index) const;
    void set(std::size_t index, std::int64_t value);

    // The index of the token after the token `word`, if both are there.
    std::optional<std::size_t> after(std::string_view word) const;

    // The tokens joined by blanks: the size shown for a case.
    std::string label() const;

    bool operator==(const Answers& other) const { return text_ == other.text_; }

private:
    void split();

    std::string text_;
    std::vector<std::pair<std::size_t, std::size_t>> tokens_;  // offset and length
};

}  // namespace judge
