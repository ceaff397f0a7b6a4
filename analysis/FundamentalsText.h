#pragma once
// Fundamentals typed by the user as comma-separated text, e.g. "220,330".

#include <array>
#include <string>

namespace sonvik {

// Slot i (Hz) takes the i-th comma-separated section; missing sections are
// empty, sections after the fifth are ignored. A section counts only when it is
// a plain decimal number: optional blanks (spaces, tabs) around it, optional
// sign, digits with an optional fraction ("1." and ".5" count, "." does not),
// optional exponent (e/E, optional sign, digits). Anything else ("nan", "inf",
// hexadecimal, text, empty) and numbers beyond the range of a double give 0.
// Independent of the locale. Negative values are returned as typed.
std::array<double, 5> parseFundamentals(const std::string &text);

} // namespace sonvik
