#include "analysis/ShortTimeSpectrum.h"
#include "analysis/Window.h"
#include "support/core/WavFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr double kExactTolerance = 1e-9;         // relative, for transforms of exactly representable input
constexpr double kLeakageTolerance = 1e-6;       // absolute, bins that are zero up to rounding
constexpr double kQuantisationTolerance = 0.1;   // absolute, 16-bit rounding of a synthesised tone

sonvik::ShortTimeSpectrum compute(const std::vector<short> &samples, int sampleRate, int frameSize, int windowFunction)
{
    sonvik::ShortTimeSpectrum s;
    std::string error;
    EXPECT_TRUE(sonvik::computeShortTimeSpectrum(samples.data(), static_cast<int>(samples.size()), sampleRate,
                                                 frameSize, windowFunction, s, &error))
        << error;
    return s;
}

// Deterministic wide-band test signal.
std::vector<short> noise(int count, std::uint32_t seed)
{
    std::vector<short> out(static_cast<std::size_t>(count));
    for (short &v : out) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<short>(static_cast<int>(seed >> 20) - 2048);
    }
    return out;
}

// Three frames of a constant c with the rectangular window: X[0] = N c, so
// spectrum[f][0] = 2 N c / N = 2c and every other bin is zero. The trailing
// partial frame holds other values and must not be analysed.
TEST(ShortTimeSpectrum, ConstantFrameGivesTwiceTheValueAtDc)
{
    const int n = 512;
    const double c = 1000.0;
    std::vector<short> samples(3 * n + 100, static_cast<short>(c));
    for (int i = 3 * n; i < 3 * n + 100; ++i)
        samples[static_cast<std::size_t>(i)] = 30000;
    const sonvik::ShortTimeSpectrum s = compute(samples, 44100, n, sonvik::RectangularWindow);

    ASSERT_EQ(s.nFrame, 3);
    ASSERT_EQ(s.spectrum.rows(), 3);
    ASSERT_EQ(s.spectrum.columns(), n);
    for (int f = 0; f < s.nFrame; ++f) {
        EXPECT_NEAR(s.spectrum[f][0], 2.0 * c, 2.0 * c * kExactTolerance) << "frame " << f;
        for (int k = 1; k <= n / 2; ++k)
            EXPECT_NEAR(s.spectrum[f][k], 0.0, kLeakageTolerance) << "frame " << f << " bin " << k;
    }
    EXPECT_NEAR(s.avgAmp[0], 2.0 * c, 2.0 * c * kExactTolerance);
}

// A cosine of amplitude A centred on bin k0 reads A times the window's mean.
// Means: rectangular 1; Hamming 0.54 and Blackman 0.42 (the cosines sum to 0
// over a period); Hann 0.5; triangular and Bartlett-Hann 0.5 (the mean of
// |i/N - 1/2| over a period is 1/4). The mirror image at -k0 adds nothing:
// all six window transforms vanish at the even bin 2*k0.
TEST(ShortTimeSpectrum, BinCentredToneReadsAmplitudeTimesWindowMean)
{
    const int n = 1024;
    const int sampleRate = 44100;
    const int k0 = 40;
    const double a = 10000.0;
    const std::vector<short> tone = fixture::harmonicTone(k0 * double(sampleRate) / n, {a}, sampleRate, 2 * n);
    const struct {
        int window;
        double mean;
    } cases[] = {{sonvik::RectangularWindow, 1.0}, {sonvik::TriangularWindow, 0.5}, {sonvik::HammingWindow, 0.54},
                 {sonvik::HannWindow, 0.5},         {sonvik::BlackmanWindow, 0.42},  {sonvik::BartlettHannWindow, 0.5}};
    for (const auto &c : cases) {
        const sonvik::ShortTimeSpectrum s = compute(tone, sampleRate, n, c.window);
        ASSERT_EQ(s.nFrame, 2);
        for (int f = 0; f < s.nFrame; ++f)
            EXPECT_NEAR(s.spectrum[f][k0], a * c.mean, kQuantisationTolerance) << "window " << c.window << " frame " << f;
    }
}

// The transforms write bins 0 .. N/2 only; the rest of every row is zero, and
// the folded cepstrum reaches only bins minF0Bin+1 .. maxF0Bin.
TEST(ShortTimeSpectrum, UpperHalfIsZeroAndSpecCepsStaysInsideTheF0Bins)
{
    const int n = 512;
    const sonvik::ShortTimeSpectrum s = compute(noise(4 * n, 7u), 44100, n, sonvik::HannWindow);
    // 20/44100*512 = 0.23 -> 1 + 1 = 2; 1000/44100*512 = 11.6 -> 11 - 1 = 10.
    ASSERT_EQ(s.minF0Bin, 2);
    ASSERT_EQ(s.maxF0Bin, 10);
    for (int f = 0; f < s.nFrame; ++f) {
        for (int k = n / 2 + 1; k < n; ++k)
            ASSERT_EQ(s.spectrum[f][k], 0.0) << "frame " << f << " bin " << k;
        for (int k = 0; k < n; ++k) {
            if (k <= s.minF0Bin || k > s.maxF0Bin) {
                ASSERT_EQ(s.specCeps[f][k], 0.0) << "frame " << f << " bin " << k;
            }
        }
    }
    for (int k = n / 2 + 1; k < n; ++k)
        ASSERT_EQ(s.avgAmp[static_cast<std::size_t>(k)], 0.0) << "bin " << k;
}

