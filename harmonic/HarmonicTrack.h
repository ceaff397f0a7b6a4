#pragma once
// Everything the harmonic tracker and its measures produce for one
// fundamental. Index h is the 0-based harmonic (harmonic number k = h + 1),
// index j the 0-based frame. Matrices have numHarmonics rows of frameColumns
// (M = numFrames + 1) values: `amp[h][j]`. Only columns below numFrames carry
// results; the tracker may also fill column numFrames, which the measures
// never read. Amplitudes are peak amplitudes in 16-bit sample units,
// deviations in Hz, times in seconds.

#include "analysis/Matrix.h"

#include <initializer_list>
#include <vector>

namespace sonvik {

struct HarmonicTrack {
    // Inputs and sizes.
    double f0 = 0.0;          // Hz
    int sampleRate = 0;       // Hz
    int numSamples = 0;       // length of the analysed portion
    int numHarmonics = 0;
    int frameLength = 0;      // window length N in samples, also the FFT size
    double timeStep = 0.0;    // s between successive frames, N / (2 * sampleRate)
    int numFrames = 0;        // frames that carry results (M - 1)

    // Per harmonic and frame (numHarmonics x M).
    Matrix amp;               // peak amplitude, >= 0
    Matrix freqDev;           // Hz from the centre of bin 2k; partials above it come out negative
    Matrix ampDiff;           // amp[h][j] - amp[h][j-1], 0 in frame 0
    Matrix freqDiff;          // freqDev[h][j] - freqDev[h][j-1], 0 in frame 0
    Matrix dampedFreqDev;     // freqDev weighted by amp / maxAmp of the frame (NaN in a frame whose maxAmp is 0)
    Matrix inharmonicity;     // ratio, 0 for harmonic 1 and where freqDev was undefined

    // Per harmonic (numHarmonics values).
    std::vector<double> initialPhase; // radians, phase in the first window plus 2*pi*(k+1)*f0/sampleRate
    std::vector<double> harRmsAmp;    // RMS of amp over the non-silent frames (during the loop: sum of squares)
    std::vector<double> meanFreqDev;  // Hz, sum of freqDev divided by numFrames (during the loop: the sum)
    std::vector<double> attackTime;   // s, filled by computeAttackDecay()
    std::vector<double> decayTime;    // s, filled by computeAttackDecay()

    // Per frame (M values).
    std::vector<double> rmsAmp;       // RMS of the harmonic amplitudes
    std::vector<double> maxAmp;       // largest harmonic amplitude, 0 if all are 0
    std::vector<double> centroid;     // amplitude-weighted mean harmonic number (times f0 for Hz)
    std::vector<double> irregularity; // ratio, NaN with fewer than three harmonics
    std::vector<double> timeAxis;     // timeAxis[j] = j * timeStep

    double peakAmp = 0.0;   // largest amp of any harmonic in any computed frame
    int peakFrame = 0;      // frame with the largest rmsAmp (first one on ties)
    int peakHarmonic = 0;   // harmonic with the largest harRmsAmp (lowest one on ties)
    int silentFrames = 0;   // computed frames whose rmsAmp is exactly 0

    // Sizes every array for numHarmonics x frameColumns and fills it with 0.
    void allocate(int harmonics, int frameColumns)
    {
        numHarmonics = harmonics;
        for (Matrix *m : {&amp, &freqDev, &ampDiff, &freqDiff, &dampedFreqDev, &inharmonicity})
            m->reset(harmonics, frameColumns);
        for (std::vector<double> *v : {&initialPhase, &harRmsAmp, &meanFreqDev, &attackTime, &decayTime})
            v->assign(static_cast<std::size_t>(harmonics), 0.0);
        for (std::vector<double> *v : {&rmsAmp, &maxAmp, &centroid, &irregularity, &timeAxis})
            v->assign(static_cast<std::size_t>(frameColumns), 0.0);
    }
};

} // namespace sonvik
