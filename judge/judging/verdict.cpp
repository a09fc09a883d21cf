// From a run's ending to its verdict.

#include "judge/judging/verdict.hpp"

#include "judge/base/text.hpp"

#include <signal.h>

#include <cstdio>
#include <cstring>

namespace judge {

namespace {

}  // namespace

const char* verdict_name(Verdict verdict)
{
    switch (verdict) {
    case Verdict::ok: return "OK";
    case Verdict::wrong_answer: return "WRONG ANSWER";
    case Verdict::time_limit: return "TIME LIMIT";
    case Verdict::memory_limit: return "MEMORY LIMIT";
    case Verdict::output_limit: return "OUTPUT LIMIT";
    case Verdict::runtime_error: return "RUNTIME ERROR";
    case Verdict::compilation_error: return "COMPILATION ERROR";
    case Verdict::invalid_case: return "INVALID CASE";
    }
    return "?";
}

const char* verdict_code(Verdict verdict)
{
    switch (verdict) {
    case Verdict::ok: return "OK";
    case Verdict::wrong_answer: return "WA";
    case Verdict::time_limit: return "TLE";
    case Verdict::memory_limit: return "MLE";
    case Verdict::output_limit: return "OLE";
    case Verdict::runtime_error: return "RE";
    case Verdict::compilation_error: return "CE";
    case Verdict::invalid_case: return "IC";
    }
    return "?";
}

std::string signal_name(int signal)
{
    const char* abbreviation = ::sigabbrev_np(signal);
    if (abbreviation == nullptr)
        return "signal " + std::to_string(signal);
    return std::string("SIG") + abbreviation;
}

std::optional<Judgement> judge_ending(const Outcome& outcome, const Bounds& bounds, std::uint64_t output_bytes)
{
    const Limits& limits = bounds.limits;
    const int signal = outcome.ending == Ending::signaled ? outcome.code : 0;

    if (outcome.ending == Ending::cpu_limit || (limits.cpu_seconds > 0 && outcome.cpu_seconds > limits.cpu_seconds))
        return Judgement{Verdict::time_limit, "processor time above " + seconds_text(limits.cpu_seconds)};
    if (outcome.ending == Ending::memory_limit ||
        (limits.memory_bytes > 0 && outcome.peak_memory_bytes > limits.memory_bytes))
        return Judgement{Verdict::memory_limit, "memory above " + megabytes_text(limits.memory_bytes)};
    if (outcome.ending == Ending::output_limit || (limits.file_bytes > 0 && output_bytes > limits.file_bytes) ||
        signal == SIGXFSZ)
        return Judgement{Verdict::output_limit, "output above " + megabytes_text(limits.file_bytes)};
    if (outcome.ending == Ending::wall_limit) {
        char used[32];
        std::snprintf(used, sizeof used, "%.2f s", outcome.cpu_seconds);
        return Judgement{Verdict::time_limit, "wall time above " + seconds_text(limits.wall_seconds) +
                                                  " with processor time " + used + ": waiting, not computing"};
    }
    if (outcome.ending == Ending::process_limit)
        return Judgement{Verdict::runtime_error, "more than " + std::to_string(limits.processes) + " processes"};
    if (outcome.ending == Ending::unreported)
        return Judgement{Verdict::runtime_error, "the sandbox gave no report"};
    if (signal != 0)
        return Judgement{Verdict::runtime_error, "killed by " + signal_name(signal)};
    if (outcome.code != 0)
        return Judgement{Verdict::runtime_error, "exit status " + std::to_string(outcome.code)};
    return std::nullopt;
}

}  // namespace judge
