// Portion arithmetic: slider coupling, selection bounds, extraction and auto-trim.

#include "sound/PortionSelection.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using sonvik::Channel;
using sonvik::PortionSelection;
using sonvik::Selection;

namespace {

const char *channelName(Channel channel)
{
    switch (channel) {
    case Channel::Left: return "L";
    case Channel::Right: return "R";
    case Channel::Average: return "average";
    }
    return "?";
}

TEST(PortionSelection, DefaultChannel)
{
    EXPECT_EQ(sonvik::defaultChannel(1), Channel::Left);
    EXPECT_EQ(sonvik::defaultChannel(2), Channel::Average);
    EXPECT_EQ(sonvik::defaultChannel(6), Channel::Left);
}

TEST(PortionSelection, CouplingRules)
{
    struct Case { int moved, other, startRule, endRule; };
    // startRule = endAfterStartMoved(moved, other), endRule = startAfterEndMoved(moved, other).
    const Case cases[] = {
        {50, 40, 51, 40},  // end below the new start moves up; start below the new end stays
        {50, 50, 51, 49},  // equal: both push the other one step away
        {50, 60, 60, 49},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.moved) + "/" + std::to_string(c.other));
        EXPECT_EQ(sonvik::endAfterStartMoved(c.moved, c.other), c.startRule);
        EXPECT_EQ(sonvik::startAfterEndMoved(c.moved, c.other), c.endRule);
    }
}

// Sliders start at 0 and 100; each step sets one slider ('s' start, 'e' end).
TEST(PortionSelection, SlidersChainLikeValueChangedSignals)
{
    struct Case {
        const char *name;
        std::vector<std::pair<char, int>> steps;
        int start, end;
    };
    const Case cases[] = {
        {"start past end pushes end", {{'e', 40}, {'s', 50}}, 50, 51},
        {"end below start pushes start", {{'s', 50}, {'e', 30}}, 29, 30},
        // end would become 101, which clamps to its current 100: nothing more happens.
        {"start at the top", {{'s', 100}}, 100, 100},
        {"end at the bottom", {{'e', 0}}, 0, 0},
        {"values clamp to 0..100", {{'s', 150}, {'e', -7}}, 0, 1},
        // end 0 drags start to 0 (-1 clamped), whose handler pushes end to 1.
        {"end dropped below a high start", {{'s', 99}, {'e', 0}}, 0, 1},
    };
    const short none = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PortionSelection portion(&none, 1, 1);
        for (const auto &[slider, value] : c.steps)
            slider == 's' ? portion.setStart(value) : portion.setEnd(value);
        EXPECT_EQ(portion.start(), c.start);
        EXPECT_EQ(portion.end(), c.end);
    }
}

TEST(PortionSelection, SelectionBounds)
{
    struct Case { int channels, total, start, end; Channel channel; int startIndex, endIndex, count; };
    const Case cases[] = {
        // Stereo, 1000 frames, full range: L and average take every frame; R starts
        // on value 1 and holds (1999 - 1 + 1) / 2 = 999.
        {2, 2000, 0, 100, Channel::Left, 0, 1999, 1000},
        {2, 2000, 0, 100, Channel::Average, 0, 1999, 1000},
        {2, 2000, 0, 100, Channel::Right, 1, 1999, 999},
        // 1001 frames: start 50 % of 2002 = 1001 (odd) goes back to 1000 for L and
        // average and stays for R; end 2002 is kept below total.
        {2, 2002, 50, 100, Channel::Left, 1000, 2001, 501},
        {2, 2002, 50, 100, Channel::Average, 1000, 2001, 501},
        {2, 2002, 50, 100, Channel::Right, 1001, 2001, 500},
        // 2000 values, start 10 % = 200 (even): R moves on to 201.
        {2, 2000, 10, 20, Channel::Right, 201, 400, 100},
        // Mono, 10 values: 2.5 -> 3 and 7.5 -> 8 (half away from zero); nothing aligns.
        {1, 10, 25, 75, Channel::Left, 3, 8, 6},
        // Six channels, 7 frames (42 values): 10 % = 4.2 -> 4 -> frame start 0, R 1;
        // 90 % = 37.8 -> 38; counts 39 / 6 = 6 and 38 / 6 = 6.
        {6, 42, 10, 90, Channel::Left, 0, 38, 6},
        {6, 42, 10, 90, Channel::Right, 1, 38, 6},
        // 50 % = 21 -> frame start 18, R 19; counts 24 / 6 = 4 and 23 / 6 = 3.
        {6, 42, 50, 100, Channel::Average, 18, 41, 4},
        {6, 42, 50, 100, Channel::Right, 19, 41, 3},
        // Both sliders at the top: R starts past the end, the count stays 0.
        {2, 2000, 100, 100, Channel::Right, 2001, 1999, 0},
        {1, 0, 0, 100, Channel::Left, 0, -1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " channels, " + std::to_string(c.total) + " values, "
                     + std::to_string(c.start) + ".." + std::to_string(c.end) + " " + channelName(c.channel));
        const Selection s = sonvik::selectPortion(c.start, c.end, c.total, c.channels, c.channel);
        EXPECT_EQ(s.startIndex, c.startIndex);
        EXPECT_EQ(s.endIndex, c.endIndex);
        EXPECT_EQ(s.count, c.count);
    }
}

