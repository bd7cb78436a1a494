// Start dialog, save prompt, about box and link label.
#include "dialogtest.h"

#include "platform/htmlhelp.h"
#include "platform/programfolder.h"
#include "platform/shellexec.h"
#include "windows/about.h"
#include "windows/asurllabel.h"
#include "windows/helpviewer.h"
#include "windows/ulozitprojekt.h"
#include "windows/wizard.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{

// Closes whatever modal dialog is shown next and reports its class.
void CloseNextModal(QString *seen)
{
    QTimer::singleShot(0, [seen] {
        QWidget *w = QApplication::activeModalWidget();
        if (w) {
            *seen = QString::fromLatin1(w->metaObject()->className());
            w->close();
        }
    });
}

} // namespace

class TestStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(LoadProgramLanguage()); }

    void buttonTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("text");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("choice");
        QTest::newRow("new") << "BitBtn1" << 2 << 5 << 5;
        QTest::newRow("read") << "BitBtn3" << 38 << 5 << 6;
        QTest::newRow("open") << "BitBtn4" << 3 << 5 << 7;
        QTest::newRow("close") << "BitBtn5" << 4 << 2 << 0;
        QTest::newRow("acf") << "BitBtn6" << 177 << 5 << 2;
        QTest::newRow("settings") << "BitBtn2" << 23 << 5 << 1;
        QTest::newRow("cfg") << "BitBtn7" << 178 << 5 << 3;
        QTest::newRow("uni") << "BitBtn8" << 179 << 5 << 4;
    }

    // Each closing button gives its modal result and choice code, and reads its text.
    void buttonTable()
    {
        QFETCH(QString, name);
        QFETCH(int, text);
        QFETCH(int, result);
        QFETCH(int, choice);

        const TWizardButton *entry = WizardButton(name);
        QVERIFY(entry);
        QCOMPARE(entry->TextId, text);
        QCOMPARE(entry->ModalResult, result);
        QCOMPARE(entry->Choice, choice);

        TWizard wizard;
        QPushButton *button = wizard.findChild<QPushButton *>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), LoadStrDll(text));
        QVERIFY(!button->text().isEmpty());
        QCOMPARE(wizard.Choice(), 0);
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
        QCOMPARE(wizard.exec(), result);
        QCOMPARE(wizard.Choice(), choice);
    }

    void captionsAndGroups()
    {
        TWizard wizard;
        QCOMPARE(wizard.GroupBox2->title(), QStringLiteral(" ") + LoadStrDll(180) + QStringLiteral(" "));
        QCOMPARE(wizard.BitBtn9->text(), LoadStrDll(117));
        QCOMPARE(wizard.BitBtn11->text(), LoadStrDll(202));
        QVERIFY(wizard.windowFlags() & Qt::Tool);
        QCOMPARE(WizardChoiceButtonNames().size(), 7);
        for (const QString &n : WizardChoiceButtonNames()) {
            const TWizardButton *e = WizardButton(n);
            QVERIFY2(e && e->Choice != 0 && e->ModalResult == WizardResultChoice, qPrintable(n));
        }
        QVERIFY(!WizardButton(QStringLiteral("BitBtn10")));
    }

    void choicesDisabled()
    {
        TWizard wizard;
        wizard.EnableChoices(false);
        QStringList enabled;
        for (const TWizardButton &b : WizardButtons())
            if (wizard.Button(QLatin1String(b.Name))->isEnabled())
                enabled << QLatin1String(b.Name);
        QCOMPARE(enabled, (QStringList{QStringLiteral("BitBtn5"), QStringLiteral("BitBtn11"), QStringLiteral("BitBtn9")}));
        wizard.EnableChoices(true);
        QVERIFY(wizard.BitBtn8->isEnabled());
    }

    void framedCloseIsCancel()
    {
        TWizard wizard;
        QTimer::singleShot(0, &wizard, [&wizard] { wizard.close(); });
        QCOMPARE(wizard.exec(), int(WizardResultCancel));
        QCOMPARE(wizard.Choice(), 0);
    }

    void escapeIsCancel()
    {
        TWizard wizard;
        QTimer::singleShot(0, &wizard, [&wizard] { QTest::keyClick(&wizard, Qt::Key_Escape); });
        QCOMPARE(wizard.exec(), int(WizardResultCancel));
        QCOMPARE(wizard.Choice(), 0);
    }

    // About shows the about box with all four version parts and stays open.
    void aboutKeepsDialogOpen()
    {
        TWizard wizard;
        wizard.FileVersion = QStringLiteral("2.1.9.114");
        wizard.show();
        QString seen;
        QString version;
        QTimer::singleShot(0, [&version] {
            if (auto *about = qobject_cast<TAbout *>(QApplication::activeModalWidget()))
                version = about->Verzia->text();
        });
        CloseNextModal(&seen);
        QTest::mouseClick(wizard.BitBtn9, Qt::LeftButton);
        QCOMPARE(seen, QStringLiteral("TAbout"));
        QCOMPARE(version, QStringLiteral("2.1.9.114"));
        QVERIFY(wizard.isVisible());
        QCOMPARE(wizard.result(), 0);
        QCOMPARE(wizard.Choice(), 0);
    }

    // Help opens the contents page and the dialog stays open.
    void helpKeepsDialogOpen()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("help")));
        QFile page(dir.path() + QStringLiteral("/help/index.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><head><title>Contents</title></head><body>Contents</body></html>");
        page.close();
        platform::SetProgramFolder(dir.path());
        InstallHelpViewer();

        TWizard wizard;
        wizard.show();
        QTest::mouseClick(wizard.BitBtn11, Qt::LeftButton);
        QVERIFY(CurrentHelpViewer());
        QCOMPARE(CurrentHelpViewer()->CurrentFile(), dir.path() + QStringLiteral("/help/index.html"));
        QVERIFY(wizard.isVisible());
        QCOMPARE(wizard.result(), 0);
        platform::CloseHtmlHelp();
        QVERIFY(!CurrentHelpViewer());
        platform::SetProgramFolder(QString());
    }

    void wizardShot()
    {
        TWizard wizard;
        wizard.verzia->setText(QStringLiteral("v. 2.6.0"));
        wizard.setWindowTitle(LoadStrDll(90));
        wizard.GroupBox1->setTitle(QStringLiteral(" ") + LoadStrDll(90) + QStringLiteral(" "));
        wizard.show();
        SaveShot(wizard, QStringLiteral("wizard"));
    }

    void savePrompt_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("save") << "BitBtn1" << 1;
        QTest::newRow("save as") << "BitBtn2" << 4;
        QTest::newRow("cancel") << "BitBtn3" << 2;
    }

    void savePrompt()
    {
        QFETCH(QString, button);
        QFETCH(int, result);
        TUlozitProjekt prompt;
        FillSavePromptTexts(prompt);
        QPushButton *b = prompt.findChild<QPushButton *>(button);
        QVERIFY(b);
        QTimer::singleShot(0, b, [b] { QTest::mouseClick(b, Qt::LeftButton); });
        QCOMPARE(prompt.exec(), result);
    }

    void savePromptTextsFocusAndEscape()
    {
        TUlozitProjekt prompt;
        FillSavePromptTexts(prompt);
        QCOMPARE(prompt.windowTitle(), LoadStrDll(144));
        QCOMPARE(prompt.BitBtn1->text(), LoadStrDll(145));
        QCOMPARE(prompt.Label1->text(), LoadStrDll(146));
        QCOMPARE(prompt.Label2->text(), LoadStrDll(147));
        QCOMPARE(prompt.BitBtn3->text(), LoadStrDll(30));
        QWidget *focused = nullptr;
        QTimer::singleShot(0, &prompt, [&] {
            focused = prompt.focusWidget();
            SaveShot(prompt, QStringLiteral("ulozitprojekt"));
            QTest::keyClick(&prompt, Qt::Key_Escape);
        });
        QCOMPARE(prompt.exec(), 2);
        QCOMPARE(focused, static_cast<QWidget *>(prompt.BitBtn1));
    }

    void aboutBox()
    {
        QCOMPARE(AboutVersionText(QStringLiteral("2.1.9.114")), QStringLiteral("2.1.9.114"));
        QCOMPARE(ProgramFileVersion().count(u'.'), 3);
        TAbout about;
        FillAbout(about, QStringLiteral("2.6.0.3"));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Kelvara"));
        QCOMPARE(about.Verzia->text(), QStringLiteral("2.6.0.3"));
        QCOMPARE(about.popis->text(), LoadStrDll(192));
        QVERIFY(!about.popis->text().isEmpty());
        QTimer::singleShot(0, &about, [&about] {
            SaveShot(about, QStringLiteral("about"));
            QTest::mouseClick(about.BtnOK, Qt::LeftButton);
        });
        QCOMPARE(about.exec(), int(QDialog::Accepted));
    }

    // The link opens trimmed after the label's own click; hover swaps the sets.
    void urlLabel()
    {
        QStringList opened;
        platform::SetShellOpenHandler([&opened](const QString &t) {
            opened << t;
            return true;
        });
        TAsUrlLabel label;
        label.Link = QStringLiteral("  https://example.org/kelvara \t");
        label.Normal.Caption = QStringLiteral("normal");
        label.Hover.Caption = QStringLiteral("hover");
        label.ApplyNormal();
        label.resize(120, 20);
        label.show();
        QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(label.font().underline());
        QCOMPARE(label.palette().color(QPalette::WindowText), QColor(Qt::blue));

        QStringList order;
        connect(&label, &TAsUrlLabel::clicked, this, [&] { order << QStringLiteral("click:") + QString::number(opened.size()); });
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(opened, QStringList{QStringLiteral("https://example.org/kelvara")});
        QCOMPARE(order, QStringList{QStringLiteral("click:0")});

        QSignalSpy entered(&label, &TAsUrlLabel::mouseEntered);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&label, &enter);
        QCOMPARE(entered.count(), 1);
        QCOMPARE(label.text(), QStringLiteral("hover"));
        QCOMPARE(label.palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(!label.font().underline());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&label, &leave);
        QCOMPARE(label.text(), QStringLiteral("normal"));
        QVERIFY(label.font().underline());

        // A right click is not a click.
        QTest::mouseClick(&label, Qt::RightButton);
        QCOMPARE(opened.size(), 1);
        platform::SetShellOpenHandler({});
    }

    void shellVerbs()
    {
        QStringList opened;
        platform::SetShellOpenHandler([&opened](const QString &t) {
            opened << t;
            return true;
        });
        QVERIFY(platform::ShellExecute(QStringLiteral("Open"), QStringLiteral("a")));
        QVERIFY(platform::ShellExecute(QStringLiteral("open"), QStringLiteral("b")));
        QVERIFY(!platform::ShellExecute(QStringLiteral("print"), QStringLiteral("c")));
        QVERIFY(!platform::ShellExecute(QStringLiteral("Open"), QString()));
        QVERIFY(!OpenLinkText(QStringLiteral("   ")));
        QCOMPARE(opened, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        platform::SetShellOpenHandler({});
        QVERIFY(!platform::HasShellOpenHandler());
    }
};

QTEST_MAIN(TestStart)
#include "test_start.moc"
