// Number formatting: the general format must give the same bytes as the toolkit's
// QString::number(v, 'g', p); JSON numbers must read back exactly.

#include "export/NumberFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using sonvik::appendFormatG;
using sonvik::formatG;
using sonvik::formatJsonNumber;
using sonvik::formatJsonString;
using sonvik::kNumberRoom;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Fixed by default so that runs are reproducible; SONVIK_TEST_SEED overrides it.
std::uint64_t testSeed()
{
    const char *text = std::getenv("SONVIK_TEST_SEED");
    const std::uint64_t seed = text ? std::strtoull(text, nullptr, 10) : 20261211u;
    std::printf("random seed %llu (set SONVIK_TEST_SEED to change)\n", static_cast<unsigned long long>(seed));
    return seed;
}

std::string toolkitG(double v, int precision)
{
    return QString::number(v, 'g', precision).toStdString();
}

double fromText(const std::string &text)
{
    return std::strtod(text.c_str(), nullptr);
}

double fromBits(std::uint64_t bits)
{
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::uint64_t bitsOf(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

// Values where formatting goes wrong first: exponent and carry boundaries, exact
// halfway cases, near-halfway decimals, subnormals, extremes and random doubles.
// Every value is also added negated.
std::vector<double> hardValues(std::uint64_t seed)
{
    std::mt19937_64 rng(seed);
    std::vector<double> values = {
        0.0, kInf, kNaN, DBL_MAX, DBL_MIN, std::nextafter(DBL_MIN, 0.0),
        std::numeric_limits<double>::denorm_min(), 0.5, 1.5, 2.5, 1234.5, 0.125, 0.375,
        99999.5, 999995.0, 1e15, 1e16, 1e21, 1e-5, 1e-4, 9.5, 0.95, 1234.5678, 0.000123457};
    auto withNeighbours = [&values](double v) {
        values.push_back(v);
        values.push_back(std::nextafter(v, 0.0));
        values.push_back(std::nextafter(v, kInf));
    };
    // Powers of ten: where the decimal exponent and the layout change.
    for (int k = -324; k <= 308; ++k)
        withNeighbours(fromText("1e" + std::to_string(k)));
    // 99..95 * 10^k: rounding to p digits carries into a new leading digit.
    for (int p = 1; p <= 17; ++p)
        for (int k = -330; k <= 300; k += 3)
            withNeighbours(fromText(std::string(static_cast<std::size_t>(p), '9') + "5e" + std::to_string(k)));
    for (int i = 0; i < 20000; ++i) {
        // Short binary fractions m / 2^n: many are exact halfway cases.
        const int bits = 1 + static_cast<int>(rng() % 40);
        const std::uint64_t numerator = rng() % (std::uint64_t(1) << bits);
        values.push_back(std::ldexp(static_cast<double>(numerator), -static_cast<int>(rng() % 60)));
        // Decimals as typed or measured, often just off halfway.
        std::uint64_t limit = 10;
        for (int digits = static_cast<int>(rng() % 17); digits > 0; --digits)
            limit *= 10;
        const std::uint64_t mantissa = rng() % limit;
        values.push_back(fromText(std::to_string(mantissa) + "e-" + std::to_string(rng() % 22)));
        // ...5 * 10^s: exact ties among the integers when representable.
        values.push_back(fromText(std::to_string(mantissa / 10 * 10 + 5) + "e" + std::to_string(rng() % 23)));
        // Any double at all (NaN payloads included), and subnormals.
        values.push_back(fromBits(rng()));
        if (i % 8 == 0)
            values.push_back(fromBits(rng() & ((std::uint64_t(1) << 52) - 1)));
        // Integers.
        const int integerBits = static_cast<int>(rng() % 54);
        values.push_back(static_cast<double>(rng() % (std::uint64_t(1) << integerBits)));
    }
    const std::size_t count = values.size();
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(-values[i]);
    return values;
}

TEST(NumberFormat, GeneralFormatWorkedExamples)
{
    struct Case {
        double value;
        int precision;
        const char *text;
    };
    // Derived by hand: p significant digits of the exact binary value, exponent form
    // when the decimal exponent is < -4 or >= p; the tie rows are exact in binary.
    const Case cases[] = {
        {1234.5678, 5, "1234.6"},        // table export
        {1234.5678, 6, "1234.57"},       // measure export
        {0.000123457, 6, "0.000123457"}, // exponent -4: still decimal
        {1234567.0, 6, "1.23457e+06"},   // exponent 6 >= 6
        {123456.0, 5, "1.2346e+05"},     // 12345|6 rounds up, exponent 5 >= 5
        {0.00001, 6, "1e-05"},           // exponent -5, two-digit exponent
        {1e100, 6, "1e+100"},
        {100.0, 6, "100"},               // trailing zeros dropped
        {0.5, 6, "0.5"},
        {2.5, 1, "3"},                   // halfway, away from zero (printf: "2")
        {-2.5, 1, "-3"},
        {0.125, 2, "0.13"},              // printf: "0.12"
        {1250.0, 2, "1.3e+03"},          // printf: "1.2e+03"
        {99998.5, 5, "99999"},           // printf: "9.9998e+04"
        {99999.5, 5, "1e+05"},           // carry to 100000, exponent 5 >= 5
        {2.5, 0, "3"},                   // precision 0 acts as 1
        {-0.0, 6, "0"},                  // printf: "-0"
        {kNaN, 6, "nan"},
        {-kNaN, 6, "nan"},               // printf: "-nan"
        {kInf, 6, "inf"},
        {-kInf, 6, "-inf"},
        {DBL_MAX, 6, "1.79769e+308"},
        {4.9406564584124654e-324, 6, "4.94066e-324"},
        {1e16, 17, "10000000000000000"},
        {0.1, 17, "0.10000000000000001"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " at precision " << c.precision);
        EXPECT_EQ(formatG(c.value, c.precision), c.text);
        EXPECT_EQ(toolkitG(c.value, c.precision), c.text);
    }
}

TEST(NumberFormat, GeneralFormatIsByteIdenticalToToolkit)
{
    const std::vector<double> values = hardValues(testSeed());
    std::size_t mismatches = 0;
    // Guard bytes after the room the function may use catch overruns.
    char buffer[kNumberRoom + 8];
    for (double v : values) {
        for (int precision = 0; precision <= 17; ++precision) {
            std::memset(buffer, '#', sizeof buffer);
            const char *end = appendFormatG(buffer, v, precision);
            const std::string actual(buffer, static_cast<std::size_t>(end - buffer));
            const std::string expected = toolkitG(v, precision);
            const bool overrun = std::string(buffer + kNumberRoom, 8) != std::string(8, '#');
            if ((actual != expected || overrun) && ++mismatches <= 10) {
                char hex[40];
                std::snprintf(hex, sizeof hex, "%a", v);
                ADD_FAILURE() << hex << " at precision " << precision << ": expected \"" << expected
                              << "\", got \"" << actual << "\"" << (overrun ? " (buffer overrun)" : "");
            }
        }
    }
    EXPECT_EQ(mismatches, 0u) << "of " << values.size() << " values x 18 precisions";
}

TEST(NumberFormat, JsonNumbersReadBackExactly)
{
    // Valid JSON (the toolkit's parser accepts it as a number) that reads back as
    // the very same double, -0.0 included.
    const std::vector<double> values = hardValues(testSeed() + 1);
    for (double v : values) {
        const std::string text = formatJsonNumber(v);
        if (!std::isfinite(v)) {
            ASSERT_EQ(text, "null");
            continue;
        }
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString("[" + text + "]"), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << text;
        ASSERT_TRUE(document.array().at(0).isDouble()) << text;
        double back = kNaN;
        std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(bitsOf(back), bitsOf(v)) << text;
    }
}

TEST(NumberFormat, JsonNumbersAreShortest)
{
    struct Case {
        double value;
        const char *text;
    };
    // The fewest digits that still single out the double.
    const Case cases[] = {
        {0.1, "0.1"},
        {100.0, "100"},
        {1e21, "1e+21"},
        {-0.0, "-0"},
        {1.0 / 3.0, "0.3333333333333333"},
        {4.9406564584124654e-324, "5e-324"},
        {DBL_MAX, "1.7976931348623157e+308"},
        {kNaN, "null"},
        {kInf, "null"},
        {-kInf, "null"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(formatJsonNumber(c.value), c.text);
}

TEST(NumberFormat, JsonStringEscaping)
{
    struct Case {
        std::string input;
        std::string expected;
    };
    const std::string replacement = "\xEF\xBF\xBD";
    const Case cases[] = {
        {"/home/u/tone.wav", "\"/home/u/tone.wav\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\n\t\r\b\f", "\"\\n\\t\\r\\b\\f\""},
        {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\x7f\""}, // DEL needs no escape
        {std::string("a\0b", 3), "\"a\\u0000b\""},
        {"M\xC3\xBCller \xE6\x97\xA5 \xF0\x9F\x98\x80", "\"M\xC3\xBCller \xE6\x97\xA5 \xF0\x9F\x98\x80\""},
        // Ill-formed UTF-8, one U+FFFD per maximal ill-formed subsequence:
        {"\xFF", "\"" + replacement + "\""},                   // never a UTF-8 byte
        {"\xE6\x97", "\"" + replacement + "\""},               // 3-byte form cut short
        {"\xE6\x97x", "\"" + replacement + "x\""},
        {"\xC0\xAF", "\"" + replacement + replacement + "\""}, // overlong '/': C0 never leads
        {"\xED\xA0\x80", "\"" + replacement + replacement + replacement + "\""}, // surrogate
        {"\xF4\x90\x80\x80", "\"" + replacement + replacement + replacement + replacement + "\""}, // > U+10FFFF
    };
    for (const Case &c : cases)
        EXPECT_EQ(formatJsonString(c.input), c.expected);
}

TEST(NumberFormat, JsonStringsParseBackToTheSameText)
{
    // Random byte strings, mostly printable with some control and UTF-8 bytes: the
    // toolkit's JSON parser must accept every literal, and a valid input must come
    // back unchanged.
    std::mt19937_64 rng(testSeed() + 2);
    const char *pieces[] = {"a", "/", " ", "\"", "\\", "\n", "\x01", "\x1f", "\x7f", "\xC3\xA9",
                            "\xE2\x82\xAC", "\xF0\x9F\x8E\xB5", "\xFF", "\xC3", "\xE2\x82", "\xED\xBF\xBF"};
    for (int i = 0; i < 2000; ++i) {
        std::string input;
        const int length = static_cast<int>(rng() % 12);
        for (int n = 0; n < length; ++n)
            input += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        const std::string literal = formatJsonString(input);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString("[" + literal + "]"), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << literal;
        const QString decoded = document.array().at(0).toString();
        const QString direct = QString::fromUtf8(input.data(), static_cast<int>(input.size()));
        if (direct.toUtf8() == QByteArray::fromStdString(input)) { // valid UTF-8
            ASSERT_EQ(decoded, direct) << literal;
        }
    }
}

} // namespace
