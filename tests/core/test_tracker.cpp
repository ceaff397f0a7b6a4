// Harmonic tracker: sizes, rejection of fundamentals that cannot be tracked,
// amplitudes and deviations of partials on and off their bin centres, silent
// frames, frames the loop does not reach, and windows that run past the end.

#include "harmonic/HarmonicMeasures.h"
#include "harmonic/HarmonicTracker.h"
#include "harmonic/TrackerSizes.h"
#include "support/core/WavFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using sonvik::HarmonicTrack;
using sonvik::TrackerRejection;
using sonvik::TrackerSizes;
using sonvik::trackHarmonics;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Rounding a tone to 16-bit samples moves each sample by at most 0.5, so a
// bin moves by at most 0.5 * sum(win) = 0.5 * 0.54 * N and the amplitude
// 2 * |bin| / N / 0.54 by at most 1 sample unit.
constexpr double kQuantisationAmp = 1.0;
// Phase error of at most kQuantisationAmp / A radians per window; for A >= 300
// and timeStep = 100 / 44100 s that is 2 / 300 / (2 * pi * timeStep) < 1 Hz.
constexpr double kQuantisationDev = 1.0;
// A partial off its bin centre also picks up its negative-frequency image
// and the scalloped main lobe; the largest error seen was 1.1 Hz (harmonic 1,
// 150 Hz, i.e. 0.68 bin, off centre).
constexpr double kOffCentreDev = 1.5;
constexpr double kPhaseTolerance = 1e-2;  // radians
constexpr double kTimeTolerance = 1e-12;  // seconds, for sizes computed from integers

HarmonicTrack track(const std::vector<short> &samples, int sampleRate, double f0)
{
    return trackHarmonics(samples.data(), static_cast<int>(samples.size()), sampleRate, f0);
}

// ---------------------------------------------------------------------------
// Sizes

struct SizesCase {
    const char *name;
    int sampleRate;
    double f0;
    int numSamples;
    TrackerRejection rejection;
    int numHarmonics, frameLength, hop;
    double timeStep;
    int frameColumns, numFrames, framesProcessed;
};

// numHarmonics = trunc((sr / 2) / f0), N = ceil(2 sr / f0), hop = N / 2,
// timeStep = N / (2 sr), M = 2 * (numSamples / N) + 1, numFrames = M - 1,
// processed = min(M, (numSamples - 1) / hop).
const SizesCase kSizes[] = {
    // 22050 / 440 = 50.11; 88200 / 440 = 200.45 -> 201 (odd: hop 100);
    // 44100 / 201 = 219 -> M 439; 44099 / 100 = 440 -> stopped by M after 439.
    {"worked_44100_440", 44100, 440.0, 44100, TrackerRejection::None, 50, 201, 100, 201.0 / 88200, 439, 438, 439},
    // Even N = 200 and a portion of exactly 220 windows: M = 441, but the loop
    // stops after (44000 - 1) / 100 = 439 frames, one short of numFrames.
    {"even_exact_multiple", 44100, 441.0, 44000, TrackerRejection::None, 50, 200, 100, 200.0 / 88200, 441, 440, 439},
    // 5512 / 1000 -> 5; 22050 / 1000 = 22.05 -> 23 (odd: hop 11, timeStep
    // still 23 / 22050); 11025 / 23 = 479 -> M 959; 11024 / 11 = 1002 -> 959.
    {"odd_rate_odd_window", 11025, 1000.0, 11025, TrackerRejection::None, 5, 23, 11, 23.0 / 22050, 959, 958, 959},
    // One harmonic, on the Nyquist bin of a 4-point window: 1000 / 4 = 250 ->
    // M 501; 999 / 2 = 499.
    {"nyquist_fundamental", 44100, 22050.0, 1000, TrackerRejection::None, 1, 4, 2, 4.0 / 88200, 501, 500, 499},
    // numSamples < N: M = 1, numFrames 0; 149 / 100 = 1 frame would be computed.
    {"portion_shorter_than_window", 44100, 440.0, 150, TrackerRejection::WindowLongerThanPortion, 50, 201, 100, 201.0 / 88200, 1, 0, 1},
    // numSamples <= N / 2: no frame at all.
    {"portion_half_window", 44100, 440.0, 100, TrackerRejection::WindowLongerThanPortion, 50, 201, 100, 201.0 / 88200, 1, 0, 0},
    {"above_nyquist", 44100, 22051.0, 44100, TrackerRejection::NoHarmonicBelowNyquist, 0, 0, 0, 0.0, 0, 0, 0},
    // N = 2 * 44100 / 1e-300 does not fit an int: rejected, nothing sized.
    {"window_beyond_int", 44100, 1e-300, 1000000, TrackerRejection::WindowLongerThanPortion, 0, 0, 0, 0.0, 0, 0, 0},
    {"zero_f0", 44100, 0.0, 44100, TrackerRejection::InvalidFundamental, 0, 0, 0, 0.0, 0, 0, 0},
    {"negative_f0", 44100, -440.0, 44100, TrackerRejection::InvalidFundamental, 0, 0, 0, 0.0, 0, 0, 0},
    {"nan_f0", 44100, kNaN, 44100, TrackerRejection::InvalidFundamental, 0, 0, 0, 0.0, 0, 0, 0},
    {"infinite_f0", 44100, std::numeric_limits<double>::infinity(), 44100, TrackerRejection::InvalidFundamental, 0, 0, 0, 0.0, 0, 0, 0},
    {"zero_rate", 0, 440.0, 44100, TrackerRejection::InvalidSampleRate, 0, 0, 0, 0.0, 0, 0, 0},
};

