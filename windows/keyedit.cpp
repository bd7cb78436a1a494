#include "windows/keyedit.h"

#include <QAction>
#include <QCursor>
#include <QTabWidget>

#include "cardpack/dll_load.h"
#include "windows/colorbutton.h"
#include "windows/consolehost.h"
#include "windows/keystates.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"

namespace
{

TKeyEditServices *services_ = nullptr;

// A copy buffer for a program that installed no services (it still works in
// one window at a time).
TCopyBuffer &fallbackBuffer()
{
    static TCopyBuffer buffer;
    return buffer;
}

TCopyBuffer &copyBuffer()
{
    return services_ ? services_->CopyBuffer() : fallbackBuffer();
}

std::uint32_t colourOf(const TColorButton *key)
{
    return TColorFromColor(key->Color());
}

} // namespace

TKeyEditServices *KeyEditServices()
{
    return services_;
}
void SetKeyEditServices(TKeyEditServices *services)
{
    services_ = services;
}

TKeyEditor::TKeyEditor(TMDIChild *window) : QObject(window), window_(window)
{
    setObjectName(QStringLiteral("KeyEditor"));
}

TKeyEditor &TKeyEditor::Of(TMDIChild *window)
{
    if (auto *editor =
            window->findChild<TKeyEditor *>(QStringLiteral("KeyEditor"), Qt::FindDirectChildrenOnly))
        return *editor;
    return *new TKeyEditor(window);
}

TKeyBinding TKeyEditor::binding() const
{
    TConsoleHost *host = ConsoleHost();
    TBindingServices s;
    if (host) {
        s.CardOfSlot = [host](int slot) { return host->CardOfSlot(slot); };
        s.SetModified = [host] { host->SetModified(true); };
        s.AskYesNo = [host](const QString &text) {
            return host->Prompt().Ask(TPrompt::Kind::Warning, text, TPrompt::YesNo) == TPrompt::Yes;
        };
    }
    return TKeyBinding(host ? host->Configuration() : nullptr, window_ ? window_->ConsoleNo : 255, s);
}

TPasteChecks TKeyEditor::checks(const TKeyBinding &b) const
{
    TConsoleHost *host = ConsoleHost();
    return TPasteChecks::FromCards(b, [host](int slot) { return host ? host->CardOfSlot(slot) : nullptr; });
}

void TKeyEditor::setChecked(bool on)
{
    if (window_ && window_->PresuvatLinky)
        window_->PresuvatLinky->setChecked(on);
}

void TKeyEditor::showViews()
{
    if (!window_ || !mover_)
        return;
    for (int d = 0; d <= mover_->Last; ++d) {
        TColorButton *key = window_->GetButton(d);
        if (!key)
            continue;
        const TKeyView &v = mover_->Views()[d];
        key->SetCaption(v.Caption);
        key->SetHint(v.Hint);
        key->SetFontColor(ColorFromTColor(std::uint32_t(v.TextColor)));
        key->SetColor(ColorFromTColor(v.Moved ? KeyColors::Move : KeyColors::Normal));
    }
}

// ---- delete and copy --------------------------------------------------------------------------

void TKeyEditor::Zmazat(bool marked, bool allConsoles)
{
    TConsoleHost *host = ConsoleHost();
    if (!window_ || !host)
        return;
    QList<std::uint32_t> colours;
    for (const TColorButton *key : std::as_const(window_->KeyList))
        colours.append(key ? colourOf(key) : 0);
    const QList<int> deleted = DeleteKeyList(KeysToDelete(colours, marked), [host, allConsoles](int n) {
        return host->DeleteKeys(n, false, allConsoles, false);
    });
    for (int n : deleted)
        if (TColorButton *key = window_->GetButton(n)) {
            key->SetCaption(QString());
            window_->SetNormal(key);
        }
    host->SelectCardAndLine(true);
}

void TKeyEditor::KopirovatLinky()
{
    if (!window_)
        return;
    QList<int> marked;
    for (const TColorButton *key : std::as_const(window_->KeyList))
        if (TMDIChild::IsMarked(key))
            marked.append(key->Tag);
    CopyMarkedKeys(copyBuffer(), marked, window_->LastKeyNumber(), binding());
}

