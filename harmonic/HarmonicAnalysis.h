#pragma once
// One fundamental of an analysis: runs the harmonic tracker and its measures
// (numeric core) on the analysis's portion, keeps the result, and exposes it
// under the names the views, tables, exports and graphs read. Also holds the
// fundamental's resynthesis, played by the window's "Synthesize sound and
// play" action.
//
// Shapes: matrices are numHarmonics row pointers, row h (harmonic number
// h + 1) holding numFrames + 1 values of which the first numFrames carry
// results (amp[h][j]); per-frame arrays hold numFrames + 1 values, per-harmonic
// arrays numHarmonics. Amplitudes are peak amplitudes in 16-bit sample units,
// deviations in Hz, times in seconds. The arrays live as long as the object;
// amp and freqDev may be edited in place, the measures are never recomputed.
//
// Lifetime: created by the Analysis for an analysable fundamental (check
// sonvik::TrackerSizes::sizesFor first); deletes itself when its main window
// is destroyed.

#include "harmonic/HarmonicTrack.h"

#include <QObject>

class Analysis;
class MainWindow;
class Synthesis;

class HarmonicAnalysis : public QObject {
    Q_OBJECT
public:
    // `index` is the fundamental's slot (0..4) in the analysis's f0List, `f0`
    // its frequency in Hz, `numSamples` the length of the analysis's portion.
    HarmonicAnalysis(MainWindow *mainWindow, Analysis *analysis, int index, double f0, int numSamples);
    ~HarmonicAnalysis() override;

    // Everything the tracker and the measures produced.
    const sonvik::HarmonicTrack &track() const { return result; }

    MainWindow *mainWindow;
    Analysis *analysis;
    int index;
    double f0;            // Hz
    int numSamples;
    int sampleRate;       // Hz, the analysis's
    int numHarmonics;
    int frameLength;      // window length N in samples, two periods of f0
    double timeStep;      // s between frames, N / (2 sampleRate)
    int numFrames;
    double *timeAxis;     // timeAxis[j] = j * timeStep

    double **amp;         // peak amplitude per harmonic and frame
    double **freqDev;     // Hz from the centre of the harmonic's bin
    double *initialPhase; // radians, per harmonic; the resynthesis starts from it

    double *rmsAmp;       // per frame
    double *maxAmp;       // per frame
    double peakAmp;
    int peakFrame;        // 0-based
    double *harRmsAmp;    // per harmonic, over the non-silent frames
    int peakHarmonic;     // 0-based
    double *meanFreqDev;  // Hz, per harmonic
    double **inharmonicity;
    double **ampDiff;
    double **freqDiff;
    double **dampedFreqDev;
    double *centroid;     // per frame, in harmonic numbers
    double *irregularity; // per frame
    double *attackTime;   // s, per harmonic
    double *decayTime;    // s, per harmonic

    bool editing = false;  // amplitude/frequency data may be edited

    Synthesis *synthesis;  // owned

private:
    sonvik::HarmonicTrack result;
};
