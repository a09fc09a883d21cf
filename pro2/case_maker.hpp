// Random PRO2 cases in the order of draws the cases are defined by, shared
// by pro2-maketest, pro2-maketest-b and their tests.
#pragma once

#include <array>
#include <cstdint>
#include <utility>

#include "common/draws.hpp"
#include "common/output.hpp"

namespace pro2 {

// The two makers differ only in how many characters the pool gives each
// blank-to-tab line.
enum class Variant {
    twice_one_draw,       // pro2-maketest: 2 * draw, 0 to 65534
    hundred_thousands,    // pro2-maketest-b: (draw mod 5) * 100000
};

// The widths a maker accepts: four times the width fits in 32 bits.
constexpr std::int32_t min_width = -536870912;
constexpr std::int32_t max_width = 536870911;

// The characters lines are drawn from: 28 blanks, 5 tabs and the printable
// characters 33 to 126, shuffled further by every draw and never restored.
class Pool {
public:
    static constexpr int size = 127;

    Pool()
    {
        for (int slot = 0; slot < size; ++slot)
            slots_[slot] = slot < 28 ? ' ' : slot < 33 ? '\t' : static_cast<char>(slot);
    }

    // Thirty exchanges of two drawn slots, then the character in slot 0.
    // The generator is copied to a local for the exchanges: a store to a
    // char slot may alias the caller's generator, which would otherwise be
    // stored and loaded again around every exchange (a third of the maker's
    // time when the generator is a member).
    char draw(common::Draws& draws)
    {
        common::Draws local = draws;
        for (int exchange = 0; exchange < 30; ++exchange) {
            const int i = local.next() % size;
            const int j = local.next() % size;
            std::swap(slots_[i], slots_[j]);
        }
        draws = local;
        return slots_[0];
    }

private:
    std::array<char, size> slots_;
};

// Writes one random PRO2 case: a header line and `lines` text lines. The
// mode character picks the case ("w" counts only, "t" tabs to blanks, "b"
// blanks to tabs); any other writes nothing.
class CaseMaker {
public:
    CaseMaker(common::Draws& draws, Variant variant) : draws_(draws), variant_(variant) {}

    void write(char mode, std::int32_t lines, std::int32_t width, common::Output& out)
    {
        switch (mode) {
        case 'w':
            out.write("wc only\n");
            for (std::int32_t line = 0; line < lines; ++line)
                count_only_line(out);
            break;
        case 't':
            header("t2b ", width, out);
            for (std::int32_t line = 0; line < lines; ++line)
                tab_to_blank_line(out);
            break;
        case 'b':
            header("b2t ", width, out);
            for (std::int32_t line = 0; line < lines; ++line)
                blank_to_tab_line(width, out);
            break;
        default: break;
        }
    }

private:
    static void header(const char* name, std::int32_t width, common::Output& out)
    {
        out.write(name);
        out.number(width);
        out.put('\n');
    }

    void pool_characters(int count, common::Output& out)
    {
        for (int i = 0; i < count; ++i)
            out.put(pool_.draw(draws_));
    }

    // A count drawn, then one blank or tab per draw: odd a blank, even a tab.
    void mixed_prefix(common::Output& out)
    {
        const int count = draws_.next() % 25;
        for (int i = 0; i < count; ++i)
            out.put(draws_.next() % 2 != 0 ? ' ' : '\t');
    }

    void count_only_line(common::Output& out)
    {
        out.repeat(' ', static_cast<std::size_t>(draws_.next() % 17));
        out.repeat('\t', static_cast<std::size_t>(draws_.next() % 4));
        pool_characters(draws_.next() % 80, out);
        out.put('\n');
    }

    void tab_to_blank_line(common::Output& out)
    {
        mixed_prefix(out);
        pool_characters(draws_.next(), out);
        out.put('\n');
    }

    void blank_to_tab_line(std::int32_t width, common::Output& out)
    {
        mixed_prefix(out);
        const std::int32_t blanks = draws_.next() % 5 * width;
        if (blanks > 0)
            out.repeat(' ', static_cast<std::size_t>(blanks));
        pool_characters(variant_ == Variant::twice_one_draw ? 2 * draws_.next() : draws_.next() % 5 * 100000, out);
        out.put('\n');
    }

    common::Draws& draws_;
    Variant variant_;
    Pool pool_;
};

}  // namespace pro2
