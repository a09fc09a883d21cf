// The one place CLI11 is compiled: the options are registered through it,
// and the help is laid out here, as help2man reads it.

#include "judge/cli/command_line.hpp"

#include <CLI/CLI.hpp>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <type_traits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/fail.hpp"
#include "common/output.hpp"

#ifndef SUITE_VERSION
#define SUITE_VERSION "0.0.0"
#endif

namespace judge {

namespace {

// The column where an option's help starts.
constexpr std::size_t help_column = 24;

// One line of the options list, as every program of the suite lays it out.
void option_line(std::string& text, const std::string& left, const std::string& help)
{
    text += left;
    text += left.size() + 2 <= help_column ? std::string(help_column - left.size(), ' ')
                                           : "\n" + std::string(help_column, ' ');
    for (const char c : help)
        text += c == '\n' ? "\n" + std::string(help_column, ' ') : std::string(1, c);
    text += '\n';
}

}  // namespace

struct CommandLine::Parser {
    CLI::App app{"", common::program_name};
    std::string usage, about, more, examples;
    std::vector<std::pair<std::string, std::string>> lines;  // the options list: left, help

    // Registers an option and its line in the help.
    CLI::Option* add(CLI::Option* option, const char* names, const char* value_name, const char* help)
    {
        std::string left = "      ";
        std::string_view all = names;
        if (const std::size_t comma = all.find(','); comma != std::string_view::npos) {
            left = "  " + std::string(all.substr(0, comma)) + ", ";
            all.remove_prefix(comma + 1);
        }
        left += std::string(all);
        if (value_name != nullptr && value_name[0] != '\0') {
            left += ' ';
            left += value_name;
            option->type_name(value_name);
        }
        lines.emplace_back(left, help);
        return option;
    }

    [[noreturn]] void print_help() const
    {
        std::string text = std::string("Usage: ") + common::program_name + " " + usage + "\n" + about + "\nOptions:\n";
        for (const auto& [left, help] : lines)
            option_line(text, left, help);
        option_line(text, "      --help", "display this help and exit");
        option_line(text, "      --version", "output version information and exit");
        if (!more.empty())
            text += "\n" + more;
        // "Examples:" is the heading help2man makes the EXAMPLES section of.
        text += "\nExamples:\n" + examples;
        print_and_exit(text);
    }

    // Names an unknown option before "--" as the suite's other programs
    // name it, before the parser would complain about something else (a
    // missing operand, say). The value of an option that takes one is
    // skipped, as it may itself begin with '-'.
    void name_unknown_options(int argc, char** argv, const CommandLine& line) const
    {
        for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
            const std::string_view arg = argv[i];
            if (arg.size() < 2 || arg[0] != '-')
                continue;
            const bool long_form = arg[1] == '-';
            const std::string name(long_form ? arg.substr(0, arg.find('=')) : arg.substr(0, 2));
            const CLI::Option* option = app.get_option_no_throw(name);
            if (option == nullptr)
                line.usage_error(long_form ? "unrecognized option '" + name + "'"
                                           : "invalid option -- '" + name.substr(1) + "'");
            const bool value_attached = long_form ? arg.find('=') != std::string_view::npos : arg.size() > 2;
            if (!value_attached && option->get_items_expected_min() > 0)
                ++i;
        }
    }
};

CommandLine::CommandLine(std::string usage, std::string about, std::string more, std::string examples)
    : parser_(std::make_unique<Parser>())
{
    parser_->usage = std::move(usage);
    parser_->about = std::move(about);
    parser_->more = std::move(more);
    parser_->examples = std::move(examples);
    parser_->app.set_help_flag();
    parser_->app.allow_extras(false);
}

CommandLine::~CommandLine() = default;

