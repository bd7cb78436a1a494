#pragma once

class QObject;
class QWidget;

// Help contexts of controls, as F1 and context help ask for them.

// Gives a control its help context (0: none, its parent's counts).
void SetHelpContext(QWidget *control, int context);

// The help context of a control: its own, else the nearest parent's that has
// one; 0 when none has.
int HelpContextOf(const QWidget *control);

// The control F1 asks about, given the one with the focus: the focused
// control itself, except inside a console window, whose keys take no focus:
// there the window's active key counts when there is one.
QWidget *HelpControl(QWidget *focus);
