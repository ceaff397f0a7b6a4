// Damaged WAV files — corrupted header fields, absurd channel counts and
// rates, truncated data, garbage — must each end with exit status 0 or 2 and,
// for 2, a message: never a crash, a hang or a sanitizer report. The files are
// seeded mutations of two valid recordings; the seed of a failing case is
// printed so it can be replayed.

#include "ToolRunner.h"
#include "support/core/WavFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string &path, const Bytes &bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void putLE(Bytes &b, std::size_t at, std::uint32_t value, int size)
{
    for (int i = 0; i < size && at + std::size_t(i) < b.size(); ++i)
        b[at + std::size_t(i)] = static_cast<unsigned char>(value >> (8 * i));
}

// One mutation of a canonical 44-byte-header WAV, chosen by the generator.
Bytes mutate(Bytes b, std::mt19937 &rng)
{
    auto pick = [&rng](std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(rng); };
    const std::uint32_t absurd[] = {0, 1, 2, 3, 7, 255, 1024, 65535, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    switch (pick(7)) {
    case 0: // random header bytes
        for (int i = 0, n = 1 + int(pick(6)); i < n; ++i)
            b[pick(44)] = static_cast<unsigned char>(pick(256));
        break;
    case 1: // one header field set to an absurd value
    {
        const struct { std::size_t at; int size; } fields[] = {
            {4, 4}, {16, 4}, {20, 2}, {22, 2}, {24, 4}, {28, 4}, {32, 2}, {34, 2}, {40, 4}};
        const auto f = fields[pick(9)];
        putLE(b, f.at, absurd[pick(11)], f.size);
        break;
    }
    case 2: // truncated anywhere, header included
        b.resize(pick(std::uint32_t(b.size())));
        break;
    case 3: // garbage appended, data size claims more
        for (int i = 0; i < 1000; ++i)
            b.push_back(static_cast<unsigned char>(pick(256)));
        putLE(b, 40, absurd[pick(11)], 4);
        break;
    case 4: // float format tag on integer data, odd bit depths
        putLE(b, 20, pick(2) ? 3 : 0xFFFE, 2);
        putLE(b, 34, absurd[pick(11)], 2);
        break;
    case 5: // bytes flipped throughout
        for (int i = 0, n = 1 + int(pick(64)); i < n; ++i)
            b[pick(std::uint32_t(b.size()))] ^= static_cast<unsigned char>(1u << pick(8));
        break;
    default: // pure garbage with a RIFF/WAVE prefix
    {
        Bytes g = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
        for (int i = 0, n = int(pick(4000)); i < n; ++i)
            g.push_back(static_cast<unsigned char>(pick(256)));
        return g;
    }
    }
    return b;
}

TEST(DamagedInputs, EveryFileEndsWithAStatusAndAMessage)
{
    fixture::TempDir dir;
    const std::string mono = dir.file("mono.wav");
    const std::string stereo = dir.file("stereo.wav");
    const auto tone = fixture::harmonicTone(330.0, {6000, 2000, 800}, 22050, 6000);
    ASSERT_TRUE(fixture::writeWav(mono, tone, 1, 22050));
    ASSERT_TRUE(fixture::writeWav(stereo, tone, 2, 22050));
    const Bytes originals[] = {readBytes(mono), readBytes(stereo)};

    constexpr unsigned kSeed = 20261211;
    constexpr int kCases = 160;
    std::mt19937 rng(kSeed);
    for (int i = 0; i < kCases; ++i) {
        const std::string path = dir.file("damaged-" + std::to_string(i) + ".wav");
        writeBytes(path, mutate(originals[i % 2], rng));
        const ToolRun r = runAnalyze({"--quiet", "--synthesis", "-o", dir.file("out"), path}, dir.path());
        SCOPED_TRACE("seed " + std::to_string(kSeed) + ", case " + std::to_string(i));
        ASSERT_TRUE(r.status == 0 || r.status == 2) << "status " << r.status << "\n" << r.errors;
        if (r.status == 2) {
            EXPECT_NE(r.errors.find(path), std::string::npos) << r.errors;
        }
        EXPECT_EQ(r.errors.find("runtime error"), std::string::npos) << r.errors;
        EXPECT_EQ(r.errors.find("Sanitizer"), std::string::npos) << r.errors;
    }
}

} // namespace
