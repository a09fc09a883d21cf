// order-gen: writes one random 3-15 case, by default 10,000 orders and
// 2,000,000 shuffled offers, to "3-15.in" in the current folder (or the file
// -o names), seeded with the current second (or --seed). The console shows
// the offer total, the shuffle's progress and the processor time used in
// milliseconds. The case goes to a temporary file beside its own that
// replaces it only once complete, so a failed run leaves no partial file and
// any earlier case as it was.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/command_line.hpp"
#include "common/cpu_clock.hpp"
#include "common/draws.hpp"
#include "common/fail.hpp"
#include "common/output.hpp"
#include "orders/order_case.hpp"
#include "orders/solver_facts.hpp"

namespace {

// What --help shows.
const common::Usage usage{
    "",
    R"(Writes one random 3-15 case to FILE (-o; 3-15.in in the current folder by
default): G orders of 1 to 4 lines on items 785..799, quantities 1..52, then M
shuffled offers. Every ordered item gets one offer more than its demand, the
other offers go to random items 200..799; prices lie in 1..P. Standard output
shows the offer total, the shuffle's progress and the processor time used.
The draws are seeded with the current second, or with --seed: a case made at
second S is made again, byte for byte, with --seed S. The defaults make the
full-size case; P up to )" ORDER_SOLVE_GRID_PRICE_CEILING R"( suits order-solve-grid, up to )" ORDER_SOLVE_BUCKET_PRICE_CEILING R"(
order-solve-bucket. The case is written to a temporary file and renamed to
FILE once complete.
Exit status: 0; 1 when the orders need more offers than M ("fail -N  !!"), or
FILE cannot be written or put in place.
)",
    {
        common::seed_option,
        {"orders", 0, "G", "write G orders (1..10000, default 10000)", 1, orders::case_orders},
        {"offers", 0, "M", "write M offers (1..2000000, default 2000000)", 1, orders::case_offers},
        {"max-price", 0, "P", "draw prices in 1..P (1..2147483647, default 2147483647)", 1,
         orders::price_modulus},
        {"output", 'o', "FILE", "write the case to FILE instead of 3-15.in"},
    },
    R"(  order-gen --seed 1765000000 --orders 100 --offers 5000 --max-price 100000 -o small.in
)",
};

// The case's file, and the temporary file it is written to until renamed;
// the temporary is removed at exit or on a signal that ends the run before
// that. Both are set once, before any signal handler is installed.
std::string case_name = "3-15.in";
std::string temporary_name;
volatile std::sig_atomic_t temporary_exists = 0;

void remove_temporary()
{
    if (temporary_exists != 0)
        unlink(temporary_name.c_str());
}

// "FILE in the current folder" for a bare name, as the messages show it.
std::string where(const std::string& name)
{
    return name.find('/') == std::string::npos ? name + " in the current folder" : name;
}

// Signals that end the program: the temporary file goes first.
constexpr int ending_signals[] = {SIGHUP, SIGINT, SIGPIPE, SIGTERM};

void remove_temporary_and_end(int signal)
{
    remove_temporary();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Opens the temporary file, beside the case's, with the permissions a newly
// created case file would get.
int create_temporary()
{
    temporary_name = case_name + ".XXXXXX";
    const int fd = mkstemp(temporary_name.data());
    if (fd < 0)
        common::fail("cannot create %s: %s", where(case_name).c_str(), std::strerror(errno));
    temporary_exists = 1;
    std::atexit(remove_temporary);
    for (int signal : ending_signals)
        std::signal(signal, remove_temporary_and_end);
    const mode_t mask = umask(0);
    umask(mask);
    if (fchmod(fd, 0666 & ~mask) != 0)
        common::fail("cannot create %s: %s", where(case_name).c_str(), std::strerror(errno));
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
        common::fail("cannot write %s: %s", case_name.c_str(), std::strerror(errno));
}

}  // namespace

int main(int argc, char** argv)
{
    common::program_name = "order-gen";
    const common::Arguments args(usage, argc, argv);
    orders::CaseSize size;
    size.orders = static_cast<int>(args.number("orders").value_or(size.orders));
    size.offers = static_cast<std::int32_t>(args.number("offers").value_or(size.offers));
    size.max_price = static_cast<std::int32_t>(args.number("max-price").value_or(size.max_price));
    case_name = args.text("output").value_or(case_name);

    common::Output console;
    const int fd = create_temporary();
    common::Output file(fd, std::size_t{1} << 20, case_name.c_str());
    common::Draws draws = common::Draws::seeded(args.number("seed"));

    if (!orders::write_case(draws, tables, file, console, size)) {
        console.flush();
        pause_console();
        return 1;
    }
    close_case(file, fd);
    console.number(common::cpu_milliseconds());
    console.put('\n');
    console.flush();
    if (std::rename(temporary_name.c_str(), case_name.c_str()) != 0)
        common::fail("cannot replace %s: %s", case_name.c_str(), std::strerror(errno));
    temporary_exists = 0;
    pause_console();
    return 0;
}
