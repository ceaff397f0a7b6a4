// Parameters dialog: the record it hands over and the behaviour of its fields.

#include "app/DialogHeader.h"
#include "support/core/WavFixture.h"
#include "support/gui/GuiTestSetup.h"
#include "support/gui/ModalAnswerer.h"

#include <QFileDialog>
#include <QtTest>

namespace {

const QString kPath = QStringLiteral("/sounds/flute.wav");

void selectText(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(QStringLiteral("no item \"%1\" in %2").arg(text, combo->objectName())));
    combo->setCurrentIndex(index);
}

} // namespace

class TestDialogHeader : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }

    void untouchedRecord()
    {
        DialogHeader dialog(kPath, nullptr);
        const AnalysisHeader header = dialog.analysisHeader();
        QCOMPARE(header.fileName, kPath);
        QCOMPARE(header.performer, QString());
        QCOMPARE(header.instrument, QString());
        QCOMPARE(header.date, QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
        QCOMPARE(header.pitch, QString());
        QCOMPARE(header.dynamics, QString());
        QCOMPARE(header.vibrato, false);
        QCOMPARE(header.toneSegment, QStringLiteral("All"));
        QCOMPARE(header.comments, QString());
        QCOMPARE(header.fundamentals, QString());
        QCOMPARE(header.findF0, true);
        QCOMPARE(header.alignF0, true);
        QCOMPARE(header.windowFunction, 4);
        QCOMPARE(header.windowSize, 2048);
        QVERIFY(!dialog.editF0->isEnabled());
        QVERIFY(dialog.groupAdv->isHidden());
    }

    void typedFundamentals()
    {
        DialogHeader dialog(kPath, nullptr);
        dialog.checkFindf0->click();
        QVERIFY(dialog.editF0->isEnabled());
        QTest::keyClicks(dialog.editF0, QStringLiteral("220, 330"));
        AnalysisHeader header = dialog.analysisHeader();
        QCOMPARE(header.fundamentals, QStringLiteral("220, 330"));
        QCOMPARE(header.findF0, false);

        // Back to automatic: the field keeps its text but the record drops it.
        dialog.checkFindf0->click();
        QVERIFY(!dialog.editF0->isEnabled());
        header = dialog.analysisHeader();
        QCOMPARE(header.fundamentals, QString());
        QCOMPARE(header.findF0, true);
        QCOMPARE(dialog.editF0->text(), QStringLiteral("220, 330"));
    }

    void pitchLists_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accidental");
        QTest::addColumn<QString>("octave");
        QTest::addColumn<QString>("pitch");
        QTest::newRow("G flat 3") << "G" << "b" << "3" << "Gb3";
        QTest::newRow("C sharp 4") << "C" << "#" << "4" << "C#4";
        QTest::newRow("natural A0") << "A" << "" << "0" << "A0";
        QTest::newRow("accidental only") << "" << "#" << "" << "#";
    }

    void pitchLists()
    {
        QFETCH(QString, name);
        QFETCH(QString, accidental);
        QFETCH(QString, octave);
        QFETCH(QString, pitch);
        DialogHeader dialog(kPath, nullptr);
        // Start from a non-empty choice so that every list really changes.
        selectText(dialog.comboPitchname, QStringLiteral("B"));
        selectText(dialog.comboPitchacc, QStringLiteral("b"));
        selectText(dialog.comboPitchoctave, QStringLiteral("7"));
        selectText(dialog.comboPitchname, name);
        selectText(dialog.comboPitchacc, accidental);
        selectText(dialog.comboPitchoctave, octave);
        QCOMPARE(dialog.analysisHeader().pitch, pitch);
    }

    void typedPitchStaysUntilAListChanges()
    {
        DialogHeader dialog(kPath, nullptr);
        selectText(dialog.comboPitchname, QStringLiteral("G"));
        dialog.editPitch->setText(QStringLiteral("G4 slightly flat"));
        QCOMPARE(dialog.analysisHeader().pitch, QStringLiteral("G4 slightly flat"));
        selectText(dialog.comboPitchoctave, QStringLiteral("5"));
        QCOMPARE(dialog.analysisHeader().pitch, QStringLiteral("G5"));
    }

    void dateFormats_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("recorded");
        QTest::newRow("single digits") << QDate(2010, 3, 7) << "7/3/2010" << "07/03/2010";
        QTest::newRow("double digits") << QDate(2009, 12, 25) << "25/12/2009" << "25/12/2009";
    }

    void dateFormats()
    {
        QFETCH(QDate, date);
        QFETCH(QString, shown);
        QFETCH(QString, recorded);
        DialogHeader dialog(kPath, nullptr);
        dialog.editDate->setDate(date);
        QCOMPARE(dialog.editDate->text(), shown);
        QCOMPARE(dialog.analysisHeader().date, recorded);
    }

    void windowChoices_data()
    {
        QTest::addColumn<QString>("sizeItem");
        QTest::addColumn<QString>("functionItem");
        QTest::addColumn<int>("windowSize");
        QTest::addColumn<int>("windowFunction");
        QTest::newRow("smallest, rectangular") << "512" << "Rectangular" << 512 << 0;
        QTest::newRow("1024, hamming") << "1024" << "Hamming" << 1024 << 2;
        QTest::newRow("largest, bartlett-hann") << "8192" << "Bartlett-Hann" << 8192 << 5;
    }

    void windowChoices()
    {
        QFETCH(QString, sizeItem);
        QFETCH(QString, functionItem);
        QFETCH(int, windowSize);
        QFETCH(int, windowFunction);
        DialogHeader dialog(kPath, nullptr);
        selectText(dialog.comboWinSize, sizeItem);
        selectText(dialog.comboWinFunc, functionItem);
        const AnalysisHeader header = dialog.analysisHeader();
        QCOMPARE(header.windowSize, windowSize);
        QCOMPARE(header.windowFunction, windowFunction);
    }

    void metadataFields()
    {
        DialogHeader dialog(kPath, nullptr);
        dialog.editPerformer->setText(QStringLiteral("A. Player"));
        dialog.editInstrument->setText(QStringLiteral("flute"));
        selectText(dialog.comboDynamics, QStringLiteral("mf"));
        dialog.radioVibYes->click();
        selectText(dialog.comboToneseg, QStringLiteral("End"));
        dialog.textComments->setPlainText(QStringLiteral("first line\nsecond line"));
        dialog.checkAlignF0->click();
        AnalysisHeader header = dialog.analysisHeader();
        QCOMPARE(header.performer, QStringLiteral("A. Player"));
        QCOMPARE(header.instrument, QStringLiteral("flute"));
        QCOMPARE(header.dynamics, QStringLiteral("mf"));
        QCOMPARE(header.vibrato, true);
        QCOMPARE(header.toneSegment, QStringLiteral("End"));
        QCOMPARE(header.comments, QStringLiteral("first line\nsecond line"));
        QCOMPARE(header.alignF0, false);
        dialog.radioVibNo->click();
        QCOMPARE(dialog.analysisHeader().vibrato, false);
    }

    void moreAndLess()
    {
        DialogHeader dialog(kPath, nullptr);
        dialog.setWindowModality(Qt::NonModal);  // shown, not run: no modal loop here
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const int compactHeight = dialog.height();

        dialog.pushMore->click();
        QCOMPARE(dialog.pushMore->text(), QStringLiteral("Less <<"));
        QVERIFY(dialog.groupAdv->isVisible());
        QTRY_VERIFY(dialog.height() > compactHeight);

        dialog.pushMore->click();
        QCOMPARE(dialog.pushMore->text(), QStringLiteral("More >>"));
        QVERIFY(!dialog.groupAdv->isVisible());
        QTRY_COMPARE(dialog.height(), compactHeight);
    }

    void browseForFile()
    {
        fixture::TempDir dir;
        const QString other = QString::fromStdString(dir.file("other.wav"));
        QVERIFY(fixture::writeWav(other.toStdString(), {0, 100, 0, -100}, 1, 8000));
        DialogHeader dialog(kPath, nullptr);
        ModalAnswerer answers;

        answers.enqueue(ModalAnswerer::cancelFileDialog());
        dialog.toolBrowse->click();
        QVERIFY(answers.allUsed());
        QCOMPARE(dialog.analysisHeader().fileName, kPath);

        QStringList filters;
        answers.enqueue(ModalAnswerer::inspectThen(
            [&filters](QWidget *w) { filters = qobject_cast<QFileDialog *>(w)->nameFilters(); },
            ModalAnswerer::chooseFile(other)));
        dialog.toolBrowse->click();
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.seenTitles(), QStringList({"Open a Wave File", "Open a Wave File"}));
        QCOMPARE(filters, QStringList({"Wave Files (*.wav)"}));
        QCOMPARE(dialog.analysisHeader().fileName, other);
    }

    void tabOrder()
    {
        DialogHeader dialog(kPath, nullptr);
        const QStringList expected = {
            "editFilename", "toolBrowse",    "editF0",         "checkFindf0",      "pushMore",
            "editPerformer", "editInstrument", "editDate",     "editPitch",        "comboPitchname",
            "comboPitchacc", "comboPitchoctave", "comboDynamics", "radioVibYes",   "radioVibNo",
            "comboToneseg", "textComments",  "buttonBox"};
        // The listed widgets in the order the focus chain visits them, from the first one.
        QWidget *first = dialog.findChild<QWidget *>(expected.first());
        QVERIFY(first);
        QStringList visited;
        QWidget *widget = first;
        do {
            if (expected.contains(widget->objectName()) && !visited.contains(widget->objectName()))
                visited << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != first);
        QCOMPARE(visited, expected);
    }
};

QTEST_MAIN(TestDialogHeader)
#include "test_DialogHeader.moc"
