#include "sound/SoundFile.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

namespace sonvik {

namespace {

// Values per library call. The buffer grows with what the file really
// delivers, never with what a damaged header claims (a tiny file may claim a
// million frames of 1024 channels).
constexpr long long kChunkValues = 65536;

struct SndfileCloser {
    void operator()(SNDFILE *file) const { sf_close(file); }
};
using SndfileHandle = std::unique_ptr<SNDFILE, SndfileCloser>;

SoundFile failure(LoadStatus status, std::string message)
{
    SoundFile result;
    result.status = status;
    result.message = std::move(message);
    return result;
}

// Empty when the path names a readable regular file, else the system's error
// text. fopen succeeds on a directory here, so that case is checked explicitly.
std::string readProblem(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::strerror(errno);
    struct stat status {};
    const bool isDirectory = fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
    std::fclose(file);
    return isDirectory ? std::strerror(EISDIR) : std::string();
}

bool isFloatingPoint(int format)
{
    const int subtype = format & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

// Full scale +-1.0 to 16-bit units; lrint rounds half to even in the default mode.
short fromFullScale(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<short>(std::lrint(std::clamp(value * 32767.0, -32768.0, 32767.0)));
}

// Appends up to `frames` frames to `out`; returns the number delivered.
long long readFrames(SNDFILE *file, int channels, bool floatingPoint, long long frames,
                     std::vector<short> &out)
{
    const long long chunkFrames = std::max(1LL, kChunkValues / channels);
    std::vector<double> doubles;
    long long delivered = 0;
    while (delivered < frames) {
        const long long wanted = std::min(chunkFrames, frames - delivered);
        const std::size_t oldSize = out.size();
        sf_count_t got = 0;
        if (floatingPoint) {
            doubles.resize(static_cast<std::size_t>(wanted * channels));
            got = sf_readf_double(file, doubles.data(), wanted);
            const auto end = doubles.begin() + static_cast<std::ptrdiff_t>(std::max<sf_count_t>(got, 0) * channels);
            std::transform(doubles.begin(), end, std::back_inserter(out), fromFullScale);
        } else {
            out.resize(oldSize + static_cast<std::size_t>(wanted * channels));
            got = sf_readf_short(file, out.data() + oldSize, wanted);
            out.resize(oldSize + static_cast<std::size_t>(std::max<sf_count_t>(got, 0) * channels));
        }
        if (got <= 0)
            break;
        delivered += got;
        if (got < wanted)
            break;
    }
    return delivered;
}

SoundFile loadChecked(const std::string &path, int maxFrames)
{
    const std::string problem = readProblem(path);
    if (!problem.empty())
        return failure(LoadStatus::CannotRead, "Cannot read " + path + ": " + problem);

    SF_INFO sfInfo{};
    SndfileHandle file(sf_open(path.c_str(), SFM_READ, &sfInfo));
    if (!file)
        return failure(LoadStatus::CannotDecode,
                       "Cannot open " + path + " as sound: " + sf_strerror(nullptr));

    SoundFile result;
    result.info.frames = sfInfo.frames;
    result.info.samplerate = sfInfo.samplerate;
    result.info.channels = sfInfo.channels;
    result.info.format = sfInfo.format;
    result.info.sections = sfInfo.sections;
    result.info.seekable = sfInfo.seekable;

    // Everything downstream divides by both.
    if (sfInfo.samplerate <= 0 || sfInfo.channels <= 0) {
        result.status = LoadStatus::CannotDecode;
        result.message = "Cannot use " + path + ": sample rate " + std::to_string(sfInfo.samplerate)
                         + " Hz, " + std::to_string(sfInfo.channels) + " channels";
        return result;
    }
    // The second bound keeps frames * channels within an int for any limit.
    if (sfInfo.frames > maxFrames || sfInfo.frames > INT_MAX / sfInfo.channels) {
        result.status = LoadStatus::TooManyFrames;
        result.message = path + " has " + std::to_string(sfInfo.frames)
                         + " frames, too many: at most " + std::to_string(maxFrames) + " are allowed";
        return result;
    }

    result.readcount = static_cast<int>(readFrames(file.get(), sfInfo.channels,
                                                   isFloatingPoint(sfInfo.format), sfInfo.frames,
                                                   result.rawSamples));
    file.reset();
    if (result.readcount == 0) {
        result.status = LoadStatus::NoFrames;
        result.message = path + " holds no sound: no sample frames could be read";
        return result;
    }
    result.status = LoadStatus::Ok;
    return result;
}

} // namespace

SoundFile SoundFile::load(const std::string &path, int maxFrames)
{
    try {
        return loadChecked(path, maxFrames);
    } catch (const std::bad_alloc &) {
        return failure(LoadStatus::CannotRead, "Cannot read " + path + ": " + std::strerror(ENOMEM));
    }
}

} // namespace sonvik
