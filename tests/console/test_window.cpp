// Console windows under offscreen: layout, snapping, key states by click and
// mouse move, the hint, the pop-up menu, the rebuild, opening and closing.
#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>

#include "cardpack/dll_load.h"
#include "model/conversions.h"
#include "tests/fixture/fixture.h"
#include "windows/keystates.h"

#include "fakehost.h"

namespace
{

std::uint32_t colorOf(const TColorButton *b) { return TColorFromColor(b->Color()); }

std::unique_ptr<TAPult> plainConfig(Byte type0, Byte screens0, Byte type1 = 0, Byte screens1 = 1)
{
    auto cfg = std::make_unique<TAPult>(QStringLiteral("/opt/kelvara/kelvara"));
    cfg->PocetPultov = 2;
    const Byte types[2] = {type0, type1};
    const Byte screens[2] = {screens0, screens1};
    for (int c = 0; c < 2; ++c) {
        auto p = std::make_unique<TPult>();
        p->TypPultu = types[c];
        p->PocetObrazoviek = screens[c];
        for (auto &k : p->Klavesy)
            k = std::make_unique<TKlavesa>();
        cfg->Pulty[c] = std::move(p);
    }
    return cfg;
}

} // namespace

class TestConsoleWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeHost> host;

    TMDIChild *open(Byte type, int console, int screens)
    {
        auto *w = new TMDIChild(nullptr, QString(), QStringLiteral("Pult"), type, console, screens);
        host->AdoptConsoleWindow(w);
        w->show();
        host->active = w;
        return w;
    }

    // Captions a key in the window and in the model.
    void bind(TMDIChild *w, int n, const QString &name, Byte code = 71)
    {
        auto &key = host->config->Pulty[w->ConsoleNo]->Klavesy[n];
        key->MenoKlavesy = name;
        key->HintKlavesy = QStringLiteral("Hint of ") + name;
        key->MenoLinky = QStringLiteral("E0-L0 - MB");
        key->HWPozicDosky = 0;
        key->PozicLinky = 0;
        key->KodDosky = code;
        w->GetButton(n)->SetCaption(name);
    }

private slots:
    void initTestCase() { fixture::LoadLanguage(); QVERIFY(!LoadStrDll(33).isEmpty()); }
    void init()
    {
        host = std::make_unique<FakeHost>();
        host->area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host->area));
    }
    void cleanup() { host.reset(); }

    void pcConsoleLayout();
    void mechanicalConsoleLayout();
    void resizeSnapsToWholeCells_data();
    void resizeSnapsToWholeCells();
    void clickBindsFreeKey();
    void clickOnMarkedFreeKeyToggles();
    void bindingToCode72OpensProperties();
    void failedBindingLeavesKey();
    void mouseDownMakesCaptionedKeyActive();
    void selectOnMoveWithRightButton();
    void ctrlDragTogglesAndBack();
    void rightButtonSelectsKeys_data();
    void rightButtonSelectsKeys();
    void rightDragWithoutSelectOnMove();
    void activationSeesItsOwnWindow();
    void mouseMoveOutsideActiveWindowIgnored();
    void hintOnMouseMove();
    void hintTimerHidesAfterQuietTick();
    void menuMarkAndUnmark();
    void contextPopupItems();
    void propertiesOnlyAfterPrepare();
    void formChangeShrinksAndGrows();
    void formChangeReportsFailedDelete();
    void closeQuery_data();
    void closeQuery();
    void closingOneClosesAll();
    void exitDoesNotReportRefusalThatNeverHappened();
    void exitStopsAtRealRefusal();
    void openConsoleWindows();
    void openUpgradedProject();
    void openFailsOnUnknownCard();
    void openOneConsole();
    void screenshots();
};

void TestConsoleWindow::pcConsoleLayout()
{
    host->config = plainConfig(1, 3);
    TMDIChild *w = open(1, 0, 3);
    QCOMPARE(w->objectName(), QStringLiteral("Pult0"));
    QCOMPARE(w->windowTitle(), QStringLiteral("Pult0"));
    QCOMPARE(int(w->Rows), 8);
    QCOMPARE(int(w->Columns), 10);
    QCOMPARE(w->KeyList.size(), 224);
    QCOMPARE(w->findChildren<TColorButton *>().size(), 224);
    QCOMPARE(w->PageControl1->count(), 3);
    for (int p = 1; p <= 3; ++p) {
        QCOMPARE(w->PageList[p - 1]->objectName(), QStringLiteral("Page%1").arg(p));
        QCOMPARE(w->PageControl1->tabText(p - 1), QString::number(p));
        QCOMPARE(w->PanelList[p - 1]->objectName(), QStringLiteral("Panel%1").arg(p));
    }
    QCOMPARE(w->PanelList[0]->findChildren<TColorButton *>().size(), 80);
    QCOMPARE(w->PanelList[2]->findChildren<TColorButton *>().size(), 64);
    for (int n = 0; n < 224; ++n) {
        TColorButton *b = w->GetButton(n);
        QVERIFY(b);
        QCOMPARE(b->objectName(), QStringLiteral("Button%1").arg(n));
        QCOMPARE(b->Tag, n);
        QCOMPARE(colorOf(b), KeyColors::Normal);
        QCOMPARE(b->parentWidget(), w->PanelList[n / 80]);
    }
    QVERIFY(!w->GetButton(-1));
    QVERIFY(!w->GetButton(224));
    const QSize cell = w->GetButton(0)->size();
    // Key 0 bottom left, key 7 top left, key 8 bottom of the second column.
    QCOMPARE(w->GetButton(0)->pos(), QPoint(5, 7 * cell.height() + 5));
    QCOMPARE(w->GetButton(7)->pos(), QPoint(5, 5));
    QCOMPARE(w->GetButton(8)->pos(), QPoint(cell.width() + 5, 7 * cell.height() + 5));
    QCOMPARE(w->GetButton(79)->pos(), QPoint(9 * cell.width() + 5, 5));
    // Page 3 uses its first 8 columns.
    int rightmost = 0;
    for (int n = 160; n < 224; ++n)
        rightmost = std::max(rightmost, w->GetButton(n)->x());
    QCOMPARE(rightmost, 7 * cell.width() + 5);
    QCOMPARE(w->GetButton(160)->pos(), QPoint(5, 7 * cell.height() + 5));
    QCOMPARE(w->StatusBar1->findChildren<QLabel *>().size(), 2);
    QCOMPARE(w->StatusPanels[0]->width(), 130);
    QCOMPARE(w->StatusPanels[1]->width(), 50);
    QCOMPARE(w->LastHintText, QStringLiteral("321"));
}

