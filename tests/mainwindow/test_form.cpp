// The main window under offscreen: slots, captions, menus, logs, splitter,
// size presets, reports and Exit.
#include <QtTest>

#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QSplitterHandle>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <stdexcept>

#include "cardpack/dll_load.h"
#include "cardpack/karty.h"
#include "cardpack/registry.h"
#include "dialogue/dialogue.h"
#include "editing/mainrules.h"
#include "mainwindow/mainform.h"
#include "mainwindow/mainwidgets.h"
#include "model/conversions.h"
#include "model/objekty.h"
#include "model/reporter.h"
#include "platform/langlib.h"
#include "platform/programfolder.h"
#include "platform/timing.h"
#include "windows/helpchm.h"
#include "windows/helpviewer.h"
#include "windows/prompt.h"
#include "windows/udprform.h"

namespace {

Byte listType = 1;

// The board-type list under the name the window asks for, with chosen flags.
class TTestZOZ : public TZOZ
{
public:
    Byte GetType() override { return listType; }
};

std::unique_ptr<TPersistent> makeTestList() { return std::make_unique<TTestZOZ>(); }
std::unique_ptr<TPersistent> makeRealList() { return std::make_unique<TZOZ>(); }

// The program's own help pages beside the program.
bool copyHelpPages(const QString &folder)
{
    QDir source(QStringLiteral(KELVARA_SOURCE_DIR "/help"));
    if (!source.exists() || !QDir().mkpath(folder + QStringLiteral("/help")))
        return false;
    for (const QString &f : source.entryList(QDir::Files))
        if (!QFile::exists(folder + QStringLiteral("/help/") + f) &&
            !QFile::copy(source.filePath(f), folder + QStringLiteral("/help/") + f))
            return false;
    return true;
}

QStringList actionNames(QMenu *menu)
{
    QStringList names;
    for (QAction *a : menu->actions())
        names << a->objectName();
    return names;
}

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    TScriptedPrompt prompt_;
    std::unique_ptr<TPromptScope> scope_;

private slots:
    void initTestCase()
    {
        HInstDll = platform::LoadLanguageLibrary(QStringLiteral(TEST_LANG_LIBRARY));
        QVERIFY(HInstDll > 32);
        QCOMPARE(LoadStrDll(90), QStringLiteral("T90"));
        scope_ = std::make_unique<TPromptScope>(&prompt_);
        // The idle window offers the start dialog; here it is left at once.
        TMainForm1::StartDialogExec = [](TWizard &) { return 0; };
    }

    void init()
    {
        QVERIFY(dir_.isValid());
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        platform::SetProgramFolder(dir_.path());
        prompt_.clear();
        listType = 1;
        Registry::RegisterClass(QStringLiteral("TZOZ"), makeTestList);
    }

    void cleanup()
    {
        platform::SetTimeScale(1.0);
        Registry::RegisterClass(QStringLiteral("TZOZ"), makeRealList);
        platform::SetProgramFolder(QString());
        // No box may come up that a test did not ask for.
        QVERIFY2(prompt_.asked().isEmpty(), qPrintable(prompt_.texts().join(" | ")));
    }

