#pragma once
// Shared by the playback tests: a private ALSA default device for the whole
// process, the application object that self-deleting playbacks belong to, and
// ways to wait for a playback without measuring time.

#include "audio/AudioThread.h"
#include "support/core/WavFixture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace playback {

// Writes $XDG_CONFIG_HOME/alsa/asoundrc into a scratch directory; the system's
// alsa.conf loads that file last, so its default PCM wins. ALSA reads it when
// PortAudio first initialises, hence this runs before every test of the
// executable.
class Environment : public ::testing::Environment
{
public:
    // Gives the default PCM definition for a scratch directory.
    using PcmDefinition = std::string (*)(const std::string &scratchDir);

    explicit Environment(PcmDefinition pcm) : pcm(pcm) {}

    void SetUp() override
    {
        scratch = std::make_unique<fixture::TempDir>();
        const std::string alsaDir = scratch->file("alsa");
        ASSERT_TRUE(std::filesystem::create_directories(alsaDir));
        std::ofstream(alsaDir + "/asoundrc") << pcm(scratch->path());
        ASSERT_EQ(setenv("XDG_CONFIG_HOME", scratch->path().c_str(), 1), 0);
        static int argc = 1;
        static char name[] = "playback-test";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    void TearDown() override
    {
        app.reset();
        scratch.reset();
    }

    static const std::string &scratchDir() { return scratch->path(); }

private:
    PcmDefinition pcm;
    std::unique_ptr<QCoreApplication> app;
    static inline std::unique_ptr<fixture::TempDir> scratch;
};

// Runs `thread` to its end; returns the value of ended(), false if it never came.
inline bool playToEnd(AudioThread &thread)
{
    bool endedWith = false; // written by the playback thread, read after wait()
    QObject::connect(&thread, &AudioThread::ended, [&endedWith](bool ok) { endedWith = ok; });
    thread.start();
    thread.wait();
    return endedWith;
}

// Runs the event loop until `object`, which must still exist, has been deleted. The guard only keeps a
// broken playback from hanging the suite; it measures nothing.
inline bool waitForDeletion(QObject *object)
{
    constexpr int kHangGuardMs = 60000;
    QEventLoop loop;
    QObject::connect(object, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(kHangGuardMs, &loop, &QEventLoop::quit);
    QPointer<QObject> watched(object);
    loop.exec();
    return watched.isNull();
}

} // namespace playback
