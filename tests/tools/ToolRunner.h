#pragma once
// Runs the sonvik-analyze binary of this build and captures its exit status
// and its standard error.

#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

struct ToolRun {
    int status = -1;     // exit status; -1 when the process did not exit normally
    std::string errors;  // everything written to stderr
};

inline std::string shellQuote(const std::string &s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline ToolRun runAnalyze(const std::vector<std::string> &args, const std::string &scratchDir)
{
    const std::string errFile = scratchDir + "/stderr.txt";
    std::string command = shellQuote(std::string(SONVIK_BINARY_DIR) + "/tools/analyze/sonvik-analyze");
    for (const std::string &a : args)
        command += " " + shellQuote(a);
    command += " >/dev/null 2>" + shellQuote(errFile);
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(errFile);
    std::stringstream text;
    text << in.rdbuf();
    run.errors = text.str();
    return run;
}
