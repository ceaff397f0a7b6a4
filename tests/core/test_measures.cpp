// Measures derived from stored tracks, on small hand-built tracks whose
// expected values are worked out beside each case.

#include "harmonic/HarmonicMeasures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

using sonvik::HarmonicTrack;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
constexpr double kTolerance = 1e-12; // relative to values of order 1
constexpr double kTimeStep = 0.01;

// numHarmonics x (frames + 1) zeros, numFrames = frames.
HarmonicTrack handTrack(int harmonics, int frames)
{
    HarmonicTrack t;
    t.allocate(harmonics, frames + 1);
    t.numFrames = frames;
    t.timeStep = kTimeStep;
    return t;
}

void setColumn(sonvik::Matrix &m, int column, const std::vector<double> &values)
{
    for (std::size_t h = 0; h < values.size(); ++h)
        m[static_cast<int>(h)][column] = values[h];
}

// Equal, both NaN, or within kTolerance.
void expectValue(double actual, double expected, const std::string &what)
{
    if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(actual)) << what << ": expected NaN, got " << actual;
    else if (std::isinf(expected))
        EXPECT_EQ(actual, expected) << what;
    else
        EXPECT_NEAR(actual, expected, kTolerance) << what;
}

// Four harmonics, two frames; frame 1 is silent and counted so.
//   amp[.][0] = 4 2 6 0, maxAmp 6, rmsAmp sqrt((16 + 4 + 36) / 4) = sqrt(14)
//   freqDev[.][0] = 3 -6 1.5 9 -> damped = amp / 6 * freqDev = 2 -2 1.5 0
//   damped in frame 1: 0 / 0 * 0 = NaN
//   harRmsAmp sums 16 4 36 0 over 2 - 1 voiced frames -> 4 2 6 0, peak harmonic index 2
//   meanFreqDev sums 3 -6 1.5 9 over 2 frames -> 1.5 -3 0.75 4.5
//   centroid = (4 + 4 + 18 + 0) / 12 = 26 / 12; frame 1: 0 / 0 = NaN
//   irregularity: m2 = 12 / 3 = 4, m3 = 8 / 3; S1 = 20 / 3;
//   S2 = |2 - 4| * 4 + |6 - 8/3| * 8/3 = 152 / 9 -> (152 / 9 / sqrt(14)) / (20 / 3)
TEST(Measures, PostLoopMeasuresOnHandBuiltTrack)
{
    HarmonicTrack t = handTrack(4, 2);
    setColumn(t.amp, 0, {4, 2, 6, 0});
    setColumn(t.freqDev, 0, {3, -6, 1.5, 9});
    setColumn(t.inharmonicity, 0, {0, kNaN, 0.25, kNaN});
    setColumn(t.inharmonicity, 1, {kNaN, kNaN, 0, 0});
    t.rmsAmp = {std::sqrt(14.0), 0.0, 0.0};
    t.maxAmp = {6.0, 0.0, 0.0};
    t.harRmsAmp = {16, 4, 36, 0};
    t.meanFreqDev = {3, -6, 1.5, 9};
    t.silentFrames = 1;

    sonvik::computePostLoopMeasures(t);

    const double inharmonicity0[] = {0, 0, 0.25, 0};
    const double damped0[] = {2, -2, 1.5, 0};
    const double harRms[] = {4, 2, 6, 0};
    const double meanDev[] = {1.5, -3, 0.75, 4.5};
    for (int h = 0; h < 4; ++h) {
        const std::string at = "harmonic index " + std::to_string(h);
        expectValue(t.inharmonicity[h][0], inharmonicity0[h], "inharmonicity frame 0, " + at);
        expectValue(t.inharmonicity[h][1], 0.0, "inharmonicity frame 1, " + at);
        expectValue(t.dampedFreqDev[h][0], damped0[h], "damped frame 0, " + at);
        expectValue(t.dampedFreqDev[h][1], kNaN, "damped frame 1, " + at);
        expectValue(t.harRmsAmp[static_cast<std::size_t>(h)], harRms[h], "harRmsAmp, " + at);
        expectValue(t.meanFreqDev[static_cast<std::size_t>(h)], meanDev[h], "meanFreqDev, " + at);
    }
    EXPECT_EQ(t.peakHarmonic, 2);
    expectValue(t.centroid[0], 26.0 / 12.0, "centroid frame 0");
    expectValue(t.centroid[1], kNaN, "centroid frame 1");
    expectValue(t.irregularity[0], (152.0 / 9.0 / std::sqrt(14.0)) / (20.0 / 3.0), "irregularity frame 0");
    expectValue(t.irregularity[1], kNaN, "irregularity frame 1");
}

