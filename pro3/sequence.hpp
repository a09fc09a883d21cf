// Term evaluation for PRO3 cases: the stepwise recurrence, and a logarithmic
// shortcut used wherever it provably gives the same term.
#pragma once

#include <cstdint>

namespace pro3 {

// Every computed term is reduced modulo this (hexadecimal 1EB985525).
constexpr std::int64_t modulus = 8'247'596'325;

// The largest term index a case may ask for.
constexpr std::int32_t max_index = 2'500'000;

struct Recurrence {
    std::int32_t p = 0;  // factor of the previous term
    std::int32_t q = 0;  // factor of the term before it
    std::int32_t r = 0;  // constant added at every step
};

// One step: p * previous + q * before + r in wrapping 64-bit arithmetic,
// then the truncating signed remainder, which keeps the sign of the sum.
inline std::int64_t next_term(const Recurrence& rec, std::int64_t previous, std::int64_t before)
{
    const std::uint64_t sum = static_cast<std::uint64_t>(std::int64_t{rec.p}) * static_cast<std::uint64_t>(previous)
                              + static_cast<std::uint64_t>(std::int64_t{rec.q}) * static_cast<std::uint64_t>(before)
                              + static_cast<std::uint64_t>(std::int64_t{rec.r});
    return static_cast<std::int64_t>(sum) % modulus;
}

// Term n (n >= 3) from terms 1 and 2, one step at a time. Only the two most
// recent terms are kept: terms past 2 are never read back by any case.
inline std::int64_t term_stepwise(const Recurrence& rec, std::int64_t term1, std::int64_t term2, std::int32_t n)
{
    std::int64_t before = term1;
    std::int64_t previous = term2;
    for (std::int32_t k = 3; k <= n; ++k) {
        const std::int64_t term = next_term(rec, previous, before);
        before = previous;
        previous = term;
    }
    return previous;
}

namespace detail {

__extension__ using uint128 = unsigned __int128;

// x mod modulus for any x below 2^67, in 64-bit operations only:
// 2^33 = modulus + 342338267, so x = hi * 2^33 + lo reduces to
// hi * 342338267 + lo, which stays below 2^63.
inline std::uint64_t reduce(uint128 x)
{
    constexpr std::uint64_t two33_mod = (std::uint64_t{1} << 33) - modulus;
    const auto hi = static_cast<std::uint64_t>(x >> 33);
    const auto lo = static_cast<std::uint64_t>(x) & ((std::uint64_t{1} << 33) - 1);
    return (hi * two33_mod + lo) % modulus;
}

// The affine map v -> A v + b on the pair (previous, before), all entries
// reduced modulo the modulus; one step of the recurrence is
// A = [[p, q], [1, 0]], b = (r, 0).
struct Affine {
    std::uint64_t a[2][2];
    std::uint64_t b[2];
};

// The map that applies g first, then f.
inline Affine compose(const Affine& f, const Affine& g)
{
    Affine h{};
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j)
            h.a[i][j] = reduce(uint128{f.a[i][0]} * g.a[0][j] + uint128{f.a[i][1]} * g.a[1][j]);
        h.b[i] = reduce(uint128{f.a[i][0]} * g.b[0] + uint128{f.a[i][1]} * g.b[1] + f.b[i]);
    }
    return h;
}

}  // namespace detail

// True when term_fast gives term n exactly as the stepwise loop does: from
// term 5 on, with p, q, r >= 0 and terms 3 and 4 >= 0, every sum is
// non-negative and below 2^63, so each term is the plain residue of the
// recurrence, a linear map that can be raised to a power.
inline bool fast_path_holds(const Recurrence& rec, std::int64_t term3, std::int64_t term4)
{
    if (rec.p < 0 || rec.q < 0 || rec.r < 0 || term3 < 0 || term4 < 0)
        return false;
    const detail::uint128 largest_sum = detail::uint128(std::uint64_t(rec.p)) * (modulus - 1)
                                        + detail::uint128(std::uint64_t(rec.q)) * (modulus - 1)
                                        + std::uint64_t(rec.r);
    return largest_sum <= detail::uint128(INT64_MAX);
}

