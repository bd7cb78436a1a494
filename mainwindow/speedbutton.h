#pragma once

#include <QToolButton>
#include <memory>

#include "cardpack/sablona.h"

// A flat push button that stays down, as the board, line and extended-line
// panels use it. Buttons of one group (GroupIndex) are released by the code
// that presses another; Tag points at the card object, which a card button
// alone owns.
class TSpeedButton : public QToolButton
{
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget *parent = nullptr);

    bool Down() const { return isChecked(); }
    void SetDown(bool down) { setChecked(down); }

    int GroupIndex = 0;
    TCardOld *Tag = nullptr;
    std::unique_ptr<TCardOld> OwnedCard; // card buttons only

signals:
    // Every mouse button, before the button's own handling; pos in button coordinates.
    void MouseDown(TSpeedButton *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void MouseUp(TSpeedButton *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos);
    void MouseMove(TSpeedButton *sender, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint pos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};
