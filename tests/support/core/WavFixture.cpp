#include "support/core/WavFixture.h"

#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fixture {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "sonvik-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

namespace {

SNDFILE *openForWrite(const std::string &path, int channels, int sampleRate, int format)
{
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = format ? format : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    return sf_open(path.c_str(), SFM_WRITE, &info);
}

} // namespace

bool writeWav(const std::string &path, const std::vector<short> &interleaved, int channels,
              int sampleRate, int format)
{
    SNDFILE *file = openForWrite(path, channels, sampleRate, format);
    if (!file)
        return false;
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
    const bool ok = sf_writef_short(file, interleaved.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

bool writeWavDoubles(const std::string &path, const std::vector<double> &interleaved, int channels,
                     int sampleRate, int format)
{
    SNDFILE *file = openForWrite(path, channels, sampleRate, format);
    if (!file)
        return false;
    // Keep the values exactly as given (no normalisation on write).
    sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
    const bool ok = sf_writef_double(file, interleaved.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

std::vector<short> harmonicTone(double f0, const std::vector<double> &amplitudes, int sampleRate,
                                int numSamples)
{
    std::vector<short> out(static_cast<std::size_t>(numSamples));
    for (int n = 0; n < numSamples; ++n) {
        double v = 0.0;
        for (std::size_t h = 0; h < amplitudes.size(); ++h)
            v += amplitudes[h] * std::cos(2.0 * M_PI * f0 * double(h + 1) * n / sampleRate);
        out[static_cast<std::size_t>(n)] = static_cast<short>(std::lrint(std::fmax(-32768.0, std::fmin(32767.0, v))));
    }
    return out;
}

} // namespace fixture
