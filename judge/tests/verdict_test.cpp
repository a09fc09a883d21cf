// In process: the verdict a run's ending comes to, in the order the limits
// are checked, and the text the judge shows a terminal.

#include <gtest/gtest.h>
#include <signal.h>

#include "judge/base/text.hpp"
#include "judge/judging/verdict.hpp"

namespace {

using judge::Ending;
using judge::Outcome;
using judge::Verdict;

TEST(Verdict, EndingsComeToTheirVerdictInOrder)
{
    const judge::Limits limits{2, 5, std::uint64_t{64} << 20, std::uint64_t{1} << 20, 10};
    struct Case {
        Ending ending;
        int code;
        double cpu_seconds;
        std::uint64_t memory_bytes;
        std::uint64_t output_bytes;
        Verdict verdict;
        const char* detail;
    };
    const Case cases[] = {
        {Ending::exited, 0, 1, 1, 1, Verdict::ok, ""},
        // A limit passed by the measure, whatever the ending: time first.
        {Ending::exited, 0, 2.5, std::uint64_t{65} << 20, 1, Verdict::time_limit, "processor time above 2 s"},
        {Ending::memory_limit, 0, 1, 1, 1, Verdict::memory_limit, "memory above 64 MB"},
        {Ending::signaled, SIGKILL, 1, std::uint64_t{65} << 20, 1, Verdict::memory_limit, "memory above 64 MB"},
        {Ending::signaled, SIGXFSZ, 1, 1, 1, Verdict::output_limit, "output above 1 MB"},
        {Ending::exited, 0, 1, 1, (std::uint64_t{1} << 20) + 1, Verdict::output_limit, "output above 1 MB"},
        {Ending::wall_limit, 0, 0.25, 1, 1, Verdict::time_limit,
         "above 5 s of wall time, with processor time 0.25 s"},
        {Ending::process_limit, 0, 1, 1, 1, Verdict::runtime_error, "more than 10 processes or threads"},
        // No report: never OK, whatever else the run says.
        {Ending::unreported, 0, 0, 0, 0, Verdict::runtime_error, "the sandbox gave no report"},
        {Ending::signaled, SIGSEGV, 1, 1, 1, Verdict::runtime_error, "killed by SIGSEGV"},
        {Ending::exited, 139, 1, 1, 1, Verdict::runtime_error, "exit status 139"},
    };
    for (const Case& c : cases) {
        Outcome outcome;
        outcome.ending = c.ending;
        outcome.code = c.code;
        outcome.cpu_seconds = c.cpu_seconds;
        outcome.peak_memory_bytes = c.memory_bytes;
        const auto judgement = judge::judge_ending(outcome, limits, c.output_bytes);
        const Verdict verdict = judgement ? judgement->verdict : Verdict::ok;
        EXPECT_EQ(judge::verdict_name(verdict), std::string(judge::verdict_name(c.verdict))) << c.detail;
        EXPECT_EQ(judgement ? judgement->detail : "", c.detail);
    }
}

TEST(Text, TerminalSeesNoControlCharacters)
{
    const std::pair<const char*, const char*> cases[] = {
        {"plain name-1.in", "plain name-1.in"},
        {"a\x1b[31mb\x07", "a\\x1b[31mb\\x07"},
        {"line\nbreak\r\t", "line\\x0abreak\\x0d\\x09"},
        {"caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"},  // UTF-8 letters stay
        {"\xc2\x9b" "31m", "\\xc2\\x9b31m"},                         // C1 CSI does not
        {"\xff\xc3(\x7f", "\\xff\\xc3(\\x7f"},                        // nor bytes that are not UTF-8, nor DEL
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(judge::terminal_text(text), shown);
}

}  // namespace
