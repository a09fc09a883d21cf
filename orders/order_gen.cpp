// order-gen: writes one random 3-15 case, 10,000 orders and 2,000,000
// shuffled offers, to "3-15.in" in the current folder, seeded with the
// current second. The console shows the offer total, the shuffle's progress
// and the processor time used in milliseconds. The case goes to a temporary
// file that replaces "3-15.in" only once complete, so a failed run leaves no
// partial file and any earlier "3-15.in" as it was.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/cpu_clock.hpp"
#include "common/draws.hpp"
#include "common/fail.hpp"
#include "common/output.hpp"
#include "orders/order_case.hpp"

namespace {

constexpr const char* case_name = "3-15.in";

// The case being written, until it is renamed to case_name; removed at exit
// or on a signal that ends the run before that.
char temporary_name[] = "3-15.in.XXXXXX";
volatile std::sig_atomic_t temporary_exists = 0;

void remove_temporary()
{
    if (temporary_exists != 0)
        unlink(temporary_name);
}

// Signals that end the program: the temporary file goes first.
constexpr int ending_signals[] = {SIGHUP, SIGINT, SIGPIPE, SIGTERM};

void remove_temporary_and_end(int signal)
{
    remove_temporary();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Opens the temporary file with the permissions a newly created "3-15.in"
// would get.
int create_temporary()
{
    const int fd = mkstemp(temporary_name);
    if (fd < 0)
        common::fail("cannot create %s in the current folder: %s", case_name, std::strerror(errno));
    temporary_exists = 1;
    std::atexit(remove_temporary);
    for (int signal : ending_signals)
        std::signal(signal, remove_temporary_and_end);
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0)
        common::fail("cannot create %s in the current folder: %s", case_name, std::strerror(errno));
    return fd;
}

// Holds the console window where the platform has a "pause" command.
void pause_console()
{
#ifdef _WIN32
    std::system("pause");
#endif
}

// The case's tables: 16 MB, kept out of the stack.
orders::CaseTables tables;

// Writes out what is buffered for the case file and closes it.
void close_case(common::Output& file, int fd)
{
    file.flush();
    if (::close(fd) != 0)
        common::fail("cannot write %s: %s", case_name, std::strerror(errno));
}

}  // namespace

int main()
{
    common::program_name = "order-gen";
    common::Output console;
    const int fd = create_temporary();
    common::Output file(fd, std::size_t{1} << 20, case_name);
    common::Draws draws = common::Draws::from_time();

    if (!orders::write_case(draws, tables, file, console)) {
        console.flush();
        pause_console();
        return 1;
    }
    close_case(file, fd);
    console.number(common::cpu_milliseconds());
    console.put('\n');
    console.flush();
    if (std::rename(temporary_name, case_name) != 0)
        common::fail("cannot replace %s: %s", case_name, std::strerror(errno));
    temporary_exists = 0;
    pause_console();
    return 0;
}
