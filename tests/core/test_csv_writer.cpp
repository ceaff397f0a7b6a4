// CSV export: exact bytes of small files, buffering across many blocks, and
// reporting of write errors.

#include "export/CsvWriter.h"
#include "export/NumberFormat.h"
#include "support/core/WavFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using sonvik::CsvWriter;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes through a FILE* and returns the file's bytes.
template <class Write>
std::string viaFile(const Write &write)
{
    fixture::TempDir dir;
    const std::string path = dir.file("out.csv");
    std::FILE *file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (!file)
        return {};
    CsvWriter writer(file);
    EXPECT_TRUE(write(writer));
    std::fclose(file);
    return readFile(path);
}

template <class Write>
std::string viaString(const Write &write)
{
    std::string text;
    CsvWriter writer(text);
    EXPECT_TRUE(write(writer));
    return text;
}

// Two harmonics over three frames; line j is "rows[0][j],rows[1][j]".
const double kHarmonic1[] = {1234.5678, kNaN, -0.0};
const double kHarmonic2[] = {0.000123457, -kInf, 2.5};
const double *const kRows[] = {kHarmonic1, kHarmonic2};

TEST(CsvWriter, MatrixFileBytes)
{
    struct Case {
        int precision;
        const char *expected;
    };
    // 'g' formatting by hand: 1234.5678 keeps 5 or 6 digits, 0.000123457 has
    // exponent -4 so it stays decimal (12345|7 rounds up at 5 digits), -0.0 is "0".
    const Case cases[] = {
        {5, "1234.6,0.00012346\nnan,-inf\n0,2.5\n"},
        {6, "1234.57,0.000123457\nnan,-inf\n0,2.5\n"},
    };
    for (const Case &c : cases) {
        auto write = [&c](CsvWriter &writer) { return writer.writeMatrix(kRows, 2, 3, c.precision); };
        EXPECT_EQ(viaFile(write), c.expected);
        EXPECT_EQ(viaString(write), c.expected);
    }
}

TEST(CsvWriter, ColumnFileBytes)
{
    const double values[] = {1234.5678, -0.0, 0.00001, kNaN, 1e6};
    auto write = [&values](CsvWriter &writer) { return writer.writeColumn(values, 5, 6); };
    const char *expected = "1234.57\n0\n1e-05\nnan\n1e+06\n";
    EXPECT_EQ(viaFile(write), expected);
    EXPECT_EQ(viaString(write), expected);
}

TEST(CsvWriter, EmptyShapes)
{
    struct Case {
        int numRows;
        int numFrames;
        const char *expected;
    };
    const Case cases[] = {
        {0, 4, "\n\n\n\n"}, // no harmonic: one empty line per frame
        {2, 0, ""},         // no frame: empty file
        {0, 0, ""},
    };
    for (const Case &c : cases) {
        auto write = [&c](CsvWriter &writer) { return writer.writeMatrix(kRows, c.numRows, c.numFrames, 6); };
        EXPECT_EQ(viaFile(write), c.expected);
        EXPECT_EQ(viaString(write), c.expected);
    }
}

TEST(CsvWriter, RejectsImpossibleSizesWithoutWriting)
{
    struct Case {
        const double *const *rows;
        int numRows;
        int numFrames;
    };
    const Case cases[] = {{kRows, -1, 3}, {kRows, 2, -1}, {nullptr, 2, 3}};
    for (const Case &c : cases) {
        std::string text = "kept";
        CsvWriter writer(text);
        EXPECT_FALSE(writer.writeMatrix(c.rows, c.numRows, c.numFrames, 6));
        EXPECT_EQ(text, "kept");
    }
    std::string text;
    CsvWriter writer(text);
    EXPECT_FALSE(writer.writeColumn(nullptr, 3, 6));
    EXPECT_EQ(text, "");
}

// A matrix of the size of a long analysis, written in many buffer blocks, must give
// the same bytes as joining the formatted numbers one by one.
TEST(CsvWriter, LargeMatrixMatchesFieldByFieldJoin)
{
    const int numRows = 220;
    const int numFrames = 2267;
    std::mt19937_64 rng(7);
    std::lognormal_distribution<double> magnitude(0.0, 6.0);
    std::vector<std::vector<double>> data(numRows, std::vector<double>(numFrames));
    std::vector<const double *> rows;
    for (auto &row : data) {
        for (double &v : row)
            v = (rng() % 2 ? 1 : -1) * magnitude(rng);
        rows.push_back(row.data());
    }
    std::string expected;
    for (int j = 0; j < numFrames; ++j) {
        for (int h = 0; h < numRows; ++h)
            expected += (h ? "," : "") + sonvik::formatG(data[h][j], 6);
        expected += '\n';
    }
    auto write = [&](CsvWriter &writer) { return writer.writeMatrix(rows.data(), numRows, numFrames, 6); };
    const std::string actual = viaFile(write);
    ASSERT_GT(expected.size(), 1000000u); // well beyond one 64 KiB block
    EXPECT_TRUE(actual == expected) << "file of " << actual.size() << " bytes, expected " << expected.size();
}

TEST(CsvWriter, ReportsWriteErrors)
{
    // /dev/full accepts the open and fails every write with ENOSPC; a stream opened
    // for reading refuses writes. A small file fails at the flush, a large one at
    // the block write.
    fixture::TempDir dir;
    const std::string readOnlyPath = dir.file("existing.csv");
    std::fclose(std::fopen(readOnlyPath.c_str(), "wb"));
    std::vector<double> longColumn(100000, 1.0 / 3.0);
    struct Case {
        const char *path;
        const char *mode;
        int numFrames;
    };
    const Case cases[] = {
        {"/dev/full", "wb", 3},
        {"/dev/full", "wb", 100000},
        {readOnlyPath.c_str(), "rb", 3},
        {readOnlyPath.c_str(), "rb", 100000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << " " << c.numFrames << " lines");
        std::FILE *file = std::fopen(c.path, c.mode);
        ASSERT_NE(file, nullptr);
        CsvWriter writer(file);
        EXPECT_FALSE(writer.writeColumn(longColumn.data(), c.numFrames, 6));
        std::fclose(file);
    }
}

} // namespace
