// From "Analyze sound file..." to a finished analysis of each demo tone, the
// harmonic analysis and resynthesis of a known tone, and playing the portion
// and the resynthesis (this machine has no sound card: a playback opens no
// stream but still runs for the sound's duration).

#include "AnalysisTesting.h"

#include "audio/AudioThread.h"
#include "audio/Synthesis.h"
#include "harmonic/HarmonicAnalysis.h"
#include "support/gui/GuiTestSetup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QSettings>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using namespace analysistest;

namespace {

QList<AudioThread *> playbacks()
{
    return QCoreApplication::instance()->findChildren<AudioThread *>();
}

// The playbacks started by `start`.
QList<AudioThread *> playbacksStartedBy(const std::function<void()> &start)
{
    const QList<AudioThread *> before = playbacks();
    start();
    QList<AudioThread *> started;
    for (AudioThread *thread : playbacks())
        if (!before.contains(thread))
            started << thread;
    return started;
}

constexpr double kRelativeTolerance = 0.01;

bool near(double actual, double expected, double relative)
{
    return std::abs(actual - expected) <= relative * std::abs(expected);
}

} // namespace

class TestAnalysisFlow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }
    void init() { QSettings().clear(); }
    void cleanup()
    {
        guitest::deleteTopLevels<MainWindow>();
        // Playbacks still running hold their sound; let them end before the next test.
        for (AudioThread *thread : playbacks())
            thread->wait();
    }

    void demoTone_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("working");
        // The fundamentals the default parameters (detection, alignment,
        // Blackman window of 2048) find in the demo tones: the two-tone file
        // also yields the octaves of its tones.
        QTest::newRow("vibrato") << "a4-440hz-vibrato-mono.wav" << QStringList{"- Working on 440Hz."};
        QTest::newRow("two tones") << "a3-e4-two-fundamentals-mono.wav"
                                   << QStringList{"- Working on 220Hz.", "- Working on 329.628Hz.",
                                                  "- Working on 440Hz.", "- Working on 659.255Hz."};
        QTest::newRow("stereo") << "c3-130hz-stereo.wav" << QStringList{"- Working on 130.813Hz."};
    }

    void demoTone()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, working);
        const QString path = QStringLiteral(SONVIK_SOURCE_DIR "/samples/") + file;
        QVERIFY(QFileInfo::exists(path));
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::clickButton(QStringLiteral("pushNewSession")));
        answers.enqueue(ModalAnswerer::chooseFile(path));
        answers.enqueue(ModalAnswerer::accept());  // parameters as offered
        answers.enqueue(ModalAnswerer::accept());  // the whole sound, default channel
        auto *window = new MainWindow;
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.seenTitles(),
                 QStringList({"New Session", "Open a Wave File", "Analysis Parameters", "Sound Analysis"}));

        QCOMPARE(window->windowTitle(), "sonvik+ - " + file);
        QVERIFY(!window->actionNew->isEnabled());
        QVERIFY(window->actionAnotherFile->isEnabled());
        QVERIFY(window->analysis);
        QCOMPARE(window->analysis->filePath, path);
        QCOMPARE(analysisLog(window),
                 QStringList{"Please wait, analysis in progress..."} + working + QStringList{"Analysis done."});
        QCOMPARE(window->analysis->harmonicList.size(), working.size());
        for (const HarmonicAnalysis *harmonic : window->analysis->harmonicList)
            QVERIFY(harmonic->numFrames > 0 && harmonic->numHarmonics > 0);
    }

    void knownTone()
    {
        // 1 s of 440 Hz at 44100 Hz, harmonic 1 at 8000 and harmonic 2 at 4000.
        // Sizes: N = ceil(88200 / 440) = 201, 22050 / 440 = 50 harmonics,
        // M = 2 * floor(44100 / 201) + 1 = 439, so 438 frames 201 / 88200 s apart.
        fixture::TempDir dir;
        const QString path =
            writeSound(dir, "a4.wav", fixture::harmonicTone(440.0, {8000.0, 4000.0}, 44100, 44100), 1, 44100);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::accept());
        Analysis *analysis = analyse(window, path, parameters(QStringLiteral("440")));
        QCOMPARE(analysis->harmonicList.size(), 1);
        const HarmonicAnalysis *harmonic = analysis->harmonicList[0];
        QCOMPARE(harmonic->mainWindow, window);
        QCOMPARE(harmonic->analysis, analysis);
        QCOMPARE(harmonic->sampleRate, 44100);
        QCOMPARE(harmonic->frameLength, 201);
        QCOMPARE(harmonic->numHarmonics, 50);
        QCOMPARE(harmonic->numFrames, 438);
        QCOMPARE(harmonic->timeStep, 201.0 / 44100.0 * 0.5);
        QCOMPARE(harmonic->timeAxis[437], 437 * harmonic->timeStep);
        QVERIFY(!harmonic->editing);

        // Both partials lie within 0.01 bin of bins 2 and 4, so their
        // amplitudes read back to within 1 %, in every frame and as RMS.
        for (int j : {0, 219, 437}) {
            QVERIFY2(near(harmonic->amp[0][j], 8000.0, kRelativeTolerance), qPrintable(QString::number(j)));
            QVERIFY2(near(harmonic->amp[1][j], 4000.0, kRelativeTolerance), qPrintable(QString::number(j)));
        }
        QVERIFY(near(harmonic->harRmsAmp[0], 8000.0, kRelativeTolerance));
        QVERIFY(near(harmonic->harRmsAmp[1], 4000.0, kRelativeTolerance));
        QCOMPARE(harmonic->peakHarmonic, 0);
        // The tone is loud from the first frame to the last: attack and decay
        // both stop at once, one frame each.
        QCOMPARE(harmonic->attackTime[0], harmonic->timeStep);
        QCOMPARE(harmonic->decayTime[0], harmonic->timeStep);

        // The resynthesis lasts trunc(timeStep * 438 * 44100) = 44019 samples
        // and sounds until frame 437: its RMS there is that of the two
        // partials, sqrt(8000^2 / 2 + 4000^2 / 2) = 6324.6.
        const Synthesis *synthesis = harmonic->synthesis;
        QVERIFY(synthesis);
        QCOMPARE(synthesis->numSamples, 44019);
        QCOMPARE(int(synthesis->output->size()), 44019);
        const int sounding = int(437 * harmonic->timeStep * 44100);
        double sum = 0.0;
        for (int n = 0; n < sounding; ++n)
            sum += double((*synthesis->output)[n]) * (*synthesis->output)[n];
        QVERIFY2(near(std::sqrt(sum / sounding), std::sqrt(40e6), kRelativeTolerance),
                 qPrintable(QString::number(std::sqrt(sum / sounding))));
    }

    void playbackWithoutAnalysisPlaysNothing()
    {
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        QVERIFY(playbacksStartedBy([window] { window->actionPlay->trigger(); }).isEmpty());
        QVERIFY(playbacksStartedBy([window] { window->actionSynthesize->trigger(); }).isEmpty());
    }

    void playbackOutlivesTheWindow_data()
    {
        QTest::addColumn<bool>("synthesis");
        QTest::newRow("sound") << false;
        QTest::newRow("resynthesis") << true;
    }

    void playbackOutlivesTheWindow()
    {
        QFETCH(bool, synthesis);
        // Half a second at 8000 Hz with two fundamentals: each playback runs 0.5 s.
        fixture::TempDir dir;
        const QString path =
            writeSound(dir, "tone.wav", fixture::harmonicTone(200.0, {8000.0}, 8000, 4000), 1, 8000);
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::accept());
        Analysis *analysis = analyse(window, path, parameters(QStringLiteral("200,400")));
        QCOMPARE(analysis->harmonicList.size(), 2);

        std::vector<std::weak_ptr<const std::vector<short>>> sounds;
        if (synthesis) {
            for (const HarmonicAnalysis *harmonic : analysis->harmonicList)
                sounds.push_back(harmonic->synthesis->output);
        } else {
            sounds.push_back(analysis->sampleBuffer);
        }
        const QList<AudioThread *> started = playbacksStartedBy([window, synthesis] {
            (synthesis ? window->actionSynthesize : window->actionPlay)->trigger();
        });
        QCOMPARE(started.size(), int(sounds.size()));

        // The window and its analysis go while the sounds play; the playbacks
        // keep what they play until they have ended.
        delete window;
        for (const auto &sound : sounds)
            QVERIFY(!sound.expired());
        for (AudioThread *thread : started)
            QVERIFY(thread->wait(10000));
        QTRY_VERIFY(std::all_of(sounds.begin(), sounds.end(), [](const auto &sound) { return sound.expired(); }));
    }
};

QTEST_MAIN(TestAnalysisFlow)
#include "test_analysis_flow.moc"
