#pragma once

#include <cstdint>

#include "windows/colorbutton.h"

// State rules of a console key. A key's state is its face colour ($BBGGRR);
// every rule maps one colour to the next, so a test can follow it without a window.
namespace KeyStates
{
using Color = std::uint32_t;

inline bool IsActive(Color c) { return c == KeyColors::Active || c == KeyColors::ActiveMarked; }
inline bool IsMarked(Color c) { return c == KeyColors::Marked || c == KeyColors::ActiveMarked; }
inline bool IsMove(Color c) { return c == KeyColors::Move; }

// normal -> active, marked -> active and marked; anything else stays.
Color Activated(Color c);
// active -> normal, active and marked -> marked; anything else stays.
Color Passivated(Color c);
// Toggles the mark: normal <-> marked, active <-> active and marked; anything else stays.
Color Negated(Color c);
// Ctrl+A: the marked colour (an active key loses its active colour).
inline Color MarkedAll(Color) { return KeyColors::Marked; }
} // namespace KeyStates
