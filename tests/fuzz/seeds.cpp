// Writes the harnesses' seed inputs from the project's own fixtures: the
// two-console configuration and its older file layouts, records and images
// filled from it, the answers of a whole read from the in-process system,
// wire frames, relay datagrams, cfg.ini files and hand-over messages.
//
//   fuzz_seeds <folder>   makes <folder>/<harness>/<name> for every harness
//
// The encodings here follow the input layouts the harnesses document.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

#include "comm/com_orva.h"
#include "comm/udpr_sock.h"
#include "comm/udpspravy.h"
#include "dialogue/dialogue.h"
#include "editing/settingsfile.h"
#include "fuzzmodel.h"
#include "model/export.h"
#include "model/listorva.h"
#include "model/objekty.h"
#include "platform/codepage.h"
#include "cardpack/registry.h"
#include "records/modeltoimage.h"
#include "records/netfiles.h"
#include "records/pcrecord.h"
#include "records/sidefiles.h"
#include "records/systemimage.h"
#include "records/unitable.h"
#include "tests/dialogue/minisystem.h"
#include "tests/dialogue/testhost.h"
#include "tests/fixture/fixture.h"
#include "tests/image/imagefixture.h"
#include "tests/image/roundtripfixture.h"
#include "tests/fixture/oldfiles.h"

