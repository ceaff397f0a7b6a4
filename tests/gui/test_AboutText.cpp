// About box: line structure and library version lines.

#include "app/AboutText.h"
#include "app/MainWindow.h"
#include "support/gui/GuiTestSetup.h"
#include "support/gui/ModalAnswerer.h"

#include <QRegularExpression>
#include <QtTest>

class TestAboutText : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { guitest::setUp(); }

    void versionNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number");
        // Version texts as the libraries report them on this kind of system.
        QTest::newRow("fftw") << "fftw-3.3.10-sse2-avx" << "3.3.10";
        QTest::newRow("portaudio") << "PortAudio V19.6.0-devel, revision 396fe4b" << "19.6.0";
        QTest::newRow("libsndfile") << "libsndfile-1.2.0" << "1.2.0";
        QTest::newRow("bare number") << "5.15.8" << "5.15.8";
        QTest::newRow("no dotted number") << "release 7" << "release 7";
    }

    void versionNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, number);
        QCOMPARE(abouttext::versionNumber(text), number);
    }

    void lines()
    {
        const QStringList lines = abouttext::message().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 17);
        QCOMPARE(lines[0], QStringLiteral("sonvik+ 0.4"));
        QVERIFY(!lines[1].isEmpty());
        QCOMPARE(lines.mid(2, 5), QStringList({"", "Testing Version", "Build 20100817", "", "Based on"}));
        QVERIFY(!lines[7].isEmpty() && !lines[8].isEmpty());
        QCOMPARE(lines.mid(9, 2), QStringList({"", "Libraries in use:"}));
        // Each library line: its name, one space, a dotted version number.
        const QStringList names = {"Qt", "Qwt", "QwtPlot3D", "FFTW", "PortAudio", "libSndFile"};
        for (int i = 0; i < names.size(); ++i) {
            const QRegularExpression line(
                QStringLiteral("^%1 \\d+(\\.\\d+)+$").arg(QRegularExpression::escape(names[i])));
            QVERIFY2(line.match(lines[11 + i]).hasMatch(), qPrintable(lines[11 + i]));
        }
        QCOMPARE(lines[11], QStringLiteral("Qt ") + qVersion());
    }

    void aboutBox()
    {
        ModalAnswerer answers;
        answers.enqueue(ModalAnswerer::clickButton(QStringLiteral("pushCancel")));
        auto *window = new MainWindow;
        QString text;
        answers.enqueue(ModalAnswerer::inspectThen(
            [&text](QWidget *w) { text = qobject_cast<QMessageBox *>(w)->text(); },
            ModalAnswerer::accept()));
        window->actionAbout->trigger();
        QVERIFY(answers.allUsed());
        QCOMPARE(answers.seenTitles().last(), QStringLiteral("About sonvik"));
        QCOMPARE(text, abouttext::message());
        delete window;
    }
};

QTEST_MAIN(TestAboutText)
#include "test_AboutText.moc"
