// The phone-book command from the main window's menu item and speed button:
// the dialog opens over the active console window's console, and only a real
// change marks the project modified.
#include <QtTest>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include "cardpack/dll_load.h"
#include "dialogue/dialogue.h"
#include "mainwindow/mainform.h"
#include "platform/programfolder.h"
#include "tests/fixture/fixture.h"
#include "tests/phonebook/phonebooktest.h"
#include "windows/prompt.h"
#include "windows/telzoznam.h"
#include "windows/wizard.h"

class TestPhoneBookCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

    // What the dialog showed and how it was left.
    int shows_ = 0;
    QWidget *owner_ = nullptr;
    QStringList rows_;

    // A main window with the fixture and both console windows open.
    std::unique_ptr<TMainForm1> openForm()
    {
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->resize(1200, 900);
        form->show();
        form->APult = fixture::BuildFixture().release();
        form->PultTyp[0] = 1;
        form->PultTyp[1] = 2;
        phonebooktest::Fill(*form->APult->Pulty[0], {"Zora=3", "Adam=1"});
        phonebooktest::Fill(*form->APult->Pulty[1], {"Bob=2", "-", "Cyril=5"});
        if (!form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult))
            return nullptr;
        form->ModifiedFlag = 0;
        return form;
    }

    static void activate(TMainForm1 &form, int console)
    {
        for (QMdiSubWindow *w : form.MdiArea->subWindowList())
            if (w->objectName() == QStringLiteral("Pult%1").arg(console))
                form.MdiArea->setActiveSubWindow(w);
    }

    // The dialog's run: its rows noted, then the button clicked.
    void answerWith(bool ok, const std::function<void(TfTelZoznam &)> &edit = {})
    {
        TfTelZoznam::Exec = [this, ok, edit](TfTelZoznam &d) {
            ++shows_;
            owner_ = d.parentWidget();
            rows_.clear();
            for (const PhoneBook::TRow &r : d.Rows())
                rows_ << r.Name + u'=' + r.Number;
            QTimer::singleShot(0, &d, [&d, ok, edit] {
                if (edit)
                    edit(d);
                QTest::mouseClick(ok ? d.bOK : d.bCancel, Qt::LeftButton);
                if (d.isVisible())
                    d.done(99);
            });
            return d.exec();
        };
    }