namespace
{

QString root;
int written = 0;

void seed(const char *harness, const QString &name, const QByteArray &bytes)
{
    const QString folder = root + u'/' + QLatin1String(harness);
    QDir().mkpath(folder);
    QFile f(folder + u'/' + name);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
    ++written;
}

QByteArray u16(int value)
{
    QByteArray b;
    b.append(char((value >> 8) & 0xFF));
    b.append(char(value & 0xFF));
    return b;
}

// ---- project files -------------------------------------------------------------------------

// The fixture with console 1 gone and most keys of console 0 free.
std::unique_ptr<TAPult> smallFixture()
{
    auto cfg = fixture::BuildFixture();
    cfg->Pulty[1].reset();
    cfg->PocetPultov = 1;
    for (int k = 24; k < KeyCount; ++k)
        cfg->Pulty[0]->Klavesy[k].reset();
    return cfg;
}

void projectFiles()
{
    const auto full = fixture::BuildFixture();
    seed("projectfile", QStringLiteral("fixture.orv"), full->ProjectText());
    const auto small = smallFixture();
    seed("projectfile", QStringLiteral("small.orv"), small->ProjectText());
    for (const char *version : {"1.0", "2.0", "2.1", "2.2", "2.3", "2.4", "2.5"}) {
        for (bool oldNames : {false, true}) {
            const QString name =
                QStringLiteral("small-%1%2.orv")
                    .arg(QLatin1String(version), oldNames ? QStringLiteral("-oldnames") : QString());
            seed("projectfile", name, OldProjectText(*small, QLatin1String(version), oldNames));
        }
    }
    // Both consoles with only their headers.
    TAPult bare;
    bare.PocetPultov = 2;
    bare.Pulty[0] = std::make_unique<TPult>();
    seed("projectfile", QStringLiteral("bare.orv"), bare.ProjectText());
}

// ---- console records -------------------------------------------------------------------------

void records()
{
    const auto cfg = fixture::BuildFixture();
    const TPult &pult = *cfg->Pulty[0];

    TPcRecord pc;
    InitPcRecord(pc);
    for (int slot = 0; slot < pcrec::BoardSlots; ++slot)
        pc.BoardCode(slot) = cfg->SlotyDosiek[slot].Kod;
    for (int k = 0; k < KeyCount; ++k) {
        const TKlavesa *key = pult.Klavesy[k].get();
        if (!key)
            continue;
        const int address = KeyAddress(k);
        pc.SetNameText(address, key->MenoKlavesy);
        pc.SetHintText(address, key->HintKlavesy);
        pc.DialCode(address) = key->Volba;
        pc.SetTextColor(k, std::uint32_t(key->TextColor));
        auto entry = pc.KeyEntry(0, address);
        entry[pcrec::KeObsluhaKlavesy] = key->ObsluhaKlavesy;
        entry[pcrec::KeCisloUcastnika] = key->CisloUcastnika;
        entry[pcrec::KeBitovyByte] = key->bitovyByte;
        pc.KeyToLineTable(0)[address] = key->NumLin;
    }
    seed("records", QStringLiteral("pc.rec"), QByteArray(1, char(0)) + pc.ToBytes());
    TPcRecord fresh;
    InitPcRecord(fresh);
    seed("records", QStringLiteral("pc-default.rec"), QByteArray(1, char(0)) + fresh.ToBytes());

    TSystemImage image;
    image.ClearSystemImage();
    TZOZ list;
    BuildUniTable(cfg.get(), image, &list);
    TUniRecord uni;
    InitUniRecord(uni);
    const auto entries = image.Table(ImageTable::Uni);
    std::copy(entries.begin(), entries.end(), uni.Entries().begin());
    seed("records", QStringLiteral("uni.rec"), QByteArray(1, char(1)) + uni.ToBytes());

    // The old records share the first 16862 bytes with the PC record.
    QByteArray old = pc.ToBytes().left(oldrec::AcfSize);
    old.replace(0, 5, QByteArray("\x04KAV2", 5));
    seed("records", QStringLiteral("old.acf"), QByteArray(1, char(2)) + old);
    QByteArray cfgRecord = old + QByteArray(oldrec::CfgSize - oldrec::AcfSize, char(0xA0));
    for (int a = 0; a < 256; ++a) {
        const QByteArray name = pc.Name(a).left(oldrec::NameMax);
        const QByteArray hint = pc.Hint(a);
        const int base = oldrec::KeyTextsOffset + oldrec::KeyTextSize * a;
        cfgRecord[base] = char(hint.size());
        cfgRecord.replace(base + 1, hint.size(), hint);
        cfgRecord[base + oldrec::NameOffset] = char(name.size());
        cfgRecord.replace(base + oldrec::NameOffset + 1, name.size(), name);
    }
    seed("records", QStringLiteral("old.cfg"), QByteArray(1, char(3)) + cfgRecord);
    // The imports: an ACF file for both consoles, a CFG file per console.
    seed("oldimport", QStringLiteral("both.acf"), QByteArray(1, char(0x03)) + old);
    seed("oldimport", QStringLiteral("one.cfg"), QByteArray(1, char(0x08)) + cfgRecord);
    seed("oldimport", QStringLiteral("pc.cfg"), QByteArray(1, char(0x06)) + pc.ToBytes());
}

// ---- images and the answers of a whole read --------------------------------------------------

struct Answer {
    Byte kom, step, console, mode;
    QByteArray frame;
};

struct ReadRecording {
    QList<Answer> answers;
    QList<TConversion> images;
};

// A whole read of two mechanical consoles from the in-process system; the
// phone books are read from consoles of version 21 on.
ReadRecording recordRead(int consoleVersion)
{
    ReadRecording r;
    TTestHost host;
    host.quiet = true;
    TScriptPrompt prompt;
    TMiniSystem sys;
    sys.consoleVersion = consoleVersion;
    TDialogue d(host, prompt);
    sys.dialogue = &d;
    d.SetLink(&sys);
    RecordConversions(d, host, r.images);
    sys.filter = [&](const QByteArray &, const QByteArray &answer) {
        r.answers.append({d.Kom, d.ktKrok, d.KomPult, d.OperationMode, answer});
        return answer;
    };
    d.ReadConfigClick();
    QElapsedTimer clock;
    clock.start();
    while (!(d.Idle() && d.AnswerAwaited == 0) && clock.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!d.Idle() || r.images.size() != 2) {
        std::fprintf(stderr, "fuzz_seeds: the read from the in-process system did not complete\n");
        std::exit(1);
    }
    return r;
}

void images(const ReadRecording &read)
{
    // Flags: from the system, console 0 or 1, the package list.
    for (const TConversion &c : read.images)
        seed("imagetomodel", QStringLiteral("read-console%1.img").arg(c.console),
             QByteArray(1, char(0x11 | (c.console << 5))) + c.image);

    auto image = std::make_unique<TSystemImage>();
    seed("imagetomodel", QStringLiteral("fresh.img"), QByteArray(1, char(0x11)) + image->ToBytes());

    // Keys bound to boards the project already has in its slots.
    EmptyImage(*image);
    image->ConsoleType(0) = 2;
    image->ScreenCount(0) = 2;
    PutUni(*image, 0, {0, 0, 71, 255, 0x30, 2, 254, 255});
    PutUni(*image, 2, {2, 1, 148, 254, 0x40, 1, 254, 255});
    PutKey(*image, {.key = 0, .handling = 2, .numlin = 0, .code = 71, .lineEntry = 0, .name = "Dispatcher"});
    PutKey(*image, {.key = 2,
                    .handling = 22,
                    .subscriber = 5,
                    .numlin = 2,
                    .code = 148,
                    .lineEntry = 2,
                    .subscriberEntry = 5});
    PutKey(*image, {.key = 4, .handling = 52, .subscriber = 7, .digits = {3, 4}});
    image->SetPhoneName(0, "Depo");
    image->SetPhoneNumber(0, "0421");
    QByteArray slotBytes;
    for (int s = 0; s < BoardCount; ++s) {
        slotBytes.append(char(s == 3 ? 71 : s == 20 ? 148 : 0xFF));
        slotBytes.append(char(s == 3 ? 0 : s == 20 ? 1 : 3)); // TUL10, T4W5, none
    }
    seed("imagetomodel", QStringLiteral("slots.img"),
         QByteArray(1, char(0x41 | 0x10)) + slotBytes + image->ToBytes());
    seed("imagetomodel", QStringLiteral("slots-by-position.img"),
         QByteArray(1, char(0x41)) + slotBytes + image->ToBytes());
}

// Header of the dialogue harness: phase, step code, console, mode index, set-up,
// more flags, valid slotBytes.
QByteArray dialogueHeader(Byte kom, Byte step, Byte console, Byte mode, Byte setup, Byte more = 0)
{
    static const Byte modes[] = {opmode::Idle,
                                 opmode::Read,
                                 opmode::Write,
                                 opmode::BoardsOnly,
                                 opmode::BoardsForWrite,
                                 opmode::TimeKeeper,
                                 6,
                                 7};
    int modeIndex = 0;
    for (int i = 0; i < int(std::size(modes)); ++i)
        if (modes[i] == mode)
            modeIndex = i;
    const Byte stepCode = step == dlg::TimeKeeperStep ? 12 : step == dlg::TimeKeeperDone ? 13 : step;
    QByteArray h;
    for (Byte b : {kom, stepCode, console, Byte(modeIndex), setup, more, Byte(0)})
        h.append(char(b));
    return h;
}

// Two mechanical consoles, a project, its optional tables announced, quiet.
constexpr Byte SetupRead = 0x02 | 0x08 | 0x10 | 0x20 | 0x40 | 0x80;

QByteArray rawFrameEvent(const QByteArray &frame)
{
    return QByteArray(1, char(0)) + u16(int(frame.size())) + frame;
}

// A long frame as the harness's well-formed frame: its first bytes, the rest filled.
QByteArray shortenedFrameEvent(const QByteArray &frame)
{
    const QByteArray data = frame.mid(dlg::HeaderSize, 1024);
    QByteArray e(1, char(1));
    e.append(frame[0]);
    e.append(frame[2]);
    e.append(u16(int(frame.size()) - dlg::HeaderSize));
    e.append(frame.back());
    e.append(char(data.size() / 32));
    e.append(data.left(data.size() / 32 * 32));
    return e;
}

// The whole read: the command, then every answer in turn.
QByteArray wholeRead(const ReadRecording &read)
{
    QByteArray whole = dialogueHeader(0, 0, 0, opmode::Idle, 0x02 | 0x08 | 0x20);
    whole.append(char(4));
    whole.append(char(0)); // Read from system
    for (const Answer &a : read.answers)
        whole.append(a.frame.size() > 1100 ? shortenedFrameEvent(a.frame) : rawFrameEvent(a.frame));
    return whole;
}

void dialogueSeeds(const ReadRecording &read, const ReadRecording &withoutPhoneBooks)
{
    seed("dialogue", QStringLiteral("whole-read"), wholeRead(read));
    seed("dialogue", QStringLiteral("whole-read-no-phone-books"), wholeRead(withoutPhoneBooks));

    // Every answer alone, in the state it came in.
    int n = 0;
    for (const Answer &a : read.answers) {
        const QByteArray event =
            a.frame.size() > 1100 ? shortenedFrameEvent(a.frame) : rawFrameEvent(a.frame);
        seed("dialogue", QStringLiteral("read-%1").arg(n++, 2, 10, QLatin1Char('0')),
             dialogueHeader(a.kom, a.step, a.console, a.mode, SetupRead) + event);
    }

    // The write's acknowledgements with every kind of result.
    const QByteArray test = Frame(0x00, 0, TMiniSystem::TestData(15, 'P'));
    seed("dialogue", QStringLiteral("write-test"),
         dialogueHeader(2, 0, 0, opmode::Write, SetupRead) + rawFrameEvent(test));
    for (Byte code : {0, 1, 2, 3, 9}) {
        for (Byte step : {1, 5, 9}) {
            seed("dialogue", QStringLiteral("write-ack-%1-%2").arg(step).arg(code),
                 dialogueHeader(2, step, 0, opmode::Write, SetupRead) +
                     rawFrameEvent(Frame(0x0A, 0, QByteArray(1, char(code)))));
        }
        seed("dialogue", QStringLiteral("write-console-ack-%1").arg(code),
             dialogueHeader(4, 3, 1, opmode::Write, SetupRead) +
                 rawFrameEvent(Frame(0x87, 1, QByteArray(1, char(code)))));
        seed("dialogue", QStringLiteral("read-ack-%1").arg(code),
             dialogueHeader(3, 2, 0, opmode::Read, SetupRead) +
                 rawFrameEvent(Frame(0x87, 0, QByteArray(1, char(code)))));
    }
    seed("dialogue", QStringLiteral("write-console-test"),
         dialogueHeader(4, 1, 0, opmode::Write, SetupRead) +
             rawFrameEvent(Frame(0x80, 0, TMiniSystem::TestData(21, 'M'))));

    // The time keeper's listing, the boards of a boards-only read.
    seed("dialogue", QStringLiteral("time-keeper"),
         dialogueHeader(1, dlg::TimeKeeperStep, 0, opmode::TimeKeeper, SetupRead) +
             rawFrameEvent(Frame(0x0F, 0, Pattern(61, 7))));
    TMiniSystem sys;
    seed("dialogue", QStringLiteral("boards-only"),
         dialogueHeader(1, 1, 0, opmode::BoardsOnly, SetupRead) + rawFrameEvent(Frame(0x01, 0, sys.boards)));
    seed("dialogue", QStringLiteral("boards-for-write"),
         dialogueHeader(1, 1, 0, opmode::BoardsForWrite, SetupRead) +
             rawFrameEvent(Frame(0x01, 0, sys.boards)));

    // No answer: the watchdog runs out, the box is answered with Retry.
    QByteArray watchdog = dialogueHeader(1, 2, 0, opmode::Read, SetupRead & ~0x20);
    watchdog.append(char(2));
    watchdog.append(char(40));
    watchdog.append(char(1)); // the second button offered: Retry
    seed("dialogue", QStringLiteral("watchdog"), watchdog);
}

// ---- the serial link's wire ------------------------------------------------------------------

// Raw bytes as chunk events of the serial harness.
QByteArray chunks(const QByteArray &bytes)
{
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); i += 64) {
        const QByteArray piece = bytes.mid(i, 64);
        out.append(char(piece.size() - 1));
        out.append(piece);
    }
    return out;
}

