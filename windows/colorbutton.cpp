#include "windows/colorbutton.h"

#include <QApplication>
#include <QBitArray>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <algorithm>
#include <vector>

QColor ColorFromTColor(std::uint32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

std::uint32_t TColorFromColor(const QColor &color)
{
    const QRgb rgb = color.rgb();
    return std::uint32_t(qRed(rgb)) | (std::uint32_t(qGreen(rgb)) << 8) | (std::uint32_t(qBlue(rgb)) << 16);
}

bool IsActiveColor(const QColor &color)
{
    const std::uint32_t c = TColorFromColor(color);
    return c == KeyColors::Active || c == KeyColors::ActiveMarked;
}

bool IsMarkedColor(const QColor &color)
{
    const std::uint32_t c = TColorFromColor(color);
    return c == KeyColors::Marked || c == KeyColors::ActiveMarked;
}

bool IsMoveColor(const QColor &color)
{
    return TColorFromColor(color) == KeyColors::Move;
}

namespace
{

// The accelerator of a caption: the character after a single "&" ("&&" is a literal "&").
QChar AcceleratorOf(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] == u'&') {
            ++i;
            continue;
        }
        return caption[i + 1];
    }
    return {};
}

QColor Shifted(const QColor &c, int delta)
{
    auto clamp = [delta](int v) { return std::clamp(v + delta, 0, 255); };
    return QColor(clamp(c.red()), clamp(c.green()), clamp(c.blue()));
}

// A 3D frame of `width` rings: top and left edges in `top`, bottom and right in
// `bottom`, the bottom-left and top-right corner pixels in `bottom`.
void Frame3D(QPainter &p, int w, int h, const QColor &top, const QColor &bottom, int width)
{
    for (int i = 0; i < width; ++i) {
        const int l = i, t = i, r = w - 1 - i, b = h - 1 - i;
        if (r < l || b < t)
            break;
        p.fillRect(QRect(QPoint(l, t), QPoint(l, b)), top);
        if (r > l)
            p.fillRect(QRect(QPoint(l, t), QPoint(r - 1, t)), top);
        p.fillRect(QRect(QPoint(r, t), QPoint(r, b)), bottom);
        p.fillRect(QRect(QPoint(l, b), QPoint(r, b)), bottom);
    }
}

