#pragma once
// Additive resynthesis of one fundamental's harmonic tracks.
//
// A bank of cosine oscillators, one per harmonic, read from a table of
// kResynthesisTableSize values cos(2 pi i / kResynthesisTableSize). Row h of
// the tracks is harmonic number k = h + 1; its amplitude amp[h][j] (16-bit
// sample units) and frequency k * f0 + freqDev[h][j] (Hz) are interpolated
// linearly between frames j and j + 1, timeStep seconds apart. Per output
// sample, the time t (seconds, summed by 1 / sampleRate) gives
// frame = trunc(t / timeStep) and frac = t / timeStep - frame, and harmonic by
// harmonic in increasing order:
//   index = trunc(phase) reduced into 0 .. kResynthesisTableSize - 1
//   s     = trunc(s + a * cos[index]), saturated to -32768 .. 32767
//   phase = fmod(phase + f * kResynthesisTableSize / sampleRate, kResynthesisTableSize)
// Phases are in table units and start at initialPhase * 0.5 / pi * table size
// (plus one cycle if negative). The sound stops, and the rest of the output
// stays 0, at the first sample whose frame reaches numFrames - 1.
//
// Faulty track values are tolerated: a NaN product a * cos adds nothing, and
// a frequency whose phase step is not finite (NaN, infinite) leaves the phase
// where it is. A start phase that is not finite starts at 0.
//
// The result is bit-identical to evaluating the steps above one sample and
// one harmonic at a time; the work is only reordered across harmonics and
// samples and vectorised as far as the CPU allows (SSE2, AVX2 or AVX-512).
// Single-threaded; it shares only read-only tables, so several threads may
// call it at once.

#include <vector>

namespace sonvik {

constexpr int kResynthesisTableSize = 16384;        // table entries = phase units per cycle
constexpr int kMaxResynthesisSamples = 1 << 26;     // about 25 minutes at 44.1 kHz

// trunc(timeStep * numFrames * sampleRate), the duration of the tracks in
// samples. 0 when timeStep is not positive and finite, numFrames or sampleRate
// is not positive, or the length exceeds kMaxResynthesisSamples.
int resynthesisLength(double timeStep, int numFrames, int sampleRate);

// Signed 16-bit mono sound of resynthesisLength(timeStep, numFrames,
// sampleRate) samples at sampleRate Hz. initialPhase holds numHarmonics
// phases in radians; amp and freqDev hold numHarmonics rows of at least
// numFrames values. Silent (all zeros) when numFrames <= 1, numHarmonics <= 0
// or any of the arrays is missing.
std::vector<short> resynthesize(double f0, const double *initialPhase, const double *const *amp,
                                const double *const *freqDev, int numHarmonics, int numFrames,
                                double timeStep, int sampleRate);

} // namespace sonvik
