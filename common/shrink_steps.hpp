// The command line every exercise's shrink-steps program shares. Such a
// program reads one valid case on standard input and writes one step
// smaller: the case without some of its items, or with one of its numbers
// moved. Items and numbers are counted from 0, in the order the case lists
// them. A reducer drives it one step a run:
//   --items               the number of items the case has
//   --drop FROM COUNT     the case without items FROM..FROM+COUNT-1
//   --numbers             the number of numbers that can be moved
//   --values              those numbers, one a line
//   --set INDEX VALUE...  the case with number INDEX set to VALUE, for
//                         each pair given (numbers that must move
//                         together, as the equal values of a sequence)
// A step that cannot give a case says why on standard error, status 1; so
// does a case that cannot be read. A usage error is status 2.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/fail.hpp"
#include "common/input.hpp"
#include "common/output.hpp"

#ifndef SUITE_VERSION
#define SUITE_VERSION "0.0.0"
#endif

namespace common {

// One case as a shrink-steps program holds it. A step returns why it
// cannot be taken, or "" when it was.
class ShrinkCase {
public:
    virtual ~ShrinkCase() = default;
    virtual std::size_t items() const = 0;
    virtual std::string drop(std::size_t from, std::size_t count) = 0;
    virtual std::vector<std::int64_t> numbers() const = 0;
    virtual std::string set(std::size_t index, std::int64_t value) = 0;
    // Why the numbers as set do not give a case, or "": asked once every
    // pair of a --set is set.
    virtual std::string settled() const { return ""; }
    virtual void write(Output& out) const = 0;
};

// Reads the case from standard input; a case that cannot be read fails.
using ReadCase = std::unique_ptr<ShrinkCase> (*)(Input& in);

// What --help says of an exercise's program: what its items and numbers are.
struct ShrinkHelp {
    const char* exercise;  // "PRO6"
    const char* items;     // its paragraph on items
    const char* numbers;   // its paragraph on numbers
};

namespace shrink_steps_detail {

[[noreturn]] inline void usage_error(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program_name, message.c_str(),
                 program_name);
    std::exit(2);
}

template <class Int>
Int number_argument(const char* text, const char* what)
{
    Int value = 0;
    const char* const end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end || stop == text)
        usage_error(std::string("invalid ") + what + " '" + text + "'");
    return value;
}

inline void print_help(const ShrinkHelp& help)
{
    Output out;
    out.write(std::string("Usage: ") + program_name + " STEP\n");
    out.write(std::string("Reads one valid ") + help.exercise +
              " case on standard input and writes a step smaller one on standard\noutput, for a reducer that "
              "shrinks a failing case while it still fails.\n\nSteps:\n"
              "  --items              print the number of items of the case\n"
              "  --drop FROM COUNT    the case without items FROM to FROM+COUNT-1 (from 0)\n"
              "  --numbers            print the number of numbers that can be moved\n"
              "  --values             print those numbers, one a line\n"
              "  --set INDEX VALUE... the case with number INDEX (from 0) set to VALUE, for\n"
              "                       every pair given\n"
              "  --help               show this help and exit\n"
              "  --version            show the version and exit\n\n");
    out.write(help.items);
    out.write(help.numbers);
    out.write("A step that cannot give a case says why on standard error.\n"
              "Exit status: 0 when the step was taken; 1 when it cannot be, for a case that\ncannot be read, or "
              "on a write error; 2 for a usage error.\n");
    out.flush();
}

}  // namespace shrink_steps_detail

// The whole program: the step asked for, on the case read.
inline int shrink_steps_main(int argc, char** argv, const ShrinkHelp& help, ReadCase read)
{
    using namespace shrink_steps_detail;
    const std::string_view step = argc > 1 ? argv[1] : "";
    const bool pairs = step == "--set";
    const int wanted = step == "--drop" || pairs ? 2 : 0;
    if (step == "--help" && argc == 2) {
        print_help(help);
        return 0;
    }
    if (step == "--version" && argc == 2) {
        Output out;
        out.write(std::string(program_name) + " (exercise suite) " SUITE_VERSION "\n");
        out.flush();
        return 0;
    }
    if (step != "--items" && step != "--drop" && step != "--numbers" && step != "--values" && step != "--set")
        usage_error(step.empty() ? "a STEP is required" : "unknown step '" + std::string(step) + "'");
    if (pairs ? argc < 4 || argc % 2 != 0 : argc != 2 + wanted)
        usage_error(std::string(step) + (wanted == 0 ? " takes no value"
                                         : pairs     ? " takes pairs of INDEX and VALUE"
                                                     : " takes two values"));
    std::vector<std::pair<std::size_t, std::int64_t>> values;
    for (int at = 2; at + 1 < argc; at += 2)
        values.emplace_back(number_argument<std::size_t>(argv[at], pairs ? "INDEX" : "FROM"),
                            number_argument<std::int64_t>(argv[at + 1], pairs ? "VALUE" : "COUNT"));
    Input in;
    const std::unique_ptr<ShrinkCase> shrink_case = read(in);
    Output out;
    std::string refused;
    if (step == "--items") {
        out.number(shrink_case->items());
        out.put('\n');
    } else if (step == "--numbers" || step == "--values") {
        const std::vector<std::int64_t> numbers = shrink_case->numbers();
        if (step == "--numbers") {
            out.number(numbers.size());
            out.put('\n');
        } else {
            for (const std::int64_t number : numbers) {
                out.number(number);
                out.put('\n');
            }
        }
    } else if (step == "--drop") {
        const auto [first, count] = values.front();
        const std::size_t items = shrink_case->items();
        if (count < 1 || first >= items || static_cast<std::uint64_t>(count) > items - first)
            fail("no items %zu to %lld: the case has %zu", first,
                 static_cast<long long>(first) + static_cast<long long>(count) - 1, items);
        refused = shrink_case->drop(first, static_cast<std::size_t>(count));
    } else {
        const std::size_t numbers = shrink_case->numbers().size();
        for (const auto& [index, value] : values) {
            if (index >= numbers)
                fail("no number %zu: the case has %zu", index, numbers);
            if (refused.empty())
                refused = shrink_case->set(index, value);
        }
        if (refused.empty())
            refused = shrink_case->settled();
    }
    if (!refused.empty())
        fail("%s", refused.c_str());
    if (step == "--drop" || step == "--set")
        shrink_case->write(out);
    out.flush();
    return 0;
}

// Reads a decimal integer token of the case, failing with what was expected.
inline std::int64_t read_case_number(Input& in, const char* what)
{
    std::int64_t value = 0;
    if (in.read_int(value) != ReadStatus::ok)
        fail("cannot read %s", what);
    return value;
}

}  // namespace common
