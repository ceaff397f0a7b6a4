#include "analysis/BinRanker.h"
#include "analysis/FundamentalDetector.h"
#include "analysis/PitchTable.h"
#include "analysis/ShortTimeSpectrum.h"
#include "analysis/Window.h"
#include "support/core/WavFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kBinTolerance = 1e-9;  // absolute, in bins, for hand-computed refinements

// ---------------------------------------------------------------- alignment

TEST(AlignToPitch, SnapsByTruncatedDistanceWithTiesToTheLowerPitch)
{
    const auto &p = sonvik::pitchTable();
    const struct {
        double f0;
        double expected;
    } cases[] = {
        {453.0, 440.0},   // |trunc(13)| = |trunc(-13.16)| = 13: tie, lower pitch
        {440.9, 440.0},   // truncated distance 0
        {439.5, 440.0},   // trunc(-0.5) = 0
        {0.0, p[0]},      // 8.18 and 8.66 Hz are both at distance 8: tie, lower pitch
        {262.0, p[60]},   // C4 = 261.63 Hz, distance 0
        {200.0, p[55]},   // G3 = 196.00 (4) beats G#3 = 207.65 (7)
    };
    for (const auto &c : cases)
        EXPECT_EQ(sonvik::alignToPitch(c.f0), c.expected) << "f0 " << c.f0;
}

// ---------------------------------------------------------------- ranking

// The reference exchange sort written out literally, over all bins.
std::vector<int> exchangeSortRanks(const std::vector<double> &values)
{
    const int m = static_cast<int>(values.size());
    std::vector<double> val(values);
    std::vector<int> rank(values.size());
    for (int k = 0; k < m; ++k)
        rank[static_cast<std::size_t>(k)] = val[static_cast<std::size_t>(k)] < 1.0 ? 0 : k;
    for (int i = 0; i < m - 1; ++i)
        for (int j = i + 1; j < m; ++j)
            if (val[static_cast<std::size_t>(j)] > val[static_cast<std::size_t>(i)]) {
                std::swap(val[static_cast<std::size_t>(i)], val[static_cast<std::size_t>(j)]);
                std::swap(rank[static_cast<std::size_t>(i)], rank[static_cast<std::size_t>(j)]);
            }
    return rank;
}

std::vector<int> fastRanks(const std::vector<double> &values, int ranks)
{
    sonvik::BinRanker ranker(static_cast<int>(values.size()));
    std::vector<int> out(static_cast<std::size_t>(ranks) + 1, -7);  // the last one is a sentinel
    ranker.rank(values.data(), ranks, out.data());
    EXPECT_EQ(out.back(), -7) << "rank() wrote past the requested ranks";
    out.pop_back();
    return out;
}

// The exchange sort is not stable: with values 1, 2, 2, 3 the first pass
// carries bin 1 past bin 2 (it is swapped into bin 3's slot), so the two 2s
// come out as bin 2 then bin 1; a stable sort would give 3, 1, 2, 0.
TEST(BinRanker, KeepsTheExchangeSortsUnstableTieOrder)
{
    const struct {
        std::vector<double> values;
        int ranks;
        std::vector<int> expected;
    } cases[] = {
        {{1.0, 2.0, 2.0, 3.0}, 4, {3, 2, 1, 0}},
        {{1.0, 2.0, 2.0, 3.0}, 2, {3, 2}},
        {{0.5, 2.0, 2.0, 3.0}, 4, {3, 2, 1, 0}},  // bin 0 is below 1.0 and ranks as 0
        {{5.0, 0.2, 0.9, 4.0}, 4, {0, 3, 0, 0}},  // ranks past the values >= 1.0 read 0
    };
    for (const auto &c : cases) {
        EXPECT_EQ(fastRanks(c.values, c.ranks), c.expected);
        const std::vector<int> literal = exchangeSortRanks(c.values);
        EXPECT_EQ(std::vector<int>(literal.begin(), literal.begin() + c.ranks), c.expected);
    }
}