// ---- move and paste ---------------------------------------------------------------------------

void TKeyEditor::cancel()
{
    TConsoleHost *host = ConsoleHost();
    if (host)
        host->ShowCard(true, 0);
    if (mover_) {
        const TKeyBinding b = binding();
        mover_->Cancel(&b);
        showViews();
    }
    setChecked(false);
}

void TKeyEditor::ConsoleChanged()
{
    if (!Moving())
        return;
    const TKeyBinding b = binding();
    mover_->Cancel(&b);
    showViews();
    setChecked(false);
    if (window_)
        window_->MoveBase = mover_->MoveBase();
}

void TKeyEditor::ConsoleChangedOutside(const QList<TMDIChild *> &windows, int console)
{
    for (TMDIChild *w : windows) {
        if (!w || (console >= 0 && w->ConsoleNo != console))
            continue;
        if (auto *editor =
                w->findChild<TKeyEditor *>(QStringLiteral("KeyEditor"), Qt::FindDirectChildrenOnly))
            editor->ConsoleChanged();
    }
}

bool TKeyEditor::endIfStale(const TKeyBinding &b)
{
    if (!Moving() || !window_)
        return false;
    if (!mover_->Stale(b) && mover_->Last == window_->LastKeyNumber() && mover_->Grid == window_->Grid())
        return false;
    ConsoleChanged();
    return true;
}

void TKeyEditor::PresuvatLinky()
{
    TConsoleHost *host = ConsoleHost();
    if (!window_ || !host || !window_->PresuvatLinky)
        return;
    if (services_)
        services_->ReleaseCardButton();
    if (Moving()) {
        cancel();
        return;
    }
    QList<int> marked;
    QList<int> block;
    for (TColorButton *key : std::as_const(window_->KeyList)) {
        if (!TMDIChild::IsMarked(key))
            continue;
        marked.append(key->Tag);
        if (!key->Caption().isEmpty()) {
            window_->SetMove(key);
            block.append(key->Tag);
        } else {
            window_->SetNormal(key);
        }
    }
    mover_ = std::make_unique<TBlockMover>(window_->Grid(), window_->Tag);
    if (!mover_->StartMove(block, marked, binding(), copyBuffer())) {
        setChecked(false);
        return;
    }
    window_->MoveBase = mover_->MoveBase();
    host->ShowCard(false, -1);
    setChecked(true);
}

void TKeyEditor::VlozitLinky(TColorButton *from)
{
    TConsoleHost *host = ConsoleHost();
    if (!window_ || !host)
        return;
    const TCopyBuffer &buffer = copyBuffer();
    if (buffer.Empty())
        return;
    host->ShowCard(true, 0);
    mover_ = std::make_unique<TBlockMover>(window_->Grid(), window_->Tag);
    const TKeyBinding b = binding();
    const TBlockMover::TPasteStart start = mover_->StartPaste(buffer, b, checks(b));
    if (start.Started) {
        setChecked(true);
        window_->MoveBase = mover_->MoveBase();
        showViews();
        if (!from)
            from = window_->GetButton(window_->ActiveKeyIndex);
        if (from)
            MoveModeMouseMove(from);
    }
    if (start.Refused > 0)
        host->Prompt().Warning(LoadStrDll(75));
}

void TKeyEditor::MoveModeMouseMove(TColorButton *key)
{
    if (!key || !Moving() || endIfStale(binding()))
        return;
    if (!mover_->Preview(key->Tag, true))
        return;
    window_->MoveBase = mover_->MoveBase();
    showViews();
    listing_ = mover_->ListingText();
    if (services_)
        services_->ShowMoveListing(listing_);
}

