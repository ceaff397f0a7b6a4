// Session dialog: its answers and its buttons.

#include "app/DialogSession.h"
#include "support/gui/GuiTestSetup.h"
#include "support/gui/ModalAnswerer.h"

#include <QtTest>

class TestDialogSession : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }

    void results_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("analyse a sound") << "pushNewSession" << 1;
        QTest::newRow("cancel") << "pushCancel" << 0;
    }

    void results()
    {
        QFETCH(QString, button);
        QFETCH(int, result);
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::clickButton(button));
        QPointer<DialogSession> dialog = new DialogSession(nullptr);
        QCOMPARE(dialog->exec(), result);
        QVERIFY(answers.allUsed());
        QVERIFY(dialog.isNull());  // it deletes itself when it closes
    }

    void recordDoesNothing()
    {
        ModalAnswerer answers;
        bool stillOpen = false;
        answers.enqueue(ModalAnswerer::inspectThen(
            [&stillOpen](QWidget *w) {
                w->findChild<QPushButton *>(QStringLiteral("pushRecord"))->click();
                stillOpen = w->isVisible();
            },
            ModalAnswerer::clickButton(QStringLiteral("pushCancel"))));
        auto *dialog = new DialogSession(nullptr);
        QCOMPARE(dialog->exec(), 0);
        QVERIFY(stillOpen);
    }

    void form()
    {
        auto *dialog = new DialogSession(nullptr);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("New Session"));
        QCOMPARE(dialog->size(), QSize(300, 200));
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QVERIFY(dialog->isModal());
        QVERIFY(!dialog->isSizeGripEnabled());
        QCOMPARE(dialog->windowOpacity(), 0.8);
        QVERIFY(dialog->pushNewSession->isDefault());
        QCOMPARE(dialog->pushNewSession->text(), QStringLiteral("Analyze sound file..."));
        QCOMPARE(dialog->pushRecord->text(), QStringLiteral("Record sound for analysis..."));
        QCOMPARE(dialog->pushOldSession->text(), QStringLiteral("Previous analysis..."));
        QCOMPARE(dialog->pushCancel->text(), QStringLiteral("Cancel"));
        QVERIFY(dialog->pushRecord->isEnabled());
        QVERIFY(!dialog->pushOldSession->isEnabled());
        delete dialog;
    }
};

QTEST_MAIN(TestDialogSession)
#include "test_DialogSession.moc"
