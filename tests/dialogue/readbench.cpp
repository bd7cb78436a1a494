// Read benchmark: a full read of two mechanical consoles from the simulated
// system paced at 9600 baud, through the program's serial link. Prints the
// time the read took, the time the bytes exchanged need on the line (11 bits
// a byte) and their ratio. Not a test: run it by hand.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <memory>

#include "comm/com_orva.h"
#include "dialogue/apdalink.h"
#include "dialogue/dialogue.h"
#include "platform/timing.h"
#include "simpeer.h"
#include "testhost.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!LoadProgramTexts()) {
        std::fprintf(stderr, "readbench: no language library in %s\n", KELVARA_BIN_DIR);
        return 2;
    }
    platform::SetTimeScale(1.0);
    const int baud = 9600;
    TSimPeer sim({"--pace", "--baud", QString::number(baud), "--consoles", "mech+mech"});
    if (!sim.Ok()) {
        std::fprintf(stderr, "readbench: simulator did not start: %s\n", qPrintable(sim.error));
        return 2;
    }
    qputenv("KELVARA_COM1", sim.path.toLocal8Bit());

    TTestHost host;
    host.delayScale = 1.0; // the command's own waits, as in the program
    TScriptPrompt prompt;
    TDialogue dialogue(host, prompt);
    QObject owner;
    TApdA *port = CreateComPort(&owner, 1);
    TApdALink link(*port);
    dialogue.SetLink(&link);
    ConnectFrames(*port, dialogue);
    QList<TConversion> conversions;
    RecordConversions(dialogue, host, conversions);
    bool finished = false, ok = false;
    QObject::connect(&dialogue, &TDialogue::SessionFinished, [&](bool normally) {
        finished = true;
        ok = normally;
    });
    qint64 firstSent = -1, lastAnswer = -1;
    QElapsedTimer clock;
    QObject::connect(&dialogue, &TDialogue::RequestSent, [&] {
        if (firstSent < 0)
            firstSent = clock.nsecsElapsed();
    });
    QObject::connect(port, &TApdA::FrameReceived, [&] { lastAnswer = clock.nsecsElapsed(); });

    clock.start();
    dialogue.ReadConfigClick();
    while (!finished && clock.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
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
    std::printf("read %s: %d frames, %lld bytes, %d consoles converted, %d boxes\n", ok ? "finished" : "FAILED",
                frames, static_cast<long long>(bytes), int(conversions.size()), int(prompt.asked.size()));
    std::printf("total time        %.3f s (command to end, with its 0.6 s of waits)\n", total);
    std::printf("first to last     %.3f s (first request sent to last answer received)\n", exchange);
    std::printf("wire time         %.3f s (%lld bytes x 11 bits at %d baud)\n", wire, static_cast<long long>(bytes),
                baud);
    std::printf("ratio total/wire  %.4f\n", total / wire);
    std::printf("ratio exchange/wire %.4f\n", exchange / wire);
    return ok && conversions.size() == 2 ? 0 : 1;
}
