#include "analysis/PitchTable.h"

#include <cmath>

namespace sonvik {

const std::array<double, kPitchCount> &pitchTable()
{
    static const std::array<double, kPitchCount> table = [] {
        std::array<double, kPitchCount> t{};
        for (int i = 0; i < kPitchCount; ++i)
            t[static_cast<std::size_t>(i)] = 440.0 * std::pow(2.0, (i - 69) / 12.0);
        return t;
    }();
    return table;
}

} // namespace sonvik
