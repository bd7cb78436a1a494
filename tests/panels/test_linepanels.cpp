// Decisions of the card, line and extended-line panels, without a window.
#include <QtTest>

#include "cardpack/karty.h"
#include "cardpack/registry.h"
#include "cardpack/t4w5card.h"
#include "cardpack/ul10card.h"
#include "editing/linepanels.h"
#include "editing/mainrules.h"
#include "model/objekty.h"
#include "tests/fixture/fixture.h"

using namespace LinePanels;

class TestLinePanels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fixture::LoadLanguage(); }

    void slotValidity_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("valid");
        // count 13 (bit 2 clear) and 16 (bit 2 set); upper row by bit 0.
        const struct { int type, slot; bool valid; } rows[] = {
            {0, 0, true},   {0, 12, true},  {0, 13, false}, {0, 15, false}, {0, 16, false}, {0, 28, false},
            {1, 13, false}, {1, 16, true},  {1, 28, true},  {1, 29, false}, {1, 31, false}, {4, 13, true},
            {4, 15, true},  {4, 16, false}, {5, 16, true},  {5, 29, false}, {5, -1, false}, {5, 32, false},
        };
        for (const auto &r : rows)
            QTest::addRow("type %d slot %d", r.type, r.slot) << r.type << r.slot << r.valid;
    }
    void slotValidity()
    {
        QFETCH(int, listType);
        QFETCH(int, slot);
        QFETCH(bool, valid);
        const int count = MainRules::BoardSlotCount(Byte(listType));
        QCOMPARE(count, (listType & 4) ? 16 : 13);
        QCOMPARE(MainRules::IsBoardSlotValid(slot, count, Byte(listType)), valid);
    }

    void grid_data()
    {
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QSize>("size");
        QTest::newRow("9") << 9 << 2 << 5 << QSize(119, 124);
        QTest::newRow("10") << 10 << 2 << 5 << QSize(119, 124);
        QTest::newRow("5") << 5 << 2 << 3 << QSize(119, 84);
        QTest::newRow("4") << 4 << 2 << 2 << QSize(119, 64);
        QTest::newRow("1") << 1 << 1 << 1 << QSize(61, 44);
        QTest::newRow("0") << 0 << 1 << 1 << QSize(61, 44);
    }
    void grid()
    {
        QFETCH(int, cells);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(QSize, size);
        const TGrid g = ExtendedLineGrid(cells);
        QCOMPARE(g.Columns, columns);
        QCOMPARE(g.Rows, rows);
        QCOMPARE(RozFormSize(g), size);
    }

    void packedCodes()
    {
        const std::int32_t code = (10 << 24) | (3 << 16) | (1 << 8) | 4;
        QVERIFY(IsPacked(code));
        QVERIFY(!IsPacked(255));
        const TPacked p = Unpack(code);
        QCOMPARE(int(p.A), 10);
        QCOMPARE(int(p.B), 3);
        QCOMPARE(int(p.C), 1);
        QCOMPARE(int(p.D), 4);
        QCOMPARE(PagePosition(2, p, 1), 18);
        QCOMPARE(PagePosition(1, p, 4), 17);
        QCOMPARE(MainRules::MakeControlName(254, 3, 0, 10), QStringLiteral("spe03000A"));
        QCOMPARE(MainRules::MakeControlName(3, 3, 0, 10), QStringLiteral("b0303000A"));
    }

    void mmLinePlan()
    {
        T4W5Card card;
        card.SetNameLin(0, QStringLiteral("MM"));
        TGrid grid;
        const QList<TRozCell> cells = PlanExtendedLines(card, 0, &grid);
        QCOMPARE(cells.size(), 10);
        QCOMPARE(grid.Columns, 2);
        QCOMPARE(grid.Rows, 5);
        int blanks = 0;
        for (const TRozCell &c : cells) {
            QVERIFY(!c.Packed);
            blanks += c.Blank;
        }
        QCOMPARE(blanks, 1);
        // Column by column: the sixth cell opens column 2.
        QCOMPARE(cells[4].Column, 1);
        QCOMPARE(cells[4].Row, 5);
        QCOMPARE(cells[5].Column, 2);
        QCOMPARE(cells[5].Row, 1);
        QCOMPARE(cells[0].Name, QStringLiteral("Linka/GV"));
        // A line without extended lines has no cells.
        card.SetNameLin(1, QStringLiteral("HLS"));
        QVERIFY(PlanExtendedLines(card, 1).isEmpty());
    }

    void windowPosition()
    {
        const QRect main(100, 50, 800, 600);
        QCOMPARE(RozFormPosition(QPoint(-255, -255), main, 119), QPoint(100 + 800 - 119 - 25, 50 + 73));
        QCOMPARE(RozFormPosition(QPoint(300, 20), main, 119), QPoint(300, 20));
        QCOMPARE(CellRect(2, 3), QRect(59, 41, 53, 20));
    }

    void prefixStripping_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("prefix") << "E0-L3 - MB-0" << "MB-0";
        QTest::newRow("upper row") << "E1-H7 - HLS-2" << "HLS-2";
        QTest::newRow("no prefix") << "MB-0" << "MB-0";
        QTest::newRow("nekonf") << "nekonf" << "nekonf";
        QTest::newRow("other text before separator") << "Abc - MB" << "Abc - MB";
        QTest::newRow("short") << "E0" << "E0";
        QTest::newRow("empty") << "" << "";
    }
    void prefixStripping()
    {
        QFETCH(QString, name);
        QFETCH(QString, stripped);
        QCOMPARE(StripPositionPrefix(name), stripped);
    }

    void boardCodeStoredOnce()
    {
        TAPult config;
        QVERIFY(StoreBoardCode(&config, 148));
        QVERIFY(!StoreBoardCode(&config, 148));
        int n = 0;
        for (const TKodHodnota &e : config.KodHodnota)
            n += e.Kod == 148;
        QCOMPARE(n, 1);
        QCOMPARE(config.KodHodnota[0].Kod, 148);
        // A full table stays as it is.
        for (int i = 0; i < BoardCount; ++i)
            config.KodHodnota[i].Kod = i + 1;
        QVERIFY(!StoreBoardCode(&config, 200));
        QVERIFY(!StoreBoardCode(nullptr, 1));
    }

    void checkedRadio()
    {
        QCOMPARE(CheckedRadio({0, 1, 2, 3, 4, 5, 6}, 3, 7), 3);
        QCOMPARE(CheckedRadio({0, 1, 2, 3, 4, 5, 6}, 40, 7), 6); // clamped
        QCOMPARE(CheckedRadio({0, 2, 5}, 3, 7), 2);             // first after it
        QCOMPARE(CheckedRadio({0, 2}, 4, 7), -1);               // none after it
    }

    // With the panel but nothing checked a free line still gets a type.
    void freeLineWithoutCheckedRadio()
    {
        TUL10Card card;
        TAPult config;
        config.KodHodnota[0] = {card.GetCardNum(0), 2};
        Byte g = 0;
        const QString stored = card.GetTypLinName(2, g);
        QCOMPARE(PanelLineName(&card, &config, card.GetCardNum(0), 4, std::nullopt), stored + QStringLiteral("-4"));
        QCOMPARE(PanelLineName(&card, &config, card.GetCardNum(0), 4, QStringLiteral("MB")), QStringLiteral("MB-4"));
        QCOMPARE(FreeLineName(&card, &config, card.GetCardNum(0), 4, std::nullopt), stored);
    }

    void lineSelectionModel()
    {
        TAPult config;
        config.Pulty[0] = std::make_unique<TPult>();
        config.Pulty[1] = std::make_unique<TPult>();
        TUL10Card card;
        TSelLine sel;
        sel.Index = 2;
        sel.Name = QStringLiteral("nekonf");
        const QStringList captions{QStringLiteral("MB"), QStringLiteral("UB")};
        const TLineAction a = ApplyLineSelection(&config, 0, card, 0, 2, sel, true, captions, 1);
        QCOMPARE(a.Name, QStringLiteral("UB-2"));
        QCOMPARE(card.GetNameLin(2), QStringLiteral("UB-2"));
        for (int c = 0; c < 2; ++c) {
            QVERIFY(config.Pulty[c]->Dosky[0]);
            QCOMPARE(int(config.Pulty[c]->Dosky[0]->PocetLiniek), int(card.LinCount()));
            QVERIFY(config.Pulty[c]->Dosky[0]->Linky[2]);
        }
        QCOMPARE(config.Pulty[0]->Dosky[0]->Linky[2]->MenoLinky, QStringLiteral("E0-L0 - UB-2"));
        QCOMPARE(config.Pulty[1]->Dosky[0]->Linky[2]->MenoLinky, QStringLiteral("nekonf"));
        QVERIFY(a.PanelEnabled);
        QVERIFY(!a.OpenRozForm);

        // A line past the board's array changes nothing and indexes nothing.
        sel.Index = 12;
        const TLineAction b = ApplyLineSelection(&config, 0, card, 0, 12, sel, true, captions, 1);
        QVERIFY(b.PanelEnabled);
        const TLineAction c = ApplyLineSelection(&config, 0, card, 40, 2, sel, true, captions, 1);
        QCOMPARE(c.Name, sel.Name);
    }

    // A selected board exists in every console: a missing one is empty with
    // board code 0, an existing one is left as it is.
    void selectedBoardsCreated()
    {
        TAPult config;
        config.Pulty[0] = std::make_unique<TPult>();
        config.Pulty[1] = std::make_unique<TPult>();
        config.Pulty[0]->Dosky[4] = std::make_unique<TDoska>();
        config.Pulty[0]->Dosky[4]->MenoDosky = QStringLiteral("UL10");
        config.Pulty[0]->Dosky[4]->CisloDosky = 71;
        CreateSelectedBoards(&config, 4);
        QCOMPARE(config.Pulty[0]->Dosky[4]->MenoDosky, QStringLiteral("UL10"));
        QCOMPARE(int(config.Pulty[0]->Dosky[4]->CisloDosky), 71);
        const TDoska *made = config.Pulty[1]->Dosky[4].get();
        QVERIFY(made);
        QVERIFY(made->MenoDosky.isEmpty());
        QCOMPARE(int(made->CisloDosky), 0);
        QCOMPARE(int(made->PocetLiniek), 0);
        // Outside the slots, or without a configuration: nothing, and nothing indexed.
        CreateSelectedBoards(&config, 32);
        CreateSelectedBoards(&config, -1);
        CreateSelectedBoards(nullptr, 4);
        QVERIFY(!config.Pulty[1]->Dosky[5]);
    }

    void boundLineChecksItsRadio()
    {
        TAPult config;
        config.Pulty[0] = std::make_unique<TPult>();
        TUL10Card card;
        auto board = std::make_unique<TDoska>();
        board->Linky[1] = std::make_unique<TLinka>();
        board->Linky[1]->Klavesa = 7;
        board->Linky[1]->MenoLinky = QStringLiteral("E0-L0 - UB-1");
        board->Linky[1]->CisloLinky = card.GetTypLinNum(QStringLiteral("UB"));
        config.Pulty[0]->Dosky[0] = std::move(board);
        TSelLine sel;
        sel.Index = 1;
        sel.Name = QStringLiteral("UB-1");
        sel.Type = card.GetTypLinNum(QStringLiteral("UB"));
        const TLineAction a = ApplyLineSelection(&config, 0, card, 0, 1, sel, true,
                                                 {QStringLiteral("MB"), QStringLiteral("UB")}, 0);
        QCOMPARE(a.CheckRadio, 1);
        QVERIFY(!a.PanelEnabled); // the line is bound
    }

    void rlineEnablingAndSelection()
    {
        TAPult config;
        config.Pulty[0] = std::make_unique<TPult>();
        TPult &p = *config.Pulty[0];
        p.Dosky[1] = std::make_unique<TDoska>();
        p.Dosky[1]->Linky[0] = std::make_unique<TLinka>();
        QVERIFY(RLineButtonEnabled(&p, 1, 0, 3));   // no extended line
        QVERIFY(RLineButtonEnabled(&p, 1, 0, 300)); // no such position
        QVERIFY(RLineButtonEnabled(nullptr, 1, 0, 3));
        TSelRLine r;
        r.Name = QStringLiteral("Disp. 3");
        r.Position = 3;
        QVERIFY(ApplyRLineSelection(&config, 0, 1, 0, r));
        TRLinka *rl = RLine(&p, 1, 0, 3);
        QVERIFY(rl);
        QCOMPARE(rl->MenoRLinky, QStringLiteral("Disp. 3"));
        QCOMPARE(int(rl->Klavesa), 255);
        // The extended line bound to key 9 that names it back.
        rl->Klavesa = 9;
        p.Klavesy[9] = std::make_unique<TKlavesa>();
        p.Klavesy[9]->MenoLinky = r.Name;
        p.Klavesy[9]->TypLinky = 3;
        p.Klavesy[9]->PozicRLinky = 3;
        QVERIFY(!RLineButtonEnabled(&p, 1, 0, 3));
        QVERIFY(!ApplyRLineSelection(&config, 0, 1, 0, r));
        r.Position = 255;
        QVERIFY(ApplyRLineSelection(&config, 0, 1, 0, r)); // nothing past the array
    }

    void queriesOutsideArrays()
    {
        TAPult config;
        config.Pulty[0] = std::make_unique<TPult>();
        QVERIFY(!Line(config.Pulty[0].get(), 40, 0));
        QVERIFY(!Line(config.Pulty[0].get(), 0, 12));
        QVERIFY(!RLine(config.Pulty[0].get(), 0, 0, 250));
        QVERIFY(!Console(&config, 2));
        QVERIFY(!LineIsAssigned(&config, -1, 0));
        QCOMPARE(LineName(config.Pulty[0].get(), 33, 0, true), QString());
        QCOMPARE(CardTypeName(&config, 35, true), QString());
        QCOMPARE(int(CardLineTypeNumber(nullptr, 0)), 255);
        QCOMPARE(int(ExtendedLineValue(nullptr, 0, 5)), 255);
        config.SlotyDosiek[3].Meno = QStringLiteral("TUL10Card");
        QCOMPARE(CardTypeName(&config, 3, true), QStringLiteral("UL10"));
        QCOMPARE(CardTypeName(&config, 3, false), QString());
        QCOMPARE(NumberAfter(QStringLiteral("card12"), QStringLiteral("card")), 12);
        QCOMPARE(NumberAfter(QStringLiteral("cardx"), QStringLiteral("card")), -1);
        QCOMPARE(int(ConsoleNumberFromCaption(QStringLiteral("Pult1"))), 1);
        QCOMPARE(int(ConsoleNumberFromCaption(QString())), 255);
    }

    void imageLineNames()
    {
        T4W5Card card;
        card.SetNameLin(0, QStringLiteral("MM"));
        QCOMPARE(ImageLineNameSplit(&card, 0, 0, 0), QStringLiteral("Linka/GV"));
        QCOMPARE(ImageLineNameSplit(&card, 1, 200, 0), QStringLiteral("HLS-1"));
        QCOMPARE(CardLineText(&card, 0), QStringLiteral("MM"));
    }
};

QTEST_GUILESS_MAIN(TestLinePanels)
#include "test_linepanels.moc"
