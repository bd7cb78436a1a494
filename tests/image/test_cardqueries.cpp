// The board-code value table and the key code a card gives a line type.
#include <QtTest>

#include <memory>

#include "cardpack/t4w5card.h"
#include "cardpack/ul10card.h"
#include "model/cardqueries.h"
#include "model/cardset.h"
#include "model/objekty.h"

namespace
{

// A card class the package does not know: the query must still leave it as found.
class UnregisteredCard : public TUL10Card
{
public:
    QString ClassName() const override { return QStringLiteral("TUnregisteredCard"); }
};

} // namespace

class TestCardQueries : public QObject
{
    Q_OBJECT

private slots:
    void pairValues_data()
    {
        QTest::addColumn<QList<int>>("codes"); // Kod of the first entries, the rest free
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("found");
        QTest::newRow("absent") << QList<int>{71, 148} << QList<int>{3, 4} << 160 << 0;
        QTest::newRow("present") << QList<int>{71, 148} << QList<int>{3, 4} << 148 << 4;
        QTest::newRow("last of two") << QList<int>{71, 148, 71} << QList<int>{3, 4, 9} << 71 << 9;
        QTest::newRow("free entries' value") << QList<int>{} << QList<int>{} << 255 << 0;
    }

    void pairValues()
    {
        QFETCH(QList<int>, codes);
        QFETCH(QList<int>, values);
        QFETCH(int, code);
        QFETCH(int, found);
        TAPult config;
        for (int i = 0; i < codes.size(); ++i)
            config.KodHodnota[i] = {codes[i], values[i]};
        QCOMPARE(FindPairValue(&config, code), found);

        const auto before = config.KodHodnota;
        StorePairValue(&config, code, 42);
        for (int i = 0; i < BoardCount; ++i) {
            const bool match = before[i].Kod == code;
            QCOMPARE(config.KodHodnota[i].Kod, before[i].Kod);
            QCOMPARE(config.KodHodnota[i].Hodnota, match ? 42 : before[i].Hodnota);
        }
        const bool any = std::any_of(before.begin(), before.end(), [&](const TKodHodnota &e) { return e.Kod == code; });
        QCOMPARE(FindPairValue(&config, code), any ? 42 : 0);
    }

    void pairValuesWithoutConfiguration()
    {
        QCOMPARE(FindPairValue(nullptr, 71), 0);
        StorePairValue(nullptr, 71, 5); // nothing to change, nothing to crash
    }

    void templateQuery_data()
    {
        QTest::addColumn<QString>("card");   // class name created in slot 3
        QTest::addColumn<QString>("current"); // line 2's name before ("-" leaves it unset)
        QTest::addColumn<int>("typeIndex");
        QTest::addColumn<int>("keyCode");
        QTest::newRow("UL10 MB on a KONF line") << "TUL10" << "KONF" << 0 << 2;
        QTest::newRow("UL10 UB") << "TUL10" << "MB" << 1 << 26;
        QTest::newRow("UL10 HTP on a fresh line") << "TUL10" << "-" << 4 << 28;
        QTest::newRow("UL10 unconfigured") << "TUL10" << "AUT" << 255 << 1;
        QTest::newRow("UL10 type out of range") << "TUL10" << "AUT" << 7 << 1;
        QTest::newRow("4W5 MD") << "T4W5" << "HLS" << 1 << 22;
        QTest::newRow("4W5 by type number") << "T4W5" << "-" << 11 << 22;
        QTest::newRow("E1 SL") << "TE1" << "nekonf" << 4 << 22;
    }

    void templateQuery()
    {
        QFETCH(QString, card);
        QFETCH(QString, current);
        QFETCH(int, typeIndex);
        QFETCH(int, keyCode);
        TCardSet cards;
        QVERIFY(cards.CreateCardByName(card, 3));
        TCardOld *c = cards.CardOfSlot(3);
        if (current != QStringLiteral("-"))
            c->SetNameLin(2, current);
        const QString before = c->GetNameLin(2);
        QCOMPARE(CardTemplateQuery(cards, 3, 2, Byte(typeIndex)), Byte(keyCode));
        QCOMPARE(c->GetNameLin(2), before);
        QCOMPARE(c->GetNameLin(1), QString());
    }

    void templateQueryOnAnEmptySlot()
    {
        TCardSet cards;
        QVERIFY(cards.CreateCardByName(QStringLiteral("TUL10"), 4));
        for (int slot : {0, 3, 5, 31, 32, -1, 255})
            QCOMPARE(CardTemplateQuery(cards, slot, 0, 0), Byte(1));
        QCOMPARE(cards.CardOfSlot(4)->GetNameLin(0), QString());
        QCOMPARE(CardTemplateQuery(nullptr, 0, 0), Byte(1));
    }

    void templateQueryOnAnUnregisteredCard()
    {
        UnregisteredCard card;
        card.SetNameLin(2, QStringLiteral("KONF"));
        QCOMPARE(CardTemplateQuery(&card, 2, 4), Byte(28));
        QCOMPARE(card.GetNameLin(2), QStringLiteral("KONF"));
    }

