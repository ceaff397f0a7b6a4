// Main window: menus and actions as the user first sees them, the detail
// controls, the panes, and the MDI sub-windows.

#include "app/MainWindow.h"
#include "support/gui/GuiTestSetup.h"
#include "support/gui/ModalAnswerer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMdiSubWindow>
#include <QSpinBox>
#include <QtTest>

namespace {

// A window whose session dialog was cancelled: empty, no analysis.
MainWindow *emptyWindow()
{
    ModalAnswerer answers;
    answers.enqueue(ModalAnswerer::clickButton(QStringLiteral("pushCancel")));
    auto *window = new MainWindow;
    return answers.allUsed() ? window : nullptr;
}

// Object names of a menu's entries in order; "-" for a separator.
QStringList entries(const QMenu *menu)
{
    QStringList names;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            names << QStringLiteral("-");
        else if (action->menu())
            names << action->menu()->objectName();
        else
            names << action->objectName();
    }
    return names;
}

// Enables the sub-windows as a starting analysis does; the user can then
// reach and close them.
void enableSubWindows(MainWindow *window)
{
    window->subwinData->setEnabled(true);
    for (QMdiSubWindow *sub : {window->subwinSpec, window->subwin3D, window->subwinHar,
                               window->subwinAmp, window->subwinFreq})
        sub->setEnabled(true);
}