QByteArray run(Byte value, int count)
{
    QByteArray out(1, char(0xF0));
    out.append(char(value));
    out.append(u16(count - 1));
    return out;
}

void serialSeeds(const ReadRecording &read)
{
    QByteArray several;
    int n = 0;
    for (const Answer &a : read.answers) {
        if (a.frame.size() > 1100)
            continue;
        const QByteArray wire = TApdA::FrameToWire(a.frame);
        seed("serial", QStringLiteral("answer-%1").arg(n++, 2, 10, QLatin1Char('0')), chunks(wire));
        several.append(wire);
    }
    seed("serial", QStringLiteral("several"), chunks(several));

    // A table of 8192 bytes: the data as one run, then its sum.
    const QByteArray table = Frame(0x81, 0, QByteArray(8192, ' '));
    const QByteArray wire = TApdA::FrameToWire(table);
    seed("serial", QStringLiteral("long-table"),
         chunks(wire.left(7)) + run(' ', 8192) + chunks(wire.right(1)));

    const QByteArray test = TApdA::FrameToWire(Frame(0x00, 0, TMiniSystem::TestData(15, 'P')));
    QByteArray bad = test;
    bad[bad.size() - 1] = char(bad.back() ^ 0x55);
    seed("serial", QStringLiteral("bad-sum"), chunks(bad + test));
    seed("serial", QStringLiteral("garbage-between"),
         chunks(QByteArray("\xA5\x00\xA5\xA5", 4) + test + "xyz" + test));
    seed("serial", QStringLiteral("pause-inside"),
         chunks(test.left(9)) + QByteArray(1, char(0xFC)) + chunks(test));
    seed("serial", QStringLiteral("overlong"),
         chunks(QByteArray("\xA5\x5A\x81\x00\x00\x28\x01", 7)) + chunks(test));
}

