#pragma once
// The analysis parameters and recording metadata confirmed in the
// parameters dialog, handed by value to the analysis that copies it.
// Texts are kept as the dialog shows them: nothing is validated or
// converted here (the fundamentals stay a string, the pitch a note name).

#include <QString>

struct AnalysisHeader {
    QString fileName;       // text of the dialog's file field
    QString performer;
    QString instrument;
    QString date;           // "dd/MM/yyyy"
    QString pitch;          // note name such as "Gb3", or free text
    QString dynamics;       // "", "pp", "p", "mp", "mf", "f" or "ff"
    bool vibrato = false;
    QString toneSegment;    // "All", "Middle" or "End"
    QString comments;       // may span lines
    QString fundamentals;   // comma-separated Hz as typed; empty when findF0
    bool findF0 = true;
    bool alignF0 = true;
    int windowFunction = 4; // 0 Rectangular, 1 Triangular, 2 Hamming, 3 Hann, 4 Blackman, 5 Bartlett-Hann
    int windowSize = 2048;  // samples: 512, 1024, 2048, 4096 or 8192
};
