// The new-analysis flow up to the point where the analysis takes over: the
// session dialog of a new window, the open dialog, the parameters dialog,
// and opening further windows.

#include "app/DialogHeader.h"
#include "app/MainWindow.h"
#include "support/core/WavFixture.h"
#include "support/gui/GuiTestSetup.h"
#include "support/gui/ModalAnswerer.h"

#include <QDir>
#include <QSettings>
#include <QFileDialog>
#include <QtTest>

namespace {

// A short silent-ish mono sound in a fresh folder.
QString writeSound(const fixture::TempDir &dir, const std::string &name)
{
    const std::string path = dir.file(name);
    return fixture::writeWav(path, std::vector<short>(800, 0), 1, 8000) ? QString::fromStdString(path)
                                                                        : QString();
}

MainWindow *emptyWindow()
{
    ModalAnswerer answers;
    answers.enqueue(ModalAnswerer::clickButton(QStringLiteral("pushCancel")));
    auto *window = new MainWindow;
    return answers.allUsed() ? window : nullptr;
}

} // namespace

class TestNewFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }
    void init() { QSettings().clear(); }
    void cleanup() { guitest::deleteTopLevels<MainWindow>(); }

    void sessionDialogOfANewWindow_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("dialogsSeen");
        // "Analyze sound file..." goes on to the open dialog (cancelled here).
        QTest::newRow("analyse") << "pushNewSession" << QStringList{"New Session", "Open a Wave File"};
        QTest::newRow("cancel") << "pushCancel" << QStringList{"New Session"};
    }

    void sessionDialogOfANewWindow()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, dialogsSeen);
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::clickButton(button));
        answers.enqueue(ModalAnswerer::cancelFileDialog());
        auto *window = new MainWindow;
        QCOMPARE(answers.seenTitles(), dialogsSeen);
        QVERIFY(window->isVisible());
        QVERIFY(!window->hasAnalysis);
        QVERIFY(window->actionNew->isEnabled());
    }

    void cancelledOpenDialogChangesNothing()
    {
        fixture::TempDir dir;
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        window->workPath = QString::fromStdString(dir.path());
        QString startDirectory;
        QStringList filters;
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::inspectThen(
            [&](QWidget *w) {
                auto *dialog = qobject_cast<QFileDialog *>(w);
                startDirectory = dialog->directory().absolutePath();
                filters = dialog->nameFilters();
            },
            ModalAnswerer::cancelFileDialog()));
        window->actionNew->trigger();
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.seenTitles(), QStringList{"Open a Wave File"});
        QCOMPARE(startDirectory, QDir(QString::fromStdString(dir.path())).absolutePath());
        QCOMPARE(filters, QStringList({"Wave Files (*.wav)", "All Files (*.*)"}));
        QCOMPARE(window->workPath, QString::fromStdString(dir.path()));
        QCOMPARE(window->windowTitle(), QStringLiteral("sonvik+"));
        QVERIFY(!window->hasAnalysis);
        QVERIFY(!window->actionAnotherFile->isEnabled());
    }

    void firstOpenDialogStartsInCurrentFolder()
    {
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        QString startDirectory;
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::inspectThen(
            [&](QWidget *w) { startDirectory = qobject_cast<QFileDialog *>(w)->directory().absolutePath(); },
            ModalAnswerer::cancelFileDialog()));
        window->newFile();
        QCOMPARE(startDirectory, QDir::current().absolutePath());
    }

    void cancelledParametersDialogKeepsFolder()
    {
        fixture::TempDir dir;
        const QString sound = writeSound(dir, "horn.wav");
        QVERIFY(!sound.isEmpty());
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        QString workPathWhileAsked;
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::chooseFile(sound));
        answers.enqueue(ModalAnswerer::inspectThen(
            [&](QWidget *) { workPathWhileAsked = window->workPath; }, ModalAnswerer::reject()));
        window->newFile();
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.seenTitles(), QStringList({"Open a Wave File", "Analysis Parameters"}));
        const QString folder = QFileInfo(sound).absolutePath();
        QCOMPARE(workPathWhileAsked, folder);
        QCOMPARE(window->workPath, folder);
        QVERIFY(!window->hasAnalysis);
        QCOMPARE(window->windowTitle(), QStringLiteral("sonvik+"));
        QVERIFY(!window->actionAnotherFile->isEnabled());
        auto *parameters = window->findChild<DialogHeader *>();
        QVERIFY(parameters);
        QVERIFY(parameters->isHidden());

        // The folder is kept with the settings and offered by the next open dialog.
        answers.enqueue(ModalAnswerer::click(QMessageBox::Yes));
        QVERIFY(window->close());
        QCOMPARE(QSettings().value("workPath").toString(), folder);
        MainWindow *next = emptyWindow();
        QVERIFY(next);
        QString startDirectory;
        answers.enqueue(ModalAnswerer::inspectThen(
            [&](QWidget *w) { startDirectory = qobject_cast<QFileDialog *>(w)->directory().absolutePath(); },
            ModalAnswerer::cancelFileDialog()));
        next->newFile();
        QCOMPARE(startDirectory, folder);
    }

    void acceptedParametersStartTheAnalysis()
    {
        fixture::TempDir dir;
        const QString sound = writeSound(dir, "flute.wav");
        QVERIFY(!sound.isEmpty());
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        QString fileField;
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::chooseFile(sound));
        answers.enqueue(ModalAnswerer::inspectThen(
            [&fileField](QWidget *w) {
                fileField = qobject_cast<DialogHeader *>(w)->editFilename->text();
            },
            ModalAnswerer::accept()));
        answers.enqueue(ModalAnswerer::reject());  // the portion dialog of the analysis
        window->newFile();
        QVERIFY(answers.allUsed());
        QCOMPARE(fileField, sound);
        QCOMPARE(window->fileName, sound);
        QCOMPARE(window->shortFileName, QStringLiteral("flute.wav"));
        QCOMPARE(window->windowTitle(), QStringLiteral("sonvik+ - flute.wav"));
        QVERIFY(window->hasAnalysis);
        QVERIFY(window->actionAnotherFile->isEnabled());
        QCOMPARE(window->workPath, QFileInfo(sound).absolutePath());
    }

    void newFileOnAWindowWithAnalysis_data()
    {
        QTest::addColumn<int>("closeAnswer");
        QTest::addColumn<bool>("oldWindowSurvives");
        QTest::newRow("closes") << int(QMessageBox::Yes) << false;
        QTest::newRow("kept") << int(QMessageBox::No) << true;
    }

    void newFileOnAWindowWithAnalysis()
    {
        QFETCH(int, closeAnswer);
        QFETCH(bool, oldWindowSurvives);
        QPointer<MainWindow> window = emptyWindow();
        QVERIFY(window);
        window->hasAnalysis = true;
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::click(QMessageBox::StandardButton(closeAnswer)));
        answers.enqueue(ModalAnswerer::clickButton(QStringLiteral("pushCancel")));
        window->newFile();
        QVERIFY(answers.allUsed());
        // The close question, then the new window's own session dialog, whatever the answer.
        QCOMPARE(answers.seenTitles(), QStringList({"sonvik+", "New Session"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(!window.isNull(), oldWindowSurvives);
        const QList<MainWindow *> windows = guitest::topLevels<MainWindow>();
        QCOMPARE(windows.size(), oldWindowSurvives ? 2 : 1);
        for (MainWindow *open : windows)
            QVERIFY(open->isVisible());
    }

    void anotherFileOpensASecondWindow()
    {
        MainWindow *first = emptyWindow();
        QVERIFY(first);
        first->actionAnotherFile->setEnabled(true);
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::clickButton(QStringLiteral("pushCancel")));
        first->actionAnotherFile->trigger();
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.seenTitles(), QStringList{"New Session"});
        const QList<MainWindow *> windows = guitest::topLevels<MainWindow>();
        QCOMPARE(windows.size(), 2);
        MainWindow *second = windows[0] == first ? windows[1] : windows[0];
        QVERIFY(second->isVisible());
        QVERIFY(first->isVisible());
        QCOMPARE(first->windowTitle(), QStringLiteral("sonvik+"));
    }
};

QTEST_MAIN(TestNewFile)
#include "test_NewFile.moc"
