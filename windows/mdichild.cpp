#include "windows/mdichild.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>
#include <exception>

#include "cardpack/dll_load.h"
#include "windows/consolehost.h"
#include "windows/keystates.h"
#include "windows/prompt.h"

namespace
{

TConsoleHost *installedHost = nullptr;

// Button-style tabs of a fixed size.
class TFixedTabBar : public QTabBar
{
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int) const override { return QSize(100, 25); }
};

class TPageControl : public QTabWidget
{
public:
    explicit TPageControl(QWidget *parent) : QTabWidget(parent)
    {
        setTabBar(new TFixedTabBar(this));
        setDocumentMode(false);
    }
};

void setColorOf(TColorButton *key, std::uint32_t c) { key->SetColor(ColorFromTColor(c)); }

// The outer size a new window starts from, before it snaps to whole cells.
constexpr int InitialWidth = 700;
constexpr int InitialHeight = 480;

} // namespace

TConsoleHost *ConsoleHost() { return installedHost; }
void SetConsoleHost(TConsoleHost *host) { installedHost = host; }

int TMDIChild::MouseMoveCount = 0;

TMDIChild::TMDIChild(QWidget *owner, const QString &text, const QString &prefix, Byte consoleType, int consoleNo,
                     int screens)
    : QMdiSubWindow(owner)
{
    Q_UNUSED(text);
    setAttribute(Qt::WA_DeleteOnClose); // close action: free
    const QString name = prefix + QString::number(consoleNo);
    setWindowTitle(name);
    setObjectName(name);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    Tag = screens;
    ConsoleType = consoleType;
    ConsoleNo = consoleNo;
    ActiveKeyIndex = 0;
    MoveBase = 0;
    KeyCapacityOfWindow = KeyCapacity;
    if (TConsoleHost *host = ConsoleHost(); host && host->BoardList()) {
        const KeyGrid grid = ConsoleKeyGrid(*host->BoardList(), consoleType);
        Rows = Byte(grid.rows);
        Columns = Byte(grid.columns);
    }
    LastPassed = nullptr;
    Anchor = nullptr;
    Inside = false;

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    client_->setMouseTracking(true);
    client_->installEventFilter(this);
    setWidget(client_);

    PageControl1 = new TPageControl(client_);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setMouseTracking(true);
    PageControl1->installEventFilter(this);
    PageControl1->tabBar()->setMouseTracking(true);
    PageControl1->tabBar()->installEventFilter(this);

    StatusBar1 = new QStatusBar(client_);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(19);
    StatusBar1->setMouseTracking(true);
    StatusBar1->installEventFilter(this);
    const int widths[2] = {130, 50};
    for (int i = 0; i < 2; ++i) {
        StatusPanels[i] = new QLabel(StatusBar1);
        StatusPanels[i]->setFixedWidth(widths[i]);
        StatusPanels[i]->setFrameShape(QFrame::Panel);
        StatusPanels[i]->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(StatusPanels[i]);
    }

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    // The menu hides before its chosen command runs: the key it was opened
    // on is forgotten only afterwards.
    connect(
        PopupMenu1, &QMenu::aboutToHide, this, [this] { PopupKey = nullptr; }, Qt::QueuedConnection);

    MyHintTimer = new QTimer(this);
    MyHintTimer->setObjectName(QStringLiteral("MyHintTimer"));
    MyHintTimer->setInterval(1000);
    connect(MyHintTimer, &QTimer::timeout, this, [this] { guarded("MyHintTimerTimer", [this] { MyHintTimerTimer(); }); });
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    resize(InitialWidth, InitialHeight);
    FormCreate();
    watchArea();
}

TMDIChild::~TMDIChild()
{
    delete HintWindow;
}

void TMDIChild::guarded(const char *where, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        if (TConsoleHost *host = ConsoleHost())
            host->AddLogEntry(1, QString::fromUtf8(where) + QStringLiteral(": ") + QString::fromUtf8(e.what()));
    } catch (...) {
        if (TConsoleHost *host = ConsoleHost())
            host->AddLogEntry(1, QString::fromUtf8(where));
    }
}

int TMDIChild::StatusBarHeight() const { return StatusBar1 ? StatusBar1->height() : 0; }

