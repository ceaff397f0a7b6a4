// Number formatting and CSV export speed: formatG at the two precisions the
// program uses against snprintf("%.6g"), and the matrix writer on a matrix of the
// size of a long analysis (220 harmonics x 2267 frames, about 500k values).

#include "export/CsvWriter.h"
#include "export/NumberFormat.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// Amplitudes, deviations and measures span many decades and both signs.
std::vector<double> measureLikeValues(std::size_t count)
{
    std::mt19937_64 rng(42);
    std::lognormal_distribution<double> magnitude(0.0, 6.0);
    std::vector<double> values(count);
    for (double &v : values)
        v = (rng() % 2 ? 1 : -1) * magnitude(rng);
    return values;
}

const std::vector<double> &sampleValues()
{
    static const std::vector<double> values = measureLikeValues(1 << 16);
    return values;
}

void BM_FormatG(benchmark::State &state)
{
    const int precision = static_cast<int>(state.range(0));
    const std::vector<double> &values = sampleValues();
    char text[sonvik::kNumberRoom];
    for (auto _ : state) {
        for (double v : values) {
            char *end = sonvik::appendFormatG(text, v, precision);
            benchmark::DoNotOptimize(end);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_FormatG)->Arg(5)->Arg(6)->Arg(17);

void BM_Snprintf6g(benchmark::State &state)
{
    const std::vector<double> &values = sampleValues();
    char text[32];
    for (auto _ : state) {
        for (double v : values) {
            int length = std::snprintf(text, sizeof text, "%.6g", v);
            benchmark::DoNotOptimize(length);
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_Snprintf6g);

struct MatrixFixture {
    static constexpr int numRows = 220;
    static constexpr int numFrames = 2267;
    std::vector<double> data = measureLikeValues(static_cast<std::size_t>(numRows) * numFrames);
    std::vector<const double *> rows;
    MatrixFixture()
    {
        for (int h = 0; h < numRows; ++h)
            rows.push_back(data.data() + static_cast<std::size_t>(h) * numFrames);
    }
};

void BM_CsvMatrixToString(benchmark::State &state)
{
    const MatrixFixture matrix;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text;
        sonvik::CsvWriter writer(text);
        writer.writeMatrix(matrix.rows.data(), matrix.numRows, matrix.numFrames, 6);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * matrix.numRows * matrix.numFrames);
}
BENCHMARK(BM_CsvMatrixToString)->Unit(benchmark::kMillisecond);

void BM_CsvMatrixToFile(benchmark::State &state)
{
    const MatrixFixture matrix;
    std::FILE *file = std::tmpfile();
    if (!file) {
        state.SkipWithError("no temporary file");
        return;
    }
    long bytes = 0;
    for (auto _ : state) {
        std::rewind(file);
        sonvik::CsvWriter writer(file);
        if (!writer.writeMatrix(matrix.rows.data(), matrix.numRows, matrix.numFrames, 6))
            state.SkipWithError("write failed");
        bytes = std::ftell(file);
    }
    std::fclose(file);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * matrix.numRows * matrix.numFrames);
}
BENCHMARK(BM_CsvMatrixToFile)->Unit(benchmark::kMillisecond);

} // namespace