void TestConsoleWindow::mechanicalConsoleLayout()
{
    host->config = plainConfig(0, 1, 2, 2);
    TMDIChild *w = open(2, 1, 2);
    QCOMPARE(w->objectName(), QStringLiteral("Pult1"));
    QCOMPARE(int(w->Rows), 16);
    QCOMPARE(int(w->Columns), 7);
    QCOMPARE(w->PageControl1->count(), 2);
    QCOMPARE(w->PanelList[0]->findChildren<TColorButton *>().size(), 112);
    QCOMPARE(w->PanelList[1]->findChildren<TColorButton *>().size(), 112);
    const QSize cell = w->GetButton(0)->size();
    QCOMPARE(w->GetButton(0)->pos(), QPoint(5, 15 * cell.height() + 5));
    QCOMPARE(w->GetButton(15)->pos(), QPoint(5, 5));
    QCOMPARE(w->GetButton(111)->pos(), QPoint(6 * cell.width() + 5, 5));
    QCOMPARE(w->GetButton(112)->parentWidget(), w->PanelList[1]);
    QCOMPARE(w->GetButton(112)->pos(), QPoint(5, 15 * cell.height() + 5));
}

void TestConsoleWindow::resizeSnapsToWholeCells_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("PC odd") << 1 << 823 << 611;
    QTest::newRow("PC small") << 1 << 300 << 200;
    QTest::newRow("mechanical odd") << 2 << 777 << 905;
}

void TestConsoleWindow::resizeSnapsToWholeCells()
{
    QFETCH(int, type);
    QFETCH(int, width);
    QFETCH(int, height);
    host->config = plainConfig(Byte(type), 2);
    TMDIChild *w = open(Byte(type), 0, 2);
    w->resize(width, height);
    QCoreApplication::processEvents();
    const int sb = w->StatusBarHeight();
    const int gridW = w->width() - 27;
    const int gridH = w->height() - 72 - sb;
    QCOMPARE(gridW % w->Columns, 0);
    QCOMPARE(gridH % w->Rows, 0);
    QVERIFY(w->width() <= width && w->width() > width - w->Columns);
    QVERIFY(w->height() <= height && w->height() > height - w->Rows);
    const QSize cell(gridW / w->Columns, gridH / w->Rows);
    for (TColorButton *b : std::as_const(w->KeyList))
        QCOMPARE(b->size(), cell);
    // The top right key ends where the grid ends.
    TColorButton *topRight = w->GetButton(KeysPerScreen(w->Grid()) - 1);
    QCOMPARE(topRight->geometry().right() + 1, 5 + gridW);
    QCOMPARE(topRight->y(), 5);
    QCOMPARE(w->PageControl1->size(), QSize(gridW + 18, gridH + 45));
    QCOMPARE(w->StatusBar1->y(), gridH + 45);
    QCOMPARE(w->PanelList[0]->size(), QSize(gridW + 10, gridH + 10));
}

void TestConsoleWindow::clickBindsFreeKey()
{
    host->config = plainConfig(1, 1);
    TMDIChild *w = open(1, 0, 1);
    TColorButton *b = w->GetButton(3);
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(host->calls.filter(QStringLiteral("AssignLineToKey")), QStringList{QStringLiteral("AssignLineToKey 3")});
    QCOMPARE(b->Caption(), QStringLiteral("Bound3"));
    QCOMPARE(colorOf(b), KeyColors::Active);
    QCOMPARE(w->ActiveKeyIndex, 3);
    QCOMPARE(w->PropertiesKey, b);
    QCOMPARE(w->KeysB[3]->MenoKlavesy, QStringLiteral("Bound3"));
    QVERIFY(host->propertiesOpened.isEmpty());
    // A second click toggles its mark instead of binding again.
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(host->calls.filter(QStringLiteral("AssignLineToKey")).size(), 1);
    QCOMPARE(colorOf(b), KeyColors::ActiveMarked);
    QCOMPARE(w->Anchor, b);
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(colorOf(b), KeyColors::Active);
    // Binding another key passes the active state on; the mark stays.
    QTest::mouseClick(b, Qt::LeftButton);
    TColorButton *other = w->GetButton(9);
    QTest::mouseClick(other, Qt::LeftButton);
    QCOMPARE(colorOf(other), KeyColors::Active);
    QCOMPARE(colorOf(b), KeyColors::Marked);
    QCOMPARE(w->CountMarked(), 1);
}

void TestConsoleWindow::clickOnMarkedFreeKeyToggles()
{
    host->config = plainConfig(1, 1);
    TMDIChild *w = open(1, 0, 1);
    TColorButton *b = w->GetButton(12);
    b->SetColor(ColorFromTColor(KeyColors::Marked));
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(host->calls.filter(QStringLiteral("AssignLineToKey")).isEmpty());
    QVERIFY(b->Caption().isEmpty());
    QCOMPARE(colorOf(b), KeyColors::Active); // active, mark toggled off
    QVERIFY(!w->PropertiesKey);
}

void TestConsoleWindow::bindingToCode72OpensProperties()
{
    host->config = plainConfig(1, 1);
    host->bindCode = 0x72;
    TMDIChild *w = open(1, 0, 1);
    QTest::mouseClick(w->GetButton(4), Qt::LeftButton);
    QCOMPARE(host->propertiesOpened, QList<int>{4});
    QCOMPARE(w->Vlastnosti1->data().toInt(), 4);
    // With MSN digits and a function number no dialog opens.
    host->config->Pulty[0]->FNGSMR = QStringLiteral("123");
    host->config->Pulty[0]->Klavesy[5]->MSNcislo[0] = 0x45;
    host->propertiesOpened.clear();
    QTest::mouseClick(w->GetButton(5), Qt::LeftButton);
    QVERIFY(host->propertiesOpened.isEmpty());
}

