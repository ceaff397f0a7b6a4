#pragma once
// Analysis windows applied to each frame before the short-time transform.
//
// All windows are periodic: the cosine terms and the triangle use the frame
// length N as denominator (not N - 1), so w[i] == w[N - i] for 0 < i < N and
// the peak sits at i = N/2.

#include <vector>

namespace sonvik {

// Index order is the order of the window choices offered to the user.
enum WindowFunction {
    RectangularWindow = 0,  // 1
    TriangularWindow = 1,   // (2/N)(N/2 - |i - N/2|)
    HammingWindow = 2,      // 0.54 - 0.46 cos(2 pi i/N)
    HannWindow = 3,         // 0.5 (1 - cos(2 pi i/N))
    BlackmanWindow = 4,     // 0.42 - 0.5 cos(2 pi i/N) + 0.08 cos(4 pi i/N)
    BartlettHannWindow = 5, // 0.62 - 0.48 |x| + 0.38 cos(2 pi x), x = i/N - 0.5
};

constexpr int kWindowFunctionCount = 6;

// Fills `out` with the n coefficients w[0 .. n-1] of window `windowFunction`.
// Returns false, leaving `out` empty, when the index is outside
// 0 .. kWindowFunctionCount - 1 or n is not positive.
bool makeWindow(int windowFunction, int n, std::vector<double> &out);

} // namespace sonvik
