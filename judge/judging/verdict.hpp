// Verdicts: what a solution's run comes to, before and after its output is
// compared. Each verdict's words, code and colours are one row of one
// table (verdict.cpp); a new verdict is a new enumerator and a new row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "judge/run/process.hpp"

namespace judge {

enum class Verdict {
    ok,
    wrong_answer,
    time_limit,
    memory_limit,
    output_limit,
    runtime_error,
    compilation_error,
    invalid_case,
};

// Every verdict, in the order of the enum.
constexpr Verdict all_verdicts[] = {Verdict::ok,           Verdict::wrong_answer,  Verdict::time_limit,
                                    Verdict::memory_limit, Verdict::output_limit,  Verdict::runtime_error,
                                    Verdict::compilation_error, Verdict::invalid_case};

// How the reports show a verdict.
struct VerdictRow {
    Verdict verdict;
    const char* name;     // "WRONG ANSWER"
    const char* code;     // "WA": a matrix cell's
    const char* words;    // "wrong answer": what the table's codes line says of the code
    const char* meaning;  // what the page's legend says of the code
    const char* cell;     // the page's colours: a cell's background and text, a chart's bar
    const char* ink;
    const char* bar;
};

const VerdictRow& verdict_row(Verdict verdict);

// "OK", "WRONG ANSWER", ... as reports show them.
inline const char* verdict_name(Verdict verdict)
{
    return verdict_row(verdict).name;
}

// "OK", "WA", ...: the short codes of a matrix's cells.
inline const char* verdict_code(Verdict verdict)
{
    return verdict_row(verdict).code;
}

bool passed(Verdict verdict);

struct Judgement {
    Verdict verdict = Verdict::ok;
    std::string detail;
};

// The verdict of a run from how it ended and how much it wrote, under the
// limits it ran with; none when it ended with status 0 within every limit,
// and its output is to be compared.
std::optional<Judgement> judge_ending(const Outcome& outcome, const Limits& limits, std::uint64_t output_bytes);

}  // namespace judge
