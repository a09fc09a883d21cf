// The command line every program shares: --help and --version, the options a
// program declares (flags, numbers within a range, texts), and at most one
// FILE operand. Options may come as "--name value", "--name=value", "-x value"
// or "-xvalue"; "--" ends the options. A usage error prints the fault and a
// hint on standard error and exits with status 2 before anything is read or
// written.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/fail.hpp"
#include "common/output.hpp"

#ifndef SUITE_VERSION
#define SUITE_VERSION "0.0.0"
#endif

namespace common {

// One option besides --help and --version.
struct Option {
    const char* name;                 // long name: "seed" is --seed
    char letter = 0;                  // short name: 'o' is -o; 0 for none
    const char* value = nullptr;      // what the value is called in the help ("N"); none for a flag
    const char* help = "";            // what it does
    std::int64_t min = 0;             // a numeric value's range; a text value has min > max
    std::int64_t max = -1;
};

// What --help shows and what the parser accepts.
struct Usage {
    const char* operands;  // after "[OPTION]...": "[FILE]" for programs that read a file, else ""
    const char* about;     // what the program reads and writes; lines end with '\n'
    std::initializer_list<Option> options;
    const char* example;   // one or more example command lines, each ending with '\n'
    const char* more = "";  // further paragraphs, shown after the options
};

// The seed option every maker takes.
constexpr Option seed_option{"seed", 0, "N", "seed the draws with N (0..4294967295)", 0,
                             4294967295};

class Arguments {
public:
    // Parses argv. --help and --version print and exit with status 0; a
    // usage error exits with status 2.
    Arguments(const Usage& usage, int argc, char** argv) : usage_(usage)
    {
        bool options_end = false;
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg = argv[i];
            if (options_end || arg == "-" || arg.size() < 2 || arg[0] != '-') {
                operand(arg);
            } else if (arg == "--") {
                options_end = true;
            } else if (arg[1] == '-') {
                long_option(arg.substr(2), argc, argv, i);
            } else {
                short_option(arg, argc, argv, i);
            }
        }
    }

    bool flag(std::string_view name) const { return find_value(name) != nullptr; }

    std::optional<std::int64_t> number(std::string_view name) const
    {
        const Given* given = find_value(name);
        if (given == nullptr)
            return std::nullopt;
        return given->number;
    }

    std::optional<std::string> text(std::string_view name) const
    {
        const Given* given = find_value(name);
        if (given == nullptr)
            return std::nullopt;
        return given->text;
    }

    // The FILE operand, if one was given.
    const std::optional<std::string>& file() const { return file_; }

