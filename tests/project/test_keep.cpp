// What reads and saves through the main window's menus keep: the open
// project's slots after a boards read that ends with a board error, the
// side files after a read with a PC console, and a key's blank name through
// save and open. The system is the simulator on a pseudo-terminal.
#include <QtTest>

#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QToolButton>

#include <optional>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainform_dialogue.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "tests/dialogue/simpeer.h"
#include "tests/fixture/consolewindows.h"
#include "tests/fixture/fixture.h"
#include "tests/project/uniset.h"
#include "windows/novypult.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace
{

using fixture::ConsoleWindows;

QByteArray ReadAll(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestKeep : public QObject
{
    Q_OBJECT

    QTemporaryDir program_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    QStringList proposals_; // the names the open and save dialogs proposed
    QList<std::optional<QString>> fileAnswers_;
    int types_[2] = {2, 0};

    // A main window on COM1 = the simulator; the new-console dialog answers
    // with the console types of types_.
    std::unique_ptr<TMainForm1> MakeForm(const QString &device)
    {
        qputenv("KELVARA_COM1", device.toLocal8Bit());
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->PortNumber = 1;
        form->resize(1200, 900);
        form->DialogueSide().NovyPultExec = [this](TNovyPult &dialog) {
            for (int n = 0; n < 2; ++n) {
                dialog.SetRadioIndex(n, types_[n]);
                dialog.Nastav(n);
            }
            dialog.NacitanieClick();
            return int(NovyPultRead);
        };
        form->show();
        return form;
    }

    // The fixture project, with a 4W5 in slot 1 and an E1 in slot 3, opened
    // from its file with its console windows and marked modified.
    void OpenProject(TMainForm1 &form, const QString &project)
    {
        auto cfg = fixture::BuildFixture();
        for (int s = 2; s <= 4; ++s)
            cfg->SlotyDosiek[s].Meno.clear();
        cfg->SlotyDosiek[3] = {QStringLiteral("TE1"), 160};
        cfg->SaveToFile(project);
        QVERIFY(form.OpenProjectByName(project));
        QVERIFY(!ConsoleWindows(form).isEmpty());
        form.ModifiedFlag = 1;
        prompt_.clear();
    }

    QString Texts() const { return prompt_.texts().join(QStringLiteral(" | ")); }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(program_.isValid());
        platform::SetProgramFolder(program_.path());
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        TMainForm1::FileDialogExec = [this](QFileDialog &, QString &name) {
            proposals_ << name;
            const std::optional<QString> answer = fileAnswers_.isEmpty() ? std::nullopt : fileAnswers_.takeFirst();
            if (!answer)
                return int(QDialog::Rejected);
            name = *answer;
            return int(QDialog::Accepted);
        };
    }

    void init()
    {
        prompt_.clear();
        proposals_.clear();
        fileAnswers_.clear();
        types_[0] = 2;
        types_[1] = 0;
    }

    void cleanupTestCase()
    {
        TMainForm1::FileDialogExec = nullptr;
        platform::SetProgramFolder(QString());
    }

    // File > Read boards: the system reports a board the card package does
    // not know. The error is shown; the slots, their card buttons, the
    // bindings and the windows stay as they were.
    void failedBoardsReadKeepsTheSlots()
    {
        QTemporaryDir dir;
        TSimFixture fx = TSimFixture::Write({}, dir.filePath(QStringLiteral("default.json")));
        QVERIFY(!fx.json.isEmpty());
        fx.json[QStringLiteral("boards")] = QJsonObject{{QStringLiteral("0"), 71}, {QStringLiteral("1"), 0x20}};
        const QString config = dir.filePath(QStringLiteral("system.json"));
        {
            QFile f(config);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QJsonDocument(fx.json).toJson());
        }
        TSimPeer sim({QStringLiteral("--config"), config});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        auto form = MakeForm(sim.path);
        OpenProject(*form, dir.filePath(QStringLiteral("projekt.orv")));
        const TAPult *project = form->APult;
        // The system's test answer is taken; what the project file keeps is not touched.
        const QString dump = fixture::DumpFields(*form->APult, fixture::DumpScope::Stored);
        const QStringList windows = ConsoleWindows(*form);
        const QString caption = form->windowTitle();
        TCardOld *cards[4] = {form->CardOfSlot(0), form->CardOfSlot(1), form->CardOfSlot(2), form->CardOfSlot(3)};
        QVERIFY(cards[0] && cards[1] && !cards[2] && cards[3]);

        form->MenuClick();
        QVERIFY(form->Nacitaniedosiek1->isEnabled());
        form->Nacitaniedosiek1->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(form->DialogueIdle(), 30000);

        QCOMPARE(prompt_.texts(), QStringList{LoadStrDll(129) + QStringLiteral(" 2 (") + LinePosName(1) +
                                              QStringLiteral(" [$20])")});
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Error);
        QCOMPARE(form->Dialogue().BoardsReadState, Byte(2));
        QCOMPARE(form->APult, project);
        QCOMPARE(fixture::DumpFields(*form->APult, fixture::DumpScope::Stored), dump);
        for (int s = 0; s < 4; ++s)
            QCOMPARE(form->CardOfSlot(s), cards[s]);
        QCOMPARE(ConsoleWindows(*form), windows);
        QCOMPARE(form->windowTitle(), caption);
        QVERIFY(form->ModifiedFlag);
    }

    // Read from system with console 0 a PC console: its keys come from the
    // side files chosen in the dialog (opened in the project's folder), the
    // project is a new one, and Save asks for a name, never writing over
    // the UNI file or the side file.
    void readWithPcConsoleKeepsTheSideFiles()
    {
        QTemporaryDir dir;
        const QString base = dir.filePath(QStringLiteral("stanica"));
        uniset::WriteUniSet(base, {0});
        const QString uni = base + QStringLiteral(".uni");
        const QString side = base + QStringLiteral("_0.cfg");
        const QByteArray uniBytes = ReadAll(uni);
        const QByteArray sideBytes = ReadAll(side);
        QVERIFY(!uniBytes.isEmpty() && !sideBytes.isEmpty());

        TSimPeer sim({});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        auto form = MakeForm(sim.path);
        OpenProject(*form, dir.filePath(QStringLiteral("projekt.orv")));
        form->ModifiedFlag = 0;
        types_[0] = 1;
        QStringList offered;
        form->DialogueSide().ChooseFileExec = [&](const QString &, const QString &filter, QString &name) {
            offered << filter + QLatin1Char(' ') + name;
            name = uni;
            return true;
        };
        form->MenuClick();
        form->ZoSystemu->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->DialogueIdle(), 60000);

        for (const TScriptedPrompt::Asked &a : prompt_.asked())
            QVERIFY2(a.kind != TPrompt::Kind::Error && a.kind != TPrompt::Kind::Warning, qPrintable(Texts()));
        QCOMPARE(offered, QStringList{QStringLiteral("*.uni|*.uni ") + dir.path() + QLatin1Char('/')});
        QVERIFY(form->APult);
        QCOMPARE(form->APult->Pulty[0]->TypPultu, Byte(1));
        QCOMPARE(form->APult->Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("ABC"));
        QCOMPARE(form->APult->Pulty[0]->Klavesy[0]->PozicLinky, Byte(2));
        QCOMPARE(form->ProjectName, LoadStrDll(2));
        QVERIFY(form->ModifiedFlag);

        prompt_.clear();
        const QString saved = dir.filePath(QStringLiteral("novy.orv"));
        fileAnswers_ << saved;
        form->MenuClick();
        QVERIFY(form->SaveSB->isEnabled());
        form->SaveSB->click();
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(Texts()));
        QCOMPARE(proposals_.size(), 1);
        QVERIFY2(!proposals_[0].endsWith(QStringLiteral(".uni")) && !proposals_[0].endsWith(QStringLiteral(".cfg")),
                 qPrintable(proposals_[0]));
        QVERIFY(QFileInfo(saved).isFile());
        QCOMPARE(form->ProjectName, saved);
        QVERIFY(!form->ModifiedFlag);
        QCOMPARE(ReadAll(uni), uniBytes);
        QCOMPARE(ReadAll(side), sideBytes);
    }

    // A configured key with a blank name: saved with its blank, opened and
    // saved again to the same bytes.
    void blankNameSavesAsItReads()
    {
        QTemporaryDir dir;
        auto form = MakeForm(QString());
        const QString project = dir.filePath(QStringLiteral("projekt.orv"));
        OpenProject(*form, project);
        QCOMPARE(form->APult->Pulty[0]->Klavesy[9]->MenoKlavesy, QStringLiteral(" "));

        fileAnswers_ << project;
        form->MenuClick();
        form->Save1->trigger();
        const QByteArray first = ReadAll(project);
        QVERIFY(first.contains("\r\n ;uzivatelske meno klavesy\r\n"));
        QVERIFY(!form->ModifiedFlag);

        fileAnswers_ << project;
        form->MenuClick();
        form->Open1->trigger();
        QCOMPARE(form->ProjectName, project);
        QCOMPARE(form->APult->Pulty[0]->Klavesy[9]->MenoKlavesy, QStringLiteral(" "));
        fileAnswers_ << project;
        form->MenuClick();
        form->Save1->trigger();
        QCOMPARE(proposals_.size(), 3);
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(Texts()));
        QCOMPARE(ReadAll(project), first);
    }
};

QTEST_MAIN(TestKeep)
#include "test_keep.moc"
