#pragma once

// What the harnesses of the device dialogue share: the tests' host without a
// frame log, a prompt whose every answer comes from the input, the program's
// conversions behind the dialogue's hooks, and the handlers' catch boundary
// turned into a finding.

#include <QFileInfo>
#include <QString>

#include <cstdio>
#include <memory>

#include "dialogue/dialogue.h"
#include "fuzzinput.h"
#include "records/modeltoimage.h"
#include "records/pcrecord.h"
#include "records/sidefiles.h"
#include "tests/dialogue/testhost.h"

namespace fuzz
{

// A handler that catches an exception logs it and ends the session; the
// program goes on, but for the fuzzer it is a fault like a crash.
inline void FailOnCaughtFailures()
{
    TDialogue::CaughtFailureHook = [](const char *where, const std::exception &e) {
        std::fprintf(stderr, "fuzz: %s caught \"%s\"\n", where, e.what());
        Fail("a handler of the dialogue caught an exception");
    };
}

// The tests' host with nobody reading the frame log.
class Host : public TTestHost
{
public:
    Host() { frameLog = false; }
};

// Answers every box with one of the buttons it offers, chosen by the input.
class InputPrompt : public TDialoguePrompt
{
public:
    explicit InputPrompt(Input &in) : in(in) {}

    int Ask(Kind, const QString &text, Buttons buttons) override
    {
        FUZZ_CHECK(!text.isEmpty());
        ++asked;
        int offered[8];
        int count = 0;
        for (Button b : {Ok, Cancel, Abort, Retry, Ignore, Yes, No})
            if (buttons & Bit(b))
                offered[count++] = b;
        FUZZ_CHECK(count > 0);
        return offered[in.Byte() % count];
    }

    bool AskConsole(int console, const QString &, const QString &, const QString &, Byte &type) override
    {
        FUZZ_CHECK(console >= 0 && console < ConsoleCount);
        const std::uint8_t choice = in.Byte();
        if ((choice >> 1) % 3 != 0)
            type = Byte((choice >> 1) % 3); // 1 PC, 2 mechanical
        return choice & 1;
    }

    Input &in;
    int asked = 0;
};

// The side files' open dialog never comes up in a write.
class NoFileDialog : public TSideFileHost
{
public:
    bool ChooseFile(const QString &, const QString &, const QString &, QString &) override { return false; }
};

// The program's three conversions behind the dialogue's hooks, on the host's
// configuration, image and cards: the system image into the configuration,
// the configuration into the image before a write, a PC console into its
// side files beside the host's project name.
class Conversions
{
public:
    Conversions(TDialogue &dialogue, TTestHost &host) : host_(host)
    {
        dialogue.ImageToModelHook = [this](int console, bool fromSystem, int &unconfigured) {
            TImageToModelContext context{host_.model, host_.image, *host_.BoardList_, host_.cards, log,
                                         host_.quiet, QStringLiteral("/tmp/kelvara")};
            return ImageToModel(context, console, fromSystem, unconfigured);
        };
        dialogue.ModelToImageHook = [this](int console) {
            TRecordContext context{host_.model, host_.image, host_.BoardList(), host_.cards,
                                   QStringLiteral("/tmp/kelvara")};
            ++toImage;
            return ModelToImage(context, console);
        };
        dialogue.SaveToPcHook = [this](int console, const QString &projectFile) {
            // As the program: a project without a file has no place for them.
            if (projectFile.isEmpty() || !QFileInfo(projectFile).isAbsolute())
                return false;
            TSideFileContext context{host_.model, host_.image,   *pc_,        *uni_,
                                     *host_.BoardList_, host_.cards, log,   files_,
                                     host_.projectName, host_.quiet, QStringLiteral("/tmp/kelvara")};
            ++sideFiles;
            return SaveToPC(context, console, projectFile);
        };
    }

    TListConversionLog log;
    int toImage = 0;
    int sideFiles = 0;

private:
    TTestHost &host_;
    std::unique_ptr<TPcRecord> pc_ = std::make_unique<TPcRecord>();
    std::unique_ptr<TUniRecord> uni_ = std::make_unique<TUniRecord>();
    NoFileDialog files_;
};

} // namespace fuzz
