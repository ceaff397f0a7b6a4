#include "tools/analyze/Options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace analyze {

namespace {

const std::array<const char *, 6> kWindowNames = {"rectangular", "triangular", "hamming",
                                                  "hann",        "blackman",   "bartlett-hann"};

bool parseInt(const std::string &text, long &value)
{
    if (text.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0' && !std::isspace(static_cast<unsigned char>(text[0]));
}

int clampSlider(long v)
{
    return static_cast<int>(std::clamp(v, 0L, 100L));
}

// Options without a value: each sets one member.
struct Flag {
    const char *name;
    bool Options::*member;
    bool value;
};
const Flag kFlags[] = {
    {"--auto-trim", &Options::autoTrim, true},
    {"--no-align", &Options::align, false},
    {"--synthesis", &Options::synthesis, true},
    {"--quiet", &Options::quiet, true},
};

const Flag *findFlag(const std::string &name)
{
    for (const Flag &f : kFlags)
        if (name == f.name)
            return &f;
    return nullptr;
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

} // namespace

std::string usageText()
{
    return "Usage: sonvik-analyze [options] FILE...\n"
           "Analyses each sound file and writes OUTPUT/<file stem>/ with summary.json and,\n"
           "per analysed fundamental slot N, f0-N/*.csv (and f0-N/resynthesis.wav).\n"
           "\n"
           "Options:\n"
           "  -o, --output DIR           output folder (default: current directory)\n"
           "      --channel CH           left, right or average (default: mono left,\n"
           "                             stereo average, more channels left)\n"
           "      --start P, --end P     portion slider positions 0..100 (default 0, 100)\n"
           "      --auto-trim            trim silent ends like the portion dialog's Auto Trim\n"
           "      --window-function W    rectangular, triangular, hamming, hann, blackman,\n"
           "                             bartlett-hann, or 0..5 (default blackman)\n"
           "      --window-size N        512, 1024, 2048, 4096 or 8192 (default 2048)\n"
           "      --fundamentals LIST    comma-separated fundamentals in Hz (no detection)\n"
           "      --no-align             do not snap detected fundamentals to pitches\n"
           "      --synthesis            also write the additive resynthesis\n"
           "      --quiet                no progress lines\n"
           "      --help, --version\n"
           "\n"
           "Exit status: 0 success, 1 usage error, 2 an input could not be analysed,\n"
           "3 an output could not be written (the highest status met over all files).\n";
}

ParseResult parseOptions(int argc, char **argv)
{
    ParseResult result;
    Options &o = result.options;
    auto fail = [&result](const std::string &message) {
        result.error = message;
        return result;
    };

    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            o.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        // Accept both "--name value" and "--name=value".
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            const auto eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
            }
        }
        auto value = [&](std::string &out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };

        std::string v;
        long number = 0;
        if (name == "-o" || name == "--output") {
            if (!value(v) || v.empty())
                return fail(name + " needs a folder");
            o.outputDir = v;
        } else if (name == "--channel") {
            if (!value(v))
                return fail("--channel needs left, right or average");
            const std::string c = lower(v);
            if (c == "left")
                o.channel = ChannelOption::Left;
            else if (c == "right")
                o.channel = ChannelOption::Right;
            else if (c == "average")
                o.channel = ChannelOption::Average;
            else
                return fail("--channel: '" + v + "' is not left, right or average");
        } else if (name == "--start" || name == "--end") {
            if (!value(v) || !parseInt(v, number))
                return fail(name + " needs a whole number (slider position 0..100)");
            if (name == "--start") {
                o.start = clampSlider(number);
                o.startGiven = true;
            } else {
                o.end = clampSlider(number);
                o.endGiven = true;
            }
        } else if (name == "--window-function") {
            if (!value(v))
                return fail("--window-function needs a name or an index 0..5");
            const auto it = std::find(kWindowNames.begin(), kWindowNames.end(), lower(v));
            if (it != kWindowNames.end())
                o.windowFunction = int(it - kWindowNames.begin());
            else if (parseInt(v, number) && number >= 0 && number <= 5)
                o.windowFunction = int(number);
            else
                return fail("--window-function: '" + v + "' is not a window name or index 0..5");
        } else if (name == "--window-size") {
            if (!value(v) || !parseInt(v, number)
                || (number != 512 && number != 1024 && number != 2048 && number != 4096 && number != 8192))
                return fail("--window-size must be 512, 1024, 2048, 4096 or 8192");
            o.windowSize = int(number);
        } else if (name == "--fundamentals") {
            if (!value(v))
                return fail("--fundamentals needs a comma-separated list");
            o.fundamentals = v;
        } else if (const Flag *f = findFlag(name)) {
            if (inlineValue)
                return fail(name + " takes no value");
            o.*(f->member) = f->value;
        } else if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--version") {
            o.version = true;
        } else {
            return fail("unknown option '" + arg + "'");
        }
    }
    if (!o.help && !o.version && o.files.empty())
        return fail("no input file");
    return result;
}

} // namespace analyze
