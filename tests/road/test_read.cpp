// Read from system through the main window against the simulated system on a
// pseudo-terminal: the configuration, the console windows, the logs, and the
// watchdog when the system stays silent.
#include <QtTest>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "comm/com_orva.h"
#include "dialogue/dialogue.h"
#include "mainwindow/mainform_dialogue.h"
#include <QTimer>

#include "mainwindow/mainform.h"
#include "mainwindow/mainwidgets.h"
#include "model/objekty.h"
#include "platform/langlib.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "windows/mdichild.h"
#include "windows/novypult.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace
{

// tools/orvasim.py on its pseudo-terminal, recording what it received.
class TSimulator
{
public:
    explicit TSimulator(const QStringList &args)
    {
        record = dir.filePath(QStringLiteral("record.txt"));
        process.setProgram(QStringLiteral("/usr/bin/python3"));
        process.setArguments(QStringList{QStringLiteral(KELVARA_SOURCE_DIR "/tools/orvasim.py"),
                                         QStringLiteral("--record"), record}
                             + args);
        process.start();
        if (!process.waitForStarted(10000))
            return;
        QElapsedTimer clock;
        clock.start();
        while (!process.canReadLine() && clock.elapsed() < 20000)
            process.waitForReadyRead(100);
        const QByteArray line = process.readLine().trimmed();
        if (line.startsWith("PTY "))
            path = QString::fromLocal8Bit(line.mid(4));
    }
    ~TSimulator()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.write("quit\n");
        process.closeWriteChannel();
        if (!process.waitForFinished(5000)) {
            process.terminate();
            if (!process.waitForFinished(3000))
                process.kill();
            process.waitForFinished(1000);
        }
    }
    // The commands of the frames it received, in order.
    QList<int> Received() const
    {
        QList<int> commands;
        QFile f(record);
        if (!f.open(QIODevice::ReadOnly))
            return commands;
        for (const QByteArray &raw : f.readAll().split('\n')) {
            const QList<QByteArray> parts = raw.trimmed().split(' ');
            if (parts.size() == 3 && parts[1] == "rx") {
                const QByteArray wire = QByteArray::fromHex(parts[2]);
                if (wire.size() > 2)
                    commands << Byte(wire[2]);
            }
        }
        return commands;
    }

    QTemporaryDir dir;
    QString record;
    QProcess process;
    QString path;
};

QStringList consoleWindowNames(TMainForm1 &form)
{
    QStringList names;
    for (QMdiSubWindow *w : form.MdiArea->subWindowList())
        if (auto *c = qobject_cast<TMDIChild *>(w))
            names << c->objectName();
    names.sort();
    return names;
}

QString keyName(const TAPult &a, int console, int key)
{
    const TPult *p = a.Pulty[console].get();
    return p && p->Klavesy[key] ? p->Klavesy[key]->MenoKlavesy : QStringLiteral("<none>");
}

} // namespace

class TestRoadRead : public QObject
{
    Q_OBJECT

    QTemporaryDir folder_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

    // A main window on COM1 = the simulator, the new-console dialog answered
    // with two mechanical consoles and Read.
    std::unique_ptr<TMainForm1> makeForm(const QString &device)
    {
        qputenv("KELVARA_COM1", device.toLocal8Bit());
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1024, 768));
        form->PortNumber = 1;
        form->DialogueSide().NovyPultExec = [](TNovyPult &dialog) {
            dialog.SetRadioIndex(0, 2);
            dialog.SetRadioIndex(1, 2);
            dialog.Nastav(0);
            dialog.Nastav(1);
            dialog.NacitanieClick();
            return int(NovyPultRead);
        };
        return form;
    }

