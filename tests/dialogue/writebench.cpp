// Write benchmark: a full write of two mechanical consoles to the simulated
// system paced at 9600 baud in both directions, through the program's serial
// link. The configuration comes from a read of a second, unpaced simulator.
// Prints the time the write took, the time the bytes exchanged need on the
// line (11 bits a byte) and their ratio. Not a test: run it by hand.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <memory>

#include "comm/com_orva.h"
#include "dialogue/apdalink.h"
#include "dialogue/dialogue.h"
#include "platform/timing.h"
#include "records/modeltoimage.h"
#include "simpeer.h"
#include "testhost.h"

namespace
{

bool RunUntilIdle(TDialogue &dialogue, bool &finished, qint64 ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!finished && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return finished && dialogue.Idle();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!LoadProgramTexts()) {
        std::fprintf(stderr, "writebench: no language library in %s\n", KELVARA_BIN_DIR);
        return 2;
    }
    platform::SetTimeScale(1.0);
    const int baud = 9600;

    TTestHost host;
    host.delayScale = 1.0; // the commands' own waits, as in the program
    host.saveChoice = 1;   // the project read is saved when the write asks
    TScriptPrompt prompt;
    TDialogue dialogue(host, prompt);
    QObject owner;
    TApdA *port = CreateComPort(&owner, 1);
    TApdALink link(*port);
    dialogue.SetLink(&link);
    ConnectFrames(*port, dialogue);
    TListConversionLog conversionLog;
    QList<TConversion> conversions;
    RealConversions(dialogue, host, conversionLog, conversions);
    int converted = 0;
    dialogue.ModelToImageHook = [&](int console) {
        ++converted;
        TRecordContext context{TConfigPlace(host.model), host.image, host.BoardList_.get(), host.cards,
                               QStringLiteral("/tmp/kelvara")};
        return ModelToImage(context, console);
    };
    bool finished = false, ok = false;
    QObject::connect(&dialogue, &TDialogue::SessionFinished, [&](bool normally) {
        finished = true;
        ok = normally;
    });

    // The configuration to write: read from a system at full speed.
    {
        TSimPeer source({"--consoles", "mech+mech"});
        if (!source.Ok()) {
            std::fprintf(stderr, "writebench: simulator did not start: %s\n", qPrintable(source.error));
            return 2;
        }
        qputenv("KELVARA_COM1", source.path.toLocal8Bit());
        dialogue.ReadConfigClick();
        if (!RunUntilIdle(dialogue, finished, 120000) || !ok || !host.model) {
            std::fprintf(stderr, "writebench: the read of the configuration failed\n");
            return 2;
        }
    }

    TSimPeer sim({"--pace", "--baud", QString::number(baud), "--consoles", "mech+mech"});
    if (!sim.Ok()) {
        std::fprintf(stderr, "writebench: simulator did not start: %s\n", qPrintable(sim.error));
        return 2;
    }
    qputenv("KELVARA_COM1", sim.path.toLocal8Bit());
    finished = ok = false;
    prompt.asked.clear();
    qint64 firstSent = -1, lastAnswer = -1;
    QElapsedTimer clock;
    QObject::connect(&dialogue, &TDialogue::RequestSent, [&] {
        if (firstSent < 0)
            firstSent = clock.nsecsElapsed();
    });
    QObject::connect(port, &TApdA::FrameReceived, [&] { lastAnswer = clock.nsecsElapsed(); });

    clock.start();
    dialogue.WriteConfigClick();
    RunUntilIdle(dialogue, finished, 900000);
    const double total = double(clock.nsecsElapsed()) / 1e9;
    sim.Stop();

    qint64 bytes = 0;
    int frames = 0;
    for (const TSimPeer::Recorded &r : sim.Record()) {
        bytes += r.wire.size();
        frames += r.dir == QStringLiteral("rx") || r.dir == QStringLiteral("tx");
    }
    const double wire = double(bytes) * 11.0 / baud;
    const double exchange = firstSent >= 0 && lastAnswer >= 0 ? double(lastAnswer - firstSent) / 1e9 : 0.0;
    std::printf("write %s: %d frames, %lld bytes, %d consoles converted, %d boxes\n",
                ok ? "finished" : "FAILED", frames, static_cast<long long>(bytes), converted,
                int(prompt.asked.size()));
    std::printf("total time        %.3f s (command to end, no waits of its own)\n", total);
    std::printf("first to last     %.3f s (first request sent to last answer received)\n", exchange);
    std::printf("wire time         %.3f s (%lld bytes x 11 bits at %d baud)\n", wire,
                static_cast<long long>(bytes), baud);
    std::printf("ratio total/wire  %.4f\n", total / wire);
    std::printf("ratio exchange/wire %.4f\n", exchange / wire);
    return ok && converted == 4 ? 0 : 1;
}
