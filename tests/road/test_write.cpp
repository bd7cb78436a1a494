// Write to system, erase, the boards-only read and the time keeper through the
// main window's own menu items and buttons, against the simulated system on a
// pseudo-terminal; and a serial port that goes away in the middle of a dialogue.
#include <QtTest>

#include <QFileInfo>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "comm/com_orva.h"
#include "dialogue/dialogue.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainform_dialogue.h"
#include "mainwindow/mainwidgets.h"
#include "model/objekty.h"
#include "platform/langlib.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "tests/dialogue/simpeer.h"
#include "tests/fixture/fixture.h"
#include "windows/mdichild.h"
#include "windows/novypult.h"
#include "windows/prompt.h"
#include "windows/ulozitprojekt.h"
#include "windows/wizard.h"

namespace
{

const QString CRLF = QStringLiteral("\r\n");

QString Text(int n)
{
    return LoadStrDll(n);
}

// The commands of the frames a simulator received, in order.
QList<int> Commands(const TSimPeer &sim)
{
    QList<int> out;
    for (const QByteArray &w : sim.Frames(QStringLiteral("rx")))
        if (w.size() > 2)
            out << Byte(w[2]);
    return out;
}

QStringList ConsoleWindows(TMainForm1 &form)
{
    QStringList names;
    for (QMdiSubWindow *w : form.MdiArea->subWindowList())
        if (auto *c = qobject_cast<TMDIChild *>(w))
            names << c->objectName();
    names.sort();
    return names;
}

} // namespace

class TestRoadWrite : public QObject
{
    Q_OBJECT

    QTemporaryDir folder_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

    // A main window on COM1, the new-console dialog answered with two
    // mechanical consoles and Read, the save prompt answered by a real click.
    std::unique_ptr<TMainForm1> MakeForm(const QString &device, int type0 = 2)
    {
        qputenv("KELVARA_COM1", device.toLocal8Bit());
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1024, 768));
        form->PortNumber = 1;
        form->DialogueSide().NovyPultExec = [type0](TNovyPult &dialog) {
            dialog.SetRadioIndex(0, type0);
            dialog.SetRadioIndex(1, 2);
            dialog.Nastav(0);
            dialog.Nastav(1);
            dialog.NacitanieClick();
            return int(NovyPultRead);
        };
        form->DialogueSide().SavePromptExec = [this](TUlozitProjekt &dialog) {
            ++savePrompts_;
            QTimer::singleShot(0, &dialog, [&dialog, this] {
                QTest::mouseClick(saveAs_ ? dialog.BitBtn2 : dialog.BitBtn1, Qt::LeftButton);
            });
            return dialog.exec();
        };
        return form;
    }

    // Read from system through its button: two console questions, OK.
    bool ReadThroughTheButton(TMainForm1 &form)
    {
        prompt_.Answer(TPrompt::Ok);
        prompt_.Answer(TPrompt::Ok);
        form.ZoSystemu->click();
        if (!QTest::qWaitFor([&] { return form.DialogueIdle(); }, 120000))
            return false;
        prompt_.clear();
        return form.APult != nullptr;
    }

    // The project commands' save: here it only marks the project saved.
    void SaveMarksSaved(TMainForm1 &form)
    {
        form.DialogueSide().SaveProjectRoutine = [this, &form](int choice) {
            saves_ << choice;
            form.ModifiedFlag = 0;
        };
    }

    int savePrompts_ = 0;
    bool saveAs_ = false;
    QList<int> saves_;

