#include "app/MainWindow.h"

#include "analysis/Analysis.h"
#include "app/AboutText.h"
#include "app/AnalysisHeader.h"
#include "app/DialogHeader.h"
#include "app/DialogSession.h"
#include "app/SubWindowKeeper.h"
#include "audio/AudioThread.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>

#include <qwt_plot.h>

#include <utility>

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setupUi(this);
    connectActions();
    menuEdit->setEnabled(false);
    actionPref->setEnabled(false);

    subwinData->setWindowTitle(tr("Analysis data"));
    createSubWindows();
    createDetailControls();

    // The window appears with the stored geometry and state, and with its
    // sub-windows already hidden. Showing it maximised first and restoring it
    // afterwards is not reliable: a maximise request still on its way through
    // the window system can win over the stored state.
    readSettings();
    show();
    textInfo->ensureCursorVisible();

    auto *session = new DialogSession(this);  // deletes itself when closed
    if (session->exec() == 1)
        newFile();
    // An analysis started above has disabled it for good: one window, one sound.
    actionNew->setEnabled(!hasAnalysis);
}

MainWindow::~MainWindow()
{
    writeSettings();
    qDebug() << "Main Window closed.";
}

QMdiSubWindow *MainWindow::subwinDataWindow() const
{
    return qobject_cast<QMdiSubWindow *>(subwinData->parentWidget());
}

