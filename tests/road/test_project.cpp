// Projects on the main road, through the main window's own buttons and menu
// items against the simulated system on a pseudo-terminal: New reading the
// boards, a write that saves the modified project first, and the whole road:
// read, bind a key, save, open the saved project in a fresh main window,
// write it to another system and read that system back.
#include <QtTest>

#include <QFileDialog>
#include <QGroupBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <optional>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "editing/keybinding.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainform_dialogue.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/objekty.h"
#include "platform/langlib.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "tests/fixture/consolewindows.h"
#include "tests/dialogue/expected.h"
#include "tests/dialogue/simpeer.h"
#include "tests/fixture/fixture.h"
#include "windows/colorbutton.h"
#include "windows/mdichild.h"
#include "windows/novypult.h"
#include "windows/prompt.h"
#include "windows/ulozitprojekt.h"
#include "windows/wizard.h"

namespace
{

using fixture::ConsoleWindows;
using fixture::ConsoleWindow;

QString Text(int n)
{
    return LoadStrDll(n);
}

QList<int> Commands(const TSimPeer &sim)
{
    QList<int> out;
    for (const QByteArray &w : sim.Frames(QStringLiteral("rx")))
        if (w.size() > 2)
            out << Byte(w[2]);
    return out;
}

// The requests the simulator received, as the program built them.
QList<QByteArray> Requests(const TSimPeer &sim, bool &wellFormed)
{
    QList<QByteArray> out;
    wellFormed = true;
    for (const QByteArray &w : sim.Frames(QStringLiteral("rx"))) {
        wellFormed = wellFormed && TSimPeer::WellFormed(w);
        out << TSimPeer::CallerFrame(w);
    }
    return out;
}

// The simulator's default system without its GSM-R subscriber records, which
// it keeps for lines on no GSM-R board where a configuration cannot hold them.
TSimFixture SystemWithoutMsn(const QString &file)
{
    TSimFixture fx = TSimFixture::Write({}, file);
    QJsonObject tables = fx.json.value("tables").toObject();
    QJsonArray rows;
    for (int i = 0; i < 32; ++i)
        rows.append(QStringLiteral("FF").repeated(16));
    tables["msn"] = rows;
    fx.json["tables"] = tables;
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(QJsonDocument(fx.json).toJson());
    return fx;
}

// A system with the default system's boards, two mechanical consoles and nothing configured.
QString EmptySystem(const QString &file)
{
    QJsonObject root{{"format", "orvasim-1"},
                     {"feature", 15},
                     {"system_kind", "P"},
                     {"boards", QJsonObject{{"0", 71}, {"1", 148}, {"16", 71}}}};
    root["consoles"] = QJsonArray{QJsonObject{{"type", 2}}, QJsonObject{{"type", 2}}};
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.write(QJsonDocument(root).toJson());
    return file;
}

QString AllDifferences(const QString &a, const QString &b)
{
    const QStringList la = a.split(QLatin1Char('\n')), lb = b.split(QLatin1Char('\n'));
    QStringList out;
    for (int i = 0; i < std::min(la.size(), lb.size()); ++i)
        if (la[i] != lb[i])
            out << la[i] + QStringLiteral("  <>  ") + lb[i];
    return out.join(QLatin1Char('\n'));
}

QString FrameDifference(const QList<QByteArray> &sent, const QList<QByteArray> &expected)
{
    if (sent.size() != expected.size())
        return QStringLiteral("%1 requests sent, %2 expected").arg(sent.size()).arg(expected.size());
    for (int i = 0; i < sent.size(); ++i) {
        if (sent[i] == expected[i])
            continue;
        int at = 0;
        while (at < std::min(sent[i].size(), expected[i].size()) && sent[i][at] == expected[i][at])
            ++at;
        return QStringLiteral("request %1 (%2 %3) differs at byte %4: %5 / %6")
            .arg(i)
            .arg(Byte(sent[i][0]), 2, 16, QLatin1Char('0'))
            .arg(Byte(sent[i][2]))
            .arg(at)
            .arg(QString::fromLatin1(sent[i].mid(at - at % 32, 32).toHex()))
            .arg(QString::fromLatin1(expected[i].mid(at - at % 32, 32).toHex()));
    }
    return QString();
}

// A real click in the main window at the centre of one of its widgets.
void ClickIn(TMainForm1 &form, QWidget *w)
{
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      w->mapTo(&form, w->rect().center()));
}

} // namespace

