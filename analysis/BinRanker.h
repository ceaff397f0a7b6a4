#pragma once
// Ranks the bins of one frame by value, descending, for fundamental detection.
//
// The order is that of this exchange sort, which also decides ties: for
// i = 0 .. M-2 and j = i+1 .. M-1, swap entries i and j when value j > value i.
// That sort is not stable; equal values come out in the order its swaps leave
// them, and the vote depends on it. A bin whose value is below 1.0 takes part
// by value but is reported as bin 0.
//
// Only the first few ranks are ever consulted, so instead of M(M-1)/2
// comparisons this runs the same passes on the subsequence of values at or
// above the k-th largest (and at least 1.0). Elements below that threshold
// never come ahead of those above it. In each pass only the strict running
// maxima move, each into the slot of the next one and the last into the
// pass's front slot; a larger value is a running maximum exactly when it is
// one among the larger values alone, so their relative order evolves as if
// the smaller ones were absent and the first k ranks equal the full sort's.
//
// Values must be finite. Scratch storage is allocated once in the constructor.

#include <vector>

namespace sonvik {

class BinRanker {
public:
    explicit BinRanker(int binCount);  // bins 0 .. binCount-1 are ranked

    int binCount() const { return binCount_; }

    // values: binCount() values, one per bin. Writes out[0 .. ranks-1], with
    // ranks clamped to 0 .. binCount(): the bin at rank n, or 0 when the value
    // at that rank is below 1.0.
    void rank(const double *values, int ranks, int *out);

private:
    int binCount_;
    std::vector<double> selection_;  // values >= 1.0, partially ordered to find the threshold
    std::vector<double> value_;      // candidates in bin order, then in exchange order
    std::vector<int> bin_;
};

} // namespace sonvik