TEST(PortionSelection, Extraction)
{
    // Stereo frames (100, -101), (101, 100), (-3, -4), (7, 8): averages
    // -1 / 2 = 0, 201 / 2 = 100, -7 / 2 = -3 (toward zero), 15 / 2 = 7.
    const std::vector<short> stereo = {100, -101, 101, 100, -3, -4, 7, 8};
    // Six channels, frames 1..6, -1..-6 and 30000 x 6: sums 21, -21, 180000
    // (beyond 16 bits), averages 3, -3 (toward zero), 30000.
    const std::vector<short> six = {1, 2, 3, 4, 5, 6, -1, -2, -3, -4, -5, -6,
                                    30000, 30000, 30000, 30000, 30000, 30000};
    struct Case {
        const std::vector<short> *raw;
        int channels, start, end;
        Channel channel;
        std::vector<short> expected;
    };
    const Case cases[] = {
        {&stereo, 2, 0, 100, Channel::Average, {0, 100, -3, 7}},
        {&stereo, 2, 0, 100, Channel::Left, {100, 101, -3, 7}},
        // R over the full range holds (7 - 1 + 1) / 2 = 3 values.
        {&stereo, 2, 0, 100, Channel::Right, {-101, 100, -4}},
        // 50 % of 8 = 4: from frame 2 on.
        {&stereo, 2, 50, 100, Channel::Average, {-3, 7}},
        {&six, 6, 0, 100, Channel::Average, {3, -3, 30000}},
        {&six, 6, 0, 100, Channel::Left, {1, -1, 30000}},
        {&six, 6, 0, 100, Channel::Right, {2, -2}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " channels " + std::to_string(c.start) + ".."
                     + std::to_string(c.end) + " " + channelName(c.channel));
        const int total = static_cast<int>(c.raw->size());
        const Selection s = sonvik::selectPortion(c.start, c.end, total, c.channels, c.channel);
        EXPECT_EQ(sonvik::extractPortion(c.raw->data(), total, c.channels, c.channel, s), c.expected);
    }
}

// A selection that claims more than the buffer holds yields only what is there.
TEST(PortionSelection, ExtractionStopsAtTheData)
{
    const std::vector<short> stereo = {1, 2, 3, 4, 5, 6};
    Selection s;
    s.startIndex = 0;
    s.endIndex = 100;
    s.count = 50;
    EXPECT_EQ(sonvik::extractPortion(stereo.data(), 6, 2, Channel::Average, s), (std::vector<short>{1, 3, 5}));
    EXPECT_EQ(sonvik::extractPortion(stereo.data(), 6, 2, Channel::Left, s), (std::vector<short>{1, 3, 5}));
}

// `total` values of `channels` channels, `level` on the values of the loud
// frames [firstFrame, lastFrame] of the given channels, 0 elsewhere.
std::vector<short> burst(int frames, int channels, int firstFrame, int lastFrame,
                         const std::vector<int> &loudChannels, short level)
{
    std::vector<short> values(static_cast<std::size_t>(frames * channels), 0);
    for (int f = firstFrame; f <= lastFrame; ++f)
        for (int c : loudChannels)
            values[static_cast<std::size_t>(f * channels + c)] = level;
    return values;
}

