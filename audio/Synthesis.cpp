#include "audio/Synthesis.h"

#include "audio/Resynthesis.h"

#include <QDebug>

Synthesis::Synthesis(double f0, double *initialPhase, double **amp, double **freqDev, int numHarmonics,
                     int numFrames, double timeStep, QObject *mainWindow, int sampleRate)
    : f0(f0), initialPhase(initialPhase), amp(amp), freqDev(freqDev), numHarmonics(numHarmonics),
      numFrames(numFrames), numSamples(sonvik::resynthesisLength(timeStep, numFrames, sampleRate)),
      timeStep(timeStep), mainWindow(mainWindow), sampleRate(sampleRate)
{
    qDebug() << "f0, nh, nf, ns =" << f0 << numHarmonics << numFrames << numSamples;
    synthesize();
}

void Synthesis::synthesize()
{
    qDebug() << "Synthesizing" << numHarmonics << "harmonics";
    output = std::make_shared<const std::vector<short>>(sonvik::resynthesize(
        f0, initialPhase, amp, freqDev, numHarmonics, numFrames, timeStep, sampleRate));
}

void Synthesis::playSynthesis()
{
    playSamples(mainWindow, sampleRate, numSamples, output);
}
