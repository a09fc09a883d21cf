// Random PRO3 cases in the order of draws the cases are defined by, shared
// by pro3-maketest and its tests.
#pragma once

#include <array>
#include <cstdio>
#include <utility>

#include "common/draws.hpp"
#include "common/output.hpp"

namespace pro3 {

// The names of the four radixes, by the draw that picks one in stage 4.
constexpr const char* radix_words[] = {"bin", "oct", "dec", "hex"};

constexpr bool stage_is_known(int stage)
{
    return stage >= 1 && stage <= 4;
}

// The index n of one case of a stage, from one draw.
constexpr int index_for_stage(int stage, int draw)
{
    if (stage == 1)
        return draw % 25 + 1;
    if (stage == 2)
        return 25000 - draw % 448;
    return 2500000 - draw % 100;
}

// Writes one case line: seven tokens in a shuffled order.
inline void write_case(common::Draws& draws, int stage, common::Output& out)
{
    constexpr int slots = 7;
    constexpr int slot_size = 35;
    using Token = std::array<char, slot_size>;
    Token token[slots];
    std::snprintf(token[0].data(), slot_size, "p=%d", draws.next() + 1);
    std::snprintf(token[1].data(), slot_size, "q=%d", draws.next() + 1);
    std::snprintf(token[2].data(), slot_size, "r=%d", draws.next());
    const int a1 = draws.next();
    std::snprintf(token[3].data(), slot_size, "a1=%d", a1);
    std::snprintf(token[4].data(), slot_size, "a2=%d", draws.next() + a1);
    std::snprintf(token[5].data(), slot_size, "n=%d", index_for_stage(stage, draws.next()));
    std::snprintf(token[6].data(), slot_size, "s=%s", stage == 4 ? radix_words[draws.next() % 4] : "dec");

    const Token* order[slots];
    for (int i = 0; i < slots; ++i)
        order[i] = &token[i];
    for (int exchange = 0; exchange < 10; ++exchange) {
        const int x = draws.next() % slots;
        const int y = draws.next() % slots;
        std::swap(order[x], order[y]);
    }
    for (int i = 0; i < slots; ++i) {
        if (i > 0)
            out.put(' ');
        out.write(order[i]->data());
    }
    out.put('\n');
}

// Writes `count` cases of a stage; nothing for an unknown stage or a count
// of 0 or less.
inline void write_cases(common::Draws& draws, int count, int stage, common::Output& out)
{
    if (!stage_is_known(stage))
        return;
    for (int i = 0; i < count; ++i)
        write_case(draws, stage, out);
}

}  // namespace pro3
