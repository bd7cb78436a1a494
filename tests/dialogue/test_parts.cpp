// The pieces of the dialogue that need no link: the frame log, the read
// requests byte for byte and the board check before a write.
#include <QtTest>

#include "dialogue/boardcheck.h"
#include "dialogue/dialogue.h"
#include "dialogue/framelog.h"
#include "dialogue/readrequests.h"
#include "expected.h"
#include "testhost.h"

namespace
{

using Bytes = std::vector<Byte>;

Bytes Of(const QByteArray &a)
{
    return Bytes(a.begin(), a.end());
}

// The request buffer as a builder leaves it: the frame, then zeros.
Bytes Buffer(const QByteArray &frame)
{
    Bytes b(dlg::RequestBufferSize, 0);
    std::copy(frame.begin(), frame.end(), b.begin());
    return b;
}

QStringList Sent(const QByteArray &frame, int kom, int step)
{
    const Bytes b = Buffer(frame);
    return dlg::FrameLogLines(b, dlg::RequestBufferSize - 1, true, int(frame.size()), {kom, step, "12:00:00"});
}

QStringList Received(const QByteArray &frame, int kom, int step)
{
    const Bytes b = Of(frame);
    return dlg::FrameLogLines(b, int(b.size()) - 1, false, int(b.size()), {kom, step, "12:00:00"});
}

} // namespace

