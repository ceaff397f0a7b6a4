#pragma once
// Answers modal widgets (dialogs run with exec(), message boxes, file dialogs)
// from inside their nested event loops, so a test can drive code that blocks
// on a question. Answers are used in order, one per newly shown modal widget.
//
//   ModalAnswerer answers;
//   answers.enqueue(ModalAnswerer::clickButton("pushNewSession"));
//   answers.enqueue(ModalAnswerer::chooseFile(path));
//   auto *window = new MainWindow;   // its constructor runs the session dialog
//   QVERIFY(answers.allUsed());
//
// File dialogs are answered only when they are Qt's own widgets, not the
// desktop's native ones: guitest::setUp() (GuiTestSetup.h) arranges that.
// A dialog that is merely shown with the modal flag also counts as modal,
// so drive such a dialog directly rather than through queued answers.

#include <QObject>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>

class ModalAnswerer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QWidget *)>;

    explicit ModalAnswerer(QObject *parent = nullptr);

    void enqueue(Handler handler);
    bool allUsed() const { return queue_.empty(); }
    int remaining() const { return static_cast<int>(queue_.size()); }
    // Window titles of the modal widgets answered so far, in order.
    const QStringList &seenTitles() const { return seenTitles_; }
    // Texts of the message boxes answered so far, in order.
    const QStringList &seenTexts() const { return seenTexts_; }

    // Ready-made answers.
    static Handler click(QMessageBox::StandardButton button);   // a message box button
    static Handler clickButton(const QString &objectName);      // a push/tool button of the dialog
    static Handler chooseFile(const QString &path);             // a QFileDialog
    static Handler cancelFileDialog();
    static Handler accept();                                    // QDialog::accept()
    static Handler reject();                                    // QDialog::reject()
    // Runs `inspect` on the dialog first, then answers with `then`.
    static Handler inspectThen(std::function<void(QWidget *)> inspect, Handler then);

private slots:
    void poll();

private:
    std::deque<Handler> queue_;
    QPointer<QWidget> lastAnswered_;
    QTimer timer_;
    QStringList seenTitles_;
    QStringList seenTexts_;
};
