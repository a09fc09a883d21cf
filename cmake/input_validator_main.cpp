// The main of an input validator: the validator's own main, renamed
// validator_main, runs as "VALIDATOR --strict" on standard input in a child
// process, and the status is told in the convention of problem packages:
// 42 when the case is valid, 43 when it is not. The validator ends an invalid
// case through exit() wherever it finds the fault, so its status is taken
// from the child as the operating system reports it; a validator killed by
// a signal counts as rejecting the case. Arguments given to this program are
// not passed on: what is accepted is exactly what --strict accepts, and
// never an empty file, which holds no case of any exercise.

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

int validator_main(int argc, char** argv);

int main(int, char** argv)
{
    constexpr int valid = 42;
    constexpr int invalid = 43;
    struct stat input {};
    if (fstat(0, &input) == 0 && S_ISREG(input.st_mode) && input.st_size == 0) {
        std::fputs("an empty file is no case\n", stderr);
        return invalid;
    }
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return invalid;
    }
    if (child == 0) {
        char strict[] = "--strict";
        char* arguments[] = {argv[0], strict, nullptr};
        std::exit(validator_main(2, arguments));
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            std::perror("waitpid");
            return invalid;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? valid : invalid;
}
