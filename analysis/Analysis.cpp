#include "analysis/Analysis.h"

#include "analysis/FundamentalDetector.h"
#include "analysis/FundamentalsText.h"
#include "analysis/PitchTable.h"
#include "analysis/ShortTimeSpectrum.h"
#include "analysis/SoundPlotZoomer.h"
#include "app/MainWindow.h"
#include "harmonic/HarmonicAnalysis.h"
#include "harmonic/TrackerSizes.h"
#include "sound/DialogSound.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFontComboBox>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVector>

#include <algorithm>
#include <string>

namespace {

const QString kStars = QStringLiteral("***************************************************");
const QString kTimeFormat = QStringLiteral("dd/MM/yyyy hh:mm:ss");

QString yesNo(bool value)
{
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

// Frequencies as the log shows them: 6 significant digits, no space before "Hz".
QString hertz(double f0)
{
    return QString::number(f0, 'g', 6) + QStringLiteral("Hz");
}

} // namespace

Analysis::Analysis(MainWindow *mainWindow, const QString &fileName, const AnalysisHeader &header)
    : mainWindow(mainWindow), header(header)
{
    // Released with its window: nothing else holds it.
    connect(mainWindow, &QObject::destroyed, this, [this] { delete this; });

    std::copy(sonvik::pitchTable().begin(), sonvik::pitchTable().end(), pitchTable);

    connect(mainWindow->actionViewCeps, &QAction::triggered, this, &Analysis::showCeps);
    connect(mainWindow->actionLogScale, &QAction::triggered, this, &Analysis::toggleLogScale);
    connect(mainWindow->actionSpecGrey, &QAction::triggered, this, &Analysis::toggleGreyscale);
    mainWindow->actionNew->setEnabled(false);

    startTime = QDateTime::currentDateTime();
    writeLog(this->header.fileName);
    mainWindow->labelData->setText(mainWindow->labelData->text() + this->header.fileName);
    prepareDataTable(this->header.fileName);
    // Only now: the log and the table show the fundamentals as typed.
    if (this->header.fundamentals.isEmpty())
        this->header.findF0 = true;

    if (!loadSound(fileName))
        return;

    if (!choosePortion())
        return;
    // Made once the portion is chosen: a progress dialog shows itself after a
    // few seconds, which must not happen while the user is still choosing.
    QProgressDialog progress(tr("Analyzing..."), tr("Cancel"), 0, 100, mainWindow);
    progress.setWindowModality(Qt::WindowModal);
    progress.setValue(0);

    if (!this->header.findF0) {
        // Typed fundamentals are used as typed, never aligned to a pitch.
        const auto typed = sonvik::parseFundamentals(this->header.fundamentals.toStdString());
        std::copy(typed.begin(), typed.end(), f0List);
    }

    drawWaveform();
    showSubWindows();
    prepareDetailTable();

    progress.setValue(10);
    if (progress.wasCanceled())
        return;
    computeSpectrum();
    qDebug() << "finished draw spectrum";
    progress.setValue(40);
    if (progress.wasCanceled())
        return;

    analyseFundamentals(progress);
    mainWindow->textInfo->appendPlainText(tr("Analysis done."));

    connect(mainWindow->subwinSpec, &QMdiSubWindow::aboutToActivate, mainWindow, &MainWindow::changeSpecDetail);
    connect(mainWindow->subwin3D, &QMdiSubWindow::aboutToActivate, mainWindow, &MainWindow::change3DDetail);
    connect(mainWindow->subwinHar, &QMdiSubWindow::aboutToActivate, mainWindow,
            qOverload<>(&MainWindow::changeHarDetail));
    connect(mainWindow->subwinAmp, &QMdiSubWindow::aboutToActivate, mainWindow, &MainWindow::changeAmpDetail);
    connect(mainWindow->subwinFreq, &QMdiSubWindow::aboutToActivate, mainWindow, &MainWindow::changeFreqDetail);
    for (QTabWidget *tabs : {mainWindow->tab3D, mainWindow->tabHar, mainWindow->tabAmp, mainWindow->tabFreq})
        connect(tabs, &QTabWidget::currentChanged, mainWindow, &MainWindow::changeF0Detail);

    progress.setValue(100);
}

Analysis::~Analysis()
{
    // The harmonic analyses go with the window, as this object does.
    harmonicList.clear();
    qDebug() << "Analysis ended.";
}

void Analysis::writeLog(const QString &fileName)
{
    QStringList lines = {kStars, tr("Analysis started at ") + startTime.toString(kTimeFormat), kStars,
                         tr("Filename: ") + fileName,
                         tr("Performer: ") + header.performer,
                         tr("Instrument: ") + header.instrument,
                         tr("Date of recording: ") + header.date,
                         tr("Pitch: ") + header.pitch,
                         tr("Dynamics: ") + header.dynamics};
    if (header.vibrato)
        lines << tr("Vibrato is present");
    lines << tr("Tone segment: ") + header.toneSegment << tr("Comments: ") + header.comments;
    lines << (header.findF0 ? tr("Requested to detect F0 automatically...!")
                            : tr("Fund. freq.: ") + header.fundamentals);
    for (const QString &line : lines)
        mainWindow->textInfo->appendPlainText(line);
}

void Analysis::appendDataRow(const QString &label, const QString &value)
{
    QTableWidget *table = mainWindow->tableData;
    table->insertRow(table->rowCount());
    table->setItem(table->rowCount() - 1, 0, new QTableWidgetItem(label));
    table->setItem(table->rowCount() - 1, 1, new QTableWidgetItem(value));
}

void Analysis::prepareDataTable(const QString &fileName)
{
    QTableWidget *table = mainWindow->tableData;
    table->setEnabled(true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setColumnCount(2);
    table->setRowCount(0);
    connect(table, &QTableWidget::currentCellChanged, table, &QTableView::resizeRowsToContents);
    connect(table, &QTableWidget::currentCellChanged, table, &QTableView::resizeColumnsToContents);

    appendDataRow(tr("Analysis start time"), startTime.toString(kTimeFormat));
    appendDataRow(tr("Filename"), fileName);
    appendDataRow(tr("Performer"), header.performer);
    appendDataRow(tr("Instrument"), header.instrument);
    appendDataRow(tr("Date of recording"), header.date);
    appendDataRow(tr("Pitch"), header.pitch);
    appendDataRow(tr("Dynamics"), header.dynamics);
    appendDataRow(tr("Vibrato"), yesNo(header.vibrato));
    appendDataRow(tr("Tone segment"), header.toneSegment);
    appendDataRow(tr("Comments"), header.comments);
    appendDataRow(tr("Fundamental freq"), QString());
    appendDataRow(tr("Align freq to pitch?"), yesNo(header.alignF0));
    appendDataRow(tr("Window Function"), QString());
    // The window function is kept as the item's type, not as text.
    table->setItem(table->rowCount() - 1, 1, new QTableWidgetItem(header.windowFunction));
    appendDataRow(tr("Window Size"), QString::number(header.windowSize) + tr(" samples"));
}

bool Analysis::loadSound(const QString &fileName)
{
    sonvik::SoundFile sound = sonvik::SoundFile::load(QFile::encodeName(fileName).toStdString());
    const QString message = QFile::decodeName(QByteArray::fromStdString(sound.message));
    if (sound.status == sonvik::LoadStatus::CannotRead || sound.status == sonvik::LoadStatus::CannotDecode) {
        qDebug() << "Error opening the file";
        QMessageBox::warning(mainWindow, tr("File not loaded"), message);
        return false;
    }
    filePath = fileName;
    sfInfo = sound.info;
    mainWindow->statusBar()->showMessage(tr("File loaded"), 3000);

    if (sound.status == sonvik::LoadStatus::TooManyFrames) {
        QMessageBox::critical(mainWindow, tr("File size too large!"),
                              tr("Too many samples! Please use a file with less than 1,000,000 samples.\n"
                                 "e.g. 44.1kHz for 22.5s (mono)"),
                              QMessageBox::Ok, QMessageBox::Ok);
        return false;
    }

    appendDataRow(tr("Sample rate"), QString::number(sfInfo.samplerate));
    appendDataRow(tr("Frames"), QString::number(sfInfo.frames));
    appendDataRow(tr("Channels"), QString::number(sfInfo.channels));
    appendDataRow(tr("Format"), QStringLiteral("0x") + QString::number(sfInfo.format, 16));
    appendDataRow(tr("Sections"), QString::number(sfInfo.sections));
    appendDataRow(tr("Seekable"), sfInfo.seekable ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));

    if (sound.status == sonvik::LoadStatus::NoFrames) {
        QMessageBox::warning(mainWindow, tr("No sound"), message);
        return false;
    }

    rawSamples = std::move(sound.rawSamples);
    readcount = sound.readcount;
    frameSize = header.windowSize;
    frameTime = (1.0 / sfInfo.samplerate) * frameSize;
    sampleCount = sfInfo.channels * readcount;
    qDebug() << "readcount = " << readcount << "frames" << sfInfo.frames << "channels" << sfInfo.channels
             << "sample rate" << sfInfo.samplerate;
    qDebug() << "samples = " << sampleCount;
    return true;
}

bool Analysis::choosePortion()
{
    // Room for every interleaved value, which bounds any portion.
    auto portion = std::make_shared<std::vector<short>>(static_cast<std::size_t>(sampleCount));
    auto *dialog = new DialogSound(rawSamples.data(), portion->data(), sfInfo.channels, sfInfo.samplerate,
                                   &sampleCount, mainWindow);
    const bool accepted = dialog->exec() == QDialog::Accepted;
    // Nothing reads the file's samples once the dialog has closed.
    rawSamples = std::vector<short>();
    if (!accepted) {
        sampleCount = 0;
        return false;
    }
    portion->resize(static_cast<std::size_t>(sampleCount));
    sampleBuffer = std::move(portion);
    samples = sampleBuffer->data();
    qDebug() << "samples = " << sampleCount;
    return true;
}

void Analysis::drawWaveform()
{
    QwtPlot *plot = mainWindow->plotData;
    plot->setEnabled(true);
    plot->setAxisTitle(QwtPlot::yLeft, tr("Amplitude"));
    plot->setAxisTitle(QwtPlot::xBottom, tr("Time (s)"));
    const double rate = sfInfo.samplerate;
    plot->setAxisScale(QwtPlot::xBottom, 0.0, sampleCount / rate);
    plot->setCanvasBackground(QBrush(Qt::lightGray));

    QVector<double> x(sampleCount);
    QVector<double> y(sampleCount);
    for (int i = 0; i < sampleCount; ++i) {
        x[i] = i / rate;
        y[i] = samples[i];
    }
    auto *curve = new QwtPlotCurve(tr("Left"));
    curve->setPen(QPen(Qt::NoPen));
    curve->setBrush(QBrush(Qt::darkBlue));  // fills between the curve and zero
    curve->setSamples(x, y);
    curve->attach(plot);
    plot->replot();

    auto *zoomer = new SoundPlotZoomer(plot->canvas());
    zoomer->setTrackerMode(QwtPicker::AlwaysOn);
}

void Analysis::showSubWindows()
{
    QMdiSubWindow *dataWindow = mainWindow->subwinDataWindow();
    const QList<QMdiSubWindow *> views = {mainWindow->subwin3D, mainWindow->subwinHar, mainWindow->subwinAmp,
                                          mainWindow->subwinFreq, mainWindow->subwinSpec};
    // The data page was hidden and disabled itself, not only its frame.
    mainWindow->subwinData->setEnabled(true);
    for (QMdiSubWindow *window : views)
        window->setEnabled(true);
    for (QMdiSubWindow *window : views)
        window->setVisible(true);
    mainWindow->subwinData->setVisible(true);
    dataWindow->setVisible(true);
    // Shown maximised in this order, the data page ends in front.
    for (QMdiSubWindow *window : {mainWindow->subwinHar, mainWindow->subwinSpec, dataWindow}) {
        window->showMaximized();
        mainWindow->mdiArea->setActiveSubWindow(window);
    }
}

void Analysis::prepareDetailTable()
{
    struct Row {
        int row;
        const char *label;
        QWidget *control;
    };
    const Row rows[] = {
        {0, QT_TR_NOOP("Title Font"), mainWindow->comboTitleFont},
        {1, QT_TR_NOOP("Axis Font"), mainWindow->comboAxisFont},
        {2, QT_TR_NOOP("Numbers Font"), mainWindow->comboNumbersFont},
        {3, QT_TR_NOOP("No. of Harmonics"), mainWindow->spinHarmonics3D},
        {4, QT_TR_NOOP("X Rotate"), mainWindow->spinRotateX},
        {5, QT_TR_NOOP("Y Rotate"), mainWindow->spinRotateY},
        {6, QT_TR_NOOP("Z Rotate"), mainWindow->spinRotateZ},
        {7, QT_TR_NOOP("Zoom"), mainWindow->spinZoom},
        {8, QT_TR_NOOP("X Scale\n(Harmonics)"), mainWindow->spinScaleX},
        {9, QT_TR_NOOP("Y Scale\n(Time)"), mainWindow->spinScaleY},
        {10, QT_TR_NOOP("Z Scale\n(Amplitude)"), mainWindow->spinScaleZ},
        {11, QT_TR_NOOP("Color"), mainWindow->comboColorScheme},
        {12, QT_TR_NOOP("Main Color"), mainWindow->comboMainColor},
        {13, QT_TR_NOOP("Show title?"), mainWindow->checkShowTitle},
        {20, QT_TR_NOOP("Amp Scale"), mainWindow->comboHarAmpScale},
        {21, QT_TR_NOOP("Harmonic Scale"), mainWindow->comboHarFreqScale},
        {22, QT_TR_NOOP("Harmonics to plot"), mainWindow->spinHarToPlot},
        {25, QT_TR_NOOP("Scale"), mainWindow->comboAmpScale},
    };
    QTableWidget *table = mainWindow->tableParam;
    table->setRowCount(50);
    for (const Row &row : rows) {
        table->setItem(row.row, 0, new QTableWidgetItem(tr(row.label)));
        table->setCellWidget(row.row, 1, row.control);
    }
    table->resizeRowsToContents();
    table->resizeColumnsToContents();
    // The 3D rows' labels read as captions: not selectable, not editable.
    for (int row = 0; row <= 13; ++row)
        table->item(row, 0)->setFlags(Qt::NoItemFlags);
    // The detail logic shows the rows of the view in front.
    for (int row = 0; row < 30; ++row)
        table->hideRow(row);
}

void Analysis::computeSpectrum()
{
    sonvik::ShortTimeSpectrum result;
    std::string error;
    if (!sonvik::computeShortTimeSpectrum(samples, sampleCount, sfInfo.samplerate, frameSize,
                                          header.windowFunction, result, &error)) {
        mainWindow->textInfo->appendPlainText(tr("No spectrum: ") + QString::fromStdString(error));
        return;
    }
    if (header.findF0) {
        const sonvik::FundamentalDetection detection = sonvik::detectFundamentals(result, header.alignF0);
        if (detection.noFrames) {
            const QString text = tr("The chosen portion is shorter than one spectrum frame (%1 samples): "
                                    "no fundamental was detected.")
                                     .arg(frameSize);
            mainWindow->textInfo->appendPlainText(text);
            QMessageBox::warning(mainWindow, tr("No fundamental detected"), text);
        } else {
            std::copy(detection.f0List.begin(), detection.f0List.end(), f0List);
            if (detection.usedFallback)
                qDebug() << "No f0 found. Using max avgamp of freqbin " << detection.fallbackBin
                         << detection.fallbackAmp;
        }
    }
    nFrame = result.nFrame;
    minF0Bin = result.minF0Bin;
    maxF0Bin = result.maxF0Bin;
    spectrum = std::move(result.spectrum);
    specCeps = std::move(result.specCeps);
    // The spectrogram view of spectrum and specCeps is set up here once it exists.
}

void Analysis::analyseFundamentals(QProgressDialog &progress)
{
    mainWindow->textInfo->appendPlainText(tr("Please wait, analysis in progress..."));
    QStringList skipped;
    for (int slot = 0; slot < 5; ++slot) {
        const double f0 = f0List[slot];
        if (!(f0 > 0.0))
            continue;
        // Checked before anything is allocated for the fundamental.
        const auto sizes = sonvik::TrackerSizes::sizesFor(f0, sfInfo.samplerate, sampleCount);
        if (!sizes.analysable()) {
            const QString reason = QString::fromUtf8(sonvik::rejectionText(sizes.rejection));
            mainWindow->textInfo->appendPlainText(tr("- Skipping ") + hertz(f0) + QStringLiteral(": ") + reason
                                                  + QStringLiteral("."));
            skipped << hertz(f0) + QStringLiteral(": ") + reason;
            continue;
        }
        mainWindow->textInfo->appendPlainText(tr("- Working on ") + hertz(f0) + QStringLiteral("."));
        harmonicList.append(new HarmonicAnalysis(mainWindow, this, slot, f0, sampleCount));
        qDebug() << "harmonic analyses:" << harmonicList.size();
        progress.setValue(progress.value() + 10);
    }
    if (!skipped.isEmpty())
        QMessageBox::warning(mainWindow, tr("Fundamentals skipped"),
                             tr("These fundamentals cannot be analysed:\n") + skipped.join(QLatin1Char('\n')));
}

void Analysis::showCeps()
{
    // Filled in with the spectrogram view.
}

void Analysis::toggleLogScale(bool)
{
    // Filled in with the spectrogram view.
}

void Analysis::toggleGreyscale(bool)
{
    // Filled in with the spectrogram view.
}
