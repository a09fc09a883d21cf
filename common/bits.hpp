// The few operations of <bit> the solvers and validators use, as
// common::countr_zero, common::countr_one, common::popcount and
// common::endian. These programs are also handed out as single source files,
// which contest systems compile as C++17 (g++'s default, gnu++17): with
// C++20 the names are <bit>'s own, unchanged; before it, the same functions
// made of the GCC builtins that <bit> is made of, so that either way the
// compiler emits the same instructions.
#pragma once

#if __cplusplus >= 202002L

#include <bit>

namespace common {

using std::countr_one;
using std::countr_zero;
using std::endian;
using std::popcount;

}  // namespace common

#else

#include <limits>
#include <type_traits>

namespace common {

// The number of 0 bits below the lowest 1 (all of them for 0).
template <typename T>
constexpr int countr_zero(T x) noexcept
{
    static_assert(std::is_unsigned_v<T>, "an unsigned integer");
    if (x == 0)
        return std::numeric_limits<T>::digits;
    if constexpr (sizeof(T) <= sizeof(unsigned))
        return __builtin_ctz(x);
    else if constexpr (sizeof(T) <= sizeof(unsigned long))
        return __builtin_ctzl(x);
    else
        return __builtin_ctzll(x);
}

// The number of 1 bits below the lowest 0.
template <typename T>
constexpr int countr_one(T x) noexcept
{
    return common::countr_zero(static_cast<T>(~x));
}

// The number of 1 bits.
template <typename T>
constexpr int popcount(T x) noexcept
{
    static_assert(std::is_unsigned_v<T>, "an unsigned integer");
    if constexpr (sizeof(T) <= sizeof(unsigned))
        return __builtin_popcount(x);
    else if constexpr (sizeof(T) <= sizeof(unsigned long))
        return __builtin_popcountl(x);
    else
        return __builtin_popcountll(x);
}

enum class endian {
    little = __ORDER_LITTLE_ENDIAN__,
    big = __ORDER_BIG_ENDIAN__,
    native = __BYTE_ORDER__,
};

}  // namespace common

#endif