    void lineTypeCheck_data()
    {
        QTest::addColumn<QString>("card");
        QTest::addColumn<QString>("current"); // "-" leaves the line unset
        QTest::addColumn<int>("stored");      // type index stored for the card's code, -1 no configuration
        QTest::addColumn<QString>("caption"); // "-" no line-type panel
        QTest::addColumn<QString>("named");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("stored type") << "TUL10" << "nekonf" << 1 << "-" << "UB" << true;
        QTest::newRow("panel caption") << "TUL10" << "nekonf" << 1 << "MB" << "MB-3" << true;
        QTest::newRow("no configuration") << "TUL10" << "nekonf" << -1 << "-" << "MB" << true;
        QTest::newRow("typed line kept") << "TUL10" << "KONF" << 1 << "MB" << "KONF" << true;
        QTest::newRow("line without a name") << "TUL10" << "-" << 1 << "MB" << "" << true;
        QTest::newRow("extended-line carrier") << "T4W5" << "nekonf" << 1 << "-" << "MD" << false;
        QTest::newRow("carrier already typed") << "T4W5" << "MM" << 0 << "HLS" << "MM" << false;
        QTest::newRow("plain 4W5 line") << "T4W5" << "nekonf" << 0 << "-" << "HLS" << true;
    }

    void lineTypeCheck()
    {
        QFETCH(QString, card);
        QFETCH(QString, current);
        QFETCH(int, stored);
        QFETCH(QString, caption);
        QFETCH(QString, named);
        QFETCH(bool, accepted);
        TCardSet cards;
        QVERIFY(cards.CreateCardByName(card, 0));
        TCardOld *c = cards.CardOfSlot(0);
        if (current != QStringLiteral("-"))
            c->SetNameLin(3, current);
        const Byte code = c->GetCardNum(0);
        TAPult config;
        config.KodHodnota[5] = {code, stored};
        const std::optional<QString> panel =
            caption == QStringLiteral("-") ? std::nullopt : std::optional<QString>(caption);
        QCOMPARE(SyncRadioPanel(stored < 0 ? nullptr : &config, c, code, 3, panel), accepted);
        QCOMPARE(c->GetNameLin(3), named);
        QVERIFY(SyncRadioPanel(&config, nullptr, code, 3, panel));
    }

    void cardSetCreatesByName()
    {
        TCardSet cards;
        QVERIFY(cards.CreateCardByName(QStringLiteral("TUL10"), 3));
        QCOMPARE(cards.CardOfSlot(3)->ClassName(), QStringLiteral("TUL10Card"));
        QVERIFY(cards.CreateCardByName(QStringLiteral("T4W5Card"), 3)); // the name as it stands
        QCOMPARE(cards.CardOfSlot(3)->ClassName(), QStringLiteral("T4W5Card"));
        QVERIFY(!cards.CreateCardByName(QStringLiteral("UL10"), 4));
        QVERIFY(!cards.CreateCardByName(QString(), 4));
        QVERIFY(!cards.CardOfSlot(4));
        QVERIFY(!cards.CreateCardByName(QStringLiteral("TUL10"), 32));
        QVERIFY(!cards.CreateCardByName(QStringLiteral("TUL10"), -1));
        QVERIFY(!cards.CreateCardByName(QStringLiteral("TZOZ"), 5));
        QVERIFY(!cards.CardOfSlot(5));
        QVERIFY(cards.BoardList);
        QCOMPARE(cards.BoardList->ClassName(), QStringLiteral("TZOZ"));
        QVERIFY(IsCardClassName(QStringLiteral("TE1")));
        QVERIFY(!IsCardClassName(QStringLiteral("TZOZ")));
        QVERIFY(!IsCardClassName(QStringLiteral("TZoznam")));
        cards.FreeCard(3);
        QVERIFY(!cards.CardOfSlot(3));
    }

    void slotValidity_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<QList<int>>("valid");
        QList<int> thirteen;
        for (int s = 0; s < 13; ++s)
            thirteen << s;
        QList<int> sixteen = thirteen;
        sixteen << 13 << 14 << 15;
        QList<int> extension;
        for (int s = 16; s <= 28; ++s)
            extension << s;
        QTest::newRow("no flags") << 0 << thirteen;
        QTest::newRow("extension slots") << 1 << thirteen + extension;
        QTest::newRow("sixteen slots") << 4 << sixteen;
        QTest::newRow("both") << 5 << sixteen + extension;
    }

    void slotValidity()
    {
        QFETCH(int, listType);
        QFETCH(QList<int>, valid);
        for (int s = -2; s < 260; ++s)
            QCOMPARE(IsBoardSlotValid(s, Byte(listType)), valid.contains(s));
    }
};

QTEST_GUILESS_MAIN(TestCardQueries)
#include "test_cardqueries.moc"