void TestConsoleWindow::failedBindingLeavesKey()
{
    host->config = plainConfig(1, 1);
    host->assignResult = false;
    TMDIChild *w = open(1, 0, 1);
    QTest::mouseClick(w->GetButton(2), Qt::LeftButton);
    QVERIFY(w->GetButton(2)->Caption().isEmpty());
    QCOMPARE(colorOf(w->GetButton(2)), KeyColors::Normal);
}

void TestConsoleWindow::mouseDownMakesCaptionedKeyActive()
{
    host->config = plainConfig(1, 1);
    TMDIChild *w = open(1, 0, 1);
    bind(w, 1, QStringLiteral("A"));
    bind(w, 2, QStringLiteral("B"));
    w->SetActive(w->GetButton(1));
    QCOMPARE(colorOf(w->GetButton(1)), KeyColors::Active);
    QTest::mousePress(w->GetButton(2), Qt::LeftButton);
    QCOMPARE(colorOf(w->GetButton(1)), KeyColors::Normal);
    QCOMPARE(colorOf(w->GetButton(2)), KeyColors::Active);
    QCOMPARE(w->Anchor, w->GetButton(2));
    QTest::mouseRelease(w->GetButton(2), Qt::LeftButton);
    // A free key pressed takes nothing; the active one goes passive.
    QTest::mousePress(w->GetButton(30), Qt::LeftButton);
    QCOMPARE(colorOf(w->GetButton(30)), KeyColors::Normal);
}

