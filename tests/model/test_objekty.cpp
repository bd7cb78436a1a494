#include <QtTest>

#include "cardpack/karty.h"
#include "cardpack/registry.h"
#include "model/objekty.h"
#include "platform/codepage.h"
#include "tests/fixture/fixture.h"

using fixture::DumpFields;
using fixture::DumpKey;

namespace {

// A console with one key on a board of this code, bound to flag record numLin.
void addKey(TAPult &a, int console, int k, Byte code, Byte numLin)
{
    if (!a.Pulty[console])
        a.Pulty[console] = std::make_unique<TPult>();
    a.Pulty[console]->Klavesy[k] = std::make_unique<TKlavesa>();
    a.Pulty[console]->Klavesy[k]->KodDosky = code;
    a.Pulty[console]->Klavesy[k]->NumLin = numLin;
}

} // namespace

class TestObjekty : public QObject
{
    Q_OBJECT

private slots:
    void resetKey()
    {
        TKlavesa k;
        k.MenoKlavesy = QStringLiteral("x");
        k.HintKlavesy = QStringLiteral("y");
        k.TypLinky = k.KodDosky = k.NumLin = k.Led = 3;
        k.TextColor = 77;
        k.SkratenaVolba.fill(1);
        k.MSNpriznak.fill(1);
        k.MSNcislo.fill(1);
        k.Reset();
        QCOMPARE(DumpKey(k),
                 QStringLiteral("MenoKlavesy=\"\" HintKlavesy=\"\" MenoLinky=\"nekonf\" TypLinky=255 KodDosky=255 "
                                "HWPozicDosky=255 PozicLinky=255 PozicRLinky=255 Led=255 CisloUcastnika=255 "
                                "ObsluhaKlavesy=1 bitovyByte=7 NumLin=255 Volba=160 TextColor=0 SkratenaVolba=")
                     + QString(54, u'F') + QStringLiteral(" MSNpriznak=000000 MSNcislo=") + QString(24, u'F'));
        // A new key is an unconfigured key.
        QCOMPARE(DumpKey(TKlavesa()), DumpKey(k));
        QVERIFY(k.IsUnconfigured());
    }

    void unconfigured()
    {
        TKlavesa k;
        k.MenoLinky.clear();
        QVERIFY(k.IsUnconfigured());
        k.MenoKlavesy = QStringLiteral("name only");
        QVERIFY(k.IsUnconfigured());
        Byte TKlavesa::*fields[] = {&TKlavesa::CisloUcastnika, &TKlavesa::TypLinky, &TKlavesa::KodDosky,
                                    &TKlavesa::HWPozicDosky, &TKlavesa::PozicLinky, &TKlavesa::PozicRLinky};
        for (auto f : fields) {
            TKlavesa c;
            c.*f = 0;
            QVERIFY(!c.IsUnconfigured());
        }
        TKlavesa h;
        h.ObsluhaKlavesy = 2;
        QVERIFY(!h.IsUnconfigured());
        TKlavesa n;
        n.MenoLinky = QStringLiteral("MB");
        QVERIFY(!n.IsUnconfigured());
    }

    void assignAndCopy()
    {
        auto src = fixture::BoundKey(QStringLiteral("Zdroj"), 1, 2, 3, 148, 4);
        src->SkratenaVolba[5] = 0x5F;
        src->MSNcislo[0] = 0x12;
        src->MSNpriznak[2] = 9;
        TKlavesa k;
        k.Assign(src.get());
        QCOMPARE(DumpKey(k), DumpKey(*src));
        k.Assign(nullptr);
        QCOMPARE(DumpKey(k), DumpKey(TKlavesa()));

        std::unique_ptr<TKlavesa> dest;
        src->CopyTo(dest);
        QVERIFY(dest);
        QCOMPARE(DumpKey(*dest), DumpKey(*src));
        TKlavesa *same = dest.get();
        auto other = fixture::BoundKey(QStringLiteral("Iny"), 0, 0, 255, 71, 9);
        other->CopyTo(dest);
        QCOMPARE(dest.get(), same); // an existing key is filled, not replaced
        QCOMPARE(DumpKey(*dest), DumpKey(*other));
    }