TEST(Measures, CentroidAndIrregularityOfOneFrame)
{
    struct Case {
        std::vector<double> amp;
        double rms;
        double centroid;
        double irregularity;
    };
    const Case cases[] = {
        // No inner harmonic with K <= 2: S1 = S2 = 0 -> NaN.
        {{5}, 5.0, 1.0, kNaN},
        {{1, 3}, std::sqrt(5.0), (1.0 + 6.0) / 4.0, kNaN},
        // (3 + 0 + 9) / 6 = 2; m2 = 2, S1 = 2, S2 = |0 - 2| * 2 = 4 -> (4 / sqrt(6)) / 2.
        {{3, 0, 3}, std::sqrt(6.0), 2.0, 2.0 / std::sqrt(6.0)},
        {{4, 2, 6, 0}, std::sqrt(14.0), 26.0 / 12.0, (152.0 / 9.0 / std::sqrt(14.0)) / (20.0 / 3.0)},
        // A flat spectrum is perfectly regular: every A_k equals its m_k.
        {{1, 1, 1, 1}, 1.0, 10.0 / 4.0, 0.0},
        // Silent frame: 0 / 0.
        {{0, 0, 0}, 0.0, kNaN, kNaN},
    };
    for (const Case &c : cases) {
        const int harmonics = static_cast<int>(c.amp.size());
        SCOPED_TRACE("K = " + std::to_string(harmonics) + ", A1 = " + std::to_string(c.amp[0]));
        HarmonicTrack t = handTrack(harmonics, 1);
        setColumn(t.amp, 0, c.amp);
        t.rmsAmp[0] = c.rms;
        sonvik::computePostLoopMeasures(t);
        expectValue(t.centroid[0], c.centroid, "centroid");
        expectValue(t.irregularity[0], c.irregularity, "irregularity");
    }
}

// harRmsAmp = sqrt(sum of squares / (F - silentFrames)). The loop may compute
// one frame past F, so silentFrames can exceed F by one.
TEST(Measures, HarmonicRmsDivisor)
{
    struct Case {
        const char *name;
        int frames;
        int silentFrames;
        double sumOfSquares;
        double expected;
    };
    const Case cases[] = {
        {"silent_frame_left_out", 3, 1, 25.0, std::sqrt(25.0 / 2.0)},
        {"all_frames_silent", 2, 2, 0.0, kNaN},
        {"all_silent_one_past_numFrames", 2, 3, 0.0, -0.0},  // 0 / -1
        {"only_frame_past_numFrames_sounds", 2, 2, 9.0, kInf},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HarmonicTrack t = handTrack(1, c.frames);
        t.harRmsAmp[0] = c.sumOfSquares;
        t.silentFrames = c.silentFrames;
        sonvik::computePostLoopMeasures(t);
        expectValue(t.harRmsAmp[0], c.expected, "harRmsAmp");
        if (!std::isnan(c.expected)) {
            EXPECT_EQ(std::signbit(t.harRmsAmp[0]), std::signbit(c.expected));
        }
        EXPECT_EQ(t.peakHarmonic, 0);
    }
}

