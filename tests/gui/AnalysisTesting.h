#pragma once
// Shared by the analysis driver's tests: an empty main window to analyse in,
// parameter records, sounds written at test time, and readers of what the
// analysis leaves in the window.

#include "analysis/Analysis.h"
#include "app/AnalysisHeader.h"
#include "app/MainWindow.h"
#include "support/core/WavFixture.h"
#include "support/gui/ModalAnswerer.h"

#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QString>
#include <QStringList>
#include <QTableWidget>

#include <string>
#include <vector>

namespace analysistest {

// A main window whose session dialog was cancelled: no analysis yet.
inline MainWindow *emptyWindow()
{
    ModalAnswerer answers;
    answers.enqueue(ModalAnswerer::clickButton(QStringLiteral("pushCancel")));
    auto *window = new MainWindow;
    return answers.allUsed() ? window : nullptr;
}

// Parameters as the dialog would give them; detection is on when
// `fundamentals` is empty. No alignment, so detected values stay as found.
inline AnalysisHeader parameters(const QString &fundamentals, int windowSize = 512)
{
    AnalysisHeader header;
    header.fileName = QStringLiteral("typed name.wav");
    header.fundamentals = fundamentals;
    header.findF0 = fundamentals.isEmpty();
    header.alignF0 = false;
    header.windowFunction = 4;
    header.windowSize = windowSize;
    return header;
}

// Writes 16-bit frames into `dir`; empty when the file could not be written.
inline QString writeSound(const fixture::TempDir &dir, const std::string &name, const std::vector<short> &frames,
                          int channels, int sampleRate, int format = 0)
{
    const std::string path = dir.file(name);
    return fixture::writeWav(path, frames, channels, sampleRate, format) ? QString::fromStdString(path)
                                                                          : QString();
}

// Runs an analysis of `path` in `window` as the window's own; queue the
// answers to its dialogs first.
inline Analysis *analyse(MainWindow *window, const QString &path, const AnalysisHeader &header)
{
    auto *analysis = new Analysis(window, path, header);
    window->analysis = analysis;
    return analysis;
}

// Answers the next modal widget with `handler`, letting the analysis's
// progress dialog pass: when a step runs long it shows itself, and being
// window-modal it is offered to the answerer like any dialog. Use it for
// answers that may still be pending while the analysis runs.
inline ModalAnswerer::Handler pastProgress(ModalAnswerer &answerer, ModalAnswerer::Handler handler)
{
    return [&answerer, handler](QWidget *w) {
        if (qobject_cast<QProgressDialog *>(w))
            answerer.enqueue(pastProgress(answerer, handler));
        else
            handler(w);
    };
}

// Titles of the modal widgets answered, without the progress dialog's empty one.
inline QStringList titlesSeen(const ModalAnswerer &answerer)
{
    QStringList titles = answerer.seenTitles();
    titles.removeAll(QString());
    return titles;
}

inline QStringList logLines(const MainWindow *window)
{
    return window->textInfo->toPlainText().split(QLatin1Char('\n'));
}

// The log from "Please wait, analysis in progress..." on.
inline QStringList analysisLog(const MainWindow *window)
{
    const QStringList lines = logLines(window);
    const int start = lines.indexOf(QStringLiteral("Please wait, analysis in progress..."));
    return start < 0 ? QStringList() : lines.mid(start);
}

// Label and value text of every row of a two-column table.
inline QStringList tableRows(const QTableWidget *table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem *label = table->item(row, 0);
        const QTableWidgetItem *value = table->item(row, 1);
        rows << (label ? label->text() : QString()) + QLatin1Char('|') + (value ? value->text() : QString());
    }
    return rows;
}

} // namespace analysistest