void TestConsoleWindow::selectOnMoveWithRightButton()
{
    host->config = plainConfig(1, 1);
    host->selectOnMove = true;
    host->invert = true;
    TMDIChild *w = open(1, 0, 1);
    for (int n : {10, 11, 12})
        bind(w, n, QStringLiteral("K%1").arg(n));
    TColorButton *a = w->GetButton(10), *b = w->GetButton(11), *free = w->GetButton(13);
    w->ButtonMouseMove(a, Qt::RightButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(colorOf(a), KeyColors::ActiveMarked);
    QCOMPARE(w->LastPassed, a);
    // Staying on the same key changes nothing.
    w->ButtonMouseMove(a, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
    QCOMPARE(colorOf(a), KeyColors::ActiveMarked);
    w->ButtonMouseMove(b, Qt::RightButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(colorOf(a), KeyColors::Marked);
    QCOMPARE(colorOf(b), KeyColors::ActiveMarked);
    // A free key is made active but not marked.
    w->ButtonMouseMove(free, Qt::RightButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(colorOf(free), KeyColors::Active);
    QCOMPARE(colorOf(b), KeyColors::Marked);
    QCOMPARE(w->CountMarked(), 2);
    // Without Invert the keys passed over become active only.
    host->invert = false;
    w->ButtonMouseMove(w->GetButton(12), Qt::RightButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(colorOf(w->GetButton(12)), KeyColors::Active);
    // No button held: nothing is selected.
    w->ButtonMouseMove(a, Qt::NoButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(colorOf(a), KeyColors::Marked);
}

void TestConsoleWindow::ctrlDragTogglesAndBack()
{
    host->config = plainConfig(1, 1);
    TMDIChild *w = open(1, 0, 1);
    bind(w, 20, QStringLiteral("Drag"));
    TColorButton *k = w->GetButton(20);
    w->ButtonMouseDown(k, Qt::LeftButton, Qt::LeftButton, Qt::ControlModifier, QPoint(3, 3));
    QCOMPARE(colorOf(k), KeyColors::Active);
    const QPoint outside(k->width() + 4, 3);
    w->ButtonMouseMove(k, Qt::LeftButton, Qt::ControlModifier, outside);
    QCOMPARE(colorOf(k), KeyColors::ActiveMarked);
    QVERIFY(w->Inside);
    w->ButtonMouseMove(k, Qt::LeftButton, Qt::ControlModifier, outside + QPoint(5, 0));
    QCOMPARE(colorOf(k), KeyColors::ActiveMarked); // once per leaving
    w->ButtonMouseMove(k, Qt::LeftButton, Qt::ControlModifier, QPoint(3, 3));
    QCOMPARE(colorOf(k), KeyColors::Active);
    QVERIFY(!w->Inside);
    // A plain left drag selects nothing.
    w->ButtonMouseMove(k, Qt::LeftButton, Qt::NoModifier, outside);
    QCOMPARE(colorOf(k), KeyColors::Active);
}

// A real right-button press, moves over the keys and the release, as the
// platform delivers them: the pop-up menu waits for the release.
void TestConsoleWindow::rightButtonSelectsKeys_data()
{
    QTest::addColumn<bool>("selectOnMove");
    QTest::addColumn<bool>("invert");
    QTest::addColumn<QList<std::uint32_t>>("colours"); // keys 10, 11, 12 and the free key 13 passed over
    using C = QList<std::uint32_t>;
    QTest::newRow("select and invert")
        << true << true
        << C{KeyColors::Marked, KeyColors::Marked, KeyColors::ActiveMarked, KeyColors::Normal};
    QTest::newRow("select only") << true << false
                                 << C{KeyColors::Normal, KeyColors::Normal, KeyColors::Active,
                                      KeyColors::Normal};
    // Without SelectOnMove and no key passed before, only the menu's key turns active.
    QTest::newRow("neither") << false << true
                             << C{KeyColors::Normal, KeyColors::Normal, KeyColors::Active, KeyColors::Normal};
}

void TestConsoleWindow::rightButtonSelectsKeys()
{
    QFETCH(bool, selectOnMove);
    QFETCH(bool, invert);
    QFETCH(QList<std::uint32_t>, colours);
    host->config = plainConfig(1, 1);
    host->selectOnMove = selectOnMove;
    host->invert = invert;
    TMDIChild *w = open(1, 0, 1);
    for (int n : {10, 11, 12})
        bind(w, n, QStringLiteral("K%1").arg(n));
    QWindow *window = host->area.windowHandle();
    auto at = [&](int n, QPoint offset = QPoint()) {
        TColorButton *key = w->GetButton(n);
        return key->mapTo(&host->area, key->rect().center() + offset);
    };
    // Keys 10..13 stand in one column, 13 above 12 above 11 above 10.
    QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, at(10));
    QTest::mouseMove(window, at(10, QPoint(1, 1)));
    QVERIFY(!w->PopupMenu1->isVisible()); // no menu on the press: it would take the mouse
    QTest::mouseMove(window, at(11));
    QTest::mouseMove(window, at(13));
    QTest::mouseMove(window, at(12));
    QVERIFY(!w->PopupMenu1->isVisible());
    QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, at(12));
    // The menu of the key under the mouse at the release.
    QTRY_VERIFY(w->PopupMenu1->isVisible());
    QCOMPARE(w->Anchor, w->GetButton(12));
    w->PopupMenu1->close();
    QCOMPARE(colorOf(w->GetButton(10)), colours[0]);
    QCOMPARE(colorOf(w->GetButton(11)), colours[1]);
    QCOMPARE(colorOf(w->GetButton(12)), colours[2]);
    // A free key passed over takes no mark and does not stay active.
    QCOMPARE(colorOf(w->GetButton(13)), colours[3]);
}

// Without SelectOnMove a right drag leaves the last key passed (the one the
// left button pressed) and toggles its mark, coming back toggles it again.
void TestConsoleWindow::rightDragWithoutSelectOnMove()
{
    host->config = plainConfig(1, 1);
    TMDIChild *w = open(1, 0, 1);
    bind(w, 20, QStringLiteral("Left"));
    bind(w, 21, QStringLiteral("Next"));
    QWindow *window = host->area.windowHandle();
    auto at = [&](int n) {
        TColorButton *key = w->GetButton(n);
        return key->mapTo(&host->area, key->rect().center());
    };
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at(20));
    QCOMPARE(colorOf(w->GetButton(20)), KeyColors::ActiveMarked);
    QCOMPARE(w->LastPassed, w->GetButton(20));
    QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, at(20));
    QTest::mouseMove(window, at(21));
    QCOMPARE(colorOf(w->GetButton(20)), KeyColors::Active);
    QTest::mouseMove(window, at(20));
    QCOMPARE(colorOf(w->GetButton(20)), KeyColors::ActiveMarked);
    QCOMPARE(colorOf(w->GetButton(21)), KeyColors::Normal);
    QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, at(20));
    QTRY_VERIFY(w->PopupMenu1->isVisible());
    w->PopupMenu1->close();
}

// The frame names the newly active window by the time its activation runs,
// whether the program activates it or the user clicks it.
void TestConsoleWindow::activationSeesItsOwnWindow()
{
    host->config = plainConfig(1, 1, 2, 1);
    TMDIChild *w0 = open(1, 0, 1);
    TMDIChild *w1 = open(2, 1, 1);
    host->active = nullptr;
    w0->move(0, 0);
    w1->move(w0->width() + 20, 0);
    host->area.setActiveSubWindow(nullptr);
    host->syncSaw.clear();
    host->area.setActiveSubWindow(w0);
    host->area.setActiveSubWindow(w1);
    host->area.setActiveSubWindow(w0);
    QCOMPARE(host->syncSaw,
             (QStringList{QStringLiteral("Pult0"), QStringLiteral("Pult1"), QStringLiteral("Pult0")}));

    // A click on a key of the other window makes that window the active one.
    QWindow *window = host->area.windowHandle();
    TColorButton *key = w1->GetButton(3);
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, key->mapTo(&host->area, key->rect().center()));
    QTRY_COMPARE(host->area.activeSubWindow(), static_cast<QMdiSubWindow *>(w1));
    QCOMPARE(host->syncSaw.last(), QStringLiteral("Pult1"));
    // And one on the other window's title bar.
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier,
                      w0->mapTo(&host->area, QPoint(w0->width() / 2, 6)));
    QTRY_COMPARE(host->area.activeSubWindow(), static_cast<QMdiSubWindow *>(w0));
    QCOMPARE(host->syncSaw.last(), QStringLiteral("Pult0"));
}

void TestConsoleWindow::mouseMoveOutsideActiveWindowIgnored()
{
    host->config = plainConfig(1, 1, 1, 1);
    TMDIChild *w0 = open(1, 0, 1);
    TMDIChild *w1 = open(1, 1, 1); // now the active one
    host->selectOnMove = true;
    host->invert = true;
    bind(w0, 1, QStringLiteral("X"));
    w0->ButtonMouseMove(w0->GetButton(1), Qt::RightButton, Qt::NoModifier, QPoint(1, 1));
    QCOMPARE(colorOf(w0->GetButton(1)), KeyColors::Normal);
    QVERIFY(!w0->MyHintTimer->isActive());
    Q_UNUSED(w1);
}

