#include "audio/AudioThread.h"

#include <portaudio.h>

#include <QCoreApplication>
#include <QDebug>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

constexpr int kChannels = 2;
constexpr unsigned long kFramesPerBuffer = 128;

// PortAudio gives no thread-safety guarantee, and overlapping playbacks set up
// and tear down their streams from different threads.
std::mutex &portAudioMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Traces a failed call; the playback goes on regardless.
bool succeeded(PaError error)
{
    if (error == paNoError)
        return true;
    qDebug() << "PortAudio error:" << Pa_GetErrorText(error);
    return false;
}

AudioThread::Buffer copyOf(const short *sound, int count)
{
    if (!sound || count <= 0)
        return nullptr;
    return std::make_shared<const std::vector<short>>(sound, sound + count);
}

} // namespace

AudioThread::AudioThread(int sampleRate, int numSamples, Buffer sound, QObject *parent)
    : QThread(parent), samples(nullptr), position(0), sampleRate(sampleRate), numSamples(0),
      duration(0.0f), buffer(std::move(sound))
{
    if (!buffer || numSamples <= 0 || sampleRate / 2 < 1)
        return;
    this->numSamples = static_cast<int>(std::min<size_t>(numSamples, buffer->size()));
    if (this->numSamples == 0)
        return;
    samples = buffer->data();
    duration = static_cast<float>(this->numSamples) / static_cast<float>(sampleRate);
}

AudioThread::AudioThread(int sampleRate, int numSamples, const short *sound, QObject *parent)
    : AudioThread(sampleRate, numSamples, copyOf(sound, numSamples), parent)
{
}

AudioThread::~AudioThread()
{
    wait();
}

void AudioThread::run()
{
    qDebug() << "AudioThread: playing" << numSamples << "samples at" << sampleRate << "Hz";
    position = 0;
    opened = false;
    reportedRate = 0.0;
    lastIndexRead = -1;
    if (numSamples == 0) {
        emit ended(true);
        return;
    }

    PaStream *stream = nullptr;
    bool initialised;
    {
        std::lock_guard<std::mutex> lock(portAudioMutex());
        initialised = succeeded(Pa_Initialize());
        opened = succeeded(Pa_OpenDefaultStream(&stream, 0, kChannels, paInt16, sampleRate / 2,
                                                kFramesPerBuffer, audioCallback, this));
        if (opened) {
            if (const PaStreamInfo *info = Pa_GetStreamInfo(stream))
                reportedRate = info->sampleRate;
            succeeded(Pa_StartStream(stream));
        }
    }

    // Without a device the wait still happens: the caller sees the same
    // timing whether or not anything could be heard.
    Pa_Sleep(static_cast<long>(std::trunc(1000.0 * duration)));

    {
        std::lock_guard<std::mutex> lock(portAudioMutex());
        if (opened) {
            succeeded(Pa_StopStream(stream));
            succeeded(Pa_CloseStream(stream));
        }
        if (initialised)
            succeeded(Pa_Terminate());
    }
    emit ended(true);
}

int AudioThread::audioCallback(const void *, void *output, unsigned long frameCount,
                               const PaStreamCallbackTimeInfo *, unsigned long, void *userData)
{
    auto *self = static_cast<AudioThread *>(userData);
    auto *out = static_cast<short *>(output);
    const int framesWithData = (self->numSamples + 1) / 2;
    const unsigned long remaining =
        static_cast<unsigned long>(std::max(framesWithData - self->position, 0));
    const unsigned long filled = std::min(frameCount, remaining);

    for (unsigned long i = 0; i < filled; ++i) {
        const int index = 2 * self->position;
        out[kChannels * i] = out[kChannels * i + 1] = self->samples[index];
        self->lastIndexRead = index;
        ++self->position;
    }
    std::fill(out + kChannels * filled, out + kChannels * frameCount, short(0));
    return paContinue;
}

AudioThread *playSamples(QObject *, int sampleRate, int numSamples, AudioThread::Buffer samples)
{
    auto *thread = new AudioThread(sampleRate, numSamples, std::move(samples),
                                   QCoreApplication::instance());
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::TimeCriticalPriority);
    return thread;
}

AudioThread *playSamples(QObject *parent, int sampleRate, int numSamples, const short *samples)
{
    return playSamples(parent, sampleRate, numSamples, copyOf(samples, numSamples));
}
