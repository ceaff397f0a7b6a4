#pragma once
// Test fixtures written at test time: small WAV files and a scratch folder.

#include <string>
#include <vector>

namespace fixture {

// A fresh directory under the system temp dir, removed with its content on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes interleaved 16-bit frames; `format` is a libsndfile format code
// (default: 16-bit PCM WAV). Returns false when libsndfile refuses.
bool writeWav(const std::string &path, const std::vector<short> &interleaved, int channels,
              int sampleRate, int format = 0);

// Writes interleaved doubles (e.g. for FLOAT/DOUBLE or 24-bit files).
bool writeWavDoubles(const std::string &path, const std::vector<double> &interleaved, int channels,
                     int sampleRate, int format);

// Mono tone: sum of harmonics k*f0 with the given peak amplitudes (16-bit units).
std::vector<short> harmonicTone(double f0, const std::vector<double> &amplitudes, int sampleRate,
                                int numSamples);

} // namespace fixture
