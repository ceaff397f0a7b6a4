// Main window settings and closing: the persisted keys, the close question,
// and "Quit" over several windows.

#include "app/MainWindow.h"
#include "support/gui/GuiTestSetup.h"
#include "support/gui/ModalAnswerer.h"

#include <QPushButton>
#include <QSettings>
#include <QtTest>

namespace {

const QString kQuestion = QStringLiteral("Are you sure to end this sonvik+ analysis?");

MainWindow *emptyWindow()
{
    ModalAnswerer answers;
    answers.enqueue(ModalAnswerer::clickButton(QStringLiteral("pushCancel")));
    auto *window = new MainWindow;
    return answers.allUsed() ? window : nullptr;
}

// Answers the close question with `button` and notes which window asked.
ModalAnswerer::Handler answerCloseQuestion(QMessageBox::StandardButton button,
                                           QList<QWidget *> &askers)
{
    return ModalAnswerer::inspectThen([&askers](QWidget *box) { askers << box->parentWidget(); },
                                      ModalAnswerer::click(button));
}

} // namespace

class TestMainWindowSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }
    void init() { QSettings().clear(); }
    void cleanup() { guitest::deleteTopLevels<MainWindow>(); }

    void defaultsOnEmptyStore()
    {
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        QCOMPARE(window->pos(), QPoint(0, 0));
        // 800 x 600, or the window's minimum size where its panes and plots need more.
        QCOMPARE(window->size(), QSize(800, 600).expandedTo(window->minimumSize()));
        QCOMPARE(window->windowState(), Qt::WindowNoState);
        QCOMPARE(window->workPath, QStringLiteral("."));
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("normal") << int(Qt::WindowNoState);
        QTest::newRow("maximised") << int(Qt::WindowMaximized);
    }

    void roundTrip()
    {
        QFETCH(int, state);
        const QPoint position(40, 30);
        const QSize size(1000, 900);  // above the window's minimum size, within the screen
        const QString path = QStringLiteral("/sounds/flutes");
        {
            QSettings settings;
            settings.setValue("pos", position);
            settings.setValue("size", size);
            settings.setValue("windowState", state);
            settings.setValue("workPath", path);
        }
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        QCOMPARE(int(window->windowState()), state);
        QCOMPARE(window->workPath, path);
        if (state == Qt::WindowNoState) {
            QCOMPARE(window->pos(), position);
            QCOMPARE(window->size(), size);
        }

        // What the window writes on closing is what the next window reads.
        window->setWindowState(Qt::WindowNoState);
        window->move(55, 65);
        window->resize(1010, 910);
        window->workPath = QStringLiteral("/sounds/oboes");
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::click(QMessageBox::Yes));
        QVERIFY(window->close());
        QSettings settings;
        QCOMPARE(settings.value("pos").toPoint(), QPoint(55, 65));
        QCOMPARE(settings.value("size").toSize(), QSize(1010, 910));
        QCOMPARE(settings.value("windowState").toInt(), int(Qt::WindowNoState));
        QCOMPARE(settings.value("workPath").toString(), QStringLiteral("/sounds/oboes"));

        MainWindow *next = emptyWindow();
        QVERIFY(next);
        QCOMPARE(next->pos(), QPoint(55, 65));
        QCOMPARE(next->size(), QSize(1010, 910));
        QCOMPARE(next->workPath, QStringLiteral("/sounds/oboes"));
    }

    void closeQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("no") << int(QMessageBox::No) << false;
    }

    void closeQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QPointer<MainWindow> window = emptyWindow();
        QVERIFY(window);
        window->workPath = QStringLiteral("/sounds/horns");
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::click(QMessageBox::StandardButton(answer)));
        window->actionClose->trigger();
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.seenTitles(), QStringList{"sonvik+"});
        QCOMPARE(answers.seenTexts(), QStringList{kQuestion});
        // Settings are written on Yes only (the destructor below writes them too).
        QCOMPARE(QSettings().value("workPath").toString(),
                 closes ? QStringLiteral("/sounds/horns") : QString());
        QTRY_COMPARE(window.isNull(), closes);
        if (!closes)
            QVERIFY(window->isVisible());
    }

    void questionDefaultsToYes()
    {
        MainWindow *window = emptyWindow();
        QVERIFY(window);
        ModalAnswerer answers;
        QAbstractButton *defaultButton = nullptr;
        QAbstractButton *yesButton = nullptr;
        answers.enqueue(ModalAnswerer::inspectThen(
            [&](QWidget *w) {
                auto *box = qobject_cast<QMessageBox *>(w);
                defaultButton = box->defaultButton();
                yesButton = box->button(QMessageBox::Yes);
                QVERIFY(box->button(QMessageBox::No));
            },
            ModalAnswerer::click(QMessageBox::No)));
        window->close();
        QVERIFY(defaultButton);
        QCOMPARE(defaultButton, yesButton);
    }

    void quitWithTwoWindows_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QList<bool>>("askedWindowSurvives");
        QTest::newRow("yes, yes") << QList<int>{QMessageBox::Yes, QMessageBox::Yes} << 2
                                  << QList<bool>{false, false};
        QTest::newRow("no to the first") << QList<int>{QMessageBox::No} << 1 << QList<bool>{true};
        QTest::newRow("no to the second") << QList<int>{QMessageBox::Yes, QMessageBox::No} << 2
                                          << QList<bool>{false, true};
    }

    void quitWithTwoWindows()
    {
        QFETCH(QList<int>, answers);
        QFETCH(int, asked);
        QFETCH(QList<bool>, askedWindowSurvives);
        const QList<MainWindow *> opened = {emptyWindow(), emptyWindow()};
        QVERIFY(opened[0] && opened[1]);
        const QList<QPointer<MainWindow>> windows = {opened[0], opened[1]};

        ModalAnswerer answerer;
        QList<QWidget *> askers;
        for (int answer : answers)
            answerer.enqueue(answerCloseQuestion(QMessageBox::StandardButton(answer), askers));
        windows[0]->actionQuit->trigger();
        QVERIFY(answerer.allUsed());
        QCOMPARE(askers.size(), asked);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // Windows asked and answered Yes are gone; the one answered No and any
        // window not yet asked stay open.
        for (int i = 0; i < opened.size(); ++i) {
            const int index = askers.indexOf(opened[i]);
            const bool survives = index < 0 || askedWindowSurvives[index];
            QCOMPARE(!windows[i].isNull(), survives);
        }
    }
};

QTEST_MAIN(TestMainWindowSettings)
#include "test_MainWindowSettings.moc"
