#include "support/gui/ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

ModalAnswerer::ModalAnswerer(QObject *parent) : QObject(parent)
{
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::poll);
    timer_.start();
}

void ModalAnswerer::enqueue(Handler handler)
{
    queue_.push_back(std::move(handler));
}

void ModalAnswerer::poll()
{
    if (queue_.empty())
        return;
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == lastAnswered_)
        return;
    lastAnswered_ = modal;
    Handler handler = std::move(queue_.front());
    queue_.pop_front();
    seenTitles_ << modal->windowTitle();
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        seenTexts_ << box->text();
    handler(modal);
}

ModalAnswerer::Handler ModalAnswerer::click(QMessageBox::StandardButton button)
{
    return [button](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (box && box->button(button))
            box->button(button)->click();
        else if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
    };
}

ModalAnswerer::Handler ModalAnswerer::clickButton(const QString &objectName)
{
    return [objectName](QWidget *w) {
        if (auto *button = w->findChild<QAbstractButton *>(objectName))
            button->click();
        else if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
    };
}

ModalAnswerer::Handler ModalAnswerer::chooseFile(const QString &path)
{
    return [path](QWidget *w) {
        if (auto *dialog = qobject_cast<QFileDialog *>(w)) {
            // selectFile() leaves the file-name field alone once that field
            // has the focus, which depends on window activation timing, so
            // the path is typed into the field itself.
            dialog->setDirectory(QFileInfo(path).absolutePath());
            if (auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                field->setText(path);
            else
                dialog->selectFile(path);
            // Through QDialog: QFileDialog keeps its accept() override protected.
            static_cast<QDialog *>(dialog)->accept();
        } else if (auto *other = qobject_cast<QDialog *>(w)) {
            other->reject();
        }
    };
}

ModalAnswerer::Handler ModalAnswerer::cancelFileDialog()
{
    return reject();
}

ModalAnswerer::Handler ModalAnswerer::accept()
{
    return [](QWidget *w) {
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->accept();
    };
}

ModalAnswerer::Handler ModalAnswerer::reject()
{
    return [](QWidget *w) {
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
    };
}

ModalAnswerer::Handler ModalAnswerer::inspectThen(std::function<void(QWidget *)> inspect, Handler then)
{
    return [inspect = std::move(inspect), then = std::move(then)](QWidget *w) {
        inspect(w);
        then(w);
    };
}