TEST(PortionSelection, AutoTrim)
{
    struct Case {
        const char *name;
        std::vector<short> raw;
        int channels;
        Channel channel;
        int fromStart, fromEnd;      // sliders before the trim
        bool move;
        int trimStart, trimEnd;      // positions computed by the trim
        int start, end;              // sliders after setting start, then end
        bool question;               // "Nothing selected" must be asked
    };
    const Case cases[] = {
        // Loud 1000..2999 of 10000 (threshold 10000 / 50 = 200): first loud s = 1000,
        // trunc(100 * 999 / 10000) = 9; last loud 2999, trunc(100 * 3000 / 10000) = 30.
        {"mono burst", burst(10000, 1, 1000, 2999, {0}, 10000), 1, Channel::Left,
         0, 100, true, 9, 30, 9, 30, false},
        // Setting start 9 first pushes end 5 to 10, then end goes to 30.
        {"mono burst from sliders below it", burst(10000, 1, 1000, 2999, {0}, 10000), 1, Channel::Left,
         0, 5, true, 9, 30, 9, 30, false},
        // Nothing loud: start trunc(100 * 9999 / 10000) = 99, end 0; end 0 drags
        // start to 0, whose handler pushes end to 1: start = end - 1.
        {"mono silence", std::vector<short>(10000, 0), 1, Channel::Left,
         0, 100, true, 99, 0, 0, 1, true},
        // Only negative values: the threshold is 0 and no value is above it.
        {"mono negative burst", burst(10000, 1, 1000, 2999, {0}, -10000), 1, Channel::Left,
         0, 100, true, 99, 0, 0, 1, true},
        {"loud from the first to the last value", std::vector<short>(100, 500), 1, Channel::Left,
         20, 80, true, 0, 100, 0, 100, false},
        // Average works on all 2000 interleaved values: loud right values 201..609
        // give trunc(100 * 200 / 2000) = 10 and trunc(100 * 610 / 2000) = 30.
        {"stereo average", burst(1000, 2, 100, 304, {1}, 8000), 2, Channel::Average,
         0, 100, true, 10, 30, 10, 30, false},
        // Left values 200..608: r(100 * 198 / 2000) = r(9.9) = 10,
        // r(100 * 610 / 2000) = r(30.5) = 31.
        {"stereo left", burst(1000, 2, 100, 304, {0}, 8000), 2, Channel::Left,
         0, 100, true, 10, 31, 10, 31, false},
        // Right values 201..609: r(100 * 199 / 2000) = r(9.95) = 10,
        // r(100 * 611 / 2000) = r(30.55) = 31.
        {"stereo right", burst(1000, 2, 100, 304, {1}, 8000), 2, Channel::Right,
         0, 100, true, 10, 31, 10, 31, false},
        // Left silent: s runs to 2000, r(100 * 1998 / 2000) = 100; e ends at -2, r(0) = 0.
        {"stereo silent left", burst(1000, 2, 100, 304, {1}, 8000), 2, Channel::Left,
         0, 100, true, 100, 0, 0, 1, true},
        // Six channels, loud frames 10..29 = values 60..179 of 600:
        // trunc(100 * 59 / 600) = 9, trunc(100 * 180 / 600) = 30.
        {"six channels average", burst(100, 6, 10, 29, {0, 1, 2, 3, 4, 5}, 8000), 6, Channel::Average,
         0, 100, true, 9, 30, 9, 30, false},
        {"six channels left stays", burst(100, 6, 10, 29, {0}, 8000), 6, Channel::Left,
         20, 80, false, 0, 100, 20, 80, false},
        {"no data", {}, 1, Channel::Left, 0, 100, false, 0, 100, 0, 100, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int total = static_cast<int>(c.raw.size());
        const sonvik::TrimPositions p = sonvik::trimPositions(c.raw.data(), total, c.channels, c.channel);
        EXPECT_EQ(p.move, c.move);
        if (c.move) {
            EXPECT_EQ(p.start, c.trimStart);
            EXPECT_EQ(p.end, c.trimEnd);
        }

        PortionSelection portion(c.raw.data(), total, c.channels);
        portion.setChannel(c.channel);
        portion.setStart(c.fromStart);
        portion.setEnd(c.fromEnd);
        EXPECT_EQ(portion.autoTrim(), c.question);
        EXPECT_EQ(portion.start(), c.start);
        EXPECT_EQ(portion.end(), c.end);
    }
}

// The model ties the pieces together: a stereo sound starts on the average,
// and after "Cancel" (select all) the whole sound is extracted again.
TEST(PortionSelection, ModelSelectsAndExtracts)
{
    const std::vector<short> stereo = {100, -101, 101, 100, -3, -4, 7, 8};
    PortionSelection portion(stereo.data(), 8, 2);
    EXPECT_EQ(portion.channel(), Channel::Average);

    portion.setStart(50);
    EXPECT_EQ(portion.extract(), (std::vector<short>{-3, 7}));
    portion.setChannel(Channel::Right);
    EXPECT_EQ(portion.selection().startIndex, 5);
    EXPECT_EQ(portion.extract(), (std::vector<short>{-4}));

    portion.setStart(0);
    portion.setEnd(100);
    portion.setChannel(Channel::Left);
    EXPECT_EQ(portion.extract(), (std::vector<short>{100, 101, -3, 7}));
}

} // namespace
