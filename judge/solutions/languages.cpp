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
        {"{source}", &values.source}, {"{binary}", &values.binary}, {"{folder}", &values.folder},
        {"{main}", &values.main},     {"{memory_mb}", &values.memory_mb}};
    std::vector<std::string> filled;
    for (std::string word : command) {
        if (word == "{sources}") {
            filled.insert(filled.end(), values.sources.begin(), values.sources.end());
            continue;
        }
        for (const auto& [name, value] : names)
            for (std::size_t at = word.find(name); at != std::string::npos; at = word.find(name, at + value->size()))
                word.replace(at, std::char_traits<char>::length(name), *value);
        filled.push_back(std::move(word));
    }
    return filled;
}

bool runs_one_file(const Language& language)
{
    return std::any_of(language.run.begin(), language.run.end(),
                       [](const std::string& word) { return word.find("{source}") != std::string::npos; });
}

namespace {

bool word_character(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '.';
}

// The words of a source up to `end`, its punctuation dropped.
std::vector<std::string> words_before(const std::string& text, std::size_t end)
{
    std::vector<std::string> words;
    for (std::size_t at = 0; at < end;) {
        while (at < end && !word_character(text[at]))
            ++at;
        const std::size_t start = at;
        while (at < end && word_character(text[at]))
            ++at;
        if (at > start)
            words.push_back(text.substr(start, at - start));
    }
    return words;
}

bool type_keyword(const std::string& word)
{
    return word == "class" || word == "interface" || word == "enum" || word == "record";
}

}  // namespace

std::string main_class(const std::string& source_text)
{
    const std::size_t main = source_text.find("static void main");
    if (main == std::string::npos)
        return "";
    // Words before main, the last declared type's name after its keyword.
    const std::vector<std::string> words = words_before(source_text, main);
    std::string name;
    std::string package;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (type_keyword(words[i - 1]) && !std::isdigit(static_cast<unsigned char>(words[i][0])))
            name = words[i];
        if (words[i - 1] == "package" && package.empty() && name.empty())
            package = words[i];
    }
    return name.empty() || package.empty() ? name : package + "." + name;
}

std::string public_type(const std::string& source_text)
{
    const std::vector<std::string> words = words_before(source_text, source_text.size());
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] != "public")
            continue;
        // Its modifiers, then the keyword and the name.
        std::size_t at = i + 1;
        while (at < words.size() &&
               (words[at] == "final" || words[at] == "abstract" || words[at] == "sealed" || words[at] == "strictfp"))
            ++at;
        if (at + 1 < words.size() && type_keyword(words[at]))
            return words[at + 1];
    }
    return "";
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
