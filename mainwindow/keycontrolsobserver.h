#pragma once

#include "editing/keybinding.h"
#include "mainwindow/mainform.h"

// Keys that a rule unbinds go empty on every window of their console.
class TClearedKeyControls : public TKeyObserver
{
public:
    explicit TClearedKeyControls(TMainForm1 &form) : form_(form) {}
    void KeyCleared(int console, int key) override { form_.ClearKeyControl(console, key); }
    void KeyColour(int, int, std::uint32_t) override {}

private:
    TMainForm1 &form_;
};
