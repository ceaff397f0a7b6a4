#include "sound/DialogSound.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_marker.h>
#include <qwt_text.h>

#include <QDebug>
#include <QMessageBox>
#include <QPen>
#include <QVector>

#include <algorithm>

namespace {

QString secondsText(double seconds)
{
    return QString::number(seconds, 'g', 6) + QLatin1Char('s');
}

// The number a time label shows, read back in single precision.
float labelSeconds(const QLabel *label)
{
    QString text = label->text();
    text.chop(1);  // the "s"
    return text.toFloat();
}

QwtPlotMarker *addMarker(QwtPlot *plot, const QString &label, Qt::Alignment alignment, double x)
{
    auto *marker = new QwtPlotMarker;
    marker->setLineStyle(QwtPlotMarker::VLine);
    marker->setLabel(QwtText(label));
    marker->setLabelAlignment(alignment);
    marker->setLabelOrientation(Qt::Horizontal);
    marker->setLinePen(QPen(QBrush(Qt::darkRed), 2, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin));
    marker->setXValue(x);
    marker->attach(plot);
    return marker;
}

// A waveform drawn as a filled area between the curve and zero.
void addWaveform(QwtPlot *plot, const QString &title, const QVector<double> &x,
                 const QVector<double> &y, Qt::GlobalColor colour)
{
    auto *curve = new QwtPlotCurve(title);
    curve->setPen(QPen(Qt::NoPen));
    curve->setBrush(QBrush(colour));
    curve->setSamples(x, y);
    curve->attach(plot);
    plot->replot();
}

} // namespace

DialogSound::DialogSound(const short *rawSamples, short *samples, int channels, int sampleRate,
                         int *sampleCount, QWidget *parent)
    : QDialog(parent), rawSamples(rawSamples), samples(samples), sampleCount(sampleCount),
      channels(channels), sampleRate(sampleRate), total(*sampleCount), endIndex(total - 1)
{
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowOpacity(0.8);

    connect(slideStart, &QSlider::valueChanged, this, &DialogSound::convertStartTime);
    connect(slideEnd, &QSlider::valueChanged, this, &DialogSound::convertEndTime);
    connect(pushPreview, &QPushButton::clicked, this, &DialogSound::playPreview);
    connect(pushTrim, &QPushButton::clicked, this, &DialogSound::autoTrim);
    connect(radioLeft, &QRadioButton::clicked, this, &DialogSound::chooseLeft);
    connect(radioRight, &QRadioButton::clicked, this, &DialogSound::chooseRight);
    connect(radioAvg, &QRadioButton::clicked, this, &DialogSound::chooseAvg);

    slideStart->setValue(sonvik::kSliderMin);
    slideEnd->setValue(sonvik::kSliderMax);
    const double duration = secondsAt(sonvik::kSliderMax);
    labelStart->setText(secondsText(0.0));
    labelEnd->setText(secondsText(duration));
    labelTotal->setText(secondsText(duration));

    leftStartMarker = addMarker(plotLeft, QStringLiteral("->"), Qt::AlignRight | Qt::AlignTop, 0.0);
    leftEndMarker = addMarker(plotLeft, QStringLiteral("<-"), Qt::AlignLeft | Qt::AlignTop, duration);
    rightStartMarker = addMarker(plotRight, QStringLiteral("->"), Qt::AlignRight | Qt::AlignTop, 0.0);
    rightEndMarker = addMarker(plotRight, QStringLiteral("<-"), Qt::AlignLeft | Qt::AlignTop, duration);

    if (channels == 1) {
        qDebug() << "DialogSound: one channel";
        radioLeft->setText(QStringLiteral("Mono"));
        radioRight->setEnabled(false);
        radioAvg->setEnabled(false);
        labelAvg->setEnabled(false);
        plotRight->setEnabled(false);
    }
    // With more than two channels "L" and "R" are the first two, and the
    // average takes all of them.
    if (sonvik::defaultChannel(channels) == sonvik::Channel::Average) {
        radioAvg->setChecked(true);
        chooseAvg();
    } else {
        radioLeft->setChecked(true);
        chooseLeft();
    }

    for (QwtPlot *plot : {plotLeft, plotRight}) {
        plot->setAutoFillBackground(false);
        plot->setAttribute(Qt::WA_NoSystemBackground);
        plot->setAxisScale(QwtPlot::xBottom, 0.0, duration);
    }
    drawChannels();
}

sonvik::Channel DialogSound::channel() const
{
    if (radioRight->isChecked())
        return sonvik::Channel::Right;
    if (radioAvg->isChecked())
        return sonvik::Channel::Average;
    return sonvik::Channel::Left;
}

double DialogSound::secondsAt(int percent) const
{
    return percent / 100.0 * total / channels / sampleRate;
}

