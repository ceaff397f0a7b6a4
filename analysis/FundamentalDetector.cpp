#include "analysis/FundamentalDetector.h"

#include "analysis/BinRanker.h"
#include "analysis/PitchTable.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>

namespace sonvik {

namespace {

double nearest(double x)
{
    return std::floor(x + 0.5);
}

bool nearMultiple(double ratio)
{
    return std::fabs(ratio - nearest(ratio)) < 0.1;
}

double amp(const std::vector<double> &avgAmp, int bin)
{
    return avgAmp[static_cast<std::size_t>(bin)];
}

// Amplitude-weighted mean of bins b-1, b, b+1, in bins. 1 <= b <= N-2.
double refinedBin(const std::vector<double> &avgAmp, int b)
{
    const double below = amp(avgAmp, b - 1);
    const double centre = amp(avgAmp, b);
    const double above = amp(avgAmp, b + 1);
    const double sum = below + centre + above;
    // A voted peak always has energy; hand-made tables may not, and then the
    // centre is the limit of equal weights.
    if (sum <= 0.0)
        return b;
    return (below * (b - 1) + centre * b + above * (b + 1)) / sum;
}

void fallBack(const std::vector<double> &avgAmp, int sampleRate, bool alignF0, FundamentalDetection &result)
{
    const int n = static_cast<int>(avgAmp.size());
    int peak = 0;
    for (int k = 1; k < n; ++k)
        if (amp(avgAmp, k) > amp(avgAmp, peak))
            peak = k;
    if (n == 0 || amp(avgAmp, peak) <= 0.0)
        peak = 0;
    result.usedFallback = true;
    result.fallbackBin = peak;
    result.fallbackAmp = n > 0 ? amp(avgAmp, peak) : 0.0;
    const double f0 = n > 0 ? static_cast<double>(peak) * sampleRate / n : 0.0;
    result.f0List[0] = alignF0 ? alignToPitch(f0) : f0;
}

} // namespace

FundamentalDetection voteFundamentals(const RankTable &ranks, const std::vector<double> &avgAmp, int maxF0Bin,
                                      int sampleRate, bool alignF0)
{
    FundamentalDetection result;
    const int n = static_cast<int>(avgAmp.size());
    if (n < 2) {
        fallBack(avgAmp, sampleRate, alignF0, result);
        return result;
    }
    // Keep every peak and its upper neighbour inside avgAmp whatever maxF0Bin is.
    const int votedBins = std::clamp(maxF0Bin, 0, n - 1);
    const int climbLimit = std::min(maxF0Bin, n - 2);
    const double binHz = static_cast<double>(sampleRate) / n;

    std::vector<int> counts(static_cast<std::size_t>(votedBins));
    std::vector<char> used(static_cast<std::size_t>(n), 0);
    int last = 0;  // bin of the last accepted peak
    int rank = 0;
    while (true) {
        std::fill(counts.begin(), counts.end(), 0);
        for (int f = 0; f < ranks.frames; ++f) {
            const int b = ranks.at(f, rank);
            if (b >= 0 && b < votedBins)
                ++counts[static_cast<std::size_t>(b)];
        }
        ++rank;
        if (rank >= maxF0Bin)
            break;
        int best = 0;
        for (int b = 1; b < votedBins; ++b)
            if (counts[static_cast<std::size_t>(b)] > counts[static_cast<std::size_t>(best)])
                best = b;
        if (best == 0)
            break;

        int b = best;
        while (b > 0 && amp(avgAmp, b - 1) > amp(avgAmp, b))
            --b;
        while (b < climbLimit && amp(avgAmp, b + 1) > amp(avgAmp, b))
            ++b;
        // A slope falling from DC is no fundamental, and nothing below bin 0
        // could refine it.
        if (b == 0)
            break;

        if (used[static_cast<std::size_t>(b)])
            continue;
        used[static_cast<std::size_t>(b)] = 1;
        if (last >= 1) {
            if (0.5 * amp(avgAmp, last) > amp(avgAmp, b))
                break;
            if (std::abs(last - b) < 3)
                continue;
            if (nearMultiple(static_cast<double>(b) / last) || nearMultiple(static_cast<double>(last) / b))
                continue;
        }

        const double f0 = refinedBin(avgAmp, b) * binHz;
        result.f0List[static_cast<std::size_t>(result.found)] = alignF0 ? alignToPitch(f0) : f0;
        ++result.found;
        last = b;
        if (result.found == kMaxFundamentals)
            break;
    }

    if (result.found == 0)
        fallBack(avgAmp, sampleRate, alignF0, result);
    return result;
}

FundamentalDetection detectFundamentals(const ShortTimeSpectrum &spectrum, bool alignF0)
{
    if (spectrum.nFrame <= 0) {
        FundamentalDetection result;
        result.noFrames = true;
        return result;
    }

    const int n = spectrum.frameSize;
    const int half = n / 2;
    RankTable table;
    table.frames = spectrum.nFrame;
    table.ranks = std::clamp(spectrum.maxF0Bin, 0, n);
    table.bins.assign(static_cast<std::size_t>(table.frames) * static_cast<std::size_t>(table.ranks), 0);

    BinRanker ranker(half);
    const int ranked = std::min(table.ranks, half);
    for (int f = 0; f < table.frames; ++f) {
        const double *values = spectrum.specCeps[f];
        int *row = table.bins.data() + static_cast<std::size_t>(f) * static_cast<std::size_t>(table.ranks);
        ranker.rank(values, ranked, row);
        // Ranks past the sorted half keep their bin's own entry (only
        // reachable below 2000 Hz, where maxF0Bin exceeds N/2).
        for (int k = half; k < table.ranks; ++k)
            row[k] = values[k] >= 1.0 ? k : 0;
    }
    return voteFundamentals(table, spectrum.avgAmp, spectrum.maxF0Bin, spectrum.sampleRate, alignF0);
}

double alignToPitch(double f0)
{
    const std::array<double, kPitchCount> &pitches = pitchTable();
    double closest = 20000.0;
    int index = 0;
    for (int i = 0; i < kPitchCount; ++i) {
        const double distance = std::fabs(std::trunc(f0 - pitches[static_cast<std::size_t>(i)]));
        if (distance < closest) {
            closest = distance;
            index = i;
        }
    }
    return pitches[static_cast<std::size_t>(index)];
}

} // namespace sonvik
