#pragma once
// Choosing the channel and the portion of a loaded sound: the arithmetic behind
// the portion dialog, shared with the batch tool.
//
// Terms: `rawSamples` holds `total` interleaved 16-bit values of `channels`
// channels (index = frame * channels + channel, total a multiple of channels).
// Slider positions are percentages 0 .. 100 of the sound; start and end are two
// coupled sliders that keep start below end where their range allows.

#include <vector>

namespace sonvik {

constexpr int kSliderMin = 0;
constexpr int kSliderMax = 100;

// "R" is the second channel; "average" is the mean of all channels.
enum class Channel { Left, Right, Average };

// Preselected channel: mono and more than two channels take the first, stereo the average.
Channel defaultChannel(int channels);

// Slider coupling. Each returns the value to set on the other slider after one
// moved to `moved` (the other's current value when no move is needed); setting
// a slider to its current value changes nothing, so the caller may always set it.
int endAfterStartMoved(int moved, int end);    // end <= moved: moved + 1
int startAfterEndMoved(int moved, int start);  // start >= moved: moved - 1

// Inclusive bounds into rawSamples and the number of values the portion holds.
struct Selection {
    int startIndex = 0;
    int endIndex = -1;
    int count = 0;  // (endIndex - startIndex + 1) / channels, never negative
};

// Percentages to indices, rounding half away from zero. The start moves down to
// the start of its frame and, for Right with two or more channels, one value on;
// the end is kept below `total`.
Selection selectPortion(int start, int end, int total, int channels, Channel channel);

// The portion as one stream of `selection.count` values: the chosen channel's
// values, or per frame the integer sum of all channels divided by `channels`
// (truncated toward zero). Never reads at or beyond `total`.
std::vector<short> extractPortion(const short *rawSamples, int total, int channels,
                                  Channel channel, const Selection &selection);

// Slider positions that frame the loud part (a value counts as loud when it is
// greater than 1/50 of the largest value, in integers). Mono or Average examine
// every value; stereo Left/Right only that channel's values. `move` is false
// when the sliders stay (Left/Right with more than two channels, or no data).
struct TrimPositions {
    bool move = false;
    int start = kSliderMin;
    int end = kSliderMax;
};
TrimPositions trimPositions(const short *rawSamples, int total, int channels, Channel channel);

// After a trim: the sliders show that nothing loud was kept (start = end - 1),
// and the user is asked whether to select nothing or all.
bool nothingSelected(int start, int end);

// The two sliders and the channel choice without widgets, for the batch tool.
// Setting a slider behaves like a 0 .. 100 slider whose value-changed handler
// applies the coupling above, so chained moves happen in the same order.
// The sample buffer is not owned and must outlive this object.
class PortionSelection {
public:
    PortionSelection(const short *rawSamples, int total, int channels);

    int start() const { return start_; }
    int end() const { return end_; }
    Channel channel() const { return channel_; }

    void setStart(int value);
    void setEnd(int value);
    void setChannel(Channel channel) { channel_ = channel; }

    // Moves the sliders, start first, then end; returns true when the
    // "Nothing selected" question must be asked.
    bool autoTrim();

    Selection selection() const;
    std::vector<short> extract() const;

private:
    const short *rawSamples_;
    int total_;
    int channels_;
    Channel channel_;
    int start_ = kSliderMin;
    int end_ = kSliderMax;
};

} // namespace sonvik
