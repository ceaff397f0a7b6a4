#pragma once
// The multiple-document main window: one per analysed sound. It owns the
// menus and actions, the MDI area with its six sub-windows, the log, data and
// parameter panes, and the detail controls that the current harmonic
// analysis reads. Other classes reach the form's widgets directly (public
// form base) and the members below by name.
//
// The constructor shows the window and runs the session dialog before it
// returns; answering "Analyze sound file..." runs newFile() at once.

#include "ui_sonvikplusMain.h"

#include <QMainWindow>
#include <QString>

class Analysis;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QMdiSubWindow;
class QSpinBox;
class QTabWidget;
class QwtPlot;

class MainWindow : public QMainWindow, public Ui::sonvikplusMain {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The MDI sub-window that frames the form's subwinData page.
    QMdiSubWindow *subwinDataWindow() const;

    Analysis *analysis = nullptr;  // not owned, never deleted by the window
    bool hasAnalysis = false;      // true once an analysis was started here
    QwtPlot *plotSpec = nullptr;   // spectrogram / cepstrum image
    QMdiSubWindow *subwinSpec = nullptr;  // "Spectrum", widget plotSpec
    QMdiSubWindow *subwin3D = nullptr;    // "3D", widget tab3D
    QMdiSubWindow *subwinHar = nullptr;   // "Harmonics", widget tabHar
    QMdiSubWindow *subwinAmp = nullptr;   // "Amp. Env.", widget tabAmp
    QMdiSubWindow *subwinFreq = nullptr;  // "Freq. Dev.", widget tabFreq
    // One tab per harmonic analysis; tab i is harmonic analysis i.
    QTabWidget *tab3D = nullptr;
    QTabWidget *tabHar = nullptr;
    QTabWidget *tabAmp = nullptr;
    QTabWidget *tabFreq = nullptr;
    QString fileName;       // full path picked in the open dialog
    QString shortFileName;  // file-name part of fileName, shown in the title
    QString workPath;       // directory offered by the open dialog; persisted

    // Detail controls shared by the harmonic analyses. They start as hidden
    // children of the window and are moved into tableParam's rows when an
    // analysis starts.
    QFontComboBox *comboTitleFont = nullptr;
    QFontComboBox *comboAxisFont = nullptr;
    QFontComboBox *comboNumbersFont = nullptr;
    QSpinBox *spinHarmonics3D = nullptr;   // 1 .. numHarmonics of the current analysis
    QDoubleSpinBox *spinRotateX = nullptr; // degrees, -360 .. 360
    QDoubleSpinBox *spinRotateY = nullptr;
    QDoubleSpinBox *spinRotateZ = nullptr;
    QDoubleSpinBox *spinZoom = nullptr;    // 0 .. 5
    QDoubleSpinBox *spinScaleX = nullptr;  // 0 .. 200
    QDoubleSpinBox *spinScaleY = nullptr;
    QDoubleSpinBox *spinScaleZ = nullptr;
    QComboBox *comboColorScheme = nullptr;
    QComboBox *comboMainColor = nullptr;
    QCheckBox *checkShowTitle = nullptr;
    QComboBox *comboHarAmpScale = nullptr;
    QComboBox *comboHarFreqScale = nullptr;
    QSpinBox *spinHarToPlot = nullptr;     // 1 .. numHarmonics of the current analysis
    QComboBox *comboAmpScale = nullptr;

    int currentF0Index = -1;  // current harmonic analysis, -1 while none
    int ampTableIndex = -1;   // harmonic analysis whose model tableAmp shows
    int freqTableIndex = -1;  // harmonic analysis whose model tableFreq shows

public slots:
    void changeF0Detail(int index);
    void changeSpecDetail();
    void change3DDetail();
    void changeHarDetail(bool force);
    void changeHarDetail();
    void changeAmpDetail();
    void changeFreqDetail();
    void playSound();
    // Asks for a sound and its parameters and starts its analysis; a window
    // that already holds one offers to close and opens a new window instead.
    void newFile();
    // Opens a further main window, which runs its own session dialog.
    void anotherFile();
    void about();
    void printSpec();
    void printPlot();
    void copyDataTab();
    void copyDataComma();
    void copyNormalData();
    void exportAmpCsv();
    void exportFreqCsv();
    void exportPdf();
    void exportImage();
    void exportPersPdf();
    void exportPersImage();
    void plotGraphs();

protected:
    // Asks whether to end the analysis; on Yes writes the settings and closes.
    void closeEvent(QCloseEvent *event) override;

private:
    void connectActions();
    void createSubWindows();
    void createDetailControls();
    // "pos", "size", "windowState" and "workPath" in the default settings store.
    void readSettings();
    void writeSettings();
};
