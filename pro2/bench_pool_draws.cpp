// Bench-only: the pool draws of a case and nothing else. Reads a number of
// characters and draws that many from the pool, writing only a checksum, so
// that the bench can set what pro2-maketest-b spends around its draws
// against what the draws and exchanges cost by themselves.

#include <cstdint>
#include <cstdio>

#include "common/draws.hpp"
#include "common/fail.hpp"
#include "common/input.hpp"
#include "pro2/case_maker.hpp"

int main()
{
    common::program_name = "pro2-pool-draws";
    common::Input in;
    std::int64_t count = 0;
    if (in.read_int(count) != common::ReadStatus::ok)
        common::fail("give a number of characters");
    common::Draws draws = common::Draws::from_time();
    pro2::Pool pool;
    unsigned checksum = 0;
    for (std::int64_t i = 0; i < count; ++i)
        checksum = checksum * 31 + static_cast<unsigned char>(pool.draw(draws));
    std::printf("%lld characters, checksum %u\n", static_cast<long long>(count), checksum);
    return 0;
}
