// Command line, addresses, relay replies, the turning mark and the menu rules,
// without a window.
#include <QtTest>

#include "editing/mainrules.h"
#include "editing/statusrules.h"
#include "model/objekty.h"

using namespace StatusRules;

class TestLifeRules : public QObject
{
    Q_OBJECT

private slots:
    void addresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("canonical");
        QTest::newRow("plain") << "127.0.0.1" << true << "127.0.0.1";
        QTest::newRow("limits") << "0.255.0.255" << true << "0.255.0.255";
        QTest::newRow("leading zeros") << "010.001.000.007" << true << "10.1.0.7";
        QTest::newRow("octal look") << "192.168.010.08" << true << "192.168.10.8";
        QTest::newRow("all zeros") << "000.00.0.000" << true << "0.0.0.0";
        QTest::newRow("above 255") << "10.0.256.1" << false << "";
        QTest::newRow("zeros above 255") << "10.0.0256.1" << false << "";
        QTest::newRow("three parts") << "10.0.1" << false << "";
        QTest::newRow("five parts") << "10.0.0.1.5" << false << "";
        QTest::newRow("empty part") << "10..0.1" << false << "";
        QTest::newRow("empty last") << "10.0.0." << false << "";
        QTest::newRow("letter") << "10.0.0.a" << false << "";
        QTest::newRow("sign") << "10.0.+1.1" << false << "";
        QTest::newRow("blank") << "10.0.0.1 " << false << "";
        QTest::newRow("empty") << "" << false << "";
    }
    void addresses()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, canonical);
        QCOMPARE(MainRules::IsValidIPAddress(text), valid);
        QCOMPARE(CanonicalIPv4(text), canonical);
        QCOMPARE(SameIPv4(text, canonical), valid);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("network");
        QTest::addColumn<QStringList>("params");
        QTest::addColumn<QString>("file"); // the start action's file argument
        QTest::newRow("none") << QStringList{} << false << QStringList{"", "", ""} << "";
        QTest::newRow("-nwnp") << QStringList{"-nwnp"} << false << QStringList{"", "", ""} << "-nwnp";
        QTest::newRow("-i full") << QStringList{"-i", "10.0.0.7", "user", "pass", "x"} << true
                                 << QStringList{"10.0.0.7", "user", "pass"} << "x";
        QTest::newRow("-i zeros") << QStringList{"-i", "010.000.000.007", "u", "p", "x"} << true
                                  << QStringList{"10.0.0.7", "u", "p"} << "x";
        QTest::newRow("-i short") << QStringList{"-i", "10.0.0.7", "u", "p"} << false << QStringList{"", "", ""}
                                  << "p";
        QTest::newRow("-i bad part") << QStringList{"-i", "10.0.0.300", "u", "p", "x"} << false
                                     << QStringList{"10.0.0.300", "u", "p"} << "x";
        QTest::newRow("-i three parts") << QStringList{"-i", "10.0.7", "u", "p", "x"} << false
                                        << QStringList{"10.0.7", "u", "p"} << "x";
        QTest::newRow("later -i wins") << QStringList{"-i", "1.1.1.1", "a", "b", "c", "-i", "2.2.2.2", "d", "e", "f"}
                                       << true << QStringList{"2.2.2.2", "d", "e"} << "f";
        QTest::newRow("later bad -i") << QStringList{"-i", "1.1.1.1", "a", "b", "c", "-i", "2.2.2", "d", "e", "f"}
                                      << false << QStringList{"2.2.2", "d", "e"} << "f";
        QTest::newRow("-nwnp and -i") << QStringList{"-nwnp", "-i", "10.0.0.7", "u", "p", "x"} << true
                                      << QStringList{"10.0.0.7", "u", "p"} << "x";
        QTest::newRow("project") << QStringList{"PROJECT"} << false << QStringList{"", "", ""} << "PROJECT";
        QTest::newRow("project first") << QStringList{"PROJECT", "-nwnp"} << false << QStringList{"", "", ""}
                                       << "PROJECT";
        QTest::newRow("-i then project") << QStringList{"-i", "10.0.0.7", "u", "p", "x", "PROJECT"} << true
                                         << QStringList{"10.0.0.7", "u", "p"} << "PROJECT";
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, network);
        QFETCH(QStringList, params);
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString project = dir.filePath("a.kel");
        QFile f(project);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        for (QString &a : args)
            a.replace("PROJECT", project);
        file.replace("PROJECT", project);

        const QStringList full = QStringList{"kelvara"} + args;
        const TCommandLine line = ParseArguments(full);
        QCOMPARE(line.Network, network);
        QCOMPARE(QStringList({line.NetParams[0], line.NetParams[1], line.NetParams[2]}), params);
        QCOMPARE(MainRules::ChooseFileArgument(full, MainRules::FileExists), file);
    }

    void relayReplies_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<QList<int>>("touched");
        QTest::addColumn<int>("done");
        QTest::newRow("6") << 6u << QList<int>{1} << 1;
        QTest::newRow("7") << 7u << QList<int>{1} << 0;
        QTest::newRow("8") << 8u << QList<int>{2, 4} << 1;
        QTest::newRow("9") << 9u << QList<int>{2, 4} << 0;
        QTest::newRow("10") << 10u << QList<int>{} << 0;
        QTest::newRow("11") << 11u << QList<int>{3} << 1;
        QTest::newRow("12") << 12u << QList<int>{3} << 0;
        QTest::newRow("13") << 13u << QList<int>{} << 0;
        QTest::newRow("14") << 14u << QList<int>{1, 4} << 1;
        QTest::newRow("15") << 15u << QList<int>{1, 4} << 0;
        QTest::newRow("16 (command 9 done)") << 16u << QList<int>{8} << 1;
        QTest::newRow("17 (command 9 refused)") << 17u << QList<int>{8} << 0;
        QTest::newRow("0") << 0u << QList<int>{} << 0;
        QTest::newRow("large") << 0xFFFFFFF0u << QList<int>{} << 0;
    }
    void relayReplies()
    {
        QFETCH(uint, code);
        QFETCH(QList<int>, touched);
        QFETCH(int, done);
        TNetSlots s{};
        for (TNetSlot &slot : s)
            slot.Done = 7; // neither answer: shows untouched slots
        QCOMPARE(ApplyRelayReply(s, code), !touched.isEmpty());
        for (int i = 0; i < NetSlotCount; ++i) {
            if (touched.contains(i)) {
                QCOMPARE(int(s[i].Done), done);
                QCOMPARE(s[i].Code, std::int32_t(code));
            } else {
                QCOMPARE(int(s[i].Done), 7);
                QCOMPARE(s[i].Code, -1);
            }
        }
        ResetSlot(s, 4);
        QCOMPARE(int(s[4].Done), 0);
        QCOMPARE(s[4].Code, -1);
        ResetSlot(s, NetSlotCount); // beyond the slots: nothing happens
        ResetSlot(s, -1);
    }

    // FTP events on the fetch and upload slots: 2xx answers done, any other
    // numbered status or an error answers failed, code -1 notes answer nothing,
    // and nothing overwrites an answered slot.
    void ftpEvents_data()
    {
        QTest::addColumn<QStringList>("events"); // "S code" or "E code"
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("code");
        QTest::newRow("download success") << QStringList{"S -1", "S -1", "S 208"} << 1 << 208;
        QTest::newRow("upload success") << QStringList{"S 209"} << 1 << 209;
        QTest::newRow("unsupported") << QStringList{"S 309"} << 0 << 309;
        QTest::newRow("failure") << QStringList{"S -1", "E 109"} << 0 << 109;
        QTest::newRow("error without number") << QStringList{"E -1"} << 0 << 0;
        QTest::newRow("success, then notes and an error") << QStringList{"S 208", "S -1", "E 102", "S 300"} << 1 << 208;
        QTest::newRow("failure, then success") << QStringList{"E 421", "S 209"} << 0 << 421;
        QTest::newRow("notes only") << QStringList{"S -1", "S -1"} << 0 << -1;
    }
    void ftpEvents()
    {
        QFETCH(QStringList, events);
        QFETCH(int, done);
        QFETCH(int, code);
        TNetSlots s{};
        for (const QString &e : events) {
            const int c = e.mid(2).toInt();
            if (e.startsWith(u'S'))
                ApplyFtpStatus(s, c);
            else
                ApplyFtpError(s, c);
        }
        for (int slot : {FetchSlot, UploadSlot}) {
            QCOMPARE(int(s[slot].Done), done);
            QCOMPARE(s[slot].Code, code);
        }
        for (int i : {0, 1, 2, 3, 4, 7, 8, 9, 10})
            QCOMPARE(s[i].Code, -1);
    }

    void datagramText()
    {
        // A text full of format directives stays as it is.
        QCOMPARE(DatagramLogText(3, 8, QStringLiteral("%s%n%d %1 %2")),
                 QStringLiteral(" Pocet prijatych 3 Sprava typ = 8 Msg = %s%n%d %1 %2"));
    }

    void turningMark()
    {
        Byte index = 1;
        QString seen;
        for (int tick = 0; tick < 5; ++tick) {
            seen += CommPanelText(QStringLiteral("T67"), index).right(1);
            index = NextMarkIndex(index);
        }
        QCOMPARE(seen, QStringLiteral("-\\|/-"));
        QCOMPARE(CommPanelText(QStringLiteral("T67"), 1), QStringLiteral("T67-"));
        QCOMPARE(NextMarkIndex(0), Byte(1));
        QCOMPARE(TurningMark(9), QChar(u'-'));
    }

    void menuRules_data()
    {
        QTest::addColumn<bool>("config");
        QTest::addColumn<int>("type0"); // -1: no console object
        QTest::addColumn<int>("type1");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<int>("active");
        // expected: save0 save1 loaded print copy compare pult0 pult1 checked0 checked1
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing") << false << -1 << -1 << false << -1 << "0000000000";
        QTest::newRow("empty config") << true << -1 << -1 << true << -1 << "0000000000";
        QTest::newRow("PC and not connected") << true << 1 << 0 << false << 0 << "1010001010";
        QTest::newRow("PC only") << true << 1 << -1 << false << -1 << "1010101000";
        QTest::newRow("mech and PC") << true << 2 << 1 << false << 1 << "1111101101";
        QTest::newRow("mech and not conn.") << true << 2 << 0 << true << -1 << "1011011000";
        QTest::newRow("both not connected") << true << 0 << 0 << true << -1 << "0010010000";
        QTest::newRow("second only, mech") << true << -1 << 2 << true << 1 << "0111110101";
        QTest::newRow("stored copy, PC PC") << true << 1 << 1 << true << 0 << "1110111110";
    }
    void menuRules()
    {
        QFETCH(bool, config);
        QFETCH(int, type0);
        QFETCH(int, type1);
        QFETCH(bool, stored);
        QFETCH(int, active);
        QFETCH(QString, expected);
        TAPult pult, copy;
        const int types[2] = {type0, type1};
        for (int n = 0; n < 2; ++n)
            if (types[n] >= 0) {
                pult.Pulty[n] = std::make_unique<TPult>();
                pult.Pulty[n]->TypPultu = Byte(types[n]);
            }
        const TMenuStates m =
            MenuStates(MenuInputsFrom(config ? &pult : nullptr, stored ? &copy : nullptr, active));
        QString got;
        for (bool b : {m.SaveAsPC[0], m.SaveAsPC[1], m.Loaded, m.Print, m.CopyConsoles, m.CompareStored, m.Pult[0],
                       m.Pult[1], m.PultChecked[0], m.PultChecked[1]})
            got += b ? u'1' : u'0';
        QCOMPARE(got, expected);
    }

    void names()
    {
        QCOMPARE(ConsoleNumberFromName(QStringLiteral("Pult1")), 1);
        QCOMPARE(ConsoleNumberFromName(QStringLiteral("sbPult0")), 0);
        QCOMPARE(ConsoleNumberFromName(QStringLiteral("Pult")), -1);
        QCOMPARE(ConsoleNumberFromName(QStringLiteral("Tile1")), -1);
        QCOMPARE(PultHint(2, 0, "PC", "Mech"), QStringLiteral("Pult 0 (Mech)"));
        QCOMPARE(PultHint(1, 1, "PC%1", "Mech"), QStringLiteral("Pult 1 (PC%1)"));
        QCOMPARE(PultHint(0, 1, "PC", "Mech"), QStringLiteral("Pult 1"));
    }

    void startActionDue()
    {
        QVERIFY(StartActionDue(false, 0, false, false));
        QVERIFY(!StartActionDue(true, 0, false, false));
        QVERIFY(!StartActionDue(false, 1, false, false));
        QVERIFY(!StartActionDue(false, 11, false, false));
        QVERIFY(!StartActionDue(false, 0, true, false));
        QVERIFY(!StartActionDue(false, 0, false, true));
    }

    void variableViews()
    {
        TAPult pult;
        pult.Pulty[1] = std::make_unique<TPult>();
        pult.Pulty[1]->TypPultu = 2;
        auto d = std::make_unique<TDoska>();
        d->MenoDosky = QStringLiteral("UL%1");
        d->CisloDosky = 3;
        d->PocetLiniek = 1;
        d->Linky[0] = std::make_unique<TLinka>();
        d->Linky[0]->MenoLinky = QStringLiteral("L");
        d->Linky[0]->CisloLinky = 5;
        d->Linky[0]->Klavesa = 12;
        pult.Pulty[1]->Dosky[4] = std::move(d);
        const QStringList boards = ConsoleVariableView(&pult);
        QCOMPARE(boards.value(0), QStringLiteral("Pult0 nie je definovany."));
        QCOMPARE(boards.value(1), QStringLiteral("Pult1 je typu 2:"));
        QCOMPARE(boards.value(2), QStringLiteral("  04. doska je typu UL%1 (3) s poctom liniek 1"));
        QCOMPARE(boards.value(3), QStringLiteral("    00. linka je L (5) na klavese 12"));
        pult.Pulty[1]->Klavesy[7] = std::make_unique<TKlavesa>();
        pult.Pulty[1]->Klavesy[7]->MenoKlavesy = QStringLiteral("K%2");
        const QStringList keys = KeyVariableView(&pult);
        QCOMPARE(keys.value(0), QStringLiteral("Pult1:"));
        QCOMPARE(keys.value(1), QStringLiteral("  000. klavesa nie je definovana."));
        QVERIFY(keys.value(8).startsWith(QStringLiteral("  007 MenoKl=K%2; HintKl=;")));
        QCOMPARE(keys.size(), 1 + 224);
    }
};

QTEST_GUILESS_MAIN(TestLifeRules)
#include "test_rules.moc"