// A one-pixel line that leaves out its end point, clipped to the image.
void PixelLine(QImage &image, QPoint from, QPoint to, QRgb color)
{
    int x = from.x(), y = from.y();
    const int dx = std::abs(to.x() - x), dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1, sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    while (x != to.x() || y != to.y()) {
        if (image.rect().contains(x, y))
            image.setPixel(x, y, color);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Fills the 4-connected area around `seed` up to pixels of the border colour.
void FloodFill(QImage &image, QPoint seed, QRgb border, QRgb fill)
{
    const int w = image.width(), h = image.height();
    if (!image.rect().contains(seed))
        return;
    border |= 0xFF000000u;
    QBitArray seen(w * h);
    std::vector<QPoint> stack{seed};
    while (!stack.empty()) {
        const QPoint pt = stack.back();
        stack.pop_back();
        if (pt.x() < 0 || pt.y() < 0 || pt.x() >= w || pt.y() >= h)
            continue;
        const int index = pt.y() * w + pt.x();
        if (seen.testBit(index))
            continue;
        seen.setBit(index);
        if ((image.pixel(pt) | 0xFF000000u) == border)
            continue;
        image.setPixel(pt, fill);
        stack.push_back(pt + QPoint(1, 0));
        stack.push_back(pt + QPoint(-1, 0));
        stack.push_back(pt + QPoint(0, 1));
        stack.push_back(pt + QPoint(0, -1));
    }
}

} // namespace

TColorButton::TColorButton(QWidget *owner) : QWidget(owner)
{
    FColor = palette().color(QPalette::Button);
    DeriveBevelColors();
    resize(75, 25);
    setMouseTracking(true);
    // A graphic control never takes the keyboard focus by itself.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TColorButton::~TColorButton() = default;

void TColorButton::Loaded()
{
    FState = isEnabled() ? StateUp : StateDisabled;
    DeriveBevelColors();
    update();
}

void TColorButton::DeriveBevelColors()
{
    FLightColor = Shifted(FColor, 64);
    FDarkColor = Shifted(FColor, -64);
}

void TColorButton::ApplyAutoSize()
{
    if (!FPicture.isNull() && FStyle.testFlag(bsAutoSize))
        resize(FPicture.width() + 2 * FBevelSize, FPicture.height() + 2 * FBevelSize);
}

void TColorButton::UpdateAccelerator()
{
    const QChar key = FStyle.testFlag(bsSpeedKey) ? AcceleratorOf(FCaption) : QChar();
    delete FAccelerator;
    FAccelerator = nullptr;
    if (key.isNull())
        return;
    FAccelerator = new QShortcut(QKeySequence::mnemonic(FCaption), this);
    FAccelerator->setContext(Qt::WindowShortcut);
    auto fire = [this] {
        if (isEnabled())
            Click();
    };
    connect(FAccelerator, &QShortcut::activated, this, fire);
    connect(FAccelerator, &QShortcut::activatedAmbiguously, this, fire);
}

void TColorButton::SetAlignment(TAlignment value)
{
    if (value == FAlignment)
        return;
    FAlignment = value;
    update();
}

void TColorButton::SetBevelStyle(TButtonBevel value)
{
    if (value == FBevelStyle)
        return;
    FBevelStyle = value;
    update();
}

void TColorButton::SetBevelSize(int value)
{
    value = std::max(value, 1);
    if (value == FBevelSize)
        return;
    FBevelSize = value;
    ApplyAutoSize();
    update();
}

void TColorButton::SetColor(const QColor &value)
{
    if (value == FColor)
        return;
    FColor = value;
    DeriveBevelColors();
    update();
}

void TColorButton::SetSpacing(int value)
{
    value = std::max(value, 0);
    if (value == FSpacing)
        return;
    FSpacing = value;
    update();
}

void TColorButton::SetStyle(TButtonStyle value)
{
    if (value == FStyle)
        return;
    FStyle = value;
    UpdateAccelerator();
    ApplyAutoSize();
    update();
}

void TColorButton::SetFontStyle(TFontStyle value)
{
    if (value == FFontStyle)
        return;
    FFontStyle = value;
    update();
}

void TColorButton::SetPicture(const QPixmap &value)
{
    FPicture = value;
    ApplyAutoSize();
    update();
}

void TColorButton::SetDown(bool value)
{
    if (value == FDown)
        return;
    FDown = value;
    FState = value ? StateDown : StateUp;
    update();
}

void TColorButton::SetValue(bool value)
{
    if (!FStyle.testFlag(bsMultiState) || value == Value())
        return;
    FState = value ? StateDown : StateUp;
    update();
}

void TColorButton::SetCaption(const QString &value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    UpdateAccelerator();
    update();
}

void TColorButton::SetFontColor(const QColor &value)
{
    if (value == FFontColor)
        return;
    FFontColor = value;
    update();
}

void TColorButton::SetEnableLine(int value)
{
    if (value == FEnableLine)
        return;
    FEnableLine = value;
    setEnabled(value <= 2);
    update();
}

void TColorButton::SetColorLine(const QColor &value)
{
    if (value == FColorLine)
        return;
    FColorLine = value;
    update();
}

void TColorButton::SetHeightLine(int value)
{
    if (value == FHeightLine)
        return;
    FHeightLine = value;
    update();
}

void TColorButton::SetDeltaX(int value)
{
    if (value == FDeltaX)
        return;
    FDeltaX = value;
    update();
}

void TColorButton::SetDeltaY(int value)
{
    if (value == FDeltaY)
        return;
    FDeltaY = value;
    update();
}

void TColorButton::SetEnableSquare(bool value)
{
    if (value == FEnableSquare)
        return;
    FEnableSquare = value;
    update();
}

void TColorButton::SetDeltaSX(int value)
{
    if (value == FDeltaSX)
        return;
    FDeltaSX = value;
    update();
}

void TColorButton::SetDeltaSY(int value)
{
    if (value == FDeltaSY)
        return;
    FDeltaSY = value;
    update();
}

void TColorButton::SetColorSt(const QColor &value)
{
    if (value == FColorSt)
        return;
    FColorSt = value;
    update();
}

void TColorButton::SetColorHt(const QColor &value)
{
    if (value == FColorHt)
        return;
    FColorHt = value;
    update();
}

void TColorButton::SetColorSquareText(const QColor &value)
{
    if (value == FColorSquareText)
        return;
    FColorSquareText = value;
    update();
}

void TColorButton::SetSquareText(const QString &value)
{
    if (value == FSquareText)
        return;
    FSquareText = value;
    update();
}

void TColorButton::SetHint(const QString &value)
{
    FHint = value;
    setToolTip(FShowHint ? FHint : QString());
}

void TColorButton::SetShowHint(bool value)
{
    FShowHint = value;
    setToolTip(FShowHint ? FHint : QString());
}

void TColorButton::Click()
{
    emit OnClick(this);
}

bool TColorButton::DialogChar(QChar c)
{
    if (!FStyle.testFlag(bsSpeedKey) || !isEnabled())
        return false;
    const QChar key = AcceleratorOf(FCaption);
    if (key.isNull() || key.toUpper() != c.toUpper())
        return false;
    Click();
    return true;
}

// ---- mouse ----

void TColorButton::LeftPress(QMouseEvent *event, bool doubleClick)
{
    QPointer<TColorButton> self(this);
    const QPoint pos = event->position().toPoint();
    // A double click does not start a click of its own: only one OnClick per pair.
    FClicked = !doubleClick;
    if (doubleClick)
        emit OnDblClick(this);
    if (!self)
        return;
    emit OnMouseDown(this, Qt::LeftButton, event->buttons(), event->modifiers(), pos);
    if (!self || !isEnabled())
        return;
    if (FStyle.testFlag(bsMultiState) && FState == StateDown)
        FState = StateUp;
    else
        FState = StateDown;
    update();
}

void TColorButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    // Other buttons are dropped entirely.
    if (event->button() == Qt::LeftButton)
        LeftPress(event, false);
}

void TColorButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        LeftPress(event, true);
}

void TColorButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::RightButton && FContextPending) {
        FContextPending = false;
        OpenContextMenuAt(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    QPointer<TColorButton> self(this);
    const QPoint pos = event->position().toPoint();
    const bool clicked = FClicked;
    FClicked = false;
    if (clicked && rect().contains(pos)) {
        emit OnClick(this);
        if (!self)
            return;
    }
    emit OnMouseUp(this, Qt::LeftButton, event->buttons(), event->modifiers(), pos);
    if (!self || !isEnabled())
        return;
    if (!FStyle.testFlag(bsMultiState)) {
        FState = StateUp;
        update();
    }
}

void TColorButton::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    const QPoint pos = event->position().toPoint();
    // Only a left press holds the mouse on this key. Qt keeps any pressed widget
    // as the receiver, so a move with another button held belongs to the key
    // beside it that is under the cursor.
    if (!event->buttons().testFlag(Qt::LeftButton) && !rect().contains(pos) && parentWidget()) {
        auto *other = qobject_cast<TColorButton *>(parentWidget()->childAt(mapToParent(pos)));
        if (!other || other == this)
            return;
        emit other->OnMouseMove(other, event->buttons(), event->modifiers(),
                                other->mapFromParent(mapToParent(pos)));
        return;
    }
    emit OnMouseMove(this, event->buttons(), event->modifiers(), pos);
}

void TColorButton::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    // Where the platform asks for the menu on the press, a menu opened now
    // would take the mouse from a right-button move over the keys: it opens
    // at the release, over the control the mouse is on then.
    if (event->reason() == QContextMenuEvent::Mouse && (QGuiApplication::mouseButtons() & Qt::RightButton)) {
        FContextPending = true;
        return;
    }
    const QPoint pos = event->reason() == QContextMenuEvent::Mouse ? event->pos() : QPoint(-1, -1);
    ShowContextMenu(pos, event->globalPos());
}