namespace {

// A bound as the messages write it: 0.001, 86400, 1048576.
template <typename T>
std::string plain(T value)
{
    if constexpr (std::is_floating_point_v<T>) {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", static_cast<double>(value));
        return text;
    } else {
        return std::to_string(value);
    }
}

// The text read as a number of type T, the whole of it: a NaN is not a
// number; an infinity, or a number beyond T, is out of range.
enum class Read { number, not_a_number, out_of_range };

template <typename T>
Read read_number(const std::string& text, T& value)
{
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return Read::not_a_number;
    if constexpr (std::is_floating_point_v<T>) {
        double read = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
        if (error == std::errc::invalid_argument || end != text.data() + text.size() || std::isnan(read))
            return Read::not_a_number;
        if (error == std::errc::result_out_of_range || std::isinf(read))
            return Read::out_of_range;
        value = static_cast<T>(read);
        return Read::number;
    } else {
        // A minus sign is a number below an unsigned type's range.
        const bool below = std::is_unsigned_v<T> && text[0] == '-';
        const std::size_t from = below ? 1 : 0;
        const auto [end, error] = std::from_chars(text.data() + from, text.data() + text.size(), value);
        if (error == std::errc::invalid_argument || end != text.data() + text.size())
            return Read::not_a_number;
        return error == std::errc::result_out_of_range || (below && value != 0) ? Read::out_of_range : Read::number;
    }
}

// Stores a number option's value in `value`, or says what is wrong with
// it: not a number, or out of its range.
template <typename T>
std::function<void(const std::string&)> store_number(const char* names, T& value, T low, T high)
{
    std::string name = names;
    name = name.substr(name.find(',') + 1);
    return [name, &value, low, high](const std::string& text) {
        const std::string range = plain(low) + " to " + plain(high);
        T number{};
        const Read read = read_number(text, number);
        if (read == Read::not_a_number)
            throw CLI::ValidationError("invalid value '" + text + "' for " + name + ": not a number (" + range + ")");
        if (read == Read::out_of_range || !(number >= low && number <= high))
            throw CLI::ValidationError("invalid value '" + text + "' for " + name + ": not in the range " + range);
        value = number;
    };
}

}  // namespace

void CommandLine::option(const char* names, int& value, const char* value_name, const char* help, int low, int high)
{
    parser_->add(parser_->app.add_option_function<std::string>(names, store_number(names, value, low, high)), names,
                 value_name, help);
}

void CommandLine::option(const char* names, double& value, const char* value_name, const char* help, double low,
                         double high)
{
    parser_->add(parser_->app.add_option_function<std::string>(names, store_number(names, value, low, high)), names,
                 value_name, help);
}

void CommandLine::option(const char* names, std::uint64_t& value, const char* value_name, const char* help,
                         std::uint64_t low, std::uint64_t high)
{
    parser_->add(parser_->app.add_option_function<std::string>(names, store_number(names, value, low, high)), names,
                 value_name, help);
}

void CommandLine::option(const char* names, std::optional<std::uint32_t>& value, const char* value_name,
                         const char* help)
{
    parser_->add(parser_->app.add_option(names, value), names, value_name, help);
}

void CommandLine::option(const char* names, std::string& value, const char* value_name, const char* help,
                         std::vector<std::string> choices)
{
    CLI::Option* option = parser_->add(parser_->app.add_option(names, value), names, value_name, help);
    if (!choices.empty())
        option->check(CLI::IsMember(choices).description(""));
}

void CommandLine::option(const char* names, std::optional<std::string>& value, const char* value_name,
                         const char* help)
{
    parser_->add(parser_->app.add_option(names, value), names, value_name, help);
}

void CommandLine::option(const char* names, std::vector<std::string>& values, const char* value_name,
                         const char* help, ValueCheck check)
{
    // One value each time the option is given, however often it is.
    CLI::Option* option = parser_->add(parser_->app.add_option(names, values), names, value_name, help);
    option->allow_extra_args(false);
    if (check)
        option->check(CLI::Validator(std::move(check), "", ""));
}

void CommandLine::flag(const char* names, bool& value, const char* help)
{
    parser_->add(parser_->app.add_flag(names, value), names, nullptr, help);
}

void CommandLine::operand(const char* name, std::string& value)
{
    parser_->app.add_option(name, value)->required();
}

void CommandLine::operands(const char* name, std::vector<std::string>& values)
{
    parser_->app.add_option(name, values);
}

void CommandLine::parse(int argc, char** argv, std::vector<std::string>* after_dashes)
{
    // --help and --version take effect where they stand among the options.
    int dashes = argc;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            dashes = i;
            break;
        }
        if (std::strcmp(argv[i], "--help") == 0)
            parser_->print_help();
        if (std::strcmp(argv[i], "--version") == 0)
            print_and_exit(std::string(common::program_name) + " (exercise suite) " SUITE_VERSION "\n");
    }
    parser_->name_unknown_options(argc, argv, *this);
    int parsed = argc;
    if (after_dashes != nullptr && dashes < argc) {
        after_dashes->assign(argv + dashes + 1, argv + argc);
        parsed = dashes;
    }
    try {
        parser_->app.parse(parsed, argv);
    } catch (const CLI::ParseError& error) {
        usage_error(error.what());
    }
}

void CommandLine::usage_error(const std::string& message) const
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", common::program_name, message.c_str(), common::program_name);
    std::exit(2);
}

void print_and_exit(const std::string& text)
{
    common::failure_status = 1;
    {
        common::Output out;
        out.write(text);
        out.flush();
    }
    std::exit(0);
}

}  // namespace judge
