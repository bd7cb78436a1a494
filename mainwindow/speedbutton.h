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
    explicit TSpeedButton(QWidget *parent = nullptr) : QToolButton(parent)
    {
        setCheckable(true);
        setAutoRaise(false);
        setToolButtonStyle(Qt::ToolButtonTextOnly);
    }

    bool Down() const { return isChecked(); }
    void SetDown(bool down) { setChecked(down); }

    int GroupIndex = 0;
    TCardOld *Tag = nullptr;
    std::unique_ptr<TCardOld> OwnedCard; // card buttons only
};
