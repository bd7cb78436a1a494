// The key editing commands in a console window, offscreen: real mouse
// presses and moves on the key controls, real key strokes, the menu items.
#include <QAction>
#include <QApplication>
#include <QTest>

#include "cardpack/dll_load.h"
#include "tests/console/fakehost.h"
#include "tests/fixture/fixture.h"
#include "tests/keyedit/rig.h"
#include "windows/keyedit.h"
#include "windows/keystates.h"

namespace
{

// The main window's side: the rig's configuration and cards, real deletes.
class EditHost : public FakeHost, public TKeyEditServices
{
public:
    explicit EditHost(KeyRig &rig) : rig(rig) { SetKeyEditServices(this); }
    ~EditHost() override { SetKeyEditServices(nullptr); }
    KeyRig &rig;
    TCopyBuffer buffer;
    QStringList listings;
    int released = 0;

    TAPult *Configuration() override { return rig.cfg.get(); }
    Byte ConsoleTypeSetting(int console) override { return rig.cfg->Pulty[console]->TypPultu; }
    TCardOld *CardOfSlot(int slot) override { return rig.cards.CardOfSlot(slot); }
    bool DeleteKeys(int n, bool confirmed, bool allConsoles, bool testOnly) override
    {
        deleted << n;
        TKeyBinding b(rig.cfg.get(), active ? active->ConsoleNo : 0, rig.services());
        return b.DeleteKeys(n, confirmed, allConsoles, testOnly);
    }
    int CopiedKeyCount() override { return buffer.Count; }
    TCopyBuffer &CopyBuffer() override { return buffer; }
    void ReleaseCardButton() override { ++released; }
    void ShowMoveListing(const QString &text) override { listings << text; }
};

std::uint32_t colourOf(const TColorButton *k)
{
    return TColorFromColor(k->Color());
}

} // namespace

class TestKeyEditor : public QObject
{
    Q_OBJECT

    std::unique_ptr<KeyRig> rig;
    std::unique_ptr<EditHost> host;

    TMDIChild *open(int console)
    {
        const TPult &p = rig->pult(console);
        auto *w =
            new TMDIChild(nullptr, QString(), QStringLiteral("Pult"), p.TypPultu, console, p.PocetObrazoviek);
        host->AdoptConsoleWindow(w);
        w->show();
        host->active = w;
        for (int n = 0; n < KeyCount; ++n)
            if (TColorButton *k = w->GetButton(n)) {
                k->SetCaption(p.Klavesy[n]->MenoKlavesy);
                k->SetHint(p.Klavesy[n]->HintKlavesy);
            }
        return w;
    }
    void prepare(TMDIChild *w)
    {
        bool handled = false;
        w->ContextPopup(nullptr, QPoint(), &handled);
    }

private slots:
    void initTestCase() { fixture::LoadLanguage(); }
    void init()
    {
        rig = std::make_unique<KeyRig>(2, 2);
        rig->addCard(3, std::make_unique<TUL10Card>());
        QVERIFY(rig->bindLine(0, 5, 3, 0));
        QVERIFY(rig->bindLine(0, 6, 3, 1));
        QVERIFY(rig->bindLine(0, 30, 3, 2));
        host = std::make_unique<EditHost>(*rig);
        host->area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host->area));
    }
    void cleanup()
    {
        host.reset();
        rig.reset();
    }
    void moveWithPreviewAndPlace();
    void escRestoresCaptions();
    void consoleChangedOutsideEndsTheMove();
    void keyboardMoveAndPlace();
    void deleteMarkedKeys();
    void copyAndPasteIntoTheOtherConsole();
    void deleteShortcuts_data();
    void deleteShortcuts();
    void copyAndPasteShortcuts();
    void keyboardNavigation_data();
    void keyboardNavigation();
};

