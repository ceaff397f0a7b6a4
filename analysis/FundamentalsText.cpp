#include "analysis/FundamentalsText.h"

#include <charconv>
#include <cstddef>

namespace sonvik {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Moves `pos` over digits; returns how many there were.
std::size_t skipDigits(const std::string &s, std::size_t &pos)
{
    const std::size_t begin = pos;
    while (pos < s.size() && isDigit(s[pos]))
        ++pos;
    return pos - begin;
}

// The number in `section`, or 0 when it is not a plain decimal number.
double plainDecimal(const std::string &section)
{
    std::size_t begin = 0;
    std::size_t end = section.size();
    while (begin < end && isBlank(section[begin]))
        ++begin;
    while (end > begin && isBlank(section[end - 1]))
        --end;
    const std::string text = section.substr(begin, end - begin);

    std::size_t pos = 0;
    const bool negative = pos < text.size() && text[pos] == '-';
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        ++pos;
    const std::size_t numberBegin = pos;
    std::size_t digits = skipDigits(text, pos);
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        digits += skipDigits(text, pos);
    }
    if (digits == 0)
        return 0.0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
            ++pos;
        if (skipDigits(text, pos) == 0)
            return 0.0;
    }
    if (pos != text.size())
        return 0.0;

    // from_chars reads the validated digits the same way in every locale; it
    // takes no sign of its own except '-', so the sign is applied here.
    double value = 0.0;
    const char *first = text.data() + numberBegin;
    const char *last = text.data() + text.size();
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last)
        return 0.0;
    return negative ? -value : value;
}

} // namespace

std::array<double, 5> parseFundamentals(const std::string &text)
{
    std::array<double, 5> f0List{};
    std::size_t sectionBegin = 0;
    for (double &slot : f0List) {
        if (sectionBegin > text.size())
            break;  // fewer sections than slots: the rest stay 0
        std::size_t sectionEnd = text.find(',', sectionBegin);
        if (sectionEnd == std::string::npos)
            sectionEnd = text.size();
        slot = plainDecimal(text.substr(sectionBegin, sectionEnd - sectionBegin));
        sectionBegin = sectionEnd + 1;
    }
    return f0List;
}

} // namespace sonvik
