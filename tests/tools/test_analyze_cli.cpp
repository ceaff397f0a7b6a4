// The batch tool's contract: options, exit statuses, the files it writes and
// the portion it chooses.

#include "ToolRunner.h"
#include "support/core/WavFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int countLines(const std::string &text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The value of an integer field of summary.json, e.g. "numFrames": 438.
long jsonInt(const std::string &json, const std::string &key, std::size_t from = 0)
{
    const std::size_t at = json.find("\"" + key + "\": ", from);
    if (at == std::string::npos)
        return -1;
    return std::stol(json.substr(at + key.size() + 4));
}

class AnalyzeCli : public ::testing::Test {
protected:
    fixture::TempDir dir;
    std::string out() const { return dir.file("out"); }

    // 1 s of a 440 Hz tone with three harmonics at 44100 Hz.
    std::string tone440(const std::string &name = "tone.wav")
    {
        const std::string path = dir.file(name);
        EXPECT_TRUE(fixture::writeWav(path, fixture::harmonicTone(440.0, {8000, 3000, 1000}, 44100, 44100), 1, 44100));
        return path;
    }
    ToolRun run(std::vector<std::string> args) { return runAnalyze(args, dir.path()); }
};

TEST_F(AnalyzeCli, UsageErrorsExitWithOne)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--bogus", "x.wav"},
        {"--window-size", "1000", "x.wav"},
        {"--window-function", "kaiser", "x.wav"},
        {"--window-function", "6", "x.wav"},
        {"--start", "abc", "x.wav"},
        {"--channel", "middle", "x.wav"},
        {"--quiet=yes", "x.wav"},
        {"-o"},
    };
    for (const auto &args : cases) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.status, 1) << (args.empty() ? "(no arguments)" : args[0]);
        EXPECT_NE(r.errors.find("sonvik-analyze:"), std::string::npos);
    }
    EXPECT_EQ(run({"--help"}).status, 0);
    EXPECT_EQ(run({"--version"}).status, 0);
}

TEST_F(AnalyzeCli, DetectedToneWritesSummaryAndEveryCsv)
{
    const ToolRun r = run({"-o", out(), tone440()});
    ASSERT_EQ(r.status, 0) << r.errors;
    EXPECT_NE(r.errors.find("- Working on 440Hz."), std::string::npos);

    const std::string json = readFile(out() + "/tone/summary.json");
    EXPECT_NE(json.find("\"fundamentals\": [440, 0, 0, 0, 0]"), std::string::npos) << json;
    EXPECT_EQ(jsonInt(json, "portionSamples"), 44100);
    EXPECT_EQ(jsonInt(json, "frames"), 44100);
    // 44100 Hz, 440 Hz, 44100 samples: N 201, 50 harmonics, M 439, 438 frames.
    EXPECT_EQ(jsonInt(json, "slot"), 0);
    EXPECT_EQ(jsonInt(json, "frameLength"), 201);
    EXPECT_EQ(jsonInt(json, "numHarmonics"), 50);
    EXPECT_EQ(jsonInt(json, "numFrames"), 438);

    const struct { const char *file; int fieldsPerLine; } csvs[] = {
        {"amplitudes.csv", 50}, {"frequency-deviations.csv", 50}, {"damped-frequency-deviations.csv", 50},
        {"amplitude-differences.csv", 50}, {"frequency-differences.csv", 50}, {"inharmonicity.csv", 50},
        {"rms-amplitudes.csv", 1}, {"spectral-centroid.csv", 1}, {"spectral-irregularity.csv", 1},
    };
    for (const auto &csv : csvs) {
        const std::string text = readFile(out() + "/tone/f0-0/" + csv.file);
        EXPECT_EQ(countLines(text), 438) << csv.file;
        const std::string firstLine = text.substr(0, text.find('\n'));
        EXPECT_EQ(std::count(firstLine.begin(), firstLine.end(), ','), csv.fieldsPerLine - 1) << csv.file;
    }
    // Table exports use 5 significant digits: the fundamental's amplitude in a
    // middle frame reads close to 8000 with at most 5 digits.
    const std::string amps = readFile(out() + "/tone/f0-0/amplitudes.csv");
    std::istringstream lines(amps);
    std::string line;
    for (int j = 0; j <= 200; ++j)
        std::getline(lines, line);
    const std::string first = line.substr(0, line.find(','));
    EXPECT_LE(first.size(), 6u) << first;
    EXPECT_NEAR(std::stod(first), 8000.0, 80.0);
    EXPECT_FALSE(fs::exists(out() + "/tone/f0-0/resynthesis.wav"));
}

