// Network mode in the running main window: Read from system, Write to system,
// New's boards read, the status window's buttons and the tables file command,
// against tools/fakerelay.py (real UDP on 127.0.0.1:60001/60000) and a real
// FTP server (pyftpdlib) on a free loopback port.
#include <QtTest>

#include <QAction>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "comm/ftpclient.h"
#include "dialogue/dialogue.h"
#include "dialogue/netoperations.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainform_dialogue.h"
#include "mainwindow/mainwidgets.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "records/netfiles.h"
#include "tests/fixture/consolewindows.h"
#include "tests/fixture/fixture.h"
#include "windows/mdichild.h"
#include "windows/novypult.h"
#include "windows/prompt.h"
#include "windows/udprform.h"
#include "windows/wizard.h"

namespace
{

using fixture::ConsoleWindows;

constexpr double Scale = 0.3; // network waits of 1.5 s
const QString User = QStringLiteral("u");
const QString Password = QStringLiteral("p");

QStringList gArgs;
QStringList testArguments() { return gArgs; }

QByteArray ReadAll(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool WriteAll(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A peer process whose first stdout line says it is ready.
class Peer
{
public:
    ~Peer() { Stop(); }
    bool Start(const QStringList &args)
    {
        Stop();
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::SeparateChannels);
        process_->start(QStringLiteral("/usr/bin/python3"), args);
        if (!process_->waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(10000);
        while (!process_->canReadLine() && !deadline.hasExpired())
            process_->waitForReadyRead(50);
        first_ = QString::fromUtf8(process_->readLine()).trimmed();
        lines_.clear();
        return !first_.isEmpty();
    }
    void Stop()
    {
        if (process_) {
            process_->kill();
            process_->waitForFinished(5000);
            process_.reset();
        }
    }
    QString First() const { return first_; }
    QStringList Lines()
    {
        if (process_) {
            QCoreApplication::processEvents();
            process_->waitForReadyRead(0);
            while (process_->canReadLine())
                lines_ << QString::fromUtf8(process_->readLine()).trimmed();
        }
        return lines_;
    }
    void Clear()
    {
        Lines();
        lines_.clear();
    }

private:
    std::unique_ptr<QProcess> process_;
    QString first_;
    QStringList lines_;
};

// The relay's record: the datagrams it took.
struct Received {
    QList<QJsonObject> rx;
    QStringList dropped;
    QList<int> Codes() const
    {
        QList<int> codes;
        for (const QJsonObject &o : rx)
            codes << o.value("code").toInt();
        return codes;
    }
};

Received Parse(const QStringList &lines)
{
    Received r;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("RX ")))
            r.rx << QJsonDocument::fromJson(line.mid(3).toUtf8()).object();
        else if (line.startsWith(QLatin1String("DROP ")) || line.startsWith(QLatin1String("BAD ")))
            r.dropped << line; // refused by the relay: the program sent what it should not
    }
    return r;
}

int FreePort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

// The fixture's project with the card types the card package knows: console
// 0 a PC console, console 1 a mechanical one; boards TUL10 in slot 0, T4W5 in 1.
std::unique_ptr<TAPult> Project()
{
    auto cfg = fixture::BuildFixture();
    for (int s = 2; s <= 4; ++s)
        cfg->SlotyDosiek[s].Meno.clear();
    return cfg;
}

// osadenie.dat for that system: slot 0 UL10, slot 1 4W5, an empty position.
QByteArray BoardsFile()
{
    return QByteArray("\x00\x00\x47\x00"
                      "\x10\x00\x90\x00"
                      "\x20\x00\xFF\x00",
                      12);
}

// A key's place and name: what the tables carry for a mechanical console.
QStringList Keys(const TPult &p)
{
    QStringList keys;
    for (int k = 0; k < int(p.Klavesy.size()); ++k)
        if (const TKlavesa *key = p.Klavesy[std::size_t(k)].get(); key && key->HWPozicDosky != 255)
            keys << QStringLiteral("%1 %2 %3/%4/%5").arg(k).arg(key->MenoKlavesy).arg(key->HWPozicDosky)
                        .arg(key->PozicLinky).arg(key->PozicRLinky);
    return keys;
}

// The project's fields without its unconfigured keys.
QStringList Configured(const TAPult &a)
{
    QStringList lines = fixture::DumpFields(a, fixture::DumpScope::Stored).split(u'\n');
    lines.removeIf([](const QString &line) {
        return line.contains(QLatin1String("MenoLinky=\"nekonf\"")) && line.contains(QLatin1String("HWPozicDosky=255"));
    });
    return lines;
}

// Keeps a window open against its first `count` closes.
class CloseEater : public QObject
{
public:
    explicit CloseEater(int count) : count_(count) {}
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() != QEvent::Close || count_ == 0)
            return false;
        --count_;
        e->ignore();
        return true;
    }

private:
    int count_;
};

// A scripted prompt whose boxes take their time as a user's do: the event
// loop runs while one is open, as under a real modal box, so timers tick and
// queued work runs behind it.
class TLoopingPrompt : public TScriptedPrompt
{
public:
    int LoopMs = 0;
    std::function<void()> DuringBox;
    int Ask(Kind kind, const QString &text, Buttons buttons, const QString &title = QString()) override
    {
        const int answer = TScriptedPrompt::Ask(kind, text, buttons, title);
        if (LoopMs > 0)
            QTest::qWait(LoopMs);
        if (DuringBox)
            DuringBox();
        return answer;
    }
};

// One step of an operation as the peers saw it: "R5" a relay command,
// "RETR osadenie.dat" or "STOR tabulky.dat" an FTP transfer; in the order of
// the machine's monotonic clock, which both peers print.
QStringList Steps(const Received &relay, const QStringList &ftpLines)
{
    QList<QPair<double, QString>> steps;
    for (const QJsonObject &o : relay.rx)
        steps.append({o.value("clock").toDouble(), QStringLiteral("R%1").arg(o.value("code").toInt())});
    for (const QString &line : ftpLines) {
        const QStringList words = line.split(u' ');
        if (words.size() >= 4 && words[0] == QLatin1String("CMD") &&
            (words[2] == QLatin1String("RETR") || words[2] == QLatin1String("STOR")))
            steps.append({words[1].toDouble(), words[2] + u' ' + words.mid(3).join(u' ')});
    }
    std::stable_sort(steps.begin(), steps.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList out;
    for (const auto &step : steps)
        out << step.second;
    return out;
}

// The login attempts among the server's lines.
int Logins(const QStringList &ftpLines)
{
    int n = 0;
    for (const QString &line : ftpLines)
        if (line.startsWith(QLatin1String("CMD ")) && line.section(u' ', 2, 2) == QLatin1String("USER"))
            ++n;
    return n;
}

QAction *MenuItem(TMainForm1 &form, const char *name)
{
    return form.findChild<QAction *>(QLatin1String(name));
}

} // namespace

