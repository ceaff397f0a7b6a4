// Playback when the default audio output cannot be opened, and playbacks that
// have nothing to play. ALSA's default PCM is pointed at a card that does not
// exist, so PortAudio initialises but finds no output device.

#include "PlaybackHarness.h"

#include <portaudio.h>

#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

namespace {

std::string missingCard(const std::string &)
{
    return "pcm.!default { type hw card 99 }\n";
}

[[maybe_unused]] const auto *const environment =
    ::testing::AddGlobalTestEnvironment(new playback::Environment(missingCard));

// Collects the debug traces of every thread while alive.
class TraceRecorder
{
public:
    TraceRecorder()
    {
        QMutexLocker locker(&mutex);
        recorded.clear();
        previous = qInstallMessageHandler(&TraceRecorder::record);
    }
    ~TraceRecorder() { qInstallMessageHandler(previous); }

    QStringList traces() const
    {
        QMutexLocker locker(&mutex);
        return recorded;
    }

private:
    static void record(QtMsgType, const QMessageLogContext &, const QString &message)
    {
        QMutexLocker locker(&mutex);
        recorded << message;
    }

    QtMessageHandler previous;
    static inline QMutex mutex;
    static inline QStringList recorded;
};

AudioThread::Buffer sound(int count)
{
    auto values = std::make_shared<std::vector<short>>(count);
    for (int i = 0; i < count; ++i)
        (*values)[i] = static_cast<short>(i + 1);
    return values;
}

TEST(PlaybackWithoutDevice, FailedOpenIsTracedAndThePlaybackStillEnds)
{
    TraceRecorder recorder;
    AudioThread thread(8000, 400, sound(400)); // 0.05 s

    EXPECT_TRUE(playback::playToEnd(thread));
    EXPECT_FALSE(thread.streamOpened());
    EXPECT_EQ(thread.streamRate(), 0.0);
    EXPECT_EQ(thread.highestIndexRead(), -1);
    // PortAudio finds no default output, so opening the stream is the first failure.
    const QStringList errors = recorder.traces().filter("PortAudio error:");
    ASSERT_FALSE(errors.isEmpty()) << recorder.traces().join('\n').toStdString();
    EXPECT_EQ(errors.first().toStdString(),
              std::string("PortAudio error: ") + Pa_GetErrorText(paDeviceUnavailable));
}

struct NothingToPlay
{
    const char *name;
    int sampleRate;
    int numSamples;
    AudioThread::Buffer samples;
};

void PrintTo(const NothingToPlay &c, std::ostream *os)
{
    *os << c.name;
}

class PlaybackOfNothing : public ::testing::TestWithParam<NothingToPlay>
{
};

// None of these reaches PortAudio: no stream, no error trace, an immediate end.
TEST_P(PlaybackOfNothing, EndsAtOnceWithoutTouchingTheDevice)
{
    const NothingToPlay &c = GetParam();
    TraceRecorder recorder;
    AudioThread thread(c.sampleRate, c.numSamples, c.samples);

    EXPECT_TRUE(playback::playToEnd(thread));
    EXPECT_FALSE(thread.streamOpened());
    EXPECT_EQ(thread.highestIndexRead(), -1);
    EXPECT_TRUE(recorder.traces().filter("PortAudio error:").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, PlaybackOfNothing,
    ::testing::Values(NothingToPlay{"NullBuffer", 44100, 100, nullptr},
                      NothingToPlay{"EmptyBuffer", 44100, 100, sound(0)},
                      NothingToPlay{"ZeroCount", 44100, 0, sound(100)},
                      NothingToPlay{"NegativeCount", 44100, -5, sound(100)},
                      NothingToPlay{"ZeroRate", 0, 100, sound(100)},
                      // 1 / 2 = 0: no stream rate at all
                      NothingToPlay{"RateOne", 1, 100, sound(100)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PlaybackWithoutDevice, RawPointerOverloadWithNullPlaysNothing)
{
    AudioThread thread(44100, 100, static_cast<const short *>(nullptr));
    EXPECT_TRUE(playback::playToEnd(thread));
    EXPECT_FALSE(thread.streamOpened());
}

// The requester (a dialog, a window) may be destroyed while its sound plays;
// the playback is not its child, ends normally and deletes itself.
TEST(PlaybackWithoutDevice, OutlivesItsRequesterAndDeletesItself)
{
    auto *requester = new QObject;
    QPointer<AudioThread> thread = playSamples(requester, 8000, 400, sound(400));
    delete requester;
    ASSERT_TRUE(thread) << "the playback went with its requester";
    EXPECT_TRUE(playback::waitForDeletion(thread));
}

// Two quick presses of Play, and a third: the playbacks overlap, each sets
// PortAudio up and tears it down on its own thread, and each deletes itself.
TEST(PlaybackWithoutDevice, OverlappingPlaybacksAllEnd)
{
    const AudioThread::Buffer shared = sound(400);
    std::vector<QPointer<AudioThread>> threads;
    for (int i = 0; i < 3; ++i)
        threads.emplace_back(playSamples(nullptr, 8000, 400, shared));
    for (const QPointer<AudioThread> &thread : threads) {
        if (thread) {
            EXPECT_TRUE(playback::waitForDeletion(thread));
        }
    }
}

} // namespace
