#include "audio/Resynthesis.h"
#include "audio/ResynthesisKernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Harmonic tracks [h][frame] with the row-pointer shape the synthesizer reads.
struct Tracks {
    Tracks(int harmonics, int frames, double fill = 0.0)
        : values(static_cast<std::size_t>(harmonics), std::vector<double>(static_cast<std::size_t>(frames), fill))
    {
        for (auto &row : values)
            rows.push_back(row.data());
    }
    std::vector<std::vector<double>> values;
    std::vector<const double *> rows;
};

struct Input {
    Input(int harmonics, int frames, double amplitude, double deviation)
        : initialPhase(static_cast<std::size_t>(harmonics), 0.0),
          amp(harmonics, frames, amplitude), freqDev(harmonics, frames, deviation)
    {
    }
    std::vector<double> initialPhase;
    Tracks amp;
    Tracks freqDev;
};

std::vector<short> synthesize(double f0, const Input &in, int numFrames, double timeStep, int sampleRate)
{
    return sonvik::resynthesize(f0, in.initialPhase.data(), in.amp.rows.data(), in.freqDev.rows.data(),
                                static_cast<int>(in.initialPhase.size()), numFrames, timeStep, sampleRate);
}

// The plain loop, one sample and one harmonic at a time. The fast version must
// match it bit for bit. Built without fused multiply-add, like the library.
__attribute__((optimize("fp-contract=off")))
std::vector<short> plainLoop(double f0, const Input &in, int numFrames, double timeStep, int sampleRate)
{
    const int numHarmonics = static_cast<int>(in.initialPhase.size());
    const int numSamples = static_cast<int>(timeStep * numFrames * sampleRate);
    std::vector<short> output(static_cast<std::size_t>(numSamples), 0);
    if (numFrames <= 1 || numHarmonics == 0)
        return output;

    std::vector<double> cosTable(16384);
    for (int i = 0; i < 16384; ++i)
        cosTable[i] = std::cos(2.0 * kPi * i / 16384);
    std::vector<double> phaseAcc(static_cast<std::size_t>(numHarmonics));
    for (int h = 0; h < numHarmonics; ++h) {
        phaseAcc[h] = in.initialPhase[h] * 0.5 / kPi * 16384;
        if (phaseAcc[h] < 0)
            phaseAcc[h] += 16384;
        if (!std::isfinite(phaseAcc[h]))
            phaseAcc[h] = 0;
    }

    double t = 0;
    for (int n = 0; n < numSamples; ++n) {
        const int frame = static_cast<int>(t / timeStep);
        if (frame >= numFrames - 1)
            break;
        const double frac = t / timeStep - frame;
        short s = 0;
        for (int k = 1; k <= numHarmonics; ++k) {
            const int h = k - 1;
            long long index = static_cast<long long>(phaseAcc[h]) % 16384;
            if (index < 0)
                index += 16384;
            const double a = (1 - frac) * in.amp.rows[h][frame] + frac * in.amp.rows[h][frame + 1];
            const double product = a * cosTable[index];
            if (!std::isnan(product)) {
                const double sum = std::trunc(s + product);
                s = sum > 32767 ? 32767 : sum < -32768 ? -32768 : static_cast<short>(sum);
            }
            const double f = k * f0 + (1 - frac) * in.freqDev.rows[h][frame] + frac * in.freqDev.rows[h][frame + 1];
            const double step = f * 16384 / sampleRate;
            if (std::isfinite(step))
                phaseAcc[h] += step;
            phaseAcc[h] = std::fmod(phaseAcc[h], 16384.0);
        }
        output[n] = s;
        t += 1.0 / sampleRate;
    }
    return output;
}

// One table step of phase error moves a cosine of amplitude 1000 by at most
// 1000 * 2 pi / 16384 = 0.38; truncating the sum toward zero costs < 1 more.
constexpr double kTableTolerance = 1000 * 2 * kPi / 16384 + 1;

struct CosineCase {
    const char *name;
    double f0;
    double deviation;   // Hz, constant
    int sampleRate;
    double phase;       // radians
};