void TestKeyEditor::moveWithPreviewAndPlace()
{
    TMDIChild *w = open(0);
    const QString name5 = rig->key(0, 5).MenoKlavesy;
    QTest::mouseClick(w->GetButton(5), Qt::LeftButton);
    QTest::mouseClick(w->GetButton(6), Qt::LeftButton);
    QVERIFY(TMDIChild::IsMarked(w->GetButton(5)) && TMDIChild::IsMarked(w->GetButton(6)));
    prepare(w);
    QVERIFY(w->PresuvatLinky->isEnabled());
    w->PresuvatLinky->trigger();
    QVERIFY(w->Moving());
    QCOMPARE(host->released, 1);
    QCOMPARE(colourOf(w->GetButton(5)), KeyColors::Move);

    // The mouse over key 13: the block previews one column to the right.
    QTest::mouseMove(w->GetButton(13), QPoint(4, 4));
    QTRY_COMPARE(colourOf(w->GetButton(13)), KeyColors::Move);
    QCOMPARE(colourOf(w->GetButton(14)), KeyColors::Move);
    QCOMPARE(colourOf(w->GetButton(5)), KeyColors::Normal);
    QCOMPARE(w->GetButton(13)->Caption(), name5);
    QCOMPARE(w->GetButton(5)->Caption(), QString());
    QVERIFY(!host->listings.isEmpty());
    QVERIFY(host->listings.last().contains(QStringLiteral("(od 5 kam 13)")));
    QVERIFY(host->log.isEmpty()); // never into the program log
    CHECK_BINDINGS(*rig->cfg);
    QCOMPARE(rig->line(0, 3, 0)->Klavesa, Byte(5)); // nothing written yet

    // The click places it; the lines follow.
    QTest::mouseClick(w->GetButton(13), Qt::LeftButton);
    QVERIFY(!w->Moving());
    CHECK_BINDINGS(*rig->cfg);
    QCOMPARE(rig->line(0, 3, 0)->Klavesa, Byte(13));
    QCOMPARE(rig->line(0, 3, 1)->Klavesa, Byte(14));
    QCOMPARE(rig->key(0, 13).MenoKlavesy, name5);
    QVERIFY(rig->key(0, 5).IsUnconfigured());
    QCOMPARE(w->ActiveKeyIndex, 13);
    QCOMPARE(colourOf(w->GetButton(13)), KeyColors::Active);
    QCOMPARE(colourOf(w->GetButton(14)), KeyColors::Normal);
}

void TestKeyEditor::escRestoresCaptions()
{
    TMDIChild *w = open(0);
    QTest::mouseClick(w->GetButton(5), Qt::LeftButton);
    prepare(w);
    w->PresuvatLinky->trigger();
    QTest::mouseMove(w->GetButton(20), QPoint(4, 4));
    QTRY_COMPARE(colourOf(w->GetButton(20)), KeyColors::Move);
    QTest::keyClick(w, Qt::Key_Escape);
    QVERIFY(!w->Moving());
    for (int n = 0; n < w->KeyList.size(); ++n) {
        QCOMPARE(w->GetButton(n)->Caption(), rig->key(0, n).MenoKlavesy);
        QCOMPARE(w->GetButton(n)->Hint(), rig->key(0, n).HintKlavesy);
        QCOMPARE(colourOf(w->GetButton(n)), KeyColors::Normal);
    }
    QCOMPARE(rig->line(0, 3, 0)->Klavesa, Byte(5));
    CHECK_BINDINGS(*rig->cfg);
}

// The main window tells of a change to one console: only a mode on that
// console ends. A change nobody told of ends the mode at the placing click.
void TestKeyEditor::consoleChangedOutsideEndsTheMove()
{
    TMDIChild *w = open(0);
    auto startMove = [&](int target) {
        QTest::mouseClick(w->GetButton(5), Qt::LeftButton);
        prepare(w);
        w->PresuvatLinky->trigger();
        QTest::mouseMove(w->GetButton(target), QPoint(4, 4));
        QTRY_COMPARE(colourOf(w->GetButton(target)), KeyColors::Move);
    };
    startMove(13);
    TKeyEditor::ConsoleChangedOutside({w}, 1);
    QVERIFY(w->Moving());
    TKeyEditor::ConsoleChangedOutside({w}, 0);
    QVERIFY(!w->Moving());
    QCOMPARE(w->GetButton(13)->Caption(), QString());
    QCOMPARE(w->GetButton(5)->Caption(), rig->key(0, 5).MenoKlavesy);
    QCOMPARE(colourOf(w->GetButton(13)), KeyColors::Normal);

    startMove(21);
    QVERIFY(rig->binding(0).DeleteKeys(30, true, false, false)); // behind the window's back
    const QString after = DumpConsole(rig->pult(0));
    QTest::mouseClick(w->GetButton(21), Qt::LeftButton);
    QVERIFY(!w->Moving());
    QCOMPARE(DumpConsole(rig->pult(0)), after);
    for (int n = 0; n < w->KeyList.size(); ++n)
        QCOMPARE(w->GetButton(n)->Caption(), rig->key(0, n).MenoKlavesy);
    CHECK_BINDINGS(*rig->cfg);

    // A block placed in one window of the console ends the move pending in another.
    TMDIChild *other = open(0);
    QTest::mouseClick(other->GetButton(6), Qt::LeftButton);
    prepare(other);
    other->PresuvatLinky->trigger();
    QVERIFY(other->Moving());
    host->active = w;
    startMove(29);
    QTest::mouseClick(w->GetButton(29), Qt::LeftButton);
    QCOMPARE(rig->line(0, 3, 0)->Klavesa, Byte(29));
    QVERIFY(!other->Moving());
    QCOMPARE(other->GetButton(29)->Caption(), rig->key(0, 29).MenoKlavesy);
    CHECK_BINDINGS(*rig->cfg);
}

