// Playback end to end: ALSA's default PCM writes what PortAudio plays to a
// file as raw interleaved signed 16-bit little-endian stereo frames. Its null
// slave is not paced (the file grows by about 160 MB per second of playback),
// so the sounds here last 0.1 s at most and each capture is deleted after use.

#include "PlaybackHarness.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace {

std::string captureFile()
{
    return playback::Environment::scratchDir() + "/played.raw";
}

std::string fileCapture(const std::string &dir)
{
    return "pcm.!default {\n"
           "    type file\n"
           "    slave.pcm \"null\"\n"
           "    file \"" + dir + "/played.raw\"\n"
           "    format \"raw\"\n"
           "}\n";
}

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new playback::Environment(fileCapture));

// Never a played value: shows up in the capture only if a playback reads
// beyond the samples it was given.
constexpr short kSentinel = 31111;

// Distinct non-zero values, positive at even indices and negative at odd
// ones, so that playing the wrong half of the samples cannot go unnoticed;
// kSentinel from numSamples on.
std::vector<short> knownSound(int bufferSize, int numSamples)
{
    std::vector<short> values(bufferSize, kSentinel);
    for (int i = 0; i < std::min(bufferSize, numSamples); ++i)
        values[i] = static_cast<short>(i % 2 == 0 ? i + 1 : -(i + 1));
    return values;
}

// Reads and removes the capture file.
std::vector<short> takeCapture()
{
    std::ifstream in(captureFile(), std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    in.close();
    std::filesystem::remove(captureFile());
    std::vector<short> values(bytes.size() / 2);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<short>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return values;
}

// The capture must hold leading silence, then frame i = (sound[2i], sound[2i])
// for every i with 2i < played, then only silence.
void expectEverySecondSampleOnBothChannels(const std::vector<short> &captured,
                                           const std::vector<short> &sound, int played)
{
    std::vector<short> expected;
    for (int i = 0; i < played; i += 2)
        expected.insert(expected.end(), {sound[i], sound[i]});

    const auto nonZero = [](short v) { return v != 0; };
    const auto first = std::find_if(captured.begin(), captured.end(), nonZero);
    ASSERT_NE(first, captured.end()) << "nothing but silence was captured";
    const auto start = static_cast<size_t>(first - captured.begin());
    ASSERT_EQ(start % 2, 0u) << "the first sound does not start a frame";
    ASSERT_GE(captured.size() - start, expected.size()) << "the capture ends inside the sound";

    const std::vector<short> data(first, first + expected.size());
    EXPECT_EQ(data, expected);
    const auto after = std::find_if(first + expected.size(), captured.end(), nonZero);
    EXPECT_EQ(after, captured.end())
        << "non-silence after the sound at sample " << (after - captured.begin()) << ": " << *after;
}

struct CaptureCase
{
    const char *name;
    int sampleRate;     // Hz
    int bufferSize;     // values in the buffer handed over
    int numSamples;     // values asked to be played
    double streamRate;  // sampleRate / 2, integer division
    int played;         // min(numSamples, bufferSize)
    int lastIndexRead;  // index of the last played even sample: played - 2 if even, - 1 if odd
};

void PrintTo(const CaptureCase &c, std::ostream *os)
{
    *os << c.name;
}

class PlaybackCapture : public ::testing::TestWithParam<CaptureCase>
{
};

TEST_P(PlaybackCapture, PlaysEverySecondSampleOnBothChannelsAtHalfTheRate)
{
    const CaptureCase &c = GetParam();
    const std::vector<short> values = knownSound(c.bufferSize, c.numSamples);
    AudioThread thread(c.sampleRate, c.numSamples,
                       std::make_shared<const std::vector<short>>(values));

    ASSERT_TRUE(playback::playToEnd(thread));
    ASSERT_TRUE(thread.streamOpened());
    EXPECT_EQ(thread.streamRate(), c.streamRate);
    EXPECT_EQ(thread.highestIndexRead(), c.lastIndexRead);
    expectEverySecondSampleOnBothChannels(takeCapture(), values, c.played);
}

INSTANTIATE_TEST_SUITE_P(
    Sounds, PlaybackCapture,
    ::testing::Values(
        // 400 samples = 0.05 s; 200 frames at 4000 Hz
        CaptureCase{"Rate8000", 8000, 400, 400, 4000.0, 400, 398},
        // 2205 samples = 0.05 s, an odd count: the last frame carries sample 2204
        CaptureCase{"Rate44100OddCount", 44100, 2205, 2205, 22050.0, 2205, 2204},
        // 11025 / 2 = 5512 (5512.5 truncated); 551 samples = 0.05 s
        CaptureCase{"OddRate11025", 11025, 551, 551, 5512.0, 551, 550},
        // a preview plays the first part of a longer work buffer; 401.. are sentinels
        CaptureCase{"PrefixOfLongerBuffer", 8000, 500, 401, 4000.0, 401, 400},
        // asked for more than the buffer holds: plays the buffer and stops there
        CaptureCase{"CountBeyondBuffer", 8000, 300, 1000, 4000.0, 300, 298}),
    [](const auto &info) { return std::string(info.param.name); });

// The requester lets go of its samples right after asking for them (the
// portion dialog closes, a window closes): the sound still plays intact.
constexpr int kHandOverRate = 8000;
constexpr int kHandOverCount = 400; // 0.05 s

struct HandOver
{
    const char *name;
    // Starts the playback of `sound`, then drops or spoils the caller's copy;
    // a shared buffer is left watched by `shared`.
    AudioThread *(*start)(const std::vector<short> &sound, std::weak_ptr<const void> &shared);
    bool sharesBuffer;
};

void PrintTo(const HandOver &c, std::ostream *os)
{
    *os << c.name;
}

class PlaybackOwnership : public ::testing::TestWithParam<HandOver>
{
};

TEST_P(PlaybackOwnership, PlaysCorrectDataAfterTheRequesterDroppedItsBuffer)
{
    const std::vector<short> values = knownSound(kHandOverCount, kHandOverCount);
    std::weak_ptr<const void> shared;

    AudioThread *thread = GetParam().start(values, shared);
    const bool aliveWhilePlaying = !shared.expired();
    ASSERT_TRUE(playback::waitForDeletion(thread));

    if (GetParam().sharesBuffer) {
        EXPECT_TRUE(aliveWhilePlaying) << "the playback did not keep the samples alive";
        EXPECT_TRUE(shared.expired()) << "the samples outlived their playback";
    }
    expectEverySecondSampleOnBothChannels(takeCapture(), values, kHandOverCount);
}

INSTANTIATE_TEST_SUITE_P(
    Requesters, PlaybackOwnership,
    ::testing::Values(
        HandOver{"SharedBufferDropped",
                 [](const std::vector<short> &sound, std::weak_ptr<const void> &shared) {
                     auto buffer = std::make_shared<const std::vector<short>>(sound);
                     shared = buffer;
                     AudioThread *thread =
                         playSamples(nullptr, kHandOverRate, int(sound.size()), buffer);
                     buffer.reset();
                     return thread;
                 },
                 true},
        HandOver{"RawBufferSpoiledAndFreed",
                 [](const std::vector<short> &sound, std::weak_ptr<const void> &) {
                     auto buffer = std::make_unique<std::vector<short>>(sound);
                     AudioThread *thread =
                         playSamples(nullptr, kHandOverRate, int(buffer->size()), buffer->data());
                     std::fill(buffer->begin(), buffer->end(), short(0));
                     buffer.reset();
                     return thread;
                 },
                 false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