void TColorButton::ShowContextMenu(QPoint pos, QPoint globalPos)
{
    QPointer<TColorButton> self(this);
    bool handled = false;
    emit OnContextPopup(this, pos, &handled);
    if (!self || handled || !FPopupMenu)
        return;
    FPopupMenu->popup(globalPos);
}

void TColorButton::OpenContextMenuAt(QPoint globalPos)
{
    QWidget *under = QApplication::widgetAt(globalPos);
    if (!under)
        return;
    if (auto *key = qobject_cast<TColorButton *>(under)) {
        key->ShowContextMenu(key->mapFromGlobal(globalPos), globalPos);
        return;
    }
    // Not over a key: the control under the mouse offers its own menu.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, under->mapFromGlobal(globalPos), globalPos);
    QCoreApplication::sendEvent(under, &menu);
}

// ---- notifications ----

void TColorButton::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        FState = isEnabled() ? StateUp : StateDisabled;
        update();
        break;
    case QEvent::FontChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void TColorButton::focusInEvent(QFocusEvent *event)
{
    FFocused = true;
    update();
    QWidget::focusInEvent(event);
}

void TColorButton::focusOutEvent(QFocusEvent *event)
{
    FFocused = false;
    update();
    QWidget::focusOutEvent(event);
}

void TColorButton::resizeEvent(QResizeEvent *event)
{
    update();
    QWidget::resizeEvent(event);
}

// ---- paint ----

void TColorButton::paintEvent(QPaintEvent *)
{
    const QImage image = PaintImage();
    QPainter p(this);
    p.drawImage(0, 0, image);
}

QImage TColorButton::PaintImage()
{
    if (!isEnabled())
        FState = StateDisabled;
    else if (FState == StateDisabled)
        FState = StateUp;

    const int w = std::max(width(), 1), h = std::max(height(), 1);
    QImage image(w, h, QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.fillRect(0, 0, w, h, FColor);

        if (FBevelStyle != bbNone) {
            const bool raised = (FState == StateUp && FBevelStyle == bbRaised) ||
                                (FState == StateDown && FBevelStyle == bbLowered);
            Frame3D(p, w, h, raised ? FLightColor : FDarkColor, raised ? FDarkColor : FLightColor,
                    FBevelSize);
        }

        const QRect face(FBevelSize, FBevelSize, w - 2 * FBevelSize, h - 2 * FBevelSize);
        if (FFocused && FStyle.testFlag(bsShowFocus) && isEnabled()) {
            const QRect focus = face.adjusted(FSpacing - 1, FSpacing - 1, 1 - FSpacing, 1 - FSpacing);
            if (focus.isValid()) {
                QPen pen(Qt::white, 0);
                pen.setDashPattern({1, 1});
                p.setPen(pen);
                p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
                p.drawRect(focus.adjusted(0, 0, -1, -1));
                p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            }
        }

        if (!FPicture.isNull()) {
            const int inset = FBevelSize + FSpacing;
            QRect target;
            if (FStyle.testFlag(bsStretch)) {
                target = face;
            } else if (FStyle.testFlag(bsCenter)) {
                target = QRect((w - FPicture.width()) / 2, (h - FPicture.height()) / 2, FPicture.width(),
                               FPicture.height());
            } else {
                const int column = FAlignment % 3, row = FAlignment / 3;
                const int x = column == 0   ? inset
                              : column == 1 ? (w - FPicture.width()) / 2
                                            : w - inset - FPicture.width();
                const int y = row == 0   ? inset
                              : row == 1 ? (h - FPicture.height()) / 2
                                         : h - inset - FPicture.height();
                target = QRect(x, y, FPicture.width(), FPicture.height());
            }
            p.drawPixmap(target, FPicture);
        } else if (face.isValid()) {
            p.fillRect(face, FColor);
        }

        if (!FCaption.isEmpty()) {
            if (!isEnabled()) {
                PaintCaption(p, 1, 1, FLightColor);
                PaintCaption(p, 0, 0, FDarkColor);
            } else if (FFontStyle == fnRaised) {
                PaintCaption(p, -1, -1, FLightColor);
                PaintCaption(p, 1, 1, FDarkColor);
                PaintCaption(p, 0, 0, FFontColor);
            } else if (FFontStyle == fnLowered) {
                PaintCaption(p, 1, 1, FLightColor);
                PaintCaption(p, -1, -1, FDarkColor);
                PaintCaption(p, 0, 0, FFontColor);
            } else {
                PaintCaption(p, 0, 0, FFontColor);
            }
        }
    }
    if (FEnableSquare)
        PaintSquare(image);
    return image;
}