    void msn()
    {
        TKlavesa a, b;
        QCOMPARE(a.GetMSNText(), QString());
        a.MSNcislo = {0x12, 0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        QCOMPARE(a.GetMSNText(), QStringLiteral("123"));
        a.MSNcislo[5] = 0xF4; // F is removed wherever it stands
        QCOMPARE(a.GetMSNText(), QStringLiteral("1234"));
        a.MSNpriznak = {1, 2, 3};
        a.MenoKlavesy = QStringLiteral("keeps its own");
        b.AssignMSN(&a);
        QCOMPARE(b.MSNcislo, a.MSNcislo);
        QCOMPARE(b.MSNpriznak, a.MSNpriznak);
        QVERIFY(b.MenoKlavesy.isEmpty());
        b.AssignMSN(nullptr);
        QCOMPARE(b.MSNcislo, a.MSNcislo);
        TKlavesa c;
        a.CopyMSNTo(c);
        QCOMPARE(c.MSNcislo, a.MSNcislo);
        QCOMPARE(c.MSNpriznak, a.MSNpriznak);
        QCOMPARE(c.TypLinky, Byte(255));
    }

    void resetLines()
    {
        TLinka l;
        l.MenoLinky = QStringLiteral("MD");
        l.CisloLinky = l.Klavesa = 4;
        l.PocetRLiniek = 3;
        l.RLinky[0] = std::make_unique<TRLinka>();
        l.Reset();
        QCOMPARE(l.MenoLinky, QStringLiteral("nekonf"));
        QCOMPARE(l.CisloLinky, Byte(255));
        QCOMPARE(l.Klavesa, Byte(255));
        QCOMPARE(l.PocetRLiniek, Byte(0));
        QVERIFY(l.RLinky[0]); // places are kept
        TRLinka r;
        QCOMPARE(r.MenoRLinky, QStringLiteral("nekonf"));
        QCOMPARE(r.CisloRLinky, Byte(255));
        QCOMPARE(r.Klavesa, Byte(255));
        TDoska d;
        d.MenoDosky = QStringLiteral("UL10");
        d.CisloDosky = 71;
        d.PocetLiniek = 10;
        d.Reset();
        QVERIFY(d.MenoDosky.isEmpty());
        QCOMPARE(d.CisloDosky, Byte(255));
        QCOMPARE(d.PocetLiniek, Byte(0));
    }

    void phoneBook()
    {
        TTelZoznam t;
        QVERIFY(t.IsEmpty());
        t.Meno = QStringLiteral("Žilina");
        QVERIFY(t.IsEmpty());
        t.Cislo = QStringLiteral("12p*");
        QVERIFY(!t.IsEmpty());
        QCOMPARE(t.GetPaddedName(), QByteArray("\x8Eilina") + QByteArray(26, char(0xFF)));
        QCOMPARE(t.GetCodedNumber(), QByteArray::fromHex("1f2fcfbf") + QByteArray(28, char(0xFF)));
        t.Meno = QString(40, u'a');
        QCOMPARE(t.GetPaddedName(), QByteArray(40, 'a'));
        t.Cislo = QString(40, u'9');
        QCOMPARE(t.GetCodedNumber(), QByteArray(32, char(0x9F)));
        QCOMPARE(TTelZoznam::EmptyName(), QByteArray(32, char(0xFF)));
        QCOMPARE(TTelZoznam::EmptyNumber(), QByteArray(32, char(0xFF)));
    }

    void freeKeysAndBoards()
    {
        auto a = fixture::BuildFixture();
        TPult &p = *a->Pulty[0];
        p.FreeKeysAndBoards();
        for (const auto &k : p.Klavesy)
            QVERIFY(!k);
        for (const auto &d : p.Dosky)
            QVERIFY(!d);
        QVERIFY(p.TelZoznam[0]);
        QVERIFY(p.TelZoznam[255]);
        QCOMPARE(p.FNGSMR, QStringLiteral("12345678"));
    }

    void createAndClear()
    {
        TAPult a(QStringLiteral("/x/kelvara"));
        QCOMPARE(a.PocetPultov, 0);
        QCOMPARE(a.TypDosiek, 0);
        QCOMPARE(a.CestaProgramu, QStringLiteral("/x/kelvara"));
        for (const auto &s : a.SlotyDosiek) {
            QVERIFY(s.Meno.isEmpty());
            QCOMPARE(s.Kod, Byte(255));
        }
        for (const auto &kh : a.KodHodnota) {
            QCOMPARE(kh.Kod, 255);
            QCOMPARE(kh.Hodnota, 0);
        }
        for (const auto &r : a.TabulkaPriznakov)
            QCOMPARE(r, (TFlagRecord{0, 0, 0, 0, 0, 0}));
        QVERIFY(!a.Pulty[0] && !a.Pulty[1]);

        auto f = fixture::BuildFixture();
        const QString before = DumpFields(*f);
        f->Clear();
        QVERIFY(!f->Pulty[0] && !f->Pulty[1]);
        QCOMPARE(f->PocetPultov, 2);
        QCOMPARE(f->SlotyDosiek[1].Meno, QStringLiteral("T4W5"));
        // The header stays as it was.
        const QString after = DumpFields(*f);
        QCOMPARE(after.section(QStringLiteral("\nPulty[0]"), 0, 0), before.section(QStringLiteral("\nPulty[0]"), 0, 0));
    }

    void assignDeepCopy()
    {
        auto src = fixture::BuildFixture();
        TAPult copy(QStringLiteral("/own/path"));
        copy.TypSystemu = 0;
        copy.Pulty[0] = std::make_unique<TPult>();
        copy.Pulty[0]->FNGSMR = QStringLiteral("old");
        copy.Assign(*src);

        // What is copied...
        QCOMPARE(copy.PocetPultov, 2);
        QCOMPARE(copy.TypNumlinov, 1);
        QCOMPARE(copy.DoskySystemu[1].Kod, Byte(148));
        QCOMPARE(copy.KodHodnota[0].Hodnota, 3);
        QCOMPARE(copy.SlotyDosiek[4].Meno, QStringLiteral("TUB5"));
        for (int p = 0; p < 2; ++p) {
            QCOMPARE(copy.Pulty[p]->TypPultu, src->Pulty[p]->TypPultu);
            QCOMPARE(copy.Pulty[p]->PocetObrazoviek, src->Pulty[p]->PocetObrazoviek);
            for (int k = 0; k < KeyCount; ++k) {
                QCOMPARE(bool(copy.Pulty[p]->Klavesy[k]), bool(src->Pulty[p]->Klavesy[k]));
                if (src->Pulty[p]->Klavesy[k]) {
                    QVERIFY(copy.Pulty[p]->Klavesy[k] != src->Pulty[p]->Klavesy[k]);
                    QCOMPARE(DumpKey(*copy.Pulty[p]->Klavesy[k]), DumpKey(*src->Pulty[p]->Klavesy[k]));
                }
            }
        }
        const QString boards = QStringLiteral(".Dosky[");
        auto boardLines = [&](const TAPult &a) {
            QStringList l = DumpFields(a).split(u'\n');
            l = l.filter(boards);
            return l;
        };
        QCOMPARE(boardLines(copy), boardLines(*src));
        QVERIFY(copy.Pulty[0]->Dosky[1]->Linky[0]->RLinky[1].get() != src->Pulty[0]->Dosky[1]->Linky[0]->RLinky[1].get());

        // ...and what the copy keeps of its own.
        QCOMPARE(copy.CestaProgramu, QStringLiteral("/own/path"));
        QCOMPARE(copy.TypSystemu, Byte(0));
        QCOMPARE(copy.CasUkonceniaVyzvanania, Byte(0));
        QCOMPARE(copy.TabulkaPriznakov[5][1], Byte(0));
        QCOMPARE(copy.Vlastnosti, (std::array<Byte, 5>{}));
        QVERIFY(copy.Pulty[0]->FNGSMR.isEmpty()); // a new console
        for (const auto &t : copy.Pulty[0]->TelZoznam)
            QVERIFY(!t);
        QCOMPARE(copy.Pulty[0]->ReplyField5.Value, 0);

        // A change of the copy leaves the source alone.
        copy.Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("zmena");
        QCOMPARE(src->Pulty[0]->Klavesy[0]->MenoKlavesy, QStringLiteral("Dispečer Ľubo"));
    }

    void assignWithoutConsoles()
    {
        TAPult src;
        src.TypDosiek = 4;
        src.SlotyDosiek[7] = {QStringLiteral("TE1"), 160};
        src.KodHodnota[3] = {160, 2};
        src.DoskySystemu[2] = {QStringLiteral("T4W5"), 145};
        src.Pulty[0] = std::make_unique<TPult>(); // beyond the count: not visited
        TAPult copy;
        copy.Assign(src);
        QCOMPARE(copy.TypDosiek, 4);
        QCOMPARE(copy.SlotyDosiek[7].Kod, Byte(160));
        QCOMPARE(copy.KodHodnota[3].Kod, 160);
        QCOMPARE(copy.DoskySystemu[2].Meno, QStringLiteral("T4W5"));
        QVERIFY(!copy.Pulty[0] && !copy.Pulty[1]);
    }

    void boardHasAssignedLines()
    {
        auto a = fixture::BuildFixture();
        QVERIFY(a->BoardHasAssignedLines(0)); // UL10 line 0 has key 0
        QVERIFY(a->BoardHasAssignedLines(1));
        QVERIFY(!a->BoardHasAssignedLines(2)); // a board without lines
        QVERIFY(!a->BoardHasAssignedLines(3)); // a slot with no board in any console
        QVERIFY(!a->BoardHasAssignedLines(31));

        // Only an extended line carries a key; the line itself is free.
        TAPult b;
        b.PocetPultov = 2;
        b.Pulty[1] = std::make_unique<TPult>();
        b.Pulty[1]->Dosky[5] = std::make_unique<TDoska>();
        TDoska &d = *b.Pulty[1]->Dosky[5];
        d.PocetLiniek = 2;
        d.Linky[1] = std::make_unique<TLinka>();
        d.Linky[1]->PocetRLiniek = 3;
        d.Linky[1]->RLinky[2] = std::make_unique<TRLinka>();
        QVERIFY(!b.BoardHasAssignedLines(5));
        d.Linky[1]->RLinky[2]->Klavesa = 0;
        QVERIFY(b.BoardHasAssignedLines(5));
        // Places beyond the counts are not part of the board.
        d.Linky[1]->PocetRLiniek = 2;
        QVERIFY(!b.BoardHasAssignedLines(5));
        d.Linky[1]->PocetRLiniek = 3;
        b.PocetPultov = 1; // console 1 is not in use
        QVERIFY(!b.BoardHasAssignedLines(5));

        QVERIFY_THROWS_EXCEPTION(std::out_of_range, b.BoardHasAssignedLines(32));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, b.BoardHasAssignedLines(-1));
    }

