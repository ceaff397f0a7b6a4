#include "tools/analyze/FileAnalysis.h"

#include "analysis/FundamentalDetector.h"
#include "analysis/FundamentalsText.h"
#include "analysis/ShortTimeSpectrum.h"
#include "audio/Resynthesis.h"
#include "export/NumberFormat.h"
#include "harmonic/HarmonicMeasures.h"
#include "harmonic/HarmonicTracker.h"
#include "sound/PortionSelection.h"
#include "sound/SoundFile.h"
#include "tools/analyze/OutputFiles.h"
#include "tools/analyze/Parallel.h"
#include "tools/analyze/Summary.h"

#include <vector>

namespace analyze {

namespace {

constexpr int kTablePrecision = 5;    // amplitude and frequency tables
constexpr int kMeasurePrecision = 6;  // measure exports

const char *channelName(sonvik::Channel c)
{
    switch (c) {
    case sonvik::Channel::Left: return "left";
    case sonvik::Channel::Right: return "right";
    case sonvik::Channel::Average: return "average";
    }
    return "";
}

// The channel to analyse, or false when the file does not have it (the portion
// dialog offers R and the average only for two or more channels).
bool chooseChannel(ChannelOption option, int channels, sonvik::Channel &channel)
{
    switch (option) {
    case ChannelOption::Default: channel = sonvik::defaultChannel(channels); return true;
    case ChannelOption::Left: channel = sonvik::Channel::Left; return true;
    case ChannelOption::Right: channel = sonvik::Channel::Right; return channels >= 2;
    case ChannelOption::Average: channel = sonvik::Channel::Average; return channels >= 2;
    }
    return false;
}

// The portion as the dialog would produce it: start slider, then end slider
// (each with its coupling), then Auto Trim; a "Nothing selected" trim is
// answered with Cancel, which selects everything.
std::vector<short> choosePortion(const sonvik::SoundFile &sound, sonvik::Channel channel, const Options &options)
{
    sonvik::PortionSelection portion(sound.rawSamples.data(), static_cast<int>(sound.rawSamples.size()),
                                     sound.info.channels);
    portion.setChannel(channel);
    if (options.startGiven)
        portion.setStart(options.start);
    if (options.endGiven)
        portion.setEnd(options.end);
    if (options.autoTrim && portion.autoTrim()) {
        portion.setStart(sonvik::kSliderMin);
        portion.setEnd(sonvik::kSliderMax);
    }
    return portion.extract();
}

// The CSV files of an analysed fundamental: a matrix (one line per frame, one
// field per harmonic) or a per-frame column.
struct CsvOutput {
    const char *name;
    sonvik::Matrix sonvik::HarmonicTrack::*matrix;
    std::vector<double> sonvik::HarmonicTrack::*column;
    int precision;
};

using Track = sonvik::HarmonicTrack;
const CsvOutput kCsvOutputs[] = {
    {"amplitudes.csv", &Track::amp, nullptr, kTablePrecision},
    {"frequency-deviations.csv", &Track::freqDev, nullptr, kTablePrecision},
    {"damped-frequency-deviations.csv", &Track::dampedFreqDev, nullptr, kMeasurePrecision},
    {"amplitude-differences.csv", &Track::ampDiff, nullptr, kMeasurePrecision},
    {"frequency-differences.csv", &Track::freqDiff, nullptr, kMeasurePrecision},
    {"inharmonicity.csv", &Track::inharmonicity, nullptr, kMeasurePrecision},
    {"rms-amplitudes.csv", nullptr, &Track::rmsAmp, kMeasurePrecision},
    {"spectral-centroid.csv", nullptr, &Track::centroid, kMeasurePrecision},
    {"spectral-irregularity.csv", nullptr, &Track::irregularity, kMeasurePrecision},
};

// One output file of an analysed fundamental: a CSV, or the resynthesis when csv is null.
struct SlotFile {
    const Track *track;
    std::string folder;
    const CsvOutput *csv;
    std::string error;  // set when the file could not be written

