// sonvik-analyze: batch harmonic analysis of sound files on the numeric core.
// See usageText() for the command line and the exit statuses.

#include "tools/analyze/FileAnalysis.h"
#include "tools/analyze/Options.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>

int main(int argc, char **argv)
{
    using namespace analyze;
    const ParseResult parsed = parseOptions(argc, argv);
    if (!parsed.error.empty()) {
        std::cerr << "sonvik-analyze: " << parsed.error << "\n"
                  << "Try 'sonvik-analyze --help'.\n";
        return kUsageError;
    }
    const Options &options = parsed.options;
    if (options.help) {
        std::cout << usageText();
        return kSuccess;
    }
    if (options.version) {
        std::cout << "sonvik-analyze 0.4\n";
        return kSuccess;
    }

    Messages messages;
    messages.problem = [](const std::string &text) { std::cerr << "sonvik-analyze: " << text << "\n"; };
    if (!options.quiet)
        messages.progress = [](const std::string &text) { std::cerr << text << "\n"; };

    int status = kSuccess;
    std::set<std::string> stems;
    for (const std::string &file : options.files) {
        const std::string stem = std::filesystem::path(file).stem().string();
        if (!stems.insert(stem).second) {
            messages.problem(file + ": another input has the same name '" + stem
                             + "'; its output folder would be overwritten");
            status = std::max<int>(status, kInputError);
            continue;
        }
        const std::string folder = (std::filesystem::path(options.outputDir) / stem).string();
        status = std::max<int>(status, analyseFile(file, folder, options, messages));
    }
    return status;
}
