#include "windows/history.h"

#include "cardpack/dll_load.h"
#include "platform/codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <QWindow>
#include <cmath>

namespace {

bool fileExists(const QString &name) { return !name.isEmpty() && QFileInfo(name).isFile(); }

} // namespace

QList<THistoryTab> HistoryTabs(const QString &First, const QString &Second, const QString &Third)
{
    const THistoryTab all[] = {
        {QStringLiteral("Kelvara"), First},
        {QStringLiteral("OrvaZ"), Third},
        {QStringLiteral("OrvaP"), Second},
    };
    QList<THistoryTab> tabs;
    for (const THistoryTab &t : all)
        if (fileExists(t.FileName))
            tabs.append(t);
    return tabs;
}

QStringList HistoryFileNames(const QString &Folder)
{
    return {Folder + QStringLiteral("/History.txt"), Folder + QStringLiteral("/HistoryZ.txt"),
            Folder + QStringLiteral("/HistoryP.txt")};
}

bool HistoryAvailable(const QString &Folder)
{
    for (const QString &name : HistoryFileNames(Folder))
        if (fileExists(name))
            return true;
    return false;
}

QRect HistoryGeometry(const QRect &MainWindow)
{
    auto part = [](int v, double f) { return int(std::lround(v * f)); };
    return QRect(MainWindow.left() + part(MainWindow.width(), 0.1), MainWindow.top() + part(MainWindow.height(), 0.1),
                 part(MainWindow.width(), 0.8), part(MainWindow.height(), 0.8));
}

QString ReadHistoryText(const QString &FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return platform::FromCp1250(file.readAll());
}

TfHistory::TfHistory(QWidget *parent, const QString &First, const QString &Second, const QString &Third)
    : QDialog(parent), first_(First), second_(Second), third_(Third)
{
    setObjectName(QStringLiteral("fHistory"));
    setModal(true);
    tcHistory = new QTabBar(this);
    tcHistory->setObjectName(QStringLiteral("tcHistory"));
    tcHistory->setExpanding(false);
    mHistory = new QPlainTextEdit(this);
    mHistory->setObjectName(QStringLiteral("mHistory"));
    mHistory->setReadOnly(true);
    mHistory->setLineWrapMode(QPlainTextEdit::NoWrap);
    mHistory->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mHistory->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    mHistory->setFont(mono);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    bOK = new QPushButton(Panel1);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, [this] { done(1); });
    auto *panel = new QHBoxLayout(Panel1);
    panel->setContentsMargins(0, 4, 0, 0);
    panel->addStretch();
    panel->addWidget(bOK);
    panel->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->addWidget(tcHistory);
    layout->addWidget(mHistory, 1);
    layout->addWidget(Panel1);

    connect(tcHistory, &QTabBar::currentChanged, this, [this] { tcHistoryChange(); });
    resize(600, 420);
    FormCreate();
}

void TfHistory::FormCreate()
{
    bOK->setText(LoadStrDll(31));
    const QSignalBlocker block(tcHistory);
    while (tcHistory->count() > 0)
        tcHistory->removeTab(0);
    tabs_ = HistoryTabs(first_, second_, third_);
    for (const THistoryTab &t : tabs_)
        tcHistory->addTab(t.Caption);
    if (!tabs_.isEmpty()) {
        tcHistory->setCurrentIndex(0);
        tcHistoryChange();
    }
}

void TfHistory::tcHistoryChange()
{
    const int i = tcHistory->currentIndex();
    if (i < 0 || i >= tabs_.size())
        return;
    mHistory->setPlainText(ReadHistoryText(tabs_[i].FileName));
}

void TfHistory::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        done(2);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfHistory::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    bOK->setFixedWidth(width() / 3);
}

void TfHistory::SetFrameGeometry(const QRect &Frame)
{
    frame_ = Frame;
    if (isVisible())
        showEvent(nullptr);
}

void TfHistory::showEvent(QShowEvent *event)
{
    if (event)
        QDialog::showEvent(event);
    if (frame_.isEmpty())
        return;
    const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    setGeometry(frame_.marginsRemoved(margins));
}

void ShowHistoryDialog(QWidget *MainWindow, const QString &Folder, const QString &MenuCaption)
{
    const QStringList names = HistoryFileNames(Folder);
    TfHistory dialog(MainWindow, names[0], names[1], names[2]);
    QString caption = MenuCaption;
    dialog.setWindowTitle(caption.remove(u'&'));
    if (MainWindow)
        dialog.SetFrameGeometry(HistoryGeometry(MainWindow->frameGeometry()));
    dialog.exec();
}
