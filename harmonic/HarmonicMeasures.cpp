#include "harmonic/HarmonicMeasures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace sonvik {

namespace {

void zeroUndefinedInharmonicity(HarmonicTrack &t)
{
    for (int h = 0; h < t.numHarmonics; ++h) {
        double *row = t.inharmonicity[h];
        for (int j = 0; j < t.numFrames; ++j)
            if (std::isnan(row[j]))
                row[j] = 0.0;
    }
}

void computeDampedFreqDev(HarmonicTrack &t)
{
    for (int h = 0; h < t.numHarmonics; ++h)
        for (int j = 0; j < t.numFrames; ++j)
            t.dampedFreqDev[h][j] = t.amp[h][j] / t.maxAmp[static_cast<std::size_t>(j)] * t.freqDev[h][j];
}

void finishHarmonicAverages(HarmonicTrack &t)
{
    // Frame F may have been computed and counted silent: the divisor is then
    // -1 and an all-silent harmonic reads -0 (its sum is 0), kept as computed
    // so results stay comparable with other implementations of the method.
    const int voicedFrames = t.numFrames - t.silentFrames;
    t.peakHarmonic = 0;
    for (int h = 0; h < t.numHarmonics; ++h) {
        const std::size_t i = static_cast<std::size_t>(h);
        t.harRmsAmp[i] = std::sqrt(t.harRmsAmp[i] / voicedFrames);
        if (t.harRmsAmp[i] > t.harRmsAmp[static_cast<std::size_t>(t.peakHarmonic)])
            t.peakHarmonic = h;
        t.meanFreqDev[i] = t.meanFreqDev[i] / t.numFrames;
    }
}

// Row by row, so that every pass reads frames contiguously; for each frame
// the sums over k still run in ascending order.
void computeFrameShape(HarmonicTrack &t)
{
    const int harmonics = t.numHarmonics;
    const std::size_t frames = static_cast<std::size_t>(std::max(t.numFrames, 0));
    std::vector<double> s0(frames, 0.0), s1(frames, 0.0), s2(frames, 0.0), s3(frames, 0.0);
    for (int k = 1; k <= harmonics; ++k) {
        const double *row = t.amp[k - 1];
        for (std::size_t j = 0; j < frames; ++j) {
            s0[j] += row[j];
            s3[j] += k * row[j];
        }
    }
    for (int k = 2; k <= harmonics - 1; ++k) {
        const double *below = t.amp[k - 2];
        const double *row = t.amp[k - 1];
        const double *above = t.amp[k];
        for (std::size_t j = 0; j < frames; ++j) {
            const double mean = (below[j] + row[j] + above[j]) / 3.0;
            s1[j] += mean;
            s2[j] += std::fabs(row[j] - mean) * mean;
        }
    }
    for (std::size_t j = 0; j < frames; ++j) {
        t.centroid[j] = s3[j] / s0[j];
        t.irregularity[j] = (s2[j] / t.rmsAmp[j]) / s1[j];
    }
}

// Scans frames from `first` by `step` (+1 or -1) until one passes the
// threshold; returns that frame (or one past the end) and the last frame seen
// with amplitude 0 in `lastSilent`.
int scanToThreshold(const double *row, int first, int end, int step, double logThreshold, int &lastSilent)
{
    int j = first;
    for (; j != end; j += step) {
        if (row[j] == 0.0)
            lastSilent = j;
        if (std::log(row[j]) > logThreshold)
            break;
    }
    return j;
}

} // namespace

void computePostLoopMeasures(HarmonicTrack &track)
{
    zeroUndefinedInharmonicity(track);
    computeDampedFreqDev(track);
    finishHarmonicAverages(track);
    computeFrameShape(track);
}

void computeAttackDecay(HarmonicTrack &track)
{
    const int frames = track.numFrames;
    track.attackTime.assign(static_cast<std::size_t>(track.numHarmonics), 0.0);
    track.decayTime.assign(static_cast<std::size_t>(track.numHarmonics), 0.0);
    for (int h = 0; h < track.numHarmonics; ++h) {
        const std::size_t i = static_cast<std::size_t>(h);
        const double *row = track.amp[h];
        const double logThreshold = std::log(track.harRmsAmp[i]) - 0.1;

        int lastSilent = 0;
        const int attackEnd = scanToThreshold(row, 0, frames, +1, logThreshold, lastSilent);
        track.attackTime[i] = (attackEnd + 1 - lastSilent) * track.timeStep;

        lastSilent = frames - 1;
        const int decayEnd = scanToThreshold(row, frames - 1, -1, -1, logThreshold, lastSilent);
        track.decayTime[i] = (lastSilent + 1 - decayEnd) * track.timeStep;
    }
}

} // namespace sonvik
