#include "harmonic/TrackerSizes.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace sonvik {

const char *rejectionText(TrackerRejection rejection)
{
    switch (rejection) {
    case TrackerRejection::None:
        return "";
    case TrackerRejection::InvalidFundamental:
        return "fundamental is not a positive finite frequency";
    case TrackerRejection::InvalidSampleRate:
        return "sample rate is not positive";
    case TrackerRejection::NoHarmonicBelowNyquist:
        return "no harmonic below half the sample rate";
    case TrackerRejection::WindowLongerThanPortion:
        return "window longer than the portion";
    }
    return "";
}

TrackerSizes TrackerSizes::sizesFor(double f0, int sampleRate, int numSamples)
{
    TrackerSizes s;
    if (!std::isfinite(f0) || f0 <= 0.0) {
        s.rejection = TrackerRejection::InvalidFundamental;
        return s;
    }
    if (sampleRate <= 0) {
        s.rejection = TrackerRejection::InvalidSampleRate;
        return s;
    }
    // Both stay doubles until they are known to fit an int. Since 2*sampleRate
    // >= 4*(sampleRate/2) and rounding is monotonic, N >= 4*numHarmonics, so
    // bin 2k never passes N/2 for k <= numHarmonics.
    const double harmonics = std::trunc((sampleRate / 2) / f0);
    if (harmonics < 1.0) {
        s.rejection = TrackerRejection::NoHarmonicBelowNyquist;
        return s;
    }
    const double length = std::ceil(2.0 * sampleRate / f0);
    if (length > numSamples)
        s.rejection = TrackerRejection::WindowLongerThanPortion;
    if (length > INT_MAX)
        return s;

    s.frameLength = static_cast<int>(length);
    s.numHarmonics = static_cast<int>(harmonics);
    s.hop = s.frameLength / 2;
    s.timeStep = (static_cast<double>(s.frameLength) / sampleRate) * 0.5;
    s.frameColumns = static_cast<int>(2.0 * std::floor(numSamples / s.frameLength) + 1.0);
    s.numFrames = s.frameColumns - 1;
    // Frame j analyses the windows starting at j*hop and (j+1)*hop. The loop
    // stops after frame j when (j+1)*hop >= numSamples - hop, or when j + 1
    // reaches M; so frame j is computed iff j < M and (j+1)*hop < numSamples.
    if (s.hop > 0 && numSamples > s.hop)
        s.framesProcessed = std::min(s.frameColumns, (numSamples - 1) / s.hop);
    return s;
}

} // namespace sonvik
