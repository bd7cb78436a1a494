// Consoles saved as PC console files from the Tools menu, the hidden keys,
// the quiet switch's repeated read and the accessors of the main window.
#include <QtTest>

#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>

#include "cardpack/dll_load.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainform_dialogue.h"
#include "windows/novypult.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "records/sidefiles.h"
#include "tests/fixture/fixture.h"
#include "windows/colorbutton.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

class TestConsoleFileCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    QStringList proposed_, suffixes_;
    QList<QString> answers_; // empty: Cancel

    std::unique_ptr<TMainForm1> openForm()
    {
        auto cfg = fixture::BuildFixture();
        for (int s = 2; s <= 4; ++s)
            cfg->SlotyDosiek[s].Meno.clear();
        cfg->Pulty[1]->Dosky[2].reset();
        const QString name = dir_.filePath(QStringLiteral("proj.orv"));
        cfg->SaveToFile(name);
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()) || !form->OpenProjectByName(name))
            return nullptr;
        prompt_.clear();
        return form;
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        TMainForm1::FileDialogExec = [this](QFileDialog &dialog, QString &name) {
            proposed_ << QFileInfo(name).fileName();
            suffixes_ << dialog.defaultSuffix() + u' ' + dialog.nameFilters().join(u',');
            const QString answer = answers_.isEmpty() ? QString() : answers_.takeFirst();
            if (answer.isEmpty())
                return int(QDialog::Rejected);
            name = answer;
            return int(QDialog::Accepted);
        };
    }

    void init()
    {
        prompt_.clear();
        proposed_.clear();
        suffixes_.clear();
        answers_.clear();
    }

    void saveOneConsoleFromTheMenu()
    {
        auto form = openForm();
        QVERIFY(form);
        const QString chosen = dir_.filePath(QStringLiteral("out.cfg"));
        answers_ << chosen;
        form->MenuClick(); // the menu states, as the status tick sets them
        QVERIFY(form->Uloipult0akoPC1->isEnabled());
        form->Uloipult0akoPC1->trigger();
        QCOMPARE(proposed_, QStringList{QStringLiteral("proj.cfg")});
        QCOMPARE(suffixes_, QStringList{QStringLiteral("cfg *.cfg")});
        const QString side = PcConsoleFileName(chosen, 0);
        QVERIFY(QFile::exists(side));
        QVERIFY(!QFile::exists(PcConsoleFileName(chosen, 1)));
        QVERIFY(QFile::exists(UniFileName(chosen)));
        QCOMPARE(prompt_.texts(), QStringList{LoadStrDll(222).replace(QStringLiteral("%s"), side)});
        // The file reads back as a PC console record.
        TPcRecord record;
        QString error;
        QVERIFY2(ReadPcRecordFile(side, record, error), qPrintable(error));

        // Cancel writes nothing.
        prompt_.clear();
        QFile::remove(side);
        form->Uloipult0akoPC1->trigger();
        QVERIFY(!QFile::exists(side));
        form->MenuClick();
        QVERIFY(form->Uloipult1akoPC1->isEnabled()); // any connected console
        QVERIFY(prompt_.asked().isEmpty());
    }

    // Opening a project takes the key names of its PC console file when the
    // file's boards and keys agree with the project.
    void keyNamesFromTheSideFileOnOpen()
    {
        auto form = openForm();
        QVERIFY(form);
        const QString project = dir_.filePath(QStringLiteral("proj.orv"));
        const QString side = PcConsoleFileName(project, 0);
        QFile::setPermissions(side, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(side);
        answers_ << dir_.filePath(QStringLiteral("proj.cfg"));
        form->MenuClick();
        form->Uloipult0akoPC1->trigger();
        QVERIFY(form->Save2FileOrv()); // the line numbers the write gave the keys
        TPcRecord record;
        QString error;
        QVERIFY2(ReadPcRecordFile(side, record, error), qPrintable(error));
        int k = 0;
        const TPult &before = *form->APult->Pulty[0];
        while (k < KeyCount - 1 && (!before.Klavesy[k] || before.Klavesy[k]->NumLin == 255))
            ++k;
        QVERIFY(k < KeyCount - 1);
        const QString old = before.Klavesy[k]->MenoKlavesy;
        record.SetNameText(KeyAddress(k), QStringLiteral("Nové meno"));
        QVERIFY2(WriteRecordFile(side, record.ToBytes(), true, error), qPrintable(error));

        form->ModifiedFlag = 0;
        prompt_.clear();
        QVERIFY(form->OpenProjectByName(project));
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(u'|')));
        QCOMPARE(form->APult->Pulty[0]->Klavesy[k]->MenoKlavesy, QStringLiteral("Nové meno"));
        QCOMPARE(form->ModifiedFlag, Byte(1));
        QMdiSubWindow *shown = nullptr;
        for (QMdiSubWindow *w : form->MdiArea->subWindowList())
            if (w->objectName() == QLatin1String("Pult0"))
                shown = w;
        auto *pult0 = qobject_cast<TMDIChild *>(shown);
        QVERIFY(pult0);
        QCOMPARE(pult0->GetButton(k)->Caption(), QStringLiteral("Nové meno"));

        // A file whose boards differ from the project's leaves the names.
        record.BoardCode(0) = Byte(record.BoardCode(0) + 1);
        QVERIFY2(WriteRecordFile(side, record.ToBytes(), true, error), qPrintable(error));
        form->ModifiedFlag = 0;
        QVERIFY(form->OpenProjectByName(project));
        QCOMPARE(form->APult->Pulty[0]->Klavesy[k]->MenoKlavesy, old);
        QCOMPARE(form->ModifiedFlag, Byte(0));
        QFile::setPermissions(side, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(side);
    }

    void saveEveryConnectedConsole()
    {
        auto form = openForm();
        QVERIFY(form);
        const QString chosen = dir_.filePath(QStringLiteral("both.uni"));
        answers_ << chosen;
        form->MenuClick();
        form->UlozitpultyakoPC1->trigger();
        QCOMPARE(proposed_, QStringList{QStringLiteral("proj.uni")});
        QCOMPARE(suffixes_, QStringList{QStringLiteral("uni *.uni")});
        QVERIFY(QFile::exists(PcConsoleFileName(chosen, 0)));
        QVERIFY(QFile::exists(PcConsoleFileName(chosen, 1)));
        QCOMPARE(prompt_.asked().size(), 2);
    }

    // Ctrl+Alt+P twice leaves the hidden items as they were; Shift+Tab reaches prepni1.
    void hiddenKeys()
    {
        TMainForm1 form(nullptr, QSize(1280, 1024));
        form.TimerStatus->stop();
        form.FirstActivation = 0;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        QList<QAction *> items{form.dalsiakarta1, form.dalsialinka1, form.dalsiavolnakarta1,
                               form.predchadzajucavolnakarta1, form.prepni1};
        auto states = [&] {
            QList<bool> s;
            for (QAction *a : items)
                s << a->isEnabled();
            return s;
        };
        const QList<bool> before = states();
        QCOMPARE(before, QList<bool>(5, false));
        QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(states(), QList<bool>(5, true));
        QSignalSpy switched(form.prepni1, &QAction::triggered);
        QTest::keyClick(&form, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(switched.count(), 1);
        QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(states(), before);
        QTest::keyClick(&form, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(switched.count(), 1);
    }

    // The quiet switch: repeated reads until the button is clicked again.
    void quietRepeatedRead()
    {
        qputenv("KELVARA_COM1", "/nonexistent/kelvara-tty");
        TMainForm1 form(nullptr, QSize(1280, 1024));
        form.TimerStatus->stop();
        form.FirstActivation = 0;
        form.PortNumber = 1;
        int asked = 0;
        form.DialogueSide().NovyPultExec = [&](TNovyPult &) {
            ++asked;
            return int(NovyPultCancel);
        };
        form.show();
        QString caption;
        QTimer::singleShot(300, &form, [&] {
            caption = form.test->text();
            form.test->click();
        });
        form.test->click();
        QVERIFY(form.TestRuns > 0);
        QCOMPARE(asked, form.TestRuns); // each run a read of its own
        // The counter as it stood when the click came, during a run or after it.
        QVERIFY2(caption.toInt() == form.TestRuns || caption.toInt() == form.TestRuns - 1, qPrintable(caption));
        QCOMPARE(form.test->text(), QString());
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(" | "))); // quiet: the log only
    }

    void accessors()
    {
        TMainForm1 bare(nullptr, QSize(1280, 1024));
        bare.TimerStatus->stop();
        QCOMPARE(bare.GetSystemTypeText(), QString());
        QCOMPARE(bare.GetPultName(), QString());
        bare.SetSystemType(1); // nothing loaded: nothing to set
        QCOMPARE(bare.ModifiedFlag, Byte(0));

        auto form = openForm();
        QVERIFY(form);
        form->ModifiedFlag = 0;
        QCOMPARE(form->GetSystemTypeText(), LoadStrDll(233));
        form->SetSystemType(2);
        QCOMPARE(form->GetSystemTypeText(), LoadStrDll(234));
        QCOMPARE(form->ModifiedFlag, Byte(1));
        form->MdiArea->setActiveSubWindow(form->MdiArea->subWindowList().value(0));
        const int n = form->ActiveConsoleNumber();
        QVERIFY(n == 0 || n == 1);
        form->SetPultName(QStringLiteral("555"));
        QCOMPARE(form->GetPultName(), QStringLiteral("555"));
        QCOMPARE(form->APult->Pulty[n]->FNGSMR, QStringLiteral("555"));
    }
};

QTEST_MAIN(TestConsoleFileCommands)
#include "test_commands.moc"