void TestConsoleWindow::hintOnMouseMove()
{
    host->config = plainConfig(1, 1);
    host->vlAkoHint = true;
    TMDIChild *w = open(1, 0, 1);
    bind(w, 6, QStringLiteral("Hinted"));
    host->config->Pulty[0]->Klavesy[6]->HintKlavesy = QStringLiteral("own hint");
    TColorButton *k = w->GetButton(6);
    w->ButtonMouseMove(k, Qt::NoButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(w->HintWindow->isVisible());
    const QString shown = w->HintWindow->text();
    QVERIFY(shown.startsWith(LoadStrDll(95) + QStringLiteral("Hinted\n") + LoadStrDll(96) + QStringLiteral("own hint")));
    QVERIFY(!shown.contains(LoadStrDll(101))); // item 12 never on a PC console
    QVERIFY(!shown.contains(LoadStrDll(237))); // item 3 only for board code $72
    QCOMPARE(w->LastHintText.split(QStringLiteral("\r\n")).size(), shown.split(u'\n').size());
    QVERIFY(k->Hint().isEmpty());
    QVERIFY(!k->ShowHint());
    QVERIFY(w->MyHintTimer->isActive());
    // A key without a name hides the hint.
    w->ButtonMouseMove(w->GetButton(7), Qt::NoButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(!w->HintWindow->isVisible());
    QVERIFY(w->LastHintText.isEmpty());
    // Back on the key, then over the pages: hidden at once.
    w->ButtonMouseMove(k, Qt::NoButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(w->HintWindow->isVisible());
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->PageControl1, &move);
    QVERIFY(!w->HintWindow->isVisible());
    QVERIFY(!w->MyHintTimer->isActive());
    // Without the option the key's own hint shows as a tool tip.
    host->vlAkoHint = false;
    w->ButtonMouseMove(k, Qt::NoButton, Qt::NoModifier, QPoint(2, 2));
    QCOMPARE(k->Hint(), QStringLiteral("own hint"));
    QVERIFY(k->ShowHint());
    QVERIFY(!w->HintWindow->isVisible());
}

void TestConsoleWindow::hintTimerHidesAfterQuietTick()
{
    host->config = plainConfig(1, 1);
    host->vlAkoHint = true;
    TMDIChild *w = open(1, 0, 1);
    bind(w, 6, QStringLiteral("Hinted"));
    w->ButtonMouseMove(w->GetButton(6), Qt::NoButton, Qt::NoModifier, QPoint(2, 2));
    w->MyHintTimerTimer(); // remembers the count
    QVERIFY(w->HintWindow->isVisible());
    w->ButtonMouseMove(w->GetButton(6), Qt::NoButton, Qt::NoModifier, QPoint(3, 2));
    w->MyHintTimerTimer(); // moved since: stays
    QVERIFY(w->HintWindow->isVisible());
    w->MyHintTimerTimer(); // a quiet tick
    QVERIFY(!w->HintWindow->isVisible());
    QVERIFY(w->LastHintText.isEmpty());
    QVERIFY(!w->MyHintTimer->isActive());
}

void TestConsoleWindow::menuMarkAndUnmark()
{
    host->config = plainConfig(1, 1);
    TMDIChild *w = open(1, 0, 1);
    bind(w, 0, QStringLiteral("A"));
    bind(w, 1, QStringLiteral("B"));
    bind(w, 2, QStringLiteral("C"));
    w->GetButton(2)->setEnabled(false);
    w->SetActive(w->GetButton(0));
    w->Oznac1->trigger(); // Ctrl+A
    QCOMPARE(colorOf(w->GetButton(0)), KeyColors::Marked);
    QCOMPARE(colorOf(w->GetButton(1)), KeyColors::Marked);
    QCOMPARE(colorOf(w->GetButton(2)), KeyColors::Normal); // disabled
    QCOMPARE(colorOf(w->GetButton(3)), KeyColors::Normal); // free
    w->InvertujVsetko->trigger();
    QCOMPARE(w->CountMarked(), 0);
    w->InvertujVsetko->trigger();
    QCOMPARE(w->CountMarked(), 2);
    w->SetActive(w->GetButton(1));
    w->SetMove(w->GetButton(40));
    w->Odznac1->trigger(); // Ctrl+Shift+A: every key normal, active and move too
    for (TColorButton *b : std::as_const(w->KeyList))
        QCOMPARE(colorOf(b), KeyColors::Normal);
    w->Oznaclinkyaktivdosky1->trigger();
    w->Odznaclinkyaktivdosky1->trigger();
    QCOMPARE(host->calls.filter(QStringLiteral("MarkBoardKeys")),
             (QStringList{QStringLiteral("MarkBoardKeys 1"), QStringLiteral("MarkBoardKeys 0")}));
    w->InvertL->trigger();
    w->SelectOnMoveP->trigger();
    QVERIFY(host->invert && host->selectOnMove);
}

void TestConsoleWindow::contextPopupItems()
{
    host->config = plainConfig(1, 1);
    TMDIChild *w = open(1, 0, 1);
    bind(w, 0, QStringLiteral("A"));
    bind(w, 1, QStringLiteral("B"));
    bool handled = false;
    w->ContextPopup(w->GetButton(0), QPoint(1, 1), &handled);
    QCOMPARE(colorOf(w->GetButton(0)), KeyColors::Active);
    QVERIFY(w->Vlastnosti1->isVisible() && w->Vlastnosti1->isEnabled());
    QVERIFY(w->ZmazAktivnu->isVisible());
    for (QAction *a : {w->Zmaz1, w->ZmazNaVsetkychPaneloch, w->KopirovatLinky, w->PresuvatLinky, w->VlozitLinky})
        QVERIFY2(!a->isVisible() && !a->isEnabled(), qPrintable(a->objectName()));
    for (QAction *a : {w->Oznac1, w->Odznac1, w->InvertujVsetko, w->Oznaclinkyaktivdosky1})
        QVERIFY2(a->isVisible() && a->isEnabled(), qPrintable(a->objectName()));
    QCOMPARE(w->PresuvatLinky->text(), LoadStrDll(50));
    // A marked key brings the block commands; paste needs copied keys that fit.
    w->SetNegative(w->GetButton(1));
    host->copied = 80;
    w->ContextPopup(nullptr, QPoint(), &handled);
    for (QAction *a : {w->Zmaz1, w->ZmazNaVsetkychPaneloch, w->KopirovatLinky, w->PresuvatLinky})
        QVERIFY2(a->isVisible() && a->isEnabled(), qPrintable(a->objectName()));
    QVERIFY(!w->VlozitLinky->isVisible()); // 80 keys do not fit keys 0..79
    host->copied = 79;
    w->ContextPopup(nullptr, QPoint(), &handled);
    QVERIFY(w->VlozitLinky->isVisible() && w->VlozitLinky->isEnabled());
    // Moving: only the move item.
    w->PresuvatLinky->setChecked(true);
    w->ContextPopup(w->GetButton(1), QPoint(), &handled);
    QCOMPARE(w->PresuvatLinky->text(), LoadStrDll(167));
    QVERIFY(w->PresuvatLinky->isVisible() && w->PresuvatLinky->isEnabled());
    for (QAction *a : {w->Oznac1, w->Zmaz1, w->Odznac1, w->Vlastnosti1, w->KopirovatLinky, w->Oznaclinkyaktivdosky1})
        QVERIFY2(!a->isVisible() && !a->isEnabled(), qPrintable(a->objectName()));
    w->PresuvatLinky->setChecked(false);
    // Two active keys: no properties item.
    w->Odznac1->trigger();
    w->GetButton(0)->SetColor(ColorFromTColor(KeyColors::Active));
    w->GetButton(1)->SetColor(ColorFromTColor(KeyColors::Active));
    w->ContextPopup(nullptr, QPoint(), &handled);
    QVERIFY(!w->Vlastnosti1->isVisible());
    QVERIFY(w->InvertL->isCheckable());
    QVERIFY(!w->InvertL->isChecked());
}

void TestConsoleWindow::propertiesOnlyAfterPrepare()
{
    host->config = plainConfig(1, 1);
    TMDIChild *w = open(1, 0, 1);
    bind(w, 3, QStringLiteral("Props"));
    QVERIFY(!w->Vlastnosti1->isEnabled()); // Enter does nothing before the menu was prepared
    w->SetActive(w->GetButton(3));
    bool handled = false;
    w->ContextPopup(nullptr, QPoint(), &handled);
    QVERIFY(w->Vlastnosti1->isEnabled());
    QCOMPARE(w->Vlastnosti1->shortcut(), QKeySequence(Qt::Key_Return));
    w->Vlastnosti1->trigger();
    QCOMPARE(host->propertiesOpened, QList<int>{3});
}

void TestConsoleWindow::formChangeShrinksAndGrows()
{
    host->config = plainConfig(1, 3);
    TMDIChild *w = open(1, 0, 3);
    bind(w, 100, QStringLiteral("K100"));
    bind(w, 200, QStringLiteral("K200"));
    bind(w, 10, QStringLiteral("K10"));
    w->Tag = 1;
    w->FormChange();
    QCOMPARE(w->KeyList.size(), 80);
    QCOMPARE(w->PageControl1->count(), 1);
    QCOMPARE(w->PanelList.size(), 1);
    QCOMPARE(w->findChildren<TColorButton *>().size(), 80);
    QCOMPARE(host->deleted, (QList<int>{200, 100}));
    QVERIFY(host->calls.contains(QStringLiteral("SelectCardAndLine")));
    QCOMPARE(w->GetButton(10)->Caption(), QStringLiteral("K10"));
    QVERIFY(w->isEnabled());
    // Raising again: new pages and unconfigured keys.
    w->Tag = 3;
    w->FormChange();
    QCOMPARE(w->KeyList.size(), 224);
    QCOMPARE(w->PageControl1->count(), 3);
    QCOMPARE(w->PageList[2]->objectName(), QStringLiteral("Page3"));
    QCOMPARE(w->GetButton(223)->parentWidget(), w->PanelList[2]);
    QCOMPARE(w->GetButton(100)->parentWidget(), w->PanelList[1]);
    QVERIFY(w->GetButton(100)->Caption().isEmpty());
    QCOMPARE(w->GetButton(100)->objectName(), QStringLiteral("Button100"));
    const QSize cell = w->GetButton(0)->size();
    QCOMPARE(w->GetButton(87)->pos(), QPoint(5, 5)); // top of page 2's first column
    QCOMPARE(w->GetButton(223)->size(), cell);
    // Another type: a mechanical grid.
    w->ConsoleType = 2;
    w->Tag = 2;
    w->FormChange();
    QCOMPARE(int(w->Rows), 16);
    QCOMPARE(w->PanelList[0]->findChildren<TColorButton *>().size(), 112);
    QCOMPARE(w->GetButton(15)->y(), 5);
    // Not connected: no keys left.
    w->ConsoleType = 0;
    w->FormChange();
    QVERIFY(w->KeyList.isEmpty());
}

void TestConsoleWindow::formChangeReportsFailedDelete()
{
    host->config = plainConfig(1, 2);
    host->deleteResult = false;
    TMDIChild *w = open(1, 0, 2);
    bind(w, 90, QStringLiteral("Stuck"));
    w->Tag = 1;
    w->FormChange();
    QCOMPARE(w->KeyList.size(), 80); // the rebuild goes on
    QCOMPARE(host->log.size(), 1);
    QCOMPARE(host->log[0].first, 0);
    const QStringList lines = host->log[0].second.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 26);
    QCOMPARE(lines[0], QStringLiteral("Unknown Error! Contact author. [MDI 524 FormChange]"));
    QCOMPARE(lines[1], LoadStrDll(95) + QStringLiteral(": Stuck"));
    QCOMPARE(host->prompt.texts(), QStringList{QStringLiteral("Unknown Error! Contact author. [MDI 524 FormChange]")});
    QCOMPARE(host->prompt.asked()[0].kind, TPrompt::Kind::Warning);
    // A console no longer connected reports with its own text.
    host->log.clear();
    host->prompt.clear();
    bind(w, 5, QStringLiteral("Five"));
    w->ConsoleType = 0;
    w->FormChange();
    QCOMPARE(host->prompt.texts(), QStringList{QStringLiteral("Unknown Error! [MDI 495 FormChange]")});
}

void TestConsoleWindow::closeQuery_data()
{
    QTest::addColumn<bool>("dialogue");
    QTest::addColumn<int>("accepted");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveKeeps");
    QTest::addColumn<bool>("stays");
    QTest::addColumn<int>("acceptedAfter");
    QTest::addColumn<int>("asked");
    // askToSave off: the window closes alone.
    QTest::newRow("dialogue running") << true << 0 << true << 0 << true << true << 0 << 0;
    QTest::newRow("already accepted") << false << 1 << true << 0 << true << false << 1 << 0;
    QTest::newRow("modified cancel") << false << 0 << true << int(TPrompt::Cancel) << true << true << 0 << 1;
    QTest::newRow("modified no") << false << 0 << true << int(TPrompt::No) << true << false << 1 << 1;
    QTest::newRow("modified yes saved") << false << 0 << true << int(TPrompt::Yes) << true << false << 1 << 1;
    QTest::newRow("modified yes save failed") << false << 0 << true << int(TPrompt::Yes) << false << true << 0 << 1;
    QTest::newRow("not modified") << false << 0 << false << 0 << true << false << 1 << 0;
}

void TestConsoleWindow::closeQuery()
{
    QFETCH(bool, dialogue);
    QFETCH(int, accepted);
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, saveKeeps);
    QFETCH(bool, stays);
    QFETCH(int, acceptedAfter);
    QFETCH(int, asked);
    host->config = plainConfig(1, 1);
    host->askToSave = false;
    host->dialogue = dialogue;
    host->closeAccepted = Byte(accepted);
    host->modified = modified;
    host->saveKeepsAccepted = saveKeeps;
    if (answer)
        host->prompt.Answer(answer);
    QPointer<TMDIChild> w = open(1, 0, 1);
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(bool(w) && w->isVisible(), stays);
    QCOMPARE(int(host->closeAccepted), acceptedAfter);
    QCOMPARE(host->prompt.asked().size(), asked);
    if (asked)
        QCOMPARE(host->prompt.asked()[0].text, LoadStrDll(33));
    QCOMPARE(host->calls.contains(QStringLiteral("AbortCommunication")), dialogue);
    QCOMPARE(host->calls.contains(QStringLiteral("Save2FileOrv")), answer == TPrompt::Yes);
    // The card is shown again whenever the answer let the window go.
    const bool answeredClose = !dialogue && !accepted && (answer != TPrompt::Cancel) && saveKeeps;
    QCOMPARE(host->calls.contains(QStringLiteral("ShowCard")), answeredClose);
    QCOMPARE(host->calls.contains(QStringLiteral("DisableWriteToSystem")), answeredClose);
    QVERIFY(!host->calls.contains(QStringLiteral("CloseAllConsoles")));
}

