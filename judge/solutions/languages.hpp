// The languages solutions are written in, read from a table that is data
// (languages.json): per language its extensions, the command that compiles
// a source and the command that runs the result.
#pragma once

#include <string>
#include <vector>

namespace judge {

struct Language {
    std::string id;    // what --language takes: "c", "python3"
    std::string name;  // as reports show it: "Python 3"
    std::vector<std::string> extensions;  // without the dot
    std::vector<std::string> compile;     // empty: no compile step
    std::vector<std::string> run;
};

struct LanguageTable {
    std::string origin;  // the file it was read from
    std::vector<Language> languages;
};

// The table installed with the suite: beside the build (build/share), else
// where the suite is installed (PREFIX/share); "" when neither has it.
std::string installed_languages();

// Reads a table; throws SetupError when it cannot be read or is not one.
LanguageTable read_languages(const std::string& path);

// The language of a file by its extension, or null.
const Language* language_of(const LanguageTable& table, const std::string& file);

// The language of that id or name (any case), or null.
const Language* language_named(const LanguageTable& table, const std::string& name);

// The program a language needs first and this machine lacks ("" when it
// has them all): the compiler, else the runner.
std::string missing_program(const Language& language);

// The words of a command with its placeholders filled in: {source} the
// source (the one a program runs from), {sources} every source of the
// solution (one word each), {binary}, {folder}, {main}, and {memory_mb}
// the run's memory limit in MB (so that a runtime that sizes its heap by
// the memory it sees can be told of the limit where it cannot see it).
struct Placeholders {
    std::string source, binary, folder, main;
    std::vector<std::string> sources;
    std::string memory_mb;
};
std::vector<std::string> fill_in(const std::vector<std::string>& command, const Placeholders& values);

// True for a language whose program runs from one of its sources (Python):
// of several, the one named main.
bool runs_one_file(const Language& language);

// The class that holds main in a Java-like source: the last class,
// interface, enum or record declared before the first "static void main",
// with the source's package in front; "" when there is none.
std::string main_class(const std::string& source_text);

// The public top-level type a Java-like source declares, whose name its
// file must have; "" when there is none.
std::string public_type(const std::string& source_text);

// The table as --list-languages prints it, with what this machine lacks.
std::string language_list(const LanguageTable& table);

}  // namespace judge