    // Makes the FILE operand, when given and not "-", the program's standard
    // input; one that cannot be opened ends the program with status 1.
    void open_file_as_input() const
    {
        if (!file_ || *file_ == "-")
            return;
        const int fd = ::open(file_->c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            fail("cannot open %s: %s", file_->c_str(), std::strerror(errno));
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
            fail("cannot open %s: %s", file_->c_str(), std::strerror(EISDIR));
        if (::dup2(fd, 0) < 0)
            fail("cannot open %s: %s", file_->c_str(), std::strerror(errno));
        ::close(fd);
    }

private:
    struct Given {
        const Option* option;
        std::string text;
        std::int64_t number = 0;
    };

    [[noreturn]] void usage_error(const std::string& message) const
    {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", program_name, message.c_str(), program_name);
        std::exit(2);
    }

    const Given* find_value(std::string_view name) const
    {
        const Given* found = nullptr;
        for (const Given& given : given_)
            if (name == given.option->name)
                found = &given;  // the last one given counts
        return found;
    }

    void operand(std::string_view arg)
    {
        if (usage_.operands[0] == '\0' || file_)
            usage_error("extra operand '" + std::string(arg) + "'");
        file_ = std::string(arg);
    }

    void long_option(std::string_view body, int argc, char** argv, int& i)
    {
        const std::size_t equals = body.find('=');
        const std::string_view name = body.substr(0, equals);
        if (name == "help" || name == "version") {
            if (equals != std::string_view::npos)
                usage_error("option '--" + std::string(name) + "' doesn't allow an argument");
            name == "help" ? print_help() : print_version();
        }
        const Option* option = nullptr;
        for (const Option& candidate : usage_.options)
            if (name == candidate.name)
                option = &candidate;
        if (option == nullptr)
            usage_error("unrecognized option '--" + std::string(body.substr(0, equals)) + "'");
        const std::string shown = "--" + std::string(name);
        if (option->value == nullptr) {
            if (equals != std::string_view::npos)
                usage_error("option '" + shown + "' doesn't allow an argument");
            given_.push_back({option, "", 0});
            return;
        }
        if (equals != std::string_view::npos)
            take_value(*option, shown, body.substr(equals + 1));
        else if (i + 1 < argc)
            take_value(*option, shown, argv[++i]);
        else
            usage_error("option '" + shown + "' requires an argument");
    }

    void short_option(std::string_view arg, int argc, char** argv, int& i)
    {
        // Flags may be grouped ("-ab"); a letter that takes a value takes
        // the rest of the argument, or the next one.
        for (std::size_t at = 1; at < arg.size(); ++at) {
            const Option* option = nullptr;
            for (const Option& candidate : usage_.options)
                if (candidate.letter != 0 && candidate.letter == arg[at])
                    option = &candidate;
            if (option == nullptr)
                usage_error(std::string("invalid option -- '") + arg[at] + "'");
            const std::string shown = std::string("-") + arg[at];
            if (option->value == nullptr) {
                given_.push_back({option, "", 0});
                continue;
            }
            if (at + 1 < arg.size())
                take_value(*option, shown, arg.substr(at + 1));
            else if (i + 1 < argc)
                take_value(*option, shown, argv[++i]);
            else
                usage_error("option requires an argument -- '" + std::string(1, arg[at]) + "'");
            return;
        }
    }

    void take_value(const Option& option, const std::string& shown, std::string_view value)
    {
        Given given{&option, std::string(value), 0};
        if (option.min <= option.max) {
            const char* const end = value.data() + value.size();
            const auto [stop, error] = std::from_chars(value.data(), end, given.number);
            if (value.empty() || error != std::errc() || stop != end || given.number < option.min ||
                given.number > option.max)
                usage_error("invalid value '" + std::string(value) + "' for " + shown + ": expected a number from " +
                            std::to_string(option.min) + " to " + std::to_string(option.max));
        } else if (value.empty()) {
            usage_error("option '" + shown + "' requires a non-empty argument");
        }
        given_.push_back(std::move(given));
    }

    // Writes text to standard output and exits with status 0, or with
    // status 1 when it cannot be written.
    [[noreturn]] static void print_and_exit(const std::string& text)
    {
        {
            Output out;
            out.write(text);
            out.flush();
        }
        std::exit(0);
    }

    [[noreturn]] void print_help() const
    {
        std::string text = std::string("Usage: ") + program_name + " [OPTION]...";
        if (usage_.operands[0] != '\0')
            text += std::string(" ") + usage_.operands;
        text += "\n";
        text += usage_.about;
        text += "\nOptions:\n";
        for (const Option& option : usage_.options) {
            std::string left = option.letter != 0 ? std::string("  -") + option.letter + ", " : "      ";
            left += std::string("--") + option.name;
            if (option.value != nullptr)
                left += std::string(" ") + option.value;
            option_line(text, left, option.help);
        }
        option_line(text, "      --help", "display this help and exit");
        option_line(text, "      --version", "output version information and exit");
        if (usage_.more[0] != '\0')
            text += std::string("\n") + usage_.more;
        // "Examples:" is the heading help2man turns into the manual page's
        // EXAMPLES section.
        text += std::string("\nExamples:\n") + usage_.example;
        print_and_exit(text);
    }

    static void option_line(std::string& text, const std::string& left, const char* help)
    {
        constexpr std::size_t column = 24;
        text += left;
        text += left.size() + 2 <= column ? std::string(column - left.size(), ' ') : "\n" + std::string(column, ' ');
        text += help;
        text += '\n';
    }

    [[noreturn]] static void print_version()
    {
        print_and_exit(std::string(program_name) + " (exercise suite) " SUITE_VERSION "\n");
    }

    const Usage& usage_;
    std::vector<Given> given_;
    std::optional<std::string> file_;
};

}  // namespace common
