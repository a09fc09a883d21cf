// A program's start and its end by a signal.

#include "judge/cli/program.hpp"

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "common/fail.hpp"
#include "judge/base/text.hpp"
#include "judge/run/process.hpp"

namespace judge {

void take_charge()
{
    take_charge_of_processes();
}

void end_by(int signal)
{
    signal = signal != 0 ? signal : SIGINT;
    std::fprintf(stderr, "%s: interrupted by %s\n", common::program_name, signal_name(signal).c_str());
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
    std::_Exit(128 + signal);
}

}  // namespace judge
