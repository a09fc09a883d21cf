// The logarithmic shortcut against the stepwise recurrence, in process.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "pro3/sequence.hpp"

namespace {

using pro3::Recurrence;

// Checks pro3::term, and term_noting, against the stepwise loop for one case.
void expect_same(const Recurrence& rec, std::int64_t t1, std::int64_t t2, std::int32_t n)
{
    const std::int64_t stepwise = pro3::term_stepwise(rec, t1, t2, n);
    pro3::StepFacts facts;
    ASSERT_EQ(pro3::term(rec, t1, t2, n), stepwise)
        << "p=" << rec.p << " q=" << rec.q << " r=" << rec.r << " a1=" << t1 << " a2=" << t2 << " n=" << n;
    ASSERT_EQ(pro3::term_noting(rec, t1, t2, n, facts), stepwise)
        << "noting: p=" << rec.p << " q=" << rec.q << " r=" << rec.r << " a1=" << t1 << " a2=" << t2 << " n=" << n;
}

TEST(Sequence, SmallCasesByHand)
{
    EXPECT_EQ(pro3::term_stepwise({1, 1, 0}, 1, 1, 10), 55);
    EXPECT_EQ(pro3::term({1, 1, 0}, 1, 1, 10), 55);
    EXPECT_EQ(pro3::term({1, 1, 0}, 1, 1, 60), 1548008755920 % pro3::modulus);
    EXPECT_EQ(pro3::term({0, 0, -5}, 0, 0, 3), -5);
    EXPECT_EQ(pro3::term({1, 0, 0}, 0, pro3::modulus, 3), 0);
}

TEST(Sequence, ShortcutMatchesStepsOnGeneratedLikeCases)
{
    std::mt19937_64 random(20261208);
    for (int i = 0; i < 300; ++i) {
        const Recurrence rec{static_cast<std::int32_t>(random() % 32768 + 1), static_cast<std::int32_t>(random() % 32768 + 1),
                             static_cast<std::int32_t>(random() % 32768)};
        const std::int64_t t1 = static_cast<std::int64_t>(random() % 32768);
        const std::int64_t t2 = t1 + static_cast<std::int64_t>(random() % 32768);
        expect_same(rec, t1, t2, static_cast<std::int32_t>(3 + random() % 30000));
    }
}

TEST(Sequence, ShortcutMatchesStepsAtTheEdgesOfItsDomain)
{
    // The largest p + q for which p*(M-1) + q*(M-1) + r still fits in 63 bits.
    const std::int64_t largest_factor_sum = INT64_MAX / (pro3::modulus - 1);
    constexpr std::int32_t q = 1'000'000'000;
    const auto p = static_cast<std::int32_t>(largest_factor_sum - q);
    const Recurrence inside{p, q, 0};
    ASSERT_TRUE(pro3::fast_path_holds(inside, 0, 0));
    const Recurrence outside{p + 1, q, 0};
    ASSERT_FALSE(pro3::fast_path_holds(outside, 0, 0));
    const std::int64_t starts[] = {0, 1, pro3::modulus - 1, pro3::modulus, INT64_MAX, INT64_MIN, -1, -pro3::modulus};
    for (const Recurrence& rec : {inside, outside, Recurrence{0, 0, 0}, Recurrence{0, 0, 2147483647},
                                  Recurrence{2147483647, 0, 2147483647}, Recurrence{1, 1, 1}})
        for (std::int64_t t1 : starts)
            for (std::int64_t t2 : starts)
                for (std::int32_t n : {3, 4, 5, 6, 7, 64, 1001})
                    expect_same(rec, t1, t2, n);
}

TEST(Sequence, AnyInputsFallBackToTheSameTerms)
{
    std::mt19937_64 random(7);
    const auto any32 = [&] { return static_cast<std::int32_t>(static_cast<std::uint32_t>(random())); };
    const auto small32 = [&] { return static_cast<std::int32_t>(random() % 201) - 100; };
    for (int i = 0; i < 2000; ++i) {
        const bool small = i % 2 == 0;
        const Recurrence rec{small ? small32() : any32(), small ? small32() : any32(), small ? small32() : any32()};
        const auto t1 = static_cast<std::int64_t>(random());
        const auto t2 = i % 3 == 0 ? static_cast<std::int64_t>(random() % 1000) : static_cast<std::int64_t>(random());
        expect_same(rec, t1, t2, static_cast<std::int32_t>(3 + random() % 500));
    }
}

TEST(Sequence, TheLargestIndex)
{
    expect_same({32768, 32768, 32767}, 32767, 65534, pro3::max_index);
    expect_same({12345, 2, 0}, 0, 1, pro3::max_index);
    expect_same({-1, 1, 5}, 3, 4, pro3::max_index);
}

TEST(Sequence, NotingTellsWhetherAStepMetANegativeRemainderOrAWrap)
{
    constexpr std::int64_t two62 = std::int64_t{1} << 62;
    struct Case {
        Recurrence rec;
        std::int64_t t1, t2;
        std::int32_t n;
        bool negative_remainder, wrapped;
    };
    const Case cases[] = {
        {{0, 0, -5}, 0, 0, 3, true, false},
        // A negative sum that the modulus divides: remainder 0.
        {{1, 0, 0}, 0, -pro3::modulus, 3, false, false},
        // 5, 4, 3, 2, 1, 0, then -1 at step 8.
        {{1, 0, -1}, 0, 5, 7, false, false},
        {{1, 0, -1}, 0, 5, 8, true, false},
        // The first sum beyond 64 bits at step 5, where it wraps below 0.
        {{2147483647, 0, 0}, 0, 1, 4, false, false},
        {{2147483647, 0, 0}, 0, 1, 5, true, true},
        {{2147483647, 0, 0}, 0, INT64_MAX, 3, false, true},
        // Products beyond 64 bits whose sum is not: nothing wraps.
        {{2, -2, 0}, two62, two62, 3, false, false},
        // Where the shortcut holds, up to the largest n.
        {{32768, 32768, 32767}, 32767, 65534, pro3::max_index, false, false},
    };
    for (const Case& c : cases) {
        pro3::StepFacts facts;
        EXPECT_EQ(pro3::term_noting(c.rec, c.t1, c.t2, c.n, facts), pro3::term_stepwise(c.rec, c.t1, c.t2, c.n))
            << "p=" << c.rec.p << " n=" << c.n;
        EXPECT_EQ(facts.negative_remainder, c.negative_remainder) << "p=" << c.rec.p << " n=" << c.n;
        EXPECT_EQ(facts.wrapped, c.wrapped) << "p=" << c.rec.p << " n=" << c.n;
    }
}

}  // namespace
