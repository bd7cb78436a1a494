#include "windows/helptarget.h"

#include <QVariant>
#include <QWidget>

#include "windows/colorbutton.h"
#include "windows/mdichild.h"

namespace
{
constexpr const char *HelpContextProperty = "HelpContext";

int ownContext(const QWidget *w)
{
    if (auto *key = qobject_cast<const TColorButton *>(w))
        if (key->HelpContext != 0)
            return key->HelpContext;
    return w->property(HelpContextProperty).toInt();
}
} // namespace

void SetHelpContext(QWidget *control, int context)
{
    if (!control)
        return;
    if (auto *key = qobject_cast<TColorButton *>(control))
        key->HelpContext = context;
    else
        control->setProperty(HelpContextProperty, context);
}

int HelpContextOf(const QWidget *control)
{
    for (const QWidget *w = control; w; w = w->parentWidget())
        if (const int context = ownContext(w))
            return context;
    return 0;
}

QWidget *HelpControl(QWidget *focus)
{
    for (QWidget *w = focus; w; w = w->parentWidget()) {
        auto *console = qobject_cast<TMDIChild *>(w);
        if (!console)
            continue;
        TColorButton *key = console->GetButton(console->ActiveKeyIndex);
        return key && TMDIChild::IsActive(key) ? key : focus;
    }
    return focus;
}
