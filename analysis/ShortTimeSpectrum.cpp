#include "analysis/ShortTimeSpectrum.h"

#include "analysis/RealFft.h"
#include "analysis/Window.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace sonvik {

namespace {

bool fail(std::string *error, const std::string &message)
{
    if (error)
        *error = message;
    return false;
}

bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

double magnitude(const std::complex<double> &x)
{
    return std::sqrt(x.real() * x.real() + x.imag() * x.imag());
}

// Where quefrency bin q of the second transform lands among the frequency bins.
struct FoldTarget {
    int quefrency;
    int bin;
};

// With x = N / (q - 0.5), quefrency q lands on floor(x) when the fraction of
// x is below one half and on floor(x) + 2 otherwise. The skew is kept exactly:
// detection results and the cepstrum view depend on which bin collects each
// quefrency. q = 0 and 1 never land inside the limits; quefrencies above N/2
// are left out because the transform leaves them zero.
std::vector<FoldTarget> foldTargets(int n, int minF0Bin, int maxF0Bin)
{
    std::vector<FoldTarget> targets;
    for (int q = 2; q <= n / 2; ++q) {
        const double v = n / (q - 0.5) + 0.5;
        const double j = std::floor(v);
        if (j >= n || j <= minF0Bin || j >= maxF0Bin)
            continue;
        const int bin = static_cast<int>(j) + (v - j <= 0.5 ? 1 : 0);
        if (bin < n)  // bin N is reachable for N = 4 below 800 Hz
            targets.push_back({q, bin});
    }
    return targets;
}

} // namespace

bool computeShortTimeSpectrum(const short *samples, int sampleCount, int sampleRate, int frameSize,
                              int windowFunction, ShortTimeSpectrum &result, std::string *error)
{
    if (!isPowerOfTwo(frameSize) || frameSize < 2 || frameSize > kMaxFrameSize)
        return fail(error, "frame size " + std::to_string(frameSize) + " is not a power of two from 2 to "
                               + std::to_string(kMaxFrameSize));
    if (sampleRate <= 0)
        return fail(error, "sample rate " + std::to_string(sampleRate) + " Hz is not positive");
    if (sampleCount < 0)
        return fail(error, "sample count " + std::to_string(sampleCount) + " is negative");
    if (!samples && sampleCount > 0)
        return fail(error, "no sample buffer for " + std::to_string(sampleCount) + " samples");
    std::vector<double> window;
    if (!makeWindow(windowFunction, frameSize, window))
        return fail(error, "window function index " + std::to_string(windowFunction) + " is outside 0.."
                               + std::to_string(kWindowFunctionCount - 1));

    const int n = frameSize;
    const int half = n / 2;
    const double scale = 2.0 / n;  // a power of two: scale * |X| is exactly 2|X| / N
    ShortTimeSpectrum out;
    out.frameSize = n;
    out.sampleRate = sampleRate;
    out.nFrame = sampleCount / n;
    out.minF0Bin = static_cast<int>(std::ceil((20.0 / sampleRate) * n)) + 1;
    out.maxF0Bin = static_cast<int>(std::floor((1000.0 / sampleRate) * n)) - 1;
    out.spectrum.reset(out.nFrame, n);
    out.specCeps.reset(out.nFrame, n);
    out.avgAmp.assign(static_cast<std::size_t>(n), 0.0);

    if (out.nFrame > 0) {
        const std::vector<FoldTarget> fold = foldTargets(n, out.minF0Bin, out.maxF0Bin);
        int firstTarget = n;
        int lastTarget = -1;
        for (const FoldTarget &t : fold) {
            firstTarget = std::min(firstTarget, t.bin);
            lastTarget = std::max(lastTarget, t.bin);
        }
        RealFft fft(n);
        double *in = fft.input();
        const std::complex<double> *bins = fft.output();
        double *avg = out.avgAmp.data();

        for (int f = 0; f < out.nFrame; ++f) {
            const short *frame = samples + static_cast<std::ptrdiff_t>(f) * n;
            for (int i = 0; i < n; ++i)
                in[i] = frame[i] * window[static_cast<std::size_t>(i)];
            fft.execute();
            double *magnitudes = out.spectrum[f];
            for (int k = 0; k <= half; ++k) {
                magnitudes[k] = scale * magnitude(bins[k]);
                avg[k] += magnitudes[k];
            }

            // Second transform over the whole row, zero upper half included.
            for (int k = 0; k < n; ++k)
                in[k] = magnitudes[k];
            fft.execute();
            double *specCeps = out.specCeps[f];
            for (const FoldTarget &t : fold)
                specCeps[t.bin] += scale * magnitude(bins[t.quefrency]);
            // Bins no quefrency reaches stay 0 after the product as well.
            for (int k = firstTarget; k <= lastTarget; ++k)
                specCeps[k] *= magnitudes[k];
        }
        for (int k = 0; k < n; ++k)
            avg[k] /= out.nFrame;
    }

    result = std::move(out);
    return true;
}

} // namespace sonvik
