// The exercise table, read from the exercises' own files, and the answers a
// case is made from.

#include "judge/cases/exercises.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "judge/base/failure.hpp"
#include "judge/run/programs.hpp"

namespace judge {

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

// Where the suite's shared files lie, from the folder of its programs.
constexpr const char* shared_from_programs = "/../share/exercise-suite/";

// The variable naming more folders of exercises, read first.
constexpr const char* table_variable = "EXERCISE_SUITE_EXERCISES";

// The file of an exercise in its folder.
constexpr const char* exercise_file = "exercise.json";

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string base_name(std::string_view path)
{
    return std::string(path.substr(path.rfind('/') + 1));
}

template <typename T>
std::optional<T> optional_at(const json& entry, const char* key)
{
    if (!entry.contains(key) || entry.at(key).is_null())
        return std::nullopt;
    return entry.at(key).get<T>();
}

Takes takes_named(const std::string& name)
{
    if (name == "prompts")
        return Takes::prompts;
    if (name == "options")
        return Takes::options;
    throw std::invalid_argument("a maker takes \"prompts\" or \"options\", not \"" + name + "\"");
}

Maker maker_of(const json& entry)
{
    Maker maker;
    maker.name = entry.at("name").get<std::string>();
    maker.takes = takes_named(entry.value("takes", "prompts"));
    maker.output_option = entry.value("output_option", "");
    maker.price_option = entry.value("price_option", "");
    if (maker.takes == Takes::options && maker.output_option.empty())
        throw std::invalid_argument("the maker " + maker.name + " takes options but names no output_option");
    return maker;
}

Solver solver_of(const json& entry)
{
    Solver solver;
    solver.name = entry.at("name").get<std::string>();
    solver.reference = entry.value("reference", false);
    solver.lowest_price = optional_at<std::int64_t>(entry, "lowest_price");
    solver.price_ceiling = optional_at<std::int64_t>(entry, "price_ceiling");
    solver.needs_coverage = entry.value("needs_coverage", false);
    solver.highest_demand = optional_at<std::int64_t>(entry, "highest_demand");
    return solver;
}

// The answers of a preset as its maker takes them.
Preset preset_of(const json& entry, const std::vector<Maker>& makers)
{
    Preset preset;
    preset.maker = entry.at("maker").get<std::string>();
    const auto maker = std::find_if(makers.begin(), makers.end(), [&](const Maker& m) { return m.name == preset.maker; });
    if (maker == makers.end())
        throw std::invalid_argument("a size names the maker " + preset.maker + ", which is not among the makers");
    for (const std::string& answer : entry.at("answers").get<std::vector<std::string>>()) {
        if (maker->takes == Takes::prompts)
            preset.answers += answer + "\n";
        else
            preset.answers += (preset.answers.empty() ? "" : " ") + answer;
    }
    return preset;
}

// A token number from 1 in the file, an index from 0 here.
std::size_t token_index(const json& value)
{
    const int number = value.get<int>();
    if (number < 1)
        throw std::invalid_argument("a token is numbered from 1");
    return static_cast<std::size_t>(number - 1);
}

Shrinkable shrinkable_of(const json& entry)
{
    Shrinkable field;
    if (entry.contains("token"))
        field.token = token_index(entry.at("token"));
    else
        field.after = entry.at("after").get<std::string>();
    field.least = entry.value("least", std::int64_t{0});
    if (entry.contains("at_most_token"))
        field.at_most_token = token_index(entry.at("at_most_token"));
    for (const json& token : entry.value("zero_when_zero", json::array()))
        field.zero_when_zero.push_back(token_index(token));
    return field;
}

Problem problem_of(const json& entry, const fs::path& folder)
{
    Problem problem;
    problem.name = entry.at("name").get<std::string>();
    problem.folder = (folder / entry.value("folder", "problem")).lexically_normal().string();
    problem.memory_mib = entry.value("memory_mib", problem.memory_mib);
    problem.output_mib = entry.value("output_mib", problem.output_mib);
    problem.input_validator = entry.at("input_validator").get<std::string>();
    problem.output_validator = optional_at<std::string>(entry, "output_validator").value_or("");
    for (const json& submission : entry.value("submissions", json::array()))
        problem.submissions.push_back({submission.at("folder").get<std::string>(),
                                       submission.at("source").get<std::string>()});
    return problem;
}

Exercise exercise_of(const json& document, const std::string& path)
{
    Exercise exercise;
    exercise.origin = path;
    exercise.name = document.at("name").get<std::string>();
    exercise.listed = document.value("listed", 0);
    exercise.answers = document.value("answers", "");
    for (const json& maker : document.at("makers"))
        exercise.makers.push_back(maker_of(maker));
    const json& validator = document.at("validator");
    exercise.validator = {validator.at("name").get<std::string>(), validator.value("strict", ""),
                          validator.value("for", ""), validator.value("features", "")};
    exercise.shrinker = document.value("shrinker", "");
    for (const json& solver : document.at("solvers"))
        exercise.solvers.push_back(solver_of(solver));
    if (exercise.solvers.empty() || !exercise.solvers.front().reference)
        throw std::invalid_argument("the first solver must be the reference");
    const std::string output = document.value("output", "exact");
    if (output != "exact" && output != "clock line")
        throw std::invalid_argument("output is \"exact\" or \"clock line\", not \"" + output + "\"");
    exercise.comparison = output == "exact" ? Comparison::exact : Comparison::clock_line;
    const json& sizes = document.at("sizes");
    for (int size = 0; size < 4; ++size) {
        for (const json& preset : sizes.at(size_names[size]))
            exercise.presets[size].push_back(preset_of(preset, exercise.makers));
        if (exercise.presets[size].empty())
            throw std::invalid_argument(std::string("the size ") + size_names[size] + " has no answers");
    }
    for (const json& field : document.value("shrink", json::array()))
        exercise.shrinkable.push_back(shrinkable_of(field));
    exercise.problem = problem_of(document.at("problem"), fs::path(path).parent_path());
    return exercise;
}

// The folders exercises are read from: those of the variable, then the
// installed one.
std::vector<fs::path> table_folders()
{
    std::vector<fs::path> folders;
    if (const char* more = std::getenv(table_variable)) {
        std::string_view list = more;
        while (!list.empty()) {
            const std::size_t colon = list.find(':');
            if (colon != 0)
                folders.emplace_back(std::string(list.substr(0, colon)));
            list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
        }
    }
    folders.push_back(shared_path("exercises"));
    return folders;
}

std::vector<Exercise> read_table()
{
    std::vector<Exercise> table;
    for (const fs::path& folder : table_folders()) {
        std::error_code error;
        std::vector<fs::path> files;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
            if (fs::is_regular_file(entry->path() / exercise_file, error))
                files.push_back(entry->path() / exercise_file);
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            Exercise exercise = read_exercise(file.string());
            // The first folder that has an exercise of a name gives it.
            if (std::none_of(table.begin(), table.end(), [&](const Exercise& e) { return e.name == exercise.name; }))
                table.push_back(std::move(exercise));
        }
    }
    if (table.empty())
        throw SetupError("cannot find the exercises (" + std::string(exercise_file) +
                         " files) in share/exercise-suite/exercises beside the build or where the suite is "
                         "installed");
    std::stable_sort(table.begin(), table.end(),
                     [](const Exercise& a, const Exercise& b) { return a.listed < b.listed; });
    return table;
}

}  // namespace

