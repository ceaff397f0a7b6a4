// Resynthesis of 220 harmonics over about 1,000,000 output samples: the
// tracks of a 100 Hz tone at 44100 Hz (frame length 882, timeStep 0.01 s).
// Once as the program calls it (the widest kernels the CPU runs), then with
// each kernel set the CPU runs.

#include "audio/Resynthesis.h"
#include "audio/ResynthesisKernel.h"

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

struct Tracks {
    Tracks() : initialPhase(kHarmonics), amp(kHarmonics, std::vector<double>(kFrames)), freqDev(amp)
    {
        std::mt19937 random(42);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int h = 0; h < kHarmonics; ++h) {
            initialPhase[h] = unit(random) * 2 * M_PI;
            for (int j = 0; j < kFrames; ++j) {
                amp[h][j] = 3000.0 / (h + 1) * unit(random);
                freqDev[h][j] = (2 * unit(random) - 1) * 20.0;
            }
            ampRows.push_back(amp[h].data());
            freqDevRows.push_back(freqDev[h].data());
        }
    }
    std::vector<double> initialPhase;
    std::vector<std::vector<double>> amp, freqDev;
    std::vector<const double *> ampRows, freqDevRows;
};

const Tracks &tracks()
{
    static const Tracks instance;
    return instance;
}

void BM_Resynthesize1MSamples220Harmonics(benchmark::State &state)
{
    const Tracks &t = tracks();
    for (auto _ : state) {
        std::vector<short> out = sonvik::resynthesize(kF0, t.initialPhase.data(), t.ampRows.data(),
                                                      t.freqDevRows.data(), kHarmonics, kFrames, kTimeStep,
                                                      kSampleRate);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["samples"] = sonvik::resynthesisLength(kTimeStep, kFrames, kSampleRate);
}
BENCHMARK(BM_Resynthesize1MSamples220Harmonics)->Unit(benchmark::kMillisecond);

void runKernels(benchmark::State &state, const sonvik::resynthesis::Kernels *kernels)
{
    if (!kernels) {
        state.SkipWithError("not available on this CPU");
        return;
    }
    const Tracks &t = tracks();
    for (auto _ : state) {
        std::vector<short> out = sonvik::resynthesis::resynthesizeWith(
            *kernels, kF0, t.initialPhase.data(), t.ampRows.data(), t.freqDevRows.data(), kHarmonics, kFrames,
            kTimeStep, kSampleRate);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK_CAPTURE(runKernels, portable, &sonvik::resynthesis::portableKernels())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runKernels, avx2, sonvik::resynthesis::avx2Kernels())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(runKernels, avx512, sonvik::resynthesis::avx512Kernels())->Unit(benchmark::kMillisecond);

} // namespace
