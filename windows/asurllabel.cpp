#include "windows/asurllabel.h"

#include "platform/shellexec.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace {

void installDesktopOpener()
{
    if (platform::HasShellOpenHandler())
        return;
    platform::SetShellOpenHandler(
        [](const QString &target) { return QDesktopServices::openUrl(QUrl::fromUserInput(target)); });
}

Qt::Alignment vertical(TAsUrlLabel::TTextLayout layout)
{
    switch (layout) {
    case TAsUrlLabel::tlCenter:
        return Qt::AlignVCenter;
    case TAsUrlLabel::tlBottom:
        return Qt::AlignBottom;
    default:
        return Qt::AlignTop;
    }
}

} // namespace

bool OpenLinkText(const QString &Link) { return platform::ShellExecute(QStringLiteral("Open"), Link.trimmed()); }

TAsUrlLabel::TAsUrlLabel(QWidget *parent) : QLabel(parent)
{
    installDesktopOpener();
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    const QColor face = palette().color(QPalette::Button);
    Normal.Color = face;
    Normal.Font = font();
    Normal.Font.setUnderline(true);
    Normal.FontColor = Qt::blue;
    Hover.Color = face;
    Hover.Font = font();
    Hover.Font.setUnderline(false);
    Hover.Font.setBold(false);
    Hover.Font.setItalic(false);
    Hover.FontColor = Qt::red;
    apply(Normal);
}

void TAsUrlLabel::apply(const TAppearance &set)
{
    setText(set.Caption);
    setFont(set.Font);
    setAlignment((set.Alignment & Qt::AlignHorizontal_Mask) | vertical(set.Layout));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, set.Color);
    pal.setColor(QPalette::WindowText, set.FontColor);
    setPalette(pal);
    update();
}

void TAsUrlLabel::Click()
{
    emit clicked();
    OpenLinkText(Link);
}

void TAsUrlLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    emit mouseEntered();
    hovered_ = true;
    apply(Hover);
}

void TAsUrlLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    emit mouseLeft();
    hovered_ = false;
    apply(Normal);
}

void TAsUrlLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    QLabel::mousePressEvent(event);
}

void TAsUrlLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        Click();
}
