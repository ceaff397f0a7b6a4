// The analysis driver's record of one sound: the log and the data table it
// writes, the typed fundamentals and the harmonic analyses made from them,
// the detail table, the sub-windows and the waveform with its zoomer.

#include "AnalysisTesting.h"

#include "analysis/SoundPlotZoomer.h"
#include "harmonic/HarmonicAnalysis.h"
#include "support/gui/GuiTestSetup.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_div.h>
#include <qwt_text.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QtTest>

using namespace analysistest;

namespace {

// 250 Hz at 8000 Hz lies on bin 16 of a 512-point frame, so detection without
// alignment finds 250 Hz (to within rounding) as the only fundamental.
constexpr int kRate = 8000;
constexpr int kSamples = 4000;
constexpr double kDetectedHz = 250.0;
constexpr double kHzTolerance = 1e-9;

std::vector<short> tone250()
{
    return fixture::harmonicTone(kDetectedHz, {8000.0}, kRate, kSamples);
}

AnalysisHeader describedHeader(bool vibrato, bool findF0, const QString &fundamentals)
{
    AnalysisHeader header = parameters(fundamentals);
    header.findF0 = findF0;
    header.performer = QStringLiteral("Ann Example");
    header.instrument = QStringLiteral("Flute");
    header.date = QStringLiteral("17/08/2010");
    header.pitch = QStringLiteral("B3");
    header.dynamics = QStringLiteral("mf");
    header.vibrato = vibrato;
    header.toneSegment = QStringLiteral("Middle");
    header.comments = QStringLiteral("steady tone");
    return header;
}

} // namespace

