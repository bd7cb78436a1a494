#include "tests/host/bindingcheck.h"

#include "mainwindow/keybinding.h"

QStringList Faults(const TAPult &config) { return BindingFaults(config); }
bool Configured(const TKlavesa *key) { return IsConfiguredKey(key); }
