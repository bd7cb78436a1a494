// Key states, selection by mouse, the hint and the pop-up menu of a console window.
#include <QAction>
#include <QCursor>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QScreen>
#include <QTimer>

#include "cardpack/dll_load.h"
#include "editing/keybinding.h"
#include "windows/consolehost.h"
#include "windows/keystates.h"
#include "windows/mdichild.h"

namespace
{
std::uint32_t colorOf(const TColorButton *key) { return TColorFromColor(key->Color()); }
void setColorOf(TColorButton *key, std::uint32_t c) { key->SetColor(ColorFromTColor(c)); }
bool hasCaption(const TColorButton *key) { return key && !key->Caption().isEmpty(); }
} // namespace

// ---- state tests and changes ------------------------------------------------------------------

bool TMDIChild::IsActive(const TColorButton *key) { return key && KeyStates::IsActive(colorOf(key)); }
bool TMDIChild::IsMarked(const TColorButton *key) { return key && KeyStates::IsMarked(colorOf(key)); }
bool TMDIChild::OnPresun(const TColorButton *key) { return key && KeyStates::IsMove(colorOf(key)); }

void TMDIChild::SetActive(TColorButton *key)
{
    if (TColorButton *old = GetButton(ActiveKeyIndex))
        SetPassive(old);
    if (!key)
        return;
    ActiveKeyIndex = key->Tag;
    setColorOf(key, KeyStates::Activated(colorOf(key)));
    if (hasCaption(key)) {
        PropertiesKey = key;
        Vlastnosti1->setData(key->Tag);
    }
}

void TMDIChild::SetPassive(TColorButton *key)
{
    if (key)
        setColorOf(key, KeyStates::Passivated(colorOf(key)));
    PropertiesKey = nullptr;
    Vlastnosti1->setData(-1);
}

void TMDIChild::SetNegative(TColorButton *key)
{
    if (key)
        setColorOf(key, KeyStates::Negated(colorOf(key)));
}

void TMDIChild::SetNormal(TColorButton *key)
{
    if (key)
        setColorOf(key, KeyColors::Normal);
}

void TMDIChild::SetMove(TColorButton *key)
{
    if (key)
        setColorOf(key, KeyColors::Move);
}

void TMDIChild::SetFrom(TColorButton *key, const TColorButton *source)
{
    if (key && source)
        key->SetColor(source->Color());
}

int TMDIChild::CountMarked() const
{
    int count = 0;
    for (const TColorButton *key : KeyList)
        if (IsMarked(key))
            ++count;
    return count;
}

void TMDIChild::CopyConsoleKeys(TKeyTable &keys) const
{
    TConsoleHost *host = ConsoleHost();
    TAPult *config = host ? host->Configuration() : nullptr;
    const bool hasConsole =
        config && ConsoleNo >= 0 && ConsoleNo < ConsoleCount && config->Pulty[ConsoleNo] != nullptr;
    if (hasConsole)
        TKeyBinding(config, ConsoleNo).SaveKeys(keys);
    for (auto &key : keys) {
        if (!key)
            key = std::make_unique<TKlavesa>();
        else if (!hasConsole)
            key->Reset();
    }
}

void TMDIChild::FillKeyInfo(int n)
{
    TConsoleHost *host = ConsoleHost();
    if (!host)
        return;
    TKeyTable keys;
    CopyConsoleKeys(keys);
    TAPult *config = host->Configuration();
    const TPult *console =
        config && ConsoleNo >= 0 && ConsoleNo < ConsoleCount ? config->Pulty[ConsoleNo].get() : nullptr;
    ::FillKeyInfo(KeyInfo, n, keys, console ? console->FNGSMR : QString(), ConsoleType, *host);
}

// ---- the custom hint ------------------------------------------------------------------------------

void TMDIChild::HideHint()
{
    if (HintWindow) {
        HintWindow->setText(QString());
        HintWindow->hide();
    }
}

void TMDIChild::PageControl1MouseMove()
{
    HideHint();
    LastHintText.clear();
    MyHintTimer->stop();
}

void TMDIChild::MyHintTimerTimer()
{
    if (MouseMoveCount == hintTicksSeen_) {
        HideHint();
        LastHintText.clear();
        MyHintTimer->stop();
    } else {
        hintTicksSeen_ = MouseMoveCount;
    }
}

// ---- mouse ------------------------------------------------------------------------------------