TEST(TrackerSizes, HandWorkedTable)
{
    for (const SizesCase &c : kSizes) {
        SCOPED_TRACE(c.name);
        const TrackerSizes s = TrackerSizes::sizesFor(c.f0, c.sampleRate, c.numSamples);
        EXPECT_EQ(s.rejection, c.rejection);
        EXPECT_EQ(s.analysable(), c.rejection == TrackerRejection::None);
        EXPECT_EQ(s.numHarmonics, c.numHarmonics);
        EXPECT_EQ(s.frameLength, c.frameLength);
        EXPECT_EQ(s.hop, c.hop);
        EXPECT_NEAR(s.timeStep, c.timeStep, kTimeTolerance);
        EXPECT_EQ(s.frameColumns, c.frameColumns);
        EXPECT_EQ(s.numFrames, c.numFrames);
        EXPECT_EQ(s.framesProcessed, c.framesProcessed);
    }
}

TEST(TrackerSizes, RejectionTexts)
{
    EXPECT_STREQ(sonvik::rejectionText(TrackerRejection::NoHarmonicBelowNyquist),
                 "no harmonic below half the sample rate");
    EXPECT_STREQ(sonvik::rejectionText(TrackerRejection::WindowLongerThanPortion),
                 "window longer than the portion");
    EXPECT_STREQ(sonvik::rejectionText(TrackerRejection::None), "");
}

