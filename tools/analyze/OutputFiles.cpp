#include "tools/analyze/OutputFiles.h"

#include "export/CsvWriter.h"

#include <sndfile.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

namespace analyze {

namespace {

bool failWith(std::string *error, const std::string &path, const std::string &reason)
{
    if (error)
        *error = path + ": " + reason;
    return false;
}

// Opens path for writing, runs `write`, closes; any failure names the path.
bool withFile(const std::string &path, std::string *error, const std::function<bool(std::FILE *)> &write)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return failWith(error, path, std::strerror(errno));
    errno = 0;
    const bool written = write(file);
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        return failWith(error, path, savedErrno ? std::strerror(savedErrno) : "write error");
    return true;
}

} // namespace

bool makeFolder(const std::string &path, std::string *error)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec)
        return failWith(error, path, ec.message());
    if (!std::filesystem::is_directory(path, ec))
        return failWith(error, path, "not a folder");
    return true;
}

bool removeTree(const std::string &path, std::string *error)
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    return !ec || failWith(error, path, ec.message());
}

bool writeText(const std::string &path, const std::string &text, std::string *error)
{
    return withFile(path, error, [&text](std::FILE *f) {
        return std::fwrite(text.data(), 1, text.size(), f) == text.size();
    });
}

bool writeMatrixCsv(const std::string &path, const double *const *rows, int numRows, int numFrames,
                    int precision, std::string *error)
{
    return withFile(path, error, [&](std::FILE *f) {
        return sonvik::CsvWriter(f).writeMatrix(rows, numRows, numFrames, precision);
    });
}

bool writeColumnCsv(const std::string &path, const double *values, int numFrames, int precision,
                    std::string *error)
{
    return withFile(path, error, [&](std::FILE *f) {
        return sonvik::CsvWriter(f).writeColumn(values, numFrames, precision);
    });
}

bool writeWav16(const std::string &path, const std::vector<short> &samples, int sampleRate,
                std::string *error)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return failWith(error, path, sf_strerror(nullptr));
    const sf_count_t count = static_cast<sf_count_t>(samples.size());
    const bool written = sf_write_short(file, samples.data(), count) == count;
    const bool closed = sf_close(file) == 0;
    if (!written || !closed)
        return failWith(error, path, "write error");
    return true;
}

} // namespace analyze
