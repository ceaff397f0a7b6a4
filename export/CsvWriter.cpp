#include "export/CsvWriter.h"

#include "export/NumberFormat.h"

namespace sonvik {

namespace {
constexpr int kBufferSize = 1 << 16;
}

CsvWriter::CsvWriter(std::FILE *file) : file_(file), text_(nullptr), buffer_(new char[kBufferSize]) {}

CsvWriter::CsvWriter(std::string &text) : file_(nullptr), text_(&text), buffer_(new char[kBufferSize]) {}

bool CsvWriter::writeMatrix(const double *const *rows, int numRows, int numFrames, int precision)
{
    if (numRows < 0 || numFrames < 0 || (numRows > 0 && numFrames > 0 && !rows))
        return false;
    if (text_) // 'g' 5/6 fields take about 11 bytes; saves most regrowth copies
        text_->reserve(text_->size()
                       + static_cast<std::size_t>(numFrames) * (static_cast<std::size_t>(numRows) * 12 + 1));
    char *const begin = buffer_.get();
    // Room for one more field and its separator is kept before each field.
    char *const full = begin + kBufferSize - (kNumberRoom + 1);
    char *out = begin;
    for (int j = 0; j < numFrames; ++j) {
        for (int h = 0; h < numRows; ++h) {
            if (out > full) {
                if (!emit(begin, out))
                    return false;
                out = begin;
            }
            out = appendFormatG(out, rows[h][j], precision);
            *out++ = ',';
        }
        if (numRows > 0) {
            out[-1] = '\n'; // the last separator ends the line
        } else {
            if (out > full) {
                if (!emit(begin, out))
                    return false;
                out = begin;
            }
            *out++ = '\n';
        }
    }
    if (!emit(begin, out))
        return false;
    return !file_ || std::fflush(file_) == 0;
}

bool CsvWriter::writeColumn(const double *values, int numFrames, int precision)
{
    if (!values && numFrames > 0)
        return false;
    return writeMatrix(&values, 1, numFrames, precision);
}

bool CsvWriter::emit(const char *begin, const char *end)
{
    const std::size_t size = static_cast<std::size_t>(end - begin);
    if (text_) {
        text_->append(begin, size);
        return true;
    }
    return std::fwrite(begin, 1, size, file_) == size && !std::ferror(file_);
}

} // namespace sonvik