// Many frames of seeded random values drawn so that ties, values just below
// and at 1.0, and long runs of equal values are common.
TEST(BinRanker, MatchesTheLiteralExchangeSortOnManyFrames)
{
    const std::uint32_t seed = 20240611u;
    std::mt19937 rng(seed);
    const double palette[] = {0.0, 0.3, 0.999999, 1.0, 1.0, 2.0, 3.0, 3.0, 5.5, 100.0};
    const struct {
        int bins;
        int frames;
    } sizes[] = {{1, 20}, {2, 50}, {3, 100}, {8, 400}, {33, 400}, {128, 200}, {512, 40}, {4096, 3}};
    for (const auto &size : sizes) {
        for (int frame = 0; frame < size.frames; ++frame) {
            std::vector<double> values(static_cast<std::size_t>(size.bins));
            const int style = frame % 4;
            for (double &v : values) {
                const int pick = static_cast<int>(rng() % 10);
                if (style == 0)
                    v = palette[pick];                                      // heavy ties
                else if (style == 1)
                    v = (rng() % 1000) / 200.0;                             // 0 .. 5 in steps of 0.005
                else if (style == 2)
                    v = pick < 7 ? (rng() % 1000) / 1000.0 : palette[pick];  // mostly below 1.0
                else
                    v = pick < 5 ? 2.0 : (rng() % 4) * 1.0;                  // long runs of one value
            }
            const std::vector<int> literal = exchangeSortRanks(values);
            for (int ranks : {0, 1, 5, size.bins / 2, size.bins}) {
                ranks = std::min(ranks, size.bins);
                const std::vector<int> expected(literal.begin(), literal.begin() + ranks);
                ASSERT_EQ(fastRanks(values, ranks), expected)
                    << "seed " << seed << ", " << size.bins << " bins, frame " << frame << ", ranks " << ranks;
            }
        }
    }
}

// ---------------------------------------------------------------- voting

struct VoteCase {
    const char *name;
    std::vector<std::pair<int, double>> peaks;  // avgAmp values over a floor of 1.0 (128 bins)
    std::vector<std::vector<int>> frames;       // rank rows, one per frame
    std::vector<double> expectedBins;           // f0List in bins (sample rate = N, so 1 Hz per bin)
    bool fallback;
    int fallbackBin;
};

