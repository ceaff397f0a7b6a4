// Resynthesis of 220 harmonics over about 1,000,000 output samples: the
// tracks of a 100 Hz tone at 44100 Hz (frame length 882, timeStep 0.01 s).

#include "audio/Resynthesis.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kSampleRate = 44100;
constexpr double kF0 = 100.0;
constexpr int kHarmonics = 220;
constexpr double kTimeStep = 0.01;
constexpr int kFrames = 2269;   // sounding until frame 2268: 2268 * 441 = 1,000,188 samples

void BM_Resynthesize1MSamples220Harmonics(benchmark::State &state)
{
    std::mt19937 random(42);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> initialPhase(kHarmonics);
    std::vector<std::vector<double>> amp(kHarmonics, std::vector<double>(kFrames));
    std::vector<std::vector<double>> freqDev(amp);
    std::vector<const double *> ampRows, freqDevRows;
    for (int h = 0; h < kHarmonics; ++h) {
        initialPhase[h] = unit(random) * 2 * M_PI;
        for (int j = 0; j < kFrames; ++j) {
            amp[h][j] = 3000.0 / (h + 1) * unit(random);
            freqDev[h][j] = (2 * unit(random) - 1) * 20.0;
        }
        ampRows.push_back(amp[h].data());
        freqDevRows.push_back(freqDev[h].data());
    }

    for (auto _ : state) {
        std::vector<short> out = sonvik::resynthesize(kF0, initialPhase.data(), ampRows.data(), freqDevRows.data(),
                                                      kHarmonics, kFrames, kTimeStep, kSampleRate);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["samples"] = sonvik::resynthesisLength(kTimeStep, kFrames, kSampleRate);
}
BENCHMARK(BM_Resynthesize1MSamples220Harmonics)->Unit(benchmark::kMillisecond);

} // namespace
