// The print and report commands reached through the main window's menu items
// and speed buttons, offscreen, with the modal runs replaced by hooks.
#include <QtTest>

#include <QLocale>
#include <QPageSize>
#include <QPlainTextEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "editing/configreport.h"
#include "mainwindow/mainform.h"
#include "platform/programfolder.h"
#include "tests/fixture/fixture.h"
#include "tests/print/printconfig.h"
#include "windows/printpreview.h"
#include "windows/prompt.h"
#include "windows/reportform.h"
#include "windows/wizard.h"

namespace
{

// What a preview showed.
struct Shown {
    int runs = 0;
    QStringList titles;
    QStringList captions;
    int previewPages = -1;
    int paper = -1; // QPageSize id of the preview's printer
    QString header;
};

} // namespace

class TestPrintCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    Shown shown_;

    // A main window with console 1 mechanical, names in its groups 0 and 8.
    std::unique_ptr<TMainForm1> makeForm()
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->resize(1000, 700);
        form->show();
        auto cfg = printtest::Consoles(1, 2);
        printtest::Name(*cfg, 1, 0, QStringLiteral("Depot"), QStringLiteral("E0-L0 - MB"));
        printtest::Name(*cfg, 1, 1, QStringLiteral("L1 UB"), QStringLiteral("E0-L1 - UB"));
        printtest::Name(*cfg, 1, 8 * 16 + 2, QStringLiteral("Yard"), QStringLiteral("E0-L2 - MB"));
        form->APult = cfg.release();
        form->PultTyp[0] = 1;
        form->PultTyp[1] = 2;
        form->MenuClick();
        return form;
    }

