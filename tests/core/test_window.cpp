#include "analysis/Window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double kCoefficientTolerance = 1e-12;  // absolute; closed forms below are exact to a few ulps

struct WindowCase {
    int windowFunction;
    int n;
    int i;
    double expected;
};

// Hand-evaluated from the closed forms with N = 8 (denominator N, not N - 1):
// 2*pi*i/N is 0, pi/2 or pi at i = 0, 2, 4, so every cosine is 1, 0 or -1.
const WindowCase kCases[] = {
    {sonvik::RectangularWindow, 8, 0, 1.0},
    {sonvik::RectangularWindow, 8, 5, 1.0},
    // Triangular (2/8)(4 - |i - 4|): zero at 0, one at N/2, symmetric about 4 (not 3.5).
    {sonvik::TriangularWindow, 8, 0, 0.0},
    {sonvik::TriangularWindow, 8, 1, 0.25},
    {sonvik::TriangularWindow, 8, 2, 0.5},
    {sonvik::TriangularWindow, 8, 4, 1.0},
    {sonvik::TriangularWindow, 8, 6, 0.5},
    {sonvik::TriangularWindow, 8, 7, 0.25},
    // Hamming 0.54 - 0.46 cos: 0.08 at 0, 0.54 at a quarter, 1 at N/2.
    {sonvik::HammingWindow, 8, 0, 0.08},
    {sonvik::HammingWindow, 8, 2, 0.54},
    {sonvik::HammingWindow, 8, 4, 1.0},
    // Hann 0.5 (1 - cos).
    {sonvik::HannWindow, 8, 0, 0.0},
    {sonvik::HannWindow, 8, 2, 0.5},
    {sonvik::HannWindow, 8, 4, 1.0},
    // Blackman 0.42 - 0.5 cos + 0.08 cos(2x): at a quarter cos(pi) = -1 gives 0.34.
    {sonvik::BlackmanWindow, 8, 0, 0.0},
    {sonvik::BlackmanWindow, 8, 2, 0.34},
    {sonvik::BlackmanWindow, 8, 4, 1.0},
    // Bartlett-Hann with x = i/8 - 0.5: x = -0.5 -> 0.62 - 0.24 - 0.38 = 0;
    // x = -0.25 or 0.25 -> 0.62 - 0.12 + 0 = 0.5; x = 0 -> 1.
    {sonvik::BartlettHannWindow, 8, 0, 0.0},
    {sonvik::BartlettHannWindow, 8, 2, 0.5},
    {sonvik::BartlettHannWindow, 8, 4, 1.0},
    {sonvik::BartlettHannWindow, 8, 6, 0.5},
};

TEST(Window, CoefficientsMatchHandValues)
{
    for (const WindowCase &c : kCases) {
        std::vector<double> w;
        ASSERT_TRUE(sonvik::makeWindow(c.windowFunction, c.n, w)) << "window " << c.windowFunction;
        ASSERT_EQ(w.size(), static_cast<std::size_t>(c.n));
        EXPECT_NEAR(w[static_cast<std::size_t>(c.i)], c.expected, kCoefficientTolerance)
            << "window " << c.windowFunction << " N " << c.n << " i " << c.i;
    }
}

// Denominator N makes every window periodic: w[i] == w[N - i], peak 1 at N/2
// for all but the flat one.
TEST(Window, EveryWindowIsPeriodicSymmetricAboutHalfN)
{
    for (int n : {16, 512}) {
        for (int index = 0; index < sonvik::kWindowFunctionCount; ++index) {
            std::vector<double> w;
            ASSERT_TRUE(sonvik::makeWindow(index, n, w));
            for (int i = 1; i < n; ++i)
                EXPECT_NEAR(w[static_cast<std::size_t>(i)], w[static_cast<std::size_t>(n - i)], kCoefficientTolerance)
                    << "window " << index << " N " << n << " i " << i;
            EXPECT_NEAR(w[static_cast<std::size_t>(n / 2)], 1.0, kCoefficientTolerance) << "window " << index;
        }
    }
}

TEST(Window, RejectsIndexOutsideRangeAndEmptyLength)
{
    const struct {
        int windowFunction;
        int n;
    } rejected[] = {{-1, 8}, {sonvik::kWindowFunctionCount, 8}, {99, 8}, {sonvik::HannWindow, 0}, {sonvik::HannWindow, -4}};
    for (const auto &r : rejected) {
        std::vector<double> w = {0.5, 0.5};
        EXPECT_FALSE(sonvik::makeWindow(r.windowFunction, r.n, w)) << r.windowFunction << " " << r.n;
        EXPECT_TRUE(w.empty()) << "a rejected window must not leave stale coefficients";
    }
}

} // namespace
