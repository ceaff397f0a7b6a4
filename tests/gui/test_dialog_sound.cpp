// Portion dialog: channel choice, coupled sliders, selection bounds, the
// accepted portion, auto-trim with its question, and the preview.

#include "sound/DialogSound.h"
#include "support/gui/GuiTestSetup.h"
#include "support/gui/ModalAnswerer.h"

#include <qwt_plot_curve.h>
#include <qwt_plot_marker.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <initializer_list>
#include <vector>

Q_DECLARE_METATYPE(std::vector<short>)

namespace {

// Never a value of any fixture: found after a portion only if too much was written.
constexpr short kSentinel = 31111;

// A sound of `frames` frames with raw[f * channels + c] = 100 c + f + 1: every
// value is non-zero, and the values of one channel count up by one per frame;
// so do the frame averages, 50 (channels - 1) + f + 1. An accepted portion is
// therefore fully described by its first value and its length.
std::vector<short> countingSound(int channels, int frames)
{
    std::vector<short> raw(static_cast<size_t>(channels) * frames);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            raw[f * channels + c] = static_cast<short>(100 * c + f + 1);
    return raw;
}

// Silence except `value` in the listed channels of frames first .. last.
std::vector<short> burst(int frames, int channels, int first, int last,
                         std::initializer_list<int> loudChannels, short value)
{
    std::vector<short> raw(static_cast<size_t>(frames) * channels, 0);
    for (int f = first; f <= last; ++f)
        for (int c : loudChannels)
            raw[f * channels + c] = value;
    return raw;
}

// The buffers an analysis hands to the dialog: the output has room for every
// interleaved value plus one sentinel.
struct Sound {
    Sound(std::vector<short> values, int channels, int sampleRate)
        : raw(std::move(values)), out(raw.size() + 1, kSentinel), count(static_cast<int>(raw.size())),
          channels(channels), sampleRate(sampleRate)
    {
    }

    DialogSound *dialog()
    {
        return new DialogSound(raw.data(), out.data(), channels, sampleRate, &count, nullptr);
    }

    std::vector<short> raw;
    std::vector<short> out;
    int count;
    int channels;
    int sampleRate;
};

void click(DialogSound *dialog, const QString &radio)
{
    dialog->findChild<QRadioButton *>(radio)->click();
}

QList<QwtPlotMarker *> markers(QwtPlot *plot)
{
    QList<QwtPlotMarker *> found;
    for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotMarker))
        found << static_cast<QwtPlotMarker *>(item);
    return found;
}

QwtPlotCurve *onlyCurve(QwtPlot *plot)
{
    const QwtPlotItemList curves = plot->itemList(QwtPlotItem::Rtti_PlotCurve);
    return curves.size() == 1 ? static_cast<QwtPlotCurve *>(curves.first()) : nullptr;
}

// The playbacks currently alive; each belongs to the application object.
QList<AudioThread *> playbacks()
{
    return qApp->findChildren<AudioThread *>(QString(), Qt::FindDirectChildrenOnly);
}

// The one playback started since `before` was taken, or null.
AudioThread *newPlayback(const QList<AudioThread *> &before)
{
    QList<AudioThread *> started;
    for (AudioThread *thread : playbacks())
        if (!before.contains(thread))
            started << thread;
    return started.size() == 1 ? started.first() : nullptr;
}

} // namespace

