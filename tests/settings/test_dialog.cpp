// The settings dialog through the main window's menu item and tool button:
// the port list and the port test on pseudo-terminals, what OK and Cancel
// apply, the capacity question, the function numbers, and the console layout
// change that follows a new layout.
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>

#include <functional>

#include "cardpack/dll_load.h"
#include "editing/keybinding.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainwidgets.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "tests/comm/ptypeer.h"
#include "tests/dialogue/simpeer.h"
#include "tests/fixture/fixture.h"
#include "windows/colorbutton.h"
#include "windows/mdichild.h"
#include "windows/nastav.h"
#include "windows/prompt.h"
#include "windows/wizard.h"

namespace
{

const QString Nowhere = QStringLiteral("/nonexistent/kelvara-tty");

QByteArray readAll(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The fixture with card types the card package knows.
std::unique_ptr<TAPult> project()
{
    auto cfg = fixture::BuildFixture();
    for (int s = 2; s <= 4; ++s)
        cfg->SlotyDosiek[s].Meno.clear();
    cfg->Pulty[1]->Dosky[2].reset(); // its card went with the slot's name
    return cfg;
}

QList<TMDIChild *> consoleWindows(TMainForm1 &form)
{
    QList<TMDIChild *> list;
    for (QMdiSubWindow *w : form.MdiArea->subWindowList())
        if (auto *c = qobject_cast<TMDIChild *>(w); c && !c->isHidden())
            list << c;
    return list;
}

void click(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
}

// Chooses a port in the list with the arrow keys, as the user does.
bool choosePort(QComboBox *list, const QString &text)
{
    const int wanted = list->findText(text);
    if (wanted < 0)
        return false;
    list->setFocus();
    while (list->currentIndex() != wanted) {
        const int before = list->currentIndex();
        QTest::keyClick(list, list->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
        if (list->currentIndex() == before)
            return false;
    }
    return true;
}

// A wire frame of the system: A5 5A, header, data, sum.
QByteArray wire(Byte command, const QByteArray &data)
{
    QByteArray f = QByteArray::fromHex("a55a");
    f += char(command);
    f += '\0';
    f += '\0';
    f += char(data.size() >> 8);
    f += char(data.size() & 0xFF);
    f += data;
    unsigned sum = 0;
    for (char c : f)
        sum += Byte(c);
    f += char(sum & 0xFF);
    return f;
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    int shown_ = 0;

    std::unique_ptr<TMainForm1> makeForm()
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->resize(1200, 900);
        form->show();
        return form;
    }

    std::unique_ptr<TMainForm1> openProject(std::function<void(TAPult &)> change = {})
    {
        auto cfg = project();
        if (change)
            change(*cfg);
        const QString name = dir_.filePath(QStringLiteral("proj.orv"));
        cfg->SaveToFile(name);
        auto form = makeForm();
        if (!form->OpenProjectByName(name))
            return nullptr;
        prompt_.clear();
        return form;
    }

    // Opens the dialog as the user does (menu item, or the tool button) and
    // runs `drive` inside its modal loop; the dialog's result.
    int settings(TMainForm1 &form, const std::function<void(TNastav1 &)> &drive, bool toolButton = false)
    {
        int result = -1;
        TMainForm1::SettingsDialogExec = [&](TNastav1 &d) {
            ++shown_;
            QTimer::singleShot(0, &d, [&d, &drive] {
                drive(d);
                if (d.isVisible())
                    d.reject();
            });
            result = d.exec();
            return result;
        };
        if (toolButton)
            form.sbConfig->click();
        else
            form.Config1->trigger();
        TMainForm1::SettingsDialogExec = nullptr;
        return result;
    }

    static void pointPorts(const QHash<int, QString> &ports)
    {
        for (int n = 1; n <= 8; ++n)
            qputenv(qPrintable(QStringLiteral("KELVARA_COM%1").arg(n)), ports.value(n, Nowhere).toLocal8Bit());
    }

    void expectNoBoxes()
    {
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(QStringLiteral(" | "))));
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
    }