    void write()
    {
        const Track &t = *track;
        if (csv) {
            const std::string path = folder + "/" + csv->name;
            if (csv->matrix)
                writeMatrixCsv(path, (t.*csv->matrix).rowPointers(), t.numHarmonics, t.numFrames, csv->precision,
                               &error);
            else
                writeColumnCsv(path, (t.*csv->column).data(), t.numFrames, csv->precision, &error);
            return;
        }
        const std::vector<short> sound =
            sonvik::resynthesize(t.f0, t.initialPhase.data(), t.amp.rowPointers(), t.freqDev.rowPointers(),
                                 t.numHarmonics, t.numFrames, t.timeStep, t.sampleRate);
        writeWav16(folder + "/resynthesis.wav", sound, t.sampleRate, &error);
    }
};

} // namespace

ExitStatus analyseFile(const std::string &path, const std::string &outputFolder, const Options &options,
                       const Messages &messages)
{
    auto progress = [&messages](const std::string &text) {
        if (messages.progress)
            messages.progress(text);
    };
    auto problem = [&messages, &path](const std::string &text) { messages.problem(path + ": " + text); };

    const sonvik::SoundFile sound = sonvik::SoundFile::load(path);
    if (sound.status != sonvik::LoadStatus::Ok) {
        problem(sound.message);
        return kInputError;
    }
    sonvik::Channel channel = sonvik::Channel::Left;
    if (!chooseChannel(options.channel, sound.info.channels, channel)) {
        problem(std::string("the file has ") + std::to_string(sound.info.channels)
                + " channel(s): no '" + channelName(channel) + "' channel to analyse");
        return kInputError;
    }
    const std::vector<short> samples = choosePortion(sound, channel, options);
    const int sampleCount = static_cast<int>(samples.size());
    const int sampleRate = sound.info.samplerate;
    progress(path + ": " + std::to_string(sampleCount) + " samples at " + std::to_string(sampleRate)
             + " Hz, " + channelName(channel) + " channel");

    Summary summary;
    summary.file = path;
    summary.sampleRate = sampleRate;
    summary.channels = sound.info.channels;
    summary.frames = sound.info.frames;
    summary.portionSamples = sampleCount;

    const bool findF0 = !options.fundamentals || options.fundamentals->empty();
    if (findF0) {
        sonvik::ShortTimeSpectrum spectrum;
        std::string spectrumError;
        if (!sonvik::computeShortTimeSpectrum(samples.data(), sampleCount, sampleRate, options.windowSize,
                                              options.windowFunction, spectrum, &spectrumError)) {
            problem(spectrumError);
            return kInputError;
        }
        const sonvik::FundamentalDetection detection = sonvik::detectFundamentals(spectrum, options.align);
        if (detection.noFrames)
            problem("the portion is shorter than one spectrum frame (" + std::to_string(options.windowSize)
                    + " samples): no fundamental detected");
        summary.fundamentals = detection.f0List;
    } else {
        summary.fundamentals = sonvik::parseFundamentals(*options.fundamentals);
    }

    // The folder holds this run's results only: fundamental folders left by an
    // earlier run with other fundamentals would contradict the new summary.
    std::string error;
    bool folderReady = makeFolder(outputFolder, &error);
    for (int slot = 0; folderReady && slot < 5; ++slot)
        folderReady = removeTree(outputFolder + "/f0-" + std::to_string(slot), &error);
    if (!folderReady) {
        messages.problem(error);
        return kOutputError;
    }

    struct SlotJob {
        int slot;
        double f0;
        sonvik::HarmonicTrack track;
    };
    std::vector<SlotJob> jobs;
    for (int slot = 0; slot < 5; ++slot) {
        const double f0 = summary.fundamentals[static_cast<std::size_t>(slot)];
        if (!(f0 > 0))
            continue;
        const auto sizes = sonvik::TrackerSizes::sizesFor(f0, sampleRate, sampleCount);
        if (!sizes.analysable()) {
            problem("skipping fundamental " + sonvik::formatG(f0, 6) + "Hz (slot " + std::to_string(slot)
                    + "): " + sonvik::rejectionText(sizes.rejection));
            continue;
        }
        progress("- Working on " + sonvik::formatG(f0, 6) + "Hz.");
        jobs.push_back({slot, f0, {}});
    }

    // The fundamentals are independent, and so are their files: track them,
    // then write every file, on every core.
    runInParallel(jobs.size(), [&](std::size_t i) {
        jobs[i].track = sonvik::trackHarmonics(samples.data(), sampleCount, sampleRate, jobs[i].f0);
        sonvik::computeAttackDecay(jobs[i].track);
    });
    std::vector<SlotFile> files;
    for (const SlotJob &job : jobs) {
        const std::string folder = outputFolder + "/f0-" + std::to_string(job.slot);
        if (!makeFolder(folder, &error)) {
            messages.problem(error);
            return kOutputError;
        }
        for (const CsvOutput &csv : kCsvOutputs)
            files.push_back({&job.track, folder, &csv, {}});
        if (options.synthesis)
            files.push_back({&job.track, folder, nullptr, {}});
        summary.analyses.push_back({job.slot, &job.track});
    }
    runInParallel(files.size(), [&](std::size_t i) { files[i].write(); });
    for (const SlotFile &file : files) {
        if (!file.error.empty()) {
            messages.problem(file.error);
            return kOutputError;
        }
    }

    if (!writeText(outputFolder + "/summary.json", summaryJson(summary), &error)) {
        messages.problem(error);
        return kOutputError;
    }
    if (summary.analyses.empty()) {
        problem("no fundamental could be analysed");
        return kInputError;
    }
    return kSuccess;
}

} // namespace analyze
