#pragma once
// Sizes of the pitch-synchronous harmonic tracker for one fundamental, and
// whether that fundamental can be tracked at all.
//
// The window spans two periods of the fundamental, so harmonic k sits on FFT
// bin 2k, and successive windows are half a window (one period) apart.
// sizesFor() is pure arithmetic: it allocates nothing, so a caller can skip a
// fundamental (with a log line) before any memory is committed to it.

namespace sonvik {

enum class TrackerRejection {
    None,
    InvalidFundamental,      // f0 not finite or <= 0
    InvalidSampleRate,       // sample rate <= 0
    NoHarmonicBelowNyquist,  // numHarmonics would be 0 (f0 above half the sample rate)
    WindowLongerThanPortion, // frameLength > numSamples
};

// Readable reason for a log line or a warning; "" for None.
const char *rejectionText(TrackerRejection rejection);

struct TrackerSizes {
    TrackerRejection rejection = TrackerRejection::None;
    int numHarmonics = 0;    // trunc((sampleRate / 2, integer division) / f0)
    int frameLength = 0;     // N = trunc(ceil(2 * sampleRate / f0)) samples, also the FFT size
    int hop = 0;             // N / 2 samples (integer division: (N - 1) / 2 for odd N)
    double timeStep = 0.0;   // (N / sampleRate) * 0.5 seconds, also for odd N
    int frameColumns = 0;    // M = trunc(2 * floor(numSamples / N) + 1): columns of every per-frame array
    int numFrames = 0;       // M - 1: frames that carry results
    int framesProcessed = 0; // frames the tracker computes: min(M, (numSamples - 1) / hop), 0 when numSamples <= hop

    bool analysable() const { return rejection == TrackerRejection::None; }

    // When rejected, the fields that could not be computed stay 0. With
    // WindowLongerThanPortion every field is filled as long as N fits an int.
    static TrackerSizes sizesFor(double f0, int sampleRate, int numSamples);
};

} // namespace sonvik
