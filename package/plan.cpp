// Reading the test plan.

#include "package/plan.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <set>
#include <sstream>


namespace package {

const char* const plan_header =
    R"(# The test plan: one test case per line, made in this order and judged in the
# order of their names. The first line names the exercise.
#
#   NAME  sample|secret  MAKER SEED ANSWER...   made by MAKER --seed SEED, given the
#                                               answers (one per prompt; order-gen:
#                                               its options)
#   NAME  sample|secret  file PATH              a stored case, PATH from the package
#
# NAME: letters, digits, '.', '_' and '-', at least two, not starting or ending
# with a mark. A line's text after '#' is a comment. Change a line, or add one,
# and exercise-package build makes that case again.
)";

namespace {

std::vector<std::string> words_of(const std::string& line)
{
    std::istringstream stream(line.substr(0, line.find('#')));
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

[[noreturn]] void expected(int line, const std::string& what, const std::string& found)
{
    throw PlanError("line " + std::to_string(line) + ": expected " + what +
                    (found.empty() ? ", found the end of the line" : ", found \"" + found + "\""));
}

}  // namespace

bool valid_file_name(const std::string& name)
{
    const auto plain = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    return name.size() >= 2 && name.size() <= 255 && plain(name.front()) && plain(name.back()) &&
           std::all_of(name.begin(), name.end(), [&](char c) { return plain(c) || c == '.' || c == '_' || c == '-'; });
}

std::string PlannedCase::answer_text(const judge::Exercise& exercise) const
{
    const judge::Maker* made_by = exercise.maker(maker);
    const bool prompts = made_by == nullptr || made_by->takes == judge::Takes::prompts;
    std::string text;
    for (const std::string& answer : answers)
        text += prompts ? answer + "\n" : (text.empty() ? "" : " ") + answer;
    return text;
}

std::string PlannedCase::recipe() const
{
    if (maker.empty())
        return "stored in " + file;
    std::string line = "made by " + maker + " --seed " + std::to_string(seed) + " given";
    for (const std::string& answer : answers)
        line += " " + answer;
    return line;
}

namespace {

// The exercise a plan's first line names.
const judge::Exercise* exercise_line(const std::vector<std::string>& words, int number)
{
    if (words[0] != "exercise" || words.size() != 2)
        expected(number, "\"exercise\" and the exercise's name", words[0]);
    const judge::Exercise* exercise = judge::find_exercise(words[1]);
    if (exercise == nullptr)
        expected(number, "an exercise (" + judge::exercise_names() + ")", words[1]);
    return exercise;
}

// After "NAME GROUP": a maker, its seed and its answers.
void made_by(const std::vector<std::string>& words, int number, const judge::Exercise& exercise, PlannedCase& entry)
{
    if (exercise.maker(words[2]) == nullptr || words[2].find('/') != std::string::npos) {
        std::string known;
        for (const judge::Maker& maker : exercise.makers)
            known += (known.empty() ? "" : ", ") + maker.name;
        expected(number, "a maker of " + exercise.name + " (" + known + ") or \"file\"", words[2]);
    }
    entry.maker = words[2];
    const std::string seed = words.size() > 3 ? words[3] : "";
    const auto [end, error] = std::from_chars(seed.data(), seed.data() + seed.size(), entry.seed);
    if (seed.empty() || error != std::errc() || end != seed.data() + seed.size())
        expected(number, "a seed (0 to 4294967295) after the maker", seed);
    entry.answers.assign(words.begin() + 4, words.end());
    if (entry.answers.empty())
        expected(number, "the maker's answers after the seed", "");
}

// One case's line.
PlannedCase case_line(const std::vector<std::string>& words, int number, const judge::Exercise& exercise)
{
    PlannedCase entry;
    entry.line = number;
    entry.name = words[0];
    if (!valid_file_name(entry.name))
        expected(number, "a case name of letters, digits, '.', '_' and '-'", entry.name);
    if (words.size() < 2 || (words[1] != "sample" && words[1] != "secret"))
        expected(number, "\"sample\" or \"secret\" after the name", words.size() < 2 ? "" : words[1]);
    entry.sample = words[1] == "sample";
    if (words.size() < 3)
        expected(number, "a maker or \"file\"", "");
    if (words[2] != "file") {
        made_by(words, number, exercise, entry);
        return entry;
    }
    if (words.size() != 4)
        expected(number, "one PATH after \"file\"", words.size() < 4 ? "" : words[4]);
    entry.file = words[3];
    return entry;
}

}  // namespace

Plan read_plan(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw PlanError("cannot be read");
    Plan plan;
    std::set<std::string> names;
    int number = 0;
    for (std::string text; std::getline(file, text);) {
        ++number;
        const std::vector<std::string> words = words_of(text);
        if (words.empty())
            continue;
        if (plan.exercise == nullptr) {
            plan.exercise = exercise_line(words, number);
            continue;
        }
        PlannedCase entry = case_line(words, number, *plan.exercise);
        if (!names.insert(entry.name).second)
            throw PlanError("line " + std::to_string(number) + ": the case " + entry.name + " is planned twice");
        plan.cases.push_back(std::move(entry));
    }
    if (plan.exercise == nullptr)
        throw PlanError("line " + std::to_string(number + 1) + ": expected \"exercise\" and the exercise's name");
    if (plan.cases.empty())
        throw PlanError("plans no case");
    return plan;
}

}  // namespace package