int TMDIChild::LastKeyNumber() const { return KeyCountFor(Grid(), Tag) - 1; }

bool TMDIChild::Moving() const { return PresuvatLinky && PresuvatLinky->isChecked(); }

KeyLayout TMDIChild::currentLayout() const { return LayoutForWindow(width(), height(), StatusBarHeight(), Grid()); }

// ---- creation -----------------------------------------------------------------------------

void TMDIChild::createMenu()
{
    struct Item {
        QAction **action;
        const char *name;
        int text;
        QKeySequence shortcut;
        void (TMDIChild::*handler)();
    };
    const Item items[] = {
        {&Vlastnosti1, "Vlastnosti1", 53, QKeySequence(Qt::Key_Return), &TMDIChild::Vlastnosti1Click},
        {&ZmazAktivnu, "ZmazAktivnu", 126, QKeySequence(Qt::CTRL | Qt::Key_Delete), &TMDIChild::ZmazAktivnuClick},
        {&Zmaz1, "Zmaz1", 44, QKeySequence(Qt::Key_Delete), &TMDIChild::Zmaz1Click},
        {&ZmazNaVsetkychPaneloch, "ZmazNaVsetkychPaneloch", 45, QKeySequence(Qt::SHIFT | Qt::Key_Delete),
         &TMDIChild::ZmazNaVsetkychPaneloch1Click},
        {&Oznac1, "Oznac1", 46, QKeySequence(Qt::CTRL | Qt::Key_A), &TMDIChild::Oznac1Click},
        {&Oznaclinkyaktivdosky1, "Oznaclinkyaktivdosky1", 128, QKeySequence(Qt::Key_Insert),
         &TMDIChild::Oznaclinkyaktivdosky1Click},
        {&Odznac1, "Odznac1", 111, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), &TMDIChild::Odznac1Click},
        {&Odznaclinkyaktivdosky1, "Odznaclinkyaktivdosky1", 112, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Insert),
         &TMDIChild::Odznaclinkyaktivdosky1Click},
        {&InvertujVsetko, "InvertujVsetko", 47, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I),
         &TMDIChild::InvertujVsetkoClick},
        {&KopirovatLinky, "KopirovatLinky", 48, QKeySequence(Qt::CTRL | Qt::Key_C), &TMDIChild::KopirovatLinkyClick},
        {&VlozitLinky, "VlozitLinky", 49, QKeySequence(Qt::CTRL | Qt::Key_V), &TMDIChild::VlozitLinkyClick},
        {&PresuvatLinky, "PresuvatLinky", 50, QKeySequence(Qt::CTRL | Qt::Key_M), &TMDIChild::PresuvatLinkyClick},
        {&InvertL, "InvertL", 54, QKeySequence(), &TMDIChild::InvertLClick},
        {&SelectOnMoveP, "SelectOnMoveP", 55, QKeySequence(), &TMDIChild::SelectOnMovePClick},
    };
    for (const Item &item : items) {
        auto *a = new QAction(LoadStrDll(item.text), this);
        a->setObjectName(QString::fromLatin1(item.name));
        if (!item.shortcut.isEmpty()) {
            a->setShortcut(item.shortcut);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        const auto handler = item.handler;
        const char *name = item.name;
        connect(a, &QAction::triggered, this, [this, handler, name] { guarded(name, [this, handler] { (this->*handler)(); }); });
        PopupMenu1->addAction(a);
        addAction(a); // shortcuts work while the window has the focus
        *item.action = a;
    }
    Vlastnosti1->setData(-1);
    PresuvatLinky->setCheckable(true);
    InvertL->setCheckable(true);
    SelectOnMoveP->setCheckable(true);
    // Enter acts only once the menu was prepared for one active key.
    Vlastnosti1->setVisible(false);
    Vlastnosti1->setEnabled(false);
    VlozitLinky->setVisible(false);
    VlozitLinky->setEnabled(false);
    InvertL->setVisible(false);
    SelectOnMoveP->setVisible(false);
}