class TestNetworkMode : public QObject
{
    Q_OBJECT

    QTemporaryDir program_; // the program folder: osadenie.dat and tabulky.dat go here
    QTemporaryDir ftp_;     // the FTP server's folder
    QTemporaryDir projects_;
    Peer server_;
    Peer relay_;
    TLoopingPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    int newShown_ = 0;
    QString newButtons_; // "Nacitanie,BezCitania,Koniec" as shown: caption, or "-" when hidden
    int types_[2] = {1, 2};
    QString project_;

    QString Local(const QString &name) const { return program_.filePath(name); }
    QString Remote(const QString &name) const { return ftp_.filePath(name); }

    bool StartRelay(const QStringList &options = {})
    {
        // As a relay written apart would: it refuses a datagram of the wrong
        // form and answers for the system given, whatever the command carried.
        return relay_.Start(QStringList{QStringLiteral(KELVARA_SOURCE_DIR "/tools/fakerelay.py"), "--check",
                                        "--system", "127.0.0.1"} +
                            options) &&
               relay_.First().startsWith(QLatin1String("READY 127.0.0.1:60001"));
    }

    // The main window after its first activation with -i: relay link, FTP client, status window.
    std::unique_ptr<TMainForm1> MakeForm(int ftpPort, const QString &password = Password)
    {
        gArgs = {QStringLiteral("kelvara"), QStringLiteral("-i"), QStringLiteral("127.0.0.1"), User, password,
                 QStringLiteral("x")};
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->Arguments = testArguments;
        form->CreateStatusWindow();
        form->resize(1200, 900);
        form->DialogueSide().NovyPultExec = [this](TNovyPult &dialog) {
            ++newShown_;
            QStringList shown;
            for (QPushButton *b : {dialog.Nacitanie, dialog.BezCitania, dialog.Koniec})
                shown << (b->isVisibleTo(&dialog) ? b->text() : QStringLiteral("-"));
            newButtons_ = shown.join(QLatin1Char(','));
            QTimer::singleShot(0, &dialog, [&dialog, this] {
                for (int n = 0; n < 2; ++n) {
                    QGroupBox *box = n == 0 ? dialog.RadioGroup1 : dialog.RadioGroup2;
                    auto *item = box->findChild<QRadioButton *>(box->objectName() +
                                                                QStringLiteral("Item%1").arg(types_[n]));
                    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
                }
                QTest::mouseClick(dialog.Nacitanie, Qt::LeftButton);
            });
            return dialog.exec();
        };
        form->FormActivate();
        if (form->FTPCL)
            form->FTPCL->SetPort(ftpPort);
        form->show();
        return form;
    }

    // The fixture project opened from its file, as the command line does.
    void OpenProject(TMainForm1 &form)
    {
        QVERIFY(form.OpenProjectByName(project_));
        QCOMPARE(int(form.Dialogue().OperationMode), 0);
        QVERIFY(form.APult);
        form.ModifiedFlag = 0;
    }

