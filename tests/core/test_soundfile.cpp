// Loading sound files: every kind of bad input gets a status and a message
// naming the reason; sample values arrive as 16-bit by the documented rules.

#include "sound/SoundFile.h"
#include "support/core/WavFixture.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using sonvik::LoadStatus;
using sonvik::SoundFile;

namespace {

using Bytes = std::vector<unsigned char>;

void putLE(Bytes &bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A canonical 44-byte WAV header followed by `data`. `claimedData` is the data
// size the header states, so a header can lie about the file.
Bytes wavBytes(int formatTag, int channels, int sampleRate, int bits, const Bytes &data,
               std::uint32_t claimedData)
{
    const int blockAlign = channels * bits / 8;
    Bytes b = {'R', 'I', 'F', 'F'};
    putLE(b, 36 + claimedData, 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLE(b, 16, 4);
    putLE(b, static_cast<std::uint32_t>(formatTag), 2);
    putLE(b, static_cast<std::uint32_t>(channels), 2);
    putLE(b, static_cast<std::uint32_t>(sampleRate), 4);
    putLE(b, static_cast<std::uint32_t>(sampleRate * blockAlign), 4);
    putLE(b, static_cast<std::uint32_t>(blockAlign), 2);
    putLE(b, static_cast<std::uint32_t>(bits), 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    putLE(b, claimedData, 4);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

std::string writeBytes(const std::string &path, const Bytes &bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string writeShorts(const std::string &path, const std::vector<short> &values, int channels)
{
    EXPECT_TRUE(fixture::writeWav(path, values, channels, 44100)) << path;
    return path;
}

std::string writeDoubles(const std::string &path, const std::vector<double> &values, int subtype)
{
    EXPECT_TRUE(fixture::writeWavDoubles(path, values, 1, 44100, SF_FORMAT_WAV | subtype)) << path;
    return path;
}

std::vector<short> ramp(int count)
{
    std::vector<short> values(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        values[static_cast<std::size_t>(i)] = static_cast<short>(i % 30000 - 15000);
    return values;
}

struct LoadCase {
    const char *name;
    std::function<std::string(const fixture::TempDir &)> make;  // writes the file, returns its path
    LoadStatus status;
    const char *reason;           // must appear in the message (failures only)
    int channels;                 // checked when the load succeeds
    int readcount;
    std::vector<short> leading;   // expected first raw samples
};

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const std::vector<LoadCase> &loadCases()
{
    static const std::vector<LoadCase> cases = {
        {"text renamed .wav",
         [](const fixture::TempDir &d) { return writeBytes(d.file("notes.wav"), {'h', 'e', 'l', 'l', 'o', '\n'}); },
         LoadStatus::CannotDecode, "Format not recognised", 0, 0, {}},
        {"missing file",
         [](const fixture::TempDir &d) { return d.file("absent.wav"); },
         LoadStatus::CannotRead, "No such file or directory", 0, 0, {}},
        {"directory named like a sound",
         [](const fixture::TempDir &d) {
             std::filesystem::create_directory(d.file("x.wav"));
             return d.file("x.wav");
         },
         LoadStatus::CannotRead, "Is a directory", 0, 0, {}},
        {"zero frames",
         [](const fixture::TempDir &d) { return writeShorts(d.file("empty.wav"), {}, 1); },
         LoadStatus::NoFrames, "no sound", 0, 0, {}},
        {"one frame",
         [](const fixture::TempDir &d) { return writeShorts(d.file("one.wav"), {-1234}, 1); },
         LoadStatus::Ok, "", 1, 1, {-1234}},
        // 1000 frames written, the file cut after 100 frames and half a sample.
        {"truncated data",
         [](const fixture::TempDir &d) {
             const std::string path = writeShorts(d.file("cut.wav"), ramp(1000), 1);
             const auto header = std::filesystem::file_size(path) - 2000;
             std::filesystem::resize_file(path, header + 201);
             return path;
         },
         LoadStatus::Ok, "", 1, 100, std::vector<short>(ramp(100))},
        {"exactly the frame limit",
         [](const fixture::TempDir &d) { return writeShorts(d.file("limit.wav"), ramp(1000000), 1); },
         LoadStatus::Ok, "", 1, 1000000, {-15000, -14999}},
        {"one frame over the limit",
         [](const fixture::TempDir &d) { return writeShorts(d.file("over.wav"), ramp(1000001), 1); },
         LoadStatus::TooManyFrames, "too many", 0, 0, {}},
        // Header claims 1,000,000 frames of 1024 channels; 4096 bytes are present,
        // which is 2 frames of 1024 16-bit values.
        {"header claims far more than the file holds",
         [](const fixture::TempDir &d) {
             return writeBytes(d.file("claims.wav"), wavBytes(1, 1024, 8000, 16, Bytes(4096, 0), 2048000000u));
         },
         LoadStatus::Ok, "", 1024, 2, {0, 0}},
        // Unsigned 8-bit: (u - 128) * 256.
        {"8-bit",
         [](const fixture::TempDir &d) {
             return writeBytes(d.file("u8.wav"), wavBytes(1, 1, 8000, 8, {0, 128, 255, 129, 127}, 5));
         },
         LoadStatus::Ok, "", 1, 5, {-32768, 0, 32512, 256, -256}},
        // 24-bit little endian, top 16 bits: 7fffff, 800000, 000100, 0001ff, ffffff, 0000ff.
        {"24-bit",
         [](const fixture::TempDir &d) {
             return writeBytes(d.file("p24.wav"),
                               wavBytes(1, 1, 8000, 24,
                                        {0xff, 0xff, 0x7f, 0x00, 0x00, 0x80, 0x00, 0x01, 0x00,
                                         0xff, 0x01, 0x00, 0xff, 0xff, 0xff, 0xff, 0x00, 0x00},
                                        18));
         },
         LoadStatus::Ok, "", 1, 6, {32767, -32768, 1, 1, -1, 0}},
        // v * 32767: 0.5 -> 16383.5 -> 16384 (even); 0.25 -> 8191.75 -> 8192;
        // +-1 -> +-32767; beyond full scale and +-inf clip; NaN -> 0.
        {"32-bit float",
         [](const fixture::TempDir &d) {
             return writeDoubles(d.file("float.wav"),
                                 {0.5, -0.5, 0.25, 1.0, -1.0, 2.0, -2.0, kInf, -kInf, kNaN}, SF_FORMAT_FLOAT);
         },
         LoadStatus::Ok, "", 1, 10, {16384, -16384, 8192, 32767, -32767, 32767, -32768, 32767, -32768, 0}},
        // k / 32767 scales back to exactly k in double for these k, so the ties
        // show the rounding: 2.5 -> 2, 3.5 -> 4, -2.5 -> -2 (half away would give 3, -3).
        {"64-bit float ties round to even",
         [](const fixture::TempDir &d) {
             return writeDoubles(d.file("double.wav"), {2.5 / 32767.0, 3.5 / 32767.0, -2.5 / 32767.0},
                                 SF_FORMAT_DOUBLE);
         },
         LoadStatus::Ok, "", 1, 3, {2, 4, -2}},
        // Frame f, channel c holds 100 f + c.
        {"six channels",
         [](const fixture::TempDir &d) {
             std::vector<short> values;
             for (int f = 0; f < 3; ++f)
                 for (int c = 0; c < 6; ++c)
                     values.push_back(static_cast<short>(100 * f + c));
             return writeShorts(d.file("six.wav"), values, 6);
         },
         LoadStatus::Ok, "", 6, 3, {0, 1, 2, 3, 4, 5, 100, 101, 102, 103, 104, 105, 200, 201, 202, 203, 204, 205}},
        {"name outside Latin-1",
         [](const fixture::TempDir &d) { return writeShorts(d.file("tön-日本.wav"), {7, 8, 9}, 1); },
         LoadStatus::Ok, "", 1, 3, {7, 8, 9}},
    };
    return cases;
}

TEST(SoundFile, LoadsOrNamesTheReason)
{
    for (const LoadCase &c : loadCases()) {
        SCOPED_TRACE(c.name);
        fixture::TempDir dir;
        const std::string path = c.make(dir);
        const SoundFile sound = SoundFile::load(path);

        EXPECT_EQ(sound.status, c.status) << sound.message;
        if (c.status != LoadStatus::Ok) {
            EXPECT_NE(sound.message.find(c.reason), std::string::npos) << sound.message;
            EXPECT_NE(sound.message.find(path), std::string::npos) << sound.message;
            EXPECT_TRUE(sound.rawSamples.empty());
            continue;
        }
        EXPECT_EQ(sound.message, "");
        EXPECT_EQ(sound.info.channels, c.channels);
        EXPECT_EQ(sound.readcount, c.readcount);
        ASSERT_EQ(sound.rawSamples.size(), static_cast<std::size_t>(c.readcount) * c.channels);
        const std::vector<short> leading(sound.rawSamples.begin(),
                                         sound.rawSamples.begin() + static_cast<std::ptrdiff_t>(c.leading.size()));
        EXPECT_EQ(leading, c.leading);
    }
}

TEST(SoundFile, ReportsTheHeaderFields)
{
    fixture::TempDir dir;
    const std::string path = dir.file("stereo.wav");
    ASSERT_TRUE(fixture::writeWav(path, {1, 2, 3, 4, 5, 6, 7, 8}, 2, 22050,
                                  SF_FORMAT_WAV | SF_FORMAT_PCM_24));
    const SoundFile sound = SoundFile::load(path);

    ASSERT_EQ(sound.status, LoadStatus::Ok) << sound.message;
    EXPECT_EQ(sound.info.frames, 4);
    EXPECT_EQ(sound.info.samplerate, 22050);
    EXPECT_EQ(sound.info.channels, 2);
    EXPECT_EQ(sound.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(sound.info.sections, 1);
    EXPECT_EQ(sound.info.seekable, 1);
    EXPECT_EQ(sound.rawSamples, (std::vector<short>{1, 2, 3, 4, 5, 6, 7, 8}));
}

} // namespace
