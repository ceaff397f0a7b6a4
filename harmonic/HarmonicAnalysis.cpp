#include "harmonic/HarmonicAnalysis.h"

#include "analysis/Analysis.h"
#include "app/MainWindow.h"
#include "audio/Synthesis.h"
#include "harmonic/HarmonicMeasures.h"
#include "harmonic/HarmonicTracker.h"

#include <QDebug>
#include <QLoggingCategory>

namespace {

// One line per tracked frame is too much for the default debug output; enable
// with QT_LOGGING_RULES="sonvik.tracker.debug=true".
Q_LOGGING_CATEGORY(trackerFrames, "sonvik.tracker", QtInfoMsg)

} // namespace

HarmonicAnalysis::HarmonicAnalysis(MainWindow *mainWindow, Analysis *analysis, int index, double f0,
                                   int numSamples)
    : mainWindow(mainWindow), analysis(analysis), index(index), f0(f0), numSamples(numSamples),
      sampleRate(analysis->sfInfo.samplerate)
{
    // Released with its window, as the analysis is.
    connect(mainWindow, &QObject::destroyed, this, [this] { delete this; });

    qDebug() << "Harmonic analysis started";
    qDebug() << "f0 =" << f0;
    result = sonvik::trackHarmonics(analysis->samples, numSamples, sampleRate, f0, [](int start, int frame) {
        qCDebug(trackerFrames) << "start =" << start << "frame =" << frame;
    });
    qDebug() << "peak har index =" << result.peakHarmonic;
    qDebug() << "peak frame =" << result.peakFrame;
    // The durations belong to the amplitude view, which reads them as stored.
    sonvik::computeAttackDecay(result);

    numHarmonics = result.numHarmonics;
    frameLength = result.frameLength;
    timeStep = result.timeStep;
    numFrames = result.numFrames;
    timeAxis = result.timeAxis.data();
    amp = result.amp.rowPointers();
    freqDev = result.freqDev.rowPointers();
    initialPhase = result.initialPhase.data();
    rmsAmp = result.rmsAmp.data();
    maxAmp = result.maxAmp.data();
    peakAmp = result.peakAmp;
    peakFrame = result.peakFrame;
    harRmsAmp = result.harRmsAmp.data();
    peakHarmonic = result.peakHarmonic;
    meanFreqDev = result.meanFreqDev.data();
    inharmonicity = result.inharmonicity.rowPointers();
    ampDiff = result.ampDiff.rowPointers();
    freqDiff = result.freqDiff.rowPointers();
    dampedFreqDev = result.dampedFreqDev.rowPointers();
    centroid = result.centroid.data();
    irregularity = result.irregularity.data();
    attackTime = result.attackTime.data();
    decayTime = result.decayTime.data();

    synthesis = new Synthesis(f0, initialPhase, amp, freqDev, numHarmonics, numFrames, timeStep, mainWindow,
                              sampleRate);
    connect(mainWindow->actionSynthesize, &QAction::triggered, synthesis, &Synthesis::playSynthesis);
}

HarmonicAnalysis::~HarmonicAnalysis()
{
    delete synthesis;
}
