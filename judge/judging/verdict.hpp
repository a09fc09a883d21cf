// Verdicts: what a solution's run comes to, before and after its output is
// compared.
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

// "OK", "WRONG ANSWER", ... as reports show them.
const char* verdict_name(Verdict verdict);

// "OK", "WA", ...: the short codes of a matrix's cells.
const char* verdict_code(Verdict verdict);

// Every verdict, in the order of the enum.
constexpr Verdict all_verdicts[] = {Verdict::ok,           Verdict::wrong_answer,  Verdict::time_limit,
                                    Verdict::memory_limit, Verdict::output_limit,  Verdict::runtime_error,
                                    Verdict::compilation_error, Verdict::invalid_case};

// "SIGSEGV", or "signal N" for a number without a name.
std::string signal_name(int signal);

struct Judgement {
    Verdict verdict = Verdict::ok;
    std::string detail;
};

// What limits the solution ran under.
struct Bounds {
    Limits limits;
};

// The verdict of a run from how it ended and how much it wrote; none when
// it ended with status 0 within every limit, and its output is to be
// compared.
std::optional<Judgement> judge_ending(const Outcome& outcome, const Bounds& bounds, std::uint64_t output_bytes);

}  // namespace judge
