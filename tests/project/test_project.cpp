// The project commands through the main window's own menu items and tool
// buttons: New with the new-console dialog, Open, Save and Save as, the
// command line and a second copy's file, side-file hints, a console window
// closed with unsaved changes, and a file that cannot be opened.
#include <QtTest>

#include <QFileDialog>
#include <QGroupBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include <optional>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "editing/keybinding.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainform_dialogue.h"
#include "mainwindow/mainwidgets.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "records/modeltoimage.h"
#include "records/sidefiles.h"
#include "tests/fixture/consolewindows.h"
#include "tests/fixture/fixture.h"
#include "windows/colorbutton.h"
#include "windows/mdichild.h"
#include "windows/novypult.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace
{

using fixture::ConsoleWindows;
using fixture::ConsoleWindow;

QStringList gArgs{QStringLiteral("kelvara")};
QStringList testArguments()
{
    return gArgs;
}

QByteArray ReadAll(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The fixture with card types the card package knows.
std::unique_ptr<TAPult> Project()
{
    auto cfg = fixture::BuildFixture();
    for (int s = 2; s <= 4; ++s)
        cfg->SlotyDosiek[s].Meno.clear();
    return cfg;
}

void WriteProject(const QString &name)
{
    Project()->SaveToFile(name);
}

// The window's own Close command (its system menu).
void CloseByItsMenu(TMDIChild *w)
{
    for (QAction *a : w->systemMenu()->actions())
        if (a->text().remove(QLatin1Char('&')) == QLatin1String("Close")) {
            a->trigger();
            return;
        }
    QFAIL("no Close command in the window's menu");
}

// The project's field dump, as its file keeps it.
QString Stored(const TAPult &cfg)
{
    return fixture::DumpFields(cfg, fixture::DumpScope::Stored);
}

// The cards of the window's board slots, for the record conversions.
class FormCards : public TCardSlots
{
public:
    explicit FormCards(TMainForm1 &form) : form_(form) {}
    TCardOld *CardOfSlot(int slot) override { return form_.CardOfSlot(slot); }
    bool CreateCardByName(const QString &name, int slot) override
    {
        return form_.CreateCardByName(name, slot);
    }

private:
    TMainForm1 &form_;
};

} // namespace

class TestProjectCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir program_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

    // The file dialogs: what each was asked with, and the answers (none: Cancel).
    struct FileQuestion {
        QFileDialog::AcceptMode mode;
        QString suffix;
        QStringList filters;
        QString folder;
        QString proposed;
    };
    QList<FileQuestion> fileAsked_;
    QList<std::optional<QString>> fileAnswers_;

    // The new-console dialog: the types of consoles 0 and 1 clicked, then the button.
    struct NewAnswer {
        int type0 = 2, type1 = 2;
        QString button = QStringLiteral("BezCitania");
    };
    NewAnswer newAnswer_;
    int newShown_ = 0;
    QString newButtons_; // "Nacitanie,BezCitania,Koniec" as shown: visible + caption

    std::unique_ptr<TMainForm1> MakeForm()
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        // The status tick's start action and the first activation stay out of the way.
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->Arguments = testArguments;
        form->resize(1200, 900);
        form->DialogueSide().NovyPultExec = [this](TNovyPult &dialog) {
            ++newShown_;
            QStringList shown;
            for (QPushButton *b : {dialog.Nacitanie, dialog.BezCitania, dialog.Koniec})
                shown << (b->isVisibleTo(&dialog) ? b->text() : QStringLiteral("-"));
            newButtons_ = shown.join(QLatin1Char(','));
            QTimer::singleShot(0, &dialog, [&dialog, this] {
                const int types[2] = {newAnswer_.type0, newAnswer_.type1};
                for (int n = 0; n < 2; ++n) {
                    QGroupBox *box = n == 0 ? dialog.RadioGroup1 : dialog.RadioGroup2;
                    auto *item = box->findChild<QRadioButton *>(box->objectName() +
                                                                QStringLiteral("Item%1").arg(types[n]));
                    // On its indicator: the button's click area is not all of its width.
                    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
                }
                QTest::mouseClick(dialog.findChild<QPushButton *>(newAnswer_.button), Qt::LeftButton);
            });
            return dialog.exec();
        };
        return form;
    }

    // Opens the project through OpenSB and the open dialog.
    bool OpenThroughTheButton(TMainForm1 &form, const QString &name)
    {
        fileAnswers_ << name;
        form.OpenSB->click();
        return form.APult && !ConsoleWindows(form).isEmpty();
    }

    void ExpectNoBoxes()
    {
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(QStringLiteral(" | "))));
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(HInstDll > 32);
        QVERIFY(program_.isValid());
        platform::SetProgramFolder(program_.path());
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        TMainForm1::FileDialogExec = [this](QFileDialog &dialog, QString &name) {
            fileAsked_ << FileQuestion{dialog.acceptMode(), dialog.defaultSuffix(), dialog.nameFilters(),
                                       dialog.directory().absolutePath(), name};
            const std::optional<QString> answer =
                fileAnswers_.isEmpty() ? std::nullopt : fileAnswers_.takeFirst();
            if (!answer)
                return int(QDialog::Rejected);
            name = *answer;
            return int(QDialog::Accepted);
        };
    }

    void init()
    {
        prompt_.clear();
        fileAsked_.clear();
        fileAnswers_.clear();
        newAnswer_ = NewAnswer();
        newShown_ = 0;
        newButtons_.clear();
        gArgs = QStringList{QStringLiteral("kelvara")};
    }

    void cleanupTestCase()
    {
        TMainForm1::FileDialogExec = nullptr;
        platform::SetProgramFolder(QString());
    }

    // `kelvara project.orv`: the first activation opens the project with its
    // console windows and offers no start dialog. A file that cannot be read
    // offers the start dialog with nothing loaded under its name.
    void commandLineOpensTheProject_data()
    {
        QTest::addColumn<bool>("good");
        QTest::newRow("project") << true;
        QTest::newRow("faulty project") << false;
    }

    void commandLineOpensTheProject()
    {
        QFETCH(bool, good);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("stanica.orv"));
        WriteProject(name);
        QByteArray bytes = ReadAll(name);
        if (!good) {
            bytes.replace("ORV ver2.6\r\n", "ORV ver2.6\r\nx;\r\n");
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        }
        gArgs = QStringList{QStringLiteral("kelvara"), name};
        auto form = MakeForm();
        form->FirstActivation = 1;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QTRY_COMPARE(form->FirstActivation, Byte(0));
        QTRY_COMPARE(form->StartActionGuard, Byte(0));
        QCOMPARE(form->LastStartFile, name);
        QCOMPARE(form->Dialogue().OperationMode, Byte(0));
        if (!good) {
            QCOMPARE(form->StartDialogShows, 1);
            QCOMPARE(prompt_.asked().size(), 1);
            QVERIFY(prompt_.texts()[0].startsWith(LoadStrDll(62)));
            prompt_.clear();
            QVERIFY(ConsoleWindows(*form).isEmpty());
            QVERIFY(form->ProjectName.isEmpty());
            QVERIFY(form->SaveFileName.isEmpty());
            QCOMPARE(form->windowTitle(), form->BaseTitle);
            QCOMPARE(ReadAll(name), bytes); // a faulty file is never rewritten
            return;
        }
        QCOMPARE(form->StartDialogShows, 0);
        ExpectNoBoxes();
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form->windowTitle(), QStringLiteral("stanica.orv - ") + form->BaseTitle);
        QCOMPARE(form->ProjectName, name);
        QCOMPARE(form->SaveFileName, name);
        QCOMPARE(int(form->ModifiedFlag), 0);
        QCOMPARE(int(form->NewProjectFlag), 0);
        // The console set-up follows the project: a PC console of 3 screens, a mechanical one of 2.
        QCOMPARE(int(form->PultTyp[0]), 1);
        QCOMPARE(int(form->PultTyp[1]), 2);
        QCOMPARE(int(form->PultScreens[0]), 3);
        QCOMPARE(int(form->PultScreens[1]), 2);
        QCOMPARE(int(form->SystemImage.ConsoleType(1)), 2);
        // The keys are those of the file, shown on their buttons.
        const TPult &p0 = *form->APult->Pulty[0];
        TMDIChild *w0 = ConsoleWindow(*form, QStringLiteral("Pult0"));
        QVERIFY(w0);
        QCOMPARE(w0->GetButton(0)->Caption(), p0.Klavesy[0]->MenoKlavesy);
        QCOMPARE(p0.Klavesy[0]->MenoKlavesy, Project()->Pulty[0]->Klavesy[0]->MenoKlavesy);
        QVERIFY(form->CardOfSlot(0) && form->CardOfSlot(1));
    }

    // A second copy hands over its file: it replaces the open project; a name
    // that names no file changes nothing; a busy window opens nothing.
    void handedOverFile()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("prva.orv"));
        const QString second = dir.filePath(QStringLiteral("druha.orv"));
        WriteProject(first);
        auto cfg = Project();
        cfg->Pulty[1]->Klavesy[5]->MenoKlavesy = QStringLiteral("Druhá");
        cfg->SaveToFile(second);

        auto form = MakeForm();
        QVERIFY(form->OpenProjectByName(first));
        form->HandOverFile(dir.filePath(QStringLiteral("nie.orv")));
        QCOMPARE(form->ProjectName, first);
        form->Dialogue().OperationMode = opmode::Read;
        form->HandOverFile(second);
        QCOMPARE(form->ProjectName, first);
        form->Dialogue().OperationMode = opmode::Idle;
        form->HandOverFile(second);
        QCOMPARE(form->ProjectName, second);
        QCOMPARE(form->APult->Pulty[1]->Klavesy[5]->MenoKlavesy, QStringLiteral("Druhá"));
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form->windowTitle(), QStringLiteral("druha.orv - ") + form->BaseTitle);
        ExpectNoBoxes();
    }

    // New through its tool button and menu item: the new-console dialog's
    // "do not read" gives the new project its windows, Cancel gives nothing.
    void newProject_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::addColumn<QString>("button");
        QTest::newRow("NewSB, without reading") << false << QStringLiteral("BezCitania");
        QTest::newRow("New1, without reading") << true << QStringLiteral("BezCitania");
        QTest::newRow("NewSB, cancel") << false << QStringLiteral("Koniec");
    }

    void newProject()
    {
        QFETCH(bool, byMenu);
        QFETCH(QString, button);
        QTemporaryDir dir;
        const QString old = dir.filePath(QStringLiteral("stara.orv"));
        WriteProject(old);
        auto form = MakeForm();
        QVERIFY(form->OpenProjectByName(old));
        // The other way round than the project before.
        newAnswer_.type0 = 2;
        newAnswer_.type1 = 1;
        newAnswer_.button = button;
        if (byMenu)
            form->New1->trigger();
        else
            form->NewSB->click();
        QCOMPARE(newShown_, 1);
        QCOMPARE(newButtons_,
                 LoadStrDll(8) + QLatin1Char(',') + LoadStrDll(5) + QLatin1Char(',') + LoadStrDll(120));
        QCOMPARE(form->Dialogue().OperationMode, Byte(0));
        QCOMPARE(form->AllConsolesClosed, Byte(0));
        ExpectNoBoxes();
        if (button == QLatin1String("Koniec")) {
            QVERIFY(!form->APult);
            QVERIFY(ConsoleWindows(*form).isEmpty());
            QCOMPARE(form->windowTitle(), form->BaseTitle);
            QVERIFY(form->ProjectName.isEmpty());
            return;
        }
        QVERIFY(form->APult);
        QCOMPARE(int(form->APult->Pulty[0]->TypPultu), 2);
        QCOMPARE(int(form->APult->Pulty[1]->TypPultu), 1);
        for (int k = 0; k < 224; ++k)
            QVERIFY(form->APult->Pulty[0]->Klavesy[k] &&
                    !IsConfiguredKey(form->APult->Pulty[0]->Klavesy[k].get()));
        QCOMPARE(int(form->PultTyp[0]), 2);
        QCOMPARE(int(form->PultTyp[1]), 1);
        QCOMPARE(int(form->SystemImage.ConsoleType(0)), 2);
        QCOMPARE(int(form->SystemImage.ConsoleType(1)), 1);
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form->ProjectName, LoadStrDll(2));
        QCOMPARE(form->windowTitle(), LoadStrDll(2) + QStringLiteral(" - ") + form->BaseTitle);
        QCOMPARE(int(form->NewProjectFlag), 1);
        QCOMPARE(int(form->ModifiedFlag), 1);
        QVERIFY(form->SaveFileName.isEmpty());

        // Its first save asks for the name, even from the tool button.
        const QString name = dir.filePath(QStringLiteral("nova"));
        fileAnswers_ << name;
        form->SaveSB->click();
        QCOMPARE(fileAsked_.size(), 1);
        QCOMPARE(fileAsked_[0].mode, QFileDialog::AcceptSave);
        QCOMPARE(fileAsked_[0].suffix, QStringLiteral("orv"));
        QCOMPARE(fileAsked_[0].filters, QStringList{QStringLiteral("*.orv (*.orv)")});
        QCOMPARE(fileAsked_[0].proposed, LoadStrDll(2));
        const QString saved = name + QStringLiteral(".orv");
        QCOMPARE(form->ProjectName, saved);
        QCOMPARE(ReadAll(saved), form->APult->ProjectText());
        QCOMPARE(int(form->NewProjectFlag), 0);
        QCOMPARE(int(form->ModifiedFlag), 0);
        QCOMPARE(form->windowTitle(), QStringLiteral("nova.orv - ") + form->BaseTitle);
        QCOMPARE(ReadAll(old), Project()->ProjectText()); // the project before is untouched
        ExpectNoBoxes();
    }

    // The dialog's button variants the callers ask for; the quiet switch
    // answers it with console 0 mechanical and "read the boards".
    void newConsoleDialogVariants()
    {
        auto form = MakeForm();
        newAnswer_.button = QStringLiteral("Koniec");
        QCOMPARE(form->RunNewConsoleDialog(false, true), 2);
        QCOMPARE(newButtons_, LoadStrDll(31) + QStringLiteral(",-,") + LoadStrDll(120));
        QCOMPARE(form->RunNewConsoleDialog(true, false), 2);
        QCOMPARE(newButtons_,
                 LoadStrDll(8) + QLatin1Char(',') + LoadStrDll(5) + QLatin1Char(',') + LoadStrDll(30));
        QVERIFY(!form->APult);
        newAnswer_.button = QStringLiteral("BezCitania");
        QCOMPARE(form->RunNewConsoleDialog(true, true), 1);
        QVERIFY(form->APult);

        form->PultTyp[0] = 0;
        form->PultTyp[1] = 1;
        form->test->setText(QStringLiteral("NoQuestion"));
        const int shown = newShown_;
        QCOMPARE(form->RunNewConsoleDialog(true, true), 0);
        QCOMPARE(newShown_, shown);
        QCOMPARE(int(form->PultTyp[0]), 2);
        QCOMPARE(int(form->PultScreens[0]), 1);
        QCOMPARE(int(form->PultTyp[1]), 1);
        QCOMPARE(int(form->APult->Pulty[0]->TypPultu), 2);
        QVERIFY(form->APult->Pulty[0]->Klavesy[223]);
        ExpectNoBoxes();
    }

    // Open through OpenSB and Open1: the dialog starts in the current
    // project's folder; Cancel opens nothing.
    void openThroughTheDialog()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("stanica.orv"));
        WriteProject(name);
        auto form = MakeForm();
        QVERIFY(OpenThroughTheButton(*form, name));
        QCOMPARE(fileAsked_.size(), 1);
        QCOMPARE(fileAsked_[0].mode, QFileDialog::AcceptOpen);
        QCOMPARE(fileAsked_[0].suffix, QStringLiteral("orv"));
        QCOMPARE(fileAsked_[0].filters,
                 (QStringList{QStringLiteral("*.orv (*.orv)"), QStringLiteral("*.bak (*.bak)")}));
        QCOMPARE(form->ProjectName, name);
        QCOMPARE(form->windowTitle(), QStringLiteral("stanica.orv - ") + form->BaseTitle);
        const auto file = Project();
        for (int n = 0; n < ConsoleCount; ++n)
            for (int k = 0; k < KeyCount; ++k) {
                const TKlavesa *want = file->Pulty[n]->Klavesy[k].get();
                const TKlavesa *got = form->APult->Pulty[n]->Klavesy[k].get();
                QCOMPARE(bool(got), bool(want));
                if (want)
                    QCOMPARE(got->MenoKlavesy, want->MenoKlavesy);
            }
        QCOMPARE(form->Dialogue().OperationMode, Byte(0));
        QCOMPARE(form->AllConsolesClosed, Byte(0));

        // Again from the menu: the folder of the open project; Cancel.
        fileAnswers_ << std::nullopt;
        form->Open1->trigger();
        QCOMPARE(fileAsked_.size(), 2);
        QCOMPARE(fileAsked_[1].folder, dir.path());
        QCOMPARE(form->Dialogue().OperationMode, Byte(0));
        QVERIFY(ConsoleWindows(*form).isEmpty());
        ExpectNoBoxes();

        // A busy window opens nothing and asks nothing.
        form->Dialogue().OperationMode = opmode::Read;
        form->OpenSB->click();
        form->NewSB->click();
        QCOMPARE(fileAsked_.size(), 2);
        QCOMPARE(newShown_, 0);
        form->Dialogue().OperationMode = opmode::Idle;
    }

    // A console window that refuses to close keeps the open project: Open
    // then opens nothing.
    void openStopsWhenAWindowStays()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("stanica.orv"));
        WriteProject(name);
        auto form = MakeForm();
        QVERIFY(form->OpenProjectByName(name));
        form->ModifiedFlag = 1;
        prompt_.Answer(TPrompt::Cancel);
        form->OpenSB->click();
        QCOMPARE(prompt_.texts(), QStringList{LoadStrDll(33)});
        prompt_.clear();
        QVERIFY(fileAsked_.isEmpty());
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QVERIFY(form->APult);
        QCOMPARE(form->Dialogue().OperationMode, Byte(0));
    }

    // SaveSB writes under the current name; Save1 asks for a name (Save as);
    // Cancel there saves nothing.
    void saveAndSaveAs()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("stanica.orv"));
        WriteProject(name);
        auto form = MakeForm();
        QVERIFY(form->OpenProjectByName(name));
        TKlavesa &key = *form->APult->Pulty[1]->Klavesy[3];
        key.MenoKlavesy = QStringLiteral("Zmenená");
        form->ModifiedFlag = 1;

        const QDir backups(platform::WritePath(QStringLiteral("backup")));
        const auto backupCount = [&] {
            return backups.entryList({QStringLiteral("stanica_*.bak")}, QDir::Files).size();
        };
        const qsizetype backupsBefore = backupCount();
        form->MenuClick(); // as the status tick does: SaveSB follows the loaded project
        form->SaveSB->click();
        QVERIFY(fileAsked_.isEmpty());
        QCOMPARE(ReadAll(name), form->APult->ProjectText());
        QVERIFY(ReadAll(name).contains("Zmenen"));
        QCOMPARE(int(form->ModifiedFlag), 0);
        // The old file went to the backup folder.
        QCOMPARE(backupCount(), backupsBefore + 1);

        // Save as, cancelled: nothing is written, the project stays as it was.
        key.MenoKlavesy = QStringLiteral("Ešte raz");
        form->ModifiedFlag = 1;
        const QByteArray before = ReadAll(name);
        fileAnswers_ << std::nullopt;
        form->Save1->trigger();
        QCOMPARE(fileAsked_.size(), 1);
        QCOMPARE(fileAsked_[0].proposed, name);
        QCOMPARE(fileAsked_[0].folder, dir.path());
        QCOMPARE(ReadAll(name), before);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.orv")}, QDir::Files),
                 QStringList{QStringLiteral("stanica.orv")});
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(form->ProjectName, name);
        QCOMPARE(form->windowTitle(), QStringLiteral("stanica.orv - ") + form->BaseTitle);

        // Save as, confirmed: the new file, its name in the caption; the old file stays.
        const QString other = dir.filePath(QStringLiteral("ina.orv"));
        fileAnswers_ << other;
        form->Save1->trigger();
        QCOMPARE(fileAsked_.size(), 2);
        QCOMPARE(ReadAll(other), form->APult->ProjectText());
        QCOMPARE(ReadAll(name), before);
        QCOMPARE(form->ProjectName, other);
        QCOMPARE(form->SaveFileName, other);
        QCOMPARE(form->windowTitle(), QStringLiteral("ina.orv - ") + form->BaseTitle);
        QCOMPARE(int(form->ModifiedFlag), 0);

        // The saved file opens as it was saved.
        const QString saved = Stored(*form->APult);
        auto again = MakeForm();
        QVERIFY(again->OpenProjectByName(other));
        QCOMPARE(Stored(*again->APult).split(QLatin1Char('\n')), saved.split(QLatin1Char('\n')));
        ExpectNoBoxes();
    }

    // A modified console window closed by the user: Yes saves and all
    // windows go; a save that is cancelled or fails keeps the window and the
    // changes.
    void closingAModifiedWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("saved") << QStringLiteral("saved");
        QTest::newRow("save cancelled") << QStringLiteral("cancelled");
        QTest::newRow("save failed") << QStringLiteral("failed");
    }

    void closingAModifiedWindow()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("projekty"));
        QVERIFY(QDir().mkpath(folder));
        const QString name = folder + QStringLiteral("/stanica.orv");
        WriteProject(name);
        auto form = MakeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(form->OpenProjectByName(name));
        form->APult->Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("Zmena");
        form->ModifiedFlag = 1;
        if (how == QLatin1String("cancelled")) {
            // A project that has never been saved is named by the save: here not.
            form->SaveFileName.clear();
            fileAnswers_ << std::nullopt;
        }
        if (how == QLatin1String("failed"))
            QVERIFY(QDir(folder).removeRecursively());

        prompt_.Answer(TPrompt::Yes);
        TMDIChild *w1 = ConsoleWindow(*form, QStringLiteral("Pult1"));
        QVERIFY(w1);
        CloseByItsMenu(w1);
        QTest::qWait(50);
        QCOMPARE(prompt_.asked().value(0).text, LoadStrDll(33));
        if (how == QLatin1String("saved")) {
            QTRY_VERIFY(ConsoleWindows(*form).isEmpty());
            QCOMPARE(prompt_.asked().size(), 1);
            QVERIFY(ReadAll(name).contains("Zmena"));
            QVERIFY(!form->APult);
            QCOMPARE(int(form->ModifiedFlag), 0);
            return;
        }
        if (how == QLatin1String("failed")) {
            QCOMPARE(prompt_.asked().size(), 2);
            QCOMPARE(prompt_.asked()[1].kind, TPrompt::Kind::Error);
            QVERIFY2(prompt_.asked()[1].text.startsWith(LoadStrDll(1) + QStringLiteral(" \"") + name +
                                                        QStringLiteral("\" ") + LoadStrDll(284)),
                     qPrintable(prompt_.asked()[1].text));
        } else {
            QCOMPARE(prompt_.asked().size(), 1);
            QCOMPARE(fileAsked_.size(), 1);
        }
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QVERIFY(form->APult);
        QCOMPARE(form->APult->Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("Zmena"));
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(int(form->CloseAccepted), 0);
        if (how == QLatin1String("failed"))
            QVERIFY(!QFileInfo::exists(name));
        else
            QVERIFY(!ReadAll(name).contains("Zmena"));
    }

    // A file that cannot be opened leaves an empty configuration without a
    // name: the next save asks for one and never writes over that file.
    void failedOpenLeavesNoName_data()
    {
        QTest::addColumn<bool>("faulty");
        QTest::newRow("faulty file") << true;
        QTest::newRow("unreadable file") << false;
    }

    void failedOpenLeavesNoName()
    {
        QFETCH(bool, faulty);
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("dobra.orv"));
        WriteProject(good);
        const QString name = dir.filePath(QStringLiteral("zla.orv"));
        if (faulty) {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("ORV ver2.6\r\n0;TypSystemu\r\n0;\r\n0;\r\n2;PocetPultov\r\nnie je cislo;TypDosiek\r\n");
        } else {
            QVERIFY(QDir().mkpath(name)); // a folder where the file should be
        }
        const QByteArray before = ReadAll(name);
        auto form = MakeForm();
        QVERIFY(form->OpenProjectByName(good));
        form->ModifiedFlag = 0;
        form->Dialogue().OperationMode = opmode::Idle;
        QVERIFY(!form->OpenProjectByName(name));
        QCOMPARE(prompt_.asked().size(), 1);
        if (faulty)
            QVERIFY(prompt_.texts()[0].startsWith(LoadStrDll(62)));
        else
            QVERIFY2(prompt_.texts()[0].startsWith(LoadStrDll(1) + QStringLiteral(" \"") + name +
                                                   QStringLiteral("\" ") + LoadStrDll(283)),
                     qPrintable(prompt_.texts()[0]));
        prompt_.clear();
        QVERIFY(form->APult);
        QVERIFY(!form->APult->Pulty[0] && !form->APult->Pulty[1]);
        QVERIFY(ConsoleWindows(*form).isEmpty());
        QVERIFY(form->ProjectName.isEmpty());
        QVERIFY(form->SaveFileName.isEmpty());
        QCOMPARE(form->windowTitle(), form->BaseTitle);
        QCOMPARE(form->Dialogue().OperationMode, Byte(0));

        // The save step asks for a name; Cancel writes nothing.
        fileAnswers_ << std::nullopt;
        QVERIFY(!form->Save2FileOrv());
        QCOMPARE(fileAsked_.size(), 1);
        QVERIFY(fileAsked_[0].proposed.isEmpty());
        QCOMPARE(ReadAll(name), before);
        QVERIFY(QFileInfo(name).isDir() != faulty);
        ExpectNoBoxes();
    }

    // Opening a project takes the key hints from its PC console's side file
    // when the file agrees with it; that is a change of the project. A
    // damaged side file is reported and the project opens all the same.
    void sideFileHints()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("stanica.orv"));
        WriteProject(name);
        auto form = MakeForm();
        QVERIFY(form->OpenProjectByName(name));
        // The side file of console 0 as a write leaves it, and the project saved with it.
        {
            FormCards cards(*form);
            TRecordContext ctx{TConfigPlace(form->APult), form->SystemImage, form->Zoznam.get(), cards,
                               QCoreApplication::applicationFilePath()};
            auto pc = std::make_unique<TPcRecord>();
            auto uni = std::make_unique<TUniRecord>();
            QVERIFY(ModelToPcRecord(ctx, 0, *pc, *uni));
            QString error;
            QVERIFY2(WriteRecordFile(PcConsoleFileName(name, 0), pc->ToBytes(), true, error),
                     qPrintable(error));
        }
        const QString hint = form->APult->Pulty[0]->Klavesy[0]->HintKlavesy;
        QVERIFY(!hint.isEmpty());
        form->APult->Pulty[0]->Klavesy[0]->HintKlavesy = QStringLiteral("iná nápoveda");
        form->MenuClick(); // as the status tick does: SaveSB follows the loaded project
        form->SaveSB->click();
        QCOMPARE(int(form->ModifiedFlag), 0);

        auto again = MakeForm();
        QVERIFY(again->OpenProjectByName(name));
        QCOMPARE(again->APult->Pulty[0]->Klavesy[0]->HintKlavesy, hint);
        QCOMPARE(int(again->ModifiedFlag), 1);
        TMDIChild *w0 = ConsoleWindow(*again, QStringLiteral("Pult0"));
        QVERIFY(w0);
        QCOMPARE(w0->GetButton(0)->Hint(), hint);
        ExpectNoBoxes();

        // A damaged side file: its error, the project as its file holds it.
        const QString side = PcConsoleFileName(name, 0);
        QFile::setPermissions(side, QFile::permissions(side) | QFileDevice::WriteOwner);
        QFile f(side);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\x05KAVSW", 6);
        f.close();
        auto third = MakeForm();
        QVERIFY(third->OpenProjectByName(name));
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Error);
        QVERIFY(prompt_.asked()[0].text.contains(side));
        prompt_.clear();
        QCOMPARE(third->APult->Pulty[0]->Klavesy[0]->HintKlavesy, QStringLiteral("iná nápoveda"));
        QCOMPARE(int(third->ModifiedFlag), 0);
        QCOMPARE(ConsoleWindows(*third), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
    }
};

QTEST_MAIN(TestProjectCommands)
#include "test_project.moc"
