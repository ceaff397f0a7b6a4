#include "harmonic/HarmonicTracker.h"

#include "analysis/RealFft.h"
#include "analysis/Window.h"
#include "harmonic/HarmonicMeasures.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace sonvik {

namespace {

constexpr double kTwoPi = 2.0 * M_PI;
constexpr double kHammingMean = 0.54;

// in[i] = samples[start + i] * win[i]; samples at or past numSamples are 0.
void loadWindow(const short *samples, int numSamples, int start, const std::vector<double> &win,
                double *in)
{
    const int length = static_cast<int>(win.size());
    const int available = std::clamp(numSamples - start, 0, length);
    for (int i = 0; i < available; ++i)
        in[i] = samples[start + i] * win[static_cast<std::size_t>(i)];
    std::fill(in + available, in + length, 0.0);
}

} // namespace

HarmonicTrack trackHarmonics(const short *samples, int numSamples, int sampleRate, double f0,
                             const FrameTrace &trace)
{
    HarmonicTrack t;
    t.f0 = f0;
    t.sampleRate = sampleRate;
    t.numSamples = numSamples;
    const TrackerSizes sizes = TrackerSizes::sizesFor(f0, sampleRate, numSamples);
    if (!sizes.analysable())
        return t;

    const int n = sizes.frameLength;
    const int harmonics = sizes.numHarmonics;
    t.frameLength = n;
    t.timeStep = sizes.timeStep;
    t.allocate(harmonics, sizes.frameColumns);
    for (int j = 0; j < sizes.frameColumns; ++j)
        t.timeAxis[static_cast<std::size_t>(j)] = j * t.timeStep;

    std::vector<double> win;
    makeWindow(HammingWindow, n, win);

    RealFft fft(n);
    const std::complex<double> *cur = fft.output();
    std::vector<std::complex<double>> prev(static_cast<std::size_t>(harmonics) + 1); // prev[k] = bin 2k

    loadWindow(samples, numSamples, 0, win, fft.input());
    fft.execute();
    for (int k = 1; k <= harmonics; ++k) {
        const std::complex<double> c = cur[2 * k];
        // The k + 1 is the offset the resynthesis starts from.
        t.initialPhase[static_cast<std::size_t>(k - 1)] =
            std::atan2(-c.imag(), c.real()) + kTwoPi * (k + 1) * f0 / sampleRate;
    }

    double **amp = t.amp.rowPointers();
    double **freqDev = t.freqDev.rowPointers();
    double **inharmonicity = t.inharmonicity.rowPointers();
    double *harmonicSquares = t.harRmsAmp.data();
    double *deviationSums = t.meanFreqDev.data();
    // Scales applied by multiplication: 2 |bin| / N / 0.54 and
    // atan(X / Y) / (-2 pi timeStep), to within rounding.
    const double amplitudeScale = 2.0 / n / kHammingMean;
    const double deviationScale = 1.0 / (-kTwoPi * t.timeStep);
    double peakAmp = 0.0;
    int peakFrame = 0;
    int silentFrames = 0;

    // framesProcessed folds in the loop's two stop conditions: after frame j,
    // start >= numSamples - hop, or j + 1 reaching M.
    for (int j = 0; j < sizes.framesProcessed; ++j) {
        const int start = (j + 1) * sizes.hop;
        loadWindow(samples, numSamples, start, win, fft.input());
        if (trace)
            trace(start, j);
        for (int k = 1; k <= harmonics; ++k)
            prev[static_cast<std::size_t>(k)] = cur[2 * k];
        fft.execute();

        double squares = 0.0;
        double frameMax = 0.0;
        double firstDeviation = 0.0; // freqDev[0][j] once harmonic 1 is done
        for (int k = 1; k <= harmonics; ++k) {
            const int h = k - 1;
            const std::complex<double> p = prev[static_cast<std::size_t>(k)];
            const std::complex<double> c = cur[2 * k];
            // Peak amplitude of a sinusoid: the window's mean scales the bin.
            const double a = std::sqrt(p.real() * p.real() + p.imag() * p.imag()) * amplitudeScale;
            squares += a * a;
            harmonicSquares[h] += a * a;
            // cur * conj(prev): the hop is one period, so the principal phase
            // advance is the offset from the bin centre.
            const double x = c.imag() * p.real() - c.real() * p.imag();
            const double y = c.real() * p.real() + c.imag() * p.imag();
            const double fd = std::atan(x / y) * deviationScale;
            amp[h][j] = a;
            if (std::isnan(fd)) {
                freqDev[h][j] = 0.0;
                inharmonicity[h][j] = 0.0;
            } else {
                freqDev[h][j] = fd;
                if (k == 1)
                    firstDeviation = fd;
                inharmonicity[h][j] = k == 1 ? 0.0 : fd / ((firstDeviation - f0) * k) - 1.0;
                deviationSums[h] += fd;
            }
            if (a > peakAmp)
                peakAmp = a;
            if (a > frameMax)
                frameMax = a;
        }
        const double rms = std::sqrt(squares / harmonics);
        t.rmsAmp[static_cast<std::size_t>(j)] = rms;
        t.maxAmp[static_cast<std::size_t>(j)] = frameMax;
        if (rms > t.rmsAmp[static_cast<std::size_t>(peakFrame)])
            peakFrame = j;
        if (rms == 0.0)
            ++silentFrames;
    }
    t.peakAmp = peakAmp;
    t.peakFrame = peakFrame;
    t.silentFrames = silentFrames;

    // Frame-to-frame differences, row by row (same values as taking them
    // frame by frame); frame 0 and frames not computed keep 0.
    for (int h = 0; h < harmonics; ++h) {
        const double *ampRow = amp[h];
        const double *devRow = freqDev[h];
        double *ampDiff = t.ampDiff[h];
        double *freqDiff = t.freqDiff[h];
        for (int j = 1; j < sizes.framesProcessed; ++j) {
            ampDiff[j] = ampRow[j] - ampRow[j - 1];
            freqDiff[j] = devRow[j] - devRow[j - 1];
        }
    }

    t.numFrames = sizes.numFrames;
    computePostLoopMeasures(t);
    return t;
}

} // namespace sonvik