private slots:
    void initTestCase()
    {
        // The idle window offers the start dialog; here it is left at once.
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
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
    }

    void cleanupTestCase()
    {
        platform::SetTimeScale(1.0);
        platform::SetProgramFolder(QString());
    }

    void readsBothConsoles()
    {
        TSimulator sim({});
        QVERIFY2(!sim.path.isEmpty(), "simulator gave no pseudo-terminal");
        auto form = makeForm(sim.path);
        // The console question for each console: OK.
        prompt_.Answer(TPrompt::Ok);
        prompt_.Answer(TPrompt::Ok);

        form->ZoSystemu->click();
        QTRY_VERIFY_WITH_TIMEOUT(form->DialogueIdle(), 60000);

        const QStringList asked = prompt_.texts();
        const QString question = LoadStrDll(56) + QStringLiteral(" 0 ") + LoadStrDll(57);
        QCOMPARE(asked.value(0), question);
        QCOMPARE(asked.value(1), LoadStrDll(56) + QStringLiteral(" 1 ") + LoadStrDll(57));
        QCOMPARE(prompt_.asked().value(0).title, LoadStrDll(63));
        // No failure box: only the two questions (the conversion may report
        // unconfigured keys, which is no failure of the read).
        for (const TScriptedPrompt::Asked &a : prompt_.asked())
            QVERIFY2(a.kind != TPrompt::Kind::Error || a.text.startsWith(LoadStrDll(40)), qPrintable(a.text));

        QVERIFY(form->APult);
        const TAPult &a = *form->APult;
        QCOMPARE(a.SlotyDosiek[0].Meno, QStringLiteral("TUL10"));
        QCOMPARE(a.SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        QCOMPARE(a.SlotyDosiek[16].Meno, QStringLiteral("TUL10"));
        QCOMPARE(int(a.SlotyDosiek[0].Kod), 71);
        QCOMPARE(int(a.SlotyDosiek[1].Kod), 148);
        // The boards have their card buttons.
        QVERIFY(form->CardOfSlot(0) && form->CardOfSlot(1) && form->CardOfSlot(16));
        QVERIFY(!form->CardOfSlot(2));

        QCOMPARE(keyName(a, 0, 0), QStringLiteral("L0 MB-0"));
        QCOMPARE(keyName(a, 0, 2), QStringLiteral("L0 UB-2"));
        QCOMPARE(keyName(a, 1, 1), QStringLiteral("L0 Bre-6"));
        const TKlavesa &k0 = *a.Pulty[0]->Klavesy[0];
        QCOMPARE(int(k0.NumLin), 0);
        QCOMPARE(int(k0.HWPozicDosky), 0);
        QCOMPARE(int(k0.PozicLinky), 0);
        // The line names its key back.
        QVERIFY(a.Pulty[0]->Dosky[0]);
        QVERIFY(a.Pulty[0]->Dosky[0]->Linky[0]);
        QCOMPARE(int(a.Pulty[0]->Dosky[0]->Linky[0]->Klavesa), 0);
        // Console 1's key 0 on line 0 too, its key 1 on line 10 (slot 2, line 0).
        QCOMPARE(int(a.Pulty[1]->Klavesy[0]->NumLin), 0);
        for (int n = 0; n < 2; ++n)
            for (int k = 0; k < 224; ++k)
                QVERIFY(a.Pulty[n]->Klavesy[k]);

        QCOMPARE(consoleWindowNames(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
        QCOMPARE(form->StatusBar1->Text(0), LoadStrDll(71));
        // The interface is back.
        QVERIFY(form->SpeedBar1->isEnabled());
        QVERIFY(form->Dialogue().UserInterfaceUnlocked);
        QVERIFY(form->ZoSystemu->isEnabled());

        // The frames went to the communication log, the logs to their files.
        const QString comm = form->Memo2->toPlainText();
        QVERIFY(comm.contains(QStringLiteral("Citanie z ORVY")));
        QVERIFY(comm.contains(QStringLiteral("Citanie z pultu")));
        QVERIFY(comm.contains(QStringLiteral(" - odpoved na nacitanie dosiek")));
        QVERIFY(!QDir(form->LogFolder()).entryList(QDir::Files).isEmpty());

        // Test and boards once, the system tables of both consoles, then both consoles' tables.
        const QList<int> rx = sim.Received();
        QCOMPARE(rx.count(0x01), 1);
        QCOMPARE(rx.count(0x02), 2);
        QCOMPARE(rx.count(0x81), 2);
        QCOMPARE(rx.count(0x82), 2);
        QCOMPARE(rx.count(0x83), 0);
    }

    // The window is shown and activated for the first time while a read runs:
    // the first activation keeps the open port and offers no start dialog.
    void lateActivationKeepsThePort()
    {
        TSimulator sim({});
        QVERIFY2(!sim.path.isEmpty(), "simulator gave no pseudo-terminal");
        auto form = makeForm(sim.path);
        prompt_.Answer(TPrompt::Ok);
        prompt_.Answer(TPrompt::Ok);
        QCOMPARE(form->FirstActivation, Byte(1));
        form->ZoSystemu->click();
        QVERIFY(form->ComPort);
        QVERIFY(form->ComPort->Open());
        QVERIFY(!form->DialogueIdle());
        TApdA *port = form->ComPort;

        form->show();
        form->activateWindow();
        QTRY_COMPARE(form->FirstActivation, Byte(0));
        QCOMPARE(form->ComPort, port);
        QCOMPARE(form->StartDialogShows, 0);
        QTRY_VERIFY_WITH_TIMEOUT(form->DialogueIdle(), 60000);
        QCOMPARE(form->ComPort, port);
        QCOMPARE(form->StartDialogShows, 0);
        // The read ended as without the activation.
        QVERIFY(form->APult);
        QCOMPARE(keyName(*form->APult, 0, 0), QStringLiteral("L0 MB-0"));
        QCOMPARE(keyName(*form->APult, 1, 1), QStringLiteral("L0 Bre-6"));
        QCOMPARE(form->StatusBar1->Text(0), LoadStrDll(71));
        QCOMPARE(prompt_.asked().size(), 2);
        for (const TScriptedPrompt::Asked &a : prompt_.asked())
            QVERIFY2(a.kind != TPrompt::Kind::Error, qPrintable(a.text));
        const QList<int> rx = sim.Received();
        QCOMPARE(rx.count(0x81), 2);
        QCOMPARE(consoleWindowNames(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
    }

    // A second read is refused while one runs; the console question answered
    // Cancel for console 1 leaves its tables unread.
    void cancelledConsoleAndBusy()
    {
        TSimulator sim({});
        QVERIFY(!sim.path.isEmpty());
        auto form = makeForm(sim.path);
        prompt_.Answer(TPrompt::Ok);
        prompt_.Answer(TPrompt::Cancel);
        form->ReadFromSystemClick();
        QVERIFY(form->Dialogue().OperationMode != 0);
        const int asked = int(prompt_.asked().size());
        form->ReadFromSystemClick(); // busy: nothing happens
        QCOMPARE(int(prompt_.asked().size()), asked);
        QTRY_VERIFY_WITH_TIMEOUT(form->DialogueIdle(), 60000);
        QVERIFY(form->APult);
        QCOMPARE(keyName(*form->APult, 0, 0), QStringLiteral("L0 MB-0"));
        const QList<int> rx = sim.Received();
        QCOMPARE(rx.count(0x81), 1);
        QCOMPARE(consoleWindowNames(*form), (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1")}));
    }

    // The system stays silent: the watchdog gives up with its question, OK
    // ends the session with no configuration and no windows.
    void silentSystem()
    {
        platform::SetTimeScale(0.01);
        TSimulator sim({QStringLiteral("--fault"), QStringLiteral("no-answer,always")});
        QVERIFY(!sim.path.isEmpty());
        auto form = makeForm(sim.path);
        // The idle start action empties panel 0 on its next tick; look before it.
        form->TimerStatus->stop();
        prompt_.Answer(TPrompt::Ok); // the watchdog's box: give up
        form->ReadFromSystemClick();
        QTRY_VERIFY_WITH_TIMEOUT(form->DialogueIdle(), 60000);
        QCOMPARE(prompt_.asked().size(), 1);
        const TScriptedPrompt::Asked box = prompt_.asked().first();
        QCOMPARE(box.kind, TPrompt::Kind::Error);
        QVERIFY(box.text.startsWith(LoadStrDll(61)));
        QCOMPARE(box.buttons, TPrompt::Bit(TPrompt::Ok) | TPrompt::Bit(TPrompt::Retry));
        QVERIFY(!form->APult);
        QVERIFY(consoleWindowNames(*form).isEmpty());
        QVERIFY(form->StatusBar1->Text(0).startsWith(LoadStrDll(61)));
        QVERIFY(form->SpeedBar1->isEnabled());
        QVERIFY(form->Memo1->toPlainText().contains(LoadStrDll(61)));
        // Only the test request went out, five ticks long.
        QCOMPARE(sim.Received(), QList<int>{0x00});
    }

    // A key whose board code contradicts its slot's board: the conversion
    // refuses it, the session ends without configuration, windows or success.
    void refusedBoard()
    {
        QTemporaryDir dir;
        const QString fixture = dir.filePath(QStringLiteral("fixture.json"));
        QVERIFY(QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                  {QStringLiteral(KELVARA_SOURCE_DIR "/tools/orvasim.py"),
                                   QStringLiteral("--write-fixture"), fixture})
                == 0);
        QFile f(fixture);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
        f.close();
        QJsonArray consoles = root[QStringLiteral("consoles")].toArray();
        QJsonObject c0 = consoles[0].toObject();
        QJsonArray records = c0[QStringLiteral("key_records")].toArray();
        QString record = records[0].toString();
        QCOMPARE(record.right(2).toInt(nullptr, 16), 71); // key 0 on the UL10 in slot 0
        record = record.left(record.size() - 2) + QStringLiteral("94");  // the 4W5's code
        records[0] = record;
        c0[QStringLiteral("key_records")] = records;
        consoles[0] = c0;
        root[QStringLiteral("consoles")] = consoles;
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(root).toJson());
        f.close();

        TSimulator sim({QStringLiteral("--config"), fixture});
        QVERIFY(!sim.path.isEmpty());
        auto form = makeForm(sim.path);
        prompt_.Answer(TPrompt::Ok);
        prompt_.Answer(TPrompt::Ok);
        form->ReadFromSystemClick();
        QTRY_VERIFY_WITH_TIMEOUT(form->DialogueIdle(), 60000);
        bool warned = false;
        for (const TScriptedPrompt::Asked &a : prompt_.asked())
            warned = warned || (a.kind == TPrompt::Kind::Warning && a.text.startsWith(LoadStrDll(141)));
        QVERIFY2(warned, qPrintable(prompt_.texts().join(QStringLiteral(" | "))));
        QVERIFY(!form->APult);
        QVERIFY(consoleWindowNames(*form).isEmpty());
        QVERIFY(form->StatusBar1->Text(0) != LoadStrDll(71));
        QVERIFY(form->SpeedBar1->isEnabled());
        QVERIFY(!form->CardOfSlot(0));
    }

    // Quiet: no console question, no windows, no log files; the
    // configuration is read all the same.
    void quietRead()
    {
        TSimulator sim({});
        QVERIFY(!sim.path.isEmpty());
        auto form = makeForm(sim.path);
        QDir(form->LogFolder()).removeRecursively();
        form->test->setText(QStringLiteral("NoQuestion"));
        form->ReadFromSystemClick();
        QTRY_VERIFY_WITH_TIMEOUT(form->DialogueIdle(), 60000);
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(QStringLiteral(" | "))));
        QVERIFY(form->APult);
        QCOMPARE(keyName(*form->APult, 1, 1), QStringLiteral("L0 Bre-6"));
        QVERIFY(consoleWindowNames(*form).isEmpty());
        QCOMPARE(form->StatusBar1->Text(0), LoadStrDll(71));
        QVERIFY(QDir(form->LogFolder()).entryList(QDir::Files).isEmpty());
    }

    // The port cannot be opened: the error, no session.
    void portMissing()
    {
        auto form = makeForm(QStringLiteral("/dev/nonexistent-kelvara-port"));
        form->ReadFromSystemClick();
        QTRY_VERIFY_WITH_TIMEOUT(form->DialogueIdle(), 10000);
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked().first().text, LoadStrDll(143) + QStringLiteral(" (COM 1)"));
        QVERIFY(!form->APult);
        QVERIFY(form->SpeedBar1->isEnabled());
    }
};

QTEST_MAIN(TestRoadRead)
#include "test_read.moc"