void TestConsoleWindow::closingOneClosesAll()
{
    host->config = plainConfig(1, 1, 2, 1);
    host->closeAccepted = 0;
    host->modified = true;
    host->prompt.Answer(TPrompt::No);
    QPointer<TMDIChild> w0 = open(1, 0, 1);
    QPointer<TMDIChild> w1 = open(2, 1, 1);
    w0->close();
    QVERIFY(w0->isVisible()); // stays until all are closed together
    QTRY_VERIFY(!w0 || !w0->isVisible());
    QVERIFY(!w1 || !w1->isVisible());
    QCOMPARE(host->prompt.asked().size(), 1); // asked once for all windows
    QVERIFY(!host->config);                    // the configuration went with them
    QVERIFY(host->calls.contains(QStringLiteral("CloseAllConsoles")));
    QVERIFY(host->consoleClosing);
    QCOMPARE(int(host->closeAccepted), 1);
    QVERIFY(!host->modified);
    QVERIFY(host->newProjectCleared);
}

void TestConsoleWindow::exitDoesNotReportRefusalThatNeverHappened()
{
    // Exit: close-accepted cleared, then every window closed by the main window.
    host->config = plainConfig(1, 1, 2, 1);
    host->closeAccepted = 0;
    host->modified = true;
    host->consoleClosing = true;
    host->prompt.Answer(TPrompt::No);
    QPointer<TMDIChild> w0 = open(1, 0, 1);
    QPointer<TMDIChild> w1 = open(2, 1, 1);
    QVERIFY(CloseAllConsoleWindows(*host));
    QVERIFY(!w0 || !w0->isVisible());
    QVERIFY(!w1 || !w1->isVisible());
    QCOMPARE(host->prompt.asked().size(), 1);
    QVERIFY(host->consoleClosing); // set again afterwards
    QVERIFY(!host->config);
    QCoreApplication::processEvents();
    // No deferred second close of all was started.
    QCOMPARE(host->calls.count(QStringLiteral("CloseAllConsoles")), 0);
}