// ---- relay datagrams, cfg.ini, hand-over -------------------------------------------------------

void udpSeeds()
{
    for (std::uint32_t code : {6u, 7u, 8u, 9u, 11u, 12u, 14u, 15u, 99u}) {
        const QByteArray body =
            TUDPR_S::RelayedBody(code, QStringLiteral("10.0.0.1"), QStringLiteral("prijate %1").arg(code));
        T_MSG::TBytes message{};
        T_MSG::PutU32(message.data(), code);
        std::copy(body.begin(), body.end(), message.begin() + T_MSG::BodyOffset);
        seed("udp", QStringLiteral("relayed-%1").arg(code),
             QByteArray(1, char(2)) + T_MSG::Create(message, {}).Bytes());
    }
    T_MSG::TBytes plain{};
    T_MSG::PutU32(plain.data(), 8);
    const QByteArray text = platform::ToCp1250(QStringLiteral("Zápis ukončený"));
    std::copy(text.begin(), text.end(), plain.begin() + T_MSG::BodyOffset);
    seed("udp", QStringLiteral("plain"), QByteArray(1, char(3)) + T_MSG::Create(plain, {}).Bytes());
}

// Frames of the port test: answers of both tests, the acknowledge, and
// length fields that say more or less than the frame holds.
void testFrameSeeds()
{
    seed("testframe", QStringLiteral("system.bin"), QByteArray::fromHex("000000000100"));
    seed("testframe", QStringLiteral("console.bin"), QByteArray::fromHex("8000000002aabb"));
    seed("testframe", QStringLiteral("ack.bin"), QByteArray::fromHex("0a00000001ff"));
    seed("testframe", QStringLiteral("long-field.bin"), QByteArray::fromHex("00000fffff"));
    seed("testframe", QStringLiteral("short.bin"), QByteArray::fromHex("80"));
}