void TMDIChild::FormCreate()
{
    // 1. The hint window.
    HintWindow = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    HintWindow->setObjectName(QStringLiteral("HintWindow"));
    HintWindow->setFrameShape(QFrame::Box);
    HintWindow->setMargin(2);
    HintWindow->setAutoFillBackground(true);
    QPalette hintPalette = HintWindow->palette();
    hintPalette.setColor(QPalette::Window, QToolTip::palette().color(QPalette::ToolTipBase));
    hintPalette.setColor(QPalette::WindowText, QToolTip::palette().color(QPalette::ToolTipText));
    HintWindow->setPalette(hintPalette);
    LastHintText = QStringLiteral("321");
    // 2. The pop-up menu.
    createMenu();
    // 3. Lists.
    KeyList.clear();
    PageList.clear();
    PanelList.clear();
    if (!Grid().IsValid()) {
        created_ = true;
        return;
    }
    // 4. Whole cells.
    const KeyLayout layout = currentLayout();
    resizing_ = true;
    resize(layout.window);
    resizing_ = false;
    // 5. Pages with their keys.
    for (int p = 1; p <= Tag; ++p)
        addPage(p, layout, true);
    // 6.
    placeChildren(layout);
    created_ = true;
}

void TMDIChild::addPage(int p, const KeyLayout &layout, bool withKeys)
{
    auto *page = new QWidget();
    page->setObjectName(QStringLiteral("Page") + QString::number(p));
    page->setProperty("Tag", p);
    page->setMouseTracking(true);
    page->installEventFilter(this);
    page->resize(layout.grid);
    PageControl1->addTab(page, QString::number(p));
    PageList.append(page);

    auto *panel = new QFrame(page);
    panel->hide();
    panel->setObjectName(QStringLiteral("Panel") + QString::number(p));
    panel->setProperty("Tag", p);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setMouseTracking(true);
    panel->installEventFilter(this);
    panel->setGeometry(QRect(QPoint(0, 0), layout.panel));
    PanelList.append(panel);

    const KeyGrid grid = Grid();
    for (int c = 1; withKeys && c <= grid.columns; ++c)
        for (int r = 1; r <= grid.rows; ++r) {
            const int n = KeyAtCell(grid, p, c, r);
            if (n < 0)
                continue;
            TColorButton *key = createKey(n, panel, layout.cell);
            // Inserting at the column's start keeps the list ordered by number.
            const int at = std::min<int>(grid.rows * grid.columns * (p - 1) + grid.rows * (c - 1), KeyList.size());
            KeyList.insert(at, key);
        }
    panel->show();
}

TColorButton *TMDIChild::createKey(int n, QWidget *parent, const QSize &cell)
{
    auto *key = new TColorButton(parent);
    key->Tag = n;
    key->setObjectName(QStringLiteral("Button") + QString::number(n));
    key->setGeometry(KeyCellRect(n, Grid(), cell));
    key->SetCaption(QString());
    setColorOf(key, KeyColors::Normal);
    key->SetPopupMenu(PopupMenu1);
    if (TConsoleHost *host = ConsoleHost())
        key->setFont(host->KeyFont());
    connect(key, &TColorButton::OnContextPopup, this, [this](TColorButton *s, QPoint pos, bool *handled) {
        PopupKey = s;
        guarded("ContextPopup", [&] { ContextPopup(s, pos, handled); });
    });
    connect(key, &TColorButton::OnClick, this,
            [this](TColorButton *s) { guarded("ButtonClick", [&] { ButtonClick(s); }); });
    connect(key, &TColorButton::OnMouseDown, this,
            [this](TColorButton *s, Qt::MouseButton b, Qt::MouseButtons bs, Qt::KeyboardModifiers m, QPoint pos) {
                guarded("ButtonMouseDown", [&] { ButtonMouseDown(s, b, bs, m, pos); });
            });
    connect(key, &TColorButton::OnMouseMove, this,
            [this](TColorButton *s, Qt::MouseButtons bs, Qt::KeyboardModifiers m, QPoint pos) {
                guarded("ButtonMouseMove", [&] { ButtonMouseMove(s, bs, m, pos); });
            });
    key->SetShowHint(true);
    key->HelpContext = 1;
    key->show();
    return key;
}