class TestRoadProject : public QObject
{
    Q_OBJECT

    QTemporaryDir folder_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    QList<std::optional<QString>> fileAnswers_;
    QStringList fileProposed_;
    int savePrompts_ = 0;
    QPushButton *TUlozitProjekt::*saveButton_ = &TUlozitProjekt::BitBtn1;

    // A main window on COM1; the new-console dialog answered by clicks: two
    // mechanical consoles and "read the boards"; the save prompt by a click.
    std::unique_ptr<TMainForm1> MakeForm(const QString &device)
    {
        qputenv("KELVARA_COM1", device.toLocal8Bit());
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->PortNumber = 1;
        form->FirstActivation = 0;
        form->resize(1200, 900);
        form->DialogueSide().NovyPultExec = [](TNovyPult &dialog) {
            QTimer::singleShot(0, &dialog, [&dialog] {
                for (QGroupBox *box : {dialog.RadioGroup1, dialog.RadioGroup2}) {
                    auto *mech = box->findChild<QRadioButton *>(box->objectName() + QStringLiteral("Item2"));
                    QTest::mouseClick(mech, Qt::LeftButton, {}, QPoint(6, mech->height() / 2));
                }
                QTest::mouseClick(dialog.Nacitanie, Qt::LeftButton);
            });
            return dialog.exec();
        };
        form->DialogueSide().SavePromptExec = [this](TUlozitProjekt &dialog) {
            ++savePrompts_;
            QTimer::singleShot(0, &dialog,
                               [&dialog, this] { QTest::mouseClick(dialog.*saveButton_, Qt::LeftButton); });
            return dialog.exec();
        };
        return form;
    }

    // Read from system through its button: the two console questions, OK.
    bool ReadThroughTheButton(TMainForm1 &form)
    {
        prompt_.Answer(TPrompt::Ok);
        prompt_.Answer(TPrompt::Ok);
        form.ZoSystemu->click();
        if (!QTest::qWaitFor([&] { return form.DialogueIdle(); }, 120000))
            return false;
        const bool failed = std::any_of(prompt_.asked().begin(), prompt_.asked().end(),
                                        [](const auto &a) { return a.kind == TPrompt::Kind::Error; });
        prompt_.clear();
        return !failed && form.APult != nullptr;
    }

    // Write to system through its button: the confirmation, both console questions, OK.
    bool WriteThroughTheButton(TMainForm1 &form)
    {
        for (int i = 0; i < 3; ++i)
            prompt_.Answer(TPrompt::Ok);
        form.DoSystemu->click();
        return QTest::qWaitFor([&] { return form.DialogueIdle(); }, 120000);
    }

private slots:
    void initTestCase()
    {
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        TMainForm1::FileDialogExec = [this](QFileDialog &, QString &name) {
            fileProposed_ << name;
            const std::optional<QString> answer =
                fileAnswers_.isEmpty() ? std::nullopt : fileAnswers_.takeFirst();
            if (!answer)
                return int(QDialog::Rejected);
            name = *answer;
            return int(QDialog::Accepted);
        };
        HInstDll = platform::LoadLanguageLibrary(QStringLiteral(KELVARA_BIN_DIR "/LANG.DLL"));
        QVERIFY(HInstDll > 32);
        QVERIFY(folder_.isValid());
        platform::SetProgramFolder(folder_.path());
        scope_ = std::make_unique<TPromptScope>(&prompt_);
    }

    void init()
    {
        prompt_.clear();
        platform::SetTimeScale(1.0);
        fileAnswers_.clear();
        fileProposed_.clear();
        savePrompts_ = 0;
        saveButton_ = &TUlozitProjekt::BitBtn1;
    }