    void init()
    {
        // Every test starts from the default settings, not from a port an earlier one chose.
        QFile::remove(platform::WritePath(QStringLiteral("cfg.ini")));
        prompt_.clear();
        pointPorts({});
        platform::SetTimeScale(1.0);
        shown_ = 0;
    }

    void cleanup() { platform::SetTimeScale(1.0); }

    // An answering system: both tests end with the success text well within 4.2 s.
    void portTestAnswers()
    {
        TSimPeer sim({});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        pointPorts({{3, sim.path}});
        auto form = makeForm();
        QStringList ports;
        QString device, a, p, log;
        qint64 elapsed = -1;
        bool memoShown = true;
        QString selected;
        settings(*form, [&](TNastav1 &d) {
            for (int i = 0; i < d.ComboBox1->count(); ++i)
                ports << d.ComboBox1->itemText(i);
            selected = d.ComboBox1->currentText();
            QVERIFY(choosePort(d.ComboBox1, QStringLiteral("COM3")));
            device = d.lDevice->text();
            click(d.TestOrvy);
            click(d.TestPultu);
            QElapsedTimer clock;
            clock.start();
            QTest::mouseClick(d.Test, Qt::LeftButton);
            elapsed = clock.elapsed();
            a = d.LabTestA->text();
            p = d.LabTestP->text();
            log = d.Memo1->toPlainText();
            memoShown = d.Memo1->isVisible();
            QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
        }, true);
        QCOMPARE(shown_, 1);
        // The configured port is offered, and chosen, though it does not open now.
        QCOMPARE(ports, (QStringList{QStringLiteral("COM1"), QStringLiteral("COM3")}));
        QCOMPARE(selected, QStringLiteral("COM1"));
        QCOMPARE(device, sim.path);
        QCOMPARE(a, LoadStrDll(31));
        QCOMPARE(p, LoadStrDll(31));
        QVERIFY2(elapsed < 4200, qPrintable(QString::number(elapsed)));
        QVERIFY(!memoShown);
        QVERIFY(log.contains(QStringLiteral("poslany prikaz:")));
        QVERIFY(log.contains(QStringLiteral("80 00 00 00 00 [Hex]")));
        QVERIFY(log.contains(QStringLiteral("prijate data:")));
        QStringList commands;
        for (const QByteArray &f : sim.Frames(QStringLiteral("rx")))
            commands << QString::number(Byte(f[2]), 16);
        QCOMPARE(commands, (QStringList{"0", "80"}));
        QVERIFY(readAll(platform::WritePath(QStringLiteral("COM3.trc"))).contains("tx 00 00 00 00 00"));
        // Cancel: the port stays as it was.
        QCOMPARE(form->PortNumber, Byte(1));
        expectNoBoxes();
    }

    // A silent system: the time-out text, and the log stays in view.
    void portTestSilent()
    {
        TSimPeer sim({QStringLiteral("--fault"), QStringLiteral("no-answer,always")});
        QVERIFY2(sim.Ok(), qPrintable(sim.error));
        pointPorts({{2, sim.path}});
        platform::SetTimeScale(0.1);
        auto form = openProject();
        QVERIFY(form);
        QString a;
        bool memoShown = false;
        qint64 elapsed = 0;
        settings(*form, [&](TNastav1 &d) {
            QVERIFY(choosePort(d.ComboBox1, QStringLiteral("COM2")));
            click(d.TestOrvy);
            QElapsedTimer clock;
            clock.start();
            QTest::mouseClick(d.Test, Qt::LeftButton);
            elapsed = clock.elapsed();
            a = d.LabTestA->text();
            memoShown = d.Memo1->isVisible();
            QVERIFY(d.TestOrvy->isChecked()); // put back as it was
            QCOMPARE(d.Test->text(), LoadStrDll(196));
            QTest::mouseClick(d.BtnOK, Qt::LeftButton);
        });
        QCOMPARE(a, LoadStrDll(197));
        QVERIFY(memoShown);
        QVERIFY2(elapsed >= 400 && elapsed < 3000, qPrintable(QString::number(elapsed)));
        // OK takes the port and writes it down.
        QCOMPARE(form->PortNumber, Byte(2));
        QVERIFY(readAll(form->SettingsFileName()).contains("COMport=2"));
        expectNoBoxes();
    }