// A rejected fundamental yields an empty track without sizing anything: with
// f0 = 1e-300 any attempt to allocate N or M values would fail outright.
TEST(Tracker, RejectedFundamentalGivesEmptyTrack)
{
    struct Case {
        const char *name;
        double f0;
        int numSamples;
    };
    const Case cases[] = {
        {"above_nyquist", 22051.0, 44100},
        {"window_longer_than_portion", 440.0, 150},
        {"tiny_f0", 1e-300, 1000000},
        {"nan_f0", kNaN, 44100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<short> samples(static_cast<std::size_t>(c.numSamples), 1000);
        const HarmonicTrack t = track(samples, 44100, c.f0);
        EXPECT_EQ(t.numHarmonics, 0);
        EXPECT_EQ(t.numFrames, 0);
        EXPECT_EQ(t.frameLength, 0);
        EXPECT_EQ(t.amp.rows(), 0);
        EXPECT_TRUE(t.rmsAmp.empty());
        EXPECT_TRUE(t.initialPhase.empty());
        EXPECT_EQ(t.numSamples, c.numSamples);
    }
}

// ---------------------------------------------------------------------------
// Partials on and off the bin centres. With 44100 Hz and F0 = 441 Hz the
// window is N = 200 samples and the hop 100 samples, one period: bin 2k is
// centred exactly on k * 441 Hz. Frames below numFrames - 1 have both windows
// inside the 44100-sample portion.

constexpr int kRate = 44100;
constexpr double kF0 = 441.0;
constexpr int kPortion = 44100;
constexpr int kSteadyFrames = 439; // numFrames 440 minus the frame whose later window overruns

TEST(Tracker, PartialOnBinCentre)
{
    struct Case {
        int harmonic;
        double amplitude;
    };
    const Case cases[] = {{1, 8000.0}, {3, 1000.0}, {7, 300.0}};
    for (const Case &c : cases) {
        SCOPED_TRACE("harmonic " + std::to_string(c.harmonic));
        std::vector<double> amplitudes(static_cast<std::size_t>(c.harmonic), 0.0);
        amplitudes.back() = c.amplitude;
        const HarmonicTrack t = track(fixture::harmonicTone(kF0, amplitudes, kRate, kPortion), kRate, kF0);
        ASSERT_EQ(t.numFrames, 440);
        const int h = c.harmonic - 1;
        // A cosine starting at phase 0 on a bin centre gives a real, positive
        // bin: atan2 gives 0, plus 2 pi (k + 1) * 441 / 44100 = 2 pi (k + 1) / 100.
        EXPECT_NEAR(t.initialPhase[static_cast<std::size_t>(h)], 2.0 * M_PI * (c.harmonic + 1) / 100.0, kPhaseTolerance);
        for (int j = 0; j < kSteadyFrames; ++j) {
            ASSERT_NEAR(t.amp[h][j], c.amplitude, kQuantisationAmp) << "frame " << j;
            ASSERT_NEAR(t.freqDev[h][j], 0.0, kQuantisationDev) << "frame " << j;
            ASSERT_NEAR(t.maxAmp[static_cast<std::size_t>(j)], c.amplitude, kQuantisationAmp) << "frame " << j;
            // The periodic Hamming window leaks only into the adjacent bins,
            // and the other harmonics are two bins away.
            for (int other = 0; other < t.numHarmonics; ++other) {
                if (other != h) {
                    ASSERT_LT(t.amp[other][j], kQuantisationAmp) << "harmonic " << other + 1 << " frame " << j;
                }
            }
        }
        EXPECT_NEAR(t.peakAmp, c.amplitude, kQuantisationAmp);
        EXPECT_EQ(t.silentFrames, 0);
    }
}

// Phase advance beyond the whole cycles of the bin centre reads as a negative
// deviation: a partial at k * 441 + d Hz gives freqDev = -d, as long as
// |d| < 1 / (4 timeStep) = 110.25 Hz. Beyond that the one-argument arctangent
// folds the phase by pi, i.e. the deviation by 1 / (2 timeStep) = 220.5 Hz:
// d = +150 reads as -150 + 220.5 = +70.5.
// The partial starts after 1000 silent samples: frames 0..8 are silent
// (deviation 0), frames 10..438 have both windows inside the partial, so the
// frame differences summed over frames 1..438 equal freqDev[438] - 0.
TEST(Tracker, PartialOffBinCentre)
{
    struct Case {
        int harmonic;
        double offset;    // Hz from the bin centre
        double deviation; // expected freqDev, Hz
    };
    const Case cases[] = {
        {1, 40.0, -40.0}, {2, 20.0, -20.0}, {5, -30.0, 30.0}, {9, 75.0, -75.0}, {20, 60.0, -60.0},
        {1, 150.0, 70.5}, {3, -150.0, -70.5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("harmonic " + std::to_string(c.harmonic) + " offset " + std::to_string(c.offset));
        const std::vector<short> tone = fixture::harmonicTone(c.harmonic * kF0 + c.offset, {4000.0}, kRate, kPortion);
        std::vector<short> samples(kPortion, 0);
        std::copy(tone.begin() + 1000, tone.end(), samples.begin() + 1000);
        const HarmonicTrack t = track(samples, kRate, kF0);
        const int h = c.harmonic - 1;
        ASSERT_EQ(t.silentFrames, 9);
        ASSERT_EQ(t.freqDev[h][0], 0.0);
        for (int j = 10; j < kSteadyFrames; ++j)
            ASSERT_NEAR(t.freqDev[h][j], c.deviation, kOffCentreDev) << "frame " << j;
        double summedDifferences = 0.0;
        for (int j = 1; j < kSteadyFrames; ++j)
            summedDifferences += t.freqDiff[h][j];
        EXPECT_NEAR(summedDifferences, c.deviation, kOffCentreDev);
    }
}

// Harmonic 1 on its bin centre (deviation 0) and harmonic 2 20 Hz above its
// centre (deviation -20): inharmonicity of harmonic 2 is
// -20 / ((0 - 441) * 2) - 1 = 20 / 882 - 1; harmonic 1's is always 0.
// Deviation errors up to kOffCentreDev in both harmonics move it by less
// than 2 * kOffCentreDev / 882.
TEST(Tracker, InharmonicityAgainstHarmonicOne)
{
    const std::vector<short> first = fixture::harmonicTone(kF0, {3000.0}, kRate, kPortion);
    const std::vector<short> second = fixture::harmonicTone(2 * kF0 + 20.0, {2000.0}, kRate, kPortion);
    std::vector<short> samples(kPortion);
    for (std::size_t n = 0; n < samples.size(); ++n)
        samples[n] = static_cast<short>(first[n] + second[n]);
    const HarmonicTrack t = track(samples, kRate, kF0);
    const double tolerance = 2 * kOffCentreDev / (2 * kF0);
    for (int j = 0; j < kSteadyFrames; ++j) {
        ASSERT_EQ(t.inharmonicity[0][j], 0.0) << "frame " << j;
        ASSERT_NEAR(t.inharmonicity[1][j], 20.0 / 882.0 - 1.0, tolerance) << "frame " << j;
    }
}

// ---------------------------------------------------------------------------
// Silence

TEST(Tracker, SilentPortion)
{
    struct Case {
        const char *name;
        double f0;
        int framesProcessed;
        bool rmsIsNaN;  // otherwise -0
    };
    // 441 Hz: numFrames 440, 440 frames computed, divisor 440 - 440 = 0: sqrt(0 / 0) is NaN.
    // 440 Hz: numFrames 438, 439 frames computed (one past numFrames), so the
    // divisor is 438 - 439 = -1: sqrt(0 / -1) is -0.
    const Case cases[] = {{"divisor_zero", 441.0, 440, true}, {"one_frame_past", 440.0, 439, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const HarmonicTrack t = track(std::vector<short>(kPortion, 0), kRate, c.f0);
        EXPECT_EQ(t.silentFrames, c.framesProcessed);
        for (int h = 0; h < t.numHarmonics; ++h) {
            const double rms = t.harRmsAmp[static_cast<std::size_t>(h)];
            if (c.rmsIsNaN) {
                EXPECT_TRUE(std::isnan(rms)) << rms;
            } else {
                EXPECT_TRUE(rms == 0.0 && std::signbit(rms)) << rms;
            }
            EXPECT_EQ(t.meanFreqDev[static_cast<std::size_t>(h)], 0.0);
            for (int j = 0; j < t.numFrames; ++j) {
                ASSERT_EQ(t.amp[h][j], 0.0);
                ASSERT_EQ(t.freqDev[h][j], 0.0);
                ASSERT_EQ(t.inharmonicity[h][j], 0.0);
                ASSERT_TRUE(std::isnan(t.dampedFreqDev[h][j]));
            }
        }
        for (int j = 0; j < t.numFrames; ++j) {
            ASSERT_EQ(t.rmsAmp[static_cast<std::size_t>(j)], 0.0);
            ASSERT_TRUE(std::isnan(t.centroid[static_cast<std::size_t>(j)]));
        }
        EXPECT_EQ(t.peakFrame, 0);
        EXPECT_EQ(t.peakHarmonic, 0);
        EXPECT_EQ(t.peakAmp, 0.0);
    }
}

// Silence on [0, 10000), harmonic 2 at 2000 on [10000, 30000), at 500 on
// [30000, 44100). Frame j takes its amplitude from the window [100 j, 100 j + 200).
//  - Frames 0..98 lie in the silence: amp 0, freqDev 0 (the phase difference
//    with a silent window is undefined), rmsAmp 0, centroid NaN. 99 silent frames.
//  - Frames 100..298 lie in the loud part and are identical (the tone repeats
//    every 50 samples), so the first one, 100, is the peak frame.
//  - Frames 99 and 299 straddle an edge (about 1000 and 1250); frames 300..439
//    read 500. harRmsAmp^2 ~ (199 * 2000^2 + 140 * 500^2 + 1000^2 + 1250^2) / (440 - 99)
//    -> harRmsAmp ~ 1563, threshold ~ 0.905 * 1563 = 1415: only the loud frames pass.
//  - Attack: last silent frame 98, first passing frame 100 -> (100 + 1 - 98) = 3 steps.
//  - Decay: no silent frame at the end (lastSilent stays 439), last passing
//    frame 298 -> (439 + 1 - 298) = 142 steps.
TEST(Tracker, SilentLeadInAndLoudMiddle)
{
    std::vector<short> samples(kPortion, 0);
    const std::vector<short> loud = fixture::harmonicTone(kF0, {0.0, 2000.0}, kRate, kPortion);
    const std::vector<short> soft = fixture::harmonicTone(kF0, {0.0, 500.0}, kRate, kPortion);
    for (int n = 10000; n < kPortion; ++n)
        samples[static_cast<std::size_t>(n)] = n < 30000 ? loud[static_cast<std::size_t>(n)] : soft[static_cast<std::size_t>(n)];

    HarmonicTrack t = track(samples, kRate, kF0);
    sonvik::computeAttackDecay(t);
    ASSERT_EQ(t.numFrames, 440);

    EXPECT_EQ(t.silentFrames, 99);
    for (int j = 0; j <= 98; ++j) {
        ASSERT_EQ(t.rmsAmp[static_cast<std::size_t>(j)], 0.0) << "frame " << j;
        ASSERT_TRUE(std::isnan(t.centroid[static_cast<std::size_t>(j)])) << "frame " << j;
        for (int h = 0; h < t.numHarmonics; ++h) {
            ASSERT_EQ(t.freqDev[h][j], 0.0);
            ASSERT_EQ(t.inharmonicity[h][j], 0.0);
        }
    }
    EXPECT_GT(t.rmsAmp[99], 0.0);
    EXPECT_EQ(t.peakFrame, 100);
    EXPECT_NEAR(t.peakAmp, 2000.0, kQuantisationAmp);
    EXPECT_NEAR(t.maxAmp[150], 2000.0, kQuantisationAmp);
    EXPECT_NEAR(t.maxAmp[400], 500.0, kQuantisationAmp);
    // Only harmonic 2 sounds: rmsAmp = sqrt(2000^2 / 50).
    EXPECT_NEAR(t.rmsAmp[150], 2000.0 / std::sqrt(50.0), kQuantisationAmp);
    // Rounding errors repeat every 50 samples, so they reach only the even
    // harmonics 4..50 (each below 0.25 here): centroid within
    // sum(k * 0.25) / 2000 < 0.1 of 2.
    EXPECT_NEAR(t.centroid[150], 2.0, 0.1);
    EXPECT_EQ(t.peakHarmonic, 1);
    // Frame differences telescope: amp[1][200] - amp[1][0] = 2000 - 0 and
    // amp[1][400] - amp[1][0] = 500 - 0.
    double rise = 0.0;
    for (int j = 1; j <= 200; ++j)
        rise += t.ampDiff[1][j];
    double overall = rise;
    for (int j = 201; j <= 400; ++j)
        overall += t.ampDiff[1][j];
    EXPECT_NEAR(rise, 2000.0, kQuantisationAmp);
    EXPECT_NEAR(overall, 500.0, kQuantisationAmp);
    EXPECT_NEAR(t.attackTime[1], 3 * t.timeStep, kTimeTolerance);
    EXPECT_NEAR(t.decayTime[1], 142 * t.timeStep, kTimeTolerance);
}

// ---------------------------------------------------------------------------
// Few harmonics

TEST(Tracker, OneOrTwoHarmonicsHaveNoIrregularity)
{
    struct Case {
        double f0;
        int numHarmonics; // 4000 / 3000 -> 1, 4000 / 2000 -> 2
    };
    // N = 6 and 8: 803 samples give M = 267 and 201, and every frame below
    // numFrames is computed (802 / 3 = 267, 802 / 4 = 200).
    const Case cases[] = {{3000.0, 1}, {2000.0, 2}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.f0);
        const HarmonicTrack t = track(fixture::harmonicTone(c.f0, {6000.0}, 8000, 803), 8000, c.f0);
        ASSERT_EQ(t.numHarmonics, c.numHarmonics);
        ASSERT_GT(t.numFrames, 0);
        for (int j = 0; j < t.numFrames; ++j) {
            ASSERT_TRUE(std::isnan(t.irregularity[static_cast<std::size_t>(j)])) << "frame " << j;
            ASSERT_EQ(t.inharmonicity[0][j], 0.0) << "frame " << j;
            ASSERT_GT(t.rmsAmp[static_cast<std::size_t>(j)], 0.0) << "frame " << j;
        }
    }
}

// ---------------------------------------------------------------------------
// Frames the loop does not reach, and windows past the end of the portion

// N = 200, 44000 samples: numFrames 440, frames 0..438 computed, frame 439 not.
TEST(Tracker, UnreachedFrameHoldsZeros)
{
    const HarmonicTrack t = track(fixture::harmonicTone(kF0, {1000.0, 500.0, 250.0}, kRate, 44000), kRate, kF0);
    ASSERT_EQ(t.numFrames, 440);
    const int last = 439;
    EXPECT_GT(t.amp[0][last - 1], 0.0);
    for (int h = 0; h < t.numHarmonics; ++h) {
        SCOPED_TRACE(h);
        EXPECT_EQ(t.amp[h][last], 0.0);
        EXPECT_EQ(t.freqDev[h][last], 0.0);
        EXPECT_EQ(t.inharmonicity[h][last], 0.0);
        EXPECT_EQ(t.ampDiff[h][last], 0.0);
        EXPECT_EQ(t.freqDiff[h][last], 0.0);
        EXPECT_TRUE(std::isnan(t.dampedFreqDev[h][last]));
    }
    EXPECT_EQ(t.rmsAmp[last], 0.0);
    EXPECT_EQ(t.maxAmp[last], 0.0);
    EXPECT_TRUE(std::isnan(t.centroid[last]));
    EXPECT_TRUE(std::isnan(t.irregularity[last]));
    // Not computed, hence not counted silent.
    EXPECT_EQ(t.silentFrames, 0);
}

bool same(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// The last computed frames read windows that run past the portion. They must
// match a run over the same samples followed by real zeros, and must not see
// what lies in memory after the portion (garbage here; ASan catches a read
// past an exact-size buffer).
TEST(Tracker, WindowsPastTheEndReadZeros)
{
    struct Case {
        const char *name;
        int sampleRate;
        double f0;
        int numSamples;
    };
    const Case cases[] = {
        {"odd_window_201", 44100, 440.0, 10050},
        {"even_window_200", 44100, 441.0, 10050},
        {"window_23", 11025, 1000.0, 300},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TrackerSizes sizes = TrackerSizes::sizesFor(c.f0, c.sampleRate, c.numSamples);
        ASSERT_TRUE(sizes.analysable());
        // Premise: the later window of the last computed frame overruns.
        ASSERT_GT(sizes.framesProcessed * sizes.hop + sizes.frameLength, c.numSamples);

        const std::vector<short> exact = fixture::harmonicTone(c.f0, {3000.0, 1500.0, 700.0}, c.sampleRate, c.numSamples);
        std::vector<short> garbage = exact;
        garbage.resize(exact.size() + static_cast<std::size_t>(sizes.frameLength), 31000);
        std::vector<short> zeros = exact;
        zeros.resize(exact.size() + static_cast<std::size_t>(sizes.frameLength), 0);

        const HarmonicTrack a = trackHarmonics(exact.data(), c.numSamples, c.sampleRate, c.f0);
        const HarmonicTrack g = trackHarmonics(garbage.data(), c.numSamples, c.sampleRate, c.f0);
        const HarmonicTrack z = trackHarmonics(zeros.data(), static_cast<int>(zeros.size()), c.sampleRate, c.f0);

        for (const HarmonicTrack *t : {&a, &g}) {
            for (int h = 0; h < t->numHarmonics; ++h) {
                ASSERT_TRUE(same(t->initialPhase[static_cast<std::size_t>(h)], z.initialPhase[static_cast<std::size_t>(h)]));
                for (int j = 0; j < sizes.framesProcessed; ++j) {
                    ASSERT_TRUE(same(t->amp[h][j], z.amp[h][j])) << h << "," << j << ": " << t->amp[h][j] << " vs " << z.amp[h][j];
                    ASSERT_TRUE(same(t->freqDev[h][j], z.freqDev[h][j])) << h << "," << j;
                    ASSERT_TRUE(same(t->inharmonicity[h][j], z.inharmonicity[h][j])) << h << "," << j;
                    ASSERT_TRUE(same(t->ampDiff[h][j], z.ampDiff[h][j])) << h << "," << j;
                    ASSERT_TRUE(same(t->freqDiff[h][j], z.freqDiff[h][j])) << h << "," << j;
                }
            }
            for (int j = 0; j < sizes.framesProcessed; ++j) {
                ASSERT_TRUE(same(t->rmsAmp[static_cast<std::size_t>(j)], z.rmsAmp[static_cast<std::size_t>(j)])) << j;
                ASSERT_TRUE(same(t->maxAmp[static_cast<std::size_t>(j)], z.maxAmp[static_cast<std::size_t>(j)])) << j;
            }
            for (int j = 0; j < std::min(t->numFrames, sizes.framesProcessed); ++j)
                ASSERT_TRUE(same(t->centroid[static_cast<std::size_t>(j)], z.centroid[static_cast<std::size_t>(j)])) << j;
        }
    }
}

} // namespace
