#include "windows/udprform.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGridLayout>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

QPoint DockedStatusPosition(const QRect &MainFrame, const QSize &StatusFrame, int StatusBarHeight)
{
    return QPoint(MainFrame.left() + MainFrame.width() - StatusFrame.width() - 4,
                  MainFrame.top() + MainFrame.height() - StatusFrame.height() - StatusBarHeight - 7);
}

bool TDockMoveState::OnMove(bool IsActiveWindow, const QPoint &Position)
{
    const bool byDocking = HasPlaced && Position == Placed;
    const bool undock = IsActiveWindow && DockMove != 0 && Counter > 2 && !byDocking;
    if (Counter < 3)
        ++Counter;
    return undock;
}

QString TUDPRForm1::TPrFace::Print(bool Flag, const QString &Text) const
{
    if (!Flag)
        return QString();
    return QStringLiteral("%1 - %2").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy / MM /dd hh:mm:ss")), Text);
}

TUDPRForm1::TUDPRForm1(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), face_(std::make_unique<TPrFace>())
{
    setObjectName(QStringLiteral("UDPRForm1"));
    face_->Enabled = false;
    dock_ = TDockMoveState{};

    M = new QPlainTextEdit(this);
    M->setObjectName(QStringLiteral("M"));
    M->setReadOnly(true);
    M->setLineWrapMode(QPlainTextEdit::NoWrap);
    M->clear();

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto button = [this](const char *name, const char *text, int tag) {
        auto *b = new QPushButton(QLatin1String(text), Panel2);
        b->setObjectName(QLatin1String(name));
        b->setProperty("Tag", tag);
        return b;
    };
    Button4 = button("Button4", "PRECHOD DO CFG", 3);
    Button1 = button("Button1", "CFG OFF", 5);
    Button7 = button("Button7", "Read", 0);
    Button8 = button("Button8", "Write", 0);
    CheckBox1 = new QCheckBox(QStringLiteral("Dock"), Panel2);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);
    CheckBox2 = new QCheckBox(QStringLiteral("On top"), Panel2);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));

    auto *grid = new QGridLayout(Panel2);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->addWidget(Button4, 0, 0);
    grid->addWidget(Button1, 0, 1);
    grid->addWidget(Button7, 1, 0);
    grid->addWidget(Button8, 1, 1);
    grid->addWidget(CheckBox1, 2, 0);
    grid->addWidget(CheckBox2, 2, 1);
    Panel2->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(M, 1);
    layout->addWidget(Panel2);

    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(Button4); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button4Click(Button1); });
    connect(Button7, &QPushButton::clicked, this, &TUDPRForm1::ReadConfigByNet);
    connect(Button8, &QPushButton::clicked, this, &TUDPRForm1::WriteConfigByNet);
    connect(CheckBox1, &QCheckBox::clicked, this, &TUDPRForm1::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TUDPRForm1::CheckBox2Click);
    resize(360, 220);
}

TUDPRForm1::~TUDPRForm1() = default;

void TUDPRForm1::AppendLine(const QString &Text)
{
    QTextCursor caret = M->textCursor();
    const int start = caret.selectionStart();
    const int end = caret.selectionEnd();
    const int anchor = caret.anchor();
    const int position = caret.position();
    QTextCursor tail(M->document());
    tail.movePosition(QTextCursor::End);
    const bool atEnd = start >= tail.position();
    QScrollBar *bar = M->verticalScrollBar();
    const int scroll = bar->value();
    M->appendPlainText(Text);
    if (!atEnd) {
        QTextCursor keep(M->document());
        keep.setPosition(anchor);
        keep.setPosition(position, QTextCursor::KeepAnchor);
        M->setTextCursor(keep);
        bar->setValue(scroll);
    } else {
        M->moveCursor(QTextCursor::End);
    }
    Q_UNUSED(end);
}

void TUDPRForm1::ClearLog() { M->clear(); }

void TUDPRForm1::SetDockTarget(QWidget *MainWindow, int StatusBarHeight)
{
    mainWindow_ = MainWindow;
    statusBarHeight_ = StatusBarHeight;
}

bool TUDPRForm1::PlaceStatusWindow() { return ::PlaceStatusWindow(this, mainWindow_, statusBarHeight_); }

void TUDPRForm1::StatusWindowClick()
{
    if (isHidden())
        show();
    raise();
    activateWindow();
}

void TUDPRForm1::SetOperationRunning(bool Running)
{
    for (QPushButton *b : {Button4, Button1, Button7, Button8})
        b->setEnabled(!Running);
}

void TUDPRForm1::Button4Click(QPushButton *Sender)
{
    emit SendNetCommand(Sender->property("Tag").toInt(), QStringLiteral("SetMod "));
}

void TUDPRForm1::CheckBox1Click()
{
    dock_.DockMove = 0;
    PlaceStatusWindow();
    dock_.DockMove = 1;
}

void TUDPRForm1::CheckBox2Click()
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, CheckBox2->isChecked());
    if (visible)
        show(); // changing the flags hides the window
}

void TUDPRForm1::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (dock_.OnMove(isActiveWindow(), pos()))
        CheckBox1->setChecked(false);
}

void TUDPRForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The frame is known only now: dock again with its real size.
    dock_.DockMove = 0;
    PlaceStatusWindow();
    dock_.DockMove = 1;
}

bool PlaceStatusWindow(TUDPRForm1 *Status, const QWidget *MainWindow, int StatusBarHeight)
{
    if (!Status || !MainWindow || !Status->CheckBox1->isChecked())
        return false;
    const QPoint to = DockedStatusPosition(MainWindow->frameGeometry(), Status->frameGeometry().size(), StatusBarHeight);
    Status->dock_.Docked(to);
    Status->move(to);
    return true;
}