void TestConsoleWindow::exitStopsAtRealRefusal()
{
    host->config = plainConfig(1, 1, 2, 1);
    host->closeAccepted = 0;
    host->modified = true;
    host->prompt.Answer(TPrompt::Cancel);
    QPointer<TMDIChild> w0 = open(1, 0, 1);
    QPointer<TMDIChild> w1 = open(2, 1, 1);
    QVERIFY(!CloseAllConsoleWindows(*host));
    QVERIFY(w0 && w0->isVisible());
    QVERIFY(w1 && w1->isVisible());
    QVERIFY(host->config);
    QVERIFY(host->modified);
    QVERIFY(host->consoleClosing);
    // Not running any more: a second call works.
    host->closeAccepted = 1;
    QVERIFY(CloseAllConsoleWindows(*host));
}

void TestConsoleWindow::openConsoleWindows()
{
    host->config = fixture::BuildFixture();
    for (int s = 2; s <= 4; ++s)
        host->config->SlotyDosiek[s].Meno.clear();
    host->mode = 3;
    const QString mb = host->config->Pulty[0]->Dosky[0]->Linky[0]->MenoLinky;
    QVERIFY(OpenConsoleWindows(*host, QStringLiteral("Pult"), LoadStrDll(18), false, host->config.get()));
    QVERIFY(host->CardOfSlot(0) && host->CardOfSlot(1));
    const QList<TMDIChild *> windows = host->ConsoleWindows();
    QCOMPARE(windows.size(), 2);
    QCOMPARE(windows[0]->objectName(), QStringLiteral("Pult1")); // console 1 first
    QCOMPARE(windows[1]->objectName(), QStringLiteral("Pult0"));
    TMDIChild *w0 = windows[1];
    QCOMPARE(w0->KeyList.size(), 224);
    QCOMPARE(windows[0]->PanelList[0]->findChildren<TColorButton *>().size(), 112);
    const TPult &p0 = *host->config->Pulty[0];
    QCOMPARE(w0->GetButton(0)->Caption(), p0.Klavesy[0]->MenoKlavesy);
    QCOMPARE(w0->GetButton(0)->Hint(), p0.Klavesy[0]->HintKlavesy);
    QCOMPARE(w0->GetButton(0)->FontColor(), ColorFromTColor(0x0000FF));
    QCOMPARE(w0->GetButton(10)->Caption(), QStringLiteral("A;B;jej meno")); // MenoLinky "nekonf" counts
    QVERIFY(w0->GetButton(20)->Caption().isEmpty());                          // no line
    QCOMPARE(windows[0]->GetButton(100)->Caption(), QStringLiteral("HLS Ťahač"));
    // Lines take the card's names after their position.
    TCardOld *card = host->CardOfSlot(0);
    QCOMPARE(p0.Dosky[0]->Linky[0]->MenoLinky, LinePosName(0) + QStringLiteral(" - ") + card->GetNameLin(0));
    Q_UNUSED(mb);
    QCOMPARE(int(host->closeAccepted), 0);
    QVERIFY(host->calls.contains(QStringLiteral("UpdatePultButtons 0")));
    QVERIFY(host->calls.contains(QStringLiteral("UpdatePultButtons 1")));
    QVERIFY(!host->calls.contains(QStringLiteral("Save2FileOrv")));
    QCOMPARE(w0->PageControl1->isEnabled(), true);
}