// maxF0Bin = 60 everywhere. An isolated peak over the flat floor refines to
// its own bin (equal neighbours), so most expectations are whole bins.
const VoteCase kVoteCases[] = {
    {"accepts in vote order, skipping close bins and multiples of the last accepted",
     // 12: 2 bins from 10. 20: 2 x 10. 7: 0.7 / 1.43. 15: 2.14 / 0.47 of 7.
     // 50 = 5 x 10, but only the last accepted (15, ratio 3.33) is compared.
     {{10, 100}, {12, 90}, {20, 85}, {7, 80}, {15, 75}, {50, 70}},
     {{10, 12, 20, 7, 15, 50}, {10, 12, 20, 7, 15, 50}},
     {10, 7, 15, 50},
     false,
     0},
    {"near multiples count, not only exact ones",
     // 32/11 = 2.91 is within 0.1 of 3: skipped; 35/11 = 3.18 is not.
     {{11, 100}, {32, 90}, {35, 80}},
     {{11, 32, 35}},
     {11, 35},
     false,
     0},
    {"a near divisor of the last accepted is skipped",
     // 32/11 = 2.91: 11 nearly divides 32. 14: 32/14 = 2.29, 14/32 = 0.44.
     {{32, 100}, {11, 90}, {14, 80}},
     {{32, 11, 14}},
     {32, 14},
     false,
     0},
    {"a peak under half the last accepted ends the search",
     {{10, 100}, {13, 49.9}, {17, 90}},
     {{10, 13, 17}},
     {10},
     false,
     0},
    {"a peak of exactly half is still accepted",
     {{10, 100}, {13, 50}, {17, 90}},
     {{10, 13, 17}},
     {10, 13, 17},
     false,
     0},
    {"at most five, in acceptance order",
     // Each passes against its predecessor: 10/23 = 0.43, 27/10 = 2.7,
     // 16/27 = 0.59, 37/16 = 2.31; 13 (37/13 = 2.85) would be a sixth.
     {{23, 100}, {10, 100}, {27, 100}, {16, 100}, {37, 100}, {13, 100}},
     {{23, 10, 27, 16, 37, 13}},
     {23, 10, 27, 16, 37},
     false,
     0},
    {"a vote on a slope climbs to the peak and refines over three bins",
     // 18 climbs to 20: (5*19 + 9*20 + 4*21) / (5 + 9 + 4) = 359/18.
     // 22 climbs down to 20 again, which is used: skipped.
     {{17, 2}, {18, 3}, {19, 5}, {20, 9}, {21, 4}},
     {{18, 22}},
     {359.0 / 18.0},
     false,
     0},
    {"a climb does not move along a plateau",
     // 21 stays: (50*20 + 50*21 + 50*22) / 150 = 21.
     {{20, 50}, {21, 50}, {22, 50}},
     {{21}},
     {21},
     false,
     0},
    {"a bin skipped once stays used",
     // 18 is skipped beside 20; after 47 it would pass (47/18 = 2.61) but is used.
     {{20, 100}, {18, 60}, {47, 70}},
     {{20, 18, 47, 18}},
     {20, 47},
     false,
     0},
    {"a tied vote goes to the lower bin", {{10, 100}, {14, 100}}, {{14}, {10}}, {10}, false, 0},
    {"the majority wins the vote", {{10, 100}, {14, 100}}, {{14}, {10}, {14}}, {14}, false, 0},
    {"a climb down to bin 0 ends the search",
     // 43 (4.3 x 10) would be accepted if the search went on.
     {{0, 500}, {1, 400}, {2, 300}, {3, 200}, {10, 1000}, {43, 900}},
     {{10, 3, 43}},
     {10},
     false,
     0},
    {"a first climb down to bin 0 falls back to the loudest bin",
     {{0, 500}, {1, 400}, {2, 300}, {3, 200}, {30, 100}},
     {{3, 30}},
     {0},
     true,
     0},
    {"ranks from maxF0Bin - 1 on are never consulted",
     // Ranks 1 .. 58 repeat the used 10; 43 at rank 59 comes too late.
     {{10, 100}, {43, 100}},
     {[] {
         std::vector<int> row(59, 10);
         row.push_back(43);
         return row;
     }()},
     {10},
     false,
     0},
    {"votes at or above maxF0Bin are ignored; the fallback takes the lowest loudest bin",
     {{30, 100}, {45, 100}},
     {{70}},
     {30},
     true,
     30},
    {"a vote for bin 0 ends the search", {{30, 100}, {12, 50}}, {{0, 12}}, {30}, true, 30},
};

TEST(VoteFundamentals, HandBuiltRankTables)
{
    const int n = 128;
    const int maxF0Bin = 60;
    for (const VoteCase &c : kVoteCases) {
        std::vector<double> avgAmp(static_cast<std::size_t>(n), 1.0);
        for (const auto &p : c.peaks)
            avgAmp[static_cast<std::size_t>(p.first)] = p.second;
        sonvik::RankTable table;
        table.frames = static_cast<int>(c.frames.size());
        for (const auto &row : c.frames)
            table.ranks = std::max(table.ranks, static_cast<int>(row.size()));
        table.bins.assign(static_cast<std::size_t>(table.frames * table.ranks), 0);
        for (int f = 0; f < table.frames; ++f)
            std::copy(c.frames[static_cast<std::size_t>(f)].begin(), c.frames[static_cast<std::size_t>(f)].end(),
                      table.bins.begin() + f * table.ranks);

        const sonvik::FundamentalDetection d = sonvik::voteFundamentals(table, avgAmp, maxF0Bin, n, false);
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(d.noFrames);
        EXPECT_EQ(d.usedFallback, c.fallback);
        EXPECT_EQ(d.found, c.fallback ? 0 : static_cast<int>(c.expectedBins.size()));
        for (int slot = 0; slot < sonvik::kMaxFundamentals; ++slot) {
            const double expected =
                slot < static_cast<int>(c.expectedBins.size()) ? c.expectedBins[static_cast<std::size_t>(slot)] : 0.0;
            EXPECT_NEAR(d.f0List[static_cast<std::size_t>(slot)], expected, kBinTolerance) << "slot " << slot;
        }
        if (c.fallback) {
            EXPECT_EQ(d.fallbackBin, c.fallbackBin);
            EXPECT_EQ(d.fallbackAmp, avgAmp[static_cast<std::size_t>(c.fallbackBin)]);
        }
    }
}