void TMDIChild::ButtonClick(TColorButton *sender)
{
    if (!sender)
        return;
    if (Moving()) {
        MoveModeClick(sender);
        return;
    }
    HideHint();
    TConsoleHost *host = ConsoleHost();
    if (!hasCaption(sender) && !IsMarked(sender)) {
        QString caption;
        if (!host || !host->AssignLineToKey(sender->Tag, caption))
            return;
        sender->SetCaption(caption);
        SetActive(sender);
        CopyConsoleKeys(KeysB);
        const TKlavesa &key = *KeysB[sender->Tag];
        TAPult *config = host->Configuration();
        const TPult *console =
            config && ConsoleNo >= 0 && ConsoleNo < ConsoleCount ? config->Pulty[ConsoleNo].get() : nullptr;
        const QString fngsmr = console ? console->FNGSMR : QString();
        if (key.KodDosky == 0x72 && (key.GetMSNText().isEmpty() || fngsmr.isEmpty())) {
            PropertiesKey = sender;
            Vlastnosti1->setData(sender->Tag);
            host->OpenKeyProperties(this, sender->Tag);
        }
        return;
    }
    Anchor = sender;
    SetActive(sender);
    SetNegative(sender);
}

void TMDIChild::ButtonMouseDown(TColorButton *sender, Qt::MouseButton button, Qt::MouseButtons buttons,
                                Qt::KeyboardModifiers shift, QPoint pos)
{
    Q_UNUSED(buttons);
    Q_UNUSED(shift);
    Q_UNUSED(pos);
    if (!sender)
        return;
    HideHint();
    const bool wasActive = IsActive(sender);
    for (TColorButton *key : std::as_const(KeyList))
        if (key != sender && IsActive(key))
            SetPassive(key);
    if (!wasActive && hasCaption(sender)) {
        SetActive(sender);
        Anchor = sender;
    }
    // The pressed key is the one a Ctrl or Shift drag leaves and comes back to.
    if (button == Qt::LeftButton) {
        LastPassed = sender;
        Inside = false;
    }
}

void TMDIChild::ButtonMouseMove(TColorButton *sender, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift,
                                QPoint pos)
{
    TConsoleHost *host = ConsoleHost();
    if (!sender || !host || host->ActiveConsoleWindow() != this)
        return;
    MyHintTimer->stop();

    // Hint.
    TKeyTable keys;
    CopyConsoleKeys(keys);
    const TKlavesa &model = *keys[std::clamp(sender->Tag, 0, KeyCount - 1)];
    if (host->VlAkoHint() && !Moving()) {
        FillKeyInfo(sender->Tag);
        const QString text = KeyHintText(KeyInfo, ConsoleType, model.KodDosky);
        if (!model.MenoKlavesy.isEmpty()) {
            if (text != LastHintText) {
                const QFontMetrics metrics(HintWindow->font());
                int widest = 0;
                const QStringList lines = text.split(QStringLiteral("\r\n"));
                for (const QString &line : lines)
                    widest = std::max(widest, metrics.horizontalAdvance(line));
                QString shown = text;
                shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                HintWindow->setText(shown);
                HintWindow->setFixedWidth(widest + 2 * HintWindow->margin() + 2 * HintWindow->frameWidth() + 4);
                HintWindow->adjustSize();
                HintWindow->move(QCursor::pos() + QPoint(0, 20));
                HintWindow->show();
                HintWindow->raise();
                LastHintText = text;
            }
        } else {
            HideHint();
            LastHintText.clear();
        }
        sender->SetHint(QString());
        sender->SetShowHint(false);
    } else {
        sender->SetHint(model.HintKlavesy);
        sender->SetShowHint(true);
    }

    if (Moving()) {
        MoveModeMouseMove(sender);
    } else {
        TColorButton *last = LastPassed;
        const bool rightOnly = buttons == Qt::RightButton && shift == Qt::NoModifier;
        const bool leftForm = buttons == Qt::LeftButton && (shift == Qt::ControlModifier || shift == Qt::ShiftModifier);
        if (last && ((rightOnly && !host->SelectOnMove()) || leftForm)) {
            const bool away = leftForm ? !QRect(0, 0, last->width(), last->height()).contains(pos) : sender != last;
            if (away && !Inside) {
                if (hasCaption(last))
                    SetNegative(last);
                Inside = true;
            } else if (!away && Inside) {
                if (hasCaption(last))
                    SetNegative(last);
                Inside = false;
            }
        }
        if (host->SelectOnMove() && rightOnly && sender != last) {
            Timer1->stop();
            LastPassed = sender;
            // Without Invert a passed key keeps its mark.
            if (host->Invert() && hasCaption(sender))
                SetNegative(sender);
            SetActive(sender);
            Anchor = sender;
            Timer1->start();
        }
    }
    ++MouseMoveCount;
    MyHintTimer->start();
}

