#pragma once
// Plays signed 16-bit mono sound on the default audio output, in a thread of
// its own, so that the user interface never waits for it.
//
// Output format: PortAudio default output stream, two channels of interleaved
// paInt16, 128 frames per buffer, stream rate sampleRate / 2 (integer
// division). Output frame i carries samples[2 i] on both channels, so the
// sound keeps its pitch and duration at half the rate. After the last sample
// the stream carries silence until it is stopped; no sample at or beyond
// numSamples is ever read.
//
// Ownership: a playback shares ownership of the buffer it plays, so whoever
// asked for it (a closing dialog, a closing window) may drop its own reference
// at once. Several playbacks may run at the same time; each one initialises
// and terminates PortAudio under a process-wide lock.
//
// Failures (no audio device, any PortAudio error) only produce debug traces
// "PortAudio error: <text>"; the thread still waits for the sound's duration
// and ends normally with ended(true).

#include <QThread>

#include <memory>
#include <vector>

struct PaStreamCallbackTimeInfo;

class AudioThread : public QThread
{
    Q_OBJECT

public:
    // Read-only sound shared between its producer and its playbacks.
    using Buffer = std::shared_ptr<const std::vector<short>>;

    // Plays the first numSamples values of `sound` (clamped to its size) at
    // sampleRate Hz. A null or empty buffer, a count <= 0 or a rate below 2 Hz
    // (no stream rate) plays nothing and ends at once.
    AudioThread(int sampleRate, int numSamples, Buffer sound, QObject *parent = nullptr);
    // Same, from a copy of numSamples values at `sound` (null: nothing).
    AudioThread(int sampleRate, int numSamples, const short *sound, QObject *parent = nullptr);
    // Waits for a running playback, so that deleting a parent can never
    // destroy a thread that still plays.
    ~AudioThread() override;

    // What the last run saw; read them after ended() or wait().
    bool streamOpened() const { return opened; }
    // Rate PortAudio reported for the opened stream in Hz; 0 when none opened.
    double streamRate() const { return reportedRate; }
    // Highest index into the sound read by the stream callback; -1 if none.
    int highestIndexRead() const { return lastIndexRead; }

signals:
    void ended(bool);

protected:
    void run() override;

private:
    static int audioCallback(const void *input, void *output, unsigned long frameCount,
                             const PaStreamCallbackTimeInfo *timeInfo, unsigned long statusFlags,
                             void *userData);

    const short *samples; // start of `buffer`'s data; null when nothing is played
    int position;         // next output frame; touched only by the callback while playing
    int sampleRate;       // Hz
    int numSamples;       // samples played, <= buffer->size()
    float duration;       // numSamples / sampleRate, seconds
    Buffer buffer;        // keeps `samples` alive for this playback's whole life
    bool opened = false;
    double reportedRate = 0.0;
    int lastIndexRead = -1;
};

// Starts a self-deleting playback and returns at once. `parent` names the
// requester only: the thread is owned by the application object, not by the
// requester, so the sound plays to its end even when the requester goes away
// (the application waits for running playbacks when it is destroyed). Call it
// from the application's main thread. The returned thread is deleted once it
// has finished and the event loop has run.
AudioThread *playSamples(QObject *parent, int sampleRate, int numSamples, AudioThread::Buffer samples);
// Same, playing a private copy of numSamples values at `samples`.
AudioThread *playSamples(QObject *parent, int sampleRate, int numSamples, const short *samples);