void settingsSeeds()
{
    SettingsFile::TSettings values;
    seed("settings", QStringLiteral("default.ini"), SettingsFile::Write(values));
    values.Top = -20;
    values.Left = 1900;
    values.WindowState = 1;
    values.Options = 7;
    values.COMport = 3;
    values.FileName = QStringLiteral("/home/dispečer/projekty/Žilina.orv");
    values.Font.Name = QStringLiteral("DejaVu Sans");
    values.Font.Size = 11;
    values.Font.Color = 255;
    values.Font.Bold = values.Font.Underline = true;
    values.Font.Charset = 238;
    seed("settings", QStringLiteral("chosen.ini"), SettingsFile::Write(values));
    seed(
        "settings", QStringLiteral("lower-case-lf.ini"),
        "top=5\nleft=6\nwidth=800\nheight=600\nwindowstate=2\ncomport=8\nfontstyle=[fsItalic,fsStrikeOut]\n");
    seed("settings", QStringLiteral("bad-number.ini"), "Top=1\r\nWidth=wide\r\nHeight=3\r\n");
    seed("settings", QStringLiteral("out-of-range.ini"), "COMport=256\r\nFontCharset=-1\r\n");
}

void handOverSeeds()
{
    const QByteArray name = QStringLiteral("/home/dispečer/projekty/Žilina.orv").toUtf8() + '\0';
    seed("handover", QStringLiteral("whole"), QByteArray(1, char(0xFF)) + name);
    QByteArray pieces;
    for (char c : name) {
        pieces.append(char(0));
        pieces.append(c);
    }
    seed("handover", QStringLiteral("byte-by-byte"), pieces);
    seed("handover", QStringLiteral("empty"), QByteArray("\x00\x00", 2));
    seed("handover", QStringLiteral("no-terminator"), QByteArray(1, char(0xFF)) + QByteArray(5000, 'a'));
}

// ---- console side files -------------------------------------------------------------------------

class NoDialogHost : public TSideFileHost
{
public:
    bool ChooseFile(const QString &, const QString &, const QString &, QString &) override { return false; }
};

QByteArray readFile(const QString &name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "fuzz_seeds: cannot read %s\n", qPrintable(name));
        std::exit(1);
    }
    return f.readAll();
}

