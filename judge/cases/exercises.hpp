// The exercises as data. Each exercise's facts live once, in the file
// exercise.json of its own folder (pro6/exercise.json), installed with the
// suite in share/exercise-suite/exercises/NAME/ beside its problem
// material; the folders named in $EXERCISE_SUITE_EXERCISES (a list like
// PATH, each holding one folder per exercise) are read first, so that an
// exercise can be added without touching the suite. The keys of a file:
//
//   name        what the tools call it ("pro6"), any case on a command line
//   listed      its place where the exercises are listed
//   answers     what its makers' answers are, in a few words
//   makers      [{name, takes: "prompts" | "options", output_option,
//                price_option}]: how each maker takes its answers, typed at
//                its prompts (one answer a line) or as options, the case
//                then written to the file after output_option; a price
//                ceiling of the reference goes after price_option
//   validator   {name, strict: the option asking for the makers' layout,
//                for: the option naming the solver a case must suit,
//                features: the option asking for the case's features}
//   shrinker    the program of the shrink steps of a case (pro6-shrink,
//                common/shrink_steps.hpp), which a failing case's content
//                is shrunk with; none: only its answers are shrunk
//   solvers     [{name, reference, lowest_price, price_ceiling,
//                needs_coverage, highest_demand}]: the reference first;
//                what else each takes (3-15's prices, demands, offers)
//   output      "exact", or "clock line": exact but the last line, a clock
//                reading, which may be any integer
//   sizes       {small, medium, large, max}: lists of {maker, answers}
//   shrink      [{token | after, least, at_most_token, zero_when_zero}]:
//                the answers a shrink may lower (the token-th from 1, or
//                the one after an option), never below least nor above the
//                at_most_token-th, and 0 when the tokens zero_when_zero
//                all are
//   problem     {name, folder, memory_mib, output_mib, input_validator,
//                output_validator, submissions: [{folder, source}]}: its
//                problem package: the folder (from the file's) holding its
//                statement, plans and stored cases, the single-file
//                sources of its validators and submissions
//
// Reading the table fails with a SetupError naming the file and the fault.
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

// How a maker takes its answers.
enum class Takes {
    prompts,  // typed at its prompts, one a line; the case on standard output
    options,  // as options; the case written to the file after output_option
};

struct Maker {
    std::string name;
    Takes takes = Takes::prompts;
    std::string output_option;  // options makers: "-o"
    std::string price_option;   // "--max-price", where a reference's price ceiling goes; "" for none
};

struct Validator {
    std::string name;
    std::string strict_option;  // asks for the makers' own layout; "" for none
    std::string for_option;     // names the solver a case must suit; "" for none
    std::string features_option;  // asks for the features of the case in its report; "" for none
};

struct Solver {
    std::string name;
    bool reference = false;
    std::optional<std::int64_t> lowest_price;   // none: any
    std::optional<std::int64_t> price_ceiling;  // none: any
    bool needs_coverage = false;                // every demand covered by offers
    std::optional<std::int64_t> highest_demand; // none: any
};

enum class Comparison {
    exact,       // byte for byte
    clock_line,  // byte for byte but the last line, a clock reading: any integer
};

// One way of making a case: a maker and its answers.
struct Preset {
    std::string maker;
    std::string answers;  // as the maker takes them: lines for prompts, words for options
};

// An answer that shrinking may lower.
struct Shrinkable {
    std::optional<std::size_t> token;  // the token at this index (from 0), or
    std::string after;                 // the one after this option
    std::int64_t least = 0;
    std::optional<std::size_t> at_most_token;  // never above that token's value
    std::vector<std::size_t> zero_when_zero;   // 0 when these tokens all are
};

// A submission a new problem package gets, in the folder of submissions/
// that says how it must fare.
struct Submission {
    std::string folder;  // accepted, wrong_answer, time_limit_exceeded, run_time_error
    std::string source;  // a file of the suite's sources, or one under the problem folder
};

// What an exercise's problem package is made of.
struct Problem {
    std::string name;    // the problem's name by default
    std::string folder;  // its statement, plans and stored cases (a full path)
    std::uint64_t memory_mib = 1024;
    std::uint64_t output_mib = 8;
    std::string input_validator;   // its single-file source
    std::string output_validator;  // its single-file source; "": the default comparison
    std::vector<Submission> submissions;
};

struct Exercise {
    std::string name;
    int listed = 0;
    std::string answers;  // what the makers' answers are: "lines and stage"
    std::string origin;  // the file it was read from
    std::vector<Maker> makers;
    Validator validator;
    std::string shrinker;  // "" for none
    std::vector<Solver> solvers;  // the reference first
    Comparison comparison = Comparison::exact;
    std::vector<Preset> presets[4];  // by Size; case i takes preset i mod their number
    std::vector<Shrinkable> shrinkable;
    Problem problem;

    const Solver& reference() const { return solvers.front(); }
    bool clock_line() const { return comparison == Comparison::clock_line; }

    // The maker or solver of that name (a path's last part), or null.
    const Maker* maker(std::string_view name) const;
    const Solver* solver(std::string_view name) const;
};

// A file or folder of what the suite shares with the tools built on it,
// share/exercise-suite/NAME beside the build (as where it is installed).
std::string shared_path(const std::string& name);

// Every exercise, in the order they are listed; read once. Throws a
// SetupError for a table that cannot be read or is not one.
const std::vector<Exercise>& exercises();

// The exercise of that name in any case ("PRO6", "pro6"), or null.
const Exercise* find_exercise(std::string_view name);

// "pro3, pro2, pro6 or 3-15".
std::string exercise_names();

// Reads one exercise's file; throws a SetupError saying what is wrong.
Exercise read_exercise(const std::string& path);

// Makes answers that a shrink step made inconsistent consistent again.
class Answers;
void keep_consistent(const std::vector<Shrinkable>& fields, Answers& answers);

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

    // The index of the shrinkable answer, if the answers have it.
    std::optional<std::size_t> index_of(const Shrinkable& field) const;

    // The tokens joined by blanks: the size shown for a case.
    std::string label() const;

    bool operator==(const Answers& other) const { return text_ == other.text_; }

private:
    void split();

    std::string text_;
    std::vector<std::pair<std::size_t, std::size_t>> tokens_;  // offset and length
};

}  // namespace judge