// With maxF0Bin past the end (possible for a hand-made table) a climb up a
// rising avgAmp (avgAmp[k] = k + 1, N = 16) stops at N - 2 so that the
// refinement's upper neighbour exists: (14*13 + 15*14 + 16*15) / 45 = 632/45.
TEST(VoteFundamentals, ClimbStopsBeforeTheLastBin)
{
    std::vector<double> avgAmp(16);
    for (int k = 0; k < 16; ++k)
        avgAmp[static_cast<std::size_t>(k)] = k + 1.0;
    sonvik::RankTable table;
    table.frames = 1;
    table.ranks = 1;
    table.bins = {5};
    const sonvik::FundamentalDetection d = sonvik::voteFundamentals(table, avgAmp, 40, 16, false);
    ASSERT_EQ(d.found, 1);
    EXPECT_NEAR(d.f0List[0], 632.0 / 45.0, kBinTolerance);
}

// ---------------------------------------------------------------- whole path

sonvik::ShortTimeSpectrum spectrumOf(const std::vector<short> &samples, int sampleRate, int frameSize, int window)
{
    sonvik::ShortTimeSpectrum s;
    std::string error;
    EXPECT_TRUE(sonvik::computeShortTimeSpectrum(samples.data(), static_cast<int>(samples.size()), sampleRate,
                                                 frameSize, window, s, &error))
        << error;
    return s;
}

