// An exception thrown in an event handler stops at the application object:
// it is reported and the program goes on. Without its code pages the program
// says so and does not start.
#include <QtTest>

#include <stdexcept>

#include "mainwindow/application.h"
#include "platform/codepage.h"
#include "platform/programfolder.h"
#include "windows/prompt.h"

namespace {

class TThrower : public QObject
{
public:
    int handled = 0;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            ++handled;
            throw std::runtime_error("handler failed");
        }
        return QObject::event(e);
    }
};

} // namespace

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    TScriptedPrompt prompt;
    TPromptScope scope(&prompt);
    TThrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QTimer::singleShot(200, &app, &QCoreApplication::quit);
    app.exec();

    int failed = 0;
    auto check = [&](bool ok, const char *what) {
        std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what);
        failed += ok ? 0 : 1;
    };
    check(thrower.handled == 2, "both events were delivered");
    check(prompt.asked().size() == 2, "each exception became one box");
    check(!prompt.asked().isEmpty() && prompt.asked()[0].text == QLatin1String("handler failed"), "the box says what failed");
    check(!prompt.asked().isEmpty() && prompt.asked()[0].kind == TPrompt::Kind::Error, "an error box");
    check(LanguageLibraryErrorText() == QString::fromUtf8("Error load library \"Lang.DLL\"!\r\r\"EXIT\""),
          "the language library's error text");

    // The program folder with the language library, but the C library lacks CP1250.
    platform::SetProgramFolder(QStringLiteral(KELVARA_BIN_DIR));
    platform::testing::UseCodePageNames("NO-SUCH-PAGE", nullptr);
    const QString pageError = platform::CodePageError();
    prompt.clear();
    const int result = RunProgram(app);
    platform::testing::UseCodePageNames(nullptr, nullptr);
    check(!pageError.isEmpty(), "a missing code page is an error");
    check(result == 1, "the program ends with a failure");
    check(prompt.asked().size() == 1 && prompt.asked()[0].kind == TPrompt::Kind::Error &&
              prompt.asked()[0].text == pageError,
          "one error box names the missing page");
    check(QApplication::topLevelWidgets().isEmpty(), "no main window was made");
    std::printf("%d passed, %d failed\n", 9 - failed, failed);
    return failed ? 1 : 0;
}