QStringList items(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }
    void init()
    {
        window = emptyWindow();
        QVERIFY(window);
    }
    void cleanup() { guitest::deleteTopLevels<MainWindow>(); }

    void actionsAtStart_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("checkable");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("enabled");
        auto row = [](const char *name, const char *text, const char *shortcut, bool checkable,
                      bool checked, bool enabled) {
            QTest::newRow(name) << name << text << shortcut << checkable << checked << enabled;
        };
        row("actionNew", "New analysis...", "Ctrl+N", false, false, true);
        row("actionAnotherFile", "New analysis in new window...", "Ctrl+Shift+N", false, false, false);
        row("actionClose", "Close window", "Ctrl+W", false, false, true);
        row("actionQuit", "Quit", "", false, false, true);
        row("actionPrintSpectrum", "Print spectrum", "", false, false, true);
        row("actionPrintCurrentPlot", "Print current plot", "", false, false, true);
        row("actionCut", "Cut", "Ctrl+X", false, false, true);
        row("actionCopy", "Copy", "Ctrl+C", false, false, true);
        row("actionPaste", "Paste", "Ctrl+V", false, false, true);
        row("actionClear", "Clear", "", false, false, true);
        row("actionCopyDataTab", "Tab separated", "", false, false, true);
        row("actionCopyDataComma", "Comma separated", "", false, false, true);
        row("actionCopyNormalData", "Tab separated normalized", "", false, false, true);
        row("actionExportAmpCsv", "Amplitudes...", "", false, false, true);
        row("actionExportFreqCsv", "Frequency deviations...", "", false, false, true);
        row("actionExportCsvDampedFreqDev", "Damped frequency deviations...", "", false, false, true);
        row("actionExportCsvDiffAmp", "Amplitude differences...", "", false, false, true);
        row("actionExportCsvDiffFreq", "Frequency differences...", "", false, false, true);
        row("actionExportCsvInharmonicity", "Inharmonicity...", "", false, false, true);
        row("actionExportCsvRmsAmp", "RMS Amplitudes...", "", false, false, true);
        row("actionExportCsvCentroid", "Spectral centroid...", "", false, false, true);
        row("actionExportCsvIrregularity", "Spectral irregularity...", "", false, false, true);
        row("actionExportPdf", "Export current plot as PDF/PS...", "", false, false, true);
        row("actionExportImage", "Export current plot as Image...", "", false, false, true);
        row("actionExportPersPdf", "Export perspective as PDF/PS...", "", false, false, true);
        row("actionExportPersImage", "Export perspective as Image...", "", false, false, true);
        row("actionExportMultiAmp", "First 10 Amplitude envelopes", "", false, false, true);
        row("actionLogScale", "View spectrum/cepstrum in log scale", "", true, false, true);
        row("actionSpecGrey", "View spectrum/cepstrum in greyscale", "", true, false, true);
        row("actionViewCeps", "View Cepstrum", "", false, false, true);
        row("actionPlotGraphs", "Plot more graphs...", "", false, false, true);
        row("actionShowAttack", "Show Attack/Decay markers", "", true, true, true);
        row("actionDampFreq", "Damp frequency deviation by amplitude", "", true, false, true);
        row("actionPlay", "Play sound", "", false, false, true);
        row("actionSynthesize", "Synthesize sound and play", "", false, false, true);
        row("actionAllowEdit", "Allow editing amplitude/frequency data", "", true, false, true);
        row("actionPref", "Preferences...", "", false, false, false);
        row("actionShowSubData", "Show Analysis Data", "Ctrl+0", false, false, true);
        row("actionShowSubSpec", "Show Spectrum", "Ctrl+1", false, false, true);
        row("actionShowSub3D", "Show 3D Perspective", "Ctrl+2", false, false, true);
        row("actionShowSubHar", "Show Harmonics", "Ctrl+3", false, false, true);
        row("actionShowSubAmp", "Show Amplitude Env.", "Ctrl+4", false, false, true);
        row("actionShowSubFreq", "Show Frequency Dev.", "Ctrl+5", false, false, true);
        row("actionShowNextSub", "Show Next...", "Ctrl+Right", false, false, true);
        row("actionShowPrevSub", "Show Previous...", "Ctrl+Left", false, false, true);
        row("actionCascade", "Cascade Windows", "", false, false, true);
        row("actionTile", "Tile Windows", "", false, false, true);
        row("actionShowText", "Debug Info", "", true, true, true);
        row("actionShowData", "Analysis Data", "", true, true, true);
        row("actionShowParam", "Parameters", "", true, true, true);
        row("actionAbout", "About sonvik+...", "", false, false, true);
    }

    void actionsAtStart()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, shortcut);
        QFETCH(bool, checkable);
        QFETCH(bool, checked);
        QFETCH(bool, enabled);
        auto *action = window->findChild<QAction *>(name);
        QVERIFY(action);
        QCOMPARE(action->text(), text);
        QCOMPARE(action->shortcut(), QKeySequence(shortcut));
        QCOMPARE(action->isCheckable(), checkable);
        QCOMPARE(action->isChecked(), checked);
        QCOMPARE(action->isEnabled(), enabled);
        QVERIFY(action->icon().isNull());
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("File") << "menuFile" << "File" << true
            << QStringList{"actionNew", "actionAnotherFile", "menuPrint", "actionQuit", "actionClose"};
        QTest::newRow("Print") << "menuPrint" << "Print" << true
            << QStringList{"actionPrintSpectrum", "actionPrintCurrentPlot"};
        QTest::newRow("Edit") << "menuEdit" << "Edit" << false
            << QStringList{"actionCut", "actionCopy", "actionPaste", "actionClear"};
        QTest::newRow("Data") << "menuData" << "Data" << true
            << QStringList{"menuCopyData", "menuExpotCsv", "actionExportPdf", "actionExportImage",
                           "actionExportPersPdf", "actionExportPersImage", "menuExportMulti", "-",
                           "actionLogScale", "actionSpecGrey", "actionViewCeps", "actionPlotGraphs",
                           "actionShowAttack", "actionDampFreq"};
        QTest::newRow("Copy") << "menuCopyData" << "Copy current spectral snapshot" << false
            << QStringList{"actionCopyDataTab", "actionCopyDataComma", "actionCopyNormalData"};
        QTest::newRow("CSV") << "menuExpotCsv" << "Export as CSV..." << true
            << QStringList{"actionExportAmpCsv", "actionExportFreqCsv", "actionExportCsvDampedFreqDev",
                           "actionExportCsvDiffAmp", "actionExportCsvDiffFreq",
                           "actionExportCsvInharmonicity", "actionExportCsvRmsAmp",
                           "actionExportCsvCentroid", "actionExportCsvIrregularity"};
        QTest::newRow("Multi") << "menuExportMulti" << "Export group of harmonics in PDF" << false
            << QStringList{"actionExportMultiAmp"};
        QTest::newRow("Tools") << "menuTools" << "Tools" << true
            << QStringList{"actionPlay", "actionSynthesize", "actionAllowEdit", "actionPref"};
        QTest::newRow("Window") << "menuWindow" << "Window" << true
            << QStringList{"actionShowSubData", "actionShowSubSpec", "actionShowSub3D",
                           "actionShowSubHar", "actionShowSubAmp", "actionShowSubFreq",
                           "actionShowNextSub", "actionShowPrevSub", "-", "actionCascade",
                           "actionTile", "-", "actionShowText", "actionShowData", "actionShowParam"};
        QTest::newRow("Help") << "menuHelp" << "Help" << true << QStringList{"actionAbout"};
    }

    void menus()
    {
        QFETCH(QString, menu);
        QFETCH(QString, title);
        QFETCH(bool, enabled);
        QFETCH(QStringList, entries);
        auto *found = window->findChild<QMenu *>(menu);
        QVERIFY(found);
        QCOMPARE(found->title(), title);
        QCOMPARE(found->isEnabled(), enabled);
        QCOMPARE(::entries(found), entries);
    }

    void menuBarOrder()
    {
        QStringList titles;
        for (QAction *action : window->menubar->actions())
            titles << action->text();
        QCOMPARE(titles, QStringList({"File", "Edit", "Data", "Tools", "Window", "Help"}));
    }

    void startsEmpty()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("sonvik+"));
        QVERIFY(!window->hasAnalysis);
        QVERIFY(!window->analysis);
        QCOMPARE(window->currentF0Index, -1);
        QCOMPARE(window->ampTableIndex, -1);
        QCOMPARE(window->freqTableIndex, -1);
        QCOMPARE(window->subwinData->windowTitle(), QStringLiteral("Analysis data"));
        const QList<QMdiSubWindow *> subWindows = {window->subwinDataWindow(), window->subwinSpec,
                                                   window->subwin3D, window->subwinHar,
                                                   window->subwinAmp, window->subwinFreq};
        QCOMPARE(window->mdiArea->subWindowList(QMdiArea::CreationOrder), subWindows);
        QStringList titles;
        for (QMdiSubWindow *sub : subWindows) {
            titles << sub->windowTitle();
            QVERIFY2(!sub->isVisible(), qPrintable(sub->windowTitle()));
            QVERIFY2(!sub->widget()->isEnabled(), qPrintable(sub->windowTitle()));
        }
        QCOMPARE(titles, QStringList({"Analysis data", "Spectrum", "3D", "Harmonics", "Amp. Env.",
                                      "Freq. Dev."}));
        QCOMPARE(window->subwinSpec->widget(), window->plotSpec);
        QCOMPARE(window->subwin3D->widget(), window->tab3D);
        QCOMPARE(window->subwinHar->widget(), window->tabHar);
        QCOMPARE(window->subwinAmp->widget(), window->tabAmp);
        QCOMPARE(window->subwinFreq->widget(), window->tabFreq);
        QCOMPARE(window->mdiArea->viewMode(), QMdiArea::TabbedView);
        QCOMPARE(window->mdiArea->activationOrder(), QMdiArea::CreationOrder);
    }

    void panes_data()
    {
        QTest::addColumn<QString>("dockName");
        QTest::addColumn<QString>("actionName");
        QTest::addColumn<QString>("title");
        QTest::newRow("log") << "dockText" << "actionShowText" << "Debug Info";
        QTest::newRow("data") << "dockData" << "actionShowData" << "Analysis Data";
        QTest::newRow("parameters") << "dockParam" << "actionShowParam" << "Parameters";
    }

    void panes()
    {
        QFETCH(QString, dockName);
        QFETCH(QString, actionName);
        QFETCH(QString, title);
        auto *dock = window->findChild<QDockWidget *>(dockName);
        auto *action = window->findChild<QAction *>(actionName);
        QVERIFY(dock && action);
        QCOMPARE(dock->windowTitle(), title);
        QVERIFY(dock->isVisible());

        action->trigger();  // uncheck
        QVERIFY(!action->isChecked());
        QVERIFY(!dock->isVisible());
        action->trigger();  // check again
        QVERIFY(action->isChecked());
        QVERIFY(dock->isVisible());

        // The pane's own close button unchecks its action.
        dock->close();
        QVERIFY(!action->isChecked());
        action->trigger();
        QVERIFY(dock->isVisible());
    }

    void tabbedPanesStayAvailable()
    {
        // The user stacks the two right panes as tabs and switches between them.
        window->tabifyDockWidget(window->dockData, window->dockParam);
        window->dockData->raise();
        QTRY_VERIFY(window->dockData->isVisible());
        window->dockParam->raise();
        QTRY_VERIFY(window->dockParam->isVisible());
        QVERIFY(!window->dockData->isHidden());
        window->dockData->raise();
        QTRY_VERIFY(window->dockData->isVisible());
        QVERIFY(window->actionShowData->isChecked());
    }

    void subWindowSurvivesClose_data()
    {
        QTest::addColumn<QString>("actionName");
        QTest::addColumn<QString>("title");
        QTest::newRow("data") << "actionShowSubData" << "Analysis data";
        QTest::newRow("spectrum") << "actionShowSubSpec" << "Spectrum";
        QTest::newRow("3D") << "actionShowSub3D" << "3D";
        QTest::newRow("harmonics") << "actionShowSubHar" << "Harmonics";
        QTest::newRow("amplitude") << "actionShowSubAmp" << "Amp. Env.";
        QTest::newRow("frequency") << "actionShowSubFreq" << "Freq. Dev.";
    }

    void subWindowSurvivesClose()
    {
        QFETCH(QString, actionName);
        QFETCH(QString, title);
        auto *action = window->findChild<QAction *>(actionName);
        QVERIFY(action);
        enableSubWindows(window);
        action->trigger();
        QPointer<QMdiSubWindow> sub = window->mdiArea->currentSubWindow();
        QVERIFY(sub);
        QCOMPARE(sub->windowTitle(), title);
        QVERIFY(sub->isVisible());
        QPointer<QWidget> content = sub->widget();

        sub->close();  // as from the sub-window's system menu
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(sub);
        QVERIFY(content);
        QVERIFY(!sub->isVisible());

        action->trigger();
        QCOMPARE(window->mdiArea->currentSubWindow(), sub.data());
        QVERIFY(sub->isVisible());
        QVERIFY(content->isVisible());
    }

    void dataPageShownDirectly()
    {
        // Showing the data page itself, as an analysis does, brings back its frame.
        window->subwinData->setEnabled(true);
        window->subwinData->setVisible(true);
        window->subwinData->showMaximized();
        QVERIFY(window->subwinDataWindow()->isVisible());
        QVERIFY(window->subwinData->isEnabled());
    }

    void closingTheFrontSubWindowShowsTheNext()
    {
        enableSubWindows(window);
        for (QAction *show : {window->actionShowSubData, window->actionShowSubSpec,
                              window->actionShowSubHar})
            show->trigger();
        QCOMPARE(window->mdiArea->currentSubWindow(), window->subwinHar);
        window->subwinHar->close();
        // After "Harmonics" come the hidden "Amp. Env." and "Freq. Dev.", then
        // the order wraps around to "Analysis data".
        QCOMPARE(window->mdiArea->currentSubWindow(), window->subwinDataWindow());
        QVERIFY(window->subwinSpec->isVisible());
    }

    void nextAndPrevious()
    {
        // Visible: "Analysis data", "3D" and "Amp. Env."; the others stay hidden.
        enableSubWindows(window);
        for (QAction *show : {window->actionShowSubAmp, window->actionShowSub3D,
                              window->actionShowSubData})
            show->trigger();
        const QList<QMdiSubWindow *> cycle = {window->subwinDataWindow(), window->subwin3D,
                                              window->subwinAmp};
        QCOMPARE(window->mdiArea->currentSubWindow(), cycle[0]);
        for (int step = 1; step <= cycle.size(); ++step) {
            window->actionShowNextSub->trigger();
            QCOMPARE(window->mdiArea->currentSubWindow(), cycle[step % cycle.size()]);
        }
        window->actionShowPrevSub->trigger();
        QCOMPARE(window->mdiArea->currentSubWindow(), cycle.last());
        window->actionShowPrevSub->trigger();
        QCOMPARE(window->mdiArea->currentSubWindow(), cycle[1]);
    }

    void detailSpinBoxes_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("value");
        QTest::newRow("spinRotateX") << "spinRotateX" << -360.0 << 360.0 << 1.0 << 0.0;
        QTest::newRow("spinRotateY") << "spinRotateY" << -360.0 << 360.0 << 1.0 << 0.0;
        QTest::newRow("spinRotateZ") << "spinRotateZ" << -360.0 << 360.0 << 1.0 << 0.0;
        QTest::newRow("spinZoom") << "spinZoom" << 0.0 << 5.0 << 0.1 << 0.0;
        QTest::newRow("spinScaleX") << "spinScaleX" << 0.0 << 200.0 << 1.0 << 0.0;
        QTest::newRow("spinScaleY") << "spinScaleY" << 0.0 << 200.0 << 1.0 << 0.0;
        QTest::newRow("spinScaleZ") << "spinScaleZ" << 0.0 << 200.0 << 1.0 << 0.0;
    }

    void detailSpinBoxes()
    {
        QFETCH(QString, member);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(double, step);
        QFETCH(double, value);
        const QMap<QString, QDoubleSpinBox *> boxes = {
            {"spinRotateX", window->spinRotateX}, {"spinRotateY", window->spinRotateY},
            {"spinRotateZ", window->spinRotateZ}, {"spinZoom", window->spinZoom},
            {"spinScaleX", window->spinScaleX},   {"spinScaleY", window->spinScaleY},
            {"spinScaleZ", window->spinScaleZ}};
        QDoubleSpinBox *box = boxes.value(member);
        QVERIFY(box);
        QCOMPARE(box->minimum(), minimum);
        QCOMPARE(box->maximum(), maximum);
        QCOMPARE(box->singleStep(), step);
        QCOMPARE(box->decimals(), 2);
        QCOMPARE(box->value(), value);
        QVERIFY(!box->isVisible());
    }

    void detailLists_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("comboColorScheme") << "comboColorScheme"
            << QStringList{"R,B,Y,G seq.", "Random", "1 color", "2 color alt."};
        QTest::newRow("comboMainColor") << "comboMainColor" << QStringList{"Red", "Green", "Blue"};
        QTest::newRow("comboHarAmpScale") << "comboHarAmpScale" << QStringList{"Linear", "Log 10", "dB"};
        QTest::newRow("comboHarFreqScale") << "comboHarFreqScale"
            << QStringList{"Harmonic no.", "Frequency (Hz)", "Log Frequency (log Hz)",
                           "Critical band rate (Bark)", "Mel scale (mel)"};
        QTest::newRow("comboAmpScale") << "comboAmpScale"
            << QStringList{"Linear", "Linear nomalized.", "dB"};
    }

    void detailLists()
    {
        QFETCH(QString, member);
        QFETCH(QStringList, items);
        const QMap<QString, QComboBox *> combos = {
            {"comboColorScheme", window->comboColorScheme}, {"comboMainColor", window->comboMainColor},
            {"comboHarAmpScale", window->comboHarAmpScale},
            {"comboHarFreqScale", window->comboHarFreqScale}, {"comboAmpScale", window->comboAmpScale}};
        QComboBox *combo = combos.value(member);
        QVERIFY(combo);
        QCOMPARE(::items(combo), items);
        QCOMPARE(combo->currentIndex(), 0);
    }

    void detailCountsAndCheck()
    {
        for (QSpinBox *box : {window->spinHarmonics3D, window->spinHarToPlot}) {
            QCOMPARE(box->minimum(), 1);
            QCOMPARE(box->value(), 1);
        }
        QVERIFY(window->checkShowTitle->isChecked());
    }

private:
    MainWindow *window = nullptr;
};

QTEST_MAIN(TestMainWindow)
#include "test_MainWindow.moc"
