// The command line of the judge's programs, laid out as every program of
// the suite lays out its own: --help and --version where they stand, an
// unknown option named as the others name it, "PROGRAM: what is wrong" and
// "Try 'PROGRAM --help'." with status 2 for a usage error. CLI11 parses
// behind it; this header keeps CLI11 out of the programs that use it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace judge {

// Says what is wrong with a value, or "" when it is right.
using ValueCheck = std::function<std::string(const std::string&)>;

class CommandLine {
public:
    // usage: what follows "Usage: PROGRAM "; about: the paragraph under it;
    // more: the sections after the options; examples: the lines of
    // "Examples:".
    CommandLine(std::string usage, std::string about, std::string more, std::string examples);
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // Options: names as "--cases" or "-j,--jobs"; value_name as the help
    // shows it ("N"); help with \n where its lines break.
    void option(const char* names, int& value, const char* value_name, const char* help, int low, int high);
    void option(const char* names, double& value, const char* value_name, const char* help, double low, double high);
    void option(const char* names, std::uint64_t& value, const char* value_name, const char* help,
                std::uint64_t low, std::uint64_t high);
    void option(const char* names, std::optional<std::uint32_t>& value, const char* value_name, const char* help);
    void option(const char* names, std::string& value, const char* value_name, const char* help,
                std::vector<std::string> choices = {});
    void option(const char* names, std::optional<std::string>& value, const char* value_name, const char* help);
    void option(const char* names, std::vector<std::string>& values, const char* value_name, const char* help,
                ValueCheck check = {});
    void flag(const char* names, bool& value, const char* help);

    // Operands, in order: one that must be there, then any number.
    void operand(const char* name, std::string& value);
    void operands(const char* name, std::vector<std::string>& values);

    // Parses the arguments; answers --help and --version and ends on a
    // usage error. With after_dashes, the words after the first "--" go
    // there instead of to the operands.
    void parse(int argc, char** argv, std::vector<std::string>* after_dashes = nullptr);

    [[noreturn]] void usage_error(const std::string& message) const;

private:
    struct Parser;
    std::unique_ptr<Parser> parser_;
};

// Writes text to standard output and exits with status 0 (1 when it cannot
// be written).
[[noreturn]] void print_and_exit(const std::string& text);

}  // namespace judge