    void convertBoardCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("converted");
        QTest::newRow("UL10 70") << 70 << 71;
        QTest::newRow("UL10 71") << 71 << 71;
        QTest::newRow("4W5 145 takes the card's 148") << 145 << 148;
        QTest::newRow("4W5 148 stays") << 148 << 148;
        QTest::newRow("4W5 159") << 159 << 148;
        QTest::newRow("E1 161") << 161 << 160;
        QTest::newRow("DF has no card: kept") << 90 << 90;
        QTest::newRow("unknown MB: kept") << 0 << 0;
        QTest::newRow("unknown 176: kept") << 176 << 176;
        QTest::newRow("empty slot") << 255 << 255;
    }

    void convertBoardCodes()
    {
        QFETCH(int, code);
        QFETCH(int, converted);
        TZOZ list;
        TAPult a;
        a.PocetPultov = 2;
        a.SlotyDosiek[6] = {QStringLiteral("T"), Byte(code)};
        for (int p = 0; p < 2; ++p) {
            a.Pulty[p] = std::make_unique<TPult>();
            a.Pulty[p]->Dosky[6] = std::make_unique<TDoska>();
            a.Pulty[p]->Dosky[6]->CisloDosky = Byte(code);
            a.Pulty[p]->Klavesy[3] = std::make_unique<TKlavesa>();
            a.Pulty[p]->Klavesy[3]->HWPozicDosky = 6;
            a.Pulty[p]->Klavesy[3]->KodDosky = Byte(code);
            a.Pulty[p]->Klavesy[4] = std::make_unique<TKlavesa>();
            a.Pulty[p]->Klavesy[4]->KodDosky = 0x12; // no slot: unchanged
        }
        a.ConvertBoardCodes(1, list);
        QCOMPARE(a.TypSystemu, Byte(1));
        QCOMPARE(int(a.SlotyDosiek[6].Kod), converted);
        for (int p = 0; p < 2; ++p) {
            QCOMPARE(int(a.Pulty[p]->Dosky[6]->CisloDosky), converted);
            QCOMPARE(int(a.Pulty[p]->Klavesy[3]->KodDosky), converted);
            QCOMPARE(int(a.Pulty[p]->Klavesy[4]->KodDosky), 0x12);
        }
        QCOMPARE(a.SlotyDosiek[7].Kod, Byte(255));
    }

    void convertBoardCodesOfFixture()
    {
        TZOZ list;
        auto a = fixture::BuildFixture();
        a->ConvertBoardCodes(0, list);
        QCOMPARE(a->TypSystemu, Byte(0));
        const int codes[] = {71, 148, 0, 16, 176};
        for (int s = 0; s < 5; ++s)
            QCOMPARE(int(a->SlotyDosiek[s].Kod), codes[s]);
        QCOMPARE(a->Pulty[1]->Klavesy[100]->KodDosky, Byte(148));
        QCOMPARE(a->Pulty[0]->Klavesy[5]->KodDosky, Byte(255)); // HWPozicDosky 255
        QCOMPARE(a->Pulty[0]->Klavesy[20]->KodDosky, Byte(255));
    }

    void mbubFlag()
    {
        TAPult a;
        a.PocetPultov = 2;
        addKey(a, 0, 0, 0x00, 3);
        addKey(a, 0, 1, 0xB1, 4);
        addKey(a, 1, 0, 0x01, 5);
        addKey(a, 1, 1, 0x40, 6);   // another board kind
        addKey(a, 1, 2, 0xB0, 255); // no line number
        addKey(a, 1, 3, 0xB0, 80);  // beyond the flag table
        addKey(a, 1, 4, 0xB0, 254);
        for (auto &r : a.TabulkaPriznakov)
            r = {0xFF, 0x11, 0x22, 0x33, 0x44, 0x55};
        const auto untouched = TFlagRecord{0xFF, 0x11, 0x22, 0x33, 0x44, 0x55};

        a.SetMBUBFlag(true, 5);
        QCOMPARE(a.CasUkonceniaVyzvanania, Byte(5));
        for (int r : {3, 4, 5})
            QCOMPARE(a.TabulkaPriznakov[r], (TFlagRecord{0x17, 0x11, 0x22, 0x33, 0x44, 0x55}));
        QCOMPARE(a.TabulkaPriznakov[6], untouched);
        QCOMPARE(a.TabulkaPriznakov[79], untouched);
        QVERIFY(a.Pulty[0] && a.Pulty[1]); // nothing beyond the table was written

        Byte v = 0;
        QVERIFY(a.GetMBUBFlag(v, false));
        QCOMPARE(v, Byte(5));
        a.TabulkaPriznakov[3][0] = 0x0B; // 2 in bits 2..7
        QVERIFY(a.GetMBUBFlag(v, true));
        QCOMPARE(v, Byte(2));
        QCOMPARE(a.CasUkonceniaVyzvanania, Byte(2));

        a.SetMBUBFlag(false, 9);
        QCOMPARE(a.CasUkonceniaVyzvanania, Byte(0));
        QCOMPARE(a.TabulkaPriznakov[3][0], Byte(0x03));
        QCOMPARE(a.TabulkaPriznakov[4][0], Byte(0x03));
        QVERIFY(!a.GetMBUBFlag(v, true));
        QCOMPARE(v, Byte(0));

        // No key on such a board: false and the stored value.
        TAPult b;
        addKey(b, 0, 0, 0x40, 1);
        addKey(b, 0, 1, 0x00, 200); // no flag record
        b.CasUkonceniaVyzvanania = 7;
        b.TabulkaPriznakov[1][0] = 0xFC;
        v = 0;
        QVERIFY(!b.GetMBUBFlag(v, true));
        QCOMPARE(v, Byte(7));
        QCOMPARE(b.CasUkonceniaVyzvanania, Byte(7));
    }

    void pr3Flag()
    {
        TAPult a;
        addKey(a, 0, 0, 0x40, 1);
        addKey(a, 0, 1, 0x41, 2);
        addKey(a, 1, 0, 0xF1, 3);
        addKey(a, 1, 1, 0x00, 4);
        addKey(a, 1, 2, 0xF0, 120); // beyond the flag table
        for (auto &r : a.TabulkaPriznakov)
            r[0] = 0x2A;
        a.SetPR3Flag(3);
        QCOMPARE(a.RezimDORST, Byte(3));
        QCOMPARE(a.TabulkaPriznakov[1][0], Byte(0xEA));
        QCOMPARE(a.TabulkaPriznakov[2][0], Byte(0xEA));
        QCOMPARE(a.TabulkaPriznakov[3][0], Byte(0xEA));
        QCOMPARE(a.TabulkaPriznakov[4][0], Byte(0x2A));
        QVERIFY(a.Pulty[0] && a.Pulty[1]);

        QCOMPARE(a.GetF0Flag(false), Byte(3));
        a.RezimDORST = 0;
        a.TabulkaPriznakov[3][0] = 0x6A; // 1 in bits 6..7
        QCOMPARE(a.GetF0Flag(true), Byte(1));
        QCOMPARE(a.RezimDORST, Byte(1));

        // Boards 0x40 and 0x41 are written but not read.
        TAPult b;
        addKey(b, 0, 0, 0x40, 1);
        addKey(b, 0, 1, 0xF0, 90);
        b.TabulkaPriznakov[1][0] = 0xC0;
        b.RezimDORST = 2;
        QCOMPARE(b.GetF0Flag(true), Byte(0));
        QCOMPARE(b.RezimDORST, Byte(2));
    }

    void replaceIfEqual()
    {
        QString s = QStringLiteral("TMB");
        QVERIFY(TAPult::ReplaceIfEqual(s, QStringLiteral("TMB"), QStringLiteral("TMB5")));
        QCOMPARE(s, QStringLiteral("TMB5"));
        QVERIFY(!TAPult::ReplaceIfEqual(s, QStringLiteral("TMB"), QStringLiteral("TMB5")));
        QCOMPARE(s, QStringLiteral("TMB5"));
        s = QStringLiteral("TMB ");
        QVERIFY(!TAPult::ReplaceIfEqual(s, QStringLiteral("TMB"), QStringLiteral("X")));
    }
};

QTEST_GUILESS_MAIN(TestObjekty)
#include "test_objekty.moc"
