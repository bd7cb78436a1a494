#include "mainwindow/speedbutton.h"

#include <QMouseEvent>
#include <QPointer>

TSpeedButton::TSpeedButton(QWidget *parent) : QToolButton(parent)
{
    setCheckable(true);
    setAutoRaise(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The right button belongs to the button's own events, not to a menu of its parent.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void TSpeedButton::mousePressEvent(QMouseEvent *event)
{
    QPointer<TSpeedButton> self(this);
    emit MouseDown(this, event->button(), event->modifiers(), event->position().toPoint());
    if (!self)
        return;
    QToolButton::mousePressEvent(event);
    // A press of another button stays with this button, so that its release comes here.
    if (event->button() != Qt::LeftButton)
        event->accept();
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    QPointer<TSpeedButton> self(this);
    QToolButton::mouseReleaseEvent(event);
    if (!self)
        return;
    emit MouseUp(this, event->button(), event->modifiers(), event->position().toPoint());
    if (self && event->button() != Qt::LeftButton)
        event->accept();
}

void TSpeedButton::mouseMoveEvent(QMouseEvent *event)
{
    QPointer<TSpeedButton> self(this);
    emit MouseMove(this, event->buttons(), event->modifiers(), event->position().toPoint());
    if (self)
        QToolButton::mouseMoveEvent(event);
}