TEST(Measures, PeakHarmonicKeepsTheLowestOnTies)
{
    struct Case {
        std::vector<double> sums; // one frame, none silent: harRmsAmp = sqrt(sum)
        int peak;
    };
    const Case cases[] = {
        {{1, 9, 4}, 1},
        {{4, 4, 1}, 0},
        {{1, 4, 4}, 1},
        {{0, 0, 0}, 0},
    };
    for (const Case &c : cases) {
        HarmonicTrack t = handTrack(static_cast<int>(c.sums.size()), 1);
        t.harRmsAmp = c.sums;
        sonvik::computePostLoopMeasures(t);
        EXPECT_EQ(t.peakHarmonic, c.peak) << c.sums[0] << " " << c.sums[1] << " " << c.sums[2];
    }
}

// Eight frames, timeStep 0.01 s, one harmonic per row. A frame passes when
// amp > harRmsAmp * e^-0.1 (0.9048 * harRmsAmp).
TEST(Measures, AttackAndDecay)
{
    struct Case {
        const char *name;
        std::vector<double> amp;
        double harRmsAmp;
        int attackSteps;
        int decaySteps;
    };
    const Case cases[] = {
        // Threshold 3.62. Attack: zeros at 0, 1, first pass at 3 -> 3 + 1 - 1 = 3.
        // Decay: zeros at 7, 6, first pass (from the end) at 4 -> 6 + 1 - 4 = 3.
        {"silent_lead_in_and_tail", {0, 0, 2, 5, 5, 2, 0, 0}, 4.0, 3, 3},
        // Zeros after the crossing do not count: pass at 1, last silent 0 -> 2.
        // Decay passes at once at frame 7 -> 7 + 1 - 7 = 1.
        {"silence_after_crossing", {0, 5, 0, 0, 5, 5, 5, 5}, 4.0, 2, 1},
        // Never passes: attack (F + 1 - lastSilent) = 9 - 4 = 5 with the last
        // zero at 4; decay (lastSilent + 2) = 3 with the first zero at 1.
        {"never_crosses", {1, 0, 1, 1, 0, 1, 1, 1}, 10.0, 5, 3},
        // Never passes and no zero: 9 - 0 = 9 and 7 + 2 = 9.
        {"never_crosses_no_silence", {1, 1, 1, 1, 1, 1, 1, 1}, 10.0, 9, 9},
        // All silent (harRmsAmp undefined): last zero 7 -> 9 - 7 = 2; first zero 0 -> 2.
        {"all_silent", {0, 0, 0, 0, 0, 0, 0, 0}, kNaN, 2, 2},
        // 91 passes against 100, 90 does not: attack 1 + 1 - 0 = 2, decay 7 + 1 - 4 = 4.
        {"near_threshold", {90, 91, 90, 90, 91, 90, 90, 90}, 100.0, 2, 4},
    };
    const int harmonics = static_cast<int>(std::size(cases));
    HarmonicTrack t = handTrack(harmonics, 8);
    for (int h = 0; h < harmonics; ++h) {
        for (int j = 0; j < 8; ++j)
            t.amp[h][j] = cases[h].amp[static_cast<std::size_t>(j)];
        t.harRmsAmp[static_cast<std::size_t>(h)] = cases[h].harRmsAmp;
    }
    sonvik::computeAttackDecay(t);
    for (int h = 0; h < harmonics; ++h) {
        SCOPED_TRACE(cases[h].name);
        EXPECT_NEAR(t.attackTime[static_cast<std::size_t>(h)], cases[h].attackSteps * kTimeStep, kTolerance);
        EXPECT_NEAR(t.decayTime[static_cast<std::size_t>(h)], cases[h].decaySteps * kTimeStep, kTolerance);
    }
}

// No frame: attack (0 + 1 - 0) and decay (-1 + 1 - (-1)) are one timeStep each.
TEST(Measures, AttackAndDecayWithoutFrames)
{
    HarmonicTrack t = handTrack(2, 0);
    t.harRmsAmp = {1.0, 2.0};
    sonvik::computeAttackDecay(t);
    for (int h = 0; h < 2; ++h) {
        EXPECT_DOUBLE_EQ(t.attackTime[static_cast<std::size_t>(h)], kTimeStep);
        EXPECT_DOUBLE_EQ(t.decayTime[static_cast<std::size_t>(h)], kTimeStep);
    }
}

} // namespace
