// Short-time spectrum and fundamental detection of a 1,000,000-sample portion
// (the longest sound accepted) at 44100 Hz with 8192-sample frames.

#include "analysis/FundamentalDetector.h"
#include "analysis/ShortTimeSpectrum.h"
#include "analysis/Window.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kSampleRate = 44100;
constexpr int kFrameSize = 8192;
constexpr int kSampleCount = 1000000;

// A 220 Hz tone with eight harmonics plus a little deterministic noise, so
// every frame has many distinct specCeps values to rank.
const std::vector<short> &portion()
{
    static const std::vector<short> samples = [] {
        std::vector<short> s(kSampleCount);
        std::uint32_t seed = 12345u;
        const double pi = std::acos(-1.0);
        for (int i = 0; i < kSampleCount; ++i) {
            double v = 0.0;
            for (int h = 1; h <= 8; ++h)
                v += 8000.0 / h * std::sin(2.0 * pi * 220.0 * h * i / kSampleRate);
            seed = seed * 1664525u + 1013904223u;
            v += static_cast<double>(seed >> 24) - 128.0;
            s[static_cast<std::size_t>(i)] = static_cast<short>(std::lrint(v));
        }
        return s;
    }();
    return samples;
}

sonvik::ShortTimeSpectrum spectrum()
{
    sonvik::ShortTimeSpectrum s;
    sonvik::computeShortTimeSpectrum(portion().data(), kSampleCount, kSampleRate, kFrameSize, sonvik::HannWindow, s);
    return s;
}

void SpectrumAndDetection(benchmark::State &state)
{
    const std::vector<short> &samples = portion();
    for (auto _ : state) {
        sonvik::ShortTimeSpectrum s;
        sonvik::computeShortTimeSpectrum(samples.data(), kSampleCount, kSampleRate, kFrameSize, sonvik::HannWindow, s);
        benchmark::DoNotOptimize(sonvik::detectFundamentals(s, true));
    }
}
BENCHMARK(SpectrumAndDetection)->Unit(benchmark::kMillisecond);

void SpectrumOnly(benchmark::State &state)
{
    const std::vector<short> &samples = portion();
    for (auto _ : state) {
        sonvik::ShortTimeSpectrum s;
        sonvik::computeShortTimeSpectrum(samples.data(), kSampleCount, kSampleRate, kFrameSize, sonvik::HannWindow, s);
        benchmark::DoNotOptimize(s.avgAmp.data());
    }
}
BENCHMARK(SpectrumOnly)->Unit(benchmark::kMillisecond);

void DetectionOnly(benchmark::State &state)
{
    const sonvik::ShortTimeSpectrum s = spectrum();
    for (auto _ : state)
        benchmark::DoNotOptimize(sonvik::detectFundamentals(s, true));
}
BENCHMARK(DetectionOnly)->Unit(benchmark::kMillisecond);

} // namespace
