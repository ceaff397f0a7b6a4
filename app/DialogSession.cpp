#include "app/DialogSession.h"

DialogSession::DialogSession(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowOpacity(0.8);
    // Reopening a previous analysis is not provided.
    pushOldSession->setEnabled(false);
    connect(pushNewSession, &QPushButton::clicked, this, &DialogSession::newSession);
    connect(pushRecord, &QPushButton::clicked, this, &DialogSession::recordNew);
    connect(pushOldSession, &QPushButton::clicked, this, &DialogSession::oldSession);
    connect(pushCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DialogSession::newSession()
{
    done(1);
}

void DialogSession::recordNew()
{
}

void DialogSession::oldSession()
{
    done(2);
}
