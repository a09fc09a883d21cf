// What a program built on the judge does at its start and at an
// interruption: it takes charge of the processes it starts, and an
// interrupted program, its runs killed and its files removed, ends as the
// signal would have ended it.
#pragma once

namespace judge {

// Call first in main, before any thread: see run/process.hpp.
void take_charge();

// Says "PROGRAM: interrupted by SIGNAL" and ends by the signal (SIGINT for
// none).
[[noreturn]] void end_by(int signal);

}  // namespace judge