std::string shared_path(const std::string& name)
{
    return fs::path(own_folder() + shared_from_programs + name).lexically_normal().string();
}

const Maker* Exercise::maker(std::string_view name) const
{
    const std::string base = base_name(name);
    for (const Maker& maker : makers)
        if (maker.name == base)
            return &maker;
    return nullptr;
}

const Solver* Exercise::solver(std::string_view name) const
{
    const std::string base = base_name(name);
    for (const Solver& solver : solvers)
        if (solver.name == base)
            return &solver;
    return nullptr;
}

Exercise read_exercise(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw SetupError("cannot read the exercise " + path);
    try {
        return exercise_of(json::parse(file), path);
    } catch (const std::exception& error) {
        throw SetupError("the exercise " + path + " is not one: " + error.what());
    }
}

const std::vector<Exercise>& exercises()
{
    static const std::vector<Exercise> table = read_table();
    return table;
}

const Exercise* find_exercise(std::string_view name)
{
    const auto same = [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); };
    for (const Exercise& exercise : exercises())
        if (std::equal(name.begin(), name.end(), exercise.name.begin(), exercise.name.end(), same))
            return &exercise;
    return nullptr;
}

std::string exercise_names()
{
    std::string names;
    const std::vector<Exercise>& table = exercises();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i > 0)
            names += i + 1 == table.size() ? " or " : ", ";
        names += table[i].name;
    }
    return names;
}

void keep_consistent(const std::vector<Shrinkable>& fields, Answers& answers)
{
    for (const Shrinkable& field : fields) {
        const std::optional<std::size_t> index = answers.index_of(field);
        const std::optional<std::int64_t> value = index ? answers.number(*index) : std::nullopt;
        if (!value)
            continue;
        if (field.at_most_token)
            if (const std::optional<std::int64_t> top = answers.number(*field.at_most_token); top && *value > *top)
                answers.set(*index, *top);
        if (!field.zero_when_zero.empty() &&
            std::all_of(field.zero_when_zero.begin(), field.zero_when_zero.end(),
                        [&](std::size_t other) { return answers.number(other) == std::int64_t{0}; }))
            answers.set(*index, 0);
    }
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

std::optional<std::size_t> Answers::index_of(const Shrinkable& field) const
{
    if (field.token)
        return field.token;
    return after(field.after);
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
