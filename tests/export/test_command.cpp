// The export command from the main window's menu item, offscreen, with the
// save dialog's modal run replaced by a hook: the dialog's settings, the file
// written, and the retry question for a target that cannot be written.
#include <QtTest>

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "cardpack/dll_load.h"
#include "mainwindow/mainform.h"
#include "model/export.h"
#include "model/parentklaves.h"
#include "platform/programfolder.h"
#include "tests/fixture/fixture.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace
{

// What the save dialog showed when it ran.
struct Shown {
    int runs = 0;
    QString suffix;
    QStringList filters;
    QString fileName;
};

// Answers Yes after making the missing folder, so that the retry succeeds.
class FolderMakingPrompt : public TScriptedPrompt
{
public:
    QString folder;
    int Ask(Kind kind, const QString &text, Buttons buttons, const QString &title = QString()) override
    {
        TScriptedPrompt::Ask(kind, text, buttons, title);
        QDir().mkpath(folder);
        return Yes;
    }
};

QByteArray readFile(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestExportCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;                  // the program folder
    std::unique_ptr<QTemporaryDir> out_; // where the exports go, fresh for each test
    std::unique_ptr<QTemporaryDir> work_; // the working folder, fresh for each test
    QString workBefore_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    Shown shown_;

    std::unique_ptr<TMainForm1> makeForm(bool withConfiguration = true)
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->show();
        if (withConfiguration) {
            form->APult = fixture::BuildFixture().release();
            form->PultTyp[0] = 1;
            form->PultTyp[1] = 2;
            // A key on an AUT board, which has a record class.
            form->APult->SlotyDosiek[5] = {QStringLiteral("TAUT3"), 0x21};
            TKlavesa &key = *form->APult->Pulty[1]->Klavesy[7];
            key.HWPozicDosky = 5;
            key.ObsluhaKlavesy = 0;
            key.MenoKlavesy = QStringLiteral("Depot");
        }
        form->ProjectName = out_->filePath(QStringLiteral("project.orv"));
        // Settings of another command that the export must leave as they were.
        form->SaveDialog1->setDefaultSuffix(QStringLiteral("orv"));
        form->SaveDialog1->setNameFilters({QStringLiteral("*.orv (*.orv)")});
        form->SaveDialog1->selectFile(out_->filePath(QStringLiteral("old.orv")));
        return form;
    }

    // The dialog's run: what it showed is noted, then Target is chosen (none cancels).
    void chooseFile(const QString &target)
    {
        TMainForm1::ExportDialogExec = [this, target](QFileDialog &d) {
            ++shown_.runs;
            shown_.suffix = d.defaultSuffix();
            shown_.filters = d.nameFilters();
            shown_.fileName = d.selectedFiles().value(0);
            if (target.isEmpty())
                return int(QDialog::Rejected);
            d.selectFile(target);
            return int(QDialog::Accepted);
        };
    }

    static void checkDialogRestored(TMainForm1 &form, const QString &dir)
    {
        QCOMPARE(form.SaveDialog1->defaultSuffix(), QStringLiteral("orv"));
        QCOMPARE(form.SaveDialog1->nameFilters(), QStringList{QStringLiteral("*.orv (*.orv)")});
        QCOMPARE(form.SaveDialog1->selectedFiles().value(0), dir + QStringLiteral("/old.orv"));
    }

    // The bytes the export writes for the form's configuration, with the version record's date of the file.
    static QByteArray expectedBytes(TMainForm1 &form, const QString &file, double *date)
    {
        TListOrva read;
        QString error;
        if (!read.LoadFromFile(file, &error)) {
            qWarning() << error;
            return {};
        }
        auto *version = dynamic_cast<TVerzia *>(read.Items(0));
        if (!version)
            return {};
        *date = version->Date;
        auto built = BuildExportList(
            *form.APult, [&form](int s) { return form.IsBoardSlotValid(s); }, QTime(0, 0));
        static_cast<TVerzia *>(built->Items(0))->Date = version->Date;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!built->SaveToStream(buffer))
            return {};
        return buffer.data();
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
        out_ = std::make_unique<QTemporaryDir>();
        QVERIFY(out_->isValid());
        // Whatever folder the test runs in, the command sees one of its own.
        work_ = std::make_unique<QTemporaryDir>();
        QVERIFY(work_->isValid());
        workBefore_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work_->path()));
        prompt_.clear();
        shown_ = Shown();
    }

    void cleanup()
    {
        TMainForm1::ExportDialogExec = nullptr;
        platform::SetProgramFolder(QString());
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(" | ")));
        QDir::setCurrent(workBefore_);
        work_.reset();
        out_.reset();
    }

    // The item asks for the file (extension, filter, proposed name) and writes it;
    // a name typed without extension gets ".cfn", also when a folder of that
    // name stands beside it or in the working folder.
    void menuWritesFile_data()
    {
        QTest::addColumn<bool>("folderBeside");
        QTest::addColumn<bool>("folderInWorkingFolder");
        QTest::newRow("no folder of the name") << false << false;
        QTest::newRow("a folder of the name beside it") << true << false;
        QTest::newRow("a folder of the name in the working folder") << false << true;
    }

    void menuWritesFile()
    {
        QFETCH(bool, folderBeside);
        QFETCH(bool, folderInWorkingFolder);
        if (folderBeside)
            QVERIFY(QDir(out_->path()).mkdir(QStringLiteral("export")));
        if (folderInWorkingFolder)
            QVERIFY(QDir(work_->path()).mkdir(QStringLiteral("export")));
        auto form = makeForm();
        chooseFile(out_->filePath(QStringLiteral("export")));
        const QTime before = QTime::currentTime();
        QVERIFY(form->SaveNew1->isEnabled());
        form->SaveNew1->trigger();
        const QTime after = QTime::currentTime();
        QCOMPARE(shown_.runs, 1);
        QCOMPARE(shown_.suffix, QStringLiteral("cfn"));
        QCOMPARE(shown_.filters, QStringList{QStringLiteral("*.cfn (*.cfn)")});
        QCOMPARE(shown_.fileName, out_->filePath(QStringLiteral("project.cfn")));
        checkDialogRestored(*form, out_->path());

        const QString file = out_->filePath(QStringLiteral("export.cfn"));
        QVERIFY(QFileInfo::exists(file));
        double date = -1;
        const QByteArray expected = expectedBytes(*form, file, &date);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(readFile(file), expected);
        // Key records follow the version and the board records.
        TListOrva read;
        QVERIFY(read.LoadFromFile(file));
        int keys = 0;
        for (int i = 0; i < read.Count(); ++i)
            if (auto *record = dynamic_cast<TParent_Data *>(read.Items(i))) {
                ++keys;
                QCOMPARE(record->ClassName(), QStringLiteral("TAUT"));
                QCOMPARE(record->Popis, QStringLiteral("Depot"));
            }
        QCOMPARE(keys, 1);
        // The version record holds the time of day of the export.
        if (before <= after) {
            QVERIFY(date >= TimeOfDayValue(before) - 1e-6);
            QVERIFY(date <= TimeOfDayValue(after) + 1e-6);
        }
        // Only the file itself is left in the folder: no temporary file.
        QCOMPARE(QDir(out_->path()).entryList(QDir::Files), QStringList{QStringLiteral("export.cfn")});
        QVERIFY(!form->Memo1->toPlainText().contains(QStringLiteral("ERROR")));
    }

    // Without a project name nothing is proposed; an existing file is replaced whole.
    void replacesExistingFile()
    {
        auto form = makeForm();
        form->ProjectName.clear();
        const QString file = out_->filePath(QStringLiteral("x.cfn"));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(100000, 'z'));
        }
        chooseFile(file);
        form->SaveNew1->trigger();
        QCOMPARE(shown_.runs, 1);
        QVERIFY(QFileInfo(shown_.fileName).isDir() || shown_.fileName.isEmpty());
        double date = -1;
        QCOMPARE(readFile(file), expectedBytes(*form, file, &date));
        checkDialogRestored(*form, out_->path());
    }

    void cancelWritesNothing()
    {
        auto form = makeForm();
        chooseFile(QString());
        form->SaveNew1->trigger();
        QCOMPARE(shown_.runs, 1);
        QVERIFY(QDir(out_->path()).entryList(QDir::Files).isEmpty());
        checkDialogRestored(*form, out_->path());
    }

    void noConfigurationNoDialog()
    {
        auto form = makeForm(false);
        chooseFile(out_->filePath(QStringLiteral("export.cfn")));
        form->SaveNew1->trigger();
        QCOMPARE(shown_.runs, 0);
        QVERIFY(QDir(out_->path()).entryList(QDir::Files).isEmpty());
    }

    // A target in a missing folder: the error box asks Yes/No with text 229;
    // Yes tries again, No gives up, and the failure goes to the log.
    void failingTargetAsks_data()
    {
        QTest::addColumn<QList<int>>("answers");
        QTest::newRow("No") << QList<int>{TPrompt::No};
        QTest::newRow("Yes, then No") << QList<int>{TPrompt::Yes, TPrompt::No};
    }
    void failingTargetAsks()
    {
        QFETCH(QList<int>, answers);
        auto form = makeForm();
        const QString file = out_->filePath(QStringLiteral("missing/export.cfn"));
        chooseFile(file);
        for (int a : answers)
            prompt_.Answer(a);
        form->SaveNew1->trigger();
        QCOMPARE(prompt_.asked().size(), answers.size());
        for (const TScriptedPrompt::Asked &asked : prompt_.asked()) {
            QCOMPARE(asked.kind, TPrompt::Kind::Error);
            QCOMPARE(asked.buttons, TPrompt::YesNo);
            QCOMPARE(asked.text, ExportRetryQuestion(file));
            QVERIFY(asked.text.contains(file));
        }
        prompt_.clear();
        QVERIFY(!QFileInfo::exists(file));
        const QString log = form->Memo1->toPlainText();
        QVERIFY2(log.contains(QStringLiteral("ERROR")) && log.contains(file), qPrintable(log));
        checkDialogRestored(*form, out_->path());
    }

    // Yes after the folder has appeared: the second attempt writes the file.
    void retrySucceeds()
    {
        auto form = makeForm();
        FolderMakingPrompt prompt;
        prompt.folder = out_->filePath(QStringLiteral("later"));
        form->SetPrompt(&prompt);
        const QString file = prompt.folder + QStringLiteral("/export.cfn");
        chooseFile(file);
        form->SaveNew1->trigger();
        form->SetPrompt(nullptr);
        QCOMPARE(prompt.asked().size(), 1);
        QCOMPARE(prompt.asked()[0].text, ExportRetryQuestion(file));
        double date = -1;
        QCOMPARE(readFile(file), expectedBytes(*form, file, &date));
        QVERIFY(!form->Memo1->toPlainText().contains(QStringLiteral("ERROR")));
    }

    // With the quiet switch on, nobody is asked: the failure is logged.
    void quietLogsOnly()
    {
        auto form = makeForm();
        form->test->setText(QStringLiteral("test"));
        const QString file = out_->filePath(QStringLiteral("missing/export.cfn"));
        chooseFile(file);
        form->SaveNew1->trigger();
        QVERIFY(prompt_.asked().isEmpty());
        QVERIFY(form->Memo1->toPlainText().contains(file));
        QVERIFY(!QFileInfo::exists(file));
    }
};

QTEST_MAIN(TestExportCommand)
#include "test_command.moc"
