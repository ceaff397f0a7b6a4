#pragma once
// Writing the batch tool's output files. Each function returns false (and
// sets *error to a message naming the path and the reason) when the file
// cannot be created or written.

#include <string>
#include <vector>

namespace analyze {

bool makeFolder(const std::string &path, std::string *error);
// Removes path and everything below it; a missing path is not an error.
bool removeTree(const std::string &path, std::string *error);
bool writeText(const std::string &path, const std::string &text, std::string *error);
// Matrix rows[h][j] as CSV, one line per frame j < numFrames (see sonvik::CsvWriter).
bool writeMatrixCsv(const std::string &path, const double *const *rows, int numRows, int numFrames,
                    int precision, std::string *error);
bool writeColumnCsv(const std::string &path, const double *values, int numFrames, int precision,
                    std::string *error);
// 16-bit mono WAV.
bool writeWav16(const std::string &path, const std::vector<short> &samples, int sampleRate,
                std::string *error);

} // namespace analyze
