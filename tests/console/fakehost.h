#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <map>
#include <memory>

#include "cardpack/registry.h"
#include "model/objekty.h"
#include "windows/consolehost.h"
#include "windows/consoleopen.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"

// The main window's side of the console windows, recording what was asked.
class FakeHost : public TConsoleHost
{
public:
    FakeHost()
    {
        list = Registry::CreateBoardList(QStringLiteral("TZOZ"));
        area.resize(1400, 1000);
        SetConsoleHost(this);
    }
    ~FakeHost() override
    {
        for (QMdiSubWindow *w : area.subWindowList())
            w->setAttribute(Qt::WA_DeleteOnClose, false);
        qDeleteAll(area.subWindowList());
        SetConsoleHost(nullptr);
    }

    QMdiArea area;
    std::unique_ptr<TZoznam> list;
    std::unique_ptr<TAPult> config;
    std::map<int, std::unique_ptr<TCardOld>> cards;
    TScriptedPrompt prompt;
    Byte closeAccepted = 1;
    bool askToSave = true;
    bool consoleClosing = true;
    bool modified = false;
    bool dialogue = false;
    bool invert = false, selectOnMove = false, vlAkoHint = false;
    Byte mode = 0;
    int copied = 0;
    bool assignResult = true;
    bool deleteResult = true;
    bool saveKeepsAccepted = true; // what Save2FileOrv answers: the project was written
    QStringList calls;
    QList<int> deleted;
    QList<int> propertiesOpened;
    QList<QPair<int, QString>> log;
    bool newProjectCleared = false;

    TAPult *Configuration() override { return config.get(); }
    TZoznam *BoardList() override { return list.get(); }
    Byte ConsoleTypeSetting(int console) override
    {
        return config && config->Pulty[console] ? config->Pulty[console]->TypPultu : 0;
    }
    bool Invert() override { return invert; }
    bool SelectOnMove() override { return selectOnMove; }
    bool VlAkoHint() override { return vlAkoHint; }
    void SetInvert(bool on) override { invert = on; }
    void SetSelectOnMove(bool on) override { selectOnMove = on; }
    QFont KeyFont() override { return QFont(QStringLiteral("Arial"), 9); }
    Byte &CloseAccepted() override { return closeAccepted; }
    bool AskToSave() override { return askToSave; }
    bool ConsoleClosing() override { return consoleClosing; }
    void SetConsoleClosing(bool on) override { consoleClosing = on; }
    bool Modified() override { return modified; }
    void SetModified(bool on) override { modified = on; }
    bool DialogueRunning() override { return dialogue; }
    void AbortCommunication() override { calls << QStringLiteral("AbortCommunication"); }
    bool Save2FileOrv() override
    {
        calls << QStringLiteral("Save2FileOrv");
        return saveKeepsAccepted;
    }
    void ShowCard(bool, int) override { calls << QStringLiteral("ShowCard"); }
    void DisableWriteToSystem() override { calls << QStringLiteral("DisableWriteToSystem"); }
    bool CloseAllConsoles() override
    {
        calls << QStringLiteral("CloseAllConsoles");
        return CloseAllConsoleWindows(*this);
    }
    void SyncCardWithActiveConsole() override
    {
        calls << QStringLiteral("SyncCardWithActiveConsole");
        // Which window the frame names active while the activation runs.
        QMdiSubWindow *w = area.activeSubWindow();
        syncSaw << (w ? w->objectName() : QString());
    }
    QStringList syncSaw;
    void SelectCardAndLine(bool) override { calls << QStringLiteral("SelectCardAndLine"); }
    void AddLogEntry(int kind, const QString &text) override { log.append({kind, text}); }
    void Delay(int ms) override
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms / 20)
            QCoreApplication::processEvents();
    }
    void ClearNewProjectFlag() override { newProjectCleared = true; }
    TPrompt &Prompt() override { return prompt; }

    // Binds key n in the model as the binding helper would.
    bool AssignLineToKey(int n, QString &caption) override
    {
        calls << QStringLiteral("AssignLineToKey %1").arg(n);
        if (!assignResult || !config)
            return false;
        auto &key = config->Pulty[boundConsole]->Klavesy[n];
        if (!key)
            key = std::make_unique<TKlavesa>();
        key->MenoKlavesy = QStringLiteral("Bound%1").arg(n);
        key->MenoLinky = QStringLiteral("E0-L0 - MB");
        key->HWPozicDosky = 0;
        key->PozicLinky = 0;
        key->KodDosky = bindCode;
        caption = key->MenoKlavesy;
        return true;
    }
    bool DeleteKeys(int n, bool, bool, bool) override
    {
        deleted << n;
        return deleteResult;
    }
    void MarkBoardKeys(bool mark) override { calls << QStringLiteral("MarkBoardKeys %1").arg(mark); }
    int CopiedKeyCount() override { return copied; }
    void OpenKeyProperties(TMDIChild *, int n) override { propertiesOpened << n; }
    Byte OperationMode() override { return mode; }
    bool CreateCardByName(const QString &name, int slot) override
    {
        auto card = Registry::CreateCard(name + QStringLiteral("Card"));
        if (!card)
            card = Registry::CreateCard(name);
        if (!card)
            return false;
        cards[slot] = std::move(card);
        return true;
    }
    TCardOld *CardOfSlot(int slot) override
    {
        auto it = cards.find(slot);
        return it == cards.end() ? nullptr : it->second.get();
    }
    void FreeCardButtons() override
    {
        calls << QStringLiteral("FreeCardButtons");
        cards.clear();
    }
    void FreeConfiguration() override
    {
        calls << QStringLiteral("FreeConfiguration");
        config.reset();
    }
    void UpdatePultButtons(int console) override { calls << QStringLiteral("UpdatePultButtons %1").arg(console); }
    void AdoptConsoleWindow(TMDIChild *window) override
    {
        area.addSubWindow(window);
        window->PageControl1->setEnabled(ConsoleTypeSetting(window->ConsoleNo) != 0);
    }
    QList<TMDIChild *> ConsoleWindows() override
    {
        QList<TMDIChild *> list;
        for (QMdiSubWindow *w : area.subWindowList())
            if (auto *c = qobject_cast<TMDIChild *>(w))
                list.append(c);
        return list;
    }
    TMDIChild *ActiveConsoleWindow() override { return active ? active : qobject_cast<TMDIChild *>(area.activeSubWindow()); }
    QString CardLineText(int slot, int line) override
    {
        TCardOld *card = CardOfSlot(slot);
        if (!card)
            return QString();
        Byte code = 0;
        return card->GetTypLinName(card->GetTypLinNum(card->GetNameLin(Byte(line))), code);
    }
    QString CardTypeName(int slot) override { return slot == 0 ? QStringLiteral("UL10") : QString(); }
    QString LineName(int, int) override { return QString(); }
    QString SystemTypeText() override { return QStringLiteral("Zapojovac"); }

    int boundConsole = 0;
    Byte bindCode = 71;
    TMDIChild *active = nullptr;
};
