// The stored-copy commands and the console copy in the running main window:
// menu items and tool buttons, the boxes and reports they show, and what the
// configuration and the console windows hold afterwards.
#include <QtTest>

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "cardpack/sablona.h"
#include "editing/keybinding.h"
#include "editing/layoutchange.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainwidgets.h"
#include "mainwindow/speedbutton.h"
#include "model/objekty.h"
#include "platform/programfolder.h"
#include "tests/fixture/fixture.h"
#include "windows/colorbutton.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"
#include "windows/reportform.h"
#include "windows/wizard.h"

using fixture::DumpFields;
using fixture::DumpKey;
using Asked = QList<QPair<TPrompt::Kind, QString>>;

namespace
{

const QString NoStoredCopy = QStringLiteral("No configuration has been stored yet.");

QString title(int text)
{
    return QStringLiteral("--== ") + LoadStrDll(text) + QStringLiteral(" ==--");
}

// A report as its window shows it, one line per text line.
QStringList shownLines(const QString &memo)
{
    QString text = memo;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    return text.split(u'\n');
}

// The configuration as the project file would keep it.
QByteArray savedBytes(const TAPult &a, const QString &fileName)
{
    a.SaveToFile(fileName);
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// What a stored copy holds of a configuration: slots, consoles, boards, lines, keys.
QStringList storedPart(const TAPult &a)
{
    QStringList out;
    for (const QString &line : DumpFields(a).split(u'\n'))
        if ((line.startsWith(QLatin1String("SlotyDosiek")) || line.startsWith(QLatin1String("Pulty"))) &&
            !line.contains(QLatin1String(".TelZoznam")) && !line.contains(QLatin1String(".FNGSMR")) &&
            !line.contains(QLatin1String(".Reply")))
            out << line;
    return out;
}

TMDIChild *consoleWindow(TMainForm1 &form, int console)
{
    for (QMdiSubWindow *w : form.MdiArea->subWindowList())
        if (w->objectName() == QStringLiteral("Pult%1").arg(console))
            return qobject_cast<TMDIChild *>(w);
    return nullptr;
}

// A UL10 board with two lines, free of keys.
std::unique_ptr<TDoska> ul10Board()
{
    auto d = std::make_unique<TDoska>();
    d->MenoDosky = QStringLiteral("UL10");
    d->CisloDosky = 71;
    d->PocetLiniek = 2;
    for (int j = 0; j < 2; ++j) {
        d->Linky[j] = std::make_unique<TLinka>();
        d->Linky[j]->MenoLinky = j ? QStringLiteral("E5-L2 - UB") : QStringLiteral("E5-L1 - MB");
        d->Linky[j]->CisloLinky = Byte(j);
    }
    return d;
}

} // namespace

class TestStoredCommands : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;
    QStringList reports_; // the text of every report window shown
    int files_ = 0;

    QString nextFile() { return dir_.filePath(QStringLiteral("p%1.orv").arg(files_++)); }

    // The fixture in a main window: cards on their slots, both console windows open.
    std::unique_ptr<TMainForm1> openForm(const std::function<void(TAPult &)> &change = {})
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->resize(1200, 900);
        form->show();
        form->APult = fixture::BuildFixture().release();
        if (change)
            change(*form->APult);
        for (int p = 0; p < 2; ++p) {
            form->PultTyp[p] = form->APult->Pulty[p]->TypPultu;
            form->PultScreens[p] = form->APult->Pulty[p]->PocetObrazoviek;
        }
        // Slots of card types this package does not have are left free.
        for (int s = 0; s < BoardCount; ++s) {
            TSlotEntry &slot = form->APult->SlotyDosiek[s];
            if (slot.Kod != 255 && !form->CreateCardByName(slot.Meno, s))
                slot = TSlotEntry();
        }
        if (!form->CardOfSlot(0) || !form->CardOfSlot(1))
            return nullptr;
        if (!form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult))
            return nullptr;
        form->ModifiedFlag = 0;
        form->MenuClick();
        return form;
    }

    Asked asked() const
    {
        Asked out;
        for (const auto &a : prompt_.asked())
            out.append({a.kind, a.text});
        return out;
    }

    static Asked info(const QString &text) { return {{TPrompt::Kind::Information, text}}; }

