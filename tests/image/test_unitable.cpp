// Line numbers of bound lines and the UNI table entries of UNI boards.
#include <QtTest>

#include <memory>

#include "cardpack/karty.h"
#include "model/objekty.h"
#include "records/systemimage.h"
#include "records/unitable.h"

#include "imagefixture.h"

namespace
{

TPult &console(TAPult &config, int c)
{
    if (!config.Pulty[c])
        config.Pulty[c] = std::make_unique<TPult>();
    return *config.Pulty[c];
}

TKlavesa &key(TAPult &config, int c, int k, Byte numlin = 99)
{
    auto &place = console(config, c).Klavesy[k];
    if (!place)
        place = std::make_unique<TKlavesa>();
    place->NumLin = numlin;
    return *place;
}

TLinka &line(TAPult &config, int c, int slot, int l, Byte klavesa)
{
    TPult &p = console(config, c);
    if (!p.Dosky[slot])
        p.Dosky[slot] = std::make_unique<TDoska>();
    TDoska &board = *p.Dosky[slot];
    board.PocetLiniek = std::max<Byte>(board.PocetLiniek, Byte(l + 1));
    if (!board.Linky[l])
        board.Linky[l] = std::make_unique<TLinka>();
    board.Linky[l]->Klavesa = klavesa;
    return *board.Linky[l];
}

QByteArray uniEntry(const TSystemImage &image, int i)
{
    const auto e = image.UniEntry(i);
    return QByteArray(reinterpret_cast<const char *>(e.data()), img::UniEntrySize);
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace

class TestUniTable : public QObject
{
    Q_OBJECT

    std::unique_ptr<TSystemImage> image;

private slots:
    void init()
    {
        image = std::make_unique<TSystemImage>();
        image->ClearSystemImage();
    }

    void withoutConfigurationNothingChanges()
    {
        TestList list(3, 1);
        const QByteArray before = image->ToBytes();
        BuildUniTable(nullptr, *image, &list);
        QCOMPARE(image->ToBytes(), before);
    }

    void numbersByPosition()
    {
        TAPult config;
        config.TypNumlinov = 0;
        key(config, 0, 7);
        key(config, 0, 3);
        line(config, 0, 4, 2, 7);
        line(config, 0, 4, 0, 3);
        line(config, 0, 9, 1, 255); // unbound: no number, no key
        key(config, 1, 7);
        line(config, 1, 0, 4, 7);
        TZOZ list;
        BuildUniTable(&config, *image, &list);
        QCOMPARE(config.Pulty[0]->Klavesy[7]->NumLin, Byte(22));
        QCOMPARE(config.Pulty[0]->Klavesy[3]->NumLin, Byte(20));
        QCOMPARE(config.Pulty[1]->Klavesy[7]->NumLin, Byte(4));
        // The missing lines below the count are created as unbound lines.
        QVERIFY(config.Pulty[0]->Dosky[4]->Linky[1]);
        QCOMPARE(config.Pulty[0]->Dosky[4]->Linky[1]->Klavesa, Byte(255));
        QCOMPARE(config.Pulty[0]->Dosky[4]->Linky[1]->MenoLinky, NekonfName);
    }

    void runningNumbersAcrossConsoles_data()
    {
        QTest::addColumn<int>("typDosiek");
        QTest::addColumn<int>("shared"); // number of console 1's key 5
        QTest::addColumn<int>("next");   // number of console 1's key 6
        QTest::newRow("one number per line") << 1 << 1 << 2;
        QTest::newRow("numbers per console") << 0 << 2 << 3;
    }

    void runningNumbersAcrossConsoles()
    {
        QFETCH(int, typDosiek);
        QFETCH(int, shared);
        QFETCH(int, next);
        TAPult config;
        config.TypNumlinov = 1;
        config.TypDosiek = typDosiek;
        for (int k : {0, 1})
            key(config, 0, k);
        for (int k : {5, 6})
            key(config, 1, k);
        line(config, 0, 3, 0, 0);
        line(config, 0, 3, 1, 255);
        line(config, 0, 3, 2, 1);
        line(config, 1, 3, 2, 5);
        line(config, 1, 7, 0, 6);
        TZOZ list;
        BuildUniTable(&config, *image, &list);
        QCOMPARE(config.Pulty[0]->Klavesy[0]->NumLin, Byte(0));
        QCOMPARE(config.Pulty[0]->Klavesy[1]->NumLin, Byte(1));
        QCOMPARE(config.Pulty[1]->Klavesy[5]->NumLin, Byte(shared));
        QCOMPARE(config.Pulty[1]->Klavesy[6]->NumLin, Byte(next));
    }

    void extendedLinesShareTheLinesNumber()
    {
        TAPult config;
        config.TypNumlinov = 1;
        for (int k : {10, 11, 12})
            key(config, 0, k);
        key(config, 0, 13);
        line(config, 0, 2, 0, 13);
        TLinka &carrier = line(config, 0, 2, 1, 253);
        carrier.PocetRLiniek = 3;
        for (int r : {0, 2, 3}) {
            carrier.RLinky[r] = std::make_unique<TRLinka>();
            carrier.RLinky[r]->Klavesa = Byte(r == 0 ? 10 : r == 2 ? 11 : 12);
        }
        TZOZ list;
        BuildUniTable(&config, *image, &list);
        QCOMPARE(config.Pulty[0]->Klavesy[13]->NumLin, Byte(0));
        QCOMPARE(config.Pulty[0]->Klavesy[10]->NumLin, Byte(1));
        QCOMPARE(config.Pulty[0]->Klavesy[11]->NumLin, Byte(1));
        // Place 3 lies past the places in use.
        QCOMPARE(config.Pulty[0]->Klavesy[12]->NumLin, Byte(99));
    }

    void missingKeysAreSkipped()
    {
        TAPult config;
        config.TypNumlinov = 1;
        line(config, 0, 1, 0, 50);
        key(config, 0, 51);
        line(config, 0, 1, 1, 51);
        TZOZ list;
        BuildUniTable(&config, *image, &list);
        QVERIFY(!config.Pulty[0]->Klavesy[50]);
        QCOMPARE(config.Pulty[0]->Klavesy[51]->NumLin, Byte(1));
    }

    void uniEntriesOfUniBoards_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<bool>("entries");
        QTest::newRow("list with UNI entries") << 3 << true;
        QTest::newRow("package list") << 1 << false;
        QTest::newRow("no list") << -1 << false;
    }

    void uniEntriesOfUniBoards()
    {
        QFETCH(int, listType);
        QFETCH(bool, entries);
        TAPult config;
        config.TypNumlinov = 1;
        config.TypDosiek = 1;
        config.SlotyDosiek[2].Kod = 57;
        config.SlotyDosiek[18].Kod = 56;
        key(config, 0, 4);
        key(config, 1, 8);
        line(config, 0, 2, 0, 255);
        line(config, 0, 18, 0, 255);
        line(config, 0, 18, 1, 4);
        console(config, 0).Dosky[18]->PocetLiniek = 3; // line 2 missing
        line(config, 1, 18, 0, 8);
        TestList list(Byte(std::max(listType, 0)), 1);
        BuildUniTable(&config, *image, listType < 0 ? nullptr : &list);

        QCOMPARE(config.Pulty[0]->Klavesy[4]->NumLin, Byte(2));
        QCOMPARE(config.Pulty[1]->Klavesy[8]->NumLin, Byte(1));
        if (!entries) {
            for (int i = 0; i < img::UniCount; ++i)
                QCOMPARE(uniEntry(*image, i), QByteArray(8, char(0xFF)));
            return;
        }
        QCOMPARE(uniEntry(*image, 0), bytes({0, 6, 57, 255, 0x20, 0, 254, 255}));
        // Bound in console 1 as well.
        QCOMPARE(uniEntry(*image, 1), bytes({1, 6, 56, 254, 0x20, 0, 255, 255}));
        // A line bound in console 0 writes no entry.
        QCOMPARE(uniEntry(*image, 2), QByteArray(8, char(0xFF)));
        QCOMPARE(uniEntry(*image, 3), bytes({3, 6, 56, 254, 0x20, 2, 254, 255}));
        QCOMPARE(uniEntry(*image, 4), QByteArray(8, char(0xFF)));
    }

    void numbersPastTheTableWriteNoEntry()
    {
        TAPult config;
        config.TypNumlinov = 1;
        for (int s : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 16, 29}) {
            config.SlotyDosiek[s].Kod = 56;
            for (int l = 0; l < 10; ++l)
                line(config, 0, s, l, 255);
        }
        TestList list(3, 1);
        BuildUniTable(&config, *image, &list);
        QCOMPARE(uniEntry(*image, 129), bytes({129, 6, 56, 255, 0xC0, 9, 254, 255}));
        QCOMPARE(uniEntry(*image, 0), bytes({0, 6, 56, 255, 0x00, 0, 254, 255}));
        for (int i = 0; i < img::UniCount; ++i)
            QCOMPARE(int(image->UniEntry(i)[img::UeLine]), i);
        // Nothing past the table was touched.
        const QByteArray after = image->ToBytes();
        TSystemImage cleared;
        cleared.ClearSystemImage();
        const QByteArray before = cleared.ToBytes();
        const int end = img::UniOffset + img::UniSize;
        QCOMPARE(after.mid(end), before.mid(end));
        QCOMPARE(after.left(img::UniOffset), before.left(img::UniOffset));
    }

    void slotsPastTheSystemWriteNoEntry()
    {
        TAPult config;
        config.TypNumlinov = 1;
        for (int s : {29, 30, 31}) {
            config.SlotyDosiek[s].Kod = 57;
            line(config, 0, s, 0, 255);
        }
        TestList list(3, 1);
        BuildUniTable(&config, *image, &list);
        for (int i = 0; i < img::UniCount; ++i)
            QCOMPARE(uniEntry(*image, i), QByteArray(8, char(0xFF)));
    }
};

QTEST_GUILESS_MAIN(TestUniTable)
#include "test_unitable.moc"