void TColorButton::PaintCross(QPainter &p)
{
    if (FEnableLine == 0)
        return;
    const int w = width(), h = height();
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(FColorLine, std::max(FHeightLine, 1), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(FDeltaX, FDeltaY, w - FDeltaX, h - FDeltaY);
    p.drawLine(w - FDeltaX, FDeltaY, FDeltaX, h - FDeltaY);
    p.restore();
}

void TColorButton::PaintCaption(QPainter &p, int dx, int dy, const QColor &color)
{
    PaintCross(p);

    const int w = width(), h = height();
    const int inset = FBevelSize + FSpacing;
    const QRect area(inset, inset, w - 2 * inset, h - 2 * inset);
    const int column = FAlignment % 3, row = FAlignment / 3;

    int flags = column == 0 ? Qt::AlignLeft : column == 1 ? Qt::AlignHCenter : Qt::AlignRight;
    if (FStyle.testFlag(bsMultiLine))
        flags |= Qt::TextWordWrap;
    else
        flags |= Qt::TextSingleLine;
    if (FStyle.testFlag(bsSpeedKey))
        flags |= Qt::TextShowMnemonic;

    p.setFont(font());
    const QFontMetrics metrics(font());
    const int textHeight = metrics
                               .boundingRect(QRect(area.left(), 0, std::max(area.width(), 1), 1 << 16),
                                             flags | Qt::AlignTop, FCaption)
                               .height();
    int top = area.top();
    if (row == 1)
        top = (h - FBevelSize - textHeight) / 2;
    else if (row == 2)
        top = area.bottom() + 1 - textHeight;

    p.setPen(color);
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawText(QRect(area.left() + dx, top + dy, area.width(), textHeight), flags | Qt::AlignTop, FCaption);
}

void TColorButton::PaintSquare(QImage &image)
{
    const int sx = FDeltaSX, sy = FDeltaSY;
    const QRgb outline = image.pixel(0, 0);

    PixelLine(image, {sx, sy}, {0, sy}, outline);
    PixelLine(image, {sx, sy}, {sx, 0}, outline);
    PixelLine(image, {sx, 0}, {0, sy}, outline);
    FloodFill(image, {sx - 3, sy - 3}, outline, FColorSt.rgb());

    PixelLine(image, {0, 0}, {sx, 0}, outline);
    PixelLine(image, {0, 0}, {0, sy}, outline);
    PixelLine(image, {0, sy}, {sx, 0}, outline);
    FloodFill(image, {3, 3}, outline, FColorHt.rgb());

    if (FSquareText.isEmpty())
        return;
    QFont letter(QStringLiteral("Times New Roman"));
    letter.setBold(true);
    const int points = (sy / 6) * 4;
    if (points > 0)
        letter.setPixelSize((points * 96 + 36) / 72);
    else
        letter.setPixelSize(std::max(font().pixelSize(), QFontMetrics(font()).height()));
    QPainter p(&image);
    p.setFont(letter);
    const QFontMetrics metrics(letter);
    const int tw = metrics.horizontalAdvance(FSquareText), th = metrics.height();
    const int x = sx / 2 - tw / 2, y = sy / 2 - th / 2;
    p.setPen(FColorSquareText);
    p.setBackgroundMode(Qt::TransparentMode);
    p.drawText(QRect(x, y, tw, th), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, FSquareText);
}
