// Harmonic tracker plus every measure (attack and decay included) for one
// fundamental of 100 Hz over 1,000,000 samples at 44100 Hz: N = 882,
// 220 harmonics, 2267 frame columns.

#include "harmonic/HarmonicMeasures.h"
#include "harmonic/HarmonicTracker.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kSampleRate = 44100;
constexpr int kSamples = 1000000;
constexpr double kF0 = 100.0;

// A decaying ten-harmonic tone with a slight vibrato, so that amplitudes and
// deviations vary from frame to frame.
std::vector<short> benchTone()
{
    std::vector<short> s(kSamples);
    double phase = 0.0;
    for (int n = 0; n < kSamples; ++n) {
        const double t = double(n) / kSampleRate;
        phase += 2.0 * M_PI * kF0 * (1.0 + 0.005 * std::sin(2.0 * M_PI * 5.0 * t)) / kSampleRate;
        double v = 0.0;
        for (int k = 1; k <= 10; ++k)
            v += 8000.0 / k * std::cos(k * phase);
        s[static_cast<std::size_t>(n)] = static_cast<short>(std::lrint(v * std::exp(-t / 10.0)));
    }
    return s;
}

void BM_TrackAndMeasures(benchmark::State &state)
{
    const std::vector<short> samples = benchTone();
    for (auto _ : state) {
        sonvik::HarmonicTrack track = sonvik::trackHarmonics(samples.data(), kSamples, kSampleRate, kF0);
        sonvik::computeAttackDecay(track);
        benchmark::DoNotOptimize(track.decayTime.data());
    }
}
BENCHMARK(BM_TrackAndMeasures)->Unit(benchmark::kMillisecond);

} // namespace