// The layout of the side-file harness: flags, more flags, the console file, the .uni file.
void sideFileSeeds()
{
    QTemporaryDir dir;
    TCardSet cards;
    std::unique_ptr<TAPult> config = roundtrip::ConsistentFixture(cards);
    auto image = std::make_unique<TSystemImage>();
    for (int c = 0; c < ConsoleCount; ++c) {
        config->Pulty[c]->TypPultu = 1;
        image->ConsoleType(c) = 1;
        image->ScreenCount(c) = config->Pulty[c]->PocetObrazoviek;
    }
    auto pc = std::make_unique<TPcRecord>();
    auto uni = std::make_unique<TUniRecord>();
    TZOZ list;
    RecordingLog log;
    NoDialogHost host;
    QString project = dir.path() + QStringLiteral("/stanica.orv");
    TSideFileContext ctx{config,
                         *image,
                         *pc,
                         *uni,
                         list,
                         cards,
                         log,
                         host,
                         project,
                         true,
                         QStringLiteral("/opt/kelvara/kelvara")};
    for (int c = 0; c < ConsoleCount; ++c) {
        if (!SaveToPC(ctx, c, project)) {
            std::fprintf(stderr, "fuzz_seeds: the side files could not be written\n");
            std::exit(1);
        }
        const QByteArray files = readFile(PcConsoleFileName(project, c)) + readFile(UniFileName(project));
        const Byte console = Byte(c << 5);
        // From the system into a fresh configuration, with and without the .uni file read.
        seed("sidefiles", QStringLiteral("load-%1").arg(c),
             QByteArray(1, char(console | 0x10 | 0x08 | 1)) + QByteArray(1, char(0)) + files);
        seed("sidefiles", QStringLiteral("load-per-console-%1").arg(c),
             QByteArray(1, char(console | 0x10 | 0x08 | 5)) + QByteArray(1, char(0)) + files);
        // Into the project, its boards taken from the record.
        seed("sidefiles", QStringLiteral("load-boards-%1").arg(c),
             QByteArray(1, char(console | 0x08 | 1)) + QByteArray(1, char(0x04)) + files);
        // The open dialog, the file chosen by its own name.
        seed("sidefiles", QStringLiteral("chosen-%1").arg(c),
             QByteArray(1, char(console | 0x10 | 0x08 | 5)) + QByteArray(1, char(0x20 | 0x02)) + files);
        // The hints when the project is opened.
        seed("sidefiles", QStringLiteral("hints-%1").arg(c),
             QByteArray(1, char(0x80 | console)) + QByteArray(1, char(0)) + files);
    }
    // A short console file, its length given.
    const QByteArray cut = readFile(PcConsoleFileName(project, 0)).left(300);
    seed("sidefiles", QStringLiteral("short"),
         QByteArray(1, char(0x10 | 1)) + QByteArray(1, char(0x01)) + u16(int(cut.size())) + cut +
             readFile(UniFileName(project)));
}

// ---- export files -------------------------------------------------------------------------

QByteArray exportBytes(const TAPult &config, const TSlotValidity &valid)
{
    auto list = BuildExportList(config, valid, QTime(13, 45, 30, 250));
    TWriter writer;
    list->WriteData(writer);
    return writer.Data();
}

void exportSeeds()
{
    const auto valid = [](int slot) { return (slot >= 0 && slot <= 6) || slot == 16; };
    auto config = fixture::BuildFixture();
    seed("exportfile", QStringLiteral("fixture.cfn"), exportBytes(*config, valid));
    // Boards with record classes of their own and texts longer than 255 characters.
    config->SlotyDosiek[5] = {QStringLiteral("TKamera"), 42};
    config->SlotyDosiek[16] = {QStringLiteral("TISDN"), 48};
    TPult &p0 = *config->Pulty[0];
    p0.Klavesy[11] = fixture::BoundKey(QStringLiteral("Výpravca"), 3, 2, 255, 16, 7);
    p0.Klavesy[12] = fixture::BoundKey(QStringLiteral("Dlhý názov ") + QString(289, u'x'), 2, 0, 255, 0, 8);
    p0.Klavesy[13] = fixture::BoundKey(QStringLiteral("Kamera 1"), 5, 1, 255, 42, 9);
    p0.Klavesy[14] = fixture::BoundKey(QStringLiteral("Rozšírenie"), 16, 3, 255, 48, 10);
    seed("exportfile", QStringLiteral("boards.cfn"), exportBytes(*config, valid));
    seed("exportfile", QStringLiteral("version-only.cfn"), exportBytes(TAPult(), [](int) { return false; }));
    seed("exportfile", QStringLiteral("empty.cfn"), QByteArray("TPF0\x01\x00", 6));
}

// ---- network files -------------------------------------------------------------------------

void netfilesSeeds()
{
    const QByteArray boards("\x00\x00\x47\x00\x10\x00\x90\x00\x20\x00\xFF\x00\x30\xFE\xA0\x00", 16);
    seed("netfiles", QStringLiteral("boards"), QByteArray(1, char(0)) + boards);
    seed("netfiles", QStringLiteral("boards-13-slots"), QByteArray(1, char(2)) + boards);
    seed("netfiles", QStringLiteral("boards-odd"), QByteArray(1, char(0)) + boards.left(7));
    seed("netfiles", QStringLiteral("boards-doubled"), QByteArray(1, char(0)) + boards + boards.left(4));
    const auto cfg = fixture::BuildFixture();
    TSystemImage image;
    image.ConsoleType(0) = 1;
    image.ConsoleType(1) = 2;
    for (int k = 0; k < KeyCount; ++k)
        if (const TKlavesa *key = cfg->Pulty[1]->Klavesy[k].get())
            image.SetKeyName(k, key->MenoKlavesy.toLatin1());
    const QByteArray one = image.ToBytes();
    seed("netfiles", QStringLiteral("tables-1"), QByteArray(1, char(3)) + netfiles::BuildTablesFile({one}));
    seed("netfiles", QStringLiteral("tables-2"), QByteArray(1, char(5)) + netfiles::BuildTablesFile({one, one}));
    seed("netfiles", QStringLiteral("tables-short"), QByteArray(1, char(5)) + netfiles::BuildTablesFile({one}));
}

