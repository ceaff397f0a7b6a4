#pragma once
// Start dialog of every new main window. exec() returns 1 when a sound file
// is to be analysed and 0 when cancelled. The dialog deletes itself when it
// closes, so create it with new and do not touch it after exec().

#include "ui_dialogSession.h"

#include <QDialog>

class DialogSession : public QDialog, public Ui::dialogSession {
    Q_OBJECT
public:
    explicit DialogSession(QWidget *parent);

public slots:
    void newSession();  // done(1)
    void recordNew();   // recording is not provided; the dialog stays open
    void oldSession();  // done(2); its button is disabled
};
