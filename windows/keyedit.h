#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "editing/blockmover.h"

class TColorButton;
class TMDIChild;

// What the key editing commands need from the main window beyond TConsoleHost.
class TKeyEditServices
{
public:
    virtual ~TKeyEditServices() = default;
    // The copy buffer; it outlives the console windows.
    virtual TCopyBuffer &CopyBuffer() = 0;
    // The main window releases its pressed card button.
    virtual void ReleaseCardButton() = 0;
    // The listing of a move preview, for a view of its own: never the program log.
    virtual void ShowMoveListing(const QString &text) = 0;
};

TKeyEditServices *KeyEditServices();
void SetKeyEditServices(TKeyEditServices *services);

// The key editing commands of one console window: delete, copy, paste, the
// move with its preview, and the keyboard. The decisions are the block
// mover's; this only reads the key controls' states and shows the answers.
// One editor lives as a child of its window (Of).
class TKeyEditor : public QObject
{
    Q_OBJECT
public:
    explicit TKeyEditor(TMDIChild *window);
    // The window's editor, created on first use.
    static TKeyEditor &Of(TMDIChild *window);

    // Delete: the marked keys (or the active one), on all consoles when asked.
    void Zmazat(bool marked, bool allConsoles);
    void KopirovatLinky();
    // Paste the copy buffer; the preview starts at `from` or the active key.
    void VlozitLinky(TColorButton *from = nullptr);
    // Start moving the marked keys, or stop (cancel) when moving.
    void PresuvatLinky();
    // A click and a mouse move on a key while moving or pasting.
    void MoveModeClick(TColorButton *key);
    void MoveModeMouseMove(TColorButton *key);
    void FormKeyPress(QChar key);

    // The window's console changed, or is about to change, from outside the
    // pending move or paste: the mode ends and the keys show the console as
    // it is. Nothing happens without a pending mode.
    void ConsoleChanged();
    // Ends the pending moves and pastes of the windows of `console` (every
    // console for -1), as ConsoleChanged.
    static void ConsoleChangedOutside(const QList<TMDIChild *> &windows, int console);

    bool Moving() const { return mover_ && mover_->Active(); }
    const TBlockMover *Mover() const { return mover_.get(); }
    // The listing of the last preview.
    QString Listing() const { return listing_; }

private:
    TKeyBinding binding() const;
    TPasteChecks checks(const TKeyBinding &binding) const;
    void showViews();
    void setChecked(bool on);
    void cancel();
    // Ends the mode when the console or the window is no longer what it
    // began with; true when it did.
    bool endIfStale(const TKeyBinding &binding);
    void navigate(const TKeyPress &press);

    QPointer<TMDIChild> window_;
    std::unique_ptr<TBlockMover> mover_;
    QString listing_;
};
