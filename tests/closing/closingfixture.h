#pragma once

// What the tests of closing, exiting and the hand-over share: a prompt that
// shows each question as a real message box and clicks its answer after a
// while, a project on disk, and an edit made with the mouse.
#include <QtTest>

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTimer>

#include <memory>

#include "editing/keybinding.h"
#include "mainwindow/mainform.h"
#include "mainwindow/speedbutton.h"
#include "model/objekty.h"
#include "tests/fixture/consolewindows.h"
#include "tests/fixture/fixture.h"
#include "windows/colorbutton.h"
#include "windows/mdichild.h"
#include "windows/prompt.h"

namespace closing
{

// Every box is recorded. A box with a queued answer is shown as the program
// shows it, a modal QMessageBox, and its button is clicked `holdMs` after it
// opened; the program's timers and sockets go on meanwhile. A box without a
// queued answer gets its default button at once (the test then sees it in
// the record).
class THeldPrompt : public TPrompt
{
public:
    int holdMs = 0;

    int Ask(Kind kind, const QString &text, Buttons buttons, const QString &title = QString()) override
    {
        asked_ << text;
        if (answers_.isEmpty())
            return DefaultButton(buttons);
        const int answer = answers_.takeFirst();
        const int hold = holdMs;
        QTimer::singleShot(hold, qApp, [answer] { clickWhenShown(answer, 200); });
        return widgets_.Ask(kind, text, buttons, title);
    }

    void Answer(int button) { answers_ << button; }
    QStringList asked() const { return asked_; }
    bool answered() const { return answers_.isEmpty(); }
    void clear()
    {
        asked_.clear();
        answers_.clear();
    }

private:
    static void clickWhenShown(int answer, int triesLeft)
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QAbstractButton *button = box ? box->button(standard(answer)) : nullptr;
        if (!button) {
            if (triesLeft > 0)
                QTimer::singleShot(10, qApp, [answer, triesLeft] { clickWhenShown(answer, triesLeft - 1); });
            return;
        }
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static QMessageBox::StandardButton standard(int answer)
    {
        switch (answer) {
        case Ok: return QMessageBox::Ok;
        case Cancel: return QMessageBox::Cancel;
        case Yes: return QMessageBox::Yes;
        case No: return QMessageBox::No;
        case Retry: return QMessageBox::Retry;
        case Abort: return QMessageBox::Abort;
        default: return QMessageBox::NoButton;
        }
    }

    TWidgetPrompt widgets_;
    QStringList asked_;
    QList<int> answers_;
};

inline QByteArray ReadAll(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A project of a PC console (3 screens) and a mechanical one (2 screens)
// whose boards the card package knows.
inline void WriteProject(const QString &name, const QString &key0Name = QString())
{
    auto cfg = fixture::BuildFixture();
    for (int s = 2; s <= 4; ++s)
        cfg->SlotyDosiek[s].Meno.clear();
    cfg->Pulty[1]->Dosky[2].reset(); // its card went with the slot's name
    if (!key0Name.isEmpty())
        cfg->Pulty[0]->Klavesy[0]->MenoKlavesy = key0Name;
    cfg->SaveToFile(name);
}

// A click where the user clicks: on the main window, at the widget's centre.
inline void ClickIn(TMainForm1 &form, QWidget *w)
{
    QTest::mouseClick(form.windowHandle(), Qt::LeftButton, Qt::NoModifier, w->mapTo(&form, w->rect().center()));
}

// An edit by the mouse: in console `console`'s window a free line of a card
// is bound to a free key. The key's number, -1 when none could be bound.
inline int BindAFreeLine(TMainForm1 &form, int console)
{
    TMDIChild *w = fixture::ConsoleWindow(form, QStringLiteral("Pult%1").arg(console));
    if (!w || !form.APult || !form.APult->Pulty[console])
        return -1;
    form.MdiArea->tileSubWindows();
    form.MdiArea->setActiveSubWindow(w);
    if (!QTest::qWaitFor([&] { return form.MdiArea->activeSubWindow() == w; }, 2000))
        return -1;
    const TPult &p = *form.APult->Pulty[console];
    for (int slot = 0; slot < BoardCount; ++slot) {
        TSpeedButton *card = form.GetCardButton(slot);
        if (!card)
            continue;
        QTest::mouseClick(card, Qt::LeftButton);
        for (int line = 0; form.GetLineButton(line); ++line) {
            TSpeedButton *b = form.GetLineButton(line);
            if (!b->isEnabled() || form.LineIsAssigned(slot, line))
                continue;
            QTest::mouseClick(b, Qt::LeftButton);
            if (!b->Down())
                continue;
            // A free key on the page shown.
            const int perPage = w->LastKeyNumber() + 1 < KeyCount ? w->LastKeyNumber() + 1 : KeyCount;
            for (int k = 0; k < perPage; ++k) {
                TColorButton *key = w->GetButton(k);
                if (!key || !key->isVisible() || !key->Caption().isEmpty() || IsConfiguredKey(p.Klavesy[k].get()))
                    continue;
                ClickIn(form, key);
                return IsConfiguredKey(p.Klavesy[k].get()) ? k : -1;
            }
            return -1;
        }
    }
    return -1;
}

} // namespace closing
