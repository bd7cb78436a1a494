// The program log and the communication log, their files, the log panel's
// height, the splitter between the panes and the window size presets.
#include "mainwindow/mainform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QSplitterHandle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "editing/mainrules.h"
#include "mainwindow/mainwidgets.h"
#include "platform/codepage.h"
#include "platform/programfolder.h"
#include "windows/prompt.h"
#include "windows/udprform.h"

namespace {

// A memo's lines as a text file: Windows-1250, each line ended by CR LF.
bool writeLines(const QString &fileName, const QPlainTextEdit *memo, QString &error)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = file.errorString();
        return false;
    }
    const QStringList lines = memo->toPlainText().split(u'\n');
    const QByteArray bytes = platform::ToCp1250(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    if (file.write(bytes) != bytes.size()) {
        error = file.errorString();
        return false;
    }
    file.close();
    return true;
}

} // namespace

void TMainForm1::AddLogEntry(int kind, const QString &text)
{
    const QDateTime now = QDateTime::currentDateTime();
    DateTextNow = MainRules::DateText(now);
    TimeTextNow = MainRules::TimeText(now);
    Memo1->appendPlainText(MainRules::LogEntryLines(kind, text, TimeTextNow, DateTextNow).join(u'\n'));
}

void TMainForm1::CreateStatusWindow()
{
    if (UDPRForm1)
        return;
    UDPRForm1 = new TUDPRForm1(this);
    UDPRForm1->SetDockTarget(this, StatusBar1->height());
}

void TMainForm1::PlaceStatusWindow()
{
    if (UDPRForm1)
        ::PlaceStatusWindow(UDPRForm1, this, StatusBar1->height());
}

void TMainForm1::AppendCommLog(const QString &text)
{
    if (UDPRForm1)
        UDPRForm1->AppendLine(text);
}

void TMainForm1::ClearCommLog()
{
    if (UDPRForm1)
        UDPRForm1->ClearLog();
}

QString TMainForm1::LogFolder() const
{
    const QString folder = platform::WritePath(QStringLiteral("log"));
    if (QDir().mkpath(folder) && QFileInfo(folder).isDir())
        return folder;
    return platform::WriteFolder();
}

bool TMainForm1::sbSaveLogsClick()
{
    const QString stamp = MainRules::LogFileStamp(QDateTime::currentDateTime());
    const QString folder = LogFolder();
    const QString program = folder + QStringLiteral("/!m1_") + stamp + QStringLiteral(".log");
    const QString comm = folder + QStringLiteral("/!m2_") + stamp + QStringLiteral(".log");
    QFile::remove(program);
    QFile::remove(comm);
    QString error;
    if (!Memo1->toPlainText().isEmpty() && !writeLines(program, Memo1, error)) {
        Prompt().Error(QStringLiteral("I/O error: %1: %2").arg(program, error));
        return false;
    }
    if (!Memo2->toPlainText().isEmpty() && !writeLines(comm, Memo2, error)) {
        Prompt().Error(QStringLiteral("I/O error: %1: %2").arg(comm, error));
        return false;
    }
    return true;
}

void TMainForm1::bClearMemoClick() { Memo1->clear(); }

void TMainForm1::helpcloseClick() { ShowLogPanel(false); }

void TMainForm1::ShowLogPanel(bool visible)
{
    Panel2->setVisible(visible);
    if (visible && !Splitter1->property("placed").toBool()) {
        Splitter1->setProperty("placed", true);
        btnNormClick();
    }
    if (visible)
        placeLogButtons();
}

void TMainForm1::Panel1MouseDown(int globalY)
{
    dragging_ = true;
    dragRow_ = globalY;
}

void TMainForm1::Panel1MouseMove(int globalY)
{
    if (!dragging_)
        return;
    const int limit = height() - StatusBar1->height() - Line_panel->height() - 2 * Card_Panel->height() -
                      SpeedBar1->height() - 75;
    const int wanted = MainRules::DraggedLogHeight(Panel2->height(), dragRow_, globalY, Panel1->Tag(), limit);
    if (wanted < 0)
        return;
    Panel2->setFixedHeight(wanted);
    dragRow_ = globalY;
    placeLogButtons();
}

void TMainForm1::Panel1MouseUp() { dragging_ = false; }

// ---- splitter ---------------------------------------------------------------------------

int TMainForm1::SplitterLeft() const
{
    if (Splitter1->count() < 2)
        return 0;
    return Splitter1->x() + Splitter1->handle(1)->x();
}

void TMainForm1::placeLogButtons()
{
    const int left = SplitterLeft() + (Splitter1->handleWidth() - 20) / 2;
    const int top = Splitter1->y();
    int y = top + 2;
    for (QToolButton *b : {sbHelpClose, sbNorm, sbClearMemo, sbTimeKeeper}) {
        b->move(left, y);
        b->raise();
        y += 22;
    }
    sbSaveLogs->move(left, Memo1->y() + top + Memo1->height() - sbSaveLogs->height() - 2);
    sbSaveLogs->raise();
}

void TMainForm1::Splitter1Moved()
{
    placeLogButtons();
    sbNorm->setVisible(MainRules::NormButtonVisible(SplitterLeft()));
}

void TMainForm1::btnNormClick()
{
    const int total = Splitter1->width() - Splitter1->handleWidth();
    Splitter1->setSizes({MainRules::NormMemoWidth, std::max(1, total - MainRules::NormMemoWidth)});
    Splitter1Moved();
}

// ---- size presets -------------------------------------------------------------------------

void TMainForm1::UpdateSizePresets()
{
    const QSize screen = ScreenSize();
    const bool fits800 = MainRules::SizePresetFits(screen, QSize(800, 600));
    const bool fits1024 = MainRules::SizePresetFits(screen, QSize(1024, 768));
    N8006001->setEnabled(fits800);
    N8006001->setVisible(fits800);
    N10247681->setEnabled(fits1024);
    N10247681->setVisible(fits1024);
}

void TMainForm1::SetOuterSize(QSize outer)
{
    if (!MainRules::FormCanResize(outer))
        return;
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(outer - frame);
    FormResize();
}

void TMainForm1::ApplyMinimumSize()
{
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize minimum = QSize(MainRules::MinimumWidth, MainRules::MinimumHeight) - frame;
    if (minimumSize() != minimum)
        setMinimumSize(minimum.expandedTo(QSize(0, 0)));
}

void TMainForm1::N6404801Click()
{
    SetOuterSize(QSize(640, 480));
}

void TMainForm1::N8006001Click()
{
    if (MainRules::SizePresetFits(ScreenSize(), QSize(800, 600)))
        SetOuterSize(QSize(800, 600));
}

void TMainForm1::N10247681Click()
{
    if (MainRules::SizePresetFits(ScreenSize(), QSize(1024, 768)))
        SetOuterSize(QSize(1024, 768));
}
