#pragma once

#include <QFont>
#include <QPrintPreviewDialog>
#include <QString>
#include <functional>

#include "editing/printlayout.h"

class QAction;

// The modal preview of a key-layout print, from which the user prints on paper
// or writes a PDF file. Preview, printer and PDF are painted by PrintPainter.
class TPrintPreview : public QPrintPreviewDialog
{
    Q_OBJECT
public:
    TPrintPreview(QWidget *parent, const PrintLayout::TReport &report, const QFont &keyFont);

    const PrintLayout::TReport &Report() const { return report_; }
    QAction *SavePdf = nullptr; // on the preview's tool bar

    // Asks for the PDF file and writes it; errors go to the prompt.
    void SavePdfClick();

    // The modal run (exec unless set); tests replace it.
    static std::function<int(TPrintPreview &)> Exec;
    // The PDF file name (a save dialog unless set; empty cancels); tests replace it.
    static std::function<QString(TPrintPreview &)> AskPdfFileName;

private:
    PrintLayout::TReport report_;
    QFont keyFont_;
};

// Builds the preview of report over parent and shows it modally.
int ShowPrintPreview(QWidget *parent, const PrintLayout::TReport &report, const QFont &keyFont);
