// The one road of a case, which exercise-judge and exercise-package build
// both take: the case made by its maker from a seed and answers (or read
// from a file), checked by the exercise's validator (with the makers' own
// layout for a made case) and answered by the reference solver, the last
// two side by side, into a folder of the case's own. A case that does not
// get through is unusable, with the step that stopped it and that
// program's own words: a result, not an error. What keeps the road from
// being walked at all (a program that cannot be started, a folder that
// cannot be made) is a SetupError; an interrupted judge, Interrupted.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "judge/cases/exercises.hpp"

namespace judge {

// One case: made by a maker from a seed and answers, or stored in a file.
struct CaseSource {
    std::string name;
    std::size_t index = 0;              // its place among the run's cases
    std::optional<std::uint32_t> seed;  // made cases only
    std::string maker;
    Answers answers;
    std::string input;     // stored cases: the case file
    std::string expected;  // stored cases: the expected output, if stored
    // A case given as its text (a shrunk case): written into its folder and
    // validated with the makers' layout, as a made case is.
    std::optional<std::string> content;
    std::size_t group = 0; // the group of cases it belongs to
};

// How a run's cases are made: case i takes the i-th of the size's presets
// in turn (or the answers given instead) and the seed seed + i.
struct CaseMaking {
    const Exercise* exercise = nullptr;
    Size size = Size::small;
    std::optional<std::string> answers;
    std::uint32_t seed = 0;
    const Solver* reference = nullptr;  // its price ceiling is given to the maker
};

// The case made with seed making.seed + index, named index + 1; the
// place-th of its group, which picks its answers among the size's.
CaseSource made_case(const CaseMaking& making, int index, int place);

// The stored cases in folder, NAME.in with NAME.ans where present, by name;
// a folder that cannot be read or holds none is a SetupError.
std::vector<CaseSource> stored_cases(const std::string& folder);

// The programs a case's road runs, found once, and the wall time each gets.
struct Road {
    const Exercise* exercise = nullptr;
    std::map<std::string, std::string, std::less<>> makers;  // by name: path
    std::string validator;                       // its path; "" for none
    std::string shrinker;                        // its path; "" for none (or stored cases only)
    std::vector<std::string> validator_options;  // the solver a case must suit, the report's features
    std::string reference;                       // its path
    double wall_seconds = 0;
};

// The road of the exercise with that reference (a name or a path; none:
// the exercise's), its makers found too when cases are made; a program
// not found is a SetupError.
Road make_road(const Exercise& exercise, const std::optional<std::string>& reference, bool makes_cases,
               double wall_seconds);

// Why a case cannot be used: which program of its road stopped it, how it
// ended, and the last of what it wrote.
struct Unusable {
    enum class Step { maker, validator, reference };
    Step step = Step::maker;
    std::string program;  // its name
    std::string how;      // "exit status 1", "killed by SIGSEGV", "still running after 60 s"
    bool rejected = false;  // the validator ended with status 1: the case breaks the format
    std::string error;    // the end of its standard error
    std::string output;   // the end of its standard output
};

// The reason as the judge reports it on the case.
std::string describe(const Unusable& unusable);

// The last non-empty line of a program's text, from where prefix (its
// "NAME: ") starts in it if it does, cut to 200 bytes, made safe for a
// terminal.
std::string last_words(const std::string& text, const std::string& prefix = "");

// One case walked down its road in a folder of the judge's own, removed
// with everything in it when the object goes.
class PreparedCase {
public:
    PreparedCase(const Road& road, const CaseSource& source, std::string folder);
    ~PreparedCase();
    PreparedCase(const PreparedCase&) = delete;
    PreparedCase& operator=(const PreparedCase&) = delete;

    // Makes, validates and answers the case; throws a SetupError or
    // Interrupted when the road cannot be walked.
    void prepare();

    // Set when the case cannot be used.
    const std::optional<Unusable>& unusable() const { return unusable_; }

    const CaseSource& source() const { return source_; }
    const std::string& folder() const { return folder_; }
    const std::string& case_file() const { return case_file_; }
    const std::string& expected_file() const { return expected_file_; }

    // What the validator wrote on standard output: its report of the case.
    std::string validator_report() const;

    // The maker's command line for a made case.
    std::vector<std::string> maker_argv() const;

private:
    void make();
    void validate_and_answer();

    const Road& road_;
    const CaseSource& source_;
    const std::string folder_;
    std::string case_file_;
    std::string expected_file_;
    std::optional<Unusable> unusable_;
};

}  // namespace judge
