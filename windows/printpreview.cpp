#include "windows/printpreview.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>

#include "cardpack/dll_load.h"
#include "windows/printpainter.h"
#include "windows/prompt.h"

std::function<int(TPrintPreview &)> TPrintPreview::Exec;
std::function<QString(TPrintPreview &)> TPrintPreview::AskPdfFileName;

TPrintPreview::TPrintPreview(QWidget *parent, const PrintLayout::TReport &report, const QFont &keyFont)
    : QPrintPreviewDialog(parent), report_(report), keyFont_(keyFont)
{
    setObjectName(QStringLiteral("PrintPreview"));
    setWindowTitle(report.Header.Caption);
    PrintPainter::SetupPrinter(*printer(), report_);
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *target) { PrintPainter::PrintReport(*target, report_, keyFont_); });

    SavePdf = new QAction(style()->standardIcon(QStyle::SP_DialogSaveButton), LoadStrDll(290), this);
    SavePdf->setObjectName(QStringLiteral("SavePdf"));
    connect(SavePdf, &QAction::triggered, this, [this] { SavePdfClick(); });
    if (QToolBar *bar = findChild<QToolBar *>()) {
        bar->addSeparator();
        bar->addAction(SavePdf);
    } else {
        addAction(SavePdf);
    }
}

void TPrintPreview::SavePdfClick()
{
    QString name = AskPdfFileName ? AskPdfFileName(*this)
                                  : QFileDialog::getSaveFileName(this, SavePdf->text(), QString(),
                                                                 QStringLiteral("PDF (*.pdf)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".pdf");
    QString reason;
    if (!PrintPainter::WritePdf(report_, name, keyFont_, &reason))
        TPrompt::Current().Error(LoadStrDll(291) + QStringLiteral("\n") + name + QStringLiteral("\n") +
                                 reason);
}

int ShowPrintPreview(QWidget *parent, const PrintLayout::TReport &report, const QFont &keyFont)
{
    TPrintPreview preview(parent, report, keyFont);
    return TPrintPreview::Exec ? TPrintPreview::Exec(preview) : preview.exec();
}