// One impulse of height 800, N = 16, 2000 Hz, rectangular window:
// spectrum[k] = 2*800/16 = 100 for k = 0..8 (zero above). The second transform
// of that row is 100 * sum_{k=0..8} e^{-2 pi i qk/16}, of magnitude
// 100 |sin(9 pi q/16) / sin(pi q/16)|, so cepstrum[q] = (2/16) * that.
// minF0Bin = ceil(0.16) + 1 = 2, maxF0Bin = 8 - 1 = 7. Folding
// v = 16/(q - 0.5) + 0.5: q = 3 -> 6.90 -> bin 6; q = 4 -> 5.07 -> bin 6;
// q = 5 -> 4.06 -> bin 5; q = 6 -> 3.41 -> bin 4; q = 2 (11.2) and q >= 7
// (below 3) fall outside 2 < j < 7.
TEST(ShortTimeSpectrum, FoldedCepstrumOfAnImpulseMatchesClosedForm)
{
    std::vector<short> impulse(16, 0);
    impulse[0] = 800;
    const sonvik::ShortTimeSpectrum s = compute(impulse, 2000, 16, sonvik::RectangularWindow);
    ASSERT_EQ(s.minF0Bin, 2);
    ASSERT_EQ(s.maxF0Bin, 7);
    auto cepstrum = [](int q) {
        const double pi = std::acos(-1.0);
        return (2.0 / 16.0) * 100.0 * std::fabs(std::sin(9.0 * pi * q / 16.0) / std::sin(pi * q / 16.0));
    };
    std::vector<double> expected(16, 0.0);
    expected[4] = cepstrum(6) * 100.0;
    expected[5] = cepstrum(5) * 100.0;
    expected[6] = (cepstrum(3) + cepstrum(4)) * 100.0;
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(s.specCeps[0][k], expected[static_cast<std::size_t>(k)],
                    kLeakageTolerance + expected[static_cast<std::size_t>(k)] * kExactTolerance)
            << "bin " << k;
}

TEST(ShortTimeSpectrum, F0BinLimitsFollowSampleRateAndFrameSize)
{
    const struct {
        int sampleRate;
        int frameSize;
        int minF0Bin;
        int maxF0Bin;
    } cases[] = {
        {44100, 8192, 5, 184},  // 3.71 -> 4 + 1; 185.8 -> 185 - 1
        {8000, 1024, 4, 127},   // 2.56 -> 3 + 1; 128 exactly -> 127
        {48000, 2048, 2, 41},   // 0.85 -> 1 + 1; 42.7 -> 42 - 1
    };
    for (const auto &c : cases) {
        const sonvik::ShortTimeSpectrum s = compute(std::vector<short>(static_cast<std::size_t>(c.frameSize), 0),
                                                    c.sampleRate, c.frameSize, sonvik::HannWindow);
        EXPECT_EQ(s.minF0Bin, c.minF0Bin) << c.sampleRate << " Hz, N " << c.frameSize;
        EXPECT_EQ(s.maxF0Bin, c.maxF0Bin) << c.sampleRate << " Hz, N " << c.frameSize;
    }
}

TEST(ShortTimeSpectrum, FrameCountIsWholeFramesOnly)
{
    const struct {
        int sampleCount;
        int frameSize;
        int nFrame;
    } cases[] = {{0, 512, 0}, {511, 512, 0}, {512, 512, 1}, {1023, 512, 1}, {1000000, 8192, 122}};
    for (const auto &c : cases) {
        const sonvik::ShortTimeSpectrum s =
            compute(std::vector<short>(static_cast<std::size_t>(c.sampleCount), 100), 44100, c.frameSize,
                    sonvik::RectangularWindow);
        EXPECT_EQ(s.nFrame, c.nFrame) << c.sampleCount << " samples, N " << c.frameSize;
        EXPECT_EQ(s.spectrum.rows(), c.nFrame);
        EXPECT_EQ(s.specCeps.rows(), c.nFrame);
        ASSERT_EQ(s.avgAmp.size(), static_cast<std::size_t>(c.frameSize));
        // With no frame the average is zero, not a division by zero.
        EXPECT_EQ(s.avgAmp[0], c.nFrame > 0 ? 200.0 : 0.0);
    }
}

TEST(ShortTimeSpectrum, RejectsImpossibleInputAndNamesTheValue)
{
    const std::vector<short> samples(1024, 1);
    const short *data = samples.data();
    const struct {
        const short *samples;
        int sampleCount;
        int sampleRate;
        int frameSize;
        int window;
        const char *named;
    } cases[] = {
        {data, 1024, 44100, 512, 6, "window function index 6"},
        {data, 1024, 44100, 512, -1, "window function index -1"},
        {data, 1024, 44100, 1000, 0, "frame size 1000"},
        {data, 1024, 44100, 1, 0, "frame size 1"},
        {data, 1024, 44100, 0, 0, "frame size 0"},
        {data, 1024, 44100, 131072, 0, "frame size 131072"},
        {data, 1024, 0, 512, 0, "sample rate 0"},
        {data, -1, 44100, 512, 0, "sample count -1"},
        {nullptr, 1024, 44100, 512, 0, "1024 samples"},
    };
    for (const auto &c : cases) {
        sonvik::ShortTimeSpectrum s;
        s.nFrame = 77;
        std::string error;
        EXPECT_FALSE(sonvik::computeShortTimeSpectrum(c.samples, c.sampleCount, c.sampleRate, c.frameSize, c.window,
                                                      s, &error))
            << c.named;
        EXPECT_NE(error.find(c.named), std::string::npos) << "error was: " << error;
        EXPECT_EQ(s.nFrame, 77) << "a rejected call must leave the result untouched";
    }
}

} // namespace
