#pragma once
// Text forms of numbers (and strings) for the exported files.
//
// formatG is the general format the tables, measure files and labels show, byte for
// byte the toolkit's QString::number(v, 'g', precision), so that files written by the
// core and text shown by the widgets agree:
//   - `precision` significant digits, correctly rounded from the exact binary value;
//     an exact halfway case rounds AWAY from zero (2.5 at 1 digit is "3", 0.125 at 2
//     is "0.13"), where printf rounds to even;
//   - exponent form when the decimal exponent X is below -4 or at least `precision`,
//     written "e", a sign, and at least two digits ("1.2346e+05", "1e-05", "1e+100");
//   - trailing zeros and a bare decimal point removed ("100", "0.5");
//   - "nan" (whatever its sign bit), "inf", "-inf"; -0.0 is "0".
// `precision` is meant to be 1..17 (5 for tables, 6 for measures); 0 acts as 1, as
// in the toolkit, and other values are clamped into 1..17.
//
// formatJsonNumber gives the shortest text that reads back as the same double
// ("0.1", "1e+21", "-0"), and "null" for NaN and infinities, which JSON cannot hold.
//
// All functions are thread-safe and allocate only for the std::string they return.

#include <string>
#include <string_view>

namespace sonvik {

// Room the append functions need at `out`: their text is at most 24 chars
// ("-1.2345678901234567e-308"), and they may use the bytes after it, up to
// kNumberRoom in all, as scratch (fixed-size copies are faster). No terminating
// NUL is written.
constexpr int kNumberRoom = 48;

// Writes formatG(v, precision) at out and returns the end of the text.
char *appendFormatG(char *out, double v, int precision);
std::string formatG(double v, int precision);

// Writes formatJsonNumber(v) at out and returns the end of the text.
char *appendJsonNumber(char *out, double v);
std::string formatJsonNumber(double v);

// `text` as a JSON string literal, quotes included: '"' and '\' are escaped, control
// characters below U+0020 become \b \f \n \r \t or \u00XX, valid UTF-8 passes through
// unchanged. Each maximal ill-formed UTF-8 subsequence (a file name in another
// encoding) becomes U+FFFD so that the output is always valid UTF-8 JSON.
std::string formatJsonString(std::string_view text);

} // namespace sonvik