void TKeyEditor::MoveModeClick(TColorButton *key)
{
    Q_UNUSED(key);
    TConsoleHost *host = ConsoleHost();
    if (!Moving() || !host)
        return;
    TKeyBinding b = binding();
    if (endIfStale(b)) {
        host->ShowCard(true, 0);
        return;
    }
    if (mover_->Place(b, checks(b))) {
        setChecked(false);
        showViews();
        window_->MoveBase = mover_->MoveBase();
        window_->ActiveKeyIndex = mover_->MoveBase();
        window_->SetActive(window_->GetButton(mover_->MoveBase()));
        // Another window of the same console must not place an older copy.
        QList<TMDIChild *> others = host->ConsoleWindows();
        others.removeAll(window_.data());
        ConsoleChangedOutside(others, window_->ConsoleNo);
    }
    host->ShowCard(true, 0);
}

// ---- keyboard ---------------------------------------------------------------------------------

void TKeyEditor::navigate(const TKeyPress &press)
{
    const int last = int(window_->KeyList.size()) - 1;
    TColorButton *current = window_->GetButton(window_->ActiveKeyIndex);
    const int perScreen = KeysPerScreen(window_->Grid());
    auto showPageOf = [this, perScreen](int n) {
        if (perScreen > 0 && window_->PageControl1)
            window_->PageControl1->setCurrentIndex(n / perScreen);
    };
    if (!current) {
        const int first =
            perScreen > 0 && window_->PageControl1 ? window_->PageControl1->currentIndex() * perScreen : 0;
        for (int n = std::max(first, 0); n <= last; ++n) {
            TColorButton *key = window_->GetButton(n);
            if (key && !key->Caption().isEmpty() && key->isEnabled()) {
                window_->SetActive(key);
                showPageOf(n);
                return;
            }
        }
        return;
    }
    if (press.what == TKeyPress::ClickActive) {
        window_->ButtonClick(current); // "0" and "P": the target stays the active key
        return;
    }
    const int target = KeyboardTarget(window_->ActiveKeyIndex, press.Step, last, [this](int n) {
        const TColorButton *key = window_->GetButton(n);
        return key && key->isEnabled();
    });
    if (target < 0)
        return;
    window_->SetActive(window_->GetButton(target));
    showPageOf(target);
}

void TKeyEditor::FormKeyPress(QChar c)
{
    if (!window_)
        return;
    const TKeyPress press = KeyPressAction(c, Moving() || window_->Moving(), window_->ConsoleType);
    if (Moving()) {
        TColorButton *base = window_->GetButton(mover_->MoveBase());
        switch (press.what) {
        case TKeyPress::CancelMove:
            if (base)
                PresuvatLinky();
            break;
        case TKeyPress::PlaceBlock:
            if (base)
                MoveModeClick(base); // a click on the key at the move base places the block
            break;
        case TKeyPress::Move:
            if (endIfStale(binding()))
                break;
            if (mover_->KeyboardMove(press.Step)) {
                window_->MoveBase = mover_->MoveBase();
                showViews();
                listing_ = mover_->ListingText();
                if (services_)
                    services_->ShowMoveListing(listing_);
            }
            break;
        default:
            break;
        }
        return;
    }
    if (press.PrepareMenu) {
        bool handled = false;
        auto *under = qobject_cast<TColorButton *>(window_->childAt(window_->mapFromGlobal(QCursor::pos())));
        window_->ContextPopup(under, QPoint(), &handled);
    }
    switch (press.what) {
    case TKeyPress::DeleteMarked:
        if (window_->CountMarked() > 0 && window_->Zmaz1->isEnabled())
            Zmazat(true, false);
        break;
    case TKeyPress::InvertAll:
        if (window_->InvertujVsetko->isEnabled())
            window_->InvertujVsetkoClick();
        break;
    case TKeyPress::StartMove:
        if (window_->CountMarked() > 0 && window_->PresuvatLinky->isEnabled())
            PresuvatLinky();
        break;
    case TKeyPress::ClickActive:
        if (!press.Navigate) {
            if (TColorButton *key = window_->GetButton(window_->ActiveKeyIndex)) {
                window_->ButtonClick(key);
                window_->SetActive(key);
            }
        }
        break;
    default:
        break;
    }
    if (press.Navigate)
        navigate(press);
}