private slots:
    void initTestCase()
    {
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        // A save that asks for a file name is cancelled there.
        TMainForm1::FileDialogExec = [](QFileDialog &, QString &) { return int(QDialog::Rejected); };
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
        savePrompts_ = 0;
        saveAs_ = false;
        saves_.clear();
    }

    void cleanupTestCase()
    {
        TMainForm1::FileDialogExec = nullptr;
        platform::SetTimeScale(1.0);
        platform::SetProgramFolder(QString());
    }

    // Read a system, write it to an empty one with the tool button, read
    // that one back: the same configuration, field by field.
    void writeThroughTheButtonReadsBackTheSame_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("DoSystemu, save") << false << false;
        QTest::newRow("WriteConfig, save under the current name") << true << true;
    }

    void writeThroughTheButtonReadsBackTheSame()
    {
        QFETCH(bool, byMenu);
        QFETCH(bool, saveAs);
        saveAs_ = saveAs;
        QTemporaryDir dir;
        // The source system without its GSM-R records on non-GSM-R lines.
        TSimFixture fx = TSimFixture::Write({}, dir.filePath(QStringLiteral("a.json")));
        QJsonObject tables = fx.json.value("tables").toObject();
        QJsonArray empty;
        for (int i = 0; i < 32; ++i)
            empty.append(QStringLiteral("FF").repeated(16));
        tables["msn"] = empty;
        fx.json["tables"] = tables;
        QFile f(dir.filePath(QStringLiteral("a.json")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(fx.json).toJson());
        f.close();

        QString before;
        std::unique_ptr<TMainForm1> form;
        {
            TSimPeer a({"--config", dir.filePath(QStringLiteral("a.json"))});
            QVERIFY2(a.Ok(), qPrintable(a.error));
            form = MakeForm(a.path);
            QVERIFY(ReadThroughTheButton(*form));
            before = fixture::DumpFields(*form->APult);
        }
        QVERIFY(form->ModifiedFlag);
        SaveMarksSaved(*form);

        QJsonObject root{{"format", "orvasim-1"},
                         {"boards", QJsonObject{{"0", 71}, {"1", 148}, {"16", 71}}},
                         {"consoles", QJsonArray{QJsonObject{{"type", 2}}, QJsonObject{{"type", 2}}}}};
        QFile e(dir.filePath(QStringLiteral("b.json")));
        QVERIFY(e.open(QIODevice::WriteOnly));
        e.write(QJsonDocument(root).toJson());
        e.close();
        TSimPeer b({"--config", dir.filePath(QStringLiteral("b.json"))});
        QVERIFY2(b.Ok(), qPrintable(b.error));
        qputenv("KELVARA_COM1", b.path.toLocal8Bit());

        prompt_.Answer(TPrompt::Ok); // Text 94
        prompt_.Answer(TPrompt::Ok); // console 0
        prompt_.Answer(TPrompt::Ok); // console 1
        if (byMenu)
            form->WriteConfig->trigger();
        else
            form->DoSystemu->click();
        QVERIFY(QTest::qWaitFor([&] { return form->DialogueIdle(); }, 120000));

        QCOMPARE(savePrompts_, 1);
        QCOMPARE(saves_, QList<int>{saveAs ? 4 : 1});
        const QStringList asked = prompt_.texts();
        QCOMPARE(asked.size(), 4);
        QCOMPARE(asked[0], Text(94));
        QCOMPARE(prompt_.asked()[1].title, Text(65));
        QCOMPARE(asked[1], Text(56) + QStringLiteral(" 0 ") + Text(57));
        QCOMPARE(asked[2], Text(56) + QStringLiteral(" 1 ") + Text(57));
        QCOMPARE(asked[3], Text(71) + QLatin1Char(' ') + Text(72));
        QCOMPARE(form->StatusBar1->Text(0), Text(71));
        QVERIFY(form->SpeedBar1->isEnabled());
        QVERIFY(form->Memo2->toPlainText().contains(QStringLiteral("Zapis do pultu")));
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));

        const QList<int> rx = Commands(b);
        QList<int> expected{0x00, 0x01, 0x00, 0x06, 0x07, 0x08, 0x0B, 0x0C,
                            0x10, 0x10, 0x10, 0x09, 0x06, 0x07, 0x08, 0x09};
        for (int n = 0; n < 2; ++n)
            expected << 0x00 << 0x80 << 0x84 << 0x85 << 0x8A << 0x8B;
        QCOMPARE(rx, expected);

        // The system now reads as the first one did.
        prompt_.clear();
        QVERIFY(ReadThroughTheButton(*form));
        const QString after = fixture::DumpFields(*form->APult);
        QCOMPARE(after.split(QLatin1Char('\n')), before.split(QLatin1Char('\n')));
    }

    // A project with unsaved changes is not written when its save is
    // cancelled (the read project has no file name yet: the save asks for
    // one): no confirmation, no frame.
    void unsavedProjectIsNeverWritten()
    {
        TSimPeer sim({});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        auto form = MakeForm(sim.path);
        QVERIFY(ReadThroughTheButton(*form));
        const int frames = int(Commands(sim).size());
        QVERIFY(form->ModifiedFlag);
        form->WriteConfig->trigger();
        QVERIFY(QTest::qWaitFor([&] { return form->DialogueIdle(); }, 10000));
        QCOMPARE(savePrompts_, 1);
        QVERIFY(prompt_.asked().isEmpty());
        QCOMPARE(int(Commands(sim).size()), frames);
        QVERIFY(form->ModifiedFlag);
        QVERIFY(form->Memo1->toPlainText().contains(Text(147)));
        QVERIFY(form->SpeedBar1->isEnabled());
    }

    // Erase from its menu item: empty tables on both consoles.
    void eraseThroughTheMenu()
    {
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("erased.json"));
        TSimPeer sim({"--save", saved});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        auto form = MakeForm(sim.path);
        QVERIFY(ReadThroughTheButton(*form));
        const int frames = int(Commands(sim).size());
        prompt_.Answer(TPrompt::Ok);
        prompt_.Answer(TPrompt::Ok);
        form->VymazatPult->trigger();
        QVERIFY(QTest::qWaitFor([&] { return form->DialogueIdle(); }, 60000));
        QCOMPARE(prompt_.texts().last(), Text(71) + QLatin1Char(' ') + Text(72));
        QCOMPARE(Commands(sim).mid(frames),
                 (QList<int>{0x00, 0x80, 0x84, 0x85, 0x8A, 0x8B, 0x00, 0x80, 0x84, 0x85, 0x8A, 0x8B}));
        sim.Stop();
        QFile f(saved);
        QVERIFY(f.open(QIODevice::ReadOnly));
        TSimFixture after;
        after.json = QJsonDocument::fromJson(f.readAll()).object();
        for (int n = 0; n < 2; ++n) {
            QCOMPARE(after.Console(n, "key_names"), QByteArray(8192, ' '));
            QCOMPARE(after.Console(n, "key_records"), QByteArray(8192, char(0xFF)));
            QCOMPARE(after.Console(n, "phone1"), QByteArray(8192, char(0xFF)));
        }
        // The project itself is as it was.
        QVERIFY(form->APult);
        QVERIFY(form->APult->Pulty[0]->Klavesy[0]);
    }

    // Read boards from its menu item: test and boards only; the project and
    // its windows stay, however the read ends.
    void boardsOnlyThroughTheMenu_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("end"); // 0 completes, 1 the watchdog gives up, 2 the user stops it (Exit)
        QTest::newRow("completes") << QString() << 0;
        QTest::newRow("no answer") << QStringLiteral("no-answer@0x01,always") << 1;
        QTest::newRow("stopped") << QStringLiteral("no-answer@0x01,always") << 2;
    }

    void boardsOnlyThroughTheMenu()
    {
        QFETCH(QString, fault);
        QFETCH(int, end);
        TSimPeer sim({});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        auto form = MakeForm(sim.path);
        QVERIFY(ReadThroughTheButton(*form));
        // The watchdog quick for the boards only, not for the read before.
        platform::SetTimeScale(0.05);
        TAPult *project = form->APult;
        const int frames = int(Commands(sim).size());
        if (!fault.isEmpty())
            sim.Command("fault " + fault.toLatin1());
        if (end == 1)
            prompt_.Answer(TPrompt::Ok);
        form->Nacitaniedosiek1->trigger();
        if (end == 2) {
            QVERIFY(QTest::qWaitFor([&] { return Commands(sim).size() == frames + 2; }, 10000));
            form->close(); // the window's close runs Exit, which stops the dialogue instead
        }
        QVERIFY(QTest::qWaitFor([&] { return form->DialogueIdle(); }, 30000));
        QCOMPARE(Commands(sim).mid(frames), (QList<int>{0x00, 0x01}));
        QCOMPARE(form->APult, project);
        QVERIFY(form->APult->Pulty[0] && form->APult->Pulty[0]->Klavesy[0]);
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(prompt_.texts().size(), 1);
        if (end == 0)
            QCOMPARE(prompt_.texts()[0], Text(71));
        else if (end == 1)
            QVERIFY(prompt_.texts()[0].startsWith(Text(61)));
        else
            QCOMPARE(prompt_.texts()[0], Text(118));
        QVERIFY(form->SpeedBar1->isEnabled());
        QVERIFY(!form->DoskySB->isEnabled()); // the hidden button stays disabled
    }

    // The time keeper from its button: the listing goes to the communication
    // log below the frames, which stay.
    void timeKeeperThroughTheButton()
    {
        TSimPeer sim({});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        auto form = MakeForm(sim.path);
        QVERIFY(ReadThroughTheButton(*form));
        const int frames = int(Commands(sim).size());
        QVERIFY(form->Memo2->toPlainText().contains(QStringLiteral(" - odpoved na nacitanie dosiek")));
        form->sbTimeKeeper->click();
        QVERIFY(QTest::qWaitFor([&] { return form->DialogueIdle(); }, 30000));
        QCOMPARE(Commands(sim).mid(frames), QList<int>{0x0F});
        const QString log = form->Memo2->toPlainText();
        QVERIFY(log.contains(QStringLiteral(" - odpoved na nacitanie dosiek")));
        QVERIFY(log.contains(QStringLiteral("\ne000: ")));
        QVERIFY(log.contains(QStringLiteral("\ne008: ")));
        QCOMPARE(prompt_.texts(), QStringList{Text(71) + QLatin1Char(' ') + Text(72)});
        QVERIFY(form->APult);
    }

    // A PC console is written to its side files during the write (twice:
    // the read-only file of the first write is rewritten), and a read of the
    // system takes that console's keys from them.
    void pcConsoleSideFiles()
    {
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("proj.orv"));
        std::unique_ptr<TMainForm1> form;
        {
            TSimPeer a({});
            QVERIFY2(a.Ok(), qPrintable(a.error));
            form = MakeForm(a.path);
            QVERIFY(ReadThroughTheButton(*form));
        }
        // Console 0 becomes a PC console of the project, saved as proj.orv.
        form->APult->Pulty[0]->TypPultu = 1;
        form->PultTyp[0] = 1;
        form->ProjectName = project;
        SaveMarksSaved(*form);
        QStringList keys;
        for (const auto &k : form->APult->Pulty[0]->Klavesy)
            keys << (k ? k->MenoKlavesy + QLatin1Char('|') + QString::number(k->NumLin) + QLatin1Char('|') +
                             QString::number(k->HWPozicDosky) + QLatin1Char('|') +
                             QString::number(k->PozicLinky)
                       : QString());

        TSimPeer b({"--consoles", "pc+mech"});
        QVERIFY2(b.Ok(), qPrintable(b.error));
        qputenv("KELVARA_COM1", b.path.toLocal8Bit());
        const QString sideFile = dir.filePath(QStringLiteral("proj_0.cfg"));
        for (int write = 0; write < 2; ++write) {
            prompt_.clear();
            prompt_.Answer(TPrompt::Ok); // Text 94
            prompt_.Answer(TPrompt::Ok); // the side file written
            prompt_.Answer(TPrompt::Ok); // console 1
            form->DoSystemu->click();
            QVERIFY(QTest::qWaitFor([&] { return form->DialogueIdle(); }, 120000));
            const QStringList asked = prompt_.texts();
            QCOMPARE(asked.size(), 4);
            // Console 0 to its side files on the way to console 1.
            QCOMPARE(asked[1], Text(222).replace(QStringLiteral("%s"), sideFile));
            QCOMPARE(asked[2], Text(56) + QStringLiteral(" 1 ") + Text(57));
            QCOMPARE(asked[3], Text(71) + QLatin1Char(' ') + Text(72));
            QVERIFY(QFileInfo(sideFile).isFile());
            // Left read-only (permission bits: root may write whatever they say).
            QCOMPARE(QFileInfo(sideFile).permissions() &
                         (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther),
                     QFile::Permissions());
            QVERIFY(QFileInfo(dir.filePath(QStringLiteral("proj.uni"))).isFile());
        }
        // No console frame for the PC console.
        for (const QByteArray &w : b.Frames(QStringLiteral("rx")))
            QVERIFY(!(Byte(w[2]) >= 0x80 && Byte(w[4]) == 0));

        // Read again with console 0 a PC console: its keys come from proj_0.cfg.
        auto reader = MakeForm(b.path, 1);
        QString offered;
        reader->DialogueSide().ChooseFileExec = [&](const QString &title, const QString &filter,
                                                    QString &file) {
            offered = filter;
            (void)title;
            file = dir.filePath(QStringLiteral("proj.uni"));
            return true;
        };
        prompt_.clear();
        prompt_.Answer(TPrompt::Ok); // console 1
        reader->ZoSystemu->click();
        QVERIFY(QTest::qWaitFor([&] { return reader->DialogueIdle(); }, 120000));
        QVERIFY2(reader->APult, qPrintable(prompt_.texts().join(QStringLiteral(" | "))));
        QCOMPARE(offered, QStringLiteral("*.uni|*.uni"));
        QCOMPARE(reader->APult->Pulty[0]->TypPultu, Byte(1));
        QStringList read;
        for (const auto &k : reader->APult->Pulty[0]->Klavesy)
            read << (k ? k->MenoKlavesy + QLatin1Char('|') + QString::number(k->NumLin) + QLatin1Char('|') +
                             QString::number(k->HWPozicDosky) + QLatin1Char('|') +
                             QString::number(k->PozicLinky)
                       : QString());
        QCOMPARE(read, keys);
    }

    // The system's line goes away in the middle of a write: the dialogue ends
    // with an error naming the port, the project stays, and the next command
    // opens the port afresh.
    void portGoneDuringTheWrite()
    {
        auto sim = std::make_unique<TSimPeer>(QStringList{"--fault", "slow-answer=30@0x84:0"});
        QVERIFY2(sim->Ok(), qPrintable(sim->error));
        const QString gone = sim->path;
        auto form = MakeForm(sim->path);
        QVERIFY(ReadThroughTheButton(*form));
        SaveMarksSaved(*form);
        TAPult *project = form->APult;
        prompt_.Answer(TPrompt::Ok);
        prompt_.Answer(TPrompt::Ok);
        form->DoSystemu->click();
        QVERIFY(QTest::qWaitFor([&] { return Commands(*sim).contains(0x84); }, 60000));
        sim->process.kill();
        sim->process.waitForFinished(5000);
        QVERIFY(QTest::qWaitFor([&] { return form->DialogueIdle(); }, 30000));

        const QStringList asked = prompt_.texts();
        QCOMPARE(asked.size(), 3);
        QVERIFY2(
            asked[2].startsWith(Text(61) + CRLF + CRLF + QStringLiteral("COM1 (") + gone + QLatin1Char(')')),
            qPrintable(asked[2]));
        QCOMPARE(prompt_.asked()[2].kind, TPrompt::Kind::Error);
        QCOMPARE(form->APult, project);
        QVERIFY(form->StatusBar1->Text(0).startsWith(Text(61)));
        QVERIFY(form->SpeedBar1->isEnabled());
        QVERIFY(!form->ComPort->Open());

        // A new line: the boards-only read opens the port again.
        prompt_.clear();
        TSimPeer next({});
        QVERIFY2(next.Ok(), qPrintable(next.error));
        qputenv("KELVARA_COM1", next.path.toLocal8Bit());
        form->Nacitaniedosiek1->trigger();
        QVERIFY(QTest::qWaitFor([&] { return form->DialogueIdle(); }, 30000));
        QCOMPARE(prompt_.texts(), QStringList{Text(71)});
        QCOMPARE(Commands(next), (QList<int>{0x00, 0x01}));
    }
};

QTEST_MAIN(TestRoadWrite)
#include "test_write.moc"