class TestAnalysis : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }
    void init() { QSettings().clear(); }
    void cleanup() { guitest::deleteTopLevels<MainWindow>(); }

    void logAndDataTable_data()
    {
        QTest::addColumn<bool>("vibrato");
        QTest::addColumn<bool>("findF0");
        QTest::addColumn<QString>("fundamentals");
        QTest::addColumn<QStringList>("stateLines");  // between "Dynamics" and "Tone segment", and the last
        QTest::addColumn<QStringList>("working");
        QTest::newRow("vibrato, detected") << true << true << QString()
            << QStringList{"Vibrato is present", "Requested to detect F0 automatically...!"}
            << QStringList{"- Working on 250Hz."};
        QTest::newRow("no vibrato, typed") << false << false << "220,330"
            << QStringList{"Fund. freq.: 220,330"} << QStringList{"- Working on 220Hz.", "- Working on 330Hz."};
        // Nothing typed with detection off: logged as typed, detected all the same.
        QTest::newRow("nothing typed") << false << false << QString()
            << QStringList{"Fund. freq.: "} << QStringList{"- Working on 250Hz."};
    }

    void logAndDataTable()
    {
        QFETCH(bool, vibrato);
        QFETCH(bool, findF0);
        QFETCH(QString, fundamentals);
        QFETCH(QStringList, stateLines);
        QFETCH(QStringList, working);
        fixture::TempDir dir;
        const QString sound = writeSound(dir, "tone.wav", tone250(), 1, kRate);
        QVERIFY(!sound.isEmpty());
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        const QString label = window->labelData->text();

        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::accept());
        const QDateTime before = QDateTime::currentDateTime();
        Analysis *analysis = analyse(window, sound, describedHeader(vibrato, findF0, fundamentals));
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(answers.seenTitles(), QStringList{"Sound Analysis"});
        QVERIFY(before <= analysis->startTime && analysis->startTime <= after);
        const QString started = analysis->startTime.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));

        const QString stars(51, QLatin1Char('*'));
        QStringList expectedLog = {stars, "Analysis started at " + started, stars,
                                   "Filename: typed name.wav", "Performer: Ann Example", "Instrument: Flute",
                                   "Date of recording: 17/08/2010", "Pitch: B3", "Dynamics: mf"};
        if (vibrato)
            expectedLog << stateLines.takeFirst();
        expectedLog << "Tone segment: Middle" << "Comments: steady tone" << stateLines;
        expectedLog << "Please wait, analysis in progress..." << working << "Analysis done.";
        QCOMPARE(logLines(window), expectedLog);

        QCOMPARE(window->labelData->text(), label + "typed name.wav");
        QVERIFY(window->tableData->isEnabled());
        QCOMPARE(window->tableData->editTriggers(), QAbstractItemView::NoEditTriggers);
        const QStringList expectedRows = {
            "Analysis start time|" + started, "Filename|typed name.wav", "Performer|Ann Example",
            "Instrument|Flute", "Date of recording|17/08/2010", "Pitch|B3", "Dynamics|mf",
            vibrato ? "Vibrato|Yes" : "Vibrato|No", "Tone segment|Middle", "Comments|steady tone",
            "Fundamental freq|", "Align freq to pitch?|No", "Window Function|", "Window Size|512 samples",
            // The file's properties: 16-bit PCM WAV is format 0x10002.
            "Sample rate|8000", "Frames|4000", "Channels|1", "Format|0x10002", "Sections|1", "Seekable|TRUE"};
        QCOMPARE(tableRows(window->tableData), expectedRows);
        QCOMPARE(window->tableData->item(12, 1)->type(), 4);  // the Blackman window's index
        QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("File loaded"));
        QVERIFY(!window->actionNew->isEnabled());
        QCOMPARE(analysis->header.findF0, fundamentals.isEmpty());
    }

    void typedFundamentals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<double>>("f0List");
        QTest::addColumn<QVector<int>>("slotIndices");  // of the harmonic analyses, in list order
        QTest::addColumn<QStringList>("working");
        QTest::newRow("two") << "220,330" << QVector<double>{220, 330, 0, 0, 0} << QVector<int>{0, 1}
                             << QStringList{"- Working on 220Hz.", "- Working on 330Hz."};
        QTest::newRow("gap") << "220,,330" << QVector<double>{220, 0, 330, 0, 0} << QVector<int>{0, 2}
                             << QStringList{"- Working on 220Hz.", "- Working on 330Hz."};
        QTest::newRow("six") << "110,220.5,330,440,550,660" << QVector<double>{110, 220.5, 330, 440, 550}
                             << QVector<int>{0, 1, 2, 3, 4}
                             << QStringList{"- Working on 110Hz.", "- Working on 220.5Hz.", "- Working on 330Hz.",
                                            "- Working on 440Hz.", "- Working on 550Hz."};
        QTest::newRow("zero") << "0" << QVector<double>{0, 0, 0, 0, 0} << QVector<int>{} << QStringList{};
    }

    void typedFundamentals()
    {
        QFETCH(QString, text);
        QFETCH(QVector<double>, f0List);
        QFETCH(QVector<int>, slotIndices);
        QFETCH(QStringList, working);
        fixture::TempDir dir;
        const QString sound = writeSound(dir, "tone.wav", tone250(), 1, kRate);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::accept());
        Analysis *analysis = analyse(window, sound, parameters(text));
        QVERIFY(answers.allUsed());

        QCOMPARE(QVector<double>(analysis->f0List, analysis->f0List + 5), f0List);
        QCOMPARE(analysis->harmonicList.size(), slotIndices.size());
        for (int i = 0; i < slotIndices.size(); ++i) {
            const HarmonicAnalysis *harmonic = analysis->harmonicList[i];
            QCOMPARE(harmonic->index, slotIndices[i]);
            QCOMPARE(harmonic->f0, f0List[slotIndices[i]]);
            QCOMPARE(harmonic->numSamples, kSamples);
            QCOMPARE(harmonic->sampleRate, kRate);
        }
        QCOMPARE(analysisLog(window),
                 QStringList{"Please wait, analysis in progress..."} + working + QStringList{"Analysis done."});
    }

    void detectedFundamentalWithoutAlignment()
    {
        fixture::TempDir dir;
        const QString sound = writeSound(dir, "tone.wav", tone250(), 1, kRate);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::accept());
        Analysis *analysis = analyse(window, sound, parameters(QString()));
        // 4000 samples in frames of 512: 7 frames; bins 3 .. 63 may vote.
        QCOMPARE(analysis->nFrame, 7);
        QCOMPARE(analysis->minF0Bin, 3);
        QCOMPARE(analysis->maxF0Bin, 63);
        QCOMPARE(analysis->spectrum.rows(), 7);
        QCOMPARE(analysis->specCeps.columns(), 512);
        QVERIFY(qAbs(analysis->f0List[0] - kDetectedHz) < kHzTolerance);
        QCOMPARE(analysis->harmonicList.size(), 1);
    }

    void detailTable()
    {
        fixture::TempDir dir;
        const QString sound = writeSound(dir, "tone.wav", tone250(), 1, kRate);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::accept());
        analyse(window, sound, parameters(QStringLiteral("0")));

        const struct {
            int row;
            QString label;
            QWidget *control;
        } rows[] = {
            {0, "Title Font", window->comboTitleFont},     {1, "Axis Font", window->comboAxisFont},
            {2, "Numbers Font", window->comboNumbersFont}, {3, "No. of Harmonics", window->spinHarmonics3D},
            {4, "X Rotate", window->spinRotateX},          {5, "Y Rotate", window->spinRotateY},
            {6, "Z Rotate", window->spinRotateZ},          {7, "Zoom", window->spinZoom},
            {8, "X Scale\n(Harmonics)", window->spinScaleX}, {9, "Y Scale\n(Time)", window->spinScaleY},
            {10, "Z Scale\n(Amplitude)", window->spinScaleZ}, {11, "Color", window->comboColorScheme},
            {12, "Main Color", window->comboMainColor},    {13, "Show title?", window->checkShowTitle},
            {20, "Amp Scale", window->comboHarAmpScale},   {21, "Harmonic Scale", window->comboHarFreqScale},
            {22, "Harmonics to plot", window->spinHarToPlot}, {25, "Scale", window->comboAmpScale},
        };
        QTableWidget *table = window->tableParam;
        QCOMPARE(table->rowCount(), 50);
        QVector<QString> labels(50);
        for (const auto &row : rows) {
            labels[row.row] = row.label;
            QCOMPARE(table->cellWidget(row.row, 1), row.control);
            const Qt::ItemFlags flags = table->item(row.row, 0)->flags();
            QCOMPARE(flags == Qt::NoItemFlags, row.row <= 13);
        }
        for (int row = 0; row < 50; ++row) {
            QCOMPARE(table->item(row, 0) ? table->item(row, 0)->text() : QString(), labels[row]);
            QCOMPARE(table->isRowHidden(row), row < 30);
        }
    }

    void subWindowsAndWaveform()
    {
        fixture::TempDir dir;
        const QString sound = writeSound(dir, "tone.wav", tone250(), 1, kRate);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::accept());
        Analysis *analysis = analyse(window, sound, parameters(QStringLiteral("0")));

        QMdiSubWindow *data = window->subwinDataWindow();
        for (QMdiSubWindow *sub : {data, window->subwinSpec, window->subwin3D, window->subwinHar,
                                   window->subwinAmp, window->subwinFreq})
            QVERIFY2(sub->isEnabled() && sub->isVisible(), qPrintable(sub->windowTitle()));
        QVERIFY(window->subwinData->isEnabled());
        QCOMPARE(window->mdiArea->activeSubWindow(), data);
        QVERIFY(data->isMaximized());

        QwtPlot *plot = window->plotData;
        QVERIFY(plot->isEnabled());
        QCOMPARE(plot->axisTitle(QwtPlot::yLeft).text(), QStringLiteral("Amplitude"));
        QCOMPARE(plot->axisTitle(QwtPlot::xBottom).text(), QStringLiteral("Time (s)"));
        // 4000 samples at 8000 Hz: half a second.
        QCOMPARE(plot->axisScaleDiv(QwtPlot::xBottom).upperBound(), 0.5);
        const QwtPlotItemList curves = plot->itemList(QwtPlotItem::Rtti_PlotCurve);
        QCOMPARE(curves.size(), 1);
        const auto *curve = static_cast<const QwtPlotCurve *>(curves[0]);
        QCOMPARE(curve->title().text(), QStringLiteral("Left"));
        QCOMPARE(curve->pen().style(), Qt::NoPen);
        QCOMPARE(curve->brush().color(), QColor(Qt::darkBlue));
        QCOMPARE(int(curve->dataSize()), kSamples);
        for (int i : {0, 1, 1234, kSamples - 1}) {
            QCOMPARE(curve->sample(i).x(), double(i) / kRate);
            QCOMPARE(curve->sample(i).y(), double(analysis->samples[i]));
        }
        const auto zoomers = plot->canvas()->findChildren<SoundPlotZoomer *>();
        QCOMPARE(zoomers.size(), 1);
        QCOMPARE(zoomers[0]->trackerMode(), QwtPicker::AlwaysOn);
    }

    void zoomerTrackerText_data()
    {
        QTest::addColumn<QPointF>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("origin") << QPointF(0.0, 0.0) << "Time: 0.00s\nAmp.:0";
        QTest::newRow("rounded") << QPointF(1.234, -512.6) << "Time: 1.23s\nAmp.:-513";
        QTest::newRow("loud") << QPointF(21.999, 32767.4) << "Time: 22.00s\nAmp.:32767";
    }

    void zoomerTrackerText()
    {
        QFETCH(QPointF, position);
        QFETCH(QString, text);
        QwtPlot plot;
        SoundPlotZoomer zoomer(plot.canvas());
        const QwtText tracker = zoomer.trackerTextF(position);
        QCOMPARE(tracker.text(), text);
        QCOMPARE(tracker.font().pointSize(), 10);
        QCOMPARE(tracker.backgroundBrush().color(), QColor(255, 255, 255, 180));
        QCOMPARE(tracker.backgroundBrush().style(), Qt::SolidPattern);
    }
};

QTEST_MAIN(TestAnalysis)
#include "test_analysis.moc"
