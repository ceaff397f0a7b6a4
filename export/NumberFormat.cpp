#include "export/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

// How formatG gets its digits. printf-style formatting (~6 M values/s) is too slow
// for whole-matrix exports, so the usual case multiplies the binary significand by a
// 64-bit approximation of a power of ten (exact 128-bit product) so that the wanted
// digits form the integer part, and rounds that. The power is off by at most 2^-64
// relative, so the rounding direction is certain unless the fraction lies within a
// small margin of one half. Those rare cases take the exact path: an exact halfway
// case is detected with integer arithmetic on the binary value and rounded away from
// zero as the toolkit does; anything else goes to std::to_chars, which rounds the
// exact value correctly.

namespace sonvik {

namespace {

constexpr int kMaxPrecision = 17;

constexpr std::uint64_t kPow10[] = {
    1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull,
    100000000ull, 1000000000ull, 10000000000ull, 100000000000ull, 1000000000000ull,
    10000000000000ull, 100000000000000ull, 1000000000000000ull, 10000000000000000ull,
    100000000000000000ull, 1000000000000000000ull, 10000000000000000000ull};

// Scale factors 10^k for k = precision - 1 - floor(log10 v) and its neighbours
// k - 1, k + 1: with precision 1..17 and v from 4.9e-324 to 1.8e308 that is
// -309 .. 341.
constexpr int kMinScale = -309;
constexpr int kMaxScale = 341;

// The power table is read from long double, which must carry a 64-bit significand
// for the error bound above; elsewhere every value takes the exact path.
constexpr bool kHaveExtended = std::numeric_limits<long double>::digits >= 64;

using Uint128 = unsigned __int128;

// 10^k ~= significand * 2^exponent with the top bit of significand set.
struct Power {
    std::uint64_t significand;
    int exponent;
};

// floor(log10(a)) is e10 or e10 + 1 for the estimate e10 from the binary exponent;
// comparing with 10^(e10 + 1) as a double decides, -323 .. 309 (10^309 is inf).
// Where that double is rounded (beyond 1e22, and among subnormals), a near it may
// get the wrong decade; the integer part of the scaled value shows the miss.
constexpr int kMinDecade = -323;
constexpr int kMaxDecade = 309;

struct Pow10Table {
    Power value[kMaxScale - kMinScale + 1];
    double decade[kMaxDecade - kMinDecade + 1];
    Pow10Table()
    {
        // strtold rounds correctly to 64 bits; the text has no decimal point, so the
        // C locale's radix character does not matter.
        char text[16];
        for (int k = kMinScale; k <= kMaxScale; ++k) {
            std::snprintf(text, sizeof text, "1e%d", k);
            int exponent;
            const long double fraction = std::frexp(std::strtold(text, nullptr), &exponent);
            value[k - kMinScale] = {static_cast<std::uint64_t>(std::ldexp(fraction, 64)), exponent - 64};
        }
        for (int k = kMinDecade; k <= kMaxDecade; ++k) {
            std::snprintf(text, sizeof text, "1e%d", k);
            decade[k - kMinDecade] = std::strtod(text, nullptr);
        }
    }
};

const Pow10Table &pow10Table()
{
    static const Pow10Table table;
    return table;
}

struct DigitPairs {
    char text[200];
    constexpr DigitPairs() : text()
    {
        for (int i = 0; i < 100; ++i) {
            text[2 * i] = static_cast<char>('0' + i / 10);
            text[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
};
constexpr DigitPairs kDigitPairs;

int clampPrecision(int precision)
{
    return precision < 1 ? 1 : (precision > kMaxPrecision ? kMaxPrecision : precision);
}

// a = significand * 2^exponent exactly, for a finite a > 0, with the significand
// normalised to 53 bits (subnormals too), so floor(log2(a)) = exponent + 52.
struct Binary {
    std::uint64_t significand;
    int exponent;
};

Binary decompose(double a)
{
    std::uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    const int biased = static_cast<int>(bits >> 52);
    const std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);
    if (biased != 0)
        return {fraction | (std::uint64_t(1) << 52), biased - 1075};
    const int shift = __builtin_clzll(fraction) - 11; // moves the top bit to bit 52
    return {fraction << shift, -1074 - shift};
}

// floor(log10(2^b)) for |b| <= 1100: 1292913986 / 2^32 is log10(2) rounded down,
// and no b in that range has b*log10(2) close enough to an integer for the
// difference to change the floor.
int floorLog10Pow2(int b)
{
    return static_cast<int>((static_cast<std::int64_t>(b) * 1292913986) >> 32);
}

// a * 10^k as an integer part and a rounding direction.
struct Scaled {
    bool valid;   // false: the rounding direction is not certain
    std::uint64_t whole;
    bool roundUp;
};

// The product with the 64-bit power is exact, the power is off by at most 2^-64
// relative, so a fraction within 2^-61 relative of one half is left undecided.
inline __attribute__((always_inline)) Scaled scale(const Binary &binary, const Power &power)
{
    const int shift = -(binary.exponent + power.exponent); // 53 + 64 bits down to < 58
    if (shift < 54 || shift > 127)
        return {false, 0, false};
    const Uint128 product = Uint128(binary.significand) * power.significand;
    const std::uint64_t high = static_cast<std::uint64_t>(product >> 64);
    if (shift >= 66) {
        // Usual case (up to 15 digits): the high word holds the integer part and
        // enough of the fraction. In units of 2^64 the true fraction lies within
        // [fraction - 2^-11, fraction + 1 + 2^-11): the power's error is at most
        // 2^(117-64) units of the product, the dropped low word less than one.
        const int bits = shift - 64;
        const std::uint64_t fraction = high & ((std::uint64_t(1) << bits) - 1);
        const std::uint64_t half = std::uint64_t(1) << (bits - 1);
        const std::uint64_t distance = fraction >= half ? fraction - half : half - fraction;
        return {distance > 2, high >> bits, fraction >= half};
    }
    const Uint128 whole = product >> shift;
    const Uint128 fraction = product - (whole << shift);
    const Uint128 half = Uint128(1) << (shift - 1);
    const Uint128 margin = product >> 61;
    const Uint128 distance = fraction > half ? fraction - half : half - fraction;
    return {distance > margin, static_cast<std::uint64_t>(whole), fraction > half};
}

// Fast path: the `precision` leading digits of a (rounded) and the decimal point
// position decpt, a ~= 0.d1d2...dp * 10^decpt. False when undecided.
bool scaledDigits(double a, const Binary &binary, int precision, std::uint64_t &digits, int &decpt)
{
    if (!kHaveExtended)
        return false;
    const Pow10Table &table = pow10Table();
    int e10 = floorLog10Pow2(binary.exponent + 52);
    if (e10 + 1 < kMinDecade || e10 + 1 > kMaxDecade)
        return false;
    if (a >= table.decade[e10 + 1 - kMinDecade])
        ++e10;
    // The integer part of a * 10^k has p digits when e10 is floor(log10(a)); the
    // decade comparison can miss next to a rounded power of ten, by one decade.
    int k = precision - 1 - e10;
    if (k - 1 < kMinScale || k + 1 > kMaxScale)
        return false;
    Scaled scaled = scale(binary, table.value[k - kMinScale]);
    if (scaled.whole < kPow10[precision - 1])
        scaled = scale(binary, table.value[++k - kMinScale]);
    else if (scaled.whole >= kPow10[precision])
        scaled = scale(binary, table.value[--k - kMinScale]);
    if (!scaled.valid || scaled.whole < kPow10[precision - 1] || scaled.whole >= kPow10[precision])
        return false;
    digits = scaled.whole + (scaled.roundUp ? 1 : 0);
    decpt = precision - k;
    if (digits == kPow10[precision]) { // 99..9|5+ -> 100..0
        digits = kPow10[precision - 1];
        ++decpt;
    }
    return true;
}

// Exact halfway test. a = q * 10^e with q odd (the shortest exact decimal of a);
// a is halfway between two `precision`-digit decimals exactly when q ends in 5 and
// has precision + 1 digits. Then digits/decpt receive the neighbour away from zero.
bool halfwayRoundedAway(const Binary &binary, int precision, std::uint64_t &digits, int &decpt)
{
    const int zeros = __builtin_ctzll(binary.significand);
    std::uint64_t q = binary.significand >> zeros;
    const int e = binary.exponent + zeros; // a = q * 2^e, q odd
    const std::uint64_t limit = kPow10[precision + 1];
    if (e < 0) {
        for (int i = e; i < 0; ++i) { // m * 2^e = (m * 5^-e) * 10^e
            if (q >= limit / 5)
                return false;
            q *= 5;
        }
    } else {
        for (int i = 0; i < e; ++i) { // m * 2^e = (m / 5^e) * 10^e; else the last digit is even
            if (q % 5 != 0)
                return false;
            q /= 5;
        }
    }
    if (q % 5 != 0 || q < kPow10[precision] || q >= limit)
        return false;
    digits = q / 10 + 1;
    decpt = precision + 1 + e;
    if (digits == kPow10[precision]) { // 99..95 -> 100..0
        digits = kPow10[precision - 1];
        ++decpt;
    }
    return true;
}

// Digit strings live in buffers of kDigitBuffer bytes and are moved in blocks of
// kDigitBlock (>= 17 digits): fixed-size copies compile to a few plain moves, and
// what they carry beyond the text is scratch the caller's room allows for.
constexpr int kDigitBlock = 24;
constexpr int kDigitBuffer = 40;

// Writes the `count` decimal digits of value (value < 10^count <= 10^17) and returns
// the number of digits left after dropping trailing zeros (at least one). Works in
// 32-bit pieces of at most 9 digits, which are cheaper to divide.
int writeDigits(char *out, std::uint64_t value, int count)
{
    int i = count;
    if (count > 8) {
        std::uint32_t low = static_cast<std::uint32_t>(value % 100000000);
        value /= 100000000;
        for (int n = 0; n < 4; ++n) {
            i -= 2;
            std::memcpy(out + i, kDigitPairs.text + 2 * (low % 100), 2);
            low /= 100;
        }
    }
    std::uint32_t high = static_cast<std::uint32_t>(value);
    while (i >= 2) {
        i -= 2;
        std::memcpy(out + i, kDigitPairs.text + 2 * (high % 100), 2);
        high /= 100;
    }
    if (i == 1)
        out[0] = static_cast<char>('0' + high);
    while (count > 1 && out[count - 1] == '0')
        --count;
    return count;
}

// General-format layout of 0.d1...dn * 10^decpt: `digits` holds all `precision`
// digits (those after the first `count` are the dropped zeros) in a kDigitBuffer.
// Writes at most 41 bytes at out (a point after 16 digits, then a block).
char *layoutG(char *out, const char *digits, int count, int decpt, int precision)
{
    const int exponent = decpt - 1;
    if (exponent < -4 || exponent >= precision) {
        out[0] = digits[0];
        out[1] = '.';
        std::memcpy(out + 2, digits + 1, kDigitBlock);
        out += count > 1 ? count + 1 : 1; // no bare point
        out[0] = 'e';
        out[1] = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude >= 100) {
            out[2] = static_cast<char>('0' + magnitude / 100);
            std::memcpy(out + 3, kDigitPairs.text + 2 * (magnitude % 100), 2);
            return out + 5;
        }
        std::memcpy(out + 2, kDigitPairs.text + 2 * magnitude, 2);
        return out + 4;
    }
    if (decpt <= 0) { // "0.", then up to four zeros
        std::memcpy(out, "0.0000", 6);
        out += 2 - decpt;
        std::memcpy(out, digits, kDigitBlock);
        return out + count;
    }
    std::memcpy(out, digits, kDigitBlock);
    if (decpt >= count) // an integer: the dropped zeros are still in place
        return out + decpt;
    out[decpt] = '.';
    std::memcpy(out + decpt + 1, digits + decpt, kDigitBlock);
    return out + count + 1;
}

char *appendWord(char *out, const char *word)
{
    const std::size_t length = std::strlen(word);
    std::memcpy(out, word, length);
    return out + length;
}

// Length of the UTF-8 sequence at text[i] (a byte >= 0x80). `valid` tells whether
// it is well-formed; if not, the length is that of its maximal ill-formed prefix.
std::size_t utf8Sequence(std::string_view text, std::size_t i, bool &valid)
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int continuation;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuation = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuation = 2;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        else if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuation = 3;
        if (lead == 0xF0)
            low = 0x90; // no overlong forms
        else if (lead == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
    } else {
        valid = false;
        return 1;
    }
    std::size_t length = 1;
    for (int n = 0; n < continuation; ++n) {
        const std::size_t at = i + length;
        const unsigned char byte = at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
        if (at >= text.size() || byte < low || byte > high) {
            valid = false;
            return length;
        }
        ++length;
        low = 0x80;
        high = 0xBF;
    }
    valid = true;
    return length;
}

} // namespace

char *appendFormatG(char *out, double v, int precision)
{
    if (std::isnan(v))
        return appendWord(out, "nan");
    if (v < 0) // -0.0 is not below zero and prints as "0"
        *out++ = '-';
    const double a = std::fabs(v);
    if (std::isinf(a))
        return appendWord(out, "inf");
    if (a == 0) {
        *out++ = '0';
        return out;
    }
    precision = clampPrecision(precision);
    const Binary binary = decompose(a);
    std::uint64_t digits;
    int decpt;
    if (scaledDigits(a, binary, precision, digits, decpt)
        || halfwayRoundedAway(binary, precision, digits, decpt)) {
        char text[kDigitBuffer] = {};
        const int count = writeDigits(text, digits, precision);
        return layoutG(out, text, count, decpt, precision);
    }
    // Not a halfway case, so rounding to even or away gives the same digits.
    return std::to_chars(out, out + kNumberRoom - 1, a, std::chars_format::general, precision).ptr;
}

std::string formatG(double v, int precision)
{
    char text[kNumberRoom];
    return std::string(text, appendFormatG(text, v, precision));
}

char *appendJsonNumber(char *out, double v)
{
    if (!std::isfinite(v))
        return appendWord(out, "null");
    return std::to_chars(out, out + kNumberRoom, v).ptr;
}

std::string formatJsonNumber(double v)
{
    char text[kNumberRoom];
    return std::string(text, appendJsonNumber(text, v));
}

std::string formatJsonString(std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            bool valid;
            const std::size_t length = utf8Sequence(text, i, valid);
            if (valid)
                out.append(text.substr(i, length));
            else
                out += "\xEF\xBF\xBD"; // U+FFFD
            i += length;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    out += '"';
    return out;
}

} // namespace sonvik
