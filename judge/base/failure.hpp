// How the judge's layers fail, one rule for all of them: what happens to a
// run, a case or a compilation is a result (an Outcome, an invalid case, a
// failed compilation), never an error. What keeps a judging from being set
// up or going on (a program that cannot be found or started, a folder that
// cannot be made, a table that is not one) is thrown as a SetupError; an
// interrupted judge throws Interrupted. Only the command line (cli/) turns
// them into messages and exit statuses; no layer below it exits.
#pragma once

#include <stdexcept>
#include <string>

namespace judge {

// A judging that cannot be set up, or go on. Programs end with status 2.
struct SetupError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The judge was interrupted (SIGINT, SIGTERM or SIGHUP) while it worked.
struct Interrupted : std::runtime_error {
    explicit Interrupted(int signal) : std::runtime_error("interrupted"), signal(signal) {}
    int signal;
};

}  // namespace judge
