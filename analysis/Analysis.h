#pragma once
// One opened sound: the object behind a main window's analysis. Its
// constructor runs the whole pipeline on the GUI thread before it returns:
// log and parameter rows, loading, the portion dialog, the waveform, the
// detail controls, the short-time spectrum and fundamentals (numeric core),
// and one HarmonicAnalysis per fundamental. A window-modal progress dialog
// frames the long steps; its Cancel is honoured before and after the
// spectrum.
//
// Any step may end the analysis early (unreadable file, size limit, no
// sound, cancelled portion or progress); the object then stays with what the
// earlier steps produced. hasPortion() tells whether a portion was chosen.
//
// Lifetime: nothing deletes an Analysis while its window lives; it deletes
// itself when its main window is destroyed.

#include "analysis/Matrix.h"
#include "app/AnalysisHeader.h"
#include "sound/SoundFile.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class HarmonicAnalysis;
class MainWindow;
class QProgressDialog;

class Analysis : public QObject {
    Q_OBJECT
public:
    Analysis(MainWindow *mainWindow, const QString &fileName, const AnalysisHeader &header);
    ~Analysis() override;

    // True once the portion dialog was accepted: `samples` then holds
    // `sampleCount` values and stays unchanged for the object's life.
    bool hasPortion() const { return samples != nullptr; }

    // Waveform of the portion in the window's plotData, with its zoomer.
    void drawWaveform();
    // Short-time spectrum of the portion and, when asked, its fundamentals.
    void computeSpectrum();

    MainWindow *mainWindow;
    AnalysisHeader header;   // copy; findF0 is set when no fundamental was typed
    QDateTime startTime;
    double f0List[5] = {};   // Hz; 0 (or less) marks an empty slot
    // Analysed fundamentals in slot order; tab i of each view tab widget is entry i.
    QList<HarmonicAnalysis *> harmonicList;
    double pitchTable[136];  // equal-tempered pitches in Hz, A4 = 440 Hz at index 69

    // Sound (filled by loading).
    sonvik::SoundInfo sfInfo;
    QString filePath;                // the opened file; empty if it could not be opened
    std::vector<short> rawSamples;   // interleaved, readcount * channels; released once the portion is chosen
    int readcount = 0;               // frames read
    // The chosen portion: `sampleCount` signed 16-bit values of one channel (or
    // the channel average) at sfInfo.samplerate Hz. Shared with playbacks, so
    // a playing sound outlives the analysis. `samples` points into it; null
    // while no portion was chosen.
    std::shared_ptr<std::vector<short>> sampleBuffer;
    short *samples = nullptr;
    int sampleCount = 0;             // before the portion dialog: channels * readcount
    int frameSize = 0;               // samples per spectrum frame (the header's window size)
    double frameTime = 0.0;          // seconds per spectrum frame

    // Spectrum (filled by computeSpectrum): nFrame rows of frameSize bins in
    // 16-bit sample units; bins above frameSize / 2 are zero.
    int nFrame = 0;
    sonvik::Matrix spectrum;
    sonvik::Matrix specCeps;         // spectrum times the cepstrum folded onto bins
    int minF0Bin = 0;                // detection looks strictly between these bins
    int maxF0Bin = 0;

public slots:
    void showCeps();
    void toggleLogScale(bool on);
    void toggleGreyscale(bool on);

private:
    void writeLog(const QString &fileName);
    void prepareDataTable(const QString &fileName);
    void appendDataRow(const QString &label, const QString &value);
    // Loads the file; false (after telling the user) when the analysis must end.
    bool loadSound(const QString &fileName);
    // Runs the portion dialog; false when it was cancelled.
    bool choosePortion();
    void showSubWindows();
    void prepareDetailTable();
    // One HarmonicAnalysis per analysable positive slot, raising the progress by 10 for each.
    void analyseFundamentals(QProgressDialog &progress);
};
