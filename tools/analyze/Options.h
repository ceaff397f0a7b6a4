#pragma once
// Command line of sonvik-analyze.

#include <optional>
#include <string>
#include <vector>

namespace analyze {

enum class ChannelOption { Default, Left, Right, Average };

struct Options {
    std::string outputDir = ".";
    ChannelOption channel = ChannelOption::Default;
    int start = 0;            // slider positions, clamped to 0..100 like the dialog's sliders
    int end = 100;
    bool startGiven = false;
    bool endGiven = false;
    bool autoTrim = false;
    int windowFunction = 4;   // blackman
    int windowSize = 2048;
    std::optional<std::string> fundamentals;  // as typed; detection off when given
    bool align = true;
    bool synthesis = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> files;
};

struct ParseResult {
    Options options;
    std::string error;  // non-empty: usage error
};

ParseResult parseOptions(int argc, char **argv);
std::string usageText();

} // namespace analyze