// ---- pop-up menu ------------------------------------------------------------------------------

void TMDIChild::ContextPopup(TColorButton *sender, QPoint pos, bool *handled)
{
    Q_UNUSED(pos);
    Q_UNUSED(handled);
    raise();
    if (mdiArea())
        mdiArea()->setActiveSubWindow(this);
    if (sender) {
        sender->update();
        if (hasCaption(sender) && !Moving()) {
            Anchor = sender;
            SetActive(sender);
        }
    }
    PresuvatLinky->setText(LoadStrDll(PresuvatLinky->isChecked() ? 167 : 50));
    HideHint();
    UpdatePopupItems();
}

void TMDIChild::UpdatePopupItems()
{
    TConsoleHost *host = ConsoleHost();
    PropertiesKey = nullptr;
    InvertL->setChecked(host && host->Invert());
    SelectOnMoveP->setChecked(host && host->SelectOnMove());
    ZmazAktivnu->setVisible(false);

    QAction *const commands[] = {PresuvatLinky, Oznac1, Oznaclinkyaktivdosky1, Odznaclinkyaktivdosky1,
                                 Zmaz1, ZmazNaVsetkychPaneloch, Odznac1, InvertujVsetko,
                                 VlozitLinky, KopirovatLinky, Vlastnosti1};
    if (Moving()) {
        for (QAction *a : commands)
            a->setVisible(a == PresuvatLinky);
    } else {
        for (QAction *a : {Oznac1, Oznaclinkyaktivdosky1, Odznaclinkyaktivdosky1, InvertujVsetko, Odznac1})
            a->setVisible(true);
        const int copied = host ? host->CopiedKeyCount() : 0;
        VlozitLinky->setVisible(copied > 0 && copied <= LastKeyNumber());
        int active = 0;
        int marked = 0;
        for (TColorButton *key : std::as_const(KeyList)) {
            if (IsActive(key)) {
                ++active;
                ZmazAktivnu->setVisible(true);
                PropertiesKey = key;
            }
            if (IsMarked(key))
                ++marked;
        }
        for (QAction *a : {PresuvatLinky, Zmaz1, ZmazNaVsetkychPaneloch, KopirovatLinky})
            a->setVisible(marked > 0);
        Vlastnosti1->setVisible(active == 1 && hasCaption(PropertiesKey));
    }
    Vlastnosti1->setData(PropertiesKey ? PropertiesKey->Tag : -1);
    for (QAction *a : commands)
        a->setEnabled(a->isVisible());
    ZmazAktivnu->setEnabled(ZmazAktivnu->isVisible());
}

void TMDIChild::Oznac1Click()
{
    for (TColorButton *key : std::as_const(KeyList))
        if (hasCaption(key) && key->isEnabled())
            setColorOf(key, KeyColors::Marked);
}

void TMDIChild::Odznac1Click()
{
    for (TColorButton *key : std::as_const(KeyList))
        SetNormal(key);
}

void TMDIChild::InvertujVsetkoClick()
{
    for (TColorButton *key : std::as_const(KeyList))
        if (hasCaption(key) && key->isEnabled())
            SetNegative(key);
}

void TMDIChild::Oznaclinkyaktivdosky1Click()
{
    if (TConsoleHost *host = ConsoleHost())
        host->MarkBoardKeys(true);
}

void TMDIChild::Odznaclinkyaktivdosky1Click()
{
    if (TConsoleHost *host = ConsoleHost())
        host->MarkBoardKeys(false);
}

void TMDIChild::InvertLClick()
{
    if (TConsoleHost *host = ConsoleHost())
        host->SetInvert(!host->Invert());
}

void TMDIChild::SelectOnMovePClick()
{
    if (TConsoleHost *host = ConsoleHost())
        host->SetSelectOnMove(!host->SelectOnMove());
}

void TMDIChild::Vlastnosti1Click()
{
    const int n = Vlastnosti1->data().toInt();
    TConsoleHost *host = ConsoleHost();
    if (host && hasCaption(GetButton(n)))
        host->OpenKeyProperties(this, n);
}
