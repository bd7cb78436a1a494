#include "windows/keystates.h"

namespace KeyStates
{

Color Activated(Color c)
{
    if (c == KeyColors::Normal)
        return KeyColors::Active;
    if (c == KeyColors::Marked)
        return KeyColors::ActiveMarked;
    return c;
}

Color Passivated(Color c)
{
    if (c == KeyColors::Active)
        return KeyColors::Normal;
    if (c == KeyColors::ActiveMarked)
        return KeyColors::Marked;
    return c;
}

Color Negated(Color c)
{
    switch (c) {
    case KeyColors::Normal:
        return KeyColors::Marked;
    case KeyColors::Marked:
        return KeyColors::Normal;
    case KeyColors::Active:
        return KeyColors::ActiveMarked;
    case KeyColors::ActiveMarked:
        return KeyColors::Active;
    default:
        return c;
    }
}

} // namespace KeyStates