private slots:
    void initTestCase()
    {
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
        fixture::LoadLanguage();
        QVERIFY(HInstDll > 32);
        scope_ = std::make_unique<TPromptScope>(&prompt_);
    }

    void init()
    {
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
        prompt_.clear();
        shows_ = 0;
        owner_ = nullptr;
        rows_.clear();
    }

    void cleanup()
    {
        TfTelZoznam::Exec = nullptr;
        platform::SetProgramFolder(QString());
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(" | ")));
    }

    // The menu item and the speed button edit the active console's book.
    void opensForActiveConsole_data()
    {
        QTest::addColumn<bool>("button");
        QTest::addColumn<int>("console");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("menu, console 0") << false << 0 << QStringList{"Adam=1", "Zora=3"};
        QTest::newRow("menu, console 1") << false << 1 << QStringList{"Bob=2", "Cyril=5"};
        QTest::newRow("button, console 1") << true << 1 << QStringList{"Bob=2", "Cyril=5"};
    }
    void opensForActiveConsole()
    {
        QFETCH(bool, button);
        QFETCH(int, console);
        QFETCH(QStringList, shown);
        auto form = openForm();
        QVERIFY(form);
        activate(*form, console);
        QCOMPARE(form->ActiveConsoleNumber(), console);
        const QString other = fixture::DumpFields(*form->APult);
        answerWith(true);
        if (button) {
            QVERIFY(form->sbTelZoz->isVisible() && form->sbTelZoz->isEnabled());
            QTest::mouseClick(form->sbTelZoz, Qt::LeftButton);
        } else {
            QVERIFY(form->miTelZoznam->isEnabled());
            form->miTelZoznam->trigger();
        }
        QCOMPARE(shows_, 1);
        QCOMPARE(owner_, form.get());
        QCOMPARE(rows_, shown);
        // Written back sorted and compact: console 1 had a gap, console 0 was unsorted.
        QCOMPARE(phonebooktest::Dump(*form->APult->Pulty[console]), shown);
        QCOMPARE(int(form->ModifiedFlag), 1);
        // The other console's book is untouched.
        const TPult &rest = *form->APult->Pulty[1 - console];
        const QStringList untouched =
            console == 0 ? QStringList{"Bob=2", "-", "Cyril=5"} : QStringList{"Zora=3", "Adam=1"};
        QCOMPARE(phonebooktest::Dump(rest), untouched);
        QVERIFY(other != fixture::DumpFields(*form->APult));
        form->ModifiedFlag = 0;
    }

    // The modified flag is set only by a change: OK over a sorted, compact book leaves it.
    void modifiedOnlyOnChange()
    {
        auto form = openForm();
        QVERIFY(form);
        phonebooktest::Fill(*form->APult->Pulty[1], {"Bob=2", "Cyril=5"});
        activate(*form, 1);
        answerWith(true);
        form->miTelZoznam->trigger();
        QCOMPARE(shows_, 1);
        QCOMPARE(int(form->ModifiedFlag), 0);

        answerWith(true, [](TfTelZoznam &d) {
            d.ValueListEditor1->setCurrentCell(1, 1);
            QTest::keyClick(d.ValueListEditor1, '7');
            QWidget *editor = d.ValueListEditor1->indexWidget(d.ValueListEditor1->currentIndex());
            QVERIFY(editor);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!d.ValueListEditor1->indexWidget(d.ValueListEditor1->currentIndex()));
        });
        form->miTelZoznam->trigger();
        QCOMPARE(shows_, 2);
        QCOMPARE(phonebooktest::Dump(*form->APult->Pulty[1]), (QStringList{"Bob=2", "Cyril=7"}));
        QCOMPARE(int(form->ModifiedFlag), 1);
        form->ModifiedFlag = 0;
    }

    void cancelChangesNothing()
    {
        auto form = openForm();
        QVERIFY(form);
        activate(*form, 1);
        const QString before = fixture::DumpFields(*form->APult);
        answerWith(false, [](TfTelZoznam &d) {
            d.ValueListEditor1->setCurrentCell(0, 0);
            QTest::keyClick(d.ValueListEditor1, Qt::Key_Delete, Qt::ControlModifier);
            QTest::keyClick(d.ValueListEditor1, Qt::Key_Delete, Qt::ControlModifier);
        });
        form->miTelZoznam->trigger();
        QCOMPARE(shows_, 1);
        QCOMPARE(fixture::DumpFields(*form->APult), before);
        QCOMPARE(int(form->ModifiedFlag), 0);
    }

    // Nothing happens without a configuration, without a console window or while an operation runs.
    void notAvailable_data()
    {
        QTest::addColumn<int>("why");
        QTest::newRow("no console window") << 0;
        QTest::newRow("operation running") << 1;
        QTest::newRow("no configuration") << 2;
    }
    void notAvailable()
    {
        QFETCH(int, why);
        auto form = std::make_unique<TMainForm1>(nullptr, QSize(1280, 1024));
        form->TimerStatus->stop();
        form->FirstActivation = 0;
        form->show();
        if (why != 2) {
            form->APult = fixture::BuildFixture().release();
            form->PultTyp[0] = 1;
            form->PultTyp[1] = 2;
        }
        if (why == 1) {
            QVERIFY(form->Nove(QStringLiteral("Pult"), LoadStrDll(18), false, form->APult));
            form->Dialogue().OperationMode = opmode::Read;
        }
        const QString before = form->APult ? fixture::DumpFields(*form->APult) : QString();
        answerWith(true);
        form->miTelZoznam->trigger();
        QTest::mouseClick(form->sbTelZoz, Qt::LeftButton);
        form->Dialogue().OperationMode = opmode::Idle;
        QCOMPARE(shows_, 0);
        QCOMPARE(int(form->ModifiedFlag), 0);
        if (form->APult)
            QCOMPARE(fixture::DumpFields(*form->APult), before);
    }
};

QTEST_MAIN(TestPhoneBookCommand)
#include "test_command.moc"
