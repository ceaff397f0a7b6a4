#pragma once
// summary.json of one analysed file: what was read, which portion, which
// fundamentals, and the per-fundamental sizes and measures.

#include "harmonic/HarmonicTrack.h"

#include <array>
#include <string>
#include <vector>

namespace analyze {

struct AnalysedSlot {
    int slot = 0;                   // 0-based, as in the five fundamental slots
    const sonvik::HarmonicTrack *track = nullptr;
};

struct Summary {
    std::string file;               // the path as given on the command line
    int sampleRate = 0;
    int channels = 0;
    long long frames = 0;           // frames in the file's header
    int portionSamples = 0;
    std::array<double, 5> fundamentals{};
    std::vector<AnalysedSlot> analyses;
};

// JSON text; floats with round-trip precision, non-finite values as null.
std::string summaryJson(const Summary &summary);

} // namespace analyze
