#pragma once

// The main window's side of the dialogue for tests and the read benchmark: a
// real configuration, system image, board-type list and cards, a scripted
// prompt that records every box, and logs kept as lists.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

#include "cardpack/dll_load.h"
#include "cardpack/registry.h"
#include "cardpack/sablona.h"
#include "dialogue/dialogue.h"
#include "dialogue/dialoguehost.h"
#include "model/cardset.h"
#include "model/objekty.h"
#include "platform/langlib.h"
#include "records/imagetomodel.h"
#include "records/systemimage.h"

// Loads the program's language library once, so that the texts are real.
inline bool LoadProgramTexts()
{
    if (HInstDll > 32)
        return true;
    HInstDll = platform::LoadLanguageLibrary(QStringLiteral(KELVARA_BIN_DIR "/LANG.DLL"));
    return HInstDll > 32;
}

class TScriptPrompt : public TDialoguePrompt
{
public:
    struct Asked {
        Kind kind;
        QString text;
        Buttons buttons;
    };
    struct ConsoleAsked {
        int console;
        QString caption;
        Byte presetType;
    };

    int Ask(Kind kind, const QString &text, Buttons buttons) override
    {
        asked.append({kind, text, buttons});
        // What happens while the box is open (the event loop keeps running).
        if (whileOpen)
            whileOpen(text);
        if (answers.isEmpty()) {
            unscripted.append(text);
            // The first button of the set in the order Ok, Yes, Retry, Abort, No, Cancel.
            for (Button b : {Ok, Yes, Retry, Abort, No, Cancel})
                if (buttons & Bit(b))
                    return b;
            return Ok;
        }
        return answers.takeFirst();
    }

    bool AskConsole(int console, const QString &caption, const QString &okText, const QString &cancelText,
                    Byte &type) override
    {
        (void)okText;
        (void)cancelText;
        consoleAsked.append({console, caption, type});
        if (consoleAnswers.isEmpty())
            return true;
        const auto [ok, chosen] = consoleAnswers.takeFirst();
        if (chosen != 0)
            type = chosen;
        return ok;
    }

    QStringList texts() const
    {
        QStringList t;
        for (const Asked &a : asked)
            t << a.text;
        return t;
    }

    QList<int> answers;
    std::function<void(const QString &text)> whileOpen;
    QList<std::pair<bool, Byte>> consoleAnswers; // OK?, the type chosen (0 keeps it)
    QList<Asked> asked;
    QList<ConsoleAsked> consoleAsked;
    QStringList unscripted;
};

class TTestHost : public TDialogueHost
{
public:
    TTestHost()
    {
        BoardList_ = Registry::CreateBoardList(QStringLiteral("TZOZ"));
        validSlots.fill(true);
    }

    // ---- configuration, image, cards
    TAPult *Model() override { return model.get(); }
    TAPult &CreateModel() override
    {
        model = std::make_unique<TAPult>(QStringLiteral("/tmp/kelvara"));
        ++modelsCreated;
        return *model;
    }
    void FreeModel() override
    {
        ++modelsFreed;
        model.reset();
        cards.Clear();
    }
    TSystemImage &Image() override { return image; }
    TZoznam *BoardList() override { return BoardList_.get(); }
    bool CreateCardByName(const QString &name, int slot) override
    {
        if (name == QStringLiteral("TZOZ")) {
            BoardList_ = Registry::CreateBoardList(name);
            return BoardList_ != nullptr;
        }
        return cards.CreateCardByName(name, slot);
    }
    TCardOld *Card(int slot) override { return cards.CardOfSlot(slot); }
    bool IsBoardSlotValid(int slot) override
    {
        return slot >= 0 && slot < BoardCount && validSlots[std::size_t(slot)] && BoardList_
               && ::IsBoardSlotValid(slot, BoardList_->GetType());
    }
    void FreeCardButtons() override
    {
        ++cardButtonsFreed;
        cards.Clear();
    }
    Byte CardLineTypeNumber(int slot, int line) override
    {
        (void)slot;
        (void)line;
        ++lineTypeQueries;
        return 0;
    }
    bool LoadPcPultFile(bool &asked, bool &failed, int console, bool fromSystem, QString &rejectedBoards,
                        int &unconfiguredCount) override
    {
        (void)rejectedBoards;
        (void)unconfiguredCount;
        (void)fromSystem;
        asked = true;
        pcLoads.append(console);
        failed = pcLoadFails;
        return pcLoadConverts;
    }