// ---- FTP replies, the frame log ----------------------------------------------------------------

void ftpReplySeeds()
{
    const QByteArray download = "220 Orva FTP ready\r\n331 Password required\r\n230 Logged in\r\n"
                                "257 \"/\" is the current directory\r\n229 Entering extended passive mode "
                                "(|||40001|)\r\n200 Type set to I\r\n213 46382\r\n150 Opening data connection\r\n"
                                "226 Transfer complete\r\n221 Goodbye\r\n";
    seed("ftpreplies", QStringLiteral("download"), QByteArray(2, char(0)) + download);
    seed("ftpreplies", QStringLiteral("unsupported"),
         QByteArray(2, char(0)) + "220 ready\r\n230 ok\r\n502 STOR not implemented\r\n221 bye\r\n");
    seed("ftpreplies", QStringLiteral("multi-line"),
         QByteArray(2, char(0)) + "211-Features:\r\n MDTM\r\n SIZE\r\n211 End\r\n504 no\r\n");
    seed("ftpreplies", QStringLiteral("pieces"), QByteArray("\x01\x06", 2) + download);
}

// Layout of the frame-log harness: flags (bit 0 sent, bits 1-3 phase), step, frame.
void frameLogSeeds(const ReadRecording &read)
{
    int n = 0;
    for (const Answer &a : read.answers)
        seed("framelog", QStringLiteral("answer-%1").arg(n++, 2, 10, QLatin1Char('0')),
             QByteArray(1, char(a.kom << 1)) + QByteArray(1, char(a.step)) + a.frame.left(dlg::RequestBufferSize));
    // Requests as they are sent: tables of unused key records, filler, the MSN tail.
    QByteArray records;
    for (int k = 0; k < 256; ++k) {
        QByteArray r(32, char(0xFF));
        r[0] = 0x01;
        r[29] = 0x07;
        records += r;
    }
    seed("framelog", QStringLiteral("key-records"),
         QByteArray("\x09\x03", 2) + Frame(0x85, 0, records.left(200) + records));
    seed("framelog", QStringLiteral("filler"), QByteArray("\x05\x01", 2) + Frame(0x06, 0, QByteArray(256, char(0xFF))));
    QByteArray msn(512, char(0xFF));
    msn.replace(0, 16, QByteArray(16, char(0x12)));
    seed("framelog", QStringLiteral("msn"),
         QByteArray("\x05\x06", 2) + Frame(0x10, 0, QByteArray::fromHex("0000F9000200") + msn));
}

// ---- the write ---------------------------------------------------------------------------------

// Layout of the write harness: setup, system, valid slots, then events.
QByteArray writeHeader(Byte setup, Byte system)
{
    QByteArray h;
    h.append(char(setup));
    h.append(char(system));
    h.append(char(0xFF));
    return h;
}

void writeSeeds()
{
    const Byte twoMech = 0x02 | 0x08;
    const Byte pcAndMech = 0x01 | 0x08;
    const Byte quiet = 0x10;
    const Byte feature15 = 3;
    // Write to system answered throughout by the system (OK to the questions).
    const QByteArray answered(90, char(0));
    seed("write", QStringLiteral("write-two-mechanical"), writeHeader(twoMech | quiet, feature15) + answered);
    seed("write", QStringLiteral("write-side-file-project"),
         writeHeader(twoMech | quiet | 0x80, feature15) + answered);
    seed("write", QStringLiteral("write-pc-console"), writeHeader(pcAndMech | quiet | 0x80, feature15) + answered);
    seed("write", QStringLiteral("write-feature-13-no-phone-book"),
         writeHeader(twoMech | quiet, 1 | 0x04) + answered);
    // Unsaved changes: saved under the current name first.
    seed("write", QStringLiteral("write-after-save"),
         writeHeader(twoMech | quiet | 0x20 | 0x40, feature15 | 0x20) + answered);
    // The consoles asked about (not quiet): each confirmed.
    seed("write", QStringLiteral("write-asking"), writeHeader(twoMech, feature15) + QByteArray(90, char(1)));
    // The erase.
    seed("write", QStringLiteral("erase"), writeHeader(twoMech | quiet, feature15) + QByteArray(1, char(1)) + answered);
    // A board the system reports differently: byte 2 of slot 1's record changed.
    seed("write", QStringLiteral("write-other-board"),
         writeHeader(twoMech | quiet, feature15) + QByteArray(3, char(0)) + "\x03\x00\x0A\x47" + answered);
    // The port fails after the boards were read again.
    seed("write", QStringLiteral("write-port-fails"),
         writeHeader(twoMech | quiet, feature15) + QByteArray(6, char(0)) + "\x06" + answered);
    // A negative acknowledgement of the first table, then Retry.
    seed("write", QStringLiteral("write-refused-table"),
         writeHeader(twoMech | quiet, feature15) + QByteArray(5, char(0)) + "\x04\x02\x01" + answered);
    // Silence at the first console table, the watchdog's box answered OK.
    seed("write", QStringLiteral("write-silence"),
         writeHeader(twoMech | quiet, feature15) + QByteArray(24, char(0)) + "\x05" + answered);
}