class TestParts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(LoadProgramTexts()); }

    void logOfASentRequest()
    {
        QCOMPARE(Sent(Req(0x01, 0), 1, 1),
                 (QStringList{"12:00:00 Citanie z ORVY (Kom=1; ktKrok=1), dlzka=5.", " - poslane nacitanie dosiek",
                              "001 000 000 000 000", "001 000 000 000 000", "", "", ""}));
    }

    void logOfAnAnswerWithAShortRow()
    {
        const QByteArray a = Req(0x00, 0, QByteArray::fromHex("000F00000150"));
        QCOMPARE(Received(a, 1, 0),
                 (QStringList{"12:00:00 Citanie z ORVY (Kom=1; ktKrok=0), dlzka=11.", " - odpoved na test",
                              "000 000 000 000 006", "000 000 000 000 006", "", "000 00F 000 000 001 050",
                              "000 015 000 000 001 080", "", "", ""}));
    }

    void logRowsOfSixteenWithAGapAfterEight()
    {
        QByteArray data;
        for (int i = 1; i <= 17; ++i)
            data.append(char(i));
        const QStringList lines = Received(Req(0x02, 1, data), 1, 2);
        QCOMPARE(lines.mid(5),
                 (QStringList{"001 002 003 004 005 006 007 008  009 00A 00B 00C 00D 00E 00F 010",
                              "001 002 003 004 005 006 007 008  009 010 011 012 013 014 015 016", "", "011", "017",
                              "", "", ""}));
        QCOMPARE(lines[1], QStringLiteral(" - odpoved na nacitanie Klav->Linka"));
    }

    void logOfKeyNamesShowsCharacters()
    {
        QByteArray names(8192, ' ');
        names[0] = 'A';
        names[1] = 'B';
        const QStringList lines = Received(Req(0x81, 0, names), 3, 2);
        QCOMPARE(lines.size(), 2 + 3 + 4 + 2);
        QCOMPARE(lines[5], QStringLiteral("041 042 020 020 020 020 020 020  020 020 020 020 020 020 020 020"));
        QCOMPARE(lines[7], QStringLiteral("'A' 'B' ' ' ' ' ' ' ' ' ' ' ' '  ' ' ' ' ' ' ' ' ' ' ' ' ' ' ' '"));
        QCOMPARE(lines[0], QStringLiteral("12:00:00 Citanie z pultu (Kom=3; ktKrok=2), dlzka=8197."));
    }

    // Names show in the consoles' code page, every byte value its own way.
    void logOfKeyNamesInTheConsoleCodePage()
    {
        QByteArray names(8192, ' ');
        names[0] = char(0x9F);
        names[1] = char(0xE0);
        names[2] = 'z';
        names[3] = char(0xAB);
        const QStringList lines = Received(Req(0x84, 0, names), 4, 2);
        QVERIFY(lines[5].startsWith(QStringLiteral("09F 0E0 07A 0AB 020 ")));
        QVERIFY(lines[6].startsWith(QStringLiteral("159 224 122 171 032 ")));
        QVERIFY2(lines[7].startsWith(QStringLiteral("'č' 'Ó' 'z' 'ź' ' ' ")), qPrintable(lines[7]));
    }

    void logCut_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("sent");
        QTest::addColumn<int>("kom");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("cut");

        QTest::newRow("all 0xFF write: header only") << Req(0x06, 0, QByteArray(256, char(0xFF))) << true << 2 << 1 << 5;
        QTest::newRow("zeros") << Req(0x83, 0, QByteArray(8192, 0)) << false << 3 << 6 << 5;
        QByteArray someData(256, char(0xFF));
        someData[20] = 1;
        QTest::newRow("data then 0xFF") << Req(0x02, 0, someData) << false << 1 << 2 << 37;
        QByteArray tail(256, 7);
        QTest::newRow("no filler") << Req(0x02, 0, tail) << false << 1 << 2 << 261;

        QByteArray records;
        records.append(QByteArray(32, 0x11));
        const QByteArray unused = QByteArray(1, 0x01) + QByteArray(28, char(0xFF)) + QByteArray::fromHex("07FFFF");
        for (int i = 1; i < 256; ++i)
            records.append(unused);
        QTest::newRow("key records keep one unused") << Req(0x82, 0, records) << false << 3 << 3 << 5 + 64;
        QByteArray allUnused;
        for (int i = 0; i < 256; ++i)
            allUnused.append(unused);
        QTest::newRow("key records all unused") << Req(0x85, 0, allUnused) << true << 4 << 3 << 5;
        // A first half whose second half is real data stays.
        QByteArray mixed = records;
        mixed.replace(32 * 255 + 16, 16, QByteArray(16, 0x22));
        QTest::newRow("half record stays") << Req(0x82, 0, mixed) << false << 3 << 3 << 8197;

        const QByteArray msn = QByteArray::fromHex("0000F9000200") + QByteArray(512, char(0xFF));
        QTest::newRow("MSN write") << Req(0x10, 0, msn) << true << 2 << 6 << 21;
        QTest::newRow("MSN table elsewhere") << Req(0x10, 0, msn) << true << 2 << 7 << 523;
    }

    void logCut()
    {
        QFETCH(QByteArray, frame);
        QFETCH(bool, sent);
        QFETCH(int, kom);
        QFETCH(int, step);
        QFETCH(int, cut);
        const Bytes b = sent ? Buffer(frame) : Of(frame);
        const int last = sent ? dlg::RequestBufferSize - 1 : int(b.size()) - 1;
        QCOMPARE(dlg::FrameLogCut(b, last, sent, int(frame.size()), kom, step), cut);
        // The dump shows exactly the bytes before the cut.
        const QStringList lines = dlg::FrameLogLines(b, last, sent, int(frame.size()), {kom, step, "t"});
        int shown = 0;
        const bool names = Byte(frame[0]) == 0x81 || Byte(frame[0]) == 0x84;
        for (int i = 2; i < lines.size(); i += names && i > 2 ? 4 : 3) {
            if (lines[i].isEmpty())
                break;
            shown += int(lines[i].split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
        }
        QCOMPARE(shown, cut);
    }

    void readRequests_data()
    {
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("console");
        QTest::addColumn<QByteArray>("request");
        const QList<std::pair<int, const char *>> system{
            {0, "0000000000"},         {1, "0100000000"},         {2, "02000N0000"},
            {3, "03000N0000"},         {4, "04000N0000"},         {5, "0F000N00060000F7000006"},
            {6, "0F000N00060000F9000200"}, {7, "0F000N00060000F8200036"}, {8, "0F000N00060000E70001E0"},
            {9, "05000N0000"},         {200, "0F000N00060000E0001C00"}};
        for (int n = 0; n < 2; ++n) {
            for (auto [step, hex] : system)
                QTest::addRow("system %d console %d", step, n)
                    << 1 << step << n << QByteArray::fromHex(QByteArray(hex).replace('N', char('0' + n)));
            const char *console[] = {"00", "80", "81", "82", "88", "89", "83"};
            for (int step = 0; step < 7; ++step)
                QTest::addRow("console %d step %d", n, step)
                    << 3 << step << n << QByteArray::fromHex(QByteArray(console[step]) + "000" + char('0' + n) + "0000");
        }
    }

    void readRequests()
    {
        QFETCH(int, phase);
        QFETCH(int, step);
        QFETCH(int, console);
        QFETCH(QByteArray, request);
        std::array<Byte, dlg::RequestBufferSize> buffer{};
        buffer.fill(0x5A);
        const int length = phase == 1 ? dlg::SystemReadRequest(buffer, step, console)
                                      : dlg::ConsoleReadRequest(buffer, step, console);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer.data()), length), request);
    }

    void stepsWithoutARequest()
    {
        std::array<Byte, dlg::RequestBufferSize> buffer{};
        for (int step : {10, 11, 199, 201})
            QCOMPARE(dlg::SystemReadRequest(buffer, step, 0), 0);
        QCOMPARE(dlg::ConsoleReadRequest(buffer, 7, 0), 0);
        QCOMPARE(dlg::StepText(1, 10), QString());
        QCOMPARE(dlg::StepText(4, 6), QStringLiteral(" zapis Tab Symbolov"));
        QCOMPARE(dlg::PhaseTitle(0), QString());
    }

    void errorCodeSuffix()
    {
        QCOMPARE(TDialogue::CodeSuffix(1), QStringLiteral(" (1 [$01H])"));
        QCOMPARE(TDialogue::CodeSuffix(171), QStringLiteral(" (171 [$ABH])"));
    }

    void boardCheck_data()
    {
        QTest::addColumn<QStringList>("project"); // slot:name:code
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<int>("answer");          // the answer to a question, 0 when none is expected
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("boxes");   // language texts that start each box
        QTest::newRow("equal") << QStringList{"0:TUL10:47", "1:T4W5:94"} << QStringList{"0:TUL10:47", "1:T4W5:94"}
                               << 0 << true << QStringList{};
        QTest::newRow("missing, yes") << QStringList{"0:TUL10:47", "2:TE1:A0"} << QStringList{"0:TUL10:47"}
                                      << int(TDialoguePrompt::Yes) << true << QStringList{"136"};
        QTest::newRow("missing, no") << QStringList{"2:TE1:A0"} << QStringList{} << int(TDialoguePrompt::No) << false
                                     << QStringList{"136"};
        QTest::newRow("not a card") << QStringList{"3:DF:5A"} << QStringList{} << 0 << true << QStringList{};
        QTest::newRow("differs and missing") << QStringList{"0:TUL10:47", "2:TE1:A0"} << QStringList{"0:T4W5:94"} << 0
                                             << false << QStringList{"135"};
    }

    void boardCheck()
    {
        QFETCH(QStringList, project);
        QFETCH(QStringList, system);
        QFETCH(int, answer);
        QFETCH(bool, result);
        QFETCH(QStringList, boxes);
        TTestHost host;
        TScriptPrompt prompt;
        TDialogue d(host, prompt);
        TAPult &a = host.CreateModel();
        auto fill = [](std::array<TSlotEntry, BoardCount> &table, const QStringList &list) {
            for (const QString &s : list) {
                const QStringList f = s.split(QLatin1Char(':'));
                table[f[0].toInt()] = {f[1], Byte(f[2].toInt(nullptr, 16))};
            }
        };
        fill(a.SlotyDosiek, project);
        fill(a.DoskySystemu, system);
        if (answer)
            prompt.answers << answer;
        d.OperationMode = opmode::BoardsForWrite;
        QCOMPARE(d.VerifyWrittenTables(), result);
        QCOMPARE(prompt.asked.size(), boxes.size());
        for (int i = 0; i < boxes.size(); ++i)
            QVERIFY(prompt.asked[i].text.startsWith(LoadStrDll(boxes[i].toInt())));
        if (!result) {
            QCOMPARE(d.OperationMode, opmode::Idle);
            QVERIFY(host.model != nullptr);
        }
        if (boxes == QStringList{"135"}) {
            QCOMPARE(host.memo1, QStringList{LinePosName(0) + "[povodna=TUL10, v systeme=T4W5=$94]"});
            QVERIFY(prompt.asked[0].text.contains(LoadStrDll(134) + ": " + LinePosName(0) + "\r\n"));
            QVERIFY(host.log.contains("1: " + prompt.asked[0].text));
        }
        if (boxes == QStringList{"136"}) {
            QVERIFY(prompt.asked[0].text.contains(LinePosName(2)));
            QVERIFY(host.log.last().endsWith(answer == TDialoguePrompt::Yes ? "\r\nmrYes" : "\r\nmrNo"));
        }
    }
};

QTEST_GUILESS_MAIN(TestParts)
#include "test_parts.moc"
