#pragma once
// Portion dialog: the user picks the channel ("L", "R" or the average of all
// channels) and the part of the sound to analyse with two percentage sliders,
// may trim silent ends automatically and hear a preview. On OK the portion is
// written as one stream of 16-bit values.
//
// Buffers (not owned): `rawSamples` holds *sampleCount interleaved values
// (index = frame * channels + channel); `samples` has room for as many.
// Every selection update writes the portion's length in values (one per
// frame) to *sampleCount; accept() also writes the portion into `samples`.
// Both buffers must outlive the dialog; a preview keeps its own copy of the
// portion, so it may go on playing after the dialog has gone.
//
// The dialog deletes itself when it closes: create it with new and do not
// touch it after exec().

#include "audio/AudioThread.h"
#include "sound/PortionSelection.h"
#include "ui_dialogSound.h"

#include <QDialog>

class QwtPlot;
class QwtPlotMarker;

class DialogSound : public QDialog, public Ui::dialogSound {
    Q_OBJECT
public:
    // `sampleRate` in Hz; `channels` >= 1.
    DialogSound(const short *rawSamples, short *samples, int channels, int sampleRate,
                int *sampleCount, QWidget *parent);

    // The current selection: inclusive bounds into rawSamples, and whether
    // the left and the right plot take part in it.
    int selectionStart() const { return startIndex; }
    int selectionEnd() const { return endIndex; }
    bool leftUsed() const { return useLeft; }
    bool rightUsed() const { return useRight; }

public slots:
    // Slider handlers: keep start below end, show the times in seconds, move
    // the markers and update the selection.
    void convertStartTime(int value);
    void convertEndTime(int value);
    // Channel choice: which plots take part (markers shown) in the selection.
    void chooseLeft();
    void chooseRight();
    void chooseAvg();
    // Plays the current portion (on machines with an audio output).
    void playPreview();
    // Moves the sliders to the loud part of the chosen channel, or asks what
    // to do when nothing in it is loud.
    void autoTrim();
    // Writes the portion into `samples` and its length into *sampleCount.
    void accept() override;

private:
    sonvik::Channel channel() const;
    // Seconds from the start of the sound at a slider position (percent).
    double secondsAt(int percent) const;
    void showChannels(bool left, bool right);
    void updateSelection();
    void extractPortion();
    void updateTotalLabel();
    void drawChannels();

    const short *rawSamples;
    short *samples;
    int *sampleCount;
    int channels;
    int sampleRate;  // Hz
    int total;       // interleaved values in rawSamples
    // The portion last extracted; each preview shares the one it plays.
    AudioThread::Buffer previewSamples;
    bool useLeft = true;
    bool useRight = false;
    int startIndex = 0;  // inclusive bounds into rawSamples
    int endIndex = -1;
    QwtPlotMarker *leftStartMarker;
    QwtPlotMarker *leftEndMarker;
    QwtPlotMarker *rightStartMarker;
    QwtPlotMarker *rightEndMarker;
};
