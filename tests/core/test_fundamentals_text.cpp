// Typed fundamentals: comma-separated sections into five slots, plain decimals only.

#include "analysis/FundamentalsText.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

TEST(FundamentalsText, Sections)
{
    struct Case { std::string text; std::array<double, 5> expected; };
    const Case cases[] = {
        {"220,330", {220, 330, 0, 0, 0}},
        {"220,,330", {220, 0, 330, 0, 0}},   // an empty section keeps its slot
        {",220", {0, 220, 0, 0, 0}},
        {"1,2,3,4,5,6,7", {1, 2, 3, 4, 5}},  // only the first five are read
        {"", {0, 0, 0, 0, 0}},
        {"440", {440, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(sonvik::parseFundamentals(c.text), c.expected);
    }
}

// Each text is one section; the value is what its slot receives.
TEST(FundamentalsText, OnlyPlainDecimalsCount)
{
    struct Case { std::string text; double expected; };
    const Case cases[] = {
        {" 220 ", 220},
        {"\t330\t", 330},
        {"1.", 1},
        {".5", 0.5},
        {"-5", -5},
        {"+5", 5},
        {"+.25", 0.25},
        {"1e2", 100},
        {"2.5E-1", 0.25},
        {"1e+2", 100},
        {"007", 7},
        {"abc", 0},
        {"nan", 0},
        {"NaN", 0},
        {"inf", 0},
        {"-infinity", 0},
        {"0x10", 0},
        {".", 0},
        {"-", 0},
        {"1e", 0},
        {"1e+", 0},
        {"e5", 0},
        {"1.2.3", 0},
        {"12abc", 0},
        {"1 2", 0},
        {"- 5", 0},
        {"5\n", 0},          // only spaces and tabs are blanks
        {"1e999", 0},        // beyond the range of a double
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(sonvik::parseFundamentals(c.text)[0], c.expected);
    }
}

} // namespace