std::vector<short> mix(const std::vector<short> &a, const std::vector<short> &b)
{
    std::vector<short> out(a.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        out[i] = static_cast<short>(a[i] + b[i]);
    return out;
}

const std::vector<double> kHarmonicAmps = {8000, 4000, 2000, 1000, 500};

TEST(DetectFundamentals, FindsTheFundamentalOfAHarmonicTone)
{
    const struct {
        int sampleRate;
        int frameSize;
        int window;
        double f0;
        int pitch;  // pitchTable index of f0
    } cases[] = {
        {44100, 8192, sonvik::HannWindow, 220.0, 57},
        {48000, 4096, sonvik::HammingWindow, 329.63, 64},
        {22050, 2048, sonvik::BlackmanWindow, 130.81, 48},
    };
    for (const auto &c : cases) {
        const double binHz = double(c.sampleRate) / c.frameSize;
        const auto tone = fixture::harmonicTone(c.f0, kHarmonicAmps, c.sampleRate, c.sampleRate);
        const sonvik::ShortTimeSpectrum s = spectrumOf(tone, c.sampleRate, c.frameSize, c.window);
        SCOPED_TRACE(std::to_string(c.f0) + " Hz at " + std::to_string(c.sampleRate) + " Hz, N "
                     + std::to_string(c.frameSize));

        const sonvik::FundamentalDetection raw = sonvik::detectFundamentals(s, false);
        EXPECT_FALSE(raw.usedFallback);
        EXPECT_EQ(raw.found, 1);
        EXPECT_NEAR(raw.f0List[0], c.f0, binHz / 2);

        const sonvik::FundamentalDetection aligned = sonvik::detectFundamentals(s, true);
        EXPECT_EQ(aligned.found, 1);
        EXPECT_EQ(aligned.f0List[0], sonvik::pitchTable()[static_cast<std::size_t>(c.pitch)]);
    }
}

// Two tones whose upper harmonics stay under half the weaker fundamental, so
// the search ends after both. The louder one wins the first vote whichever
// is lower: the list is in acceptance order, not sorted.
TEST(DetectFundamentals, TwoSimultaneousTonesComeOutInAcceptanceOrder)
{
    const int sampleRate = 44100;
    const int n = 8192;
    const double binHz = double(sampleRate) / n;
    const struct {
        double lowF0, lowAmp, highF0, highAmp;
        double first, second;
    } cases[] = {
        {200.0, 6000, 290.0, 4500, 200.0, 290.0},
        {200.0, 4500, 290.0, 6000, 290.0, 200.0},
        {220.0, 4500, 330.0, 6000, 330.0, 220.0},
    };
    for (const auto &c : cases) {
        const auto low = fixture::harmonicTone(c.lowF0, {c.lowAmp, 1500, 750}, sampleRate, sampleRate);
        const auto high = fixture::harmonicTone(c.highF0, {c.highAmp, 1500, 750}, sampleRate, sampleRate);
        const sonvik::ShortTimeSpectrum s = spectrumOf(mix(low, high), sampleRate, n, sonvik::HannWindow);
        const sonvik::FundamentalDetection d = sonvik::detectFundamentals(s, false);
        SCOPED_TRACE(std::to_string(c.lowF0) + " Hz + " + std::to_string(c.highF0) + " Hz");
        ASSERT_EQ(d.found, 2);
        EXPECT_NEAR(d.f0List[0], c.first, binHz / 2);
        EXPECT_NEAR(d.f0List[1], c.second, binHz / 2);
        EXPECT_EQ(d.f0List[2], 0.0);
    }
}

TEST(DetectFundamentals, SilenceFallsBackToBinZero)
{
    const sonvik::ShortTimeSpectrum s = spectrumOf(std::vector<short>(3 * 1024, 0), 44100, 1024, sonvik::HannWindow);
    const struct {
        bool align;
        double f0;
    } cases[] = {{false, 0.0}, {true, sonvik::pitchTable()[0]}};
    for (const auto &c : cases) {
        const sonvik::FundamentalDetection d = sonvik::detectFundamentals(s, c.align);
        EXPECT_FALSE(d.noFrames);
        EXPECT_TRUE(d.usedFallback);
        EXPECT_EQ(d.found, 0);
        EXPECT_EQ(d.fallbackBin, 0);
        EXPECT_EQ(d.fallbackAmp, 0.0);
        EXPECT_EQ(d.f0List[0], c.f0) << "align " << c.align;
    }
}

TEST(DetectFundamentals, PortionShorterThanAFrameDetectsNothing)
{
    const auto tone = fixture::harmonicTone(220.0, kHarmonicAmps, 44100, 1000);
    const sonvik::ShortTimeSpectrum s = spectrumOf(tone, 44100, 1024, sonvik::HannWindow);
    ASSERT_EQ(s.nFrame, 0);
    for (bool align : {false, true}) {
        const sonvik::FundamentalDetection d = sonvik::detectFundamentals(s, align);
        EXPECT_TRUE(d.noFrames);
        EXPECT_FALSE(d.usedFallback);
        EXPECT_EQ(d.found, 0);
        for (double f0 : d.f0List)
            EXPECT_EQ(f0, 0.0) << "align " << align;
    }
}

// Below 2000 Hz maxF0Bin passes N/2 (and for N = 4 at 500 Hz the fold would
// reach bin N); far above, maxF0Bin falls to or below minF0Bin or below 0.
// Everything must stay inside the arrays (the sanitiser build checks) and
// every frequency inside 0 .. sampleRate/2.
TEST(DetectFundamentals, ExtremeSampleRatesStayInBounds)
{
    const struct {
        int sampleRate;
        int frameSize;
        double f0;
    } cases[] = {{1000, 512, 60.0}, {500, 4, 60.0}, {1500, 64, 100.0}, {192000, 512, 440.0}, {1000000, 512, 2000.0}};
    for (const auto &c : cases) {
        const auto tone = fixture::harmonicTone(c.f0, kHarmonicAmps, c.sampleRate, 8 * c.frameSize);
        const sonvik::ShortTimeSpectrum s = spectrumOf(tone, c.sampleRate, c.frameSize, sonvik::HannWindow);
        const sonvik::FundamentalDetection d = sonvik::detectFundamentals(s, false);
        EXPECT_FALSE(d.noFrames);
        for (double f0 : d.f0List) {
            EXPECT_GE(f0, 0.0) << c.sampleRate << " Hz, N " << c.frameSize;
            EXPECT_LE(f0, c.sampleRate / 2.0) << c.sampleRate << " Hz, N " << c.frameSize;
        }
    }
}

} // namespace
