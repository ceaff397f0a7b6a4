#pragma once
// Writer of the numeric CSV exports (tables and measures).
//
// Format: one record per line, fields joined by "," with no spaces, no quoting, no
// header and no trailing comma; every line ends with a single "\n" and nothing else
// is written. Numbers use formatG with the caller's precision: 5 for the amplitude
// and frequency tables (the same text the tables display), 6 for the measures.
//
// The text is built in a 64 KiB buffer and handed to the sink in large blocks. A
// writer bound to a FILE* neither opens nor closes it; each write call flushes it and
// returns false when the stream reports an error, so that callers can show their
// message or exit status. A writer bound to a std::string appends to it.

#include <cstdio>
#include <memory>
#include <string>

namespace sonvik {

class CsvWriter {
public:
    explicit CsvWriter(std::FILE *file);
    explicit CsvWriter(std::string &text);
    CsvWriter(const CsvWriter &) = delete;
    CsvWriter &operator=(const CsvWriter &) = delete;

    // Line j, for j = 0 .. numFrames - 1, holds rows[0][j], ..., rows[numRows - 1][j]
    // (harmonic 1 first); numRows = 0 gives numFrames empty lines. False, with nothing
    // written, for negative sizes or null rows; false on a write error.
    bool writeMatrix(const double *const *rows, int numRows, int numFrames, int precision);

    // Line j, for j = 0 .. numFrames - 1, holds values[j]. Fails as writeMatrix does.
    bool writeColumn(const double *values, int numFrames, int precision);

private:
    bool emit(const char *begin, const char *end);

    std::FILE *file_;
    std::string *text_;
    std::unique_ptr<char[]> buffer_;
};

} // namespace sonvik
