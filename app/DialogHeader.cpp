#include "app/DialogHeader.h"

#include <QDate>
#include <QFileDialog>

DialogHeader::DialogHeader(const QString &fileName, QWidget *parent) : QDialog(parent)
{
    // The form sets its list indices before these connections exist, so the
    // pitch field starts empty.
    setupUi(this);
    connect(toolBrowse, &QToolButton::clicked, this, &DialogHeader::changeFile);
    for (QComboBox *list : {comboPitchname, comboPitchacc, comboPitchoctave})
        connect(list, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &DialogHeader::changePitch);
    connect(checkFindf0, &QCheckBox::toggled, editF0, &QLineEdit::setDisabled);
    connect(pushMore, &QPushButton::toggled, this, &DialogHeader::showMore);
    connect(buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    editFilename->setText(fileName);
    editDate->setDate(QDate::currentDate());

    // A fixed-size layout lets the dialog shrink and grow with the metadata group.
    groupAdv->hide();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setWindowOpacity(0.8);
}

AnalysisHeader DialogHeader::analysisHeader() const
{
    AnalysisHeader header;
    header.fileName = editFilename->text();
    header.performer = editPerformer->text();
    header.instrument = editInstrument->text();
    header.date = editDate->date().toString(QStringLiteral("dd/MM/yyyy"));
    header.pitch = editPitch->text();
    header.dynamics = comboDynamics->currentText();
    header.vibrato = radioVibYes->isChecked();
    header.toneSegment = comboToneseg->currentText();
    header.comments = textComments->toPlainText();
    header.findF0 = checkFindf0->isChecked();
    header.fundamentals = header.findF0 ? QString() : editF0->text();
    header.alignF0 = checkAlignF0->isChecked();
    header.windowFunction = comboWinFunc->currentIndex();
    header.windowSize = comboWinSize->currentText().toInt();
    return header;
}

void DialogHeader::changeFile()
{
    const QString chosen = QFileDialog::getOpenFileName(
        this, tr("Open a Wave File"), QStringLiteral("."), tr("Wave Files (*.wav)"));
    if (!chosen.isEmpty())
        editFilename->setText(chosen);
}

void DialogHeader::changePitch()
{
    editPitch->setText(comboPitchname->currentText() + comboPitchacc->currentText()
                       + comboPitchoctave->currentText());
}

void DialogHeader::showMore(bool more)
{
    if (more) {
        pushMore->setText(tr("Less <<"));
        groupAdv->show();
        return;
    }
    pushMore->setText(tr("More >>"));
    groupAdv->hide();
    gridBasic->setRowStretch(0, 0);
    gridBasic->setRowStretch(1, 0);
    groupBasic->adjustSize();
    adjustSize();
    repaint();
}
