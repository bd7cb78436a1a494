#pragma once

#include <QString>

#include <memory>


#include "cardpack/sablona.h"
#include "model/cardset.h"
#include "model/reporter.h"

class TAPult;
class TSystemImage;

// Where the conversion writes what it has to say: trace lines for the log
// pane, entries for the program log and boxes with an OK button. The
// conversion decides which message also gets a box (never with Quiet).
class TConversionLog
{
public:
    virtual ~TConversionLog() = default;
    virtual void TraceLine(const QString &line) = 0;
    virtual void LogEntry(TReportKind kind, const QString &text) = 0;
    virtual void ShowBox(TReportKind kind, const QString &text) = 0;
};

// The caller's configuration, held by a plain pointer (the main window) or by
// a unique_ptr; the conversion creates one there when it holds none.
class TConfigPlace
{
public:
    TConfigPlace(TAPult *&place) : raw(&place) {}
    TConfigPlace(std::unique_ptr<TAPult> &place) : owned(&place) {}
    TAPult *Get() const { return raw ? *raw : owned->get(); }
    void Set(TAPult *config) const
    {
        if (raw)
            *raw = config;
        else
            owned->reset(config);
    }

private:
    TAPult **raw = nullptr;
    std::unique_ptr<TAPult> *owned = nullptr;
};

// What the conversion needs of the main window.
struct TImageToModelContext {
    TConfigPlace Config;             // created when there is none; the caller owns it
    TSystemImage &Image;             // the converted console's tables; unplaceable keys are rewritten
    TZoznam &List;                   // the board-type list
    TCardSlots &Cards;               // the cards of the board slots; boards may be adopted into it
    TConversionLog &Log;
    bool Quiet = false;   // the quiet switch: log only, no boxes
    QString ProgramPath;  // for a configuration created here
};

// Turns the system image of one console into the configuration: the
// console, its 224 keys (192..223 and keys the image does not place stay or
// become unconfigured), the boards, lines and extended lines the keys use,
// the phone book and the line flags. fromSystem: the key-to-line table came
// from the system (else the line numbers are those of the key records).
// unconfiguredCount is increased by the keys made unconfigured.
//
// Returns false when a key's board code contradicts the board in its slot (a
// warning lists the slots): the caller must then abort the device operation
// and free the partly built configuration. Also false for a console index
// other than 0 or 1.
bool ImageToModel(TImageToModelContext &context, int console, bool fromSystem, int &unconfiguredCount);