TEST(Resynthesis, SingleHarmonicIsACosineAtItsFrequency)
{
    const CosineCase cases[] = {
        {"441 Hz", 441, 0, 44100, 0.3},
        {"1 kHz, negative start phase", 1000, 0, 48000, -2.0},
        {"start phase above one cycle", 250, 0, 8000, 7.0},
        // -1e-16 rad is -2.6e-13 table units; plus one cycle rounds to exactly 16384.
        {"start phase a hair below zero", 441, 0, 44100, -1e-16},
        // 441 - 882 = -441 Hz: the phase runs backwards through negative values.
        {"negative frequency", 441, -882, 44100, 0.3},
    };
    for (const CosineCase &c : cases) {
        SCOPED_TRACE(c.name);
        const int numFrames = 51;
        const double timeStep = 0.01;
        Input in(1, numFrames, 1000.0, c.deviation);
        in.initialPhase[0] = c.phase;
        const std::vector<short> out = synthesize(c.f0, in, numFrames, timeStep, c.sampleRate);
        // Sound until t reaches frame 50, i.e. 0.5 s or at least 50 periods,
        // which pins the frequency to within 0.001 Hz at this tolerance.
        const int sounding = c.sampleRate / 2;
        ASSERT_GE(out.size(), static_cast<std::size_t>(sounding));
        for (int n = 0; n < sounding; ++n) {
            const double expected = 1000 * std::cos(2 * kPi * (c.f0 + c.deviation) * n / c.sampleRate + c.phase);
            ASSERT_NEAR(out[n], expected, kTableTolerance) << "sample " << n;
        }
    }
}

TEST(Resynthesis, LengthAndSilentTailFollowTheFrames)
{
    struct Case {
        const char *name;
        int sampleRate;
        double timeStep;
        int numFrames;
        int length;
        int firstSilent;   // the sound stops once t / timeStep reaches numFrames - 1
    };
    const Case cases[] = {
        // Frame length 201 at 44100 Hz: timeStep = 201 / 44100 / 2 = 0.0022789 s,
        // 438 frames last 438 * 100.5 = 44019 samples; t / timeStep reaches 437
        // at n = 437 * 100.5 = 43918.5, so from sample 43919 on.
        {"frame length 201", 44100, (201.0 / 44100) * 0.5, 438, 44019, 43919},
        // 8 samples per frame, all sums exact: t / timeStep is exactly 2 at
        // sample 16, which already belongs to the silence.
        {"frames of exactly 8 samples", 8192, 1.0 / 1024, 3, 24, 16},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(sonvik::resynthesisLength(c.timeStep, c.numFrames, c.sampleRate), c.length);
        // f0 = 0 and no deviation: the one partial is the constant 1000.5 * cos 0,
        // truncated to 1000, so the cut is visible at the exact sample.
        Input in(1, c.numFrames, 1000.5, 0.0);
        const std::vector<short> out = synthesize(0.0, in, c.numFrames, c.timeStep, c.sampleRate);
        ASSERT_EQ(out.size(), static_cast<std::size_t>(c.length));
        for (int n = 0; n < c.length; ++n)
            ASSERT_EQ(out[n], n < c.firstSilent ? 1000 : 0) << "sample " << n;
    }
}

