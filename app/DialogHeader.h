#pragma once
// Parameters dialog: the user confirms the analysis parameters of one sound
// and, optionally, its recording metadata; analysisHeader() reads them into
// an AnalysisHeader record.

#include "app/AnalysisHeader.h"
#include "ui_dialogHeader.h"

#include <QDialog>

class DialogHeader : public QDialog, public Ui::dialogHeader {
    Q_OBJECT
public:
    // `fileName` is shown in the read-only file field.
    DialogHeader(const QString &fileName, QWidget *parent);

    // A new record read from the widgets as they stand now.
    AnalysisHeader analysisHeader() const;

public slots:
    // Lets the user pick another file for the record's file field.
    void changeFile();
    // Joins the three pitch lists into the pitch field.
    void changePitch();
    // Shows (true) or hides (false) the metadata group.
    void showMore(bool more);
};