void TestKeyEditor::keyboardMoveAndPlace()
{
    // Mechanical console 1: "L" moves a block one column (16 keys) on, "P" places it.
    QVERIFY(rig->bindLine(1, 3, 3, 5));
    TMDIChild *w = open(1);
    QTest::mouseClick(w->GetButton(3), Qt::LeftButton);
    QTest::keyClick(w, '/');
    QVERIFY(w->Moving());
    QTest::keyClick(w, 'l');
    QCOMPARE(colourOf(w->GetButton(19)), KeyColors::Move);
    QTest::keyClick(w, 'i');
    QCOMPARE(colourOf(w->GetButton(20)), KeyColors::Move);
    QTest::keyClick(w, 'p');
    QVERIFY(!w->Moving());
    QCOMPARE(rig->line(1, 3, 5)->Klavesa, Byte(20));
    CHECK_BINDINGS(*rig->cfg);
}

void TestKeyEditor::deleteMarkedKeys()
{
    TMDIChild *w = open(0);
    QTest::mouseClick(w->GetButton(5), Qt::LeftButton);
    QTest::mouseClick(w->GetButton(30), Qt::LeftButton);
    QTest::keyClick(w, '-');
    QCOMPARE(host->deleted, (QList<int>{5, 30}));
    QCOMPARE(w->GetButton(5)->Caption(), QString());
    QCOMPARE(colourOf(w->GetButton(30)), KeyColors::Normal);
    QCOMPARE(w->GetButton(6)->Caption(), rig->key(0, 6).MenoKlavesy);
    QVERIFY(rig->key(0, 5).IsUnconfigured());
    QCOMPARE(rig->line(0, 3, 2)->Klavesa, Byte(255));
    QVERIFY(host->calls.contains(QStringLiteral("SelectCardAndLine")));
    CHECK_BINDINGS(*rig->cfg);
}

void TestKeyEditor::copyAndPasteIntoTheOtherConsole()
{
    TMDIChild *w0 = open(0);
    QTest::mouseClick(w0->GetButton(5), Qt::LeftButton);
    QTest::mouseClick(w0->GetButton(6), Qt::LeftButton);
    prepare(w0);
    w0->KopirovatLinky->trigger();
    QCOMPARE(host->buffer.Count, 2);
    const QString buffer = DumpBuffer(host->buffer);

    TMDIChild *w1 = open(1);
    prepare(w1);
    QVERIFY(w1->VlozitLinky->isEnabled());
    w1->VlozitLinky->trigger();
    QVERIFY(w1->Moving());
    QVERIFY(host->prompt.asked().isEmpty());
    QTest::mouseMove(w1->GetButton(40), QPoint(4, 4));
    QTRY_COMPARE(colourOf(w1->GetButton(40)), KeyColors::Move);
    QTest::mouseClick(w1->GetButton(40), Qt::LeftButton);
    QVERIFY(!w1->Moving());
    CHECK_BINDINGS(*rig->cfg);
    QCOMPARE(rig->line(1, 3, 0)->Klavesa, Byte(40));
    QCOMPARE(rig->line(1, 3, 1)->Klavesa, Byte(41));
    QCOMPARE(DumpBuffer(host->buffer), buffer);

    // Again into the same console: the lines are bound there now (text 75).
    prepare(w1);
    w1->VlozitLinky->trigger();
    QVERIFY(!w1->Moving());
    QCOMPARE(host->prompt.asked().size(), 1);
    QCOMPARE(host->prompt.asked()[0].text, LoadStrDll(75));
    CHECK_BINDINGS(*rig->cfg);
}