    void ExpectNoBoxes()
    {
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(QStringLiteral(" | "))));
    }

    // The end of every network command: mode 0, interface unlocked.
    void ExpectIdle(TMainForm1 &form)
    {
        QCOMPARE(int(form.Dialogue().OperationMode), 0);
        QCOMPARE(int(form.Dialogue().UserInterfaceUnlocked), 1);
        QVERIFY(form.File1->menuAction()->isEnabled());
        QVERIFY(form.SpeedBar1->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    // The relay's datagrams, once `count` have come.
    Received RelayRecord(int count)
    {
        QDeadlineTimer deadline(5000);
        Received r;
        do {
            QTest::qWait(20);
            r = Parse(relay_.Lines());
        } while (r.rx.size() < count && !deadline.hasExpired());
        QTest::qWait(100); // nothing more comes
        return Parse(relay_.Lines());
    }

    void ExpectRelayCommands(const Received &r, const QList<int> &codes)
    {
        QCOMPARE(r.Codes(), codes);
        QVERIFY2(r.dropped.isEmpty(), qPrintable(r.dropped.join(u'\n')));
        for (const QJsonObject &o : r.rx) {
            // Taken by the relay: 264 bytes with a valid sum, body code, address and text.
            QCOMPARE(o.value("size").toInt(), 264);
            QCOMPARE(o.value("body_code").toInt(), o.value("code").toInt());
            QCOMPARE(o.value("address").toString(), QStringLiteral("127.0.0.1"));
            QCOMPARE(o.value("text").toString(), QStringLiteral("SetMod "));
            const QByteArray bytes = QByteArray::fromHex(o.value("hex").toString().toLatin1());
            QCOMPARE(bytes.size(), 264);
            quint32 sum = 0;
            for (int i = 0; i < 260; ++i)
                sum += Byte(bytes[i]);
            QCOMPARE(quint32(Byte(bytes[260]) | Byte(bytes[261]) << 8 | Byte(bytes[262]) << 16 |
                             quint32(Byte(bytes[263])) << 24),
                     sum);
        }
    }

    QString SavedText() const
    {
        return LoadStrDll(222).replace(QStringLiteral("%s"), projects_.filePath("stanica_0.cfg"));
    }

    // The tables file of the fixture project, as the program writes it.
    QByteArray ProjectTables()
    {
        auto form = MakeForm(FreePort());
        OpenProject(*form);
        QFile::remove(Local(netfiles::TablesFileName));
        QAction *item = MenuItem(*form, "writeFile4FTP1");
        if (!item)
            return {};
        item->trigger();
        // The PC console goes to its side file first, which says so.
        if (prompt_.texts() != QStringList{SavedText()})
            return {};
        prompt_.clear();
        return ReadAll(Local(netfiles::TablesFileName));
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(HInstDll > 32);
        platform::SetTimeScale(Scale);
        platform::SetProgramFolder(program_.path());
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        project_ = projects_.filePath(QStringLiteral("stanica.orv"));
        Project()->SaveToFile(project_);
        QVERIFY(server_.Start({QStringLiteral(KELVARA_SOURCE_DIR "/tests/comm/ftpserver.py"), "--user", User,
                               "--password", Password, "--dir", ftp_.path(), "--log"}));
        QVERIFY(server_.First().toInt() > 0);
    }

    void init()
    {
        prompt_.clear();
        prompt_.LoopMs = 0;
        prompt_.DuringBox = nullptr;
        server_.Clear();
        newShown_ = 0;
        newButtons_.clear();
        types_[0] = 1;
        types_[1] = 2;
        for (const QString &name : {QStringLiteral("osadenie.dat"), QStringLiteral("tabulky.dat")}) {
            QFile::remove(Remote(name));
            QFile::remove(Local(name));
        }
    }

    void cleanup()
    {
        relay_.Stop();
        ExpectNoBoxes();
    }

    void cleanupTestCase()
    {
        TMainForm1::StartDialogExec = nullptr;
        platform::SetProgramFolder(QString());
        platform::SetTimeScale(1.0);
    }

    // The file command writes tabulky.dat: 00, 2, then the two images; a
    // network read from the menu then sends 5, 10, 3, 5 and brings the boards
    // of osadenie.dat and the tables of tabulky.dat into the model.
    void tablesFileThenNetworkRead()
    {
        const QByteArray tables = ProjectTables();
        ExpectNoBoxes();
        QCOMPARE(tables.size(), 2 + 2 * 46380);
        QCOMPARE(int(Byte(tables[0])), 0);
        QCOMPARE(int(Byte(tables[1])), 2);
        // The PC console went to its side file first.
        QVERIFY(QFile::exists(projects_.filePath(QStringLiteral("stanica_0.cfg"))));

        QVERIFY(WriteAll(Remote("tabulky.dat"), tables));
        QVERIFY(WriteAll(Remote("osadenie.dat"), BoardsFile()));
        QVERIFY(StartRelay());
        auto form = MakeForm(server_.First().toInt());
        QVERIFY(form->UDPR_S && form->FTPCL);
        form->ReadConfig->trigger();

        ExpectRelayCommands(RelayRecord(4), {5, 10, 3, 5});
        ExpectNoBoxes();
        ExpectIdle(*form);
        QCOMPARE(newShown_, 1);
        // A read always reads the boards: the dialog offers OK and Cancel only.
        QCOMPARE(newButtons_, LoadStrDll(31) + QStringLiteral(",-,") + LoadStrDll(120));
        QVERIFY(form->APult);
        const TAPult &a = *form->APult;
        QCOMPARE(a.SlotyDosiek[0].Meno, QStringLiteral("TUL10"));
        QCOMPARE(a.SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        QVERIFY(a.SlotyDosiek[2].Meno.isEmpty());
        QVERIFY(form->CardOfSlot(0) && form->CardOfSlot(1));
        // The tables: console 1's keys where the project has them.
        const auto original = Project();
        QVERIFY(a.Pulty[1]);
        QCOMPARE(Keys(*a.Pulty[1]), Keys(*original->Pulty[1]));
        QVERIFY(!Keys(*a.Pulty[1]).isEmpty());
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form->StatusBar1->Text(0), LoadStrDll(71));
        // The files as fetched; the checked tables replace the program's copy.
        QCOMPARE(ReadAll(Local("osadenie.dat")), BoardsFile());
        QCOMPARE(ReadAll(Local("tabulky.dat")), tables);
        QVERIFY(!QFile::exists(TNetOperations::FetchedTablesPath()));
        QVERIFY(!form->UDPRForm1->isVisible()); // hidden before, hidden after
        QVERIFY(form->UDPRForm1->M->toPlainText().contains(QStringLiteral("FTP STATUS 208  - Download success")));
    }

    // A read over an open project: what was read is no longer that project,
    // so neither a save nor the tables file may write to its files.
    void readOverAnOpenProject()
    {
        const QByteArray tables = ProjectTables();
        QCOMPARE(tables.size(), 2 + 2 * 46380);
        const QString side = projects_.filePath(QStringLiteral("stanica_0.cfg"));
        const QByteArray sideBefore = ReadAll(side);
        const QByteArray projectBefore = ReadAll(project_);
        QVERIFY(WriteAll(Remote("tabulky.dat"), tables));
        QVERIFY(WriteAll(Remote("osadenie.dat"), BoardsFile()));
        QVERIFY(StartRelay());
        auto form = MakeForm(server_.First().toInt());
        OpenProject(*form);
        form->ReadConfig->trigger();
        ExpectRelayCommands(RelayRecord(4), {5, 10, 3, 5});
        ExpectNoBoxes();
        QVERIFY(form->NetOperations().LastSucceeded);
        QCOMPARE(form->ProjectName, LoadStrDll(2));
        QCOMPARE(form->windowTitle(), form->BaseTitle);

        // The PC console's side files have no place now: nothing is written.
        MenuItem(*form, "writeFile4FTP1")->trigger();
        QCOMPARE(prompt_.asked().size(), 1);
        QVERIFY2(prompt_.texts()[0].contains(QStringLiteral("the project has no file name")),
                 qPrintable(prompt_.texts()[0]));
        prompt_.clear();
        QVERIFY(!form->NetOperations().LastSucceeded);
        QCOMPARE(ReadAll(side), sideBefore);
        QCOMPARE(ReadAll(project_), projectBefore);
    }

    // The tables file read from the program folder without any transfer.
    void readTablesFileCommand()
    {
        const QByteArray tables = ProjectTables();
        QCOMPARE(tables.size(), 2 + 2 * 46380);
        QVERIFY(StartRelay());
        auto form = MakeForm(server_.First().toInt());
        OpenProject(*form);
        QAction *item = MenuItem(*form, "ReadFromFile4FTP1");
        QVERIFY(item);
        item->trigger();
        // What was read is not the project's file any more.
        QCOMPARE(form->ProjectName, LoadStrDll(2));
        QCOMPARE(form->windowTitle(), form->BaseTitle);
        // No boards file came: the tables bring their boards, and say so.
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Warning);
        QVERIFY2(prompt_.texts()[0].startsWith(LoadStrDll(140)) && prompt_.texts()[0].endsWith("E0-L0, E0-L1"),
                 qPrintable(prompt_.texts()[0]));
        prompt_.clear();
        ExpectIdle(*form);
        QCOMPARE(newShown_, 1);
        QCOMPARE(newButtons_, LoadStrDll(31) + QStringLiteral(",-,") + LoadStrDll(120));
        QCOMPARE(form->APult->SlotyDosiek[0].Meno, QStringLiteral("TUL10"));
        QCOMPARE(form->APult->SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        QVERIFY(form->NetOperations().LastSucceeded);
        QVERIFY(form->APult && form->APult->Pulty[1]);
        QCOMPARE(Keys(*form->APult->Pulty[1]), Keys(*Project()->Pulty[1]));
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QVERIFY(Parse(relay_.Lines()).rx.isEmpty());
        QCOMPARE(ReadAll(Local("tabulky.dat")), tables);
    }

    // The tables file command on a missing or refused file: a missing one
    // leaves the open project as it was; a refused one keeps no half-read
    // configuration to be written.
    void readTablesFileRefused()
    {
        auto form = MakeForm(FreePort());
        OpenProject(*form);
        TAPult *before = form->APult;
        QAction *item = MenuItem(*form, "ReadFromFile4FTP1");
        QVERIFY(item);
        item->trigger();
        QCOMPARE(prompt_.texts(), QStringList{Local("tabulky.dat") + QStringLiteral(": no such file")});
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Error);
        prompt_.clear();
        QCOMPARE(newShown_, 0);
        QCOMPARE(form->APult, before);
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        ExpectIdle(*form);

        // One console in the file, two connected in the dialog.
        QVERIFY(WriteAll(Local("tabulky.dat"), netfiles::BuildTablesFile({QByteArray(46380, 0)})));
        item->trigger();
        QCOMPARE(newShown_, 1);
        QCOMPARE(prompt_.texts(),
                 QStringList{QStringLiteral("tabulky.dat: it holds 1 consoles, the configuration has 2 connected")});
        prompt_.clear();
        ExpectIdle(*form);
        QVERIFY(!form->NetOperations().LastSucceeded);
        QVERIFY(!form->APult);
        QVERIFY(ConsoleWindows(*form).isEmpty());
        form->MenuClick();
        QVERIFY(!form->WriteConfig->isEnabled());
    }

    // A console window that stays open when the read closes them: the read
    // asks Abort or Retry; Abort gives up with the project as it was, Retry
    // goes on once the window has closed.
    void readWithAConsoleStayingOpen()
    {
        QVERIFY(StartRelay({"--silent", "5"}));
        auto form = MakeForm(server_.First().toInt());
        OpenProject(*form);
        TAPult *before = form->APult;
        QMdiSubWindow *stuck = nullptr;
        for (QMdiSubWindow *w : form->MdiArea->subWindowList())
            if (w->objectName() == QLatin1String("Pult1"))
                stuck = w;
        QVERIFY(stuck);
        relay_.Clear();
        const QString text29 = LoadStrDll(29);
        const TPrompt::Buttons abortRetry = TPrompt::Bit(TPrompt::Abort) | TPrompt::Bit(TPrompt::Retry);

        CloseEater always(-1);
        stuck->installEventFilter(&always);
        prompt_.Answer(TPrompt::Retry);
        prompt_.Answer(TPrompt::Abort);
        form->ReadConfig->trigger();
        QCOMPARE(prompt_.texts(), (QStringList{text29, text29}));
        for (const TScriptedPrompt::Asked &a : prompt_.asked()) {
            QCOMPARE(a.kind, TPrompt::Kind::Warning);
            QCOMPARE(a.buttons, abortRetry);
        }
        prompt_.clear();
        QCOMPARE(newShown_, 0);
        QCOMPARE(form->APult, before);
        QCOMPARE(ConsoleWindows(*form), QStringList{QStringLiteral("Pult1")});
        ExpectIdle(*form);
        QVERIFY(Parse(relay_.Lines()).rx.isEmpty());
        stuck->removeEventFilter(&always);

        // Open again; the window holds out against one close only.
        form->CloseAllConsoles();
        OpenProject(*form);
        for (QMdiSubWindow *w : form->MdiArea->subWindowList())
            if (w->objectName() == QLatin1String("Pult1"))
                stuck = w;
        CloseEater once(1);
        stuck->installEventFilter(&once);
        prompt_.Answer(TPrompt::Retry);
        form->ReadConfig->trigger();
        // The read went on: the dialog, then the silent relay.
        ExpectRelayCommands(RelayRecord(2), {5, 150});
        QCOMPARE(prompt_.texts(),
                 (QStringList{text29, LoadStrDll(150) + QStringLiteral("\r\nNo answer to relay command 5 within 5 s.")}));
        prompt_.clear();
        QCOMPARE(newShown_, 1);
        ExpectIdle(*form);
        QVERIFY(ConsoleWindows(*form).isEmpty());
    }

    // Write to system: the texts, the relay commands and whether tabulky.dat
    // was uploaded, for a whole write and each way it can fail.
    void write_data()
    {
        QTest::addColumn<QStringList>("relay");    // fakerelay options
        QTest::addColumn<QByteArray>("boards");    // osadenie.dat on the server
        QTest::addColumn<bool>("ftpUp");
        QTest::addColumn<QList<int>>("commands");
        QTest::addColumn<QString>("box");          // kind letter and text start; empty: none
        QTest::addColumn<bool>("uploaded");
        QTest::addColumn<QString>("via");
        const QByteArray good = BoardsFile();
        QTest::newRow("success") << QStringList{} << good << true << QList<int>{5, 10, 3, 9, 5}
                                 << QStringLiteral("I:") + LoadStrDll(71) << true << "WriteConfig";
        QTest::newRow("success from the status window") << QStringList{} << good << true
                                                        << QList<int>{5, 10, 3, 9, 5}
                                                        << QStringLiteral("I:") + LoadStrDll(71) << true << "Button8";
        QTest::newRow("command 10 refused") << QStringList{"--refuse", "10"} << good << true
                                            << QList<int>{5, 10, 153, 5} << QStringLiteral("W:") + LoadStrDll(153)
                                            << false << "DoSystemu";
        QTest::newRow("command 5 refused") << QStringList{"--refuse", "5"} << good << true
                                           << QList<int>{5, 151, 5} << QStringLiteral("W:") + LoadStrDll(151) << false
                                           << "WriteConfig";
        QTest::newRow("command 3 refused after the upload")
            << QStringList{"--refuse", "3"} << good << true << QList<int>{5, 10, 3, 152, 5}
            << QStringLiteral("W:") + LoadStrDll(152) << true << "WriteConfig";
        // The system did not take the tables: no write reported as nothing.
        QTest::newRow("command 9 refused") << QStringList{"--refuse", "9"} << good << true
                                           << QList<int>{5, 10, 3, 9, 156, 5}
                                           << QStringLiteral("W:") + LoadStrDll(156) +
                                                  QStringLiteral("\r\nRelay command 9 was answered with 17.")
                                           << true << "WriteConfig";
        QTest::newRow("command 3 answered by 14") << QStringList{"--reply", "3=14"} << good << true
                                                  << QList<int>{5, 10, 3, 9, 5}
                                                  << QStringLiteral("I:") + LoadStrDll(71) << true << "WriteConfig";
        QTest::newRow("silent relay") << QStringList{"--silent", "5"} << good << true << QList<int>{5, 150, 5}
                                      << QStringLiteral("W:") + LoadStrDll(150) << false << "Button8";
        QTest::newRow("silent on command 9")
            << QStringList{"--silent", "9"} << good << true << QList<int>{5, 10, 3, 9, 150, 5}
            << QStringLiteral("W:") + LoadStrDll(150) + QStringLiteral("\r\nNo answer to relay command 9 within 5 s.")
            << true << "WriteConfig";
        // Nobody at the FTP port: the connect is named, with the FTP link's advice.
        QTest::newRow("FTP down") << QStringList{} << good << false << QList<int>{5, 10, 154, 5}
                                  << QStringLiteral("W:") + LoadStrDll(154) +
                                         QStringLiteral("\r\nThe FTP connect and login failed: FTP 127.0.0.1:")
                                  << false << "WriteConfig";
        QTest::newRow("boards file of odd length")
            << QStringList{} << good + QByteArray(3, 0) << true << QList<int>{5, 10, 5}
            << QStringLiteral("E:osadenie.dat: 15 bytes, not a whole number of 4-byte records") << false
            << "WriteConfig";
        QTest::newRow("boards file naming a slot twice")
            << QStringList{} << good + QByteArray("\x10\x00\x90\x00", 4) << true << QList<int>{5, 10, 5}
            << QStringLiteral("E:osadenie.dat, record 4 (offset 12): a second board for slot 1") << false
            << "WriteConfig";
        QTest::newRow("unknown board code") << QStringList{} << QByteArray("\x30\x00\x33\x00", 4) << true
                                            << QList<int>{5, 10, 5} << QStringLiteral("E:") + LoadStrDll(129) + " 3 ("
                                            << false << "WriteConfig";
        QTest::newRow("a different board in a slot")
            << QStringList{} << QByteArray("\x00\x00\xA0\x00\x10\x00\x90\x00", 8) << true << QList<int>{5, 10, 5}
            << QStringLiteral("E:") + LoadStrDll(135) << false << "WriteConfig";
    }
    void write()
    {
        QFETCH(QStringList, relay);
        QFETCH(QByteArray, boards);
        QFETCH(bool, ftpUp);
        QFETCH(QList<int>, commands);
        QFETCH(QString, box);
        QFETCH(bool, uploaded);
        QFETCH(QString, via);
        QVERIFY(WriteAll(Remote("osadenie.dat"), boards));
        QVERIFY(StartRelay(relay));
        auto form = MakeForm(ftpUp ? server_.First().toInt() : FreePort());
        OpenProject(*form);
        ExpectNoBoxes();
        TAPult *before = form->APult;
        const QStringList stored = Configured(*before);
        relay_.Clear();

        // Opening disables writing until the next status tick refreshes the menus.
        QTRY_VERIFY(form->WriteConfig->isEnabled());
        if (via == QLatin1String("Button8")) {
            // The status window from its menu entry, then its Write button.
            MenuItem(*form, "StatusWindow")->trigger();
            QVERIFY(form->UDPRForm1->isVisible());
            QVERIFY(form->UDPRForm1->Button8->isVisible());
            QTest::mouseClick(form->UDPRForm1->Button8, Qt::LeftButton);
        } else if (via == QLatin1String("DoSystemu")) {
            QTest::mouseClick(form->DoSystemu, Qt::LeftButton);
        } else {
            form->WriteConfig->trigger();
        }

        ExpectRelayCommands(RelayRecord(int(commands.size())), commands);
        QStringList asked;
        for (const TScriptedPrompt::Asked &a : prompt_.asked())
            asked << QStringLiteral("%1:%2").arg(QLatin1Char("EWIC"[int(a.kind)])).arg(a.text);
        prompt_.clear();
        // A write that came as far as the tables file wrote the PC console's side file first.
        QStringList expected;
        if (uploaded)
            expected << QStringLiteral("I:") + SavedText();
        if (!box.isEmpty())
            expected << box;
        QCOMPARE(asked.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(asked[i].startsWith(expected[i]), qPrintable(asked.join(" | ")));
        // A warning box is a "WARNING" entry of the program log too, word for word.
        if (box.startsWith(QLatin1String("W:"))) {
            const QString log = form->Memo1->toPlainText();
            QVERIFY(log.contains(QStringLiteral("WARNING:")));
            for (const QString &line : asked.last().mid(2).split(QStringLiteral("\r\n")))
                QVERIFY2(log.contains(line), qPrintable(line + QStringLiteral(" | ") + log));
        }
        // Only a write that came to its end says it is complete.
        if (!box.startsWith(QLatin1String("I:")))
            QVERIFY(!asked.contains(QStringLiteral("I:") + LoadStrDll(71)));
        ExpectIdle(*form);
        QCOMPARE(form->NetOperations().LastSucceeded, box.startsWith(QLatin1String("I:")));
        QCOMPARE(QFile::exists(Remote("tabulky.dat")), uploaded);
        if (uploaded)
            QCOMPARE(ReadAll(Remote("tabulky.dat")), ReadAll(Local("tabulky.dat")));
        // The project stays open as it was.
        QCOMPARE(form->APult, before);
        // Writing a PC console fills its missing keys as unconfigured ones; all else stays.
        QCOMPARE(Configured(*form->APult), stored);
        QCOMPARE(ConsoleWindows(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form->UDPRForm1->isVisible(), via == QLatin1String("Button8"));
        if (box.startsWith(QLatin1String("I:"))) {
            // The system's boards as the file names them, their codes left open.
            QCOMPARE(form->APult->DoskySystemu[0].Meno, QStringLiteral("TUL10"));
            QCOMPARE(form->APult->DoskySystemu[1].Meno, QStringLiteral("T4W5"));
            QVERIFY(form->APult->DoskySystemu[2].Meno.isEmpty());
            QCOMPARE(int(form->APult->DoskySystemu[0].Kod), 255);
        }
    }

    // A read that fails, at the relay, at the FTP server or on a hostile
    // file, says why, loads nothing and keeps no half-read configuration; the
    // program's own tabulky.dat stays as it was.
    void readFailures_data()
    {
        QTest::addColumn<QStringList>("relay");
        QTest::addColumn<QByteArray>("boards");
        QTest::addColumn<QByteArray>("tables"); // empty: none on the server
        QTest::addColumn<QList<int>>("commands");
        QTest::addColumn<QString>("box");
        const QByteArray good = netfiles::BuildTablesFile({QByteArray(46380, 0), QByteArray(46380, 0)});
        const QList<int> whole{5, 10, 3, 5};
        QTest::newRow("short tables") << QStringList{} << BoardsFile() << good.left(1000) << whole
                                      << QStringLiteral("E:tabulky.dat: 1000 bytes, 92762 expected");
        QTest::newRow("wrong N") << QStringList{} << BoardsFile() << QByteArray("\x00\x01", 2) + good.mid(2) << whole
                                 << QStringLiteral("E:tabulky.dat: it holds 1 consoles, the configuration has 2");
        QTest::newRow("wrong first byte") << QStringList{} << BoardsFile() << QByteArray("\x07", 1) + good.mid(1)
                                          << whole << QStringLiteral("E:tabulky.dat: the first byte is 7, not 0");
        QTest::newRow("tables missing") << QStringList{} << BoardsFile() << QByteArray()
                                        << QList<int>{5, 10, 3, 154, 5} << QStringLiteral("W:") + LoadStrDll(154);
        QTest::newRow("command 3 refused") << QStringList{"--refuse", "3"} << BoardsFile() << good
                                           << QList<int>{5, 10, 3, 152, 5} << QStringLiteral("W:") + LoadStrDll(152);
        QTest::newRow("silent on command 10")
            << QStringList{"--silent", "10"} << BoardsFile() << good << QList<int>{5, 10, 150}
            << QStringLiteral("W:") + LoadStrDll(150) + QStringLiteral("\r\nNo answer to relay command 10 within 5 s.");
        QTest::newRow("boards file naming a slot twice")
            << QStringList{} << BoardsFile() + QByteArray("\x10\x00\x90\x00", 4) << good << QList<int>{5, 10}
            << QStringLiteral("E:osadenie.dat, record 4 (offset 12): a second board for slot 1");
    }
    void readFailures()
    {
        QFETCH(QStringList, relay);
        QFETCH(QByteArray, boards);
        QFETCH(QByteArray, tables);
        QFETCH(QList<int>, commands);
        QFETCH(QString, box);
        if (!tables.isEmpty())
            QVERIFY(WriteAll(Remote("tabulky.dat"), tables));
        QVERIFY(WriteAll(Remote("osadenie.dat"), boards));
        const QByteArray previous("an earlier tabulky.dat");
        QVERIFY(WriteAll(Local("tabulky.dat"), previous));
        QVERIFY(StartRelay(relay));
        auto form = MakeForm(server_.First().toInt());
        // From the status window's Read button.
        MenuItem(*form, "StatusWindow")->trigger();
        QTest::mouseClick(form->UDPRForm1->Button7, Qt::LeftButton);

        ExpectRelayCommands(RelayRecord(int(commands.size())), commands);
        QCOMPARE(prompt_.asked().size(), 1);
        const TScriptedPrompt::Asked a = prompt_.asked()[0];
        prompt_.clear();
        const QString asked = QStringLiteral("%1:%2").arg(QLatin1Char("EWIC"[int(a.kind)])).arg(a.text);
        QVERIFY2(asked.startsWith(box), qPrintable(asked));
        if (a.kind == TPrompt::Kind::Warning) {
            const QString log = form->Memo1->toPlainText();
            QVERIFY(log.contains(QStringLiteral("WARNING:")));
            QVERIFY2(log.contains(a.text.section(QStringLiteral("\r\n"), -1)), qPrintable(log));
        }
        ExpectIdle(*form);
        QVERIFY(!form->NetOperations().LastSucceeded);
        QCOMPARE(ReadAll(Local("tabulky.dat")), previous);
        QVERIFY(!QFile::exists(TNetOperations::FetchedTablesPath()));
        // Nothing read stays: no configuration, no board buttons, no console
        // window, nothing to write to the system.
        QVERIFY(!form->APult);
        QVERIFY(!form->CardOfSlot(0) && !form->CardOfSlot(1));
        QVERIFY(ConsoleWindows(*form).isEmpty());
        form->MenuClick();
        QVERIFY(!form->WriteConfig->isEnabled());
        QVERIFY(form->UDPRForm1->isVisible());
    }

    // New reads the boards over the network; the status window's two relay
    // buttons send their commands.
    void newReadsBoardsAndRelayButtons()
    {
        QVERIFY(WriteAll(Remote("osadenie.dat"), BoardsFile()));
        QVERIFY(StartRelay());
        types_[0] = 2;
        types_[1] = 0;
        auto form = MakeForm(server_.First().toInt());
        form->New1->trigger();
        ExpectRelayCommands(RelayRecord(2), {5, 10});
        ExpectNoBoxes();
        QCOMPARE(newButtons_, LoadStrDll(8) + QLatin1Char(',') + LoadStrDll(5) + QLatin1Char(',') + LoadStrDll(120));
        ExpectIdle(*form);
        QVERIFY(form->APult);
        QCOMPARE(form->APult->SlotyDosiek[0].Meno, QStringLiteral("TUL10"));
        QCOMPARE(form->APult->SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        QVERIFY(form->CardOfSlot(0) && form->CardOfSlot(1));
        QCOMPARE(ConsoleWindows(*form), QStringList{QStringLiteral("Pult0")});
        QCOMPARE(int(form->NewProjectFlag), 1);

        relay_.Clear();
        MenuItem(*form, "StatusWindow")->trigger();
        QTest::mouseClick(form->UDPRForm1->Button4, Qt::LeftButton);
        QTest::mouseClick(form->UDPRForm1->Button1, Qt::LeftButton);
        ExpectRelayCommands(RelayRecord(2), {3, 5});
        // Their replies are logged in the status window.
        QTRY_VERIFY(form->UDPRForm1->M->toPlainText().contains(QStringLiteral("Sprava typ = 8")));
    }

    // The words of every failed wait: its language text, then the step and
    // why; a time-out names the relay command or the FTP step that was
    // running, and the 5 s limit.
    void failureMessages_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("pending"); // kind of the FTP command at the head, 0 none
        QTest::addColumn<int>("failed");  // kind of the last failed FTP command, 0 none
        QTest::addColumn<QString>("text");
        const QString nl = QStringLiteral("\r\n");
        QTest::newRow("relay 10 silent") << 3 << 0 << -1 << 0 << 0
                                         << LoadStrDll(150) + nl + "No answer to relay command 10 within 5 s.";
        QTest::newRow("relay 3 refused") << 1 << 0 << 7 << 0 << 0
                                         << LoadStrDll(152) + nl + "Relay command 3 was answered with 7.";
        QTest::newRow("relay 9 refused") << 8 << 0 << 17 << 0 << 0
                                         << LoadStrDll(156) + nl + "Relay command 9 was answered with 17.";
        QTest::newRow("relay 5 answered") << 2 << 1 << 8 << 0 << 0 << QString();
        QTest::newRow("connect hangs") << 5 << 0 << -1 << int(TCommand::Connect) << 0
                                       << LoadStrDll(150) + nl +
                                              "No answer within 5 s to the FTP connect and login (FTP server h:21).";
        QTest::newRow("upload hangs") << 6 << 0 << -1 << int(TCommand::Upload) << 0
                                      << LoadStrDll(150) + nl +
                                             "No answer within 5 s to the FTP upload of f.dat (FTP server h:21).";
        QTest::newRow("nothing queued") << 5 << 0 << -1 << 0 << 0
                                        << LoadStrDll(150) + nl + "No answer within 5 s to the FTP fetch (FTP server h:21).";
        QTest::newRow("fetch failed") << 5 << 0 << 78 << 0 << int(TCommand::Download)
                                      << LoadStrDll(154) + nl + "The FTP fetch of f.dat failed: why";
        QTest::newRow("upload unsupported") << 6 << 0 << 309 << 0 << 0
                                            << LoadStrDll(155) + nl + "The FTP server h:21 answered 309.";
        QTest::newRow("upload done") << 6 << 1 << 209 << 0 << 0 << QString();
    }
    void failureMessages()
    {
        QFETCH(int, slot);
        QFETCH(int, done);
        QFETCH(int, code);
        QFETCH(int, pending);
        QFETCH(int, failed);
        QFETCH(QString, text);
        const QString file = QStringLiteral("f.dat");
        std::optional<TCommand> head;
        if (pending)
            head = TCommand(pending, pending == TCommand::Connect ? QString() : file, QString());
        TFTPCL::TFailure failure;
        if (failed)
            failure = {failed, file, code, QStringLiteral("why")};
        QCOMPARE(TNetOperations::FailureMessage(slot, Byte(done), code, head, failure, QStringLiteral("h:21")), text);
        QCOMPARE(TNetOperations::FailureTextNumber(slot, Byte(done), code) != 0, !text.isEmpty());
    }

    // Each operation's relay commands and FTP transfers, in the order the
    // relay and the FTP server saw them: New's boards read, Write, Read.
    void operationOrder()
    {
        const QByteArray tables = ProjectTables();
        QCOMPARE(tables.size(), 2 + 2 * 46380);
        QVERIFY(WriteAll(Remote("osadenie.dat"), BoardsFile()));
        QVERIFY(StartRelay());
        struct Operation {
            const char *name;
            QStringList steps;
        };
        const QList<Operation> operations{
            {"New", {"R5", "R10", "RETR osadenie.dat"}},
            {"Write", {"R5", "R10", "RETR osadenie.dat", "STOR tabulky.dat", "R3", "R9", "R5"}},
            {"Read", {"R5", "R10", "RETR osadenie.dat", "R3", "RETR tabulky.dat", "R5"}},
        };
        for (const Operation &op : operations) {
            const QString name = QLatin1String(op.name);
            types_[0] = 1;
            types_[1] = name == QLatin1String("New") ? 0 : 2;
            QVERIFY(WriteAll(Remote("tabulky.dat"), tables));
            auto form = MakeForm(server_.First().toInt());
            if (name == QLatin1String("Write")) {
                OpenProject(*form);
                QTRY_VERIFY(form->WriteConfig->isEnabled());
            }
            relay_.Clear();
            server_.Clear();
            if (name == QLatin1String("New"))
                form->New1->trigger();
            else if (name == QLatin1String("Write"))
                form->WriteConfig->trigger();
            else
                form->ReadConfig->trigger();
            const Received relay = RelayRecord(int(op.steps.filter(QRegularExpression("^R")).size()));
            ExpectRelayCommands(relay, QList<int>(relay.Codes()));
            // The FTP server's last lines (the closing QUIT) may still be on their way.
            QTest::qWait(200);
            QCOMPARE(Steps(relay, server_.Lines()), op.steps);
            QStringList asked = prompt_.texts();
            prompt_.clear();
            if (name == QLatin1String("Write"))
                QCOMPARE(asked, (QStringList{SavedText(), LoadStrDll(71)}));
            else
                QVERIFY2(asked.isEmpty(), qPrintable(asked.join(" | ")));
            ExpectIdle(*form);
        }
    }

    // A refused FTP login is one attempt per operation: the failed step drops
    // the queue before its box opens, so the fetch queued behind the connect
    // never logs in again while the box is up. The box and the log name the
    // login and say what to check.
    void refusedLoginTriedOnce_data()
    {
        QTest::addColumn<QString>("via");
        QTest::addColumn<QList<int>>("commands");
        QTest::newRow("write") << "WriteConfig" << QList<int>{5, 10, 154, 5};
        QTest::newRow("read") << "ReadConfig" << QList<int>{5, 10, 154};
    }
    void refusedLoginTriedOnce()
    {
        QFETCH(QString, via);
        QFETCH(QList<int>, commands);
        QVERIFY(WriteAll(Remote("osadenie.dat"), BoardsFile()));
        QVERIFY(StartRelay());
        auto form = MakeForm(server_.First().toInt(), QStringLiteral("not the password"));
        if (via == QLatin1String("WriteConfig")) {
            OpenProject(*form);
            QTRY_VERIFY(form->WriteConfig->isEnabled());
        }
        relay_.Clear();
        server_.Clear();
        prompt_.LoopMs = 600; // ten status ticks behind the box
        (via == QLatin1String("WriteConfig") ? form->WriteConfig : form->ReadConfig)->trigger();
        ExpectRelayCommands(RelayRecord(int(commands.size())), commands);
        QTest::qWait(300);
        QCOMPARE(Logins(server_.Lines()), 1);
        QCOMPARE(prompt_.asked().size(), 1);
        const QString text = prompt_.texts()[0];
        prompt_.clear();
        const QString step = QStringLiteral("The FTP connect and login failed: FTP 127.0.0.1:%1: the login was "
                                            "refused. Check the user name and the password given with -i.")
                                 .arg(server_.First());
        QVERIFY2(text.startsWith(LoadStrDll(154) + QStringLiteral("\r\n") + step), qPrintable(text));
        for (const char *serial : {"adapter", "KELVARA_COM", "dialout", "serial"})
            QVERIFY2(!text.contains(QLatin1String(serial)), qPrintable(text));
        QVERIFY(form->Memo1->toPlainText().contains(step));
        ExpectIdle(*form);
        QVERIFY(!form->NetOperations().LastSucceeded);
    }

    // A fetch that the server never answers: the box and the log name the
    // fetch of osadenie.dat and the 5 s limit; the fetch is given up, and its
    // late end is logged but answers nothing. The next read goes through.
    void hungFetch()
    {
        const QByteArray tables = ProjectTables();
        QCOMPARE(tables.size(), 2 + 2 * 46380);
        QVERIFY(WriteAll(Remote("tabulky.dat"), tables));
        QVERIFY(WriteAll(Remote("osadenie.dat"), BoardsFile()));
        Peer hanging;
        QVERIFY(hanging.Start({QStringLiteral(KELVARA_SOURCE_DIR "/tests/comm/ftpserver.py"), "--user", User,
                               "--password", Password, "--dir", ftp_.path(), "--log", "--stall",
                               "osadenie.dat:30:1"}));
        QVERIFY(StartRelay());
        auto form = MakeForm(hanging.First().toInt());
        prompt_.LoopMs = 300;
        form->ReadConfig->trigger();
        ExpectRelayCommands(RelayRecord(3), {5, 10, 150});
        const QString text = LoadStrDll(150) +
                             QStringLiteral("\r\nNo answer within 5 s to the FTP fetch of osadenie.dat (FTP server "
                                            "127.0.0.1:%1).")
                                 .arg(hanging.First());
        QCOMPARE(prompt_.texts(), QStringList{text});
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Warning);
        prompt_.clear();
        QVERIFY(form->Memo1->toPlainText().contains(text.section(QStringLiteral("\r\n"), 1)));
        QTRY_VERIFY(form->UDPRForm1->M->toPlainText().contains(QStringLiteral("not counted")));
        QTest::qWait(200);
        // What came late filled no slot.
        QCOMPARE(form->NetResult[5].Code, -1);
        QCOMPARE(form->NetResult[6].Code, -1);
        QVERIFY(!form->FTPCL->Busy());
        QCOMPARE(form->FTPCL->QueueCount(), 0);
        ExpectIdle(*form);
        QVERIFY(!form->APult);

        // The server answers now: the next read is whole, with no box.
        relay_.Clear();
        form->ReadConfig->trigger();
        ExpectRelayCommands(RelayRecord(4), {5, 10, 3, 5});
        ExpectNoBoxes();
        QVERIFY(form->NetOperations().LastSucceeded);
        QVERIFY(form->APult);
        QCOMPARE(form->APult->SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        QCOMPARE(ReadAll(Local("tabulky.dat")), tables);
    }

    // Fetched tables that cannot replace the program's tabulky.dat: the read
    // fails and says so; no configuration stays, no stale file counts as read.
    void fetchedTablesCannotBePutInPlace()
    {
        const QByteArray tables = ProjectTables();
        QCOMPARE(tables.size(), 2 + 2 * 46380);
        QVERIFY(WriteAll(Remote("tabulky.dat"), tables));
        QVERIFY(WriteAll(Remote("osadenie.dat"), BoardsFile()));
        // A folder where the file belongs, and not an empty one.
        QFile::remove(Local("tabulky.dat"));
        QVERIFY(QDir(program_.path()).mkpath(QStringLiteral("tabulky.dat/kept")));
        struct TRemove {
            QString path;
            ~TRemove() { QDir(path).removeRecursively(); }
        } remove{Local("tabulky.dat")};
        QVERIFY(StartRelay());
        auto form = MakeForm(server_.First().toInt());
        form->ReadConfig->trigger();
        ExpectRelayCommands(RelayRecord(4), {5, 10, 3, 5});
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Error);
        QVERIFY2(prompt_.texts()[0].startsWith(Local("tabulky.dat") +
                                               QStringLiteral(": the fetched file cannot be put in place (")),
                 qPrintable(prompt_.texts()[0]));
        prompt_.clear();
        ExpectIdle(*form);
        QVERIFY(!form->NetOperations().LastSucceeded);
        QVERIFY(!form->APult);
        QVERIFY(ConsoleWindows(*form).isEmpty());
        QVERIFY(!QFile::exists(TNetOperations::FetchedTablesPath()));
        QVERIFY(QFileInfo(Local("tabulky.dat/kept")).isDir());
    }

    // While a write runs, the status window's four buttons are off: clicks on
    // the relay buttons send nothing into the middle of the write, and a
    // click on Read or Write starts nothing. After it, they work again.
    void buttonsOffDuringAWrite()
    {
        QVERIFY(WriteAll(Remote("osadenie.dat"), BoardsFile()));
        QVERIFY(StartRelay({"--delay", "0.25"}));
        auto form = MakeForm(server_.First().toInt());
        OpenProject(*form);
        QTRY_VERIFY(form->WriteConfig->isEnabled());
        MenuItem(*form, "StatusWindow")->trigger();
        TUDPRForm1 *w = form->UDPRForm1;
        QVERIFY(w->isVisible());
        relay_.Clear();
        QList<QPushButton *> buttons{w->Button4, w->Button1, w->Button7, w->Button8};
        QStringList during;
        int clicks = 0;
        QTimer clicker;
        clicker.setInterval(150);
        connect(&clicker, &QTimer::timeout, this, [&] {
            if (form->Dialogue().OperationMode != opmode::NetWrite)
                return;
            for (QPushButton *b : buttons) {
                during << QStringLiteral("%1=%2").arg(b->objectName()).arg(b->isEnabled());
                QTest::mouseClick(b, Qt::LeftButton);
            }
            ++clicks;
        });
        clicker.start();
        QTest::mouseClick(w->Button8, Qt::LeftButton);
        clicker.stop();
        QVERIFY(clicks >= 2);
        QCOMPARE(during.filter(QStringLiteral("=true")), QStringList());
        ExpectRelayCommands(RelayRecord(5), {5, 10, 3, 9, 5});
        QCOMPARE(prompt_.texts(), (QStringList{SavedText(), LoadStrDll(71)}));
        prompt_.clear();
        ExpectIdle(*form);
        for (QPushButton *b : buttons)
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        // At rest the relay buttons send again.
        relay_.Clear();
        QTest::mouseClick(w->Button4, Qt::LeftButton);
        ExpectRelayCommands(RelayRecord(1), {3});
    }
};

QTEST_MAIN(TestNetworkMode)
#include "test_network.moc"