private slots:
    void initTestCase()
    {
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        TReportForm::Exec = [this](TReportForm &f) {
            reports_ << f.MemoReport->toPlainText();
            return int(QDialog::Accepted);
        };
        fixture::LoadLanguage();
        QVERIFY(HInstDll > 32);
        scope_ = std::make_unique<TPromptScope>(&prompt_);
    }

    void cleanupTestCase() { TReportForm::Exec = nullptr; }

    void init()
    {
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
        prompt_.clear();
        reports_.clear();
    }

    void cleanup() { platform::SetProgramFolder(QString()); }

    // Before a store, compare and merge are not offered; reached anyway
    // (their hidden buttons) they say so and change nothing.
    void withoutStoredCopy()
    {
        auto form = openForm();
        QVERIFY(form);
        QVERIFY(!form->StoredAPult);
        QVERIFY(form->Odlozitakualnukonfiguraciu1->isEnabled());
        QVERIFY(!form->Porovnatsodlozenoukonfiguraciou1->isEnabled());
        QVERIFY(!form->Zlucitsodlozenou1->isEnabled());
        const QByteArray before = savedBytes(*form->APult, nextFile());

        form->Button3->click(); // compare
        form->Button2->click(); // merge
        QCOMPARE(asked(), info(NoStoredCopy) + info(NoStoredCopy));
        QCOMPARE(reports_, QStringList());
        QCOMPARE(savedBytes(*form->APult, nextFile()), before);
        QCOMPARE(int(form->ModifiedFlag), 0);
    }

    // Stored a moment before: the equal title and the equal box; the
    // configuration is byte for byte what it was.
    void compareWithFreshCopy()
    {
        auto form = openForm();
        QVERIFY(form);
        form->Odlozitakualnukonfiguraciu1->trigger();
        QVERIFY(form->StoredAPult);
        QVERIFY(form->StoredAPult.get() != form->APult);
        QCOMPARE(storedPart(*form->StoredAPult), storedPart(*form->APult));
        QVERIFY(form->Porovnatsodlozenoukonfiguraciou1->isEnabled());
        QVERIFY(form->Zlucitsodlozenou1->isEnabled());
        const QByteArray before = savedBytes(*form->APult, nextFile());

        form->Porovnatsodlozenoukonfiguraciou1->trigger();
        QCOMPARE(reports_.size(), 1);
        QCOMPARE(shownLines(reports_[0]), (QStringList{"", title(209), "", "", title(212), ""}));
        QCOMPARE(asked(), info(LoadStrDll(215)));
        QCOMPARE(savedBytes(*form->APult, nextFile()), before);
        QCOMPARE(int(form->ModifiedFlag), 0);
    }

    // A key cleared after the store: compare lists it as taken over and
    // changes nothing, merge brings it back onto the window.
    void mergeTakesKeyBack()
    {
        auto form = openForm();
        QVERIFY(form);
        form->Odlozitakualnukonfiguraciu1->trigger();
        const QString storedKey = DumpKey(*form->APult->Pulty[0]->Klavesy[5]);
        form->APult->Pulty[0]->Klavesy[5]->Reset();
        TColorButton *button = consoleWindow(*form, 0)->GetButton(5);
        QVERIFY(button);
        button->SetCaption(QString());
        const QByteArray before = savedBytes(*form->APult, nextFile());

        form->Porovnatsodlozenoukonfiguraciou1->trigger();
        QCOMPARE(reports_.size(), 1);
        const QStringList shown = shownLines(reports_[0]);
        QCOMPARE(shown.mid(0, 7), (QStringList{"", title(209), "", "", title(212), "", "005: "}));
        QVERIFY(shown.contains(QStringLiteral("MenoKlavesy=\"\" <- \"Hasiči\"")));
        QVERIFY(shown.contains(QStringLiteral("CisloUcastnika=FFH <- 03H")));
        QCOMPARE(asked(), info(LoadStrDll(215)));
        QCOMPARE(savedBytes(*form->APult, nextFile()), before);
        QCOMPARE(int(form->ModifiedFlag), 0);

        prompt_.clear();
        reports_.clear();
        form->Zlucitsodlozenou1->trigger();
        QCOMPARE(reports_, QStringList());
        QCOMPARE(asked(), info(LoadStrDll(210)));
        QCOMPARE(DumpKey(*form->APult->Pulty[0]->Klavesy[5]), storedKey);
        QCOMPARE(button->Caption(), QStringLiteral("Hasiči"));
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(form->StatusBar1->Text(1).trimmed(), form->ModifiedMarker.trimmed());
        QCOMPARE(BindingFaults(*form->APult), QStringList());
        for (int p = 0; p < 2; ++p)
            for (int k = 0; k < KeyCount; ++k)
                if (const TKlavesa *key = form->StoredAPult->Pulty[p]->Klavesy[k].get()) {
                    QVERIFY(form->APult->Pulty[p]->Klavesy[k]);
                    QCOMPARE(DumpKey(*form->APult->Pulty[p]->Klavesy[k]), DumpKey(*key));
                }
    }

    // A key bound differently: the report with the differ title, no box, and
    // nothing of the configuration changed.
    void mergeConflictChangesNothing()
    {
        auto form = openForm();
        QVERIFY(form);
        form->Odlozitakualnukonfiguraciu1->trigger();
        form->APult->Pulty[0]->Klavesy[5]->CisloUcastnika = 4;
        // A take-over in the other console that must not happen either.
        TKlavesa &taken = *form->StoredAPult->Pulty[1]->Klavesy[150];
        taken.MenoKlavesy = QStringLiteral("Nový");
        taken.ObsluhaKlavesy = 12;
        taken.CisloUcastnika = 9;
        const QByteArray before = savedBytes(*form->APult, nextFile());

        form->Zlucitsodlozenou1->trigger();
        QCOMPARE(reports_.size(), 1);
        const QStringList shown = shownLines(reports_[0]);
        QCOMPARE(shown.mid(0, 5),
                 (QStringList{"", title(208), "", "005: ", "MenoKlavesy=\"Hasiči\" [\"Hasiči\"]"}));
        QVERIFY(shown.contains(QStringLiteral("CisloUcastnika=04H [03H]")));
        QVERIFY(shown.contains(title(212)));
        QCOMPARE(asked(), Asked());
        QCOMPARE(savedBytes(*form->APult, nextFile()), before);
        QCOMPARE(int(form->ModifiedFlag), 0);
        QCOMPARE(consoleWindow(*form, 1)->GetButton(150)->Caption(), QString());
    }

    // A board deleted after the store comes back with its card; a card type
    // the package does not know warns and leaves the layout alone.
    void mergeBringsBoardBack_data()
    {
        QTest::addColumn<QString>("slotName");
        QTest::addColumn<bool>("known");
        QTest::newRow("known card") << QStringLiteral("TUL10") << true;
        QTest::newRow("unknown card") << QStringLiteral("TXYZ9") << false;
    }
    void mergeBringsBoardBack()
    {
        QFETCH(QString, slotName);
        QFETCH(bool, known);
        auto form = openForm();
        QVERIFY(form);
        form->Odlozitakualnukonfiguraciu1->trigger();
        form->StoredAPult->SlotyDosiek[5] = {slotName, 71};
        form->StoredAPult->Pulty[0]->Dosky[5] = ul10Board();
        // Its first line was on key 30, now unconfigured.
        form->StoredAPult->Pulty[0]->Dosky[5]->Linky[0]->Klavesa = 30;
        auto key = fixture::BoundKey(QStringLiteral("Vrátnica"), 5, 0, 255, 71, 40);
        key->MenoLinky = QStringLiteral("E5-L1 - MB");
        form->StoredAPult->Pulty[0]->Klavesy[30] = std::move(key);
        // The card's line names follow the active console's lines.
        form->MdiArea->setActiveSubWindow(consoleWindow(*form, 0));
        QCOMPARE(form->ActiveConsoleNumber(), 0);
        // The console layout the merge must not touch when a card fails.
        form->PultScreens[1] = 1;
        QVERIFY(!form->CardOfSlot(5));

        form->Zlucitsodlozenou1->trigger();
        QCOMPARE(reports_, QStringList());
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(BindingFaults(*form->APult), QStringList());
        const TDoska *board = form->APult->Pulty[0]->Dosky[5].get();
        QVERIFY(board);
        QCOMPARE(board->MenoDosky, QStringLiteral("UL10"));
        if (!known) {
            const QString warning = LoadStrDll(73) + u' ' + slotName + u' ' + LoadStrDll(74);
            QCOMPARE(asked(), (Asked{{TPrompt::Kind::Warning, warning}}));
            QVERIFY(form->Memo1->toPlainText().contains(warning));
            QVERIFY(form->Memo1->toPlainText().contains(QStringLiteral("WARNING")));
            QVERIFY(!form->CardOfSlot(5));
            QCOMPARE(int(form->PultScreens[1]), 1);
            return;
        }
        QCOMPARE(asked(), info(LoadStrDll(210)));
        TCardOld *card = form->CardOfSlot(5);
        QVERIFY(card);
        QVERIFY(form->GetCardButton(5)->isVisible());
        QCOMPARE(form->APult->SlotyDosiek[5].Meno, QStringLiteral("TUL10"));
        QCOMPARE(form->APult->SlotyDosiek[5].Kod, card->GetCardNum(form->APult->TypSystemu));
        // The card names its line after the merged line; the line without a key was not taken over.
        QCOMPARE(card->GetNameLin(0), QStringLiteral("MB"));
        QCOMPARE(board->Linky[0]->Klavesa, 30);
        QCOMPARE(board->Linky[1]->MenoLinky, QStringLiteral("nekonf"));
        QCOMPARE(consoleWindow(*form, 0)->GetButton(30)->Caption(), QStringLiteral("Vrátnica"));
        // The layout follows the consoles again.
        QCOMPARE(int(form->PultScreens[1]), 2);
    }

    // A console disconnected or cut to one screen by a layout change after the
    // store: the merge connects it or gives its screens back, and its window
    // is opened or rebuilt for the stored layout and shows the stored keys.
    void mergeRebuildsWindow_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("screens");
        QTest::newRow("connects the console") << 0 << 2;
        QTest::newRow("adds a screen") << 2 << 1;
    }
    void mergeRebuildsWindow()
    {
        QFETCH(int, type);
        QFETCH(int, screens);
        auto form = openForm();
        QVERIFY(form);
        // A key on the second screen of console 1, bound to a line of its 4W5 board.
        const int high = LayoutChange::Capacity(form->Zoznam.get(), 2, 1);
        QVERIFY(high > 100 && high < LayoutChange::Capacity(form->Zoznam.get(), 2, 2));
        TPult &current = *form->APult->Pulty[1];
        auto &line = current.Dosky[1]->Linky[3];
        line = std::make_unique<TLinka>();
        line->MenoLinky = QStringLiteral("E0-L4 - LS");
        line->CisloLinky = 13;
        line->Klavesa = Byte(high);
        current.Klavesy[high] = fixture::BoundKey(QStringLiteral("Druhá"), 1, 3, 255, 148, 13);
        current.Klavesy[high]->MenoLinky = QStringLiteral("E0-L4 - LS");
        QCOMPARE(BindingFaults(*form->APult), QStringList());
        form->Odlozitakualnukonfiguraciu1->trigger();
        const TPult &stored = *form->StoredAPult->Pulty[1];
        form->PultTyp[1] = Byte(type);
        form->PultScreens[1] = Byte(screens);
        // The closing window asks to save the change first.
        prompt_.Answer(TPrompt::No);
        form->RefreshMdiChilds();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        prompt_.clear();
        QVERIFY(consoleWindow(*form, 0));
        if (type == 0) {
            QVERIFY(!consoleWindow(*form, 1));
        } else {
            QCOMPARE(consoleWindow(*form, 1)->Tag, screens);
        }
        // The keys the stored copy has above the smaller capacity.
        QList<int> upper;
        for (int k = 0; k < KeyCount; ++k)
            if (stored.Klavesy[k] && !stored.Klavesy[k]->IsUnconfigured() &&
                (type == 0 || !form->APult->Pulty[1]->Klavesy[k] ||
                 form->APult->Pulty[1]->Klavesy[k]->IsUnconfigured()))
                upper << k;
        QVERIFY(!upper.isEmpty());
        form->ModifiedFlag = 0;

        form->Zlucitsodlozenou1->trigger();
        QCOMPARE(reports_, QStringList());
        QCOMPARE(asked(), info(LoadStrDll(210)));
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(BindingFaults(*form->APult), QStringList());
        QCOMPARE(int(form->PultTyp[1]), 2);
        QCOMPARE(int(form->PultScreens[1]), 2);
        const TPult &merged = *form->APult->Pulty[1];
        QCOMPARE(int(merged.TypPultu), 2);
        QCOMPARE(int(merged.PocetObrazoviek), 2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int windows = 0;
        for (QMdiSubWindow *w : form->MdiArea->subWindowList())
            windows += w->objectName() == QStringLiteral("Pult1");
        QCOMPARE(windows, 1);
        TMDIChild *window = consoleWindow(*form, 1);
        QVERIFY(window);
        QCOMPARE(int(window->ConsoleType), 2);
        QCOMPARE(window->Tag, 2);
        for (int k : upper) {
            QVERIFY2(window->GetButton(k), qPrintable(QString::number(k)));
            QCOMPARE(DumpKey(*merged.Klavesy[k]), DumpKey(*stored.Klavesy[k]));
            QCOMPARE(window->GetButton(k)->Caption(), stored.Klavesy[k]->MenoKlavesy);
        }
    }

    // Copy from the tool button and from the menu item: the target console
    // holds the source's keys and bindings, its window shows them, and what
    // only the target had stays.
    void copyConsole_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<bool>("button");
        QTest::newRow("0 to 1, tool button") << 0 << true;
        QTest::newRow("1 to 0, menu item") << 1 << false;
    }
    void copyConsole()
    {
        QFETCH(int, source);
        QFETCH(bool, button);
        const int target = 1 - source;
        auto form = openForm([target](TAPult &a) { a.Pulty[target]->Dosky[9] = ul10Board(); });
        QVERIFY(form);
        const QString sourceBefore = DumpFields(*form->APult);
        const TPult &src = *form->APult->Pulty[source];
        const TPult &dst = *form->APult->Pulty[target];
        const Byte targetType = dst.TypPultu;

        if (button) {
            QToolButton *b = target == 1 ? form->sbKopirujDo1 : form->sbKopirujDo0;
            QVERIFY(b->isVisible() && b->isEnabled());
            QTest::mouseClick(b, Qt::LeftButton);
        } else {
            QAction *a = target == 1 ? form->Kopirujpult121 : form->Kopirujpult211;
            QVERIFY(a->isEnabled());
            a->trigger();
        }
        QCOMPARE(asked(), Asked());
        QCOMPARE(int(form->ModifiedFlag), 1);
        QCOMPARE(BindingFaults(*form->APult), QStringList());
        QVERIFY(DumpFields(*form->APult) != sourceBefore);
        QCOMPARE(dst.TypPultu, targetType);
        QVERIFY(dst.Dosky[9]);
        QCOMPARE(dst.Dosky[9]->MenoDosky, QStringLiteral("UL10"));

        TMDIChild *window = consoleWindow(*form, target);
        QVERIFY(window);
        int shown = 0;
        for (int k = 0; k < KeyCount; ++k) {
            if (!src.Klavesy[k])
                continue;
            QVERIFY(dst.Klavesy[k]);
            QCOMPARE(DumpKey(*dst.Klavesy[k]), DumpKey(*src.Klavesy[k]));
            if (TColorButton *b = window->GetButton(k)) {
                QCOMPARE(b->Caption(), dst.Klavesy[k]->MenoKlavesy);
                QCOMPARE(b->Hint(), dst.Klavesy[k]->HintKlavesy);
                ++shown;
            }
        }
        QVERIFY(shown > 20);
        // The source's lines keep their keys on the target.
        int lines = 0;
        for (int b = 0; b < BoardCount; ++b)
            for (int j = 0; src.Dosky[b] && j < LineCount; ++j)
                if (const TLinka *l = src.Dosky[b]->Linky[j].get()) {
                    QVERIFY(dst.Dosky[b] && dst.Dosky[b]->Linky[j]);
                    QCOMPARE(dst.Dosky[b]->Linky[j]->MenoLinky, l->MenoLinky);
                    QCOMPARE(dst.Dosky[b]->Linky[j]->Klavesa, l->Klavesa);
                    ++lines;
                }
        QVERIFY(lines > 0);
    }

    // Copying onto a console with fewer keys: the keys beyond its capacity
    // are not taken, and no line of the target names them.
    void copyToASmallerConsole()
    {
        auto form = openForm([](TAPult &a) {
            a.Pulty[0]->TypPultu = 1; // a PC console of one screen: 80 keys
            a.Pulty[0]->PocetObrazoviek = 1;
        });
        QVERIFY(form);
        const int capacity = LayoutChange::Capacity(form->Zoznam.get(), 1, 1);
        QCOMPARE(capacity, 80);
        const TPult &src = *form->APult->Pulty[1];
        QVERIFY(IsConfiguredKey(src.Klavesy[100].get()));

        QTest::mouseClick(form->sbKopirujDo0, Qt::LeftButton);
        QCOMPARE(asked(), Asked());
        const TPult &dst = *form->APult->Pulty[0];
        QCOMPARE(BindingFaults(*form->APult, form->Zoznam.get()), QStringList());
        for (int k = capacity; k < KeyCount; ++k)
            QVERIFY2(!IsConfiguredKey(dst.Klavesy[k].get()), qPrintable(QString::number(k)));
        for (int k = 0; k < capacity; ++k)
            if (src.Klavesy[k])
                QCOMPARE(DumpKey(*dst.Klavesy[k]), DumpKey(*src.Klavesy[k]));
        QCOMPARE(int(form->ModifiedFlag), 1);
    }
};

QTEST_MAIN(TestStoredCommands)
#include "test_commands.moc"
