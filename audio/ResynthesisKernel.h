#pragma once
// Inner loops of the additive resynthesis (see Resynthesis.h), written once as
// templates over the instruction set and compiled once per set:
// ResynthesisKernel.cpp for any CPU, ResynthesisKernelAvx2.cpp with AVX2 and
// FMA, ResynthesisKernelAvx512.cpp with AVX-512F. The templates have internal
// linkage so that the compilations never share machine code.
//
// All kernels give exactly the values of the plain per-sample loop; they are
// built without fused multiply-add contraction.

#include <cstring>
#include <vector>

namespace sonvik {
namespace resynthesis {

constexpr int kTableSize = 16384;          // table entries = phase units per cycle
constexpr double kCycle = kTableSize;
constexpr int kBlock = 64;                 // samples formed before they are summed
constexpr int kGroup = 16;                 // oscillators formed together; the bank is padded to groups

// Eight oscillators' state and the values of the frame pair they currently
// interpolate, side by side so that one pointer reaches whole vectors of each.
constexpr int kPacket = 8;
struct alignas(64) OscillatorPacket {
    double phase[kPacket];      // table units
    double nominal[kPacket];    // k * f0, Hz
    double ampFrom[kPacket];    // amplitude at the earlier frame of the pair
    double ampTo[kPacket];
    double devFrom[kPacket];    // frequency deviation at the earlier frame, Hz
    double devTo[kPacket];
};

// Samples [begin, end) of a block during which the kGroup oscillators from
// `packets` on interpolate the same frame pair.
struct OscillatorRun {
    int begin;
    int end;
    OscillatorPacket *packets;
    const double *from;        // [kBlock] weight 1 - frac of the earlier frame, per sample
    const double *to;          // [kBlock] frac
    double sampleRate;
    const double *table;       // kTableSize cosines
    double *partials;          // [kGroup][kBlock] contributions a * cos
};

struct Kernels {
    // Contributions and phase advances over a run whose values are tame:
    // finite amplitudes, frequencies in (0, 0.75 sampleRate) away from
    // underflow, and phases in [0, kCycle). Phases stay in [0, kCycle).
    void (*formRun)(const OscillatorRun &run);
    // sums[n] = trunc(sums[n] + partials[row][n]) saturated to 16 bits, for
    // rows 0 .. rows - 1 in order and samples n < count.
    void (*addRows)(const double *partials, int rows, int count, double *sums);
};

// Runs anywhere.
const Kernels &portableKernels();
// AVX2 and FMA; nullptr when not built in or this CPU lacks them.
const Kernels *avx2Kernels();
// AVX-512F; nullptr when not built in or this CPU lacks it.
const Kernels *avx512Kernels();
// The widest kernels this CPU runs.
const Kernels &fastestKernels();
// The tables as built, without the CPU checks (nullptr when not built in).
const Kernels *avx2KernelsUnchecked();
const Kernels *avx512KernelsUnchecked();

// The resynthesis with the given kernels (for tests that compare them).
std::vector<short> resynthesizeWith(const Kernels &kernels, double f0, const double *initialPhase,
                                    const double *const *amp, const double *const *freqDev,
                                    int numHarmonics, int numFrames, double timeStep, int sampleRate);

namespace {

template <class Vec>
inline Vec loadVec(const double *p)
{
    Vec v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class Vec>
inline void storeVec(double *p, const Vec &v)
{
    std::memcpy(p, &v, sizeof v);
}

// Isa provides: kLanes; Vec, a compiler vector of kLanes doubles;
// Isa(sampleRate); step(f) = f * kCycle / sampleRate rounded once, for f in
// (0, sampleRate) or 0; cosine(table, phase) = table[trunc(phase)] for phase
// in [0, kCycle); saturate(s) = trunc(s) after clamping to -32768 .. 32767.
template <class Isa>
void formRunWith(const OscillatorRun &run)
{
    using Vec = typename Isa::Vec;
    constexpr int kLanes = Isa::kLanes;
    constexpr int kVectors = kGroup / kLanes;
    constexpr int kPerPacket = kPacket / kLanes;
    static_assert(kPacket % kLanes == 0, "whole vectors per packet");
    const Isa isa(run.sampleRate);
    const Vec cycle = kCycle - Vec{};
    const Vec zero = {};
    // kVectors independent phase chains, carried across the run.
    Vec phase[kVectors];
    for (int v = 0; v < kVectors; ++v)
        phase[v] = loadVec<Vec>(run.packets[v / kPerPacket].phase + v % kPerPacket * kLanes);
    for (int n = run.begin; n < run.end; ++n) {
        const Vec from = run.from[n] - zero;
        const Vec to = run.to[n] - zero;
#pragma GCC unroll 8
        for (int v = 0; v < kVectors; ++v) {
            const OscillatorPacket &p = run.packets[v / kPerPacket];
            const int i = v % kPerPacket * kLanes;
            const Vec a = from * loadVec<Vec>(p.ampFrom + i) + to * loadVec<Vec>(p.ampTo + i);
            const Vec f = loadVec<Vec>(p.nominal + i) + from * loadVec<Vec>(p.devFrom + i)
                + to * loadVec<Vec>(p.devTo + i);
            const Vec product = a * isa.cosine(run.table, phase[v]);
            for (int lane = 0; lane < kLanes; ++lane)
                run.partials[(v * kLanes + lane) * kBlock + n] = product[lane];
            // fmod(phase + step, kCycle) for a sum in [0, 2 kCycle): one exact subtraction.
            phase[v] += isa.step(f);
            phase[v] -= phase[v] >= cycle ? cycle : zero;
        }
    }
    for (int v = 0; v < kVectors; ++v)
        storeVec(run.packets[v / kPerPacket].phase + v % kPerPacket * kLanes, phase[v]);
}

template <class Isa>
void addRowsWith(const double *partials, int rows, int count, double *sums)
{
    using Vec = typename Isa::Vec;
    constexpr int kLanes = Isa::kLanes;
    const int vectors = (count + kLanes - 1) / kLanes;
    for (int row = 0; row < rows; ++row) {
        const double *values = partials + row * kBlock;
        for (int v = 0; v < vectors; ++v) {
            const Vec s = loadVec<Vec>(sums + v * kLanes) + loadVec<Vec>(values + v * kLanes);
            storeVec(sums + v * kLanes, Isa::saturate(s));
        }
    }
}

} // namespace
} // namespace resynthesis
} // namespace sonvik