    // ---- console windows, new configuration
    bool CloseAllConsoles() override
    {
        ++windowCloses;
        return !windowsStayOpen;
    }
    bool ConsoleWindowsOpen() override { return windowsStayOpen; }
    bool CloseAccepted() override { return closeAccepted; }
    void SetCloseAccepted(bool accepted) override { closeAccepted = accepted; }
    bool RunNewConsoleDialog() override
    {
        ++newConsoleDialogs;
        if (!newConsoleGoAhead)
            return false;
        TAPult &a = CreateModel();
        a.PocetPultov = 2;
        for (int n = 0; n < ConsoleCount; ++n) {
            a.Pulty[n] = std::make_unique<TPult>();
            a.Pulty[n]->TypPultu = consoleTypes[n];
            a.Pulty[n]->PocetObrazoviek = 1;
            for (auto &k : a.Pulty[n]->Klavesy)
                k = std::make_unique<TKlavesa>();
            image.ConsoleType(n) = consoleTypes[n];
            image.ScreenCount(n) = 1;
        }
        return true;
    }
    void OpenConsoleWindows() override { ++windowsOpened; }
    QString ProjectName() override { return projectName; }
    void SetProjectName(const QString &name) override { projectName = name; }
    void MarkModified() override
    {
        ++modifiedMarks;
        modified = true;
    }
    bool ProjectModified() override { return modified; }
    int AskSaveProject() override
    {
        ++savePrompts;
        return saveChoice;
    }
    void SaveProject(int choice) override
    {
        saves.append(choice);
        if (saveSucceeds)
            modified = false;
    }

    // ---- the window around
    bool Quiet() override { return quiet; }
    void SetConfigEnabled(bool enabled) override { configEnabled = enabled; }
    void SetStatusText(const QString &text) override { status = text; }
    void Delay(int ms) override { TDialogueHost::Delay(delayScale * ms); }

    // ---- logs
    QString TimeText() override { return QStringLiteral("12:00:00"); }
    void AppendMemo1(const QString &text) override { memo1 << text; }
    bool FrameLogShown() override { return frameLog; }
    void ClearMemo2() override { memo2.clear(); }
    void AppendMemo2(const QString &text) override { memo2 << text; }
    void AddLogEntry(int kind, const QString &text) override { log << QStringLiteral("%1: %2").arg(kind).arg(text); }
    void SaveLogPanes() override { ++logSaves; }

    std::unique_ptr<TAPult> model;
    TSystemImage image;
    std::unique_ptr<TZoznam> BoardList_;
    TCardSet cards;
    std::array<bool, BoardCount> validSlots{};
    std::array<Byte, 2> consoleTypes{2, 2};
    bool newConsoleGoAhead = true;
    bool windowsStayOpen = false;
    bool closeAccepted = true;
    bool quiet = false;
    bool pcLoadFails = false;
    bool pcLoadConverts = true;
    double delayScale = 0.0;
    bool frameLog = true;
    QList<int> pcLoads;
    bool modified = false;
    int saveChoice = 2;       // the save prompt's answer
    bool saveSucceeds = true; // the save clears the modified flag
    QList<int> saves;
    int savePrompts = 0;
    QStringList memo1, memo2, log;
    QString status, projectName;
    bool configEnabled = true;
    int modelsCreated = 0, modelsFreed = 0, cardButtonsFreed = 0, lineTypeQueries = 0, windowCloses = 0,
        newConsoleDialogs = 0, windowsOpened = 0, modifiedMarks = 0, logSaves = 0;
};

// What the conversion saw of the image, one entry per console converted.
struct TConversion {
    int console = 0;
    QByteArray image;
};

// Installs a stand-in conversion on the dialogue that records the image it is
// handed and answers `result`.
inline void RecordConversions(TDialogue &dialogue, TTestHost &host, QList<TConversion> &seen, bool result = true)
{
    dialogue.ImageToModelHook = [&host, &seen, result](int console, bool fromSystem, int &unconfigured) {
        (void)fromSystem;
        unconfigured = 0;
        seen.append({console, host.image.ToBytes()});
        return result;
    };
}

// The conversion's messages, kept for the test to look at.
class TListConversionLog : public TConversionLog
{
public:
    void TraceLine(const QString &line) override { trace << line; }
    void LogEntry(TReportKind kind, const QString &text) override { entries << QStringLiteral("%1: %2").arg(int(kind)).arg(text); }
    void ShowBox(TReportKind kind, const QString &text) override { boxes << QStringLiteral("%1: %2").arg(int(kind)).arg(text); }
    QStringList trace, entries, boxes;
};

// The program's own conversion behind the dialogue's hook, recording the
// image it is handed first.
inline void RealConversions(TDialogue &dialogue, TTestHost &host, TListConversionLog &log, QList<TConversion> &seen)
{
    dialogue.ImageToModelHook = [&host, &log, &seen](int console, bool fromSystem, int &unconfigured) {
        seen.append({console, host.image.ToBytes()});
        TImageToModelContext context{host.model, host.image, *host.BoardList_, host.cards, log, host.quiet,
                                     QStringLiteral("/tmp/kelvara")};
        return ImageToModel(context, console, fromSystem, unconfigured);
    };
}
