// The imports of older files through the main window's menu items: an ACF
// file and an old CFG file made by the test become a new project with the
// keys on their lines; a file that cannot be imported leaves the open project
// as it was; no temporary side file remains.
#include <QtTest>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <optional>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "dialogue/dialogue.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainform_dialogue.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "records/oldimport.h"
#include "records/sidefiles.h"
#include "tests/fixture/consolewindows.h"
#include "tests/fixture/fixture.h"
#include "tests/project/uniset.h"
#include "tests/records/oldrecords.h"
#include "windows/mdichild.h"
#include "windows/novypult.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace
{

using fixture::ConsoleWindows;
using uniset::Overwrite;
using uniset::WriteUniSet;

QStringList gArgs{QStringLiteral("kelvara")};
QStringList testArguments()
{
    return gArgs;
}

QString WriteFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

// Key 0 (address 32) on line 2 and key 5 (address 37) on line 4 of the
// UL10 in slot 0, both in the block of `console`.
QByteArray KeysFile(bool acf, int console)
{
    oldfile::Builder b(acf);
    b.Board(0, 71).KeyLine(console, 32, 2).KeyLine(console, 37, 4);
    if (!acf)
        b.Name(32, "ABC").Hint(32, "Line two").Name(37, "DEF").Hint(37, "Line four");
    return b.Bytes();
}

QStringList ImportFolders()
{
    return QDir(platform::WriteFolder())
        .entryList({QStringLiteral(".kelvara-import-*")}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
}

// A four-wire card of two line types, as a later card package may register it.
class TFourWireProbe : public TCardOld
{
public:
    QString ClassName() const override { return QStringLiteral("T4W2Card"); }
    QString GetCardName() override { return QStringLiteral("4W2"); }
    Byte TypLinCount() override { return 3; }
    QString GetTypLinName(Byte index, Byte &code) override
    {
        code = index;
        return QStringLiteral("type%1").arg(index);
    }
    QString GetHelpLin(Byte i) override { return QStringLiteral("help%1").arg(i); }
};

} // namespace

class TestImports : public QObject
{
    Q_OBJECT

    QTemporaryDir program_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    QStringList fileSuffixes_;
    QList<std::optional<QString>> fileAnswers_;
    int newShown_ = 0;
    QStringList captions_; // the main window's caption while the new-console dialog asks
    int type0_ = 1, type1_ = 0;

    std::unique_ptr<TMainForm1> MakeForm()
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->Arguments = testArguments;
        form->resize(1200, 900);
        form->DialogueSide().NovyPultExec = [this](TNovyPult &dialog) {
            ++newShown_;
            captions_ << dialog.parentWidget()->windowTitle();
            QTimer::singleShot(0, &dialog, [&dialog, this] {
                const int types[2] = {type0_, type1_};
                for (int n = 0; n < 2; ++n) {
                    QGroupBox *box = n == 0 ? dialog.RadioGroup1 : dialog.RadioGroup2;
                    auto *item = box->findChild<QRadioButton *>(box->objectName() +
                                                                QStringLiteral("Item%1").arg(types[n]));
                    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
                }
                QTest::mouseClick(dialog.Nacitanie, Qt::LeftButton);
            });
            return dialog.exec();
        };
        return form;
    }

    QString Texts() const { return prompt_.texts().join(QStringLiteral(" | ")); }

    // The fixture project opened from its file, with its console windows;
    // console 1 left out when `oneConsole`.
    void OpenProject(TMainForm1 &form, const QString &project, bool oneConsole = false)
    {
        auto cfg = fixture::BuildFixture();
        for (int s = 2; s <= 4; ++s)
            cfg->SlotyDosiek[s].Meno.clear();
        if (oneConsole)
            cfg->Pulty[1]->TypPultu = 0;
        cfg->SaveToFile(project);
        QVERIFY(form.OpenProjectByName(project));
        QVERIFY(!ConsoleWindows(form).isEmpty());
        prompt_.clear();
    }

    // What a command that fails must leave as it was.
    struct TOpenProject {
        const TAPult *config;
        QString dump, name, caption;
        QStringList windows;
        Byte modified;
        TCardOld *card0, *card1;
    };
    static TOpenProject Snapshot(TMainForm1 &form)
    {
        return {form.APult,        fixture::DumpFields(*form.APult), form.ProjectName, form.windowTitle(),
                ConsoleWindows(form), form.ModifiedFlag,           form.CardOfSlot(0),  form.CardOfSlot(1)};
    }
    static void CompareProject(TMainForm1 &form, const TOpenProject &before)
    {
        QCOMPARE(form.APult, before.config);
        QCOMPARE(fixture::DumpFields(*form.APult), before.dump);
        QCOMPARE(form.ProjectName, before.name);
        QCOMPARE(form.windowTitle(), before.caption);
        QCOMPARE(ConsoleWindows(form), before.windows);
        QCOMPARE(form.ModifiedFlag, before.modified);
        QCOMPARE(form.CardOfSlot(0), before.card0);
        QCOMPARE(form.CardOfSlot(1), before.card1);
        QCOMPARE(form.Dialogue().OperationMode, opmode::Idle);
        QCOMPARE(form.AllConsolesClosed, Byte(0));
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(program_.isValid());
        platform::SetProgramFolder(program_.path());
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        TMainForm1::FileDialogExec = [this](QFileDialog &dialog, QString &name) {
            fileSuffixes_ << dialog.defaultSuffix() + QLatin1Char(' ') + dialog.windowTitle();
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
        fileSuffixes_.clear();
        fileAnswers_.clear();
        newShown_ = 0;
        captions_.clear();
        type0_ = 1;
        type1_ = 0;
    }

    void cleanupTestCase()
    {
        TMainForm1::FileDialogExec = nullptr;
        platform::SetProgramFolder(QString());
    }

    // File > Import ACF and File > Import CFG: the new project's console
    // holds the keys on their lines with their texts (the ACF file has none).
    void importThroughTheMenu_data()
    {
        QTest::addColumn<bool>("acf");
        QTest::addColumn<int>("console");
        QTest::newRow("ACF, console 0") << true << 0;
        QTest::newRow("ACF, console 1 only") << true << 1;
        QTest::newRow("CFG, console 0") << false << 0;
        QTest::newRow("CFG, console 1 only") << false << 1;
    }

    void importThroughTheMenu()
    {
        QFETCH(bool, acf);
        QFETCH(int, console);
        QTemporaryDir dir;
        auto form = MakeForm();
        form->show();
        type0_ = console == 0 ? 1 : 0;
        type1_ = console == 1 ? 1 : 0;
        fileAnswers_ << WriteFile(dir, acf ? QStringLiteral("old.acf") : QStringLiteral("old.cfg"),
                                  KeysFile(acf, console));
        (acf ? form->KonverziaACF : form->KonverziaCFG)->trigger();

        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(Texts()));
        QCOMPARE(newShown_, 1);
        // The ACF file is chosen first and named; the CFG import asks for the
        // consoles first, under the caption of a new project.
        QCOMPARE(captions_.size(), 1);
        QVERIFY2(captions_[0].startsWith((acf ? QStringLiteral("old.acf") : LoadStrDll(2)) + QStringLiteral(" - ")),
                 qPrintable(captions_[0]));
        QCOMPARE(fileSuffixes_, QStringList{acf ? QStringLiteral("acf ") + LoadStrDll(200) + QStringLiteral(" ACF ") +
                                                      LoadStrDll(201)
                                                : QStringLiteral("cfg ") + LoadStrDll(200) +
                                                      QStringLiteral(" %1. CFG ").arg(console) + LoadStrDll(201)});
        QVERIFY(form->APult);
        QCOMPARE(ConsoleWindows(*form).size(), 1);
        TPult *pult = form->APult->Pulty[console].get();
        QVERIFY(pult);
        QCOMPARE(form->APult->SlotyDosiek[0].Kod, Byte(71));
        const TKlavesa &k0 = *pult->Klavesy[0];
        const TKlavesa &k5 = *pult->Klavesy[5];
        QCOMPARE(k0.HWPozicDosky, Byte(0));
        QCOMPARE(k0.PozicLinky, Byte(2));
        QCOMPARE(k5.HWPozicDosky, Byte(0));
        QCOMPARE(k5.PozicLinky, Byte(4));
        QVERIFY(k0.NumLin != 255 && k5.NumLin != 255 && k0.NumLin != k5.NumLin);
        QCOMPARE(k0.MenoKlavesy, acf ? QString() : QStringLiteral("ABC"));
        QCOMPARE(k5.HintKlavesy, acf ? QString() : QStringLiteral("Line four"));
        QCOMPARE(pult->Klavesy[1]->PozicLinky, Byte(255));
        // A new project: the next save asks for its name.
        QCOMPARE(form->ProjectName, LoadStrDll(2));
        QVERIFY(form->NewProjectFlag);
        QCOMPARE(form->Dialogue().OperationMode, opmode::Idle);
        QCOMPARE(ImportFolders(), QStringList());
    }

    // Two CFG files, one per console: the lines of both stay on their
    // boards, also a line that both consoles use.
    void cfgForBothConsoles()
    {
        QTemporaryDir dir;
        auto form = MakeForm();
        form->show();
        type0_ = 1;
        type1_ = 1;
        fileAnswers_ << WriteFile(dir, QStringLiteral("p0.cfg"), KeysFile(false, 0));
        oldfile::Builder second(false);
        second.Board(0, 71).Board(1, 71).KeyLine(1, 32, 7).KeyLine(1, 37, 4).Name(32, "GHI");
        fileAnswers_ << WriteFile(dir, QStringLiteral("p1.cfz"), second.Bytes());
        form->KonverziaCFG->trigger();

        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(Texts()));
        QCOMPARE(fileSuffixes_.size(), 2);
        QVERIFY(fileSuffixes_[1].contains(QStringLiteral(" 1. CFG ")));
        QCOMPARE(ConsoleWindows(*form).size(), 2);
        const TPult &p0 = *form->APult->Pulty[0];
        const TPult &p1 = *form->APult->Pulty[1];
        QCOMPARE(p0.Klavesy[0]->PozicLinky, Byte(2));
        QCOMPARE(p0.Klavesy[5]->PozicLinky, Byte(4));
        QCOMPARE(p1.Klavesy[0]->HWPozicDosky, Byte(1));
        QCOMPARE(p1.Klavesy[0]->PozicLinky, Byte(2));
        QCOMPARE(p1.Klavesy[0]->MenoKlavesy, QStringLiteral("GHI"));
        QCOMPARE(p1.Klavesy[5]->HWPozicDosky, Byte(0));
        QCOMPARE(p1.Klavesy[5]->PozicLinky, Byte(4));
        QCOMPARE(p1.Klavesy[5]->NumLin, p0.Klavesy[5]->NumLin);
        QCOMPARE(ImportFolders(), QStringList());
    }

    // The start dialog's "Open from UNI file": the side-file loader asks for
    // the UNI file, the console files beside it are read, and the project is
    // named after them with ".orv", never after the UNI file.
    void uniFromTheStartDialog()
    {
        QTemporaryDir dir;
        TOldRecord old;
        TPcRecord pc;
        TUniRecord uni;
        InitUniRecord(uni);
        TOldRecord parsed;
        QCOMPARE(parsed.FromBytes(KeysFile(false, 0), false), RecordResult::Ok);
        QString error;
        QVERIFY(ConvertOldCfgRecord(parsed, pc, uni, nullptr, error));
        QVERIFY(WriteRecordFile(dir.filePath(QStringLiteral("stanica_0.cfg")), pc.ToBytes(), true, error));
        QVERIFY(WriteRecordFile(dir.filePath(QStringLiteral("stanica.uni")), uni.ToBytes(), false, error));

        auto form = MakeForm();
        form->show();
        form->SystemImage.ConsoleType(0) = 1;
        form->SystemImage.ConsoleType(1) = 0;
        QStringList titles;
        form->DialogueSide().ChooseFileExec = [&](const QString &title, const QString &filter, QString &name) {
            titles << title + QLatin1Char(' ') + filter;
            name = dir.filePath(QStringLiteral("stanica.uni"));
            return true;
        };
        TMainForm1::StartDialogExec = [](TWizard &dialog) {
            QTimer::singleShot(0, &dialog, [&dialog] {
                QTest::mouseClick(dialog.Button(QStringLiteral("BitBtn8")), Qt::LeftButton);
            });
            return dialog.exec();
        };
        form->RunStartAction(0);
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };

        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(Texts()));
        QCOMPARE(titles, QStringList{LoadStrDll(200) + QStringLiteral(" UNI ") + LoadStrDll(201) +
                                     QStringLiteral(" *.uni|*.uni")});
        QCOMPARE(ConsoleWindows(*form).size(), 1);
        const TPult &p0 = *form->APult->Pulty[0];
        QCOMPARE(p0.Klavesy[0]->PozicLinky, Byte(2));
        QCOMPARE(p0.Klavesy[0]->HintKlavesy, QStringLiteral("Line two"));
        QCOMPARE(form->ProjectName, dir.filePath(QStringLiteral("stanica.orv")));
        QVERIFY(form->ModifiedFlag);
    }

    // The card-type question: without a four-wire card class nothing is
    // asked (255); with one the two groups list its line types, and the
    // clicked ones are the answers.
    void cardTypeQuestion()
    {
        auto form = MakeForm();
        int shown = 0;
        QStringList items;
        TMainForm1::CardTypeDialogExec = [&](QDialog &dialog) {
            ++shown;
            QTimer::singleShot(0, &dialog, [&dialog, &items] {
                const auto radios = dialog.findChildren<QRadioButton *>();
                for (QRadioButton *r : radios)
                    items << r->text();
                QTest::mouseClick(radios.value(2), Qt::LeftButton, {}, QPoint(6, radios.value(2)->height() / 2));
                QTest::mouseClick(radios.value(4), Qt::LeftButton, {}, QPoint(6, radios.value(4)->height() / 2));
                QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok),
                                  Qt::LeftButton);
            });
            return dialog.exec();
        };
        Byte second = 0;
        QCOMPARE(form->CardTypeDialog(3, 1, second), Byte(255));
        QCOMPARE(second, Byte(255));
        QCOMPARE(shown, 0);

        Registry::RegisterClass(QStringLiteral("T4W2Card"), [] { return std::unique_ptr<TPersistent>(new TFourWireProbe); });
        const Byte first = form->CardTypeDialog(3, 1, second);
        Registry::UnregisterClass(QStringLiteral("T4W2Card"));
        TMainForm1::CardTypeDialogExec = nullptr;
        QCOMPARE(shown, 1);
        QCOMPARE(items, (QStringList{QStringLiteral("0. type0: help0"), QStringLiteral("1. type1: help1"),
                                     QStringLiteral("2. type2: help2"), QStringLiteral("0. type0: help0"),
                                     QStringLiteral("1. type1: help1"), QStringLiteral("2. type2: help2")}));
        QCOMPARE(first, Byte(2));
        QCOMPARE(second, Byte(1));
    }

    // A file that cannot be imported: its name and reason in an error box,
    // the open project untouched with its windows, no temporary files.
    void hostileFileKeepsTheProject_data()
    {
        QTest::addColumn<bool>("acf");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("reason");
        QTest::newRow("ACF short") << true << KeysFile(true, 0).left(100) << 280;
        QTest::newRow("ACF wrong magic") << true << oldfile::Builder(true).Magic("KAV1").Bytes() << 320;
        QTest::newRow("CFG short") << false << KeysFile(false, 0).left(16862) << 280;
        QTest::newRow("CFG neither old nor PC") << false << oldfile::Builder(false).Magic("").Bytes() << 280;
        oldfile::Builder full(true);
        for (int a = 0; a < 255; ++a)
            full.KeyLine(0, a, Byte(a));
        QTest::newRow("ACF too many lines") << true << full.Bytes() << 321;
    }

    void hostileFileKeepsTheProject()
    {
        QFETCH(bool, acf);
        QFETCH(QByteArray, bytes);
        QFETCH(int, reason);
        QTemporaryDir dir;
        auto form = MakeForm();
        form->show();
        OpenProject(*form, dir.filePath(QStringLiteral("stanica.orv")));
        // Changed: a window closed too early would ask to save it.
        form->ModifiedFlag = 1;
        const TOpenProject before = Snapshot(*form);

        const QString file = WriteFile(dir, acf ? QStringLiteral("bad.acf") : QStringLiteral("bad.cfg"), bytes);
        fileAnswers_ << file;
        (acf ? form->KonverziaACF : form->KonverziaCFG)->trigger();

        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Error);
        QVERIFY2(Texts().contains(QLatin1Char('"') + file + QLatin1Char('"')) && Texts().contains(LoadStrDll(reason)),
                 qPrintable(Texts()));
        CompareProject(*form, before);
        QCOMPARE(ImportFolders(), QStringList());
    }

    // A changed project whose save question is answered with Cancel stays
    // open, with its windows and its name in the caption (not the name of
    // the file that was to be imported).
    void cancelledSaveKeepsTheProject()
    {
        QTemporaryDir dir;
        auto form = MakeForm();
        form->show();
        const QString project = dir.filePath(QStringLiteral("stanica.orv"));
        auto cfg = fixture::BuildFixture();
        for (int s = 2; s <= 4; ++s)
            cfg->SlotyDosiek[s].Meno.clear();
        cfg->SaveToFile(project);
        QVERIFY(form->OpenProjectByName(project));
        const TAPult *before = form->APult;
        const QStringList windows = ConsoleWindows(*form);
        const QString caption = form->windowTitle();
        QVERIFY(!windows.isEmpty());
        form->ModifiedFlag = 1;
        prompt_.clear();
        prompt_.Answer(TPrompt::Cancel);

        const QString file = WriteFile(dir, QStringLiteral("good.acf"), KeysFile(true, 0));
        fileAnswers_ << file;
        form->KonverziaACF->trigger();

        QCOMPARE(newShown_, 1);
        QCOMPARE(prompt_.texts(), QStringList{LoadStrDll(33)});
        QCOMPARE(form->APult, before);
        QCOMPARE(ConsoleWindows(*form), windows);
        QCOMPARE(form->ProjectName, project);
        QCOMPARE(form->windowTitle(), caption);
        QVERIFY(form->ModifiedFlag);
        QCOMPARE(form->Dialogue().OperationMode, opmode::Idle);
        QCOMPARE(form->AllConsolesClosed, Byte(0));
        QCOMPARE(ImportFolders(), QStringList());
    }

    // Old files code a 4W5 board 144 or 145 and an E1 board 160 to 175; the
    // cards code them 148 and 160. Keys on them import onto their lines.
    void fourWireAndE1BoardsImport_data()
    {
        QTest::addColumn<bool>("acf");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("card");
        QTest::addColumn<int>("cardCode");
        for (bool acf : {true, false}) {
            const char *kind = acf ? "ACF" : "CFG";
            QTest::addRow("%s, 4W5 coded 144", kind) << acf << 144 << QStringLiteral("T4W5") << 148;
            QTest::addRow("%s, 4W5 coded 145", kind) << acf << 145 << QStringLiteral("T4W5") << 148;
            QTest::addRow("%s, E1 coded 161", kind) << acf << 161 << QStringLiteral("TE1") << 160;
        }
    }

    void fourWireAndE1BoardsImport()
    {
        QFETCH(bool, acf);
        QFETCH(int, code);
        QFETCH(QString, card);
        QFETCH(int, cardCode);
        QTemporaryDir dir;
        auto form = MakeForm();
        form->show();
        oldfile::Builder b(acf);
        // Keys 0, 1 and 2 on lines 0 and 3 of the board in slot 1 and line 2 of the UL10 in slot 0.
        b.Board(0, 71).Board(1, Byte(code)).KeyLine(0, 32, 5).KeyLine(0, 33, 8).KeyLine(0, 34, 2);
        fileAnswers_ << WriteFile(dir, acf ? QStringLiteral("old.acf") : QStringLiteral("old.cfg"), b.Bytes());
        (acf ? form->KonverziaACF : form->KonverziaCFG)->trigger();

        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(Texts()));
        QVERIFY(form->APult);
        const TAPult &a = *form->APult;
        QCOMPARE(a.SlotyDosiek[1].Meno, card);
        QCOMPARE(int(a.SlotyDosiek[1].Kod), cardCode);
        QVERIFY(form->CardOfSlot(1));
        QCOMPARE(int(form->CardOfSlot(1)->GetCardNum(a.TypSystemu)), cardCode);
        const TPult &p = *a.Pulty[0];
        const int lines[3][2] = {{1, 0}, {1, 3}, {0, 2}};
        for (int k = 0; k < 3; ++k) {
            const TKlavesa &key = *p.Klavesy[k];
            QCOMPARE(int(key.HWPozicDosky), lines[k][0]);
            QCOMPARE(int(key.PozicLinky), lines[k][1]);
            QVERIFY(key.NumLin != 255);
            QVERIFY(p.Dosky[lines[k][0]]);
            QCOMPARE(int(p.Dosky[lines[k][0]]->Linky[lines[k][1]]->Klavesa), k);
        }
        QCOMPARE(ConsoleWindows(*form).size(), 1);
        QCOMPARE(form->ProjectName, LoadStrDll(2));
        QCOMPARE(ImportFolders(), QStringList());
    }

    // File > Open from UNI takes its consoles from the side files beside the
    // UNI file: from a fresh start, and after a project with one console.
    void uniSetBringsItsConsoles_data()
    {
        QTest::addColumn<bool>("afterProject");
        QTest::newRow("fresh start") << false;
        QTest::newRow("after a one-console project") << true;
    }

    void uniSetBringsItsConsoles()
    {
        QFETCH(bool, afterProject);
        QTemporaryDir dir;
        const QString base = dir.filePath(QStringLiteral("stanica"));
        WriteUniSet(base, {0, 1});
        auto form = MakeForm();
        form->show();
        if (afterProject) {
            OpenProject(*form, dir.filePath(QStringLiteral("one.orv")), true);
            QCOMPARE(form->PultTyp[1], Byte(0));
        }
        QStringList proposals;
        form->DialogueSide().ChooseFileExec = [&](const QString &, const QString &filter, QString &name) {
            proposals << name;
            if (filter != QStringLiteral("*.uni|*.uni"))
                return false;
            name = base + QStringLiteral(".uni");
            return true;
        };
        form->NacitaniezUNI1->trigger();

        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(Texts()));
        QCOMPARE(newShown_, 0);
        // The dialog opens in the open project's folder.
        QCOMPARE(proposals, QStringList{afterProject ? dir.path() + QLatin1Char('/') : QString()});
        QVERIFY(form->APult);
        const TAPult &a = *form->APult;
        QCOMPARE(ConsoleWindows(*form).size(), 2);
        QCOMPARE(form->PultTyp[0], Byte(1));
        QCOMPARE(form->PultTyp[1], Byte(1));
        QCOMPARE(form->SystemImage.ConsoleType(1), Byte(1));
        QCOMPARE(a.Pulty[0]->PocetObrazoviek, Byte(1));
        QCOMPARE(a.Pulty[1]->PocetObrazoviek, Byte(2));
        QCOMPARE(a.Pulty[0]->Klavesy[0]->PozicLinky, Byte(2));
        QCOMPARE(a.Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("ABC"));
        QCOMPARE(a.Pulty[1]->Klavesy[100]->PozicLinky, Byte(4));
        QCOMPARE(a.Pulty[1]->Klavesy[100]->HintKlavesy, QStringLiteral("Line four"));
        QVERIFY(form->CardOfSlot(0));
        QCOMPARE(form->ProjectName, base + QStringLiteral(".orv"));
        QVERIFY(form->SaveFileName.isEmpty());
        QVERIFY(form->ModifiedFlag);
        QCOMPARE(form->Dialogue().OperationMode, opmode::Idle);
    }

    // Open from UNI that cannot be done leaves the open project, its
    // windows, cards, name and modified mark as they were.
    void failedUniKeepsTheProject_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("kind");   // the one box shown, -1 none
        QTest::addColumn<int>("reason"); // a text the box holds, 0 none
        QTest::newRow("dialog cancelled") << QStringLiteral("cancel") << -1 << 0;
        QTest::newRow("short side file") << QStringLiteral("short") << int(TPrompt::Kind::Error) << 280;
        QTest::newRow("side file of another kind") << QStringLiteral("magic") << int(TPrompt::Kind::Error) << 281;
        QTest::newRow("damaged UNI file") << QStringLiteral("uni") << int(TPrompt::Kind::Error) << 282;
        QTest::newRow("missing side file") << QStringLiteral("missing") << int(TPrompt::Kind::Error) << 16;
        QTest::newRow("refused board") << QStringLiteral("board") << int(TPrompt::Kind::Warning) << 141;
        QTest::newRow("save question cancelled") << QStringLiteral("save") << int(TPrompt::Kind::Warning)
                                                 << 33;
    }

    void failedUniKeepsTheProject()
    {
        QFETCH(QString, damage);
        QFETCH(int, kind);
        QFETCH(int, reason);
        QTemporaryDir dir;
        const QString base = dir.filePath(QStringLiteral("stanica"));
        // A line of the UL10 named with the 4W5's code contradicts its slot.
        WriteUniSet(base, {0, 1}, [&damage](TPcRecord &, TUniRecord &uni) {
            if (damage == QLatin1String("board"))
                uni.Entry(0)[2] = 148;
        });
        if (damage == QLatin1String("short"))
            Overwrite(base + QStringLiteral("_1.cfg"), QByteArray(100, 'x'));
        if (damage == QLatin1String("magic"))
            Overwrite(base + QStringLiteral("_1.cfg"), QByteArray(pcrec::Size, 'x'));
        if (damage == QLatin1String("uni"))
            Overwrite(base + QStringLiteral(".uni"), QByteArray(unirec::Size, 0));
        auto form = MakeForm();
        form->show();
        OpenProject(*form, dir.filePath(QStringLiteral("projekt.orv")));
        form->ModifiedFlag = 1;
        if (damage == QLatin1String("save"))
            prompt_.Answer(TPrompt::Cancel);
        const TOpenProject before = Snapshot(*form);
        form->DialogueSide().ChooseFileExec = [&](const QString &, const QString &, QString &name) {
            if (damage == QLatin1String("cancel"))
                return false;
            name = damage == QLatin1String("missing") ? dir.filePath(QStringLiteral("none.uni"))
                                                        : base + QStringLiteral(".uni");
            return true;
        };
        if (damage == QLatin1String("missing"))
            QFile::copy(base + QStringLiteral(".uni"), dir.filePath(QStringLiteral("none.uni")));
        // Without a side file beside it the console set-up is asked for.
        type0_ = 1;
        form->NacitaniezUNI1->trigger();

        QCOMPARE(newShown_, damage == QLatin1String("missing") ? 1 : 0);
        if (kind < 0) {
            QVERIFY2(prompt_.asked().isEmpty(), qPrintable(Texts()));
        } else {
            QCOMPARE(prompt_.asked().size(), 1);
            QCOMPARE(int(prompt_.asked()[0].kind), kind);
            QVERIFY2(Texts().contains(LoadStrDll(reason)), qPrintable(Texts()));
        }
        CompareProject(*form, before);
    }
};

QTEST_MAIN(TestImports)
#include "test_import.moc"