void TMDIChild::placeChildren(const KeyLayout &layout)
{
    PageControl1->setGeometry(0, 0, layout.pageControl.width(), layout.pageControl.height());
    StatusBar1->setGeometry(0, layout.statusBarTop, layout.statusBarWidth, StatusBarHeight());
}

TColorButton *TMDIChild::GetButton(int n) const
{
    if (n < 0 || n >= KeyList.size())
        return nullptr;
    return qobject_cast<TColorButton *>(KeyList.at(n));
}

void TMDIChild::SetKeyFont(const QFont &font)
{
    for (TColorButton *key : std::as_const(KeyList))
        if (key)
            key->setFont(font);
}

// ---- rebuild ------------------------------------------------------------------------------

void TMDIChild::removeLastKey()
{
    TColorButton *key = KeyList.takeLast();
    if (key && !key->Caption().isEmpty()) {
        TConsoleHost *host = ConsoleHost();
        if (host && !host->DeleteKeys(key->Tag, true, false, false)) {
            FillKeyInfo(key->Tag);
            const QString message = ConsoleType == 0
                                        ? QStringLiteral("Unknown Error! [MDI 495 FormChange]")
                                        : QStringLiteral("Unknown Error! Contact author. [MDI 524 FormChange]");
            host->AddLogEntry(0, message + QStringLiteral("\r\n") + KeyInfoLogText(KeyInfo));
            host->Prompt().Warning(message);
        }
    }
    if (key == LastPassed)
        LastPassed = nullptr;
    if (key == Anchor)
        Anchor = nullptr;
    if (key == PropertiesKey)
        PropertiesKey = nullptr;
    if (key == ColorSource)
        ColorSource = nullptr;
    delete key;
}

void TMDIChild::FormChange()
{
    TConsoleHost *host = ConsoleHost();
    setEnabled(false);
    KeyCapacityOfWindow = KeyCapacity;
    if (host && host->BoardList()) {
        const KeyGrid grid = ConsoleKeyGrid(*host->BoardList(), ConsoleType);
        Rows = Byte(grid.rows);
        Columns = Byte(grid.columns);
    }
    if (ConsoleType == 0 || !Grid().IsValid()) {
        while (!KeyList.isEmpty())
            removeLastKey();
    } else {
        LastHintText = QStringLiteral("321");
        const int wanted = KeyCountFor(Grid(), Tag);
        const KeyLayout layout = currentLayout();
        bool removed = false;
        while (KeyList.size() > wanted) {
            removeLastKey();
            removed = true;
        }
        if (removed && host)
            host->SelectCardAndLine(false);
        while (KeyList.size() < wanted) {
            const int n = KeyList.size();
            KeyList.append(createKey(n, PanelList.isEmpty() ? client_ : PanelList.first(), layout.cell));
        }
        // The keys exist already: new pages only take them over below.
        while (PageList.size() < Tag)
            addPage(PageList.size() + 1, layout, false);
        const int perScreen = KeysPerScreen(Grid());
        for (int p = 0; p < Tag && p < PanelList.size(); ++p)
            for (int m = 0; m < perScreen; ++m) {
                const int n = p * perScreen + m;
                if (n >= KeyCapacity || n >= KeyList.size())
                    break;
                KeyList[n]->setParent(PanelList[p]);
                KeyList[n]->setGeometry(KeyCellRect(n, Grid(), layout.cell));
                KeyList[n]->show();
            }
    }
    while (PageList.size() > std::max(Tag, 0)) {
        QFrame *panel = PanelList.takeLast();
        QWidget *page = PageList.takeLast();
        delete panel;
        PageControl1->removeTab(PageControl1->indexOf(page));
        delete page;
    }
    if (Grid().IsValid())
        placeChildren(currentLayout());
    setEnabled(true);
    if (ConsoleType != 0)
        FormResize();
}

// ---- resize -------------------------------------------------------------------------------

void TMDIChild::FormResize()
{
    if (!created_ || !Grid().IsValid())
        return;
    const KeyLayout layout = currentLayout();
    if (size() != layout.window) {
        resizing_ = true;
        resize(layout.window);
        resizing_ = false;
    }
    placeChildren(layout);
    QWidget *page = PageControl1->currentWidget();
    if (page)
        page->setUpdatesEnabled(false);
    for (TColorButton *key : std::as_const(KeyList))
        if (key)
            key->setGeometry(KeyCellRect(key->Tag, Grid(), layout.cell));
    for (QFrame *panel : std::as_const(PanelList))
        panel->setGeometry(QRect(QPoint(0, 0), layout.panel));
    if (page)
        page->setUpdatesEnabled(true);
}