void DialogSound::drawChannels()
{
    const int frames = total / channels;
    QVector<double> x(frames);
    QVector<double> left(frames);
    QVector<double> right(channels > 1 ? frames : 0);
    for (int i = 0; i < frames; ++i) {
        x[i] = static_cast<double>(i) / sampleRate;
        left[i] = rawSamples[i * channels];
        if (channels > 1)
            right[i] = rawSamples[i * channels + 1];
    }
    addWaveform(plotLeft, QStringLiteral("Left"), x, left, Qt::darkBlue);
    if (channels > 1) {
        plotRight->setEnabled(true);
        addWaveform(plotRight, QStringLiteral("Right"), x, right, Qt::black);
    }
}

void DialogSound::convertStartTime(int value)
{
    slideEnd->setValue(sonvik::endAfterStartMoved(value, slideEnd->value()));
    // The end slider's handler may have moved this slider again: show where it is now.
    const double seconds = secondsAt(slideStart->value());
    labelStart->setText(secondsText(seconds));
    updateTotalLabel();
    leftStartMarker->setXValue(seconds);
    rightStartMarker->setXValue(seconds);
    update();
    updateSelection();
}

void DialogSound::convertEndTime(int value)
{
    slideStart->setValue(sonvik::startAfterEndMoved(value, slideStart->value()));
    const double seconds = secondsAt(slideEnd->value());
    labelEnd->setText(secondsText(seconds));
    updateTotalLabel();
    leftEndMarker->setXValue(seconds);
    rightEndMarker->setXValue(seconds);
    update();
    updateSelection();
}

void DialogSound::updateTotalLabel()
{
    labelTotal->setText(secondsText(labelSeconds(labelEnd) - labelSeconds(labelStart)));
}

void DialogSound::chooseLeft()
{
    showChannels(true, false);
}

void DialogSound::chooseRight()
{
    showChannels(false, true);
}

void DialogSound::chooseAvg()
{
    showChannels(true, true);
}

void DialogSound::showChannels(bool left, bool right)
{
    useLeft = left;
    useRight = right;
    leftStartMarker->setVisible(left);
    leftEndMarker->setVisible(left);
    rightStartMarker->setVisible(right);
    rightEndMarker->setVisible(right);
    // The channel decides where the portion starts.
    updateSelection();
    // A plot left out of the selection still has to drop its markers.
    if (!useLeft)
        plotLeft->replot();
    if (!useRight)
        plotRight->replot();
    update();
}

void DialogSound::updateSelection()
{
    const sonvik::Selection selection = sonvik::selectPortion(
        slideStart->value(), slideEnd->value(), total, channels, channel());
    startIndex = selection.startIndex;
    endIndex = selection.endIndex;
    *sampleCount = selection.count;
    if (useLeft)
        plotLeft->replot();
    if (useRight)
        plotRight->replot();
}

void DialogSound::extractPortion()
{
    sonvik::Selection selection;
    selection.startIndex = startIndex;
    selection.endIndex = endIndex;
    selection.count = *sampleCount;
    // A new buffer each time: a preview still playing keeps the one it was given.
    previewSamples = std::make_shared<const std::vector<short>>(
        sonvik::extractPortion(rawSamples, total, channels, channel(), selection));
    *sampleCount = static_cast<int>(previewSamples->size());
}

void DialogSound::playPreview()
{
    updateSelection();
    extractPortion();
    playSamples(parentWidget(), sampleRate, *sampleCount, previewSamples);
}

void DialogSound::autoTrim()
{
    const sonvik::TrimPositions positions =
        sonvik::trimPositions(rawSamples, total, channels, channel());
    if (positions.move) {
        slideStart->setValue(positions.start);
        slideEnd->setValue(positions.end);
    }
    qDebug() << "DialogSound: trimmed to start" << slideStart->value() << "end" << slideEnd->value();
    if (!sonvik::nothingSelected(slideStart->value(), slideEnd->value()))
        return;
    const QMessageBox::StandardButton answer = QMessageBox::warning(
        this, tr("Nothing selected"),
        tr("There is no sound data in this channel. Press OK to select nothing, Cancel to select all."),
        QMessageBox::Ok | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) {
        slideStart->setValue(sonvik::kSliderMin);
        slideEnd->setValue(sonvik::kSliderMax);
    }
}

void DialogSound::accept()
{
    qDebug() << "DialogSound: before accepting start" << startIndex << "end" << endIndex;
    updateSelection();
    extractPortion();
    std::copy(previewSamples->begin(), previewSamples->end(), samples);
    qDebug() << "DialogSound: accepted start" << startIndex << "end" << endIndex
             << "samples" << *sampleCount;
    QDialog::accept();
}
