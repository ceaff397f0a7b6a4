#pragma once
// The one reader that talks to libsndfile: opens a sound file, checks it, and
// delivers every frame as signed 16-bit values.
//
// Sample values: integer formats arrive as the library converts them to 16 bits
// (8-bit: (u - 128) * 256; 24/32-bit: the top 16 bits). Floating-point files
// (full scale = +-1.0) are read as doubles and scaled by 32767 so that a float
// recording keeps its level: v * 32767 clipped to -32768 .. 32767, rounded half
// to even, NaN gives 0.
//
// Not thread-safe while failing: libsndfile keeps the last open error globally.

#include <string>
#include <vector>

namespace sonvik {

// Files with more frames than this are refused (exactly this many load).
constexpr int kMaxFrames = 1000000;

enum class LoadStatus {
    Ok,
    CannotRead,     // missing, a directory, not readable: message holds the system's error text
    CannotDecode,   // the library cannot open it or its header is unusable
    TooManyFrames,  // more than the frame limit; nothing was read
    NoFrames,       // the file holds no sound (0 frames, or none could be read)
};

// The header fields the window shows as property rows, named as the library names them.
struct SoundInfo {
    long long frames = 0;  // sample frames per channel, as the header claims
    int samplerate = 0;    // Hz
    int channels = 0;
    int format = 0;        // libsndfile format code
    int sections = 0;
    int seekable = 0;
};

struct SoundFile {
    LoadStatus status = LoadStatus::CannotRead;
    std::string message;           // empty when status is Ok; otherwise names the file and the reason
    SoundInfo info;                // filled once the library has opened the file
    std::vector<short> rawSamples; // readcount * channels values; index = frame * channels + channel
    int readcount = 0;             // frames actually delivered (fewer than info.frames when truncated)

    // `path` is the file name as the system's bytes (on Linux the UTF-8 encoding),
    // so names outside Latin-1 open. Frames beyond `maxFrames` make the load fail
    // with TooManyFrames. Never throws.
    static SoundFile load(const std::string &path, int maxFrames = kMaxFrames);
};

} // namespace sonvik
