#pragma once
// Finds up to five fundamental frequencies in a short-time spectrum.
//
// Method: in every frame the bins 0 .. N/2-1 are ranked by specCeps (see
// BinRanker). The frames then vote rank by rank; each winning bin is moved
// uphill on avgAmp to its local peak, and that peak is accepted unless it was
// met before, lies within 2 bins of the last accepted peak, or is within 0.1
// of a multiple or divisor of it. A peak weaker than half the last accepted
// one ends the search. An accepted peak's frequency is the amplitude-weighted
// mean of its bin and both neighbours. With nothing accepted, the loudest
// average bin is used instead (the fallback).

#include "analysis/ShortTimeSpectrum.h"

#include <array>
#include <cstddef>
#include <vector>

namespace sonvik {

constexpr int kMaxFundamentals = 5;

struct FundamentalDetection {
    std::array<double, kMaxFundamentals> f0List{};  // Hz, in acceptance order; 0 in empty slots
    int found = 0;              // fundamentals accepted by the vote (the fallback is not counted)
    bool noFrames = false;      // portion shorter than one frame: nothing detected, no fallback
    bool usedFallback = false;  // the vote accepted nothing; f0List[0] comes from the fallback
    int fallbackBin = 0;        // loudest avgAmp bin (lowest one on ties), 0 when avgAmp is all zero
    double fallbackAmp = 0.0;   // avgAmp at fallbackBin
};

// Per-frame rankings as the vote reads them: bins[f * ranks + n] is the bin at
// rank n in frame f, 0 when no bin holds that rank. Ranks at or beyond `ranks`
// read as 0.
struct RankTable {
    int frames = 0;
    int ranks = 0;
    std::vector<int> bins;  // frames * ranks entries

    int at(int frame, int rank) const
    {
        return rank < ranks ? bins[static_cast<std::size_t>(frame) * static_cast<std::size_t>(ranks)
                                   + static_cast<std::size_t>(rank)]
                            : 0;
    }
};

// Full detection on a spectrum made by computeShortTimeSpectrum. With
// nFrame = 0 nothing is detected: noFrames is set and f0List stays zero.
// alignF0 snaps every result, the fallback included, with alignToPitch.
FundamentalDetection detectFundamentals(const ShortTimeSpectrum &spectrum, bool alignF0);

// The voting step alone, for given rankings. avgAmp holds the N average
// amplitudes (N = avgAmp.size() >= 2); votes count for bins 1 .. maxF0Bin-1
// (and below N-1), ranks 0 .. maxF0Bin-2 are consulted, and a peak never moves
// past maxF0Bin or N-2. sampleRate (Hz) converts bins to frequency:
// bin k is k * sampleRate / N Hz. Never sets noFrames.
FundamentalDetection voteFundamentals(const RankTable &ranks, const std::vector<double> &avgAmp, int maxF0Bin,
                                      int sampleRate, bool alignF0);

// The equal-tempered pitch (A4 = 440 Hz) nearest to f0 by truncated distance:
// the difference in Hz is truncated toward zero before comparing, so every
// pitch within 1 Hz counts as distance 0; ties go to the lower pitch.
// Pitches 20000 Hz or more away are never chosen (the lowest pitch is then
// returned).
double alignToPitch(double f0);

} // namespace sonvik
