#pragma once
// The whole analysis of one file for the batch tool: load, choose the portion
// with the portion dialog's arithmetic, detect or parse the fundamentals,
// track each one, and write OUTPUT/<stem>/.

#include "tools/analyze/Options.h"

#include <functional>
#include <string>

namespace analyze {

enum ExitStatus { kSuccess = 0, kUsageError = 1, kInputError = 2, kOutputError = 3 };

struct Messages {
    std::function<void(const std::string &)> progress;  // may be empty (--quiet)
    std::function<void(const std::string &)> problem;   // warnings and errors
};

// Writes into outputFolder (OUTPUT/<stem>, created if needed). Returns the
// exit status for this file.
ExitStatus analyseFile(const std::string &path, const std::string &outputFolder, const Options &options,
                       const Messages &messages);

} // namespace analyze
