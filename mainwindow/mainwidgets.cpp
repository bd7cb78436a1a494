#include "mainwindow/mainwidgets.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>

#include "platform/timing.h"

TBoardPanel::TBoardPanel(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 1.5));
    setFont(small);
}

void TBoardPanel::SetCaption(const QString &caption)
{
    caption_ = caption;
    update();
}

void TBoardPanel::SetLowered(bool lowered)
{
    lowered_ = lowered;
    update();
}

void TBoardPanel::paintEvent(QPaintEvent *)
{
    // A one-pixel bevel: lowered for a place that takes a card, raised otherwise.
    QPainter painter(this);
    const QPalette &p = palette();
    const QRect r = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), lowered_ ? p.color(QPalette::Window).darker(106) : p.color(QPalette::Button));
    const QColor light = p.color(QPalette::Light);
    const QColor dark = p.color(QPalette::Dark);
    painter.setPen(lowered_ ? dark : light);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(lowered_ ? light : dark);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setPen(p.color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextDontClip, caption_);
}

void TBoardPanel::contextMenuEvent(QContextMenuEvent *event)
{
    emit contextRequested(tag_, event->globalPos());
    event->accept();
}

void TClickPanel::mouseReleaseEvent(QMouseEvent *event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

TDragBar::TDragBar(QWidget *parent) : QFrame(parent)
{
    setCursor(Qt::SizeVerCursor);
    setFrameShape(QFrame::StyledPanel);
    setFixedHeight(5);
}

void TDragBar::mousePressEvent(QMouseEvent *event)
{
    dragging_ = true;
    emit pressed(int(event->globalPosition().y()));
}

void TDragBar::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging_)
        emit moved(int(event->globalPosition().y()));
}

void TDragBar::mouseReleaseEvent(QMouseEvent *)
{
    dragging_ = false;
    emit released();
}

TStatusBar::TStatusBar(int panels, QWidget *parent) : QWidget(parent)
{
    for (int i = 0; i < panels; ++i)
        panels_.append(Panel{});
    setMinimumHeight(sizeHint().height());
}

QString TStatusBar::Text(int i) const { return i >= 0 && i < panels_.size() ? panels_[i].text : QString(); }

void TStatusBar::SetText(int i, const QString &text)
{
    if (i < 0 || i >= panels_.size())
        return;
    panels_[i].text = text;
    update();
}

int TStatusBar::Width(int i) const { return i >= 0 && i < panels_.size() ? panels_[i].width : 0; }

void TStatusBar::SetWidth(int i, int width)
{
    if (i < 0 || i >= panels_.size())
        return;
    panels_[i].width = std::max(0, width);
    update();
}

void TStatusBar::RemovePanel(int i)
{
    if (i >= 0 && i < panels_.size())
        panels_.removeAt(i);
    update();
}

int TStatusBar::TextWidth(const QString &text) const { return fontMetrics().horizontalAdvance(text); }

QSize TStatusBar::sizeHint() const { return {200, fontMetrics().height() + 8}; }

void TStatusBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    int x = 0;
    for (int i = 0; i < panels_.size(); ++i) {
        const bool last = i == panels_.size() - 1;
        const int w = last ? std::max(panels_[i].width, width() - x) : panels_[i].width;
        const QRect r(x, 1, w - 1, height() - 2);
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = r;
        frame.lineWidth = 1;
        frame.state |= QStyle::State_Sunken;
        frame.frameShape = QFrame::Panel;
        style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
        painter.save();
        painter.setClipRect(r.adjusted(1, 1, -1, -1));
        painter.drawText(r.adjusted(1, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                         panels_[i].text);
        painter.restore();
        x += w;
    }
}

void TStatusBar::mouseDoubleClickEvent(QMouseEvent *) { emit doubleClicked(); }

void TStatusBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

TStatusLight::TStatusLight(const QColor &litColor, QWidget *parent) : QWidget(parent), litColor_(litColor)
{
    setFixedSize(14, 14);
}

void TStatusLight::SetLit(bool lit)
{
    if (lit_ == lit)
        return;
    lit_ = lit;
    update();
}

void TStatusLight::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.setBrush(lit_ ? litColor_ : litColor_.darker(300));
    painter.drawEllipse(QRectF(1.5, 1.5, width() - 3, height() - 3));
}

TSLController::TSLController(TStatusLight *transmit, TStatusLight *receive, QObject *parent)
    : QObject(parent), transmit_(transmit), receive_(receive)
{
}

void TSLController::Transmitted() { flash(transmit_); }

void TSLController::Received() { flash(receive_); }

void TSLController::Reset()
{
    if (transmit_)
        transmit_->SetLit(false);
    if (receive_)
        receive_->SetLit(false);
}

void TSLController::flash(TStatusLight *light)
{
    if (!light)
        return;
    light->SetLit(true);
    QTimer::singleShot(platform::ScaledInterval(100), light, [light] { light->SetLit(false); });
}