TEST_F(AnalyzeCli, TypedFundamentalsKeepTheirSlots)
{
    const ToolRun r = run({"-o", out(), "--fundamentals", "220,,330", "--synthesis", tone440()});
    ASSERT_EQ(r.status, 0) << r.errors;
    const std::string json = readFile(out() + "/tone/summary.json");
    EXPECT_NE(json.find("\"fundamentals\": [220, 0, 330, 0, 0]"), std::string::npos) << json;
    EXPECT_TRUE(fs::exists(out() + "/tone/f0-0/amplitudes.csv"));
    EXPECT_FALSE(fs::exists(out() + "/tone/f0-1"));
    EXPECT_TRUE(fs::exists(out() + "/tone/f0-2/amplitudes.csv"));
    // Resynthesis length: trunc(timeStep * numFrames * 44100) 16-bit samples
    // after a 44-byte header; 220 Hz: N 401, timeStep 401/88200, 2*109+1-1 = 218 frames.
    EXPECT_EQ(fs::file_size(out() + "/tone/f0-0/resynthesis.wav"), 44u + 2u * 43709u);

    // A later run with other fundamentals leaves no folder of the earlier one.
    ASSERT_EQ(run({"-o", out(), "--fundamentals", "330", tone440()}).status, 0);
    EXPECT_TRUE(fs::exists(out() + "/tone/f0-0/amplitudes.csv"));
    EXPECT_FALSE(fs::exists(out() + "/tone/f0-2"));
}

TEST_F(AnalyzeCli, InputsThatCannotBeAnalysedExitWithTwo)
{
    const std::string good = tone440("good.wav");
    const std::string text = dir.file("notes.wav");
    std::ofstream(text) << "not a sound";

    ToolRun r = run({"-o", out(), "--channel", "right", good});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.errors.find("good.wav"), std::string::npos);
    EXPECT_FALSE(fs::exists(out() + "/good/summary.json"));

    // The other files are still processed; the status is the highest met.
    r = run({"-o", out(), text, dir.file("missing.wav"), good});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.errors.find("notes.wav"), std::string::npos);
    EXPECT_NE(r.errors.find("missing.wav"), std::string::npos);
    EXPECT_FALSE(fs::exists(out() + "/notes/summary.json"));
    EXPECT_TRUE(fs::exists(out() + "/good/summary.json"));

    // Same stem twice: the second is refused.
    fs::create_directory(dir.file("other"));
    const std::string twin = dir.file("other/good.wav");
    fs::copy_file(good, twin);
    r = run({"-o", out(), "--quiet", good, twin});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.errors.find("other/good.wav"), std::string::npos);
}

TEST_F(AnalyzeCli, NothingAnalysedStillWritesTheSummary)
{
    // A typed 0 analyses nothing; a portion shorter than one spectrum frame
    // detects nothing.
    const std::string shortFile = dir.file("short.wav");
    ASSERT_TRUE(fixture::writeWav(shortFile, fixture::harmonicTone(440.0, {8000}, 44100, 1000), 1, 44100));
    for (const auto &args : {std::vector<std::string>{"-o", out(), "--fundamentals", "0", tone440()},
                             std::vector<std::string>{"-o", out(), shortFile}}) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.back();
        const std::string stem = fs::path(args.back()).stem().string();
        const std::string json = readFile(out() + "/" + stem + "/summary.json");
        EXPECT_NE(json.find("\"analyses\": []"), std::string::npos) << json;
    }
    EXPECT_NE(run({"-o", out(), shortFile}).errors.find("shorter than one spectrum frame"), std::string::npos);
}

TEST_F(AnalyzeCli, UnwritableOutputExitsWithThree)
{
    const std::string blocker = dir.file("plain-file");
    std::ofstream(blocker) << "x";
    const ToolRun r = run({"-o", blocker + "/out", tone440()});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.errors.find("plain-file"), std::string::npos);
}

TEST_F(AnalyzeCli, PortionFollowsTheSliderArithmetic)
{
    // 10000 samples; slider positions → portion length.
    const std::string silentEnds = dir.file("s.wav");
    std::vector<short> sound(10000, 0);
    const auto tone = fixture::harmonicTone(441.0, {8000, 2000}, 44100, 2000);
    std::copy(tone.begin(), tone.end(), sound.begin() + 1000);
    ASSERT_TRUE(fixture::writeWav(silentEnds, sound, 1, 44100));
    const std::string silent = dir.file("z.wav");
    ASSERT_TRUE(fixture::writeWav(silent, std::vector<short>(10000, 0), 1, 44100));

    const struct { std::vector<std::string> args; std::string file; long portion; } cases[] = {
        // start 50 then end 40: the end's coupling pulls start to 39: 3900 .. 4000.
        {{"--start", "50", "--end", "40"}, silentEnds, 101},
        // out-of-range positions are clamped like a slider: whole file.
        {{"--start", "-5", "--end", "500"}, silentEnds, 10000},
        // auto-trim: loud part 1000..2999 gives sliders 9 and 30: 900 .. 3000.
        {{"--auto-trim"}, silentEnds, 2101},
        // nothing loud: answered with Cancel, everything selected.
        {{"--auto-trim"}, silent, 10000},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args = {"-o", out(), "--fundamentals", "441", "--quiet"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(c.file);
        const ToolRun r = run(args);
        const std::string json = readFile(out() + "/" + fs::path(c.file).stem().string() + "/summary.json");
        EXPECT_EQ(jsonInt(json, "portionSamples"), c.portion) << c.args[0] << " " << r.errors;
    }
}

} // namespace
