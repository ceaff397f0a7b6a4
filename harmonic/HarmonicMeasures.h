#pragma once
// Timbre measures derived from a tracked fundamental's stored data. Both
// functions read only the track, so a track edited or built by hand works too.
// Degenerate inputs give NaN or infinity, which are kept as they are.

#include "harmonic/HarmonicTrack.h"

namespace sonvik {

// Runs once after the frame loop, with numFrames (F) final, every array sized
// by allocate(), harRmsAmp and meanFreqDev still holding the loop's sums and
// silentFrames the loop's count. In this order:
//  1. NaN inharmonicity (h < K, j < F) becomes 0.
//  2. dampedFreqDev[h][j] = amp[h][j] / maxAmp[j] * freqDev[h][j] for j < F.
//  3. Per harmonic, ascending: harRmsAmp = sqrt(sum / (F - silentFrames)), the
//     divisor taken as 0 when negative, so an all-silent track gives NaN;
//     peakHarmonic follows the strictly larger harRmsAmp; meanFreqDev = sum / F.
//  4. For j < F, with A_k = amp[k-1][j]: centroid = sum(k A_k) / sum(A_k);
//     irregularity = (S2 / rmsAmp[j]) / S1 with, over k = 2 .. K-1,
//     m_k = (A_{k-1} + A_k + A_{k+1}) / 3, S1 = sum(m_k), S2 = sum(|A_k - m_k| m_k)
//     (NaN for K <= 2).
void computePostLoopMeasures(HarmonicTrack &track);

// Attack and decay durations in seconds, per harmonic, from amp, harRmsAmp,
// numFrames and timeStep. A frame passes when ln(amp) > ln(harRmsAmp) - 0.1
// (amp 0 never does). Attack scans forward from frame 0 and stops at the
// first passing frame j (F if none): (j + 1 - lastSilent) * timeStep, where
// lastSilent is the last frame seen with amp 0 (initially 0). Decay scans back
// from frame F - 1 and stops at the first passing frame j (-1 if none):
// (lastSilent + 1 - j) * timeStep, lastSilent initially F - 1. With F = 0 both
// are one timeStep.
void computeAttackDecay(HarmonicTrack &track);

} // namespace sonvik
