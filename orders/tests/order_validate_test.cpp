// order-validate run as a user would: each rule just inside and just outside
// its limit, with the exact message and place; what each solver takes, in
// the report and under --for; order-gen's layout under --strict; the report
// of known cases; order-gen's cases at many seeds and sizes.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/run.hpp"

namespace {

using testing_support::run;
using testing_support::run_with;
using testing_support::RunOptions;
using testing_support::TempDir;

// An input and the message it gets (after "order-validate: "), or none when
// it is valid.
struct Case {
    std::string input;
    std::string message;
};

// The report of a valid case; empty for an invalid one.
std::string check(const Case& c, const std::vector<std::string>& args = {})
{
    const auto result = run_with("order-validate", args, c.input);
    if (c.message.empty()) {
        EXPECT_EQ(result.status, 0) << c.input << "\n" << result.err;
        EXPECT_NE(result.out, "") << c.input;
        return result.out;
    }
    EXPECT_EQ(result.status, 1) << c.input;
    EXPECT_EQ(result.out, "") << c.input;
    EXPECT_EQ(result.err, "order-validate: " + c.message + "\n") << c.input;
    return "";
}

// The value of the report line "label: value".
std::string fact(const std::string& report, const std::string& label)
{
    const auto at = ("\n" + report).find("\n" + label + ": ");
    if (at == std::string::npos)
        return "(no " + label + ")";
    const auto from = at + label.size() + 2;
    return report.substr(from, report.find('\n', from) - from);
}

const char* const solvers[] = {"order-solve-list", "order-solve-grid", "order-solve-bucket"};

TEST(OrderValidate, EachRuleJustInsideAndJustOutsideItsLimit)
{
    const Case cases[] = {
        // Counts in signed 32 bits, 0 or less meaning none; at most 2000000
        // offers.
        {"-2147483648 0", ""},
        {"1 -3 0", ""},
        {"2147483648", "line 1, column 1: the number of orders is above 2147483647 (found \"2147483648\")"},
        {"1\n2147483648\n", "line 2, column 1: the line count of order 1 is above 2147483647 (found \"2147483648\")"},
        {"0\n-2147483649\n", "line 2, column 1: the number of offers is below -2147483648 (found \"-2147483649\")"},
        {"0\n2000000\n",
         "line 3, column 1: the input ends after 0 of the 2000000 offers: expected the item of offer 1 (found \"\")"},
        {"0\n2000001\n",
         "line 2, column 1: the number of offers is above 2000000, the most the list solvers hold (found \"2000001\")"},
        {"1 0 0x10", "line 1, column 5: the number of offers is not a whole decimal integer (found \"0x10\")"},
        {"2\n1\n785 1\n\n",
         "line 5, column 1: the input ends after 1 of the 2 orders: expected the line count of order 2 (found \"\")"},
        {"1 0", "line 1, column 4: the input ends after the 1 order: expected the number of offers (found \"\")"},
        {"3 0 0 4 785",
         "line 1, column 12: the input ends after 0 of the 4 lines of order 3: expected the quantity of line 1 (found \"\")"},
        // Items 200..799.
        {"1 2 200 1 799 1 2 200 5 799 5", ""},
        {"1 1 199 1 0", "line 1, column 5: the item of order 1, line 1 is outside 200..799 (found \"199\")"},
        {"0 2 200 1 800 1", "line 1, column 11: the item of offer 2 is outside 200..799 (found \"800\")"},
        {"0 2 200 1 300",
         "line 1, column 14: the input ends after 1 of the 2 offers: expected the price of offer 2 (found \"\")"},
        // Quantities and prices in signed 32 bits.
        {"1 2 785 2147483647 786 -2147483648 0", ""},
        {"0 2 785 -2147483648 785 2147483647", ""},
        {"1 1 785 -2147483649 0",
         "line 1, column 9: the quantity of order 1, line 1 is below -2147483648 (found \"-2147483649\")"},
        {"1 1 785 1e3 0", "line 1, column 9: the quantity of order 1, line 1 is not a whole decimal integer (found \"1e3\")"},
        {"0 1 785 2147483648", "line 1, column 9: the price of offer 1 is above 2147483647 (found \"2147483648\")"},
        // Each item's demand in signed 32 bits as it is summed.
        {"2 2 785 2147483647 785 -1 1 785 1 0", ""},
        {"2 1 785 2147483647 1 785 1 0",
         "line 1, column 26: the demand for item 785 rises above 2147483647 with this quantity (found \"1\")"},
        {"1 2 785 -2147483648 785 -1 0",
         "line 1, column 25: the demand for item 785 falls below -2147483648 with this quantity (found \"-1\")"},
        // Nothing but white space after the last offer.
        {"0 1 785 5 \n\n \t", ""},
        {"0 1 785 5 6", "line 1, column 11: text after the last offer (the case holds 1) (found \"6\")"},
        {"0 -3 785", "line 1, column 6: text after the number of offers (the case holds none) (found \"785\")"},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(OrderValidate, WhatEachSolverTakesInTheReportAndUnderFor)
{
    struct SolverCase {
        std::string input;
        // Per solver: the report's verdict, and the message under --for
        // (empty when the case suits it).
        std::string verdict[3];
        std::string rejected[3];
    };
    const SolverCase cases[] = {
        // Price 0, which only the list solver takes.
        {"1\n1\n785 1\n\n2\n785 0\n785 8\n",
         {"suits", "does not suit: the price of offer 1 (line 6) is 0, outside 1..100000",
          "does not suit: the price of offer 1 (line 6) is 0, outside 1..2000000"},
         {"", "line 6, column 5: the price of offer 1 is outside 1..100000, the prices order-solve-grid takes (found \"0\")",
          "line 6, column 5: the price of offer 1 is outside 1..2000000, the prices order-solve-bucket takes (found \"0\")"}},
        // The grid's highest price and one above it.
        {"1\n1\n785 1\n\n2\n785 100000\n785 100001\n",
         {"suits", "does not suit: the price of offer 2 (line 7) is 100001, outside 1..100000", "suits"},
         {"", "line 7, column 5: the price of offer 2 is outside 1..100000, the prices order-solve-grid takes (found \"100001\")",
          ""}},
        // The bucket's highest price and one above it, on items without demand.
        {"0\n2\n200 2000000\n201 2000001\n",
         {"suits", "does not suit: the price of offer 1 (line 3) is 2000000, outside 1..100000",
          "does not suit: the price of offer 2 (line 4) is 2000001, outside 1..2000000"},
         {"", "line 3, column 5: the price of offer 1 is outside 1..100000, the prices order-solve-grid takes (found \"2000000\")",
          "line 4, column 5: the price of offer 2 is outside 1..2000000, the prices order-solve-bucket takes (found \"2000001\")"}},
        // The lowest price, the grid's highest, and just enough offers.
        {"1\n2\n785 1\n786 1\n\n2\n785 1\n786 100000\n", {"suits", "suits", "suits"}, {"", "", ""}},
        // One offer short of the demand.
        {"1\n1\n785 3\n\n3\n785 5\n790 1\n785 5\n",
         {"suits", "does not suit: item 785 has demand 3 but only 2 offers",
          "does not suit: item 785 has demand 3 but only 2 offers"},
         {"", "line 9, column 1: item 785 has demand 3 but only 2 offers, fewer than order-solve-grid needs (found \"\")",
          "line 9, column 1: item 785 has demand 3 but only 2 offers, fewer than order-solve-bucket needs (found \"\")"}},
        // Both a price out of range and a shortage: the price comes first.
        {"1\n1\n785 3\n\n1\n785 0\n",
         {"suits", "does not suit: the price of offer 1 (line 6) is 0, outside 1..100000",
          "does not suit: the price of offer 1 (line 6) is 0, outside 1..2000000"},
         {"", "line 6, column 5: the price of offer 1 is outside 1..100000, the prices order-solve-grid takes (found \"0\")",
          "line 6, column 5: the price of offer 1 is outside 1..2000000, the prices order-solve-bucket takes (found \"0\")"}},
        // The list's largest demand and one above it, without offers.
        {"1\n1\n785 2000001\n\n0\n",
         {"suits", "does not suit: item 785 has demand 2000001 but no offers",
          "does not suit: item 785 has demand 2000001 but no offers"},
         {"", "line 6, column 1: item 785 has demand 2000001 but no offers, fewer than order-solve-grid needs (found \"\")",
          "line 6, column 1: item 785 has demand 2000001 but no offers, fewer than order-solve-bucket needs (found \"\")"}},
        {"1\n1\n785 2000002\n\n0\n",
         {"does not suit: the demand for item 785 is 2000002, above 2000001",
          "does not suit: item 785 has demand 2000002 but no offers",
          "does not suit: item 785 has demand 2000002 but no offers"},
         {"line 5, column 1: the demand for item 785 is 2000002, above 2000001, the most order-solve-list holds (found \"0\")",
          "line 6, column 1: item 785 has demand 2000002 but no offers, fewer than order-solve-grid needs (found \"\")",
          "line 6, column 1: item 785 has demand 2000002 but no offers, fewer than order-solve-bucket needs (found \"\")"}},
        // A negative demand needs no offers.
        {"1\n1\n785 -5\n\n0\n", {"suits", "suits", "suits"}, {"", "", ""}},
    };
    for (const SolverCase& c : cases) {
        const std::string report = check({c.input, ""});
        for (int s = 0; s < 3; ++s) {
            EXPECT_EQ(fact(report, solvers[s]), c.verdict[s]) << c.input;
            const std::string checked = check({c.input, c.rejected[s]}, {"--for", solvers[s]});
            EXPECT_EQ(checked, c.rejected[s].empty() ? report : "") << c.input;
        }
    }
    // A demand too high for the list is a fault of the orders, reported
    // where they end, before the input that ends early.
    check({"1\n1\n785 2000002\n\n",
           "line 5, column 1: the demand for item 785 is 2000002, above 2000001, the most order-solve-list holds "
           "(found \"\")"},
          {"--for=order-solve-list"});
    check({"1\n1\n785 2000002\n\n",
           "line 5, column 1: the input ends after the 1 order: expected the number of offers (found \"\")"});
}

TEST(OrderValidate, ForTakesOnlyTheThreeSolvers)
{
    for (const char* wrong : {"order-solve", "grid", "ORDER-SOLVE-GRID"}) {
        const auto result = run_with("order-validate", {"--for", wrong}, "0 0");
        EXPECT_EQ(result.status, 2) << wrong;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, std::string("order-validate: invalid value '") + wrong +
                                  "' for --for: expected order-solve-list, order-solve-grid or order-solve-bucket\n"
                                  "Try 'order-validate --help'.\n");
    }
}

TEST(OrderValidate, StrictAsksForTheLayoutOfOrderGen)
{
    for (const char* valid : {"2\n2\n785 2\n790 1\n\n1\n785 1\n\n6\n785 10\n785 7\n790 4\n785 2\n785 7\n200 1\n",
                              "0\n0\n", "1\n0\n\n0\n", "-1\n-1\n"})
        check({valid, ""}, {"--strict"});
    const std::string canonical = " is not written as printf's \"%d\" writes it: no plus sign, leading zero or minus zero";
    const Case cases[] = {
        {" 0\n0\n", "line 1, column 2: the number of orders must start the input, not follow \" \" (found \"0\")"},
        {"1 1\n785 1\n\n0\n",
         "line 1, column 3: the line count of order 1 must follow a single line break, not \" \" (found \"1\")"},
        {"2\n1\n785 1\n1\n785 1\n\n0\n", "line 4, column 1: the line count of order 2 must follow a line break and an "
                                         "empty line, not \"\\x0A\" (found \"1\")"},
        {"1\n1\n785  1\n\n0\n",
         "line 3, column 6: the quantity of order 1, line 1 must follow a single blank, not \"  \" (found \"1\")"},
        {"1\n1\n785 1\n0\n", "line 4, column 1: the number of offers must follow a line break and an empty line, not "
                             "\"\\x0A\" (found \"0\")"},
        {"0\n\n0\n",
         "line 3, column 1: the number of offers must follow a single line break, not \"\\x0A\\x0A\" (found \"0\")"},
        {"0\n1 785 5\n", "line 2, column 3: the item of offer 1 must follow a single line break, not \" \" (found \"785\")"},
        {"0\n1\n785\t5\n", "line 3, column 5: the price of offer 1 must follow a single blank, not \"\\x09\" (found \"5\")"},
        {"0\n1\n785 5", "line 3, column 6: the last line does not end with a line break (found \"\")"},
        {"0\n1\n785 5\n\n", "line 5, column 1: the case must end with a single line break, not \"\\x0A\\x0A\" (found \"\")"},
        {"0\n1\n785 +5\n", "line 3, column 5: the price of offer 1" + canonical + " (found \"+5\")"},
        {"1\n1\n0785 1\n\n0\n", "line 3, column 1: the item of order 1, line 1" + canonical + " (found \"0785\")"},
        {"0\n-0\n", "line 2, column 1: the number of offers" + canonical + " (found \"-0\")"},
    };
    for (const Case& c : cases) {
        check(c, {"--strict"});
        check({c.input, ""});  // the layout alone is no fault of the format
    }
}

TEST(OrderValidate, ReportsWhatKnownCasesHoldAndReach)
{
    // The worked case: item 785 has demand 3 and four offers, 790 demand 1
    // and one offer, 200 an offer and no demand.
    EXPECT_EQ(check({"2\n2\n785 2\n790 1\n\n1\n785 1\n\n6\n785 10\n785 7\n790 4\n785 2\n785 7\n200 1\n", ""}),
              "orders: 2\n"
              "order lines: 3\n"
              "offers: 6\n"
              "items with demand: 2\n"
              "lines: 15\n"
              "order-solve-list: suits\n"
              "order-solve-grid: suits\n"
              "order-solve-bucket: suits\n"
              "\n"
              "quantity                smallest  largest  limits                   reaches\n"
              "line count of an order         1        2  -2147483648..2147483647  -\n"
              "order item                   785      790  200..799                 -\n"
              "quantity                       1        2  -2147483648..2147483647  -\n"
              "item demand                    1        3  -2147483648..2147483647  -\n"
              "offers                         6        6  0..2000000               -\n"
              "offer item                   200      790  200..799                 lower\n"
              "price                          1       10  -2147483648..2147483647  -\n"
              "offers minus demand            0        1  0..1999999               lower\n");
    // The extreme items and quantities, and no offers at all: item 799 has
    // the highest demand and none of the offers it needs.
    EXPECT_EQ(check({"1\n2\n200 -2147483648\n799 2147483647\n\n0\n", ""}),
              "orders: 1\n"
              "order lines: 2\n"
              "offers: 0\n"
              "items with demand: 1\n"
              "lines: 6\n"
              "order-solve-list: does not suit: the demand for item 799 is 2147483647, above 2000001\n"
              "order-solve-grid: does not suit: item 799 has demand 2147483647 but no offers\n"
              "order-solve-bucket: does not suit: item 799 has demand 2147483647 but no offers\n"
              "\n"
              "quantity                   smallest      largest  limits                   reaches\n"
              "line count of an order            2            2  -2147483648..2147483647  -\n"
              "order item                      200          799  200..799                 both\n"
              "quantity                -2147483648   2147483647  -2147483648..2147483647  both\n"
              "item demand             -2147483648   2147483647  -2147483648..2147483647  both\n"
              "offers                            0            0  0..2000000               lower\n"
              "offer item                        -            -  200..799                 -\n"
              "price                             -            -  -2147483648..2147483647  -\n"
              "offers minus demand     -2147483647  -2147483647  0..1999999               -\n");
}

TEST(OrderValidate, EveryCaseOfOrderGenPassesStrictAndSuitsTheSolversItsPricesFit)
{
    struct Size {
        std::string orders, offers, max_price;
    };
    // Small and in-range sizes at several seeds, the full-size case, and a
    // full-size case in the grid's price range.
    const Size small[] = {{"1", "300", "1"},           {"10", "1000", "100"},       {"50", "5000", "100000"},
                          {"100", "20000", "2000000"}, {"30", "3000", "2147483647"}};
    struct Made {
        std::string seed;
        Size size;
    };
    std::vector<Made> made;
    for (const char* seed : {"1", "42", "1765000000"})
        for (const Size& size : small)
            made.push_back({seed, size});
    made.push_back({"1", {"2000", "200000", "100000"}});
    made.push_back({"1", {"10000", "2000000", "2147483647"}});
    made.push_back({"2", {"10000", "2000000", "100000"}});
    TempDir folder;
    const std::string file = (folder.path() / "case.in").string();
    std::size_t skipped = 0;
    for (const Made& m : made) {
        const std::string what = "--seed " + m.seed + " --orders " + m.size.orders + " --offers " + m.size.offers +
                                 " --max-price " + m.size.max_price;
        const auto generated = run_with("order-gen", {"--seed", m.seed, "--orders", m.size.orders, "--offers",
                                                      m.size.offers, "--max-price", m.size.max_price, "-o", file});
        if (generated.status == 1 && generated.out.rfind("fail ", 0) == 0) {
            ++skipped;  // the orders need more offers than there are: no case
            continue;
        }
        ASSERT_EQ(generated.status, 0) << what << generated.err;
        const auto result = run_with("order-validate", {"--strict", file});
        ASSERT_EQ(result.status, 0) << what << result.err;
        EXPECT_EQ(fact(result.out, "orders"), m.size.orders) << what;
        EXPECT_EQ(fact(result.out, "offers"), m.size.offers) << what;
        const long long max_price = std::stoll(m.size.max_price);
        const bool fits[] = {true, max_price <= 100000, max_price <= 2000000};
        for (int s = 0; s < 3; ++s) {
            if (!fits[s])
                continue;
            EXPECT_EQ(fact(result.out, solvers[s]), "suits") << what;
            const auto meant = run_with("order-validate", {"--strict", "--for", solvers[s], file});
            EXPECT_EQ(meant.status, 0) << what << " " << solvers[s] << meant.err;
            EXPECT_EQ(meant.out, result.out) << what;
        }
    }
    EXPECT_LE(skipped, 1u);
}

// A case written to a file, with the result of order-validate on it.
testing_support::RunResult validate_file(const std::string& text, const std::vector<std::string>& args = {})
{
    TempDir folder;
    const std::string file = (folder.path() / "case.in").string();
    std::ofstream(file, std::ios::binary) << text;
    std::vector<std::string> with_file = args;
    with_file.push_back(file);
    return run_with("order-validate", with_file);
}

TEST(OrderValidate, PlainOffersAsTheTokenReaderReadsThem)
{
    // Offers on lines of their own, as order-gen writes them, are read in
    // one pass over the input block; any other layout token by token. A tab
    // for the blank between item and price moves no token and no column, so
    // the same case with tabs must get the same report or message. The case
    // spans two input blocks of the file; blank lines before the offers move
    // the block's end over every byte of the lines around the offer there,
    // which is a fault or the first price a solver does not take in some
    // variants. Prices of every width, of either sign, at the 32-bit
    // extremes, some not as "%d" writes them; or only prices all solvers take.
    const char* const wide[] = {"7", "42", "999", "1000", "54321", "100000", "2000000", "12345678", "123456789",
                                "1999999999", "2147483647", "-1", "-2147483648", "-70000", "0", "+5", "007", "-0"};
    const char* const narrow[] = {"1", "23", "456", "7890", "12345", "100000", "99999"};
    const std::string orders = "3\n2\n200 5\n799 1\n\n1\n450 3\n\n1\n200 2\n\n";
    constexpr int offers = 40000;
    struct Variant {
        bool wide;
        int from_straddling;  // the offer changed, from the one where the second block begins
        std::string item, price;
        std::vector<std::string> args;
    };
    const Variant variants[] = {
        {true, 0, "", "", {}},
        {false, 0, "", "100001", {}},
        {false, -1, "", "0", {}},
        {false, 1, "", "-5", {"--for", "order-solve-list"}},
        {false, 0, "", "100001", {"--for", "order-solve-grid"}},
        {false, 1, "", "2000001", {"--for", "order-solve-grid"}},
        {true, 0, "800", "", {}},
        {true, -1, "", "2147483648", {}},
        {true, 1, "", "12x", {}},
        {true, 0, "", "+", {}},
    };
    for (const Variant& v : variants) {
        std::vector<std::string> items, prices;
        std::size_t at = orders.size() + std::to_string(offers).size() + 1;
        int straddling = -1;
        for (int k = 0; k < offers; ++k) {
            items.push_back(std::to_string(200 + k * 7 % 600));
            prices.push_back(k < 20 ? "1" : v.wide ? wide[k % std::size(wide)] : narrow[k % std::size(narrow)]);
            at += items[k].size() + prices[k].size() + 2;
            straddling = straddling < 0 && at > std::size_t{1} << 18 ? k : straddling;
        }
        const auto changed = static_cast<std::size_t>(straddling + v.from_straddling);
        const bool changes = !v.item.empty() || !v.price.empty();
        if (changes)
            (v.item.empty() ? prices : items)[changed] = v.item.empty() ? v.price : v.item;
        for (std::size_t blank_lines = 0; blank_lines < 20; ++blank_lines) {
            std::string text[2];  // blanks, tabs
            for (std::string& t : text)
                t = orders + std::string(blank_lines, '\n') + std::to_string(offers) + "\n";
            for (int k = 0; k < offers; ++k) {
                text[0] += items[k] + " " + prices[k] + "\n";
                text[1] += items[k] + "\t" + prices[k] + "\n";
            }
            const auto plain = validate_file(text[0], v.args), tokens = validate_file(text[1], v.args);
            const std::string what = v.item + "/" + v.price + ", " + std::to_string(blank_lines) + " blank lines";
            EXPECT_EQ(plain.status, tokens.status) << what;
            EXPECT_EQ(plain.out, tokens.out) << what;
            EXPECT_EQ(plain.err, tokens.err) << what;
            // Not two runs failing alike for some other reason.
            if (!changes)
                EXPECT_EQ(fact(plain.out, "offers"), std::to_string(offers)) << what;
            else
                EXPECT_NE((plain.status == 0 ? plain.out : plain.err).find("offer " + std::to_string(changed + 1)),
                          std::string::npos) << what;
        }
    }
}

TEST(OrderValidate, StrictFindsOddPricesAmidPlainOffers)
{
    // A price not as "%d" writes it, amid offers the one-pass loop reads.
    for (const std::string price : {"+5", "05", "-0", "-05"}) {
        std::string input = "0\n30000\n";
        for (int k = 0; k < 30000; ++k)
            input += std::to_string(200 + k % 600) + " " + (k == 23333 ? price : std::to_string(k)) + "\n";
        EXPECT_EQ(run_with("order-validate", {"--strict"}, input).err,
                  "order-validate: line 23336, column 5: the price of offer 23334 is not written as printf's \"%d\" "
                  "writes it: no plus sign, leading zero or minus zero (found \"" + price + "\")\n");
    }
}

TEST(OrderValidate, ReadAndWriteFailuresAreReported)
{
    RunOptions full;
    full.stdout_to_full = true;
    EXPECT_EQ(run("order-validate", "0 0", full).err, "order-validate: write error: No space left on device\n");
    RunOptions closed;
    closed.close_stdin = true;
    EXPECT_EQ(run("order-validate", "", closed).err, "order-validate: read error: Bad file descriptor\n");
}

}  // namespace