void TestConsoleWindow::openUpgradedProject()
{
    host->config = fixture::BuildFixture();
    for (int s = 2; s <= 4; ++s)
        host->config->SlotyDosiek[s].Meno.clear();
    host->mode = 3;
    TPult &p0 = *host->config->Pulty[0];
    TRLinka &first = *p0.Dosky[1]->Linky[0]->RLinky[0];
    first.Klavesa = 3;
    const QString before = first.MenoRLinky;
    QVERIFY(OpenConsoleWindows(*host, QStringLiteral("Pult"), LoadStrDll(18), true, host->config.get()));
    TCardOld *card = host->CardOfSlot(1);
    QVERIFY(card);
    QCOMPARE(first.MenoRLinky, before + QStringLiteral(" - ") + card->GetRozsirLinName(0, 0));
    QCOMPARE(p0.Klavesy[3]->MenoLinky, first.MenoRLinky);
    // Only the first extended line is renamed.
    QCOMPARE(p0.Dosky[1]->Linky[0]->RLinky[1]->MenoRLinky, QStringLiteral("Pr. 01"));
    QVERIFY(host->calls.contains(QStringLiteral("Save2FileOrv")));
    QCOMPARE(int(host->closeAccepted), 0);
}

void TestConsoleWindow::openFailsOnUnknownCard()
{
    host->config = fixture::BuildFixture(); // slot 2 names a class nobody registered
    host->mode = 3;
    QVERIFY(!OpenConsoleWindows(*host, QStringLiteral("Pult"), LoadStrDll(18), false, host->config.get()));
    QVERIFY(host->ConsoleWindows().isEmpty());
    QVERIFY(!host->config);
    QVERIFY(host->cards.empty());
    QCOMPARE(host->prompt.texts(), QStringList{LoadStrDll(113)});
    QCOMPARE(host->prompt.asked()[0].kind, TPrompt::Kind::Error);
    QVERIFY(!OpenConsoleWindows(*host, QStringLiteral("Pult"), QString(), false, nullptr));
}

void TestConsoleWindow::openOneConsole()
{
    host->config = fixture::BuildFixture();
    host->closeAccepted = 1;
    QVERIFY(OpenConsoleWindow(*host, 1, QStringLiteral("Pult"), host->config.get(), LoadStrDll(18)));
    const QList<TMDIChild *> windows = host->ConsoleWindows();
    QCOMPARE(windows.size(), 1);
    QCOMPARE(windows[0]->objectName(), QStringLiteral("Pult1"));
    QCOMPARE(windows[0]->GetButton(100)->Caption(), QStringLiteral("HLS Ťahač"));
    QCOMPARE(int(host->closeAccepted), 1);
    QVERIFY(!host->calls.contains(QStringLiteral("UpdatePultButtons 1")));
    // A console that is not connected gets no window.
    host->config->Pulty[1]->TypPultu = 0;
    QVERIFY(!OpenConsoleWindow(*host, 1, QStringLiteral("Pult"), host->config.get(), QString()));
    QCOMPARE(host->ConsoleWindows().size(), 1);
}

void TestConsoleWindow::screenshots()
{
    const QByteArray folder = qgetenv("KELVARA_CONSOLE_SHOT");
    if (folder.isEmpty())
        QSKIP("set KELVARA_CONSOLE_SHOT to a folder for screenshots");
    host->config = fixture::BuildFixture();
    for (int s = 2; s <= 4; ++s)
        host->config->SlotyDosiek[s].Meno.clear();
    host->mode = 3;
    QVERIFY(OpenConsoleWindows(*host, QStringLiteral("Pult"), LoadStrDll(18), false, host->config.get()));
    for (TMDIChild *w : host->ConsoleWindows()) {
        w->SetActive(w->GetButton(0));
        w->SetNegative(w->GetButton(1));
        w->SetNegative(w->GetButton(2));
        w->SetActive(w->GetButton(2));
        w->SetMove(w->GetButton(16));
        QCoreApplication::processEvents();
        QVERIFY(w->grab().save(QString::fromLocal8Bit(folder) + u'/' + w->objectName() + QStringLiteral(".png")));
    }
    TMDIChild *w0 = host->ConsoleWindows().last();
    host->active = w0;
    host->vlAkoHint = true;
    w0->ButtonMouseMove(w0->GetButton(0), Qt::NoButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(w0->HintWindow->isVisible());
    QVERIFY(w0->HintWindow->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/hint.png")));
}

QTEST_MAIN(TestConsoleWindow)
#include "test_window.moc"