    void boardSlots_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("height");
        QTest::newRow("bits 0") << 0 << 13 << 55;
        QTest::newRow("bit 0") << 1 << 13 << 86;
        QTest::newRow("bit 2") << 4 << 16 << 55;
        QTest::newRow("bits 0 and 2") << 5 << 16 << 86;
    }
    void boardSlots()
    {
        QFETCH(int, type);
        QFETCH(int, count);
        QFETCH(int, height);
        listType = Byte(type);
        TMainForm1 form(nullptr, QSize(1024, 768));
        QVERIFY(form.Zoznam);
        QCOMPARE(int(form.SlotCount), count);
        QCOMPARE(form.Card_Panel->height(), height);
        QCOMPARE(form.BoardPanels.size(), 32);
        for (int s = 0; s < 32; ++s) {
            TBoardPanel *panel = form.Card_Panel->findChild<TBoardPanel *>(QStringLiteral("BoardPanel%1").arg(s));
            QCOMPARE(panel, form.BoardPanels[s]);
            const bool expected = s < 16 || ((type & 1) && s <= 28);
            QCOMPARE(panel != nullptr, expected);
            if (!panel)
                continue;
            QCOMPARE(panel->Tag(), s);
            QCOMPARE(panel->size(), QSize(45, 30));
            QCOMPARE(panel->pos(), QPoint((s % 16) * 45 + 25, s < 16 ? 20 : 52));
            QString caption = QStringLiteral("X");
            if (s >= count && s < 16)
                caption = QStringList{"Reserve", "DF", "DR"}.value(s - count);
            QCOMPARE(panel->Caption(), caption);
            QCOMPARE(panel->Lowered(), caption == QLatin1String("X"));
            QCOMPARE(panel->toolTip(), caption == QLatin1String("X") ? QStringLiteral("T132") : QString());
            QLabel *label = form.BoardLabels[s];
            QCOMPARE(label != nullptr, s < count);
            if (label) {
                QCOMPARE(label->text(), MainRules::SlotPosName(s).mid(3));
                QCOMPARE(label->toolTip(), QStringLiteral("%1. T134 (%2)").arg(s).arg(label->text()));
                QCOMPARE(label->x(), s * 45 + 25);
                QCOMPARE(label->y(), 3);
            }
        }
        QCOMPARE(form.RowLabels.size(), (type & 1) ? 2 : 1);
        QCOMPARE(form.RowLabels[0]->text(), QStringLiteral("E0"));
        QCOMPARE(form.RowLabels[0]->toolTip(), QStringLiteral("T133. E0"));
        QCOMPARE(form.KeysPerScreenMech, 112);
        QCOMPARE(form.KeysPerScreenPC, 80);

        // The card-type menu lists the card classes of the real list's codes.
        QStringList captions, hints;
        for (QAction *a : form.CardTypeMenu->actions()) {
            captions << a->text();
            hints << a->property("hint").toString();
        }
        QCOMPARE(captions, (QStringList{"UL10", "4W5", "E1"}));
        QCOMPARE(hints[0], QStringLiteral("|") + MainRules::CardCaptionByName("TUL10Card"));

        // A right click on an empty slot offers the card-type menu for that slot.
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(100, 100));
        QCoreApplication::sendEvent(form.BoardPanels[3], &event);
        QCOMPARE(form.ContextTarget, 3);
        QTRY_VERIFY(form.CardTypeMenu->isVisible());
        form.CardTypeMenu->hide();
    }

    void noBoardList()
    {
        Registry::UnregisterClass(QStringLiteral("TZOZ"));
        TMainForm1 form(nullptr, QSize(1024, 768));
        QVERIFY(!form.Zoznam);
        QVERIFY(form.Card_Panel->findChildren<TBoardPanel *>().isEmpty());
        QVERIFY(form.Card_Panel->findChildren<QLabel *>().isEmpty());
        QCOMPARE(form.CardTypeMenu->actions().size(), 1);
        QCOMPARE(form.CardTypeMenu->actions()[0]->text(), QStringLiteral("T216"));
        QCOMPARE(form.Card_Panel->height(), 55);
    }

    void creation()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        QCOMPARE(MainForm1, &form);
        QCOMPARE(form.windowTitle(), QStringLiteral("Kelvara v. " KELVARA_VERSION));
        QCOMPARE(form.BaseTitle, form.windowTitle());
        QCOMPARE(form.size(), QSize(755, 470));
        QCOMPARE(form.pos(), QPoint((1024 - 755) / 2, (768 - 470) / 2));
        QVERIFY(form.test->isHidden());
        QVERIFY(form.test->text().isEmpty());
        QVERIFY(!form.Quiet());
        QCOMPARE(form.StatusBar1->Count(), 5);
        QCOMPARE(form.StatusBar1->Text(3), QStringLiteral("  COM1"));
        QVERIFY(form.StatusBar1->Text(1).isEmpty());
        QVERIFY(form.TimerStatus->isActive());
        QVERIFY(!form.TimerKomunik->isActive());
        QVERIFY(!form.Timer2->isActive());
        QVERIFY(form.Panel2->isHidden());
        QCOMPARE(form.HelpFile, dir_.path() + QStringLiteral("/Kelvara.chm"));
        QCOMPARE(form.NewMarker, QStringLiteral("T2"));
        QCOMPARE(form.ModifiedMarker, QStringLiteral("T138"));
        QCOMPARE(form.ContextTarget, -1);
        QCOMPARE(int(form.CloseAccepted), 1);
        QCOMPARE(form.RLineWindowPos, QPoint(-255, -255));
        QCOMPARE(form.KeyFont.family(), QStringLiteral("Arial"));
        QCOMPARE(form.KeyFont.pointSize(), 14);
        QCOMPARE(form.OpenDialog1->directory().absolutePath(), QDir(dir_.path()).absolutePath());

        // Captions and hints by number.
        const QList<QPair<QObject *, QString>> captions = {
            {form.File1, "T90"},        {form.New1, "T2"},          {form.Open1, "T3"},
            {form.Save1, "T32"},        {form.Config1, "T23"},      {form.Report2, "T22"},
            {form.Print1, "T187"},      {form.PrintEmpty1, "T188"}, {form.Close1, "T4"},
            {form.Edit1, "T6"},         {form.Kopirujpult121, "T92"}, {form.Kopirujpult211, "T93"},
            {form.miTelZoznam, "T218"}, {form.ReadConfig, "T38"},   {form.WriteConfig, "T39"},
            {form.Window1, "T19"},      {form.Tile1, "T20"},        {form.Cascade1, "T21"},
            {form.Nacitaniedosiek1, "T8"}, {form.About1, "T117"},   {form.About2, "T117"},
            {form.History1, "T149"},    {form.Help1, "T202"},       {form.Tools1, "T180"},
            {form.Uloipult0akoPC1, "T181"}, {form.Uloipult1akoPC1, "T182"}, {form.UlozitpultyakoPC1, "T204"},
            {form.SaveNew1, "T190"},    {form.VymazatPult, "T217"}, {form.PrintAll1, "T191"},
            {form.PrintOriginal1, "T203"}, {form.KonverziaACF, "T177"}, {form.KonverziaCFG, "T178"},
            {form.NacitaniezUNI1, "T179"}, {form.Odlozitakualnukonfiguraciu1, "T205"},
            {form.Porovnatsodlozenoukonfiguraciou1, "T206"}, {form.Zlucitsodlozenou1, "T207"}};
        for (const auto &[item, text] : captions) {
            QString got;
            if (auto *m = qobject_cast<QMenu *>(item))
                got = m->title();
            else
                got = qobject_cast<QAction *>(item)->text();
            QVERIFY2(got == text, qPrintable(item->objectName() + ": " + got));
        }
        const QList<QPair<QToolButton *, QString>> hints = {
            {form.NewSB, "T2"},         {form.OpenSB, "T3"},         {form.SaveSB, "T145"},
            {form.sbConfig, "T23"},     {form.ReportSB, "T22"},      {form.PrintSB, "T187"},
            {form.PrintEmptySB, "T188"}, {form.ExitSB, "T4"},        {form.sbKopirujDo1, "T92"},
            {form.sbKopirujDo0, "T93"}, {form.sbTelZoz, "T218"},     {form.ZoSystemu, "T38"},
            {form.DoSystemu, "T39"},    {form.DoskySB, "T8"},        {form.sbPult0, "Pult 0"},
            {form.sbPult1, "Pult 1"}};
        for (const auto &[button, text] : hints)
            QVERIFY2(button->toolTip() == text, qPrintable(button->objectName() + ": " + button->toolTip()));
        QVERIFY(!form.DoskySB->isEnabled());

        // The Window menu ends with the separator and the two console items.
        const QStringList window = actionNames(form.Window1);
        QCOMPARE(window.mid(window.size() - 3), (QStringList{"separator1", "Pult0", "Pult1"}));
        QCOMPARE(form.Window1->actions().last()->text(), QStringLiteral("Pult 1"));
        // The hidden test buttons are there.
        for (const char *name : {"Button1", "Button2", "Button3", "test"})
            QVERIFY(form.findChild<QPushButton *>(QString::fromLatin1(name)));
    }

    void historyItem()
    {
        {
            TMainForm1 form(nullptr, QSize(1024, 768));
            QVERIFY(!form.History1->isVisible());
        }
        QFile f(dir_.filePath("HistoryZ.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        TMainForm1 form(nullptr, QSize(1024, 768));
        QVERIFY(form.History1->isVisible());
        QCOMPARE(form.HistoryFiles[2], dir_.filePath("HistoryZ.txt"));
    }

    void sizePresets_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("offer800");
        QTest::addColumn<bool>("offer1024");
        QTest::newRow("1024x768") << QSize(1024, 768) << true << true;
        QTest::newRow("800x600") << QSize(800, 600) << true << false;
        QTest::newRow("1024x600") << QSize(1024, 600) << true << false;
        QTest::newRow("640x480") << QSize(640, 480) << false << false;
    }
    void sizePresets()
    {
        QFETCH(QSize, screen);
        QFETCH(bool, offer800);
        QFETCH(bool, offer1024);
        TMainForm1 form(nullptr, screen);
        form.FirstActivation = 0;
        form.TimerStatus->stop();
        QCOMPARE(form.N8006001->isVisible(), offer800);
        QCOMPARE(form.N8006001->isEnabled(), offer800);
        QCOMPARE(form.N10247681->isVisible(), offer1024);
        QCOMPARE(form.N10247681->isEnabled(), offer1024);
        QVERIFY(form.N6404801->isVisible());

        // The presets size the outer window, frame included.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto outer = [&] { return form.frameGeometry().size(); };
        // 640 by 480 is narrower than the window may be: it stops at 755.
        form.N6404801->trigger();
        QTRY_COMPARE(outer(), QSize(755, 480));
        QVERIFY(!form.N6404801->isChecked());
        form.N10247681->trigger();
        QTRY_COMPARE(outer(), offer1024 ? QSize(1024, 768) : QSize(755, 480));
        QCOMPARE(form.N10247681->isChecked(), offer1024);
        form.N6404801->trigger();
        QTRY_COMPARE(outer(), QSize(755, 480));
        form.N8006001->trigger();
        QTRY_COMPARE(outer(), offer800 ? QSize(800, 600) : QSize(755, 480));
        QCOMPARE(form.N8006001->isChecked(), offer800);
        QVERIFY(!form.N10247681->isChecked());
    }

    // The window never gets smaller than its minimum, frame included.
    void minimumSize()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.FirstActivation = 0;
        form.TimerStatus->stop();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(form.minimumSize() + (form.frameGeometry().size() - form.geometry().size()),
                     QSize(755, 480));
        form.resize(300, 200);
        QTRY_COMPARE(form.frameGeometry().size(), QSize(755, 480));
        form.resize(900, 300); // wide enough, too low: only the height is raised
        QTRY_COMPARE(form.frameGeometry().height(), 480);
        QCOMPARE(form.geometry().width(), 900);
    }

    // A placement from cfg.ini is bounded by the window's minimum and the screen.
    void settingsPlacementFits()
    {
        QFile cfg(dir_.filePath("cfg.ini"));
        QVERIFY(cfg.open(QIODevice::WriteOnly));
        cfg.write("Top=-50\r\nLeft=2000\r\nWidth=300\r\nHeight=600\r\n");
        cfg.close();
        TMainForm1 form(nullptr, QSize(1024, 768));
        QCOMPARE(form.geometry(), QRect(1024 - 755, 0, 755, 600));
        QVERIFY(cfg.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cfg.write("Top=10\r\nLeft=20\r\nWidth=5000\r\nHeight=4000\r\n");
        cfg.close();
        TMainForm1 large(nullptr, QSize(1024, 768));
        QCOMPARE(large.geometry(), QRect(0, 0, 1024, 768));
    }

    // A click on the log panel's own surface (the splitter's column between
    // the log buttons) stops the status timer for three seconds, or starts it.
    void panel2ClickPausesStatusTimer()
    {
        // Long enough that a loaded machine never sees the three-second pause end
        // between a click and the check that follows it.
        platform::SetTimeScale(0.4);
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.FirstActivation = 0;
        form.APult = new TAPult; // no start action from the ticks
        form.resize(900, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.ShowLogPanel(true);
        QTRY_VERIFY(form.Panel2->isVisible());
        QSplitterHandle *handle = form.Splitter1->handle(1);
        const int y = (form.sbTimeKeeper->geometry().bottom() + form.sbSaveLogs->geometry().top()) / 2;
        const QPoint spot = handle->mapTo(&form, QPoint(handle->width() / 2, y - form.Splitter1->y()));
        QCOMPARE(form.childAt(spot), static_cast<QWidget *>(handle));
        QWindow *window = form.windowHandle();

        QVERIFY(form.TimerStatus->isActive());
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, spot);
        QVERIFY(!form.TimerStatus->isActive());
        QCOMPARE(form.Label1->text(), QStringLiteral("Timer not enabled"));
        QVERIFY(form.Timer2->isActive());
        QCOMPARE(form.Timer2->interval(), platform::ScaledInterval(3000));
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, spot);
        QVERIFY(form.TimerStatus->isActive());
        QCOMPARE(form.Label1->text(), QStringLiteral("Timer enabled"));

        // Stopped, it runs again when Timer2 comes.
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, spot);
        QVERIFY(!form.TimerStatus->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(form.TimerStatus->isActive(), 3000);
        QTRY_VERIFY(form.Label1->text().isEmpty());

        // Dragging the splitter is no click.
        const int left = form.SplitterLeft();
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, spot);
        QTest::mouseMove(window, spot + QPoint(-40, 0));
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, spot + QPoint(-40, 0));
        QVERIFY(form.SplitterLeft() != left);
        QVERIFY(form.TimerStatus->isActive());
        QVERIFY(form.Label1->text().isEmpty());
        delete form.APult;
        form.APult = nullptr;
    }

    // F1 asks for the help of the control that has the focus: its own
    // context or its area's; the contents where none has one.
    void helpKey_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<unsigned>("command");
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::newRow("card button") << QStringLiteral("card3") << 1u << 11 << QStringLiteral("konfig.html");
        QTest::newRow("tool button") << QStringLiteral("NewSB") << 1u << 10 << QStringLiteral("menu.html");
        QTest::newRow("program log") << QStringLiteral("Memo1") << 3u << 0 << QStringLiteral("index.html");
    }
    void helpKey()
    {
        QFETCH(QString, control);
        QFETCH(unsigned, command);
        QFETCH(int, context);
        QFETCH(QString, page);
        QVERIFY(copyHelpPages(dir_.path()));
        Registry::RegisterClass(QStringLiteral("TZOZ"), makeRealList);
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.FirstActivation = 0;
        form.TimerStatus->stop();
        form.show();
        form.ShowLogPanel(true);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(form.CreateCardByName(QStringLiteral("TUL10"), 3));
        auto *target = form.findChild<QWidget *>(control);
        QVERIFY(target);
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key_F1);
        QCOMPARE(form.LastHelpCommand, command);
        QCOMPARE(form.LastHelpData, std::intptr_t(context));
        QVERIFY(CurrentHelpViewer());
        QTRY_VERIFY(CurrentHelpViewer()->CurrentFile().endsWith(QStringLiteral("/") + page));
        FormHelp(HELP_QUIT, 0, &form);
    }

    void splitter()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.resize(900, 600);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.ShowLogPanel(true);
        QTRY_VERIFY(form.Panel2->isVisible());
        form.btnNormClick();
        QCOMPARE(form.Memo1->width(), 490);
        QCOMPARE(form.SplitterLeft(), 491);
        QVERIFY(form.sbNorm->isHidden());

        form.Splitter1->setSizes({300, 500});
        form.Splitter1Moved();
        QCOMPARE(form.SplitterLeft(), 301);
        QVERIFY(!form.sbNorm->isHidden());
        for (QToolButton *b : {form.sbHelpClose, form.sbNorm, form.sbClearMemo, form.sbTimeKeeper, form.sbSaveLogs})
            QCOMPARE(b->x(), 301 + (form.Splitter1->handleWidth() - b->width()) / 2);
        // sbSaveLogs sits at the bottom of Memo1.
        QCOMPARE(form.sbSaveLogs->y() + form.sbSaveLogs->height() + 2,
                 form.Splitter1->y() + form.Memo1->y() + form.Memo1->height());

        form.btnNormClick();
        QCOMPARE(form.SplitterLeft(), 491);
        QVERIFY(form.sbNorm->isHidden());

        form.helpcloseClick();
        QVERIFY(form.Panel2->isHidden());
    }

    void logPanelDrag()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.resize(900, 700);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.ShowLogPanel(true);
        const int start = form.Panel2->height();
        form.Panel1MouseDown(400);
        form.Panel1MouseMove(380);
        QCOMPARE(form.Panel2->height(), start + 20);
        form.Panel1MouseMove(380 + start + 20 - 30); // down to the least height: refused
        QCOMPARE(form.Panel2->height(), start + 20);
        form.Panel1MouseUp();
        form.Panel1MouseMove(0);
        QCOMPARE(form.Panel2->height(), start + 20);
    }

    void logEntries()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.AddLogEntry(2, QStringLiteral("started"));
        form.AddLogEntry(1, QStringLiteral("failed"));
        const QStringList lines = form.Memo1->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 8);
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d \\d\\d\\. \\d\\d\\. \\d{4} Information:$").match(lines[0]).hasMatch());
        QCOMPARE(lines[1], QStringLiteral("started"));
        QVERIFY(lines[2].isEmpty() && lines[3].isEmpty());
        QVERIFY(lines[4].endsWith(QStringLiteral(" ERROR:")));
        QCOMPARE(lines[5], QStringLiteral("failed"));
    }

    void saveLogs()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        const QDir logs(dir_.filePath("log"));

        // Nothing logged: no file.
        QVERIFY(form.sbSaveLogsClick());
        QVERIFY(logs.entryList(QDir::Files).isEmpty());

        // Only the program log: only the !m1_ file, CR LF lines.
        form.AddLogEntry(0, QStringLiteral("careful"));
        QVERIFY(form.sbSaveLogsClick());
        QStringList files = logs.entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY(QRegularExpression("^!m1_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.log$").match(files[0]).hasMatch());
        QFile m1(logs.filePath(files[0]));
        QVERIFY(m1.open(QIODevice::ReadOnly));
        const QByteArray text = m1.readAll();
        QVERIFY(text.contains(" WARNING:\r\ncareful\r\n\r\n\r\n"));
        m1.close();

        // Both logs.
        form.Memo2->appendPlainText(QStringLiteral("poslane frame"));
        QDir(logs).removeRecursively();
        QVERIFY(form.sbSaveLogsClick());
        files = logs.entryList(QDir::Files);
        QCOMPARE(files.size(), 2);
        QVERIFY(files[0].startsWith("!m1_") && files[1].startsWith("!m2_"));
        QCOMPARE(files[0].mid(4), files[1].mid(4));

        // Saving again within the same second replaces the files.
        form.bClearMemoClick();
        QVERIFY(form.Memo1->toPlainText().isEmpty());
        QVERIFY(form.sbSaveLogsClick());
        files = logs.entryList(QDir::Files);
        QVERIFY(files.size() <= 3);
        QVERIFY(std::any_of(files.begin(), files.end(), [](const QString &f) { return f.startsWith("!m2_"); }));
    }

    void logFolderCannotBeMade()
    {
        // A file named "log" stands where the folder would go.
        QFile blocker(dir_.filePath("log"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.AddLogEntry(2, QStringLiteral("x"));
        form.Memo2->appendPlainText(QStringLiteral("y"));
        QCOMPARE(form.LogFolder(), dir_.path());
        QVERIFY(form.sbSaveLogsClick());
        const QStringList files = QDir(dir_.path()).entryList({"!m*.log"}, QDir::Files);
        QCOMPARE(files.size(), 2);
    }

    void reportsAndQuietSwitch()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.Report(TReportKind::Warning, QStringLiteral("odd value"));
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Warning);
        QCOMPARE(prompt_.asked()[0].text, QStringLiteral("odd value"));
        QVERIFY(form.Memo1->toPlainText().contains(QStringLiteral("WARNING:\nodd value")));

        // The model's reports arrive the same way.
        QCOMPARE(ModelReporter(), static_cast<TModelReporter *>(&form));
        ReportInformation(QStringLiteral("model says"));
        QCOMPARE(prompt_.asked().size(), 2);
        QCOMPARE(prompt_.asked()[1].kind, TPrompt::Kind::Information);
        QVERIFY(form.Memo1->toPlainText().contains(QStringLiteral("Information:\nmodel says")));

        form.test->setText(QStringLiteral("run"));
        QVERIFY(form.Quiet());
        form.Report(TReportKind::Error, QStringLiteral("quiet error"));
        ReportWarning(QStringLiteral("quiet warning"));
        QCOMPARE(prompt_.asked().size(), 2);
        QVERIFY(form.Memo1->toPlainText().contains(QStringLiteral("WARNING:\nquiet warning")));
        QVERIFY(form.Memo1->toPlainText().contains(QStringLiteral("ERROR:\nquiet error")));
        prompt_.clear();
    }

    void exceptionsStopAtTheBoundary()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        bool after = false;
        form.Guard("handler", [] { throw std::runtime_error("broken"); });
        after = true;
        QVERIFY(after);
        QCOMPARE(prompt_.asked().size(), 1);
        QCOMPARE(prompt_.asked()[0].kind, TPrompt::Kind::Error);
        QCOMPARE(prompt_.asked()[0].text, QStringLiteral("handler: broken"));
        form.Guard("other", [] { throw 5; });
        QCOMPARE(prompt_.asked().size(), 2);
        QVERIFY(form.Memo1->toPlainText().contains(QStringLiteral("handler: broken")));
        prompt_.clear();
    }

    void statusWindowLog()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.AppendCommLog(QStringLiteral("before")); // no status window yet: nothing happens
        QVERIFY(!form.UDPRForm1);
        form.CreateStatusWindow();
        QVERIFY(form.UDPRForm1);
        QVERIFY(!form.UDPRForm1->isVisible());
        form.AppendCommLog(QStringLiteral(" Pocet prijatych 1 Sprava typ = 6 Msg = x"));
        QCOMPARE(form.UDPRForm1->M->toPlainText(), QStringLiteral(" Pocet prijatych 1 Sprava typ = 6 Msg = x"));
        form.ClearCommLog();
        QVERIFY(form.UDPRForm1->M->toPlainText().isEmpty());
    }

    void windowMenuAndConsoles()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget *first = new QWidget;
        first->setObjectName(QStringLiteral("Pult0"));
        QWidget *second = new QWidget;
        second->setObjectName(QStringLiteral("Pult1"));
        form.MdiArea->addSubWindow(first)->show();
        form.MdiArea->addSubWindow(second)->show();
        form.PultClick(QStringLiteral("sbPult0"));
        QCOMPARE(form.MdiArea->activeSubWindow()->widget(), first);
        form.Window1->actions().last()->trigger();
        QCOMPARE(form.MdiArea->activeSubWindow()->widget(), second);
    }

    void exitWritesSettingsAndLogs()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QFile::remove(dir_.filePath("cfg.ini"));
        form.AddLogEntry(2, QStringLiteral("bye"));
        form.PortNumber = 3;
        // The window's close command runs Exit.
        form.close();
        QVERIFY(!form.isVisible());
        QVERIFY(!form.TimerStatus->isActive());
        QFile cfg(dir_.filePath("cfg.ini"));
        QVERIFY(cfg.open(QIODevice::ReadOnly));
        QVERIFY(cfg.readAll().contains("\r\nCOMport=3\r\n"));
        QCOMPARE(QDir(dir_.filePath("log")).entryList({"!m1_*.log"}, QDir::Files).size(), 1);
    }

    void exitStopsARunningDialogueFirst()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.test->setText(QStringLiteral("unattended"));
        form.Dialogue().Kom = 1;
        form.Close1Click();
        form.Dialogue().Kom = 0;
        QVERIFY(form.isVisible());
        QVERIFY(form.test->text().isEmpty());
        form.Close1Click();
        QVERIFY(!form.isVisible());
    }

    void handOverRestoresTheWindow()
    {
        TMainForm1 form(nullptr, QSize(1024, 768));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.showMinimized();
        form.HandOverFile(dir_.filePath("missing.orv"));
        QVERIFY(!form.isMinimized());
        QVERIFY(form.isVisible());
    }

    // KELVARA_SCREENSHOT=path.png saves the window as it looks.
    void looks()
    {
        listType = 1;
        TMainForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.AddLogEntry(2, QStringLiteral("Program started"));
        form.Memo2->appendPlainText(QStringLiteral("poslane Test (Kom=1; ktKrok=0), dlzka=0"));
        form.ShowLogPanel(true);
        form.StatusBar1->SetText(4, QStringLiteral("  12:00:00  "));
        form.FormResize();
        QTest::qWait(50);
        // Everything of the layout lies inside the window, side by side.
        const QRect client = form.rect();
        for (QWidget *w : QList<QWidget *>{form.SpeedBar1, form.Card_Panel, form.Line_panel, form.MdiArea, form.Panel2,
                                           form.Panel3}) {
            const QRect r(w->mapTo(&form, QPoint(0, 0)), w->size());
            QVERIFY2(client.contains(r), qPrintable(w->objectName()));
        }
        QVERIFY(form.Card_Panel->mapTo(&form, QPoint(0, 0)).y() >= form.SpeedBar1->geometry().bottom());
        QVERIFY(form.MdiArea->height() > 50);
        // Panel 0 fills the bar up to the panels at its right.
        int widths = 0;
        for (int i = 0; i < form.StatusBar1->Count(); ++i)
            widths += form.StatusBar1->Width(i);
        QCOMPARE(widths, form.StatusBar1->width());
        QVERIFY(form.StatusBar1->Width(0) > form.StatusBar1->width() / 2);
        const QString path = qEnvironmentVariable("KELVARA_SCREENSHOT");
        if (!path.isEmpty())
            QVERIFY(form.grab().save(path));
    }
};

QTEST_MAIN(TestForm)
#include "test_form.moc"