private slots:
    void initTestCase()
    {
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        fixture::LoadLanguage();
        QVERIFY(HInstDll > 32);
        scope_ = std::make_unique<TPromptScope>(&prompt_);
    }

    void init()
    {
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
        prompt_.clear();
        shown_ = Shown();
        TPrintPreview::Exec = [this](TPrintPreview &preview) {
            ++shown_.runs;
            shown_.header = preview.Report().Header.Caption;
            for (const PrintLayout::TPage &p : preview.Report().Pages) {
                shown_.titles << p.Title.Caption;
                for (const PrintLayout::TCell &c : p.Cells)
                    if (!c.Label.Caption.isEmpty())
                        shown_.captions << QStringLiteral("%1=%2").arg(c.Number).arg(c.Label.Caption);
            }
            shown_.paper = int(preview.printer()->pageLayout().pageSize().id());
            // The preview itself paints the pages through the painter.
            if (auto *widget = preview.findChild<QPrintPreviewWidget *>()) {
                widget->updatePreview();
                shown_.previewPages = widget->pageCount();
            }
            return int(QDialog::Accepted);
        };
    }

    void cleanup()
    {
        TPrintPreview::Exec = nullptr;
        TPrintPreview::AskPdfFileName = nullptr;
        TReportForm::Exec = nullptr;
        QLocale::setDefault(QLocale::c());
        platform::SetProgramFolder(QString());
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(" | ")));
    }

    // Each print item, triggered, previews its mode on the locale's paper.
    void printItems_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("paper");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("captions");
        // Groups 0 and 8 are printed, side by side on one page.
        const QStringList page = {"1. " + LoadStrDll(189) + " - " + LoadStrDll(17) + " 1"};
        QTest::newRow("Print1 en_US")
            << "Print1"
            << "en_US" << int(QPageSize::Letter) << page << QStringList{"224=Depot", "354=Yard"};
        QTest::newRow("Print1 de_DE")
            << "Print1"
            << "de_DE" << int(QPageSize::A4) << page << QStringList{"224=Depot", "354=Yard"};
        QTest::newRow("PrintAll1") << "PrintAll1"
                                   << "de_DE" << int(QPageSize::A4) << page
                                   << QStringList{"224=Depot", "225=L1 UB", "354=Yard"};
        QTest::newRow("PrintOriginal1") << "PrintOriginal1"
                                        << "en_US" << int(QPageSize::Letter) << page
                                        << QStringList{"224=L0 MB", "225=L1 UB", "354=L2 MB"};
        QTest::newRow("PrintEmpty1") << "PrintEmpty1"
                                     << "de_DE" << int(QPageSize::A4) << QStringList{""} << QStringList{};
    }
    void printItems()
    {
        QFETCH(QString, item);
        QFETCH(QString, locale);
        QFETCH(int, paper);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, captions);
        QLocale::setDefault(QLocale(locale));
        auto form = makeForm();
        QAction *action = form->findChild<QAction *>(item);
        QVERIFY(action);
        QVERIFY(action->isEnabled());
        action->trigger();
        QCOMPARE(shown_.runs, 1);
        QCOMPARE(shown_.header, form->windowTitle());
        QCOMPARE(shown_.titles, titles);
        QCOMPARE(shown_.captions, captions);
        QCOMPARE(shown_.paper, paper);
        QCOMPARE(shown_.previewPages, titles.size());
    }

    // The speed buttons run the same commands when clicked.
    void speedButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("PrintSB") << "PrintSB" << QStringList{"224=Depot", "354=Yard"};
        QTest::newRow("PrintEmptySB") << "PrintEmptySB" << QStringList{};
    }
    void speedButtons()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, captions);
        auto form = makeForm();
        auto *b = form->findChild<QToolButton *>(button);
        QVERIFY(b && b->isEnabled() && b->isVisible());
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(shown_.runs, 1);
        QCOMPARE(shown_.previewPages, 1);
        QCOMPARE(shown_.captions, captions);
    }

    // Names in all 14 groups: the preview paints two pages.
    void twoPages()
    {
        auto form = makeForm();
        for (int g = 0; g < 14; ++g)
            printtest::Name(*form->APult, 1, g * 16 + 3, QStringLiteral("G%1").arg(g));
        form->Print1->trigger();
        QCOMPARE(shown_.titles.size(), 2);
        QCOMPARE(shown_.previewPages, 2);
    }

    // No print while an operation runs.
    void busy()
    {
        auto form = makeForm();
        form->Dialogue().OperationMode = opmode::Read;
        form->Print1->trigger();
        form->Report2->trigger();
        form->Dialogue().OperationMode = opmode::Idle;
        QCOMPARE(shown_.runs, 0);
    }

    // From the preview the user writes a PDF: its pages are the preview's.
    void pdfFromPreview()
    {
        const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
        QVERIFY2(!pdfinfo.isEmpty(), "pdfinfo (poppler-utils) is needed");
        auto form = makeForm();
        const QString base = dir_.filePath(QStringLiteral("layout"));
        TPrintPreview::AskPdfFileName = [&](TPrintPreview &) { return base; };
        auto previous = TPrintPreview::Exec;
        bool onBar = false;
        TPrintPreview::Exec = [&](TPrintPreview &preview) {
            previous(preview);
            QToolBar *bar = preview.findChild<QToolBar *>();
            onBar = bar && bar->actions().contains(preview.SavePdf);
            preview.SavePdf->trigger();
            return int(QDialog::Accepted);
        };
        form->Print1->trigger();
        QVERIFY(onBar);
        QVERIFY(QFileInfo::exists(base + QStringLiteral(".pdf")));
        QProcess p;
        p.start(pdfinfo, {base + QStringLiteral(".pdf")});
        QVERIFY(p.waitForFinished(30000));
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));
    }

    // A PDF that cannot be written is reported.
    void pdfError()
    {
        auto form = makeForm();
        TPrintPreview::AskPdfFileName = [&](TPrintPreview &) {
            return dir_.filePath(QStringLiteral("none/x.pdf"));
        };
        TPrintPreview::Exec = [](TPrintPreview &preview) {
            preview.SavePdf->trigger();
            return int(QDialog::Accepted);
        };
        form->Print1->trigger();
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Error);
        QVERIFY(prompt_.asked()[0].text.startsWith(LoadStrDll(291)));
        prompt_.clear();
    }

    // The report item and its speed button show the configuration's report,
    // placed over the main window; OK closes it.
    void report_data()
    {
        QTest::addColumn<bool>("button");
        QTest::newRow("Report2") << false;
        QTest::newRow("ReportSB") << true;
    }
    void report()
    {
        QFETCH(bool, button);
        auto form = makeForm();
        QStringList text;
        QString title, memoName;
        QRect geometry, memo, ok;
        bool readOnly = false;
        int result = -1;
        TReportForm::Exec = [&](TReportForm &f) {
            title = f.windowTitle();
            text = f.MemoReport->toPlainText().split(u'\n');
            readOnly = f.MemoReport->isReadOnly();
            memoName = f.MemoReport->objectName();
            QTimer::singleShot(0, &f, [&f, &geometry, &memo, &ok] {
                geometry = f.geometry();
                memo = f.MemoReport->geometry();
                ok = f.btnOK->geometry();
                QTest::mouseClick(f.btnOK, Qt::LeftButton);
            });
            result = f.exec();
            return result;
        };
        if (button)
            QTest::mouseClick(form->ReportSB, Qt::LeftButton);
        else
            form->Report2->trigger();
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(title, LoadStrDll(22));
        QCOMPARE(memoName, QStringLiteral("MemoReport"));
        QVERIFY(readOnly);
        QCOMPARE(text, ConfigReport::ReportLines(*form->APult));
        QCOMPARE(text.first(), LoadStrDll(17) + "0 - " + LoadStrDll(9) + " (1):");
        const QRect frame = form->frameGeometry();
        const QRect wanted = ReportGeometry(frame);
        QCOMPARE(geometry.size(), wanted.size());
        QCOMPARE(wanted.topLeft(),
                 frame.topLeft() + QPoint(qRound(frame.width() * 0.05), qRound(frame.height() * 0.05)));
        QCOMPARE(memo, QRect(5, 5, wanted.width() - 17, wanted.height() - 65));
        QCOMPARE(ok, QRect((wanted.width() - 60) / 2, wanted.height() - 55, 60, 25));
    }

    // Escape answers OK too.
    void reportEscape()
    {
        auto form = makeForm();
        int result = -1;
        TReportForm::Exec = [&](TReportForm &f) {
            QTimer::singleShot(0, &f, [&f] { QTest::keyClick(&f, Qt::Key_Escape); });
            result = f.exec();
            return result;
        };
        form->Report2->trigger();
        QCOMPARE(result, int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestPrintCommands)
#include "test_commands.moc"