void TMDIChild::resizeEvent(QResizeEvent *event)
{
    QMdiSubWindow::resizeEvent(event);
    if (!resizing_)
        FormResize();
}

// ---- activation and closing -----------------------------------------------------------------

void TMDIChild::FormActivate()
{
    if (TConsoleHost *host = ConsoleHost())
        host->SyncCardWithActiveConsole();
}

void TMDIChild::FormCloseQuery(bool &canClose)
{
    TConsoleHost *host = ConsoleHost();
    if (!host)
        return;
    if (host->DialogueRunning()) {
        host->AbortCommunication();
        canClose = false;
        return;
    }
    if (host->CloseAccepted())
        return;
    if (host->Modified()) {
        const int answer = host->Prompt().Ask(TPrompt::Kind::Warning, LoadStrDll(33), TPrompt::YesNoCancel);
        if (answer == TPrompt::Yes) {
            host->CloseAccepted() = 1;
            // A save that was cancelled or failed keeps the window and its changes.
            if (!host->Save2FileOrv())
                host->CloseAccepted() = 0;
            canClose = host->CloseAccepted() != 0;
        } else if (answer == TPrompt::No) {
            host->CloseAccepted() = 1;
        } else {
            host->CloseAccepted() = 0;
            canClose = false;
        }
    } else {
        host->CloseAccepted() = 1;
    }
    if (!canClose)
        return;
    host->ShowCard(true, 0);
    host->DisableWriteToSystem();
    if (host->AskToSave() && host->ConsoleClosing()) {
        // Closed by the user alone: every console window goes, once this close
        // event is over (a window cannot be closed again from inside its own close).
        canClose = false;
        QMetaObject::invokeMethod(
            qApp, [] { if (TConsoleHost *h = ConsoleHost()) h->CloseAllConsoles(); }, Qt::QueuedConnection);
    }
}

void TMDIChild::closeEvent(QCloseEvent *event)
{
    bool canClose = true;
    guarded("FormCloseQuery", [&] { FormCloseQuery(canClose); });
    if (!canClose) {
        event->ignore();
        return;
    }
    HideHint();
    QMdiSubWindow::closeEvent(event);
}

bool TMDIChild::event(QEvent *event)
{
    // A shortcut acts in the situations where the menu would show its item,
    // also when the menu was not opened since the keys were marked.
    if (event->type() == QEvent::ShortcutOverride)
        guarded("UpdatePopupItems", [this] { UpdatePopupItems(); });
    const bool result = QMdiSubWindow::event(event);
    if (event->type() == QEvent::ParentChange)
        watchArea();
    return result;
}

void TMDIChild::watchArea()
{
    // The frame's own activation signal comes once the frame counts this
    // window as its active one; the window's aboutToActivate comes before,
    // while the frame still names the previous window.
    QMdiArea *area = mdiArea();
    if (area == watchedArea_)
        return;
    if (watchedArea_)
        disconnect(watchedArea_, &QMdiArea::subWindowActivated, this, nullptr);
    watchedArea_ = area;
    if (area)
        connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *w) {
            if (w == this)
                guarded("FormActivate", [this] { FormActivate(); });
        });
}

bool TMDIChild::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && watched != this)
        guarded("PageControl1MouseMove", [this] { PageControl1MouseMove(); });
    return QMdiSubWindow::eventFilter(watched, event);
}

void TMDIChild::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (!text.isEmpty())
        guarded("FormKeyPress", [&] { FormKeyPress(text.at(0)); });
    QMdiSubWindow::keyPressEvent(event);
}

void TMDIChild::contextMenuEvent(QContextMenuEvent *event)
{
    bool handled = false;
    guarded("ContextPopup", [&] { ContextPopup(nullptr, event->pos(), &handled); });
    if (!handled)
        PopupMenu1->popup(event->globalPos());
    event->accept();
}
