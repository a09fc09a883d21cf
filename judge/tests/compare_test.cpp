// Output comparison in process: where the first difference is, how it is
// shown, clock readings, and outputs larger than one read block.

#include "judge/judging/compare.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/run.hpp"

namespace {

using testing_support::TempDir;

class Compare : public ::testing::Test {
protected:
    judge::Difference compare(const std::string& expected, const std::string& found, bool clock = false)
    {
        const std::string expected_path = (folder_.path() / "expected").string();
        const std::string found_path = (folder_.path() / "found").string();
        std::ofstream(expected_path, std::ios::binary) << expected;
        std::ofstream(found_path, std::ios::binary) << found;
        return judge::compare_outputs(expected_path, found_path, clock);
    }

    TempDir folder_;
};

TEST_F(Compare, DifferencesAreShownByLineColumnAndText)
{
    const std::string a100(100, 'a');
    const std::string a64(64, 'a');
    struct Case {
        std::string expected;
        std::string found;
        bool clock;
        std::string description;  // "" when the outputs are the same
    };
    const Case cases[] = {
        {"55\n", "55\n", false, ""},
        {"", "", false, ""},
        {"1 3 3 5\n2 3\n", "1 3 3 5\n2 4\n", false, R"(line 2, column 3: expected "2 3\n", found "2 4\n")"},
        {"55\n", "55", false, R"(line 1, column 3: expected "55\n", found "55" (the end of the output))"},
        {"", "x\n", false, R"(line 1, column 1: expected "" (the end of the output), found "x\n")"},
        {"a\tb\n", std::string("a\0b\xff\n", 5), false, R"(line 1, column 2: expected "a\tb\n", found "a\x00b\xff\n")"},
        {"say \"hi\"\n", "say \\hi\n", false, R"(line 1, column 5: expected "say \"hi\"\n", found "say \\hi\n")"},
        {"x\r\n", "x\n", false, R"(line 1, column 2: expected "x\r\n", found "x\n")"},
        // A long line is cut to the text around the difference.
        {a100 + "\n", std::string(60, 'a') + "b" + std::string(39, 'a') + "\n", false,
         "line 1, column 61: expected \"..." + a64 + "...\", found \"..." + std::string(24, 'a') + "b" +
             std::string(39, 'a') + "...\""},
        // The clock line takes any integer, ended as the expected one.
        {"20\n2\n", "20\n1234\n", true, ""},
        {"20\n2\n", "20\n-7\n", true, ""},
        {"20\n2", "20\n99", true, ""},
        {"20\n2\n", "20\n2\n", false, ""},
        {"20\n2\n", "20\n3\n", false, R"(line 2, column 1: expected "2\n", found "3\n")"},
        {"20\n2\n", "20\nabc\n", true, R"(line 2, column 1: expected a clock reading (an integer), found "abc\n")"},
        {"20\n2\n", "20\n", true,
         R"(line 2, column 1: expected a clock reading (an integer), found "" (the end of the output))"},
        {"20\n2\n", "20\n2\n\n", true, R"(line 2, column 1: expected a clock reading (an integer), found "2\n")"},
        {"20\n2\n", "20\n2", true, R"(line 2, column 1: expected a clock reading (an integer), found "2")"},
        {"20\n2\n", "21\n2\n", true, R"(line 1, column 2: expected "20\n", found "21\n")"},
        // An expected last line that is no reading is compared exactly.
        {"20\nx\n", "20\ny\n", true, R"(line 2, column 1: expected "x\n", found "y\n")"},
    };
    for (const Case& c : cases) {
        const judge::Difference difference = compare(c.expected, c.found, c.clock);
        const std::string shown = difference.same ? "" : judge::describe(difference);
        EXPECT_EQ(shown, c.description) << judge::escape(c.expected) << " / " << judge::escape(c.found);
    }
}

// Three megabytes of ten-byte lines, one byte changed at offsets around the
// read blocks' boundaries: the line and column follow from the offset.
TEST_F(Compare, DifferenceFoundAcrossReadBlocks)
{
    std::string expected;
    for (int line = 0; line < 300000; ++line)
        expected += "123456789\n";
    for (const std::size_t offset : {std::size_t{0}, std::size_t{1} << 20, (std::size_t{1} << 20) - 1,
                                     std::size_t{2500003}, expected.size() - 1}) {
        std::string found = expected;
        found[offset] = 'x';
        const judge::Difference difference = compare(expected, found);
        ASSERT_FALSE(difference.same) << offset;
        EXPECT_EQ(difference.line, offset / 10 + 1) << offset;
        EXPECT_EQ(difference.column, offset % 10 + 1) << offset;
    }
    EXPECT_TRUE(compare(expected, expected).same);
    const judge::Difference shorter = compare(expected, expected.substr(0, expected.size() - 10));
    EXPECT_EQ(shorter.line, 300000u);
    EXPECT_TRUE(shorter.found_ends);
}

}  // namespace