class TestDialogSound : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void channelsShown_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("leftText");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<bool>("othersEnabled");  // radioRight, radioAvg, labelAvg, plotRight
        QTest::addColumn<bool>("rightUsed");
        // Preselection: mono and six channels take the first channel, stereo the average.
        QTest::newRow("mono") << 1 << "Mono" << "radioLeft" << false << false;
        QTest::newRow("stereo") << 2 << "L" << "radioAvg" << true << true;
        QTest::newRow("six channels") << 6 << "L" << "radioLeft" << true << false;
    }

    void channelsShown()
    {
        QFETCH(int, channels);
        QFETCH(QString, leftText);
        QFETCH(QString, checked);
        QFETCH(bool, othersEnabled);
        QFETCH(bool, rightUsed);
        // 1000 frames at 8000 Hz last 0.125 s.
        constexpr int kFrames = 1000;
        constexpr int kRate = 8000;
        constexpr double kDuration = 0.125;
        Sound sound(countingSound(channels, kFrames), channels, kRate);
        DialogSound *dialog = sound.dialog();

        QCOMPARE(dialog->windowTitle(), QStringLiteral("Sound Analysis"));
        QCOMPARE(dialog->windowOpacity(), 0.8);
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(dialog->radioLeft->text(), leftText);
        QVERIFY(dialog->findChild<QRadioButton *>(checked)->isChecked());
        QCOMPARE(dialog->radioRight->isEnabled(), othersEnabled);
        QCOMPARE(dialog->radioAvg->isEnabled(), othersEnabled);
        QCOMPARE(dialog->labelAvg->isEnabled(), othersEnabled);
        QCOMPARE(dialog->plotRight->isEnabled(), othersEnabled);
        QVERIFY(dialog->leftUsed());
        QCOMPARE(dialog->rightUsed(), rightUsed);
        QCOMPARE(dialog->labelStart->text(), QStringLiteral("0s"));
        QCOMPARE(dialog->labelEnd->text(), QStringLiteral("0.125s"));
        QCOMPARE(dialog->labelTotal->text(), QStringLiteral("0.125s"));

        // Waveforms: "Left" is channel 1, "Right" channel 2, x in seconds.
        struct Shown { QwtPlot *plot; const char *title; int channel; Qt::GlobalColor fill; };
        QList<Shown> shown{{dialog->plotLeft, "Left", 0, Qt::darkBlue}};
        if (channels > 1)
            shown << Shown{dialog->plotRight, "Right", 1, Qt::black};
        else
            QVERIFY(dialog->plotRight->itemList(QwtPlotItem::Rtti_PlotCurve).isEmpty());
        for (const Shown &s : shown) {
            QCOMPARE(s.plot->axisScaleDiv(QwtPlot::xBottom).lowerBound(), 0.0);
            QCOMPARE(s.plot->axisScaleDiv(QwtPlot::xBottom).upperBound(), kDuration);
            QwtPlotCurve *curve = onlyCurve(s.plot);
            QVERIFY(curve);
            QCOMPARE(curve->title().text(), QString::fromLatin1(s.title));
            QCOMPARE(curve->pen().style(), Qt::NoPen);
            QCOMPARE(curve->brush(), QBrush(s.fill));
            QCOMPARE(static_cast<int>(curve->dataSize()), kFrames);
            for (int f : {0, 1, 499, kFrames - 1}) {
                QCOMPARE(curve->sample(f).x(), f / double(kRate));
                QCOMPARE(curve->sample(f).y(), double(100 * s.channel + f + 1));
            }
        }
        delete dialog;
    }

    void markersShown_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<bool>("leftUsed");
        QTest::addColumn<bool>("rightUsed");
        QTest::newRow("L") << "radioLeft" << true << false;
        QTest::newRow("R") << "radioRight" << false << true;
        QTest::newRow("average") << "radioAvg" << true << true;
    }

    void markersShown()
    {
        QFETCH(QString, radio);
        QFETCH(bool, leftUsed);
        QFETCH(bool, rightUsed);
        // Stereo, 1000 frames at 1000 Hz: the end markers stand at 1 s.
        Sound sound(countingSound(2, 1000), 2, 1000);
        DialogSound *dialog = sound.dialog();
        click(dialog, radio);
        QCOMPARE(dialog->leftUsed(), leftUsed);
        QCOMPARE(dialog->rightUsed(), rightUsed);

        const QPen pen(QBrush(Qt::darkRed), 2, Qt::DotLine, Qt::SquareCap, Qt::BevelJoin);
        for (QwtPlot *plot : {dialog->plotLeft, dialog->plotRight}) {
            const bool used = plot == dialog->plotLeft ? leftUsed : rightUsed;
            const QList<QwtPlotMarker *> found = markers(plot);
            QCOMPARE(found.size(), 2);
            // Start marker "->" at 0 s, pointing into the portion; end marker "<-" at 1 s.
            const struct { const char *label; Qt::Alignment alignment; double x; } expected[] = {
                {"->", Qt::AlignRight | Qt::AlignTop, 0.0},
                {"<-", Qt::AlignLeft | Qt::AlignTop, 1.0},
            };
            for (int i = 0; i < 2; ++i) {
                QwtPlotMarker *marker = found[i];
                QCOMPARE(marker->label().text(), QString::fromLatin1(expected[i].label));
                QCOMPARE(marker->labelAlignment(), expected[i].alignment);
                QCOMPARE(marker->labelOrientation(), Qt::Horizontal);
                QCOMPARE(marker->lineStyle(), QwtPlotMarker::VLine);
                QCOMPARE(marker->linePen(), pen);
                QCOMPARE(marker->xValue(), expected[i].x);
                QCOMPARE(marker->isVisible(), used);
            }
        }
        delete dialog;
    }

    void accepted_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("start");  // slider percentages
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("startIndex");
        QTest::addColumn<int>("endIndex");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("firstValue");  // the rest count up by one

        // Stereo, total 2000, full range: L and average take every frame; R starts
        // at index 1 and gets (1999 - 1 + 1) / 2 = 999 values.
        QTest::newRow("stereo L") << 2 << 1000 << "radioLeft" << 0 << 100 << 0 << 1999 << 1000 << 1;
        QTest::newRow("stereo average") << 2 << 1000 << "radioAvg" << 0 << 100 << 0 << 1999 << 1000 << 51;
        QTest::newRow("stereo R") << 2 << 1000 << "radioRight" << 0 << 100 << 1 << 1999 << 999 << 101;
        // Total 2002: 25 % -> r(500.5) = 501, odd: L moves down to 500 (frame 250),
        // R keeps 501; 75 % -> r(1501.5) = 1502; counts 1003 / 2 and 1002 / 2.
        QTest::newRow("stereo L odd start") << 2 << 1001 << "radioLeft" << 25 << 75 << 500 << 1502 << 501 << 251;
        QTest::newRow("stereo R odd start") << 2 << 1001 << "radioRight" << 25 << 75 << 501 << 1502 << 501 << 351;
        // Mono, 400 values: r(40) = 40 .. r(240) = 240, 201 values from raw[40] = 41.
        QTest::newRow("mono") << 1 << 400 << "radioLeft" << 10 << 60 << 40 << 240 << 201 << 41;
        // Six channels, total 600: L is channel 1, R channel 2 (starting at index 1,
        // 599 / 6 = 99 values), the average takes all six: 250 + f + 1.
        QTest::newRow("six L") << 6 << 100 << "radioLeft" << 0 << 100 << 0 << 599 << 100 << 1;
        QTest::newRow("six R") << 6 << 100 << "radioRight" << 0 << 100 << 1 << 599 << 99 << 101;
        QTest::newRow("six average") << 6 << 100 << "radioAvg" << 0 << 100 << 0 << 599 << 100 << 251;
        // Total 606: 10 % -> r(60.6) = 61, down to its frame's start 60 (frame 10),
        // R one on; 50 % -> 303; counts 244 / 6 = 40 and 243 / 6 = 40.
        QTest::newRow("six L part") << 6 << 101 << "radioLeft" << 10 << 50 << 60 << 303 << 40 << 11;
        QTest::newRow("six R part") << 6 << 101 << "radioRight" << 10 << 50 << 61 << 303 << 40 << 111;
        QTest::newRow("six average part") << 6 << 101 << "radioAvg" << 10 << 50 << 60 << 303 << 40 << 261;
    }

    void accepted()
    {
        QFETCH(int, channels);
        QFETCH(int, frames);
        QFETCH(QString, radio);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, startIndex);
        QFETCH(int, endIndex);
        QFETCH(int, count);
        QFETCH(int, firstValue);
        Sound sound(countingSound(channels, frames), channels, 1000);
        QPointer<DialogSound> dialog = sound.dialog();
        click(dialog, radio);
        dialog->slideEnd->setValue(end);
        dialog->slideStart->setValue(start);
        QCOMPARE(dialog->selectionStart(), startIndex);
        QCOMPARE(dialog->selectionEnd(), endIndex);
        QCOMPARE(sound.count, count);

        dialog->accept();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(sound.count, count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(sound.out[i], short(firstValue + i));
        QVERIFY(std::all_of(sound.out.begin() + count, sound.out.end(),
                            [](short v) { return v == kSentinel; }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());  // closed dialogs delete themselves
    }

    // Run as the analysis runs it: OK writes the portion, Cancel writes nothing.
    void buttons_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("written");  // values written to the output
        // Stereo, 100 frames, average preselected: 100 values.
        QTest::newRow("OK") << int(QDialogButtonBox::Ok) << 1 << 100;
        QTest::newRow("Cancel") << int(QDialogButtonBox::Cancel) << 0 << 0;
    }

    void buttons()
    {
        QFETCH(int, button);
        QFETCH(int, result);
        QFETCH(int, written);
        Sound sound(countingSound(2, 100), 2, 1000);
        QPointer<DialogSound> dialog = sound.dialog();
        ModalAnswerer answers;
        answers.enqueue([button](QWidget *w) {
            w->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::StandardButton(button))->click();
        });
        QCOMPARE(dialog->exec(), result);
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.seenTitles(), QStringList{QStringLiteral("Sound Analysis")});
        for (int i = 0; i < written; ++i)
            QCOMPARE(sound.out[i], short(51 + i));  // frame averages 50 + f + 1
        QVERIFY(std::all_of(sound.out.begin() + written, sound.out.end(),
                            [](short v) { return v == kSentinel; }));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog.isNull());
    }

    void averageTruncatesTowardZero_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<QVector<short>>("frame");
        QTest::addColumn<short>("average");
        // Integer sums divided by the channel count, truncated toward zero.
        QTest::newRow("-1/2 -> 0") << 2 << QVector<short>{100, -101} << short(0);
        QTest::newRow("201/2 -> 100") << 2 << QVector<short>{101, 100} << short(100);
        QTest::newRow("-201/2 -> -100") << 2 << QVector<short>{-100, -101} << short(-100);
        QTest::newRow("no overflow") << 2 << QVector<short>{32767, 32767} << short(32767);
        QTest::newRow("-17/6 -> -2") << 6 << QVector<short>{-10, -10, 1, 1, 1, 0} << short(-2);
    }

    void averageTruncatesTowardZero()
    {
        QFETCH(int, channels);
        QFETCH(QVector<short>, frame);
        QFETCH(short, average);
        // The frame twice, so that the portion has a known second value too.
        std::vector<short> raw(frame.begin(), frame.end());
        raw.insert(raw.end(), frame.begin(), frame.end());
        Sound sound(raw, channels, 1000);
        DialogSound *dialog = sound.dialog();
        click(dialog, QStringLiteral("radioAvg"));
        dialog->accept();
        QCOMPARE(sound.count, 2);
        QCOMPARE(sound.out[0], average);
        QCOMPARE(sound.out[1], average);
        QCOMPARE(sound.out[2], kSentinel);
    }

    void slidersStayApart_data()
    {
        QTest::addColumn<int>("firstEnd");  // set first
        QTest::addColumn<int>("thenStart");
        QTest::addColumn<int>("thenEnd");   // -1: not set
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("startText");
        QTest::addColumn<QString>("endText");
        QTest::addColumn<QString>("totalText");
        QTest::addColumn<int>("startIndex");
        QTest::addColumn<int>("endIndex");
        QTest::addColumn<int>("count");
        // Mono, 1000 values at 1000 Hz: a slider value v shows v / 100 s and
        // selects from index r(10 v); the end index stays below 1000.
        // The total subtracts the label numbers in single precision:
        // 0.51f - 0.5f = 0.00999999046 and 1 - 0.99f = 0.00999999046 -> "0.00999999",
        // 0.3f - 0.29f = 0.0100000203 -> "0.01".
        // Start to 50 while the end is at 40: the end moves to 51 first.
        QTest::newRow("start past end")
            << 40 << 50 << -1 << 50 << 51 << "0.5s" << "0.51s" << "0.00999999s" << 500 << 510 << 11;
        // End to 30 while the start is at 60: the start moves to 29.
        QTest::newRow("end before start")
            << 100 << 60 << 30 << 29 << 30 << "0.29s" << "0.3s" << "0.01s" << 290 << 300 << 11;
        // Start to 100 while the end is at 50: the end goes to 100, whose handler
        // pulls the start back to 99; the labels show the sliders as they end up.
        QTest::newRow("start to the end")
            << 50 << 100 << -1 << 99 << 100 << "0.99s" << "1s" << "0.00999999s" << 990 << 999 << 10;
        // End to 0: the start cannot go below 0, so both stay at 0.
        QTest::newRow("end to zero") << 0 << 0 << -1 << 0 << 0 << "0s" << "0s" << "0s" << 0 << 0 << 1;
    }

    void slidersStayApart()
    {
        QFETCH(int, firstEnd);
        QFETCH(int, thenStart);
        QFETCH(int, thenEnd);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, startText);
        QFETCH(QString, endText);
        QFETCH(QString, totalText);
        QFETCH(int, startIndex);
        QFETCH(int, endIndex);
        QFETCH(int, count);
        Sound sound(countingSound(1, 1000), 1, 1000);
        DialogSound *dialog = sound.dialog();
        dialog->slideEnd->setValue(firstEnd);
        dialog->slideStart->setValue(thenStart);
        if (thenEnd >= 0)
            dialog->slideEnd->setValue(thenEnd);

        QCOMPARE(dialog->slideStart->value(), start);
        QCOMPARE(dialog->slideEnd->value(), end);
        QCOMPARE(dialog->labelStart->text(), startText);
        QCOMPARE(dialog->labelEnd->text(), endText);
        QCOMPARE(dialog->labelTotal->text(), totalText);
        for (QwtPlotMarker *marker : markers(dialog->plotLeft)) {
            const int at = marker->label().text() == QLatin1String("->") ? start : end;
            QCOMPARE(marker->xValue(), at / 100.0);
        }
        QCOMPARE(dialog->selectionStart(), startIndex);
        QCOMPARE(dialog->selectionEnd(), endIndex);
        QCOMPARE(sound.count, count);
        delete dialog;
    }

    void autoTrim_data()
    {
        QTest::addColumn<std::vector<short>>("raw");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("fromStart");  // sliders before the trim
        QTest::addColumn<int>("fromEnd");
        QTest::addColumn<bool>("question");  // "Nothing selected" asked
        QTest::addColumn<int>("answer");     // QMessageBox button given if asked
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        const int ok = QMessageBox::Ok;
        const int cancel = QMessageBox::Cancel;
        const std::vector<short> monoBurst = burst(10000, 1, 1000, 2999, {0}, 10000);
        const std::vector<short> monoSilence(10000, 0);
        const std::vector<short> rightOnly = burst(1000, 2, 100, 304, {1}, 8000);
        const std::vector<short> sixBurst = burst(100, 6, 10, 29, {0, 1, 2, 3, 4, 5}, 8000);

        // Loud 1000..2999 of 10000 (threshold 10000 / 50 = 200): the first loud
        // index 1000 gives trunc(100 * 999 / 10000) = 9, the last 2999 gives
        // trunc(100 * 3000 / 10000) = 30.
        QTest::newRow("mono burst") << monoBurst << 1 << "radioLeft" << 0 << 100 << false << cancel << 9 << 30;
        // Nothing loud: start 99, end 0; end 0 drags the start to 0, whose handler
        // pushes the end to 1: start = end - 1, the question.
        QTest::newRow("mono silence, Cancel selects all")
            << monoSilence << 1 << "radioLeft" << 0 << 100 << true << cancel << 0 << 100;
        QTest::newRow("mono silence, OK selects nothing")
            << monoSilence << 1 << "radioLeft" << 0 << 100 << true << ok << 0 << 1;
        // Right values 201..609 of 2000: r(100 * 199 / 2000) = r(9.95) = 10,
        // r(100 * 611 / 2000) = r(30.55) = 31.
        QTest::newRow("stereo R") << rightOnly << 2 << "radioRight" << 0 << 100 << false << cancel << 10 << 31;
        QTest::newRow("stereo silent L, OK") << rightOnly << 2 << "radioLeft" << 0 << 100 << true << ok << 0 << 1;
        QTest::newRow("stereo silent L, Cancel")
            << rightOnly << 2 << "radioLeft" << 20 << 80 << true << cancel << 0 << 100;
        // Six channels, loud frames 10..29 = values 60..179 of 600:
        // trunc(100 * 59 / 600) = 9, trunc(100 * 180 / 600) = 30.
        QTest::newRow("six average") << sixBurst << 6 << "radioAvg" << 0 << 100 << false << cancel << 9 << 30;
        // One channel of more than two: the sliders stay.
        QTest::newRow("six L stays") << sixBurst << 6 << "radioLeft" << 20 << 80 << false << cancel << 20 << 80;
    }

    void autoTrim()
    {
        QFETCH(std::vector<short>, raw);
        QFETCH(int, channels);
        QFETCH(QString, radio);
        QFETCH(int, fromStart);
        QFETCH(int, fromEnd);
        QFETCH(bool, question);
        QFETCH(int, answer);
        QFETCH(int, start);
        QFETCH(int, end);
        Sound sound(raw, channels, 10000);
        DialogSound *dialog = sound.dialog();
        click(dialog, radio);
        dialog->slideEnd->setValue(fromEnd);
        dialog->slideStart->setValue(fromStart);

        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::click(QMessageBox::StandardButton(answer)));
        dialog->pushTrim->click();
        if (question) {
            QVERIFY(answers.allUsed());
            QCOMPARE(answers.seenTitles(), QStringList{QStringLiteral("Nothing selected")});
            QCOMPARE(answers.seenTexts(),
                     QStringList{QStringLiteral("There is no sound data in this channel. Press OK "
                                                "to select nothing, Cancel to select all.")});
        } else {
            QCOMPARE(answers.remaining(), 1);
        }
        QCOMPARE(dialog->slideStart->value(), start);
        QCOMPARE(dialog->slideEnd->value(), end);
        delete dialog;
    }

    // An empty sound (the analysis refuses such files first) must not break the dialog.
    void emptySound_data()
    {
        QTest::addColumn<int>("channels");
        QTest::newRow("mono") << 1;
        QTest::newRow("stereo") << 2;
        QTest::newRow("six channels") << 6;
    }

    void emptySound()
    {
        QFETCH(int, channels);
        Sound sound({}, channels, 44100);
        DialogSound *dialog = sound.dialog();
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::click(QMessageBox::Cancel));
        dialog->autoTrim();
        QCOMPARE(answers.remaining(), 1);  // nothing was asked
        QCOMPARE(dialog->slideStart->value(), 0);
        QCOMPARE(dialog->slideEnd->value(), 100);
        dialog->playPreview();
        dialog->accept();
        QCOMPARE(sound.count, 0);
        QCOMPARE(sound.out[0], kSentinel);
    }

    // The test machine has no sound card: the preview starts a playback that
    // opens no stream, and nothing is shown. The dialog may go away at once.
    void previewWithoutSoundCard()
    {
        Sound sound(countingSound(2, 400), 2, 8000);
        DialogSound *dialog = sound.dialog();
        const QList<AudioThread *> before = playbacks();
        dialog->playPreview();
        QPointer<AudioThread> thread = newPlayback(before);
        delete dialog;
        QVERIFY(thread);
        QVERIFY(thread->wait());
        QVERIFY(!thread->streamOpened());
        QCOMPARE(thread->highestIndexRead(), -1);
        QCoreApplication::processEvents();
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(guitest::topLevels<QMessageBox>().isEmpty());
    }

    // With a default output that writes to a file (see ALSA's "file" plugin),
    // the preview is heard as the portion itself: every second value on both
    // channels at half the rate, nothing beyond the portion, even though the
    // dialog is deleted while the sound plays.
    void previewPlaysThePortion_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("firstValue");  // the rest count up by one
        // At 8000 Hz every portion here lasts at most 0.05 s.
        // Mono, 400 values, 10 .. 60 %: raw[40 .. 240] = 41 .. 241.
        QTest::newRow("mono part") << 1 << 400 << "radioLeft" << 10 << 60 << 201 << 41;
        // Stereo R, full range: 399 values from frame 0 of channel 2, 101 .. 499.
        QTest::newRow("stereo R") << 2 << 400 << "radioRight" << 0 << 100 << 399 << 101;
        // Six channels, average, full range: 250 + f + 1 for 100 frames.
        QTest::newRow("six average") << 6 << 100 << "radioAvg" << 0 << 100 << 100 << 251;
    }

    void previewPlaysThePortion()
    {
        QFETCH(int, channels);
        QFETCH(int, frames);
        QFETCH(QString, radio);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(int, count);
        QFETCH(int, firstValue);

        // ALSA reads this file whenever PortAudio initialises, i.e. once per
        // playback; without it later playbacks find no sound card again.
        QTemporaryDir captureDir;
        const QString played = captureDir.filePath(QStringLiteral("played.raw"));
        const QString alsaDir = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + "/alsa";
        QVERIFY(QDir().mkpath(alsaDir));
        QFile config(alsaDir + "/asoundrc");
        const auto removeConfig = qScopeGuard([&config] { config.remove(); });
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("pcm.!default {\n type file\n slave.pcm \"null\"\n"
                                    " file \"%1\"\n format \"raw\"\n}\n").arg(played).toLocal8Bit());
        config.close();

        Sound sound(countingSound(channels, frames), channels, 8000);
        DialogSound *dialog = sound.dialog();
        click(dialog, radio);
        dialog->slideEnd->setValue(end);
        dialog->slideStart->setValue(start);
        const QList<AudioThread *> before = playbacks();
        dialog->playPreview();
        QPointer<AudioThread> thread = newPlayback(before);
        delete dialog;
        QVERIFY(thread);
        QVERIFY(thread->wait());
        QVERIFY(thread->streamOpened());
        QCOMPARE(thread->streamRate(), 4000.0);
        // The last even index below the count.
        QCOMPARE(thread->highestIndexRead(), (count - 1) / 2 * 2);

        QFile capture(played);
        QVERIFY(capture.open(QIODevice::ReadOnly));
        const QByteArray bytes = capture.readAll();
        const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
        std::vector<short> captured(static_cast<size_t>(bytes.size()) / 2);
        for (size_t i = 0; i < captured.size(); ++i)  // little-endian 16-bit
            captured[i] = static_cast<short>(data[2 * i] | (data[2 * i + 1] << 8));
        capture.close();
        capture.remove();

        // Leading silence, then frames (v, v) for the portion's even offsets, then silence.
        std::vector<short> expected;
        for (int i = 0; i < count; i += 2)
            expected.insert(expected.end(), {short(firstValue + i), short(firstValue + i)});
        const auto first = std::find_if(captured.begin(), captured.end(), [](short v) { return v != 0; });
        QVERIFY2(first != captured.end(), "nothing but silence was played");
        QVERIFY(captured.end() - first >= static_cast<long>(expected.size()));
        QVERIFY(std::equal(expected.begin(), expected.end(), first));
        QVERIFY(std::all_of(first + expected.size(), captured.end(), [](short v) { return v == 0; }));
    }
};

QTEST_MAIN(TestDialogSound)
#include "test_dialog_sound.moc"
