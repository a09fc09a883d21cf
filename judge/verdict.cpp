// From a run's ending to its verdict.

#include "judge/verdict.hpp"

#include <signal.h>

#include <cstdio>
#include <cstring>

namespace judge {

namespace {

// The verdicts' names, by Verdict.
const char* const verdict_names[] = {
    "OK", "WRONG ANSWER", "TIME LIMIT", "MEMORY LIMIT", "OUTPUT LIMIT", "RUNTIME ERROR", "INVALID CASE",
};

// The highest signal number bwrap's 128 + N can stand for.
constexpr int highest_signal = 64;

}  // namespace

const char* verdict_name(Verdict verdict)
{
    return verdict_names[static_cast<int>(verdict)];
}

std::string signal_name(int signal)
{
    const char* abbreviation = ::sigabbrev_np(signal);
    if (abbreviation == nullptr)
        return "signal " + std::to_string(signal);
    return std::string("SIG") + abbreviation;
}

std::string seconds_text(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

std::string megabytes_text(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g MB", static_cast<double>(bytes) / (1 << 20));
    return text;
}

std::optional<Judgement> judge_ending(const Outcome& outcome, const Bounds& bounds, std::uint64_t output_bytes)
{
    const Limits& limits = bounds.limits;
    // Inside bwrap, a signal that ended the solution comes back as 128 + N
    // when the keeper could not tell.
    int signal = outcome.ending == Ending::signaled ? outcome.code : 0;
    if (bounds.sandboxed && !outcome.kept && outcome.ending == Ending::exited && outcome.code > 128 &&
        outcome.code <= 128 + highest_signal)
        signal = outcome.code - 128;

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
    if (signal != 0)
        return Judgement{Verdict::runtime_error, "killed by " + signal_name(signal)};
    if (outcome.code != 0)
        return Judgement{Verdict::runtime_error, "exit status " + std::to_string(outcome.code)};
    return std::nullopt;
}

}  // namespace judge