void MainWindow::connectActions()
{
    connect(actionNew, &QAction::triggered, this, &MainWindow::newFile);
    connect(actionAnotherFile, &QAction::triggered, this, &MainWindow::anotherFile);
    connect(actionPrintSpectrum, &QAction::triggered, this, &MainWindow::printSpec);
    connect(actionPrintCurrentPlot, &QAction::triggered, this, &MainWindow::printPlot);
    connect(actionClose, &QAction::triggered, this, &QWidget::close);
    connect(actionQuit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
    connect(actionCopyDataTab, &QAction::triggered, this, &MainWindow::copyDataTab);
    connect(actionCopyDataComma, &QAction::triggered, this, &MainWindow::copyDataComma);
    connect(actionCopyNormalData, &QAction::triggered, this, &MainWindow::copyNormalData);
    connect(actionExportAmpCsv, &QAction::triggered, this, &MainWindow::exportAmpCsv);
    connect(actionExportFreqCsv, &QAction::triggered, this, &MainWindow::exportFreqCsv);
    connect(actionExportPdf, &QAction::triggered, this, &MainWindow::exportPdf);
    connect(actionExportImage, &QAction::triggered, this, &MainWindow::exportImage);
    connect(actionExportPersPdf, &QAction::triggered, this, &MainWindow::exportPersPdf);
    connect(actionExportPersImage, &QAction::triggered, this, &MainWindow::exportPersImage);
    connect(actionPlotGraphs, &QAction::triggered, this, &MainWindow::plotGraphs);
    connect(actionPlay, &QAction::triggered, this, &MainWindow::playSound);
    connect(actionShowNextSub, &QAction::triggered, mdiArea, &QMdiArea::activateNextSubWindow);
    connect(actionShowPrevSub, &QAction::triggered, mdiArea, &QMdiArea::activatePreviousSubWindow);
    connect(actionCascade, &QAction::triggered, mdiArea, &QMdiArea::cascadeSubWindows);
    connect(actionTile, &QAction::triggered, mdiArea, &QMdiArea::tileSubWindows);

    // The user's choice drives the pane (triggered, not toggled): a pane
    // tabbed behind another one reports itself invisible, and that report
    // must only clear the check mark, not hide the pane for good.
    const std::pair<QAction *, QDockWidget *> panes[] = {
        {actionShowText, dockText}, {actionShowData, dockData}, {actionShowParam, dockParam}};
    for (const auto &[action, dock] : panes) {
        connect(action, &QAction::triggered, dock, &QWidget::setVisible);
        connect(dock, &QDockWidget::visibilityChanged, action, &QAction::setChecked);
    }
    connect(actionAbout, &QAction::triggered, this, &MainWindow::about);
}

void MainWindow::createSubWindows()
{
    auto addSubWindow = [this](QWidget *content, const QString &title) {
        auto *window = new QMdiSubWindow;
        window->setWidget(content);
        mdiArea->addSubWindow(window);
        window->setWindowTitle(title);
        return window;
    };
    plotSpec = new QwtPlot;
    subwinSpec = addSubWindow(plotSpec, tr("Spectrum"));
    tab3D = new QTabWidget;
    subwin3D = addSubWindow(tab3D, tr("3D"));
    tabHar = new QTabWidget;
    subwinHar = addSubWindow(tabHar, tr("Harmonics"));
    tabAmp = new QTabWidget;
    subwinAmp = addSubWindow(tabAmp, tr("Amp. Env."));
    tabFreq = new QTabWidget;
    subwinFreq = addSubWindow(tabFreq, tr("Freq. Dev."));

    // Adding the form's page to the tabbed area marks its frame active
    // without the area knowing, and such a frame cannot be activated
    // again. Activating another sub-window once clears that mark, so that
    // the Window menu can bring the data page to the front later.
    subwinSpec->show();
    mdiArea->setActiveSubWindow(subwinSpec);

    // Hidden and disabled until an analysis starts. The data page itself is
    // hidden and disabled, not only its frame, so that showing or enabling
    // the page brings back all of it; the Window menu shows it before its frame.
    subwinData->setEnabled(false);
    subwinData->hide();
    connect(actionShowSubData, &QAction::triggered, subwinData, &QWidget::show);
    for (QMdiSubWindow *window : {subwinSpec, subwin3D, subwinHar, subwinAmp, subwinFreq})
        window->setEnabled(false);

    auto *keeper = new SubWindowKeeper(this);
    const std::pair<QAction *, QMdiSubWindow *> windows[] = {
        {actionShowSubData, subwinDataWindow()}, {actionShowSubSpec, subwinSpec},
        {actionShowSub3D, subwin3D},             {actionShowSubHar, subwinHar},
        {actionShowSubAmp, subwinAmp},           {actionShowSubFreq, subwinFreq}};
    for (const auto &[action, window] : windows) {
        window->hide();
        window->installEventFilter(keeper);
        // A sub-window that was maximised before it was hidden keeps that
        // state, and showing it again does not bring it to the front alone.
        connect(action, &QAction::triggered, window, [this, window = window] {
            window->showMaximized();
            mdiArea->setActiveSubWindow(window);
        });
    }
}

void MainWindow::createDetailControls()
{
    // Parented to the window (hidden) so that a window which never starts an
    // analysis still releases them; placing them in tableParam reparents them.
    QFont defaultFont = QApplication::font();
    defaultFont.setStyleHint(QFont::SansSerif, QFont::PreferDefault);
    auto fontCombo = [this, &defaultFont] {
        auto *combo = new QFontComboBox(this);
        combo->setCurrentFont(defaultFont);
        return combo;
    };
    auto spin = [this](int minimum) {
        auto *box = new QSpinBox(this);
        box->setMinimum(minimum);
        box->setValue(minimum);
        return box;
    };
    auto doubleSpin = [this](double minimum, double maximum) {
        auto *box = new QDoubleSpinBox(this);
        box->setRange(minimum, maximum);
        box->setDecimals(2);
        box->setValue(0.0);
        return box;
    };
    auto combo = [this](const QStringList &items) {
        auto *box = new QComboBox(this);
        box->addItems(items);
        box->setCurrentIndex(0);
        return box;
    };

    comboTitleFont = fontCombo();
    comboAxisFont = fontCombo();
    comboNumbersFont = fontCombo();
    spinHarmonics3D = spin(1);
    spinRotateX = doubleSpin(-360.0, 360.0);
    spinRotateY = doubleSpin(-360.0, 360.0);
    spinRotateZ = doubleSpin(-360.0, 360.0);
    spinScaleX = doubleSpin(0.0, 200.0);
    spinScaleY = doubleSpin(0.0, 200.0);
    spinScaleZ = doubleSpin(0.0, 200.0);
    spinZoom = doubleSpin(0.0, 5.0);
    spinZoom->setSingleStep(0.1);
    checkShowTitle = new QCheckBox(this);
    checkShowTitle->setChecked(true);
    comboColorScheme = combo({tr("R,B,Y,G seq."), tr("Random"), tr("1 color"), tr("2 color alt.")});
    comboMainColor = combo({tr("Red"), tr("Green"), tr("Blue")});
    comboHarAmpScale = combo({tr("Linear"), tr("Log 10"), tr("dB")});
    comboHarFreqScale = combo({tr("Harmonic no."), tr("Frequency (Hz)"), tr("Log Frequency (log Hz)"),
                               tr("Critical band rate (Bark)"), tr("Mel scale (mel)")});
    spinHarToPlot = spin(1);
    comboAmpScale = combo({tr("Linear"), tr("Linear nomalized."), tr("dB")});

    const QList<QWidget *> controls = {
        comboTitleFont,   comboAxisFont,    comboNumbersFont,  spinHarmonics3D, spinRotateX,
        spinRotateY,      spinRotateZ,      spinScaleX,        spinScaleY,      spinScaleZ,
        spinZoom,         checkShowTitle,   comboColorScheme,  comboMainColor,  comboHarAmpScale,
        comboHarFreqScale, spinHarToPlot,   comboAmpScale};
    for (QWidget *control : controls)
        control->hide();
}

void MainWindow::readSettings()
{
    QSettings settings;
    const QPoint position = settings.value(QStringLiteral("pos"), QPoint(0, 0)).toPoint();
    const QSize size = settings.value(QStringLiteral("size"), QSize(800, 600)).toSize();
    resize(size);
    move(position);
    setWindowState(Qt::WindowStates(settings.value(QStringLiteral("windowState"), 0).toInt()));
    workPath = settings.value(QStringLiteral("workPath"), QStringLiteral(".")).toString();
    qDebug() << "Work path read from the settings:" << workPath;
}

void MainWindow::writeSettings()
{
    QSettings settings;
    settings.setValue(QStringLiteral("pos"), pos());
    settings.setValue(QStringLiteral("size"), size());
    settings.setValue(QStringLiteral("windowState"), static_cast<int>(windowState()));
    settings.setValue(QStringLiteral("workPath"), workPath);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    const auto answer = QMessageBox::question(
        this, tr("sonvik+"), tr("Are you sure to end this sonvik+ analysis?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    writeSettings();
    event->accept();
}

void MainWindow::newFile()
{
    if (hasAnalysis) {
        // One window holds one analysis: the next sound goes to a new window.
        close();
        (new MainWindow)->show();
        return;
    }
    const QString chosen = QFileDialog::getOpenFileName(
        this, tr("Open a Wave File"), workPath, tr("Wave Files (*.wav);;All Files (*.*)"));
    if (chosen.isEmpty())
        return;
    fileName = chosen;
    // Remembered before the parameters dialog, so it sticks even if that is cancelled.
    workPath = QFileInfo(fileName).absolutePath();

    auto *dialog = new DialogHeader(fileName, this);  // stays a hidden child afterwards
    if (dialog->exec() != QDialog::Accepted)
        return;
    const AnalysisHeader header = dialog->analysisHeader();
    shortFileName = QFileInfo(fileName).fileName();
    qDebug() << header.fileName;
    qDebug() << shortFileName;
    setWindowTitle(windowTitle() + QStringLiteral(" - ") + shortFileName);
    actionAnotherFile->setEnabled(true);
    hasAnalysis = true;
    // Runs the whole analysis before it returns.
    analysis = new Analysis(this, fileName, header);
}

void MainWindow::anotherFile()
{
    (new MainWindow)->show();
}

void MainWindow::about()
{
    QMessageBox::about(this, tr("About sonvik"), abouttext::message());
}

void MainWindow::changeF0Detail(int /*index*/)
{
    // Filled in with the detail panes.
}

void MainWindow::changeSpecDetail()
{
    // Filled in with the detail panes.
}

void MainWindow::change3DDetail()
{
    // Filled in with the detail panes.
}

void MainWindow::changeHarDetail(bool /*force*/)
{
    // Filled in with the detail panes.
}

void MainWindow::changeHarDetail()
{
    changeHarDetail(false);
}

void MainWindow::changeAmpDetail()
{
    // Filled in with the detail panes.
}

void MainWindow::changeFreqDetail()
{
    // Filled in with the detail panes.
}

void MainWindow::playSound()
{
    // Nothing to play before a portion was chosen (no analysis yet, a file
    // that did not load, a cancelled portion dialog).
    if (!analysis || !analysis->hasPortion())
        return;
    // The playback shares the portion, so it may outlive the analysis.
    playSamples(this, analysis->sfInfo.samplerate, analysis->sampleCount, analysis->sampleBuffer);
}

void MainWindow::printSpec()
{
    // Filled in with printing.
}

void MainWindow::printPlot()
{
    // Filled in with printing.
}

void MainWindow::copyDataTab()
{
    // Filled in with the clipboard copy of the spectral snapshot.
}

void MainWindow::copyDataComma()
{
    // Filled in with the clipboard copy of the spectral snapshot.
}

void MainWindow::copyNormalData()
{
    // Filled in with the clipboard copy of the spectral snapshot.
}

void MainWindow::exportAmpCsv()
{
    // Filled in with the CSV export.
}

void MainWindow::exportFreqCsv()
{
    // Filled in with the CSV export.
}

void MainWindow::exportPdf()
{
    // Filled in with the PDF/PostScript export.
}

void MainWindow::exportImage()
{
    // Filled in with the image export.
}

void MainWindow::exportPersPdf()
{
    // Filled in with the PDF/PostScript export.
}

void MainWindow::exportPersImage()
{
    // Filled in with the image export.
}

void MainWindow::plotGraphs()
{
    // Filled in with the measure graphs.
}
