#pragma once
// Short-time magnitude spectrum of a portion, and its product with a
// cepstrum folded back onto frequency bins (the input of fundamental
// detection and the "cepstrum" view).
//
// The portion is cut into nFrame = floor(sampleCount / N) non-overlapping
// frames of N samples (the hop is N; trailing samples are not analysed).
// Each frame is windowed and transformed; the magnitude of that spectrum is
// transformed again, and each quefrency bin q is added to the frequency bin
// near N / q (only bins minF0Bin+1 .. maxF0Bin receive anything), then
// multiplied bin by bin with the spectrum. A peak there marks a bin that is
// both loud and the spacing of a harmonic series.

#include "analysis/Matrix.h"

#include <string>
#include <vector>

namespace sonvik {

struct ShortTimeSpectrum {
    int frameSize = 0;   // N, samples per frame and hop
    int sampleRate = 0;  // Hz; bin k stands for k * sampleRate / N Hz
    int nFrame = 0;      // whole frames analysed; 0 when the portion is shorter than N

    // nFrame rows of N columns. spectrum[f][k] = 2|X_f[k]| / N in 16-bit sample
    // units (a sine of amplitude A centred on a bin reads A times the window's
    // mean there). Columns above N/2 are zero in both matrices.
    Matrix spectrum;
    Matrix specCeps;

    std::vector<double> avgAmp;  // N values: mean of the spectrum rows (all zero when nFrame = 0)

    int minF0Bin = 0;  // ceil((20 / sampleRate) * N) + 1
    int maxF0Bin = 0;  // floor((1000 / sampleRate) * N) - 1; may exceed N/2 below 2000 Hz
};

constexpr int kMaxFrameSize = 65536;

// Computes the spectrum of samples[0 .. sampleCount-1] (signed 16-bit values,
// used unscaled) with frames of frameSize samples and window `windowFunction`
// (see Window.h). Returns false and names the bad value in *error (when given)
// if the window index is outside 0..5, frameSize is not a power of two from 2
// to kMaxFrameSize, sampleRate is not positive, sampleCount is negative, or
// samples is null while sampleCount is positive; `result` is then untouched.
bool computeShortTimeSpectrum(const short *samples, int sampleCount, int sampleRate, int frameSize,
                              int windowFunction, ShortTimeSpectrum &result, std::string *error = nullptr);

} // namespace sonvik
