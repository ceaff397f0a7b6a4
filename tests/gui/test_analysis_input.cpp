// Sounds the analysis cannot take as they are: files that do not load or hold
// too much or nothing, unusual sample formats and channel counts, portions
// too short for a spectrum frame, fundamentals that cannot be tracked, and a
// cancelled progress dialog. Each must end with the right message (or none)
// and a window that stays usable.

#include "AnalysisTesting.h"

#include "audio/AudioThread.h"
#include "harmonic/HarmonicAnalysis.h"
#include "support/gui/GuiTestSetup.h"

#include <sndfile.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <filesystem>

using namespace analysistest;

namespace {

constexpr int kRate = 8000;
constexpr int kFrames = 4000;

// Blocks of 16 values of +-level. With level 16384 (half of full scale) every
// format gives the value back: 8-bit and 24-bit hold it exactly, and a float
// file's 0.5 reads as 0.5 * 32767 = 16383.5, rounded to the even 16384.
std::vector<short> blocks(int frames, short level)
{
    std::vector<short> values(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
        values[static_cast<std::size_t>(i)] = (i / 16) % 2 == 0 ? level : static_cast<short>(-level);
    return values;
}

std::vector<short> tone(int frames)
{
    return fixture::harmonicTone(250.0, {8000.0}, kRate, frames);
}

// The file each row of the bad-input table analyses.
QString makeInput(const fixture::TempDir &dir, const QString &kind)
{
    const std::string folder = dir.path();
    if (kind == "not audio") {
        QFile file(QString::fromStdString(dir.file("notes.wav")));
        file.open(QIODevice::WriteOnly);
        file.write("These are notes, not a sound.\n");
        return file.fileName();
    }
    if (kind == "truncated") {
        // 8000 frames claimed, the data cut after 4000 of them (44-byte header).
        const QString path = writeSound(dir, "cut.wav", tone(2 * kFrames), 1, kRate);
        std::filesystem::resize_file(path.toStdString(), 44 + 2 * kFrames);
        return path;
    }
    if (kind == "no frames")
        return writeSound(dir, "empty.wav", {}, 1, kRate);
    if (kind == "one frame")
        return writeSound(dir, "single.wav", {1000}, 1, kRate);
    if (kind == "frame limit")
        return writeSound(dir, "limit.wav", std::vector<short>(1000000, 0), 1, kRate);
    if (kind == "over the limit")
        return writeSound(dir, "over.wav", std::vector<short>(1000001, 0), 1, kRate);
    if (kind.startsWith("silent"))
        return writeSound(dir, "silent.wav", std::vector<short>(2 * kFrames, 0), 1, kRate);
    if (kind == "non-Latin-1 name")
        return writeSound(dir, "ö ß 日本 ж.wav", tone(kFrames), 1, kRate);
    if (kind == "directory") {
        QDir(QString::fromStdString(folder)).mkdir("folder.wav");
        return QString::fromStdString(dir.file("folder.wav"));
    }
    return QString::fromStdString(dir.file("absent.wav"));
}

ModalAnswerer::Handler answer(const QString &code)
{
    if (code == "accept")
        return ModalAnswerer::accept();
    if (code == "cancel")
        return ModalAnswerer::reject();
    if (code == "trim") {
        // Auto-trim in the portion dialog, then OK. Run from the dialog's own
        // event loop: a handler cannot answer the question the trim asks.
        return [](QWidget *w) {
            QTimer::singleShot(0, w, [w] {
                w->findChild<QPushButton *>(QStringLiteral("pushTrim"))->click();
                static_cast<QDialog *>(w)->accept();
            });
        };
    }
    return ModalAnswerer::click(code == "Cancel" ? QMessageBox::Cancel : QMessageBox::Ok);
}

QList<AudioThread *> playbacks()
{
    return QCoreApplication::instance()->findChildren<AudioThread *>();
}

QString valueOf(const QTableWidget *table, const QString &label)
{
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 0) && table->item(row, 0)->text() == label)
            return table->item(row, 1)->text();
    return QStringLiteral("(none)");
}

const QString kTooLarge = QStringLiteral(
    "Too many samples! Please use a file with less than 1,000,000 samples.\ne.g. 44.1kHz for 22.5s (mono)");
const QString kNoFrame512 = QStringLiteral(
    "The chosen portion is shorter than one spectrum frame (512 samples): no fundamental was detected.");

} // namespace

class TestAnalysisInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }
    void init() { QSettings().clear(); }
    void cleanup() { guitest::deleteTopLevels<MainWindow>(); }

    void badInput_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("lastText");   // part of the last box's text; empty: no box
        QTest::addColumn<bool>("opened");        // "File loaded" shown
        QTest::addColumn<QString>("frames");     // the "Frames" row, "(none)" when not written
        QTest::addColumn<int>("portion");        // samples chosen; -1: no portion
        const QStringList portion{"Sound Analysis"};
        QTest::newRow("not audio") << QStringList{"ok"} << QStringList{"File not loaded"}
                                   << "notes.wav as sound: Format not recognised" << false << "(none)" << -1;
        QTest::newRow("truncated") << QStringList{"accept"} << portion << "" << true << "4000" << kFrames;
        QTest::newRow("no frames") << QStringList{"ok"} << QStringList{"No sound"}
                                   << "empty.wav holds no sound" << true << "0" << -1;
        QTest::newRow("one frame") << QStringList{"accept", "ok"} << portion + QStringList{"No fundamental detected"}
                                   << kNoFrame512 << true << "1" << 1;
        // Exactly the limit loads; the portion dialog is cancelled here.
        QTest::newRow("frame limit") << QStringList{"cancel"} << portion << "" << true << "1000000" << -1;
        QTest::newRow("over the limit") << QStringList{"ok"} << QStringList{"File size too large!"} << kTooLarge
                                        << true << "(none)" << -1;
        // Trimming silence leaves the sliders at 0 and 1: values 0 .. 80 of
        // 8000 (1 % rounded), too short for a frame.
        QTest::newRow("silent, select nothing")
            << QStringList{"trim", "ok", "ok"}
            << portion + QStringList{"Nothing selected", "No fundamental detected"} << kNoFrame512 << true
            << "8000" << 81;
        // Cancel selects all of the silent sound: nothing is detected, and
        // nothing more is said.
        QTest::newRow("silent, select all")
            << QStringList{"trim", "Cancel"} << portion + QStringList{"Nothing selected"}
            << "no sound data in this channel" << true << "8000" << 2 * kFrames;
        QTest::newRow("non-Latin-1 name") << QStringList{"accept"} << portion << "" << true << "4000" << kFrames;
        QTest::newRow("directory") << QStringList{"ok"} << QStringList{"File not loaded"}
                                   << "folder.wav: Is a directory" << false << "(none)" << -1;
        QTest::newRow("missing") << QStringList{"ok"} << QStringList{"File not loaded"}
                                 << "absent.wav: No such file or directory" << false << "(none)" << -1;
    }

    void badInput()
    {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, titles);
        QFETCH(QString, lastText);
        QFETCH(bool, opened);
        QFETCH(QString, frames);
        QFETCH(int, portion);
        fixture::TempDir dir;
        const QString path = makeInput(dir, QTest::currentDataTag());
        QVERIFY(!path.isEmpty());
        MainWindow *window = emptyWindow();
        QVERIFY(window);

        ModalAnswerer answerer;
        for (const QString &code : answers)
            answerer.enqueue(pastProgress(answerer, answer(code)));
        Analysis *analysis = analyse(window, path, parameters(QString()));
        QVERIFY(answerer.allUsed());
        QCOMPARE(titlesSeen(answerer), titles);
        if (lastText.isEmpty())
            QVERIFY(answerer.seenTexts().isEmpty());
        else
            QVERIFY2(answerer.seenTexts().last().contains(lastText), qPrintable(answerer.seenTexts().last()));

        QCOMPARE(window->statusBar()->currentMessage(), opened ? QStringLiteral("File loaded") : QString());
        QCOMPARE(analysis->filePath, opened ? path : QString());
        QCOMPARE(valueOf(window->tableData, "Frames"), frames);
        // The header rows stay whatever happened.
        QCOMPARE(valueOf(window->tableData, "Window Size"), QStringLiteral("512 samples"));
        QCOMPARE(analysis->hasPortion(), portion >= 0);
        if (portion >= 0)
            QCOMPARE(analysis->sampleCount, portion);

        if (portion < 0) {
            // Nothing to play, and nothing is touched trying.
            const int before = playbacks().size();
            window->actionPlay->trigger();
            QCOMPARE(playbacks().size(), before);
        }
    }

    void deliveredSamples_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("formatRow");
        const int wav = SF_FORMAT_WAV;
        QTest::newRow("8-bit") << (wav | SF_FORMAT_PCM_U8) << 1 << "0x10005";
        QTest::newRow("24-bit") << (wav | SF_FORMAT_PCM_24) << 1 << "0x10003";
        QTest::newRow("float") << (wav | SF_FORMAT_FLOAT) << 1 << "0x10006";
        // "L", the first of six channels, is preselected.
        QTest::newRow("6 channels") << (wav | SF_FORMAT_PCM_16) << 6 << "0x10002";
    }

    void deliveredSamples()
    {
        QFETCH(int, format);
        QFETCH(int, channels);
        QFETCH(QString, formatRow);
        const std::vector<short> first = blocks(kFrames, 16384);
        // Written as full-scale fractions (16-bit value / 32768), which every
        // format stores exactly; channel c > 0 holds the pattern at level 256 c.
        std::vector<double> interleaved(static_cast<std::size_t>(kFrames * channels));
        for (int f = 0; f < kFrames; ++f)
            for (int c = 0; c < channels; ++c)
                interleaved[static_cast<std::size_t>(f * channels + c)] =
                    (c == 0 ? first[f] : first[f] / 16384 * 256 * c) / 32768.0;
        fixture::TempDir dir;
        const std::string file = dir.file("formats.wav");
        QVERIFY(fixture::writeWavDoubles(file, interleaved, channels, kRate, format));
        const QString path = QString::fromStdString(file);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answerer;
        answerer.enqueue(ModalAnswerer::accept());
        Analysis *analysis = analyse(window, path, parameters(QStringLiteral("0")));
        QCOMPARE(answerer.seenTitles(), QStringList{"Sound Analysis"});
        QCOMPARE(valueOf(window->tableData, "Format"), formatRow);
        QCOMPARE(valueOf(window->tableData, "Channels"), QString::number(channels));
        QVERIFY(analysis->hasPortion());
        QCOMPARE(std::vector<short>(analysis->samples, analysis->samples + analysis->sampleCount), first);
        QCOMPARE(analysisLog(window), QStringList({"Please wait, analysis in progress...", "Analysis done."}));
    }

    void portionShorterThanAFrame_data()
    {
        QTest::addColumn<QString>("fundamentals");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("log");
        const QString line = QStringLiteral(
            "The chosen portion is shorter than one spectrum frame (8192 samples): no fundamental was detected.");
        QTest::newRow("detecting") << QString() << QStringList{"Sound Analysis", "No fundamental detected"}
                                   << QStringList{line, "Please wait, analysis in progress...", "Analysis done."};
        // Typed fundamentals need no spectrum frame.
        QTest::newRow("typed") << "220" << QStringList{"Sound Analysis"}
                               << QStringList{"Please wait, analysis in progress...", "- Working on 220Hz.",
                                              "Analysis done."};
    }

    void portionShorterThanAFrame()
    {
        QFETCH(QString, fundamentals);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, log);
        fixture::TempDir dir;
        const QString path = writeSound(dir, "short.wav", tone(kFrames), 1, kRate);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answerer;
        answerer.enqueue(ModalAnswerer::accept());
        if (titles.size() > 1)
            answerer.enqueue(pastProgress(answerer, ModalAnswerer::click(QMessageBox::Ok)));
        Analysis *analysis = analyse(window, path, parameters(fundamentals, 8192));
        QVERIFY(answerer.allUsed());
        QCOMPARE(titlesSeen(answerer), titles);
        QCOMPARE(analysis->nFrame, 0);
        const QStringList lines = logLines(window);
        QCOMPARE(lines.mid(lines.size() - log.size()), log);
        QCOMPARE(analysis->harmonicList.size(), fundamentals.isEmpty() ? 0 : 1);
        if (fundamentals.isEmpty())
            QCOMPARE(QVector<double>(analysis->f0List, analysis->f0List + 5), QVector<double>(5, 0.0));
    }

    void unanalysableFundamentals_data()
    {
        QTest::addColumn<QString>("fundamentals");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QVector<int>>("analysed");  // slots
        // 0.25 s at 44100 Hz: 11025 samples. 30000 and 25000 Hz lie above
        // 22050 Hz; 1 Hz needs a window of 88200 samples.
        QTest::newRow("one") << "30000,440"
            << QStringList{"- Skipping 30000Hz: no harmonic below half the sample rate.", "- Working on 440Hz."}
            << "These fundamentals cannot be analysed:\n30000Hz: no harmonic below half the sample rate"
            << QVector<int>{1};
        QTest::newRow("three") << "30000,440,1,25000"
            << QStringList{"- Skipping 30000Hz: no harmonic below half the sample rate.", "- Working on 440Hz.",
                           "- Skipping 1Hz: window longer than the portion.",
                           "- Skipping 25000Hz: no harmonic below half the sample rate."}
            << "These fundamentals cannot be analysed:\n30000Hz: no harmonic below half the sample rate\n"
               "1Hz: window longer than the portion\n25000Hz: no harmonic below half the sample rate"
            << QVector<int>{1};
    }

    void unanalysableFundamentals()
    {
        QFETCH(QString, fundamentals);
        QFETCH(QStringList, log);
        QFETCH(QString, warning);
        QFETCH(QVector<int>, analysed);
        fixture::TempDir dir;
        const QString path =
            writeSound(dir, "a4.wav", fixture::harmonicTone(440.0, {8000.0}, 44100, 11025), 1, 44100);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answerer;
        answerer.enqueue(ModalAnswerer::accept());
        answerer.enqueue(pastProgress(answerer, ModalAnswerer::click(QMessageBox::Ok)));
        Analysis *analysis = analyse(window, path, parameters(fundamentals));
        QVERIFY(answerer.allUsed());
        QCOMPARE(titlesSeen(answerer), QStringList({"Sound Analysis", "Fundamentals skipped"}));
        QCOMPARE(answerer.seenTexts(), QStringList{warning});
        QCOMPARE(analysisLog(window),
                 QStringList{"Please wait, analysis in progress..."} + log + QStringList{"Analysis done."});
        QVector<int> slotsMade;
        for (const HarmonicAnalysis *harmonic : analysis->harmonicList)
            slotsMade << harmonic->index;
        QCOMPARE(slotsMade, analysed);
        // Skipped slots keep their values.
        const auto typed = fundamentals.split(',');
        for (int slot = 0; slot < typed.size(); ++slot)
            QCOMPARE(analysis->f0List[slot], typed[slot].toDouble());
    }

    void cancelledProgress_data()
    {
        QTest::addColumn<QString>("fundamentals");
        QTest::addColumn<int>("windowSize");
        QTest::addColumn<QStringList>("logEnd");
        QTest::addColumn<int>("analyses");
        // Cancelled while the spectrum step warns: the analysis stops after it.
        QTest::newRow("spectrum step") << QString() << 8192
            << QStringList{"The chosen portion is shorter than one spectrum frame (8192 samples): "
                           "no fundamental was detected."}
            << 0;
        // Cancelled during the harmonic analyses: not honoured there.
        QTest::newRow("harmonic step") << "30000,250" << 512
            << QStringList{"- Skipping 30000Hz: no harmonic below half the sample rate.", "- Working on 250Hz.",
                           "Analysis done."}
            << 1;
    }

    void cancelledProgress()
    {
        QFETCH(QString, fundamentals);
        QFETCH(int, windowSize);
        QFETCH(QStringList, logEnd);
        QFETCH(int, analyses);
        fixture::TempDir dir;
        const QString path = writeSound(dir, "tone.wav", tone(kFrames), 1, kRate);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        bool cancelled = false;
        ModalAnswerer answerer;
        answerer.enqueue(ModalAnswerer::accept());
        answerer.enqueue(pastProgress(answerer, ModalAnswerer::inspectThen(
            [window, &cancelled](QWidget *) {
                if (auto *progress = window->findChild<QProgressDialog *>()) {
                    progress->cancel();
                    cancelled = progress->wasCanceled();
                }
            },
            ModalAnswerer::click(QMessageBox::Ok))));
        Analysis *analysis = analyse(window, path, parameters(fundamentals, windowSize));
        QVERIFY(answerer.allUsed());
        QVERIFY(cancelled);
        const QStringList lines = logLines(window);
        QCOMPARE(lines.mid(lines.size() - logEnd.size()), logEnd);
        QCOMPARE(analysis->harmonicList.size(), analyses);
        QVERIFY(!window->findChild<QProgressDialog *>());
    }
};

QTEST_MAIN(TestAnalysisInput)
#include "test_analysis_input.moc"
