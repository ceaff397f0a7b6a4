#include "sound/PortionSelection.h"

#include <algorithm>
#include <cmath>

namespace sonvik {

namespace {

// Round half away from zero: add 0.5 to a positive value, subtract it otherwise, truncate.
int roundHalfAway(double value)
{
    return static_cast<int>(value > 0.0 ? value + 0.5 : value - 0.5);
}

int clampSlider(int value)
{
    return std::clamp(value, kSliderMin, kSliderMax);
}

// A value is loud when it is greater than threshold = largest / 50, the largest
// taken from 0 upward; both in integers, signed (a negative peak is not loud).
int loudThreshold(const short *values, int first, int last, int step)
{
    int largest = 0;
    for (int i = first; i <= last; i += step)
        largest = std::max<int>(largest, values[i]);
    return largest / 50;
}

// Mono, or the average of several channels: every interleaved value counts;
// positions truncate.
TrimPositions trimAllValues(const short *values, int total)
{
    const int threshold = loudThreshold(values, 0, total - 1, 1);
    const auto loud = [&](int i) { return values[i] > threshold; };

    TrimPositions positions;
    positions.move = true;
    if (!loud(0)) {
        int s = 1;
        while (s < total && !loud(s))
            ++s;
        positions.start = s == 1 ? 0 : static_cast<int>(100.0 * (s - 1) / total);
    }
    int e = total - 1;
    while (e >= 0 && !loud(e))
        --e;
    positions.end = e + 1 >= total ? kSliderMax : static_cast<int>(100.0 * (e + 1) / total);
    return positions;
}

// One channel of a stereo sound (c = 0 left, 1 right): only c, c + 2, ... count;
// positions round half away from zero.
TrimPositions trimStereoChannel(const short *values, int total, int c)
{
    if (c >= total)
        return TrimPositions();
    const int last = c + ((total - 1 - c) / 2) * 2;  // last index of channel c below total
    const int threshold = loudThreshold(values, c, last, 2);
    const auto loud = [&](int i) { return values[i] > threshold; };

    TrimPositions positions;
    positions.move = true;
    if (!loud(c)) {
        int s = c + 2;
        while (s < total && !loud(s))
            s += 2;
        positions.start = s <= 2 ? 0 : roundHalfAway(100.0 * (s - 2) / total);
    }
    int e = last;
    while (e >= 0 && !loud(e))
        e -= 2;
    positions.end = e + 2 >= total ? kSliderMax : roundHalfAway(100.0 * (e + 2) / total);
    return positions;
}

} // namespace

Channel defaultChannel(int channels)
{
    return channels == 2 ? Channel::Average : Channel::Left;
}

int endAfterStartMoved(int moved, int end)
{
    return end <= moved ? moved + 1 : end;
}

int startAfterEndMoved(int moved, int start)
{
    return start >= moved ? moved - 1 : start;
}

Selection selectPortion(int start, int end, int total, int channels, Channel channel)
{
    Selection selection;
    if (channels < 1 || total < 0)
        return selection;
    selection.startIndex = roundHalfAway(clampSlider(start) / 100.0 * total);
    selection.endIndex = roundHalfAway(clampSlider(end) / 100.0 * total);
    selection.startIndex -= selection.startIndex % channels;
    if (channel == Channel::Right && channels > 1)
        ++selection.startIndex;
    selection.endIndex = std::min(selection.endIndex, total - 1);
    selection.count = std::max(0, (selection.endIndex - selection.startIndex + 1) / channels);
    return selection;
}

std::vector<short> extractPortion(const short *rawSamples, int total, int channels,
                                  Channel channel, const Selection &selection)
{
    std::vector<short> portion;
    if (!rawSamples || channels < 1 || selection.startIndex < 0 || selection.count <= 0)
        return portion;
    const bool average = channel == Channel::Average;
    const long long width = average ? channels : 1;  // values read per output value
    portion.reserve(static_cast<std::size_t>(selection.count));
    for (int i = 0; i < selection.count; ++i) {
        const long long first = selection.startIndex + static_cast<long long>(i) * channels;
        if (first > selection.endIndex || first + width > total)
            break;
        if (average) {
            int sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += rawSamples[first + c];
            portion.push_back(static_cast<short>(sum / channels));
        } else {
            portion.push_back(rawSamples[first]);
        }
    }
    return portion;
}

TrimPositions trimPositions(const short *rawSamples, int total, int channels, Channel channel)
{
    if (!rawSamples || total <= 0 || channels < 1)
        return TrimPositions();
    if (channels == 1 || channel == Channel::Average)
        return trimAllValues(rawSamples, total);
    if (channels == 2)
        return trimStereoChannel(rawSamples, total, channel == Channel::Right ? 1 : 0);
    return TrimPositions();
}

bool nothingSelected(int start, int end)
{
    return start == end - 1;
}

PortionSelection::PortionSelection(const short *rawSamples, int total, int channels)
    : rawSamples_(rawSamples), total_(total), channels_(channels),
      channel_(defaultChannel(channels))
{
}

void PortionSelection::setStart(int value)
{
    value = clampSlider(value);
    if (value == start_)
        return;
    start_ = value;
    setEnd(endAfterStartMoved(value, end_));
}

void PortionSelection::setEnd(int value)
{
    value = clampSlider(value);
    if (value == end_)
        return;
    end_ = value;
    setStart(startAfterEndMoved(value, start_));
}

bool PortionSelection::autoTrim()
{
    const TrimPositions positions = trimPositions(rawSamples_, total_, channels_, channel_);
    if (positions.move) {
        setStart(positions.start);
        setEnd(positions.end);
    }
    return nothingSelected(start_, end_);
}

Selection PortionSelection::selection() const
{
    return selectPortion(start_, end_, total_, channels_, channel_);
}

std::vector<short> PortionSelection::extract() const
{
    return extractPortion(rawSamples_, total_, channels_, channel_, selection());
}

} // namespace sonvik
