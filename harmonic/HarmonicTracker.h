#pragma once
// Pitch-synchronous phase-vocoder tracker: amplitude and frequency deviation
// of every harmonic of one fundamental, frame by frame.
//
// Method: a periodic Hamming window of N = ceil(2 * sampleRate / f0) samples
// (two periods) hops by N / 2 samples (one period). Harmonic k is read from
// FFT bin 2k. Frame j takes its amplitude from the window starting at
// j * hop, and its deviation from the phase advance of bin 2k between that
// window and the next one: atan(X / Y) / (-2 * pi * timeStep), the
// one-argument arctangent, so deviations lie within +-1 / (4 * timeStep) Hz
// and a partial above its bin centre gets a negative deviation.
//
// Windows that reach past the portion read zeros there; nothing outside
// samples[0 .. numSamples) is touched. Buffers and the FFT plan are made once
// per call; the frame loop allocates nothing.

#include "harmonic/HarmonicTrack.h"
#include "harmonic/TrackerSizes.h"

#include <functional>

namespace sonvik {

// Debug trace, called once per computed frame with the first sample of the
// frame's later window and the frame index, e.g. to route to a log.
using FrameTrace = std::function<void(int start, int frame)>;

// Tracks f0 over samples[0 .. numSamples) (signed 16-bit units), then derives
// the post-loop measures (computePostLoopMeasures). Attack and decay are left
// to computeAttackDecay(). Check TrackerSizes::sizesFor() first: for a
// rejected fundamental this returns a track with the inputs set, every size 0
// and no arrays, without allocating or transforming anything.
HarmonicTrack trackHarmonics(const short *samples, int numSamples, int sampleRate, double f0,
                             const FrameTrace &trace = FrameTrace());

} // namespace sonvik
