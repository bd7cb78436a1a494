// The help topic table, the help layer's loading, failures and commands.
#include "dialogtest.h"

#include "platform/htmlhelp.h"
#include "platform/programfolder.h"
#include "windows/helpchm.h"
#include "windows/helpviewer.h"
#include "windows/prompt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <stdexcept>

namespace
{

void WritePage(const QString &folder, const QString &name, const QString &title)
{
    QDir().mkpath(folder);
    QFile f(folder + u'/' + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("<html><head><title>%1</title></head><body><h1>%1</h1>"
                           "<a href=\"index.html\">Contents</a></body></html>")
                .arg(title)
                .toUtf8());
}

// The failure text the next direct request raises; empty when it succeeds.
QString RequestFailure(unsigned command, std::uintptr_t data)
{
    try {
        platform::ShowHtmlHelp(nullptr, platform::HelpFile(), command, data);
    } catch (const std::runtime_error &e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    QString helpFolder() const { return dir_.path() + QStringLiteral("/help"); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        platform::SetProgramFolder(dir_.path());
    }

    void cleanup()
    {
        platform::CloseHtmlHelp();
        InstallHelpViewer();
    }

    void cleanupTestCase() { platform::SetProgramFolder(QString()); }

    void topicIds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("id");
        const char *names[] = {"INDEX", "UVOD",  "NOVA",     "SYSTEM",   "PROJEKT", "NASTAV",     "ACF",
                               "UNI",   "OKNO",  "MENU",     "KONFIG",   "LINKA",   "VLASTNOSTI", "PRESUVAT",
                               "DETAIL", "PRIKLADY", "MB5", "DRAH", "DORST", "SK5", "SK5_SIG"};
        for (int i = 0; i < 21; ++i)
            QTest::newRow(names[i]) << QString::fromLatin1(names[i]) << i + 1;
        QTest::newRow("lower case") << "sk5_sig" << 21;
        QTest::newRow("mixed case") << "Ul10" << 0;
        QTest::newRow("mb5 lower") << "mb5" << 17;
        QTest::newRow("trailing blank") << "SK5 " << 0;
        QTest::newRow("leading blank") << " SK5" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("prefix") << "SK" << 0;
        QTest::newRow("longer") << "SK5_SIGX" << 0;
    }

    void topicIds()
    {
        QFETCH(QString, name);
        QFETCH(int, id);
        QCOMPARE(HelpTopicId(name), id);
    }

    void topicPages()
    {
        QCOMPARE(HelpTopicPage(1), QStringLiteral("index.html"));
        QCOMPARE(HelpTopicPage(21), QStringLiteral("sk5_sig.html"));
        QCOMPARE(HelpTopicPage(0), QString());
        QCOMPARE(HelpTopicPage(22), QString());
        QCOMPARE(HelpTopics().size(), 21);
    }

    // The program's own help pages cover every topic.
    void shippedPagesCoverTopics()
    {
        const QString shipped = QStringLiteral(KELVARA_SOURCE_DIR "/help");
        if (!QDir(shipped).exists())
            QSKIP("no help pages in this tree");
        for (const THelpTopic &t : HelpTopics())
            QVERIFY2(QFile::exists(shipped + u'/' + HelpTopicPage(t.Number)), t.Name);
    }

    void boardHelp_data()
    {
        QTest::addColumn<QString>("card");
        QTest::addColumn<unsigned>("command");
        QTest::addColumn<int>("data");
        QTest::newRow("TSK5_SIG") << "TSK5_SIG" << unsigned(platform::HH_HELP_CONTEXT) << 21;
        QTest::newRow("TMB5") << "TMB5" << unsigned(platform::HH_HELP_CONTEXT) << 17;
        QTest::newRow("TUL10 has no topic") << "TUL10" << unsigned(platform::HH_DISPLAY_TOC) << 0;
        QTest::newRow("SK5 drops its S") << "SK5" << unsigned(platform::HH_DISPLAY_TOC) << 0;
        QTest::newRow("empty") << "" << unsigned(platform::HH_DISPLAY_TOC) << 0;
    }

    void boardHelp()
    {
        QFETCH(QString, card);
        QFETCH(unsigned, command);
        QFETCH(int, data);
        QCOMPARE(BoardHelpRequest(card), (THelpRequest{command, std::uintptr_t(data)}));
    }

    void translate_data()
    {
        QTest::addColumn<unsigned>("command");
        QTest::addColumn<bool>("known");
        QTest::addColumn<unsigned>("hh");
        QTest::addColumn<int>("data");
        QTest::newRow("context") << unsigned(HELP_CONTEXT) << true << unsigned(platform::HH_HELP_CONTEXT) << 12;
        QTest::newRow("quit") << unsigned(HELP_QUIT) << true << unsigned(platform::HH_CLOSE_ALL) << 0;
        QTest::newRow("contents") << unsigned(HELP_CONTENTS) << true << unsigned(platform::HH_DISPLAY_TOC) << 0;
        QTest::newRow("finder") << unsigned(HELP_FINDER) << true << unsigned(platform::HH_DISPLAY_TOC) << 0;
        QTest::newRow("other") << 4u << false << 0u << 0;
    }

    void translate()
    {
        QFETCH(unsigned, command);
        QFETCH(bool, known);
        QFETCH(unsigned, hh);
        QFETCH(int, data);
        THelpRequest r;
        QCOMPARE(TranslateHelpCommand(command, 12, r), known);
        if (known)
            QCOMPARE(r, (THelpRequest{hh, std::uintptr_t(data)}));
    }

    void helpFileNames()
    {
        QCOMPARE(platform::HelpFile(), dir_.path() + QStringLiteral("/Kelvara.chm"));
        QCOMPARE(platform::HelpPagesFolder(platform::HelpFile()), helpFolder());
        QCOMPARE(platform::HelpPagesFolder(QStringLiteral("/x/pages")), QStringLiteral("/x/pages"));
    }

    // No help folder: the exact text, nothing loaded; the next request tries again.
    void notInstalledThenRetry()
    {
        QDir(helpFolder()).removeRecursively();
        QCOMPARE(RequestFailure(platform::HH_DISPLAY_TOC, 0),
                 QStringLiteral("Help system not installed!\r HTMLHELP cannot displayed!"));
        QVERIFY(!platform::HtmlHelpLoaded());

        QStringList errors;
        QVERIFY(FormHelp(HELP_CONTENTS, 0, nullptr, [&](const QString &t) { errors << t; }));
        QCOMPARE(errors, QStringList{QString::fromUtf8(platform::HelpNotInstalledText)});
        QVERIFY(!CurrentHelpViewer());

        WritePage(helpFolder(), QStringLiteral("index.html"), QStringLiteral("Contents"));
        errors.clear();
        QVERIFY(FormHelp(HELP_CONTENTS, 0, nullptr, [&](const QString &t) { errors << t; }));
        QVERIFY(errors.isEmpty());
        QVERIFY(platform::HtmlHelpLoaded());
        QVERIFY(CurrentHelpViewer());
        QCOMPARE(CurrentHelpViewer()->CurrentFile(), helpFolder() + QStringLiteral("/index.html"));
    }

    // Without a sink of its own the failure goes to the program's error box.
    void failureInErrorBox()
    {
        QDir(helpFolder()).removeRecursively();
        TScriptedPrompt prompt;
        TPromptScope scope(&prompt);
        QVERIFY(FormHelp(HELP_CONTEXT, 21));
        QCOMPARE(prompt.asked().size(), 1);
        QCOMPARE(prompt.asked().at(0).kind, TPrompt::Kind::Error);
        QCOMPARE(prompt.asked().at(0).text, QStringLiteral("Help system not installed!\r HTMLHELP cannot displayed!"));
        QVERIFY(!platform::HtmlHelpLoaded());
    }

    // A help folder but no viewer to show it: the second text, and a retry once one is there.
    void entryMissingThenRetry()
    {
        WritePage(helpFolder(), QStringLiteral("index.html"), QStringLiteral("Contents"));
        platform::RegisterHtmlHelpEntry({});
        QCOMPARE(RequestFailure(platform::HH_DISPLAY_TOC, 0), QStringLiteral("Function HTMLHELP cannot loaded!"));
        QVERIFY(!platform::HtmlHelpLoaded());
        InstallHelpViewer();
        QCOMPARE(RequestFailure(platform::HH_DISPLAY_TOC, 0), QString());
        QVERIFY(platform::HtmlHelpLoaded());
    }

    // Initialise at load, uninitialise at close, each once.
    void initialiseAndUninitialise()
    {
        WritePage(helpFolder(), QStringLiteral("index.html"), QStringLiteral("Contents"));
        QList<unsigned> seen;
        std::uintptr_t cookie = 0;
        platform::RegisterHtmlHelpEntry([&](QObject *, const QString &, unsigned command, std::uintptr_t data) {
            seen << command;
            if (command == platform::HH_INITIALIZE)
                *reinterpret_cast<std::uintptr_t *>(data) = 77;
            if (command == platform::HH_UNINITIALIZE)
                cookie = data;
            return std::intptr_t(1);
        });
        QCOMPARE(RequestFailure(platform::HH_HELP_CONTEXT, 3), QString());
        QCOMPARE(RequestFailure(platform::HH_DISPLAY_TOC, 0), QString());
        platform::CloseHtmlHelp();
        platform::CloseHtmlHelp();
        QCOMPARE(seen, (QList<unsigned>{platform::HH_INITIALIZE, platform::HH_HELP_CONTEXT, platform::HH_DISPLAY_TOC,
                                        platform::HH_UNINITIALIZE}));
        QCOMPARE(cookie, std::uintptr_t(77));
        QVERIFY(!platform::HtmlHelpLoaded());
    }

    // Context numbers show their topic's page; close-all closes the window.
    void contextAndCloseAll()
    {
        WritePage(helpFolder(), QStringLiteral("index.html"), QStringLiteral("Contents"));
        WritePage(helpFolder(), QStringLiteral("sk5_sig.html"), QStringLiteral("SK5_SIG boards"));
        QStringList errors;
        auto sink = [&](const QString &t) { errors << t; };

        QVERIFY(FormHelp(HELP_CONTEXT, HelpTopicId(QStringLiteral("sk5_sig")), nullptr, sink));
        QVERIFY(CurrentHelpViewer());
        QCOMPARE(CurrentHelpViewer()->CurrentFile(), helpFolder() + QStringLiteral("/sk5_sig.html"));
        QCOMPARE(CurrentHelpViewer()->windowTitle(), QStringLiteral("SK5_SIG boards"));
        QVERIFY(CurrentHelpViewer()->isVisible());

        // A topic whose page is missing shows nothing and keeps the page shown.
        QCOMPARE(ShowHelp(nullptr, platform::HH_HELP_CONTEXT, 12, sink), std::intptr_t(0));
        QCOMPARE(CurrentHelpViewer()->CurrentFile(), helpFolder() + QStringLiteral("/sk5_sig.html"));
        // Unknown context number.
        QCOMPARE(ShowHelp(nullptr, platform::HH_HELP_CONTEXT, 99, sink), std::intptr_t(0));

        // Default topic (what the start dialog's help asks for) is the contents page.
        QVERIFY(ShowHelp(nullptr, platform::HH_DISPLAY_TOPIC, 0, sink) != 0);
        QCOMPARE(CurrentHelpViewer()->CurrentFile(), helpFolder() + QStringLiteral("/index.html"));

        QVERIFY(FormHelp(HELP_QUIT, 0, nullptr, sink));
        QVERIFY(!CurrentHelpViewer());
        QVERIFY(errors.isEmpty());
    }

    // Quit before any help was shown loads nothing and reports nothing.
    void quitWithoutHelp()
    {
        QDir(helpFolder()).removeRecursively();
        QStringList errors;
        QVERIFY(FormHelp(HELP_QUIT, 0, nullptr, [&](const QString &t) { errors << t; }));
        QVERIFY(errors.isEmpty());
        QVERIFY(!platform::HtmlHelpLoaded());
    }

    void viewerShot()
    {
        const QString shipped = QStringLiteral(KELVARA_SOURCE_DIR "/help");
        if (!QDir(shipped).exists())
            QSKIP("no help pages in this tree");
        THelpViewer viewer;
        QVERIFY(viewer.ShowPage(shipped, QStringLiteral("index.html")));
        QVERIFY(!viewer.Browser()->toPlainText().isEmpty());
        QVERIFY(!viewer.ShowPage(shipped, QStringLiteral("nothing.html")));
        viewer.show();
        SaveShot(viewer, QStringLiteral("help"));
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
