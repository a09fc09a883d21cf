// Reading the language table and filling in its commands.

#include "judge/solutions/languages.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "judge/base/failure.hpp"
#include "judge/base/text.hpp"
#include "judge/run/programs.hpp"

namespace judge {

namespace fs = std::filesystem;

namespace {

// Where the table lies, from the folder of the judge's program.
constexpr const char* table_from_program = "/../share/exercise-suite/languages.json";

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::vector<std::string> words(const nlohmann::json& entry, const char* key, bool required)
{
    if (!entry.contains(key)) {
        if (required)
            throw std::invalid_argument(std::string("no \"") + key + "\"");
        return {};
    }
    return entry.at(key).get<std::vector<std::string>>();
}

}  // namespace

std::string installed_languages()
{
    std::error_code error;
    const fs::path path = fs::path(own_folder() + table_from_program).lexically_normal();
    return fs::is_regular_file(path, error) ? path.string() : "";
}

LanguageTable read_languages(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw SetupError("cannot read the language table " + path);
    LanguageTable table;
    table.origin = path;
    try {
        const nlohmann::json document = nlohmann::json::parse(file);
        for (const nlohmann::json& entry : document.at("languages")) {
            Language language;
            language.id = entry.at("id").get<std::string>();
            language.name = entry.at("name").get<std::string>();
            language.extensions = words(entry, "extensions", true);
            language.compile = words(entry, "compile", false);
            language.run = words(entry, "run", true);
            if (language.id.empty() || language.run.empty() || language.run[0].empty())
                throw std::invalid_argument("language \"" + language.id + "\" has no id or no run command");
            table.languages.push_back(std::move(language));
        }
    } catch (const std::exception& error) {
        throw SetupError("the language table " + path + " is not one: " + error.what());
    }
    return table;
}

const Language* language_of(const LanguageTable& table, const std::string& file)
{
    const std::string extension = fs::path(file).extension().string();
    if (extension.size() < 2)
        return nullptr;
    for (const Language& language : table.languages)
        for (const std::string& known : language.extensions)
            if (extension.compare(1, std::string::npos, known) == 0)
                return &language;
    return nullptr;
}

const Language* language_named(const LanguageTable& table, const std::string& name)
{
    for (const Language& language : table.languages)
        if (lower(language.id) == lower(name) || lower(language.name) == lower(name))
            return &language;
    return nullptr;
}

std::string missing_program(const Language& language)
{
    for (const std::vector<std::string>* command : {&language.compile, &language.run})
        if (!command->empty() && (*command)[0].find('{') == std::string::npos &&
            find_tool((*command)[0]).empty())
            return (*command)[0];
    return "";
}

std::vector<std::string> fill_in(const std::vector<std::string>& command, const Placeholders& values)
{
    const std::pair<const char*, const std::string*> names[] = {
        {"{source}", &values.source}, {"{binary}", &values.binary}, {"{folder}", &values.folder}, {"{main}", &values.main}};
    std::vector<std::string> filled;
    for (std::string word : command) {
        for (const auto& [name, value] : names)
            for (std::size_t at = word.find(name); at != std::string::npos; at = word.find(name, at + value->size()))
                word.replace(at, std::char_traits<char>::length(name), *value);
        filled.push_back(std::move(word));
    }
    return filled;
}

std::string main_class(const std::string& source_text)
{
    const std::size_t main = source_text.find("static void main");
    if (main == std::string::npos)
        return "";
    // Words before main, the last declared type's name after its keyword.
    const auto word_character = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; };
    std::string name;
    std::string previous;
    for (std::size_t at = 0; at < main;) {
        while (at < main && !word_character(source_text[at]))
            ++at;
        const std::size_t start = at;
        while (at < main && word_character(source_text[at]))
            ++at;
        const std::string word = source_text.substr(start, at - start);
        if (previous == "class" || previous == "interface" || previous == "enum" || previous == "record")
            if (!word.empty() && !std::isdigit(static_cast<unsigned char>(word[0])))
                name = word;
        previous = word;
    }
    return name;
}

std::string language_list(const LanguageTable& table)
{
    std::vector<std::vector<std::string>> rows{{"language", "name", "extensions", "compiler", "here"}};
    for (const Language& language : table.languages) {
        std::string extensions;
        for (const std::string& extension : language.extensions)
            extensions += (extensions.empty() ? "." : " .") + extension;
        const std::string& tool = language.compile.empty() ? language.run[0] : language.compile[0];
        const std::string missing = missing_program(language);
        rows.push_back({language.id, language.name, extensions, tool,
                        missing.empty() ? "available" : "unavailable: " + missing + " not found"});
    }
    return "Languages from " + table.origin + ":\n" + lay_out(rows, std::vector<bool>(rows[0].size(), false));
}

}  // namespace judge