TEST(Resynthesis, LengthRejectsImpossibleSizes)
{
    struct Case {
        double timeStep;
        int numFrames;
        int sampleRate;
        int expected;
    };
    const Case cases[] = {
        {0.01, 100, 44100, 44100},
        {0.01, 1, 8000, 80},
        {0.01, 0, 44100, 0},
        {0.01, -5, 44100, 0},
        {-0.01, 100, 44100, 0},
        {0.0, 100, 44100, 0},
        {kNaN, 100, 44100, 0},
        {kInf, 100, 44100, 0},
        {0.01, 100, 0, 0},
        {0.01, 100, -44100, 0},
        {1e-9, 100, 44100, 0},            // 0.0044 samples
        {1000.0, 10000, 44100, 0},        // 4.4e11 samples: refused, not allocated
        {1.0, 1 << 26, 1, 1 << 26},       // exactly the longest allowed
        {1.0, (1 << 26) + 1, 1, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(sonvik::resynthesisLength(c.timeStep, c.numFrames, c.sampleRate), c.expected)
            << c.timeStep << " s x " << c.numFrames << " frames x " << c.sampleRate << " Hz";
}

TEST(Resynthesis, DegenerateTracksAreSilent)
{
    struct Case {
        const char *name;
        int numHarmonics;
        int numFrames;
        int passedHarmonics;   // count given to the synthesizer
    };
    const Case cases[] = {
        {"one frame", 3, 1, 3},
        {"no frames", 3, 0, 3},
        {"no harmonics", 1, 20, 0},
        {"negative harmonics", 1, 20, -4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Input in(c.numHarmonics, std::max(c.numFrames, 1), 1000.0, 0.0);
        const std::vector<short> out = sonvik::resynthesize(
            440.0, in.initialPhase.data(), in.amp.rows.data(), in.freqDev.rows.data(), c.passedHarmonics,
            c.numFrames, 0.01, 8000);
        EXPECT_EQ(out.size(), static_cast<std::size_t>(sonvik::resynthesisLength(0.01, c.numFrames, 8000)));
        EXPECT_EQ(out, std::vector<short>(out.size(), 0));
    }
}

TEST(Resynthesis, SumSaturatesAfterEveryHarmonic)
{
    // f0 = 0, no deviation: phases stay put, every sample is the same sum.
    // Start phase 0 reads cos = 1, start phase pi reads cos = -1 (index 8192).
    struct Case {
        const char *name;
        std::vector<double> amplitudes;
        std::vector<double> phases;
        short expected;
    };
    const Case cases[] = {
        {"40 x 1000 in phase", std::vector<double>(40, 1000.0), std::vector<double>(40, 0.0), 32767},
        {"40 x 1000 in antiphase", std::vector<double>(40, 1000.0), std::vector<double>(40, kPi), -32768},
        // 30000, then 60000 saturates to 32767, then 32767 - 30000 = 2767.
        {"up, clipped, down", {30000, 30000, 30000}, {0, 0, kPi}, 2767},
        // -20000, -40000 saturates to -32768, then -32768 + 10000.
        {"down, clipped, up", {20000, 20000, 10000}, {kPi, kPi, 0}, -22768},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int harmonics = static_cast<int>(c.amplitudes.size());
        Input in(harmonics, 3, 0.0, 0.0);
        for (int h = 0; h < harmonics; ++h) {
            in.amp.values[h].assign(3, c.amplitudes[h]);
            in.initialPhase[h] = c.phases[h];
        }
        // 3 frames of 1 ms at 8 kHz: 24 samples, the first 16 (t < 2 ms) sounding.
        const std::vector<short> out = synthesize(0.0, in, 3, 0.001, 8000);
        ASSERT_EQ(out.size(), 24u);
        for (int n = 0; n < 16; ++n)
            ASSERT_EQ(out[n], c.expected) << "sample " << n;
    }
}

TEST(Resynthesis, FaultyTrackValuesAreContained)
{
    struct Case {
        const char *name;
        double amp0, dev0;   // harmonic 1, every frame
        double amp1;         // harmonic 2, start phase 0, deviation -2 f0 (so 0 Hz)
        short expected;
    };
    const Case cases[] = {
        // The NaN product adds nothing: only harmonic 2's 500.5 -> 500 remains.
        {"NaN amplitude", kNaN, 0.0, 500.5, 500},
        // A NaN frequency holds harmonic 1 at its start phase 0: 1000.5 -> 1000
        // in every sample instead of a 300 Hz cosine.
        {"NaN deviation", 1000.5, kNaN, 0.0, 1000},
        // An infinite frequency likewise.
        {"infinite deviation", 1000.5, kInf, 0.0, 1000},
    };
    const double f0 = 300;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Input in(2, 3, 0.0, 0.0);
        in.amp.values[0].assign(3, c.amp0);
        in.freqDev.values[0].assign(3, c.dev0);
        in.amp.values[1].assign(3, c.amp1);
        in.freqDev.values[1].assign(3, -2 * f0);
        const std::vector<short> out = synthesize(f0, in, 3, 0.001, 8000);
        ASSERT_EQ(out.size(), 24u);
        for (int n = 0; n < 16; ++n)
            ASSERT_EQ(out[n], c.expected) << "sample " << n;
    }
}

struct IdentityCase {
    const char *name;
    double f0;
    int numHarmonics;
    int numFrames;
    double timeStep;
    int sampleRate;
    double maxAmp;          // amplitudes uniform in 0 .. maxAmp
    double maxDev;          // deviations uniform in -maxDev .. maxDev Hz
    double nanShare;        // share of NaN deviations and of NaN amplitudes
    double phaseSpread;     // start phases uniform in -phaseSpread .. 2 pi + phaseSpread
    unsigned seed;
    bool clips = false;     // the fixture must reach the 16-bit limits
};

Input randomInput(const IdentityCase &c)
{
    std::mt19937 random(c.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    Input in(c.numHarmonics, c.numFrames, 0.0, 0.0);
    for (int h = 0; h < c.numHarmonics; ++h) {
        in.initialPhase[h] = -c.phaseSpread + unit(random) * (2 * kPi + 2 * c.phaseSpread);
        for (int j = 0; j < c.numFrames; ++j) {
            in.amp.values[h][j] = unit(random) < c.nanShare ? kNaN : unit(random) * c.maxAmp;
            in.freqDev.values[h][j] = unit(random) < c.nanShare ? kNaN : (2 * unit(random) - 1) * c.maxDev;
        }
    }
    return in;
}

// Every kernel set this CPU can run.
std::vector<std::pair<const char *, const sonvik::resynthesis::Kernels *>> kernelSets()
{
    std::vector<std::pair<const char *, const sonvik::resynthesis::Kernels *>> sets = {
        {"portable", &sonvik::resynthesis::portableKernels()}};
    if (const sonvik::resynthesis::Kernels *avx2 = sonvik::resynthesis::avx2Kernels())
        sets.emplace_back("avx2", avx2);
    if (const sonvik::resynthesis::Kernels *avx512 = sonvik::resynthesis::avx512Kernels())
        sets.emplace_back("avx512", avx512);
    return sets;
}

TEST(Resynthesis, BitIdenticalToThePlainLoop)
{
    const IdentityCase cases[] = {
        // Tracker-sized: 220 harmonics of 100 Hz, frame length 882, 1 s.
        {"220 harmonics", 100, 220, 200, 0.01, 44100, 300, 25, 0.0, 0.5, 1},
        {"220 harmonics, some NaN", 100, 220, 200, 0.01, 44100, 300, 25, 0.002, 0.5, 13},
        {"loud, overflowing", 150, 60, 40, 441.0 / 44100, 44100, 6000, 10, 0.0, 0.0, 2, true},
        {"one harmonic", 440, 1, 30, 201.0 / 88200, 44100, 20000, 100, 0.05, 20.0, 3},
        {"65 harmonics", 90, 65, 25, 0.0071, 22050, 500, 20, 0.03, 1.0, 4},
        {"63 harmonics", 120, 63, 17, 0.0123, 32000, 800, 30, 0.0, 3.0, 5},
        {"129 harmonics", 80, 129, 9, 0.0133, 44100, 250, 20, 0.01, 0.5, 6},
        // Frames shorter than a sample: several frames pass between samples.
        {"frames shorter than a sample", 500, 7, 300, 0.00005, 8000, 4000, 300, 0.02, 0.5, 7},
        // Steps beyond a cycle per sample and negative frequencies.
        {"frequencies far above the rate", 9000, 5, 12, 0.01, 8000, 5000, 20000, 0.0, 0.5, 8},
        {"steady frequencies above the rate", 9000, 5, 12, 0.01, 8000, 5000, 100, 0.0, 0.5, 14},
        {"frequencies around zero", 5, 9, 40, 0.003, 16000, 3000, 40, 0.0, 0.5, 9},
        {"frequencies around zero, some NaN", 5, 9, 40, 0.003, 16000, 3000, 40, 0.05, 0.5, 15},
        {"start phases over many cycles", 210, 31, 20, 0.005, 44100, 900, 30, 0.0, 300.0, 10},
        // 3 x 64 samples + 1 and - 1 around block ends.
        {"one sample past a block", 200, 10, 2, 193.0 / 8000, 8000, 1000, 10, 0.0, 0.5, 11},
        {"one sample short of a block", 200, 10, 2, 191.0 / 8000, 8000, 1000, 10, 0.0, 0.5, 12},
    };
    for (const IdentityCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Input in = randomInput(c);
        const std::vector<short> expected = plainLoop(c.f0, in, c.numFrames, c.timeStep, c.sampleRate);
        ASSERT_NE(expected, std::vector<short>(expected.size(), 0)) << "case makes no sound";
        if (c.clips) {
            ASSERT_TRUE(std::any_of(expected.begin(), expected.end(), [](short s) { return s == 32767 || s == -32768; }));
        }
        ASSERT_EQ(synthesize(c.f0, in, c.numFrames, c.timeStep, c.sampleRate), expected);
        for (const auto &[kernelName, kernels] : kernelSets()) {
            SCOPED_TRACE(kernelName);
            const std::vector<short> actual = sonvik::resynthesis::resynthesizeWith(
                *kernels, c.f0, in.initialPhase.data(), in.amp.rows.data(), in.freqDev.rows.data(),
                static_cast<int>(in.initialPhase.size()), c.numFrames, c.timeStep, c.sampleRate);
            ASSERT_EQ(actual.size(), expected.size());
            for (std::size_t n = 0; n < expected.size(); ++n)
                ASSERT_EQ(actual[n], expected[n]) << "first difference at sample " << n;
        }
    }
}

// A phase one ulp off rarely shows in the 16-bit output, so the kernels'
// phases and contributions are compared with the plain steps directly, over
// frequencies from 2^-400 Hz up to 3/4 of the rate.
TEST(Resynthesis, KernelsStepExactlyLikeThePlainLoop)
{
    using namespace sonvik::resynthesis;
    const int sampleRates[] = {1, 7919, 8000, 11025, 22050, 44100, 48000, 96000, 192000, 2147483647};
    const int harmonics = kGroup;
    for (const auto &[kernelName, kernels] : kernelSets()) {
        for (const int sampleRate : sampleRates) {
            SCOPED_TRACE(std::string(kernelName) + " at " + std::to_string(sampleRate) + " Hz");
            std::mt19937 random(static_cast<unsigned>(sampleRate));
            std::uniform_real_distribution<double> unit(0.0, 1.0);
            std::vector<OscillatorPacket> packets(harmonics / kPacket);
            std::vector<double> from(kBlock), to(kBlock), partials(static_cast<std::size_t>(harmonics) * kBlock);
            std::vector<double> table(kTableSize);
            for (int i = 0; i < kTableSize; ++i)
                table[i] = std::cos(2.0 * kPi * i / kTableSize);
            for (int trial = 0; trial < 80; ++trial) {
                for (int h = 0; h < harmonics; ++h) {
                    OscillatorPacket &p = packets[h / kPacket];
                    const int i = h % kPacket;
                    // Nominal frequencies spread over 400 octaves below 0.7 * rate,
                    // deviations of up to a tenth of it.
                    p.nominal[i] = 0.7 * sampleRate * std::exp2(-400 * std::pow(unit(random), 4));
                    p.devFrom[i] = (2 * unit(random) - 1) * 0.05 * p.nominal[i];
                    p.devTo[i] = (2 * unit(random) - 1) * 0.05 * p.nominal[i];
                    p.ampFrom[i] = unit(random) * 30000;
                    p.ampTo[i] = unit(random) * 30000;
                    p.phase[i] = unit(random) * kCycle;
                }
                for (int n = 0; n < kBlock; ++n) {
                    to[n] = unit(random);
                    from[n] = 1 - to[n];
                }
                std::vector<OscillatorPacket> expected = packets;
                std::vector<double> expectedPartials(partials.size());
                for (int n = 0; n < kBlock; ++n) {
                    for (int h = 0; h < harmonics; ++h) {
                        OscillatorPacket &p = expected[h / kPacket];
                        const int i = h % kPacket;
                        const double a = from[n] * p.ampFrom[i] + to[n] * p.ampTo[i];
                        const double f = p.nominal[i] + from[n] * p.devFrom[i] + to[n] * p.devTo[i];
                        expectedPartials[h * kBlock + n] = a * table[static_cast<int>(p.phase[i])];
                        p.phase[i] = std::fmod(p.phase[i] + f * 16384 / sampleRate, 16384.0);
                    }
                }
                const OscillatorRun run = {0, kBlock, packets.data(), from.data(), to.data(),
                                           static_cast<double>(sampleRate), table.data(), partials.data()};
                kernels->formRun(run);
                for (int h = 0; h < harmonics; ++h) {
                    ASSERT_EQ(packets[h / kPacket].phase[h % kPacket], expected[h / kPacket].phase[h % kPacket])
                        << "oscillator " << h << ", " << expected[h / kPacket].nominal[h % kPacket] << " Hz";
                }
                ASSERT_EQ(partials, expectedPartials);
            }
        }
    }
}

} // namespace
