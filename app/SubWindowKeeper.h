#pragma once
// Event filter for the main window's MDI sub-windows, which live as long as
// the window because the analysis keeps drawing into them: a user's close
// only hides the sub-window (the Window menu shows it again) and brings the
// next visible sub-window to the front.

#include <QObject>

class SubWindowKeeper : public QObject {
    Q_OBJECT
public:
    explicit SubWindowKeeper(QObject *parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
