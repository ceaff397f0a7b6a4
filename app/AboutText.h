#pragma once
// Text of the About box. The library lines name the versions in use: the
// run-time version where a library reports one, the build-time one otherwise.

#include <QString>

namespace abouttext {

// The whole message, lines separated by '\n' (no newline after the last line).
QString message();

// The first dotted number in a library's version text, e.g.
// "fftw-3.3.10-sse2-avx" -> "3.3.10"; the whole text when it holds none.
QString versionNumber(const QString &versionText);

} // namespace abouttext