// Term n (n >= 5) from terms 3 and 4 by repeated squaring, in O(log n);
// valid only where fast_path_holds.
inline std::int64_t term_fast(const Recurrence& rec, std::int64_t term3, std::int64_t term4, std::int32_t n)
{
    detail::Affine step{{{std::uint64_t(rec.p), std::uint64_t(rec.q)}, {1, 0}}, {std::uint64_t(rec.r), 0}};
    detail::Affine power{{{1, 0}, {0, 1}}, {0, 0}};
    for (std::uint32_t e = static_cast<std::uint32_t>(n - 4); e != 0; e >>= 1) {
        if (e & 1u)
            power = detail::compose(step, power);
        step = detail::compose(step, step);
    }
    const auto previous = std::uint64_t(term4);
    const auto before = std::uint64_t(term3);
    return static_cast<std::int64_t>(
        detail::reduce(detail::uint128{power.a[0][0]} * previous + detail::uint128{power.a[0][1]} * before + power.b[0]));
}

// Term n (n >= 3) from terms 1 and 2: the same value as term_stepwise.
// Terms 3 and 4 are taken stepwise, which absorbs unreduced start terms and
// any wrap of the first sums; the shortcut takes over where it is exact.
inline std::int64_t term(const Recurrence& rec, std::int64_t term1, std::int64_t term2, std::int32_t n)
{
    if (n < 5)
        return term_stepwise(rec, term1, term2, n);
    const std::int64_t term3 = next_term(rec, term2, term1);
    const std::int64_t term4 = next_term(rec, term3, term2);
    if (fast_path_holds(rec, term3, term4))
        return term_fast(rec, term3, term4, n);
    return term_stepwise(rec, term3, term4, n - 2);
}

// What the steps to a term met: a sum below 0 that the modulus does not
// divide, whose truncating remainder is then below 0, and a sum outside
// signed 64 bits, which wraps.
struct StepFacts {
    bool negative_remainder = false;
    bool wrapped = false;
};

// One step as next_term takes it, noting what it meets: the sum is worked
// out exactly in 128 bits (a product of a 32-bit and a 64-bit value needs
// 95), and the wrapped sum is its low 64 bits.
inline std::int64_t next_term_noting(const Recurrence& rec, std::int64_t previous, std::int64_t before,
                                     StepFacts& facts)
{
    __extension__ using int128 = __int128;
    const int128 exact = int128{rec.p} * previous + int128{rec.q} * before + rec.r;
    const auto sum = static_cast<std::int64_t>(static_cast<std::uint64_t>(static_cast<detail::uint128>(exact)));
    facts.wrapped = facts.wrapped || exact != sum;
    const std::int64_t term = sum % modulus;
    facts.negative_remainder = facts.negative_remainder || term < 0;
    return term;
}

// Term n (n >= 3) from terms 1 and 2, the value term() gives, noting what
// its steps meet. Where the shortcut holds from term 5 on, every sum beyond
// term 4 is non-negative and within 64 bits, so only the steps to terms 3
// and 4 can meet anything; elsewhere every step is noted.
inline std::int64_t term_noting(const Recurrence& rec, std::int64_t term1, std::int64_t term2, std::int32_t n,
                                StepFacts& facts)
{
    std::int64_t before = term1;
    std::int64_t previous = term2;
    for (std::int32_t k = 3; k <= n; ++k) {
        if (k == 5 && fast_path_holds(rec, before, previous))
            return term_fast(rec, before, previous, n);
        const std::int64_t term = next_term_noting(rec, previous, before, facts);
        before = previous;
        previous = term;
    }
    return previous;
}

}  // namespace pro3
