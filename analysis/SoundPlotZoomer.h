#pragma once
// Zoomer of the waveform plot: a rubber band zooms into time and amplitude,
// and the tracker reads out the time in seconds and the amplitude in 16-bit
// sample units under the mouse.

#include <qwt_plot_zoomer.h>

class SoundPlotZoomer : public QwtPlotZoomer {
public:
    // On the canvas of a plot whose bottom axis is time (s) and left axis
    // amplitude; replots on every zoom. The zoomer becomes a child of the canvas.
    explicit SoundPlotZoomer(QWidget *canvas);

    // "Time: <s, 2 decimals>s\nAmp.:<amplitude, no decimals>" in a 10-point
    // sans-serif font on a translucent white background.
    QwtText trackerTextF(const QPointF &pos) const override;
};
