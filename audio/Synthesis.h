#pragma once
// Additive resynthesis of one fundamental's harmonic tracks (numeric core),
// computed once at construction and played on request.
//
// The tracks are read only while computing: later edits of amp or freqDev
// are not heard. The sound is shared with its playbacks, so a playback
// outlives this object safely.

#include "audio/AudioThread.h"

#include <QObject>

class Synthesis : public QObject {
    Q_OBJECT
public:
    // `amp` and `freqDev`: numHarmonics rows of at least numFrames values
    // (16-bit sample units and Hz), `initialPhase` numHarmonics radians,
    // `timeStep` seconds between frames, `sampleRate` of the sound in Hz.
    // `mainWindow` names the requester of playbacks.
    Synthesis(double f0, double *initialPhase, double **amp, double **freqDev, int numHarmonics, int numFrames,
              double timeStep, QObject *mainWindow, int sampleRate);

    AudioThread::Buffer output;  // numSamples signed 16-bit values at sampleRate Hz
    double f0;                   // Hz
    double *initialPhase;        // not owned
    double **amp;                // not owned
    double **freqDev;            // not owned
    int numHarmonics;
    int numFrames;
    int numSamples;              // trunc(timeStep * numFrames * sampleRate)
    double timeStep;             // s
    QObject *mainWindow;
    int sampleRate;              // Hz

public slots:
    // Computes `output` from the tracks as they stand (a new buffer: a
    // playback still running keeps the previous one).
    void synthesize();
    // Starts a new playback of `output`; returns at once.
    void playSynthesis();
};
