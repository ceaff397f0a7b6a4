#pragma once
// Equal-tempered pitches, A4 = 440 Hz at note 69.

#include <array>

namespace sonvik {

constexpr int kPitchCount = 136;

// pitchTable()[i] = 440 * 2^((i - 69) / 12) Hz for notes i = 0 .. 135.
const std::array<double, kPitchCount> &pitchTable();

} // namespace sonvik