    // The largest frame the link takes, and frames whose length field lies.
    void portTestOversizedFrame()
    {
        PtyPeer peer;
        QVERIFY(peer.Ok());
        pointPorts({{1, peer.slavePath}});
        auto form = makeForm();
        QString a, log;
        QTimer answer;
        answer.setInterval(5);
        QByteArray seen;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            char buffer[256];
            const ssize_t n = ::read(peer.master, buffer, sizeof buffer);
            if (n > 0)
                seen.append(buffer, n);
            if (seen.size() >= 8) { // the whole request
                answer.stop();
                QByteArray data(10235, '\x7F');
                peer.Write(wire(0x00, data));
            }
        });
        settings(*form, [&](TNastav1 &d) {
            click(d.TestOrvy);
            answer.start();
            QTest::mouseClick(d.Test, Qt::LeftButton);
            a = d.LabTestA->text();
            // A frame far shorter than its length field says, straight from a handler.
            d.Memo1->clear();
            d.FAwaited = 6;
            d.ComDataReceived(QByteArray::fromHex("00000fffff"));
            d.ComDataReceived(QByteArray::fromHex("0a"));
            log = d.Memo1->toPlainText();
            QCOMPARE(d.FAwaited, 0);
            QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
        });
        QCOMPARE(a, LoadStrDll(31));
        QVERIFY(log.contains(QStringLiteral("000 000 00F 0FF 0FF [Hex]")));
        QVERIFY(log.contains(QStringLiteral("00A [Hex]")));
        expectNoBoxes();
    }

    // No usable port and none configured: the list is empty, the test
    // refuses, OK leaves port 0.
    void portTestWithoutPorts()
    {
        auto form = openProject();
        QVERIFY(form);
        form->PortNumber = 0;
        int count = -1;
        settings(*form, [&](TNastav1 &d) {
            count = d.ComboBox1->count();
            click(d.TestOrvy);
            QTest::mouseClick(d.Test, Qt::LeftButton);
            QCOMPARE(d.LabTestA->text(), QString());
            QTest::mouseClick(d.BtnOK, Qt::LeftButton);
        });
        QCOMPARE(count, 0);
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Error);
        QVERIFY(prompt_.texts()[0].startsWith(LoadStrDll(143)));
        QVERIFY(prompt_.texts()[0].contains(QStringLiteral("no serial port is listed")));
        QCOMPARE(form->PortNumber, Byte(0));
        QCOMPARE(form->StatusBar1->Text(3), QStringLiteral("  COM0  "));
    }

    void configuredPortKept_data()
    {
        QTest::addColumn<int>("usable");     // a port that opens now; 0 none
        QTest::addColumn<QString>("chosen"); // the engineer's choice; empty: none
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("expected");
        QTest::newRow("no port opens") << 0 << QString() << QStringList{"COM4"} << 4;
        QTest::newRow("another port opens") << 2 << QString() << QStringList{"COM2", "COM4"} << 4;
        QTest::newRow("another port chosen") << 2 << "COM2" << QStringList{"COM2", "COM4"} << 2;
    }
    // The configured port is unplugged: the list still offers it, selected,
    // and OK keeps it in cfg.ini unless the engineer chose another.
    void configuredPortKept()
    {
        QFETCH(int, usable);
        QFETCH(QString, chosen);
        QFETCH(QStringList, listed);
        QFETCH(int, expected);
        PtyPeer peer;
        QVERIFY(peer.Ok());
        QHash<int, QString> ports;
        if (usable)
            ports.insert(usable, peer.slavePath);
        pointPorts(ports);
        auto form = openProject();
        QVERIFY(form);
        form->PortNumber = 4;
        QVERIFY(form->SaveSettings(form->SettingsFileName()));
        QVERIFY(readAll(form->SettingsFileName()).contains("COMport=4"));
        QStringList offered;
        QString selected, device;
        const int result = settings(*form, [&](TNastav1 &d) {
            for (int i = 0; i < d.ComboBox1->count(); ++i)
                offered << d.ComboBox1->itemText(i);
            selected = d.ComboBox1->currentText();
            device = d.lDevice->text();
            if (!chosen.isEmpty())
                QVERIFY(choosePort(d.ComboBox1, chosen));
            QTest::mouseClick(d.BtnOK, Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(offered, listed);
        QCOMPARE(selected, QStringLiteral("COM4"));
        QCOMPARE(device, Nowhere);
        QCOMPARE(form->PortNumber, Byte(expected));
        QCOMPARE(form->StatusBar1->Text(3), QStringLiteral("  COM%1  ").arg(expected));
        const QByteArray written = readAll(form->SettingsFileName());
        QVERIFY2(written.contains(QStringLiteral("COMport=%1\r\n").arg(expected).toLatin1()) ||
                     written.contains(QStringLiteral("COMport=%1\n").arg(expected).toLatin1()),
                 written.constData());
        expectNoBoxes();
    }

    // Cancel still applies the system type, ring time-out, DORST mode,
    // function numbers and font; the layout, the port and the key
    // information stay, and cfg.ini is not written.
    void cancelAppliesTheSystemOptions()
    {
        auto form = openProject();
        QVERIFY(form);
        const QByteArray settingsBefore = readAll(form->SettingsFileName());
        const QList<TMDIChild *> windowsBefore = consoleWindows(*form);
        form->ModifiedFlag = 0;
        TNastav1::FontDialogExec = [](QFont &font) {
            font = QFont(QStringLiteral("Courier"), 14);
            return true;
        };
        bool systemShown = false;
        settings(*form, [&](TNastav1 &d) {
            systemShown = d.pSystemZP->isVisible();
            QCOMPARE(d.eFunkcneCislo0->text(), QStringLiteral("12345678"));
            click(d.rbPrepojovac);
            if (!d.cbUkoncitPo5min->isChecked())
                click(d.cbUkoncitPo5min);
            QVERIFY(d.cbCasUkoncit->isEnabled());
            d.cbCasUkoncit->setCurrentIndex(3);
            d.cbRezimDORST->setCurrentIndex(1);
            d.eFunkcneCislo0->clear();
            QTest::keyClicks(d.eFunkcneCislo0, QStringLiteral("98x7"));
            click(d.p2->Items[1]);
            click(d.Vlastnosti);
            QTest::mouseClick(d.Button1, Qt::LeftButton);
            QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
        });
        TNastav1::FontDialogExec = nullptr;
        QVERIFY(systemShown);
        TAPult &cfg = *form->APult;
        QCOMPARE(cfg.TypSystemu, Byte(1));
        // The slot codes follow the new system type.
        for (int s : {0, 1})
            QCOMPARE(cfg.SlotyDosiek[s].Kod, form->CardOfSlot(s)->GetCardNum(1));
        QCOMPARE(cfg.CasUkonceniaVyzvanania, Byte(8));
        QCOMPARE(cfg.RezimDORST, Byte(1));
        QCOMPARE(cfg.Pulty[0]->FNGSMR, QStringLiteral("987"));
        QCOMPARE(form->KeyFont.family(), QStringLiteral("Courier"));
        // The font reaches the key controls of the windows already open.
        QVERIFY(!windowsBefore.isEmpty());
        for (TMDIChild *w : windowsBefore)
            for (TColorButton *key : std::as_const(w->KeyList)) {
                QCOMPARE(key->font().family(), QStringLiteral("Courier"));
                QCOMPARE(key->font().pointSize(), 14);
            }
        QCOMPARE(form->ModifiedFlag, Byte(1));
        QCOMPARE(form->PultTyp[1], Byte(2));
        QCOMPARE(cfg.Pulty[1]->TypPultu, Byte(2));
        QCOMPARE(consoleWindows(*form), windowsBefore);
        QCOMPARE(form->VlAkoHint, Byte(0));
        QCOMPARE(readAll(form->SettingsFileName()), settingsBefore);
        expectNoBoxes();
    }

    void capacityQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no") << int(TPrompt::No);
        QTest::newRow("yes") << int(TPrompt::Yes);
    }
    void capacityQuestion()
    {
        QFETCH(int, answer);
        // Console 1's HLS line bound to a key of its second screen.
        auto form = openProject([](TAPult &cfg) {
            TPult &p = *cfg.Pulty[1];
            p.Klavesy[150] = std::move(p.Klavesy[100]);
            p.Klavesy[100] = std::make_unique<TKlavesa>();
            p.Dosky[1]->Linky[2]->Klavesa = 150;
        });
        QVERIFY(form);
        TMDIChild *pult1 = consoleWindows(*form).value(0);
        for (TMDIChild *w : consoleWindows(*form))
            if (w->objectName() == QLatin1String("Pult1"))
                pult1 = w;
        QCOMPARE(pult1->objectName(), QStringLiteral("Pult1"));
        QCOMPARE(form->APult->Pulty[1]->Klavesy[150]->MenoKlavesy, QStringLiteral("HLS Ťahač"));
        prompt_.Answer(answer);
        const int result = settings(*form, [&](TNastav1 &d) {
            d.op2->setValue(1);
            click(d.Vlastnosti);
            QTest::mouseClick(d.BtnOK, Qt::LeftButton);
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(prompt_.texts(), QStringList{LoadStrDll(122) + "\r" + LoadStrDll(123) + "\r" + LoadStrDll(124)});
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Warning);
        const bool yes = answer == TPrompt::Yes;
        QCOMPARE(form->PultScreens[1], Byte(yes ? 1 : 2));
        QCOMPARE(form->APult->Pulty[1]->PocetObrazoviek, Byte(yes ? 1 : 2));
        QCOMPARE(pult1->Tag, yes ? 1 : 2);
        QCOMPARE(pult1->KeyList.size(), yes ? 112 : 224);
        QCOMPARE(form->VlAkoHint, Byte(yes ? 1 : 0));
        QCOMPARE(form->APult->Pulty[1]->Klavesy[150]->IsUnconfigured(), yes);
        QCOMPARE(form->APult->Pulty[1]->Dosky[1]->Linky[2]->Klavesa, Byte(yes ? 255 : 150));
        QCOMPARE(BindingFaults(*form->APult), QStringList());
    }

    // Closing the dialog by its frame is a cancel: a smaller layout chosen
    // before it is dropped without the question, and no key is lost.
    void closedByFrameKeepsLayout()
    {
        auto form = openProject([](TAPult &cfg) {
            TPult &p = *cfg.Pulty[1];
            p.Klavesy[150] = std::move(p.Klavesy[100]);
            p.Klavesy[100] = std::make_unique<TKlavesa>();
            p.Dosky[1]->Linky[2]->Klavesa = 150;
        });
        QVERIFY(form);
        const int result = settings(*form, [&](TNastav1 &d) {
            click(d.p1->Items[2]);
            d.op2->setValue(1);
            QVERIFY(d.close());
        });
        QCOMPARE(result, int(QDialog::Rejected));
        expectNoBoxes();
        QCOMPARE(form->PultTyp[0], Byte(1));
        QCOMPARE(form->PultScreens[1], Byte(2));
        QCOMPARE(form->APult->Pulty[0]->TypPultu, Byte(1));
        QCOMPARE(form->APult->Pulty[1]->PocetObrazoviek, Byte(2));
        QCOMPARE(form->APult->Pulty[1]->Klavesy[150]->MenoKlavesy, QStringLiteral("HLS Ťahač"));
        QCOMPARE(form->APult->Pulty[1]->Dosky[1]->Linky[2]->Klavesa, Byte(150));
    }

    // A console with a GSM-R key needs its function number: Enter cannot
    // pass a disabled OK, and a paste keeps 18 digits.
    void functionNumberGuardsOk()
    {
        auto form = openProject([](TAPult &cfg) {
            cfg.Pulty[0]->FNGSMR.clear();
            if (!cfg.Pulty[0]->Klavesy[50])
                cfg.Pulty[0]->Klavesy[50] = std::make_unique<TKlavesa>();
            cfg.Pulty[0]->Klavesy[50]->KodDosky = 0x72;
        });
        QVERIFY(form);
        QVERIFY(form->PultHasKindRKey(0));
        bool disabled = false, stillOpen = false;
        QString typed;
        const int result = settings(*form, [&](TNastav1 &d) {
            disabled = !d.BtnOK->isEnabled();
            d.eFunkcneCislo0->setFocus();
            QTest::keyClick(&d, Qt::Key_Return);
            stillOpen = d.isVisible();
            QTest::keyClicks(d.eFunkcneCislo0, QStringLiteral("a-"));
            d.eFunkcneCislo0->insert(QStringLiteral("+421 2 1234 5678 9012 3456 7890"));
            typed = d.eFunkcneCislo0->text();
            QVERIFY(d.BtnOK->isEnabled());
            QTest::keyClick(d.eFunkcneCislo0, Qt::Key_Return);
        });
        QVERIFY(disabled);
        QVERIFY(stillOpen);
        QCOMPARE(typed, QStringLiteral("421212345678901234"));
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(form->APult->Pulty[0]->FNGSMR, typed);
    }

    // A DORST value outside the list selects its last item.
    void dorstModeClamped()
    {
        auto form = openProject([](TAPult &cfg) { cfg.RezimDORST = 3; });
        QVERIFY(form);
        form->APult->RezimDORST = 3;
        int index = -1;
        settings(*form, [&](TNastav1 &d) { index = d.cbRezimDORST->currentIndex(); });
        QCOMPARE(index, 2);
        QCOMPARE(form->APult->RezimDORST, Byte(3)); // nothing chosen, nothing written
    }

    // Without a configuration: Cancel makes none; OK makes one with windows.
    void withoutConfiguration()
    {
        auto form = makeForm();
        bool systemShown = true;
        settings(*form, [&](TNastav1 &d) {
            systemShown = d.pSystemZP->isVisible() || d.pFunkcneCisla->isVisible();
            click(d.p1->Items[1]);
            QTest::mouseClick(d.BtnCancel, Qt::LeftButton);
        });
        QVERIFY(!systemShown);
        QVERIFY(!form->APult);
        QVERIFY(consoleWindows(*form).isEmpty());

        settings(*form, [&](TNastav1 &d) {
            click(d.p1->Items[1]);
            d.op1->setValue(2);
            click(d.p2->Items[2]);
            QTest::mouseClick(d.BtnOK, Qt::LeftButton);
        });
        QVERIFY(form->APult);
        QStringList windows;
        for (TMDIChild *w : consoleWindows(*form))
            windows << QStringLiteral("%1:%2/%3/%4").arg(w->objectName()).arg(w->ConsoleType).arg(w->Tag).arg(w->KeyList.size());
        windows.sort();
        QCOMPARE(windows, (QStringList{"Pult0:1/2/160", "Pult1:2/1/112"}));
        QCOMPARE(form->APult->Pulty[0]->TypPultu, Byte(1));
        QCOMPARE(form->ModifiedFlag, Byte(1));
        expectNoBoxes();
    }

    // Each step: console 0 type and screens, console 1 type and screens.
    void layoutChange_data()
    {
        QTest::addColumn<QList<QList<int>>>("steps");
        QTest::addColumn<int>("pcScreens"); // console 0's screens in the project
        QTest::newRow("remove console 1") << QList<QList<int>>{{1, 3, 0, 1}} << 3;
        QTest::newRow("add console 1") << QList<QList<int>>{{1, 3, 0, 1}, {1, 3, 2, 2}} << 3;
        QTest::newRow("shrink PC") << QList<QList<int>>{{1, 1, 2, 2}} << 3;
        QTest::newRow("grow PC") << QList<QList<int>>{{1, 3, 2, 2}} << 1;
        QTest::newRow("shrink mechanical") << QList<QList<int>>{{1, 3, 2, 1}} << 3;
        QTest::newRow("PC to mechanical and back") << QList<QList<int>>{{2, 2, 2, 2}, {1, 3, 2, 2}} << 3;
        QTest::newRow("mechanical to PC") << QList<QList<int>>{{1, 3, 1, 1}} << 3;
    }
    void layoutChange()
    {
        QFETCH(QList<QList<int>>, steps);
        QFETCH(int, pcScreens);
        auto form = openProject([pcScreens](TAPult &cfg) {
            cfg.Pulty[0]->PocetObrazoviek = Byte(pcScreens);
            if (pcScreens == 1) {
                cfg.Pulty[0]->Klavesy[100] = std::make_unique<TKlavesa>();
                cfg.Pulty[0]->Klavesy[100]->MenoKlavesy = QStringLiteral("Hore"); // above one screen
            }
        });
        QVERIFY(form);
        QCOMPARE(BindingFaults(*form->APult), QStringList());
        for (const QList<int> &step : steps) {
            prompt_.Answer(TPrompt::Yes);
            settings(*form, [&](TNastav1 &d) {
                TTypeGroup *groups[2] = {d.p1, d.p2};
                QSpinBox *spins[2] = {d.op1, d.op2};
                for (int n = 0; n < 2; ++n) {
                    click(groups[n]->Items[step[2 * n]]);
                    spins[n]->setValue(step[2 * n + 1]);
                }
                QTest::mouseClick(d.BtnOK, Qt::LeftButton);
            });
            QTest::qWait(0); // closed windows go
            TAPult &cfg = *form->APult;
            QCOMPARE(BindingFaults(cfg), QStringList());
            for (int n = 0; n < 2; ++n) {
                const TPult &p = *cfg.Pulty[n];
                QCOMPARE(int(p.TypPultu), step[2 * n]);
                QCOMPARE(int(p.PocetObrazoviek), step[2 * n + 1]);
                const int perScreen = p.TypPultu == 1 ? form->KeysPerScreenPC : form->KeysPerScreenMech;
                const int capacity = p.TypPultu == 0 ? 0 : std::min(224, perScreen * p.PocetObrazoviek);
                QList<TMDIChild *> windows;
                for (TMDIChild *w : consoleWindows(*form))
                    if (w->ConsoleNo == n)
                        windows << w;
                QCOMPARE(windows.size(), p.TypPultu == 0 ? 0 : 1);
                for (int k = capacity; k < KeyCount; ++k)
                    QVERIFY2(!p.Klavesy[k] || p.Klavesy[k]->IsUnconfigured() || p.TypPultu == 0,
                             qPrintable(QStringLiteral("console %1 key %2").arg(n).arg(k)));
                if (windows.isEmpty())
                    continue;
                TMDIChild *w = windows[0];
                QCOMPARE(int(w->ConsoleType), step[2 * n]);
                QCOMPARE(w->Tag, step[2 * n + 1]);
                QCOMPARE(int(w->KeyList.size()), capacity);
                for (int k = 0; k < capacity; ++k)
                    QCOMPARE(w->GetButton(k)->Caption(), p.Klavesy[k] ? p.Klavesy[k]->MenoKlavesy : QString());
            }
        }
        // A console connected again takes over the other's boards.
        if (steps.size() == 2 && steps[0][2] == 0) {
            QVERIFY(form->APult->Pulty[1]->Dosky[0]);
            QCOMPARE(form->APult->Pulty[1]->Dosky[0]->CisloDosky, form->APult->Pulty[0]->Dosky[0]->CisloDosky);
        }
        // Growing a PC console gives keys above its old capacity their captions back.
        if (pcScreens == 1) {
            QCOMPARE(form->APult->Pulty[0]->Klavesy[100]->MenoKlavesy, QStringLiteral("Hore"));
            for (TMDIChild *w : consoleWindows(*form))
                if (w->ConsoleNo == 0)
                    QCOMPARE(w->GetButton(100)->Caption(), QStringLiteral("Hore"));
        }
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "test_dialog.moc"