// The delete commands from their keys alone, without the menu opened first:
// Ctrl+Del the active key, Del the marked keys of this console, Shift+Del the
// marked keys on all panels.
void TestKeyEditor::deleteShortcuts_data()
{
    QTest::addColumn<QKeyCombination>("keys");
    QTest::addColumn<bool>("mark");
    QTest::addColumn<bool>("otherConsoleToo");
    QTest::newRow("Ctrl+Del active key") << QKeyCombination(Qt::ControlModifier, Qt::Key_Delete) << false << false;
    QTest::newRow("Del marked keys") << QKeyCombination(Qt::NoModifier, Qt::Key_Delete) << true << false;
    QTest::newRow("Shift+Del on all panels") << QKeyCombination(Qt::ShiftModifier, Qt::Key_Delete) << true << true;
}

void TestKeyEditor::deleteShortcuts()
{
    QFETCH(QKeyCombination, keys);
    QFETCH(bool, mark);
    QFETCH(bool, otherConsoleToo);
    // The same line bound to key 5 in both consoles.
    QVERIFY(rig->bindLine(1, 5, 3, 0));
    TMDIChild *w = open(0);
    if (mark)
        QTest::mouseClick(w->GetButton(5), Qt::LeftButton);
    else
        QTest::mousePress(w->GetButton(5), Qt::LeftButton), QTest::mouseRelease(w->GetButton(5), Qt::LeftButton);
    w->activateWindow();
    w->setFocus();
    QTRY_VERIFY(w->hasFocus() || w->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), keys.key(), keys.keyboardModifiers());
    QCOMPARE(host->deleted, QList<int>{5});
    QVERIFY(rig->key(0, 5).IsUnconfigured());
    QCOMPARE(w->GetButton(5)->Caption(), QString());
    QCOMPARE(rig->key(1, 5).IsUnconfigured(), otherConsoleToo);
    QCOMPARE(w->GetButton(6)->Caption(), rig->key(0, 6).MenoKlavesy);
    CHECK_BINDINGS(*rig->cfg);
}

void TestKeyEditor::copyAndPasteShortcuts()
{
    TMDIChild *w0 = open(0);
    host->area.setActiveSubWindow(w0);
    QTest::mouseClick(w0->GetButton(5), Qt::LeftButton);
    QTest::mouseClick(w0->GetButton(6), Qt::LeftButton);
    w0->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(host->buffer.Count, 2);

    TMDIChild *w1 = open(1);
    host->area.setActiveSubWindow(w1);
    w1->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(w1->Moving());
    QTest::mouseMove(w1->GetButton(56), QPoint(4, 4));
    QTRY_COMPARE(colourOf(w1->GetButton(56)), KeyColors::Move);
    QTest::mouseClick(w1->GetButton(56), Qt::LeftButton);
    QVERIFY(!w1->Moving());
    QCOMPARE(rig->line(1, 3, 0)->Klavesa, Byte(56));
    QCOMPARE(rig->line(1, 3, 1)->Klavesa, Byte(57));
    CHECK_BINDINGS(*rig->cfg);
}

void TestKeyEditor::keyboardNavigation_data()
{
    QTest::addColumn<int>("console");
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("to");
    QTest::newRow("pc L") << 0 << 5 << "l" << 13;
    QTest::newRow("pc J below 0") << 0 << 5 << "j" << 0;
    QTest::newRow("pc L at the right edge") << 0 << 155 << "l" << 159;
    QTest::newRow("mech L") << 1 << 5 << "6" << 21;
    QTest::newRow("mech I twice") << 1 << 5 << "88" << 7;
}

void TestKeyEditor::keyboardNavigation()
{
    QFETCH(int, console);
    QFETCH(int, from);
    QFETCH(QString, keys);
    QFETCH(int, to);
    TMDIChild *w = open(console);
    w->SetActive(w->GetButton(from));
    for (QChar c : keys)
        QTest::keyClick(w, c.toLatin1());
    QCOMPARE(w->ActiveKeyIndex, to);
    QVERIFY(TMDIChild::IsActive(w->GetButton(to)));
    QCOMPARE(w->PageControl1->currentIndex(), to / KeysPerScreen(w->Grid()));
}

QTEST_MAIN(TestKeyEditor)
#include "test_keyeditor.moc"
