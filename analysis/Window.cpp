#include "analysis/Window.h"

#include <cmath>
#include <cstddef>

namespace sonvik {

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

double coefficient(int windowFunction, int i, double n)
{
    switch (windowFunction) {
    case TriangularWindow: {
        const double half = n / 2.0;
        return (2.0 / n) * (half - std::fabs(i - half));
    }
    case HammingWindow:
        return 0.54 - 0.46 * std::cos(kTwoPi * i / n);
    case HannWindow:
        return 0.5 * (1.0 - std::cos(kTwoPi * i / n));
    case BlackmanWindow:
        return 0.42 - 0.5 * std::cos(kTwoPi * i / n) + 0.08 * std::cos(2.0 * kTwoPi * i / n);
    case BartlettHannWindow: {
        const double x = i / n - 0.5;
        return 0.62 - 0.48 * std::fabs(x) + 0.38 * std::cos(kTwoPi * x);
    }
    default:
        return 1.0;
    }
}

} // namespace

bool makeWindow(int windowFunction, int n, std::vector<double> &out)
{
    out.clear();
    if (windowFunction < 0 || windowFunction >= kWindowFunctionCount || n <= 0)
        return false;
    out.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out[static_cast<std::size_t>(i)] = coefficient(windowFunction, i, n);
    return true;
}

} // namespace sonvik