// ---- network mode ---------------------------------------------------------------------------------

// Layout of the network-load harness: flags, then the files.
void netLoadSeeds()
{
    TCardSet cards;
    std::unique_ptr<TAPult> config = roundtrip::ConsistentFixture(cards);
    std::unique_ptr<TZoznam> list = Registry::CreateBoardList(QStringLiteral("TZOZ"));
    if (!list) {
        std::fprintf(stderr, "fuzz_seeds: no board-type list\n");
        std::exit(1);
    }
    // osadenie.dat of the fixture's boards.
    QByteArray boards;
    for (int slot = 0; slot < BoardCount; ++slot) {
        const Byte code = fuzz::BoardCode(*list, config->SlotyDosiek[slot].Meno);
        if (code == 0xFF)
            continue;
        boards.append(char((slot % 16) << 4));
        boards.append(char(slot >= 16 ? 0xFE : 0x00));
        boards.append(char(code));
        boards.append(char(0));
    }
    // tabulky.dat of its consoles, both mechanical.
    auto image = std::make_unique<TSystemImage>();
    QList<QByteArray> images;
    for (int n = 0; n < ConsoleCount; ++n) {
        config->Pulty[n]->TypPultu = 2;
        image->ConsoleType(n) = 2;
        image->ScreenCount(n) = config->Pulty[n]->PocetObrazoviek;
    }
    TRecordContext ctx{config, *image, list.get(), cards, QStringLiteral("/opt/kelvara/kelvara")};
    for (int n = 0; n < ConsoleCount; ++n) {
        ModelToImage(ctx, n);
        images.append(image->ToBytes());
    }
    const QByteArray tables = netfiles::BuildTablesFile(images);
    const Byte twoMech = (2 << 2) | (2 << 4);
    seed("netload", QStringLiteral("read"), QByteArray(1, char(0 | twoMech)) + u16(int(boards.size())) + boards + tables);
    seed("netload", QStringLiteral("read-13-slots"),
         QByteArray(1, char(0 | twoMech | 0x80)) + u16(int(boards.size())) + boards + tables);
    seed("netload", QStringLiteral("read-one-console"),
         QByteArray(1, char(0 | (2 << 2) | 0x40)) + u16(int(boards.size())) + boards +
             netfiles::BuildTablesFile({images[0]}));
    seed("netload", QStringLiteral("tables-file"), QByteArray(1, char(1 | twoMech)) + tables);
    seed("netload", QStringLiteral("write-boards"), QByteArray(1, char(2 | twoMech | 0x40)) + boards);
    seed("netload", QStringLiteral("boards-into-project"), QByteArray(1, char(3 | twoMech)) + boards);
}

// The command-sequence harness: one byte a choice; a few fixed runs of them.
void sequenceSeeds()
{
    for (unsigned n = 1; n <= 4; ++n) {
        QByteArray bytes;
        unsigned x = n * 2654435761u;
        for (int i = 0; i < 240; ++i) {
            x = x * 1103515245u + 12345u;
            bytes += char(x >> 16);
        }
        seed("sequence", QStringLiteral("run-%1").arg(n), bytes);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);
    fixture::LoadLanguage();
    projectFiles();
    records();
    const ReadRecording read = recordRead(21);
    images(read);
    dialogueSeeds(read, recordRead(20));
    serialSeeds(read);
    udpSeeds();
    settingsSeeds();
    testFrameSeeds();
    handOverSeeds();
    sideFileSeeds();
    exportSeeds();
    netfilesSeeds();
    ftpReplySeeds();
    frameLogSeeds(read);
    writeSeeds();
    netLoadSeeds();
    sequenceSeeds();
    std::printf("fuzz_seeds: %d seeds in %s\n", written, qPrintable(root));
    return 0;
}