    void cleanupTestCase()
    {
        TMainForm1::FileDialogExec = nullptr;
        platform::SetProgramFolder(QString());
    }

    // New through its tool button, "read the boards": test and boards only,
    // the new project gets the system's boards and its console windows. With
    // the quiet switch no dialog and no box: console 0 mechanical.
    void newProjectReadsTheBoards_data()
    {
        QTest::addColumn<bool>("quiet");
        QTest::newRow("dialog") << false;
        QTest::newRow("quiet") << true;
    }

    void newProjectReadsTheBoards()
    {
        QFETCH(bool, quiet);
        TSimPeer sim({});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        auto form = MakeForm(sim.path);
        int shown = 0;
        if (quiet) {
            form->test->setText(QStringLiteral("NoQuestion"));
            form->DialogueSide().NovyPultExec = [&shown](TNovyPult &) {
                ++shown;
                return int(NovyPultCancel);
            };
        } else {
            prompt_.Answer(TPrompt::Ok); // the boards read's end
        }
        form->NewSB->click();
        QVERIFY(form->DialogueIdle());
        QCOMPARE(form->Dialogue().OperationMode, Byte(0));
        QCOMPARE(prompt_.texts(), quiet ? QStringList{} : QStringList{Text(71)});
        QCOMPARE(shown, 0);
        QCOMPARE(Commands(sim), (QList<int>{0x00, 0x01}));

        QVERIFY(form->APult);
        const TAPult &a = *form->APult;
        QCOMPARE(a.SlotyDosiek[0].Meno, QStringLiteral("TUL10"));
        QCOMPARE(int(a.SlotyDosiek[0].Kod), 71);
        QCOMPARE(a.SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        QCOMPARE(a.SlotyDosiek[16].Meno, QStringLiteral("TUL10"));
        QVERIFY(a.SlotyDosiek[2].Meno.isEmpty());
        QVERIFY(form->CardOfSlot(0) && form->CardOfSlot(1) && form->CardOfSlot(16));
        QCOMPARE(int(a.Pulty[0]->TypPultu), 2);
        QCOMPARE(int(a.Pulty[1]->TypPultu), quiet ? 0 : 2);
        for (int n = 0; n < ConsoleCount; ++n)
            for (int k = 0; k < KeyCount; ++k)
                QVERIFY(a.Pulty[n]->Klavesy[k] && !IsConfiguredKey(a.Pulty[n]->Klavesy[k].get()));
        QCOMPARE(ConsoleWindows(*form),
                 quiet ? QStringList{QStringLiteral("Pult0")}
                       : (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(int(form->NewProjectFlag), 1);
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(form->windowTitle(), Text(2) + QStringLiteral(" - ") + form->BaseTitle);
    }

    // A read project is modified and has no file: the write's save prompt
    // saves it through the project commands, which ask for its name. Named,
    // the project is written; the name's dialog cancelled, nothing is.
    void writeSavesTheProjectFirst_data()
    {
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<bool>("named");
        QTest::newRow("save, named") << false << true;
        QTest::newRow("save under the current name, named") << true << true;
        QTest::newRow("save, name cancelled") << false << false;
    }

    void writeSavesTheProjectFirst()
    {
        QFETCH(bool, saveAs);
        QFETCH(bool, named);
        QTemporaryDir dir;
        TSimPeer sim({});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        auto form = MakeForm(sim.path);
        QVERIFY(ReadThroughTheButton(*form));
        QVERIFY(form->ModifiedFlag);
        QCOMPARE(form->ProjectName, Text(2));
        const qsizetype readFrames = Commands(sim).size();
        if (saveAs)
            saveButton_ = &TUlozitProjekt::BitBtn2;
        const QString name = dir.filePath(QStringLiteral("precitany.orv"));
        if (named)
            fileAnswers_ << name;
        else
            fileAnswers_ << std::nullopt;

        form->MenuClick(); // as the status tick does
        if (named) {
            QVERIFY(WriteThroughTheButton(*form));
        } else {
            form->DoSystemu->click();
            QVERIFY(QTest::qWaitFor([&] { return form->DialogueIdle(); }, 10000));
        }
        QCOMPARE(savePrompts_, 1);
        QCOMPARE(fileProposed_, QStringList{Text(2)});
        if (!named) {
            QVERIFY(prompt_.asked().isEmpty());
            QCOMPARE(Commands(sim).size(), readFrames);
            QVERIFY(form->ModifiedFlag);
            QVERIFY(form->Memo1->toPlainText().contains(Text(147)));
            QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
            return;
        }
        QCOMPARE(prompt_.texts().value(0), Text(94));
        QCOMPARE(prompt_.texts().last(), Text(71) + QLatin1Char(' ') + Text(72));
        QCOMPARE(form->ProjectName, name);
        QCOMPARE(form->windowTitle(), QStringLiteral("precitany.orv - ") + form->BaseTitle);
        QVERIFY(!form->ModifiedFlag);
        // What was saved is the project as the write found it.
        TAPult saved;
        QCOMPARE(saved.LoadFromFile(name), 0);
        QVERIFY(QFile::exists(name));
        QVERIFY(Commands(sim).mid(readFrames).contains(0x85));
    }

    // The whole road. System A is read through ZoSystemu; console 1's free
    // key 30 is bound by clicks to line 2 of the UL10 in slot 16; Save as
    // names the project; a fresh main window opens it through OpenSB and
    // writes it to the empty system B through DoSystemu. The requests are
    // those of a write of A's tables with exactly the new key and its line
    // added; B then reads back as the project, field by field.
    void readBindSaveOpenWrite()
    {
        QTemporaryDir dir;
        const TSimFixture fx = SystemWithoutMsn(dir.filePath(QStringLiteral("a.json")));
        QVERIFY(!fx.json.isEmpty());
        const QString project = dir.filePath(QStringLiteral("stanica.orv"));
        constexpr int key = 30, slot = 16, line = 2, console = 1;

        // 1. Read A.
        QString boundName;
        {
            TSimPeer a({"--config", dir.filePath(QStringLiteral("a.json"))});
            QVERIFY2(a.Ok(), qPrintable(a.error));
            auto form = MakeForm(a.path);
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form.get()));
            QVERIFY(ReadThroughTheButton(*form));
            const TPult &p1 = *form->APult->Pulty[console];
            QVERIFY(!IsConfiguredKey(p1.Klavesy[key].get()));

            // 2. Bind: the console's window, the card, the line, the key.
            TMDIChild *w = ConsoleWindow(*form, QStringLiteral("Pult1"));
            QVERIFY(w);
            form->MdiArea->tileSubWindows();
            form->MdiArea->setActiveSubWindow(w);
            QTRY_COMPARE(form->MdiArea->activeSubWindow(), static_cast<QMdiSubWindow *>(w));
            QTest::mouseClick(form->GetCardButton(slot), Qt::LeftButton);
            QVERIFY(form->GetLineButton(line) && form->GetLineButton(line)->isEnabled());
            QTest::mouseClick(form->GetLineButton(line), Qt::LeftButton);
            QVERIFY(form->GetLineButton(line)->Down());
            ClickIn(*form, w->GetButton(key));
            const TKlavesa &bound = *p1.Klavesy[key];
            QCOMPARE(int(bound.HWPozicDosky), slot);
            QCOMPARE(int(bound.PozicLinky), line);
            QCOMPARE(int(p1.Dosky[slot]->Linky[line]->Klavesa), key);
            QVERIFY(!w->GetButton(key)->Caption().isEmpty());
            QVERIFY2(BindingFaults(*form->APult).isEmpty(),
                     qPrintable(BindingFaults(*form->APult).join('\n')));
            boundName = bound.MenoKlavesy;
            QVERIFY(form->ModifiedFlag);
            ExpectNoBoxes();

            // 3. Save as.
            fileAnswers_ << project;
            form->Save1->trigger();
            QCOMPARE(fileProposed_, QStringList{Text(2)});
            QVERIFY(!form->ModifiedFlag);
            QCOMPARE(form->ProjectName, project);
        }
        QVERIFY(QFile::exists(project));
        TAPult savedProject;
        QCOMPARE(savedProject.LoadFromFile(project), 0);
        const QString saved = fixture::DumpFields(savedProject, fixture::DumpScope::Stored);

        // 4. A fresh main window opens it.
        const QString savedB = dir.filePath(QStringLiteral("b-saved.json"));
        TSimPeer b({"--config", EmptySystem(dir.filePath(QStringLiteral("b.json"))), "--save", savedB});
        QVERIFY2(b.Ok(), qPrintable(b.error));
        auto form = MakeForm(b.path);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        fileAnswers_ << project;
        form->OpenSB->click();
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form->windowTitle(), QStringLiteral("stanica.orv - ") + form->BaseTitle);
        QVERIFY(!form->ModifiedFlag);
        QCOMPARE(ConsoleWindow(*form, QStringLiteral("Pult1"))->GetButton(key)->Caption(), boundName);
        form->MenuClick(); // as the status tick does: DoSystemu follows the loaded project
        ExpectNoBoxes();

        // 5. Write to B: no save prompt, the confirmation, the consoles, success.
        QVERIFY(WriteThroughTheButton(*form));
        QCOMPARE(savePrompts_, 0);
        QCOMPARE(prompt_.texts(), (QStringList{Text(94), Text(56) + QStringLiteral(" 0 ") + Text(57),
                                               Text(56) + QStringLiteral(" 1 ") + Text(57),
                                               Text(71) + QLatin1Char(' ') + Text(72)}));
        prompt_.clear();

        // The requests: A's tables, with the key and its line added by the
        // rules of the tables. The line gets the next running number: after
        // the lines A numbers already (its UNI table's line entries).
        const QByteArray uniA = fx.System("uni");
        int number = 0;
        while (Byte(uniA[8 * number]) < 128)
            ++number;
        std::array<ConsoleTables, 2> t;
        for (int n = 0; n < 2; ++n) {
            t[n].keyToLine = fx.Console(n, "key_line");
            t[n].lineToLamp = fx.Console(n, "line_lamp");
            t[n].keyToSubscriber = fx.Console(n, "key_sub");
            t[n].keyNames = fx.Console(n, "key_names");
            t[n].keyRecords = fx.Console(n, "key_records").left(224 * 32) + QByteArray(32 * 32, char(0xFF));
            const QByteArray book = fx.Console(n, "phone1") + fx.Console(n, "phone2");
            for (int i = 0; i < 256; ++i)
                if (book.mid(64 * i, 32) != QByteArray(32, char(0xFF)))
                    t[n].phoneBook += book.mid(64 * i, 64);
            t[n].phoneBook += QByteArray(16384 - t[n].phoneBook.size(), char(0xFF));
        }
        ConsoleTables &c = t[console];
        // A line the system never configured is bound as MB, the type panel's
        // first type: key code and line kind as A's MB line 0 of slot 0 (console 0's key 0).
        const QByteArray sameLine = fx.Console(0, "key_records").mid(0, 32);
        int sameEntry = 0;
        while (!(Byte(uniA[8 * sameEntry + 2]) == 71 && Byte(uniA[8 * sameEntry + 3]) == 255 &&
                 Byte(uniA[8 * sameEntry + 5]) == 0))
            ++sameEntry;
        QCOMPARE(int(Byte(uniA[8 * sameEntry + 1])), 0);
        c.keyToLine[key + 32] = char(number);
        c.keyToSubscriber[key + 32] = char(0xFF); // a plain UL10 line has no subscriber
        c.lineToLamp[number] = char(key + 32);
        QVERIFY(boundName.size() <= 32 && boundName == QString::fromLatin1(boundName.toLatin1()));
        c.keyNames.replace(32 * key, 32, boundName.toLatin1().leftJustified(32, ' '));
        c.keyRecords[32 * key + 0] = sameLine[0];
        c.keyRecords[32 * key + 1] = char(0xFF);
        c.keyRecords[32 * key + 30] = char(number);
        c.keyRecords[32 * key + 31] = char(71);
        QByteArray uni = uniA;
        // The console entries move up behind the new line's entry.
        uni.replace(8 * (number + 1), 16, uniA.mid(8 * number, 16));
        uni.replace(8 * number, 8, QByteArray::fromRawData("\0\0\x47\xFE\x00\x00\xFF\xFF", 8));
        uni[8 * number] = char(number);
        uni[8 * number + 1] = uniA[8 * sameEntry + 1];
        uni[8 * number + 5] = char(line);
        for (ConsoleTables &ct : t)
            ct.uni = uni;
        SystemTables sys;
        sys.boards = QByteArray(32, char(0xFF));
        for (int s : {0, 1, 16})
            sys.boards[s] = char(s == 1 ? 148 : 71);
        sys.msn = fx.System("msn");
        sys.functionNumbers = fx.System("fn");
        sys.lineFlags = fx.System("line_flags");
        const QList<QByteArray> expected = ExpectedWriteRequests(WriteSetup{}, t, sys);
        bool wellFormed = false;
        const QList<QByteArray> sent = Requests(b, wellFormed);
        QVERIFY(wellFormed);
        QVERIFY2(sent == expected, qPrintable(FrameDifference(sent, expected)));

        // 6. B reads back as the project, field by field.
        QVERIFY(ReadThroughTheButton(*form));
        const QString back = dir.filePath(QStringLiteral("spat.orv"));
        fileAnswers_ << back;
        form->Save1->trigger();
        TAPult readBack;
        QCOMPARE(readBack.LoadFromFile(back), 0);
        const QString after = fixture::DumpFields(readBack, fixture::DumpScope::Stored);
        // The new key's board and line names, its line's number and the key's
        // hint and line name are no part of a mechanical console's tables: the
        // read gives them in its own form, as for every line it reads.
        const QStringList own{QStringLiteral("Pulty[1].Dosky[16]="),
                              QStringLiteral("Pulty[1].Dosky[16].Linky[2]="),
                              QStringLiteral("Pulty[1].Klavesy[30]=")};
        const auto withoutNames = [&own](const QString &dump) {
            static const QRegularExpression name(QStringLiteral("^([^=]+=)\"[^\"]*\"/"));
            static const QRegularExpression lineNumber(QStringLiteral("^([^=]+=\\*/)\\d+/"));
            static const QRegularExpression keyTexts(QStringLiteral("(HintKlavesy|MenoLinky)=\"[^\"]*\""));
            QStringList lines = dump.split(QLatin1Char('\n'));
            for (QString &l : lines) {
                if (!std::any_of(own.begin(), own.end(), [&l](const QString &p) { return l.startsWith(p); }))
                    continue;
                l.replace(name, QStringLiteral("\\1*/"));
                if (l.contains(QStringLiteral(".Linky[")))
                    l.replace(lineNumber, QStringLiteral("\\1*/"));
                l.replace(keyTexts, QStringLiteral("\\1=*"));
            }
            return lines.join(QLatin1Char('\n'));
        };
        QVERIFY2(withoutNames(after) == withoutNames(saved),
                 qPrintable(AllDifferences(withoutNames(saved), withoutNames(after))));
        // Everything else, the new key's binding among it, reads back as saved.
        QCOMPARE(after.count(QLatin1Char('\n')), saved.count(QLatin1Char('\n')));
        QCOMPARE(int(readBack.Pulty[console]->Dosky[slot]->Linky[line]->Klavesa), key);
        QCOMPARE(readBack.Pulty[console]->Klavesy[key]->MenoKlavesy, boundName);
        ExpectNoBoxes();
    }

private:
    void ExpectNoBoxes()
    {
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(QStringLiteral(" | "))));
    }
};

QTEST_MAIN(TestRoadProject)
#include "test_project.moc"
