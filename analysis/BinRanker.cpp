#include "analysis/BinRanker.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>

namespace sonvik {

BinRanker::BinRanker(int binCount) : binCount_(binCount > 0 ? binCount : 0)
{
    const std::size_t size = static_cast<std::size_t>(binCount_);
    selection_.reserve(size);
    value_.resize(size);
    bin_.resize(size);
}

void BinRanker::rank(const double *values, int ranks, int *out)
{
    ranks = std::clamp(ranks, 0, binCount_);
    if (ranks == 0)
        return;

    selection_.clear();
    for (int k = 0; k < binCount_; ++k)
        if (values[k] >= 1.0)
            selection_.push_back(values[k]);
    double threshold = 1.0;
    if (static_cast<int>(selection_.size()) > ranks) {
        const auto kth = selection_.begin() + (ranks - 1);
        std::nth_element(selection_.begin(), kth, selection_.end(), std::greater<double>());
        threshold = *kth;
    }

    int count = 0;
    for (int k = 0; k < binCount_; ++k) {
        if (values[k] >= threshold) {
            value_[static_cast<std::size_t>(count)] = values[k];
            bin_[static_cast<std::size_t>(count)] = k;
            ++count;
        }
    }

    const int passes = std::min(ranks, count);
    double *value = value_.data();
    int *bin = bin_.data();
    for (int i = 0; i < passes; ++i) {
        for (int j = i + 1; j < count; ++j) {
            if (value[j] > value[i]) {
                std::swap(value[i], value[j]);
                std::swap(bin[i], bin[j]);
            }
        }
        out[i] = bin[i];
    }
    std::fill(out + passes, out + ranks, 0);
}

} // namespace sonvik
