#include "windows/helpviewer.h"

#include "platform/htmlhelp.h"
#include "platform/programfolder.h"
#include "windows/helpchm.h"
#include "windows/prompt.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <exception>

namespace {

QPointer<THelpViewer> &viewer()
{
    static QPointer<THelpViewer> v;
    return v;
}

QString pagesFolder(const QString &file)
{
    if (file.isEmpty())
        return platform::ProgramFolder() + QStringLiteral("/help");
    return platform::HelpPagesFolder(file);
}

void closeViewer()
{
    if (viewer()) {
        viewer()->close();
        delete viewer().data();
    }
}

std::intptr_t showPage(QObject *window, const QString &file, const QString &page)
{
    if (page.isEmpty() || !QFileInfo(pagesFolder(file) + u'/' + page).isFile())
        return 0;
    QWidget *owner = qobject_cast<QWidget *>(window);
    if (!viewer())
        viewer() = new THelpViewer(owner);
    else if (owner && viewer()->parentWidget() != owner)
        viewer()->setParent(owner, Qt::Window); // stays usable above a modal owner
    THelpViewer *v = viewer();
    v->ShowPage(pagesFolder(file), page);
    v->show();
    v->raise();
    v->activateWindow();
    return reinterpret_cast<std::intptr_t>(v);
}

// The program's standard error box.
void defaultErrorBox(const QString &text) { TPrompt::Current().Error(text); }

} // namespace

THelpViewer::THelpViewer(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);

    auto makeButton = [this](QStyle::StandardPixmap icon, const char *name) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(icon));
        b->setAutoRaise(true);
        return b;
    };
    home_ = makeButton(QStyle::SP_DirHomeIcon, "HelpContents");
    back_ = makeButton(QStyle::SP_ArrowBack, "HelpBack");
    forward_ = makeButton(QStyle::SP_ArrowForward, "HelpForward");
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(home_, &QToolButton::clicked, this, [this] { ShowPage(folder_, QStringLiteral("index.html")); });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
    });

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(home_);
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(browser_);
    resize(640, 480);
}

bool THelpViewer::ShowPage(const QString &Folder, const QString &Page)
{
    const QString path = Folder + u'/' + Page;
    if (!QFileInfo(path).isFile())
        return false;
    folder_ = Folder;
    browser_->setSource(QUrl::fromLocalFile(path));
    return true;
}

QString THelpViewer::CurrentFile() const { return browser_->source().toLocalFile(); }

std::intptr_t HtmlHelpA(QObject *window, const QString &file, unsigned command, std::uintptr_t data)
{
    switch (command) {
    case platform::HH_INITIALIZE:
        if (data)
            *reinterpret_cast<std::uintptr_t *>(data) = 1;
        return 0;
    case platform::HH_UNINITIALIZE:
    case platform::HH_CLOSE_ALL:
        closeViewer();
        return 0;
    case platform::HH_DISPLAY_TOPIC:
        // Only the default topic is asked for.
        return data == 0 ? showPage(window, file, QStringLiteral("index.html")) : 0;
    case platform::HH_DISPLAY_TOC:
        return showPage(window, file, QStringLiteral("index.html"));
    case platform::HH_HELP_CONTEXT:
        return showPage(window, file, HelpTopicPage(int(data)));
    default:
        return 0;
    }
}

void InstallHelpViewer() { platform::RegisterHtmlHelpEntry(&HtmlHelpA); }

THelpViewer *CurrentHelpViewer() { return viewer(); }

std::intptr_t ShowHelp(QWidget *window, unsigned command, std::uintptr_t data, const THelpErrorSink &onError)
{
    static const bool installed = (InstallHelpViewer(), true);
    Q_UNUSED(installed);
    try {
        return platform::ShowHtmlHelp(window, platform::HelpFile(), command, data);
    } catch (const std::exception &e) {
        const QString text = QString::fromUtf8(e.what());
        if (onError)
            onError(text);
        else
            defaultErrorBox(text);
        return 0;
    }
}

bool FormHelp(unsigned Command, std::intptr_t Data, QWidget *window, const THelpErrorSink &onError)
{
    THelpRequest request;
    if (!TranslateHelpCommand(Command, Data, request))
        return true;
    // Closing windows that were never opened must not load the help first.
    if (request.Command == platform::HH_CLOSE_ALL && !platform::HtmlHelpLoaded())
        return true;
    ShowHelp(window, request.Command, request.Data, onError);
    return true;
}
