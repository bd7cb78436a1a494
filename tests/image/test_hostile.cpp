// Images and configurations with values out of range everywhere: the
// conversions must never read or write past a table or an array (the
// sanitizers watch), and what they build must stay inside the model's bounds.
#include <QRandomGenerator>
#include <QtTest>

#include <memory>

#include "cardpack/karty.h"
#include "model/cardqueries.h"
#include "model/cardset.h"
#include "model/objekty.h"
#include "records/imagetomodel.h"
#include "records/systemimage.h"
#include "records/unitable.h"

#include "imagefixture.h"

namespace
{

// Bytes drawn mostly from the values that matter at the edges.
Byte edgeByte(QRandomGenerator &random)
{
    static const Byte edges[] = {0, 1, 4, 5, 9, 10, 15, 16, 28, 29, 31, 32, 56, 57, 70, 71, 0x80, 129, 130,
                                 148, 160, 170, 223, 224, 241, 249, 250, 252, 253, 254, 255};
    if (random.bounded(3) == 0)
        return Byte(random.bounded(256));
    return edges[random.bounded(int(sizeof edges))];
}

void fillHostile(TSystemImage &image, QRandomGenerator &random)
{
    for (Byte &b : image.Bytes())
        b = edgeByte(random);
}

// Keys, lines and counts pointing anywhere.
void fillHostileModel(TAPult &config, QRandomGenerator &random)
{
    for (auto &slot : config.SlotyDosiek)
        slot.Kod = edgeByte(random);
    for (auto &place : config.Pulty) {
        place = std::make_unique<TPult>();
        for (auto &key : place->Klavesy) {
            key = std::make_unique<TKlavesa>();
            key->NumLin = edgeByte(random);
            key->KodDosky = edgeByte(random);
        }
        for (auto &board : place->Dosky) {
            if (random.bounded(2))
                continue;
            board = std::make_unique<TDoska>();
            board->PocetLiniek = edgeByte(random);
            for (auto &line : board->Linky) {
                if (random.bounded(4) == 0)
                    continue;
                line = std::make_unique<TLinka>();
                line->Klavesa = edgeByte(random);
                line->PocetRLiniek = edgeByte(random);
                for (auto &ext : line->RLinky) {
                    if (random.bounded(3) == 0)
                        continue;
                    ext = std::make_unique<TRLinka>();
                    ext->Klavesa = edgeByte(random);
                }
            }
        }
    }
}

void verifyBounds(const TAPult &config)
{
    for (const auto &pult : config.Pulty) {
        if (!pult)
            continue;
        for (const auto &key : pult->Klavesy) {
            QVERIFY(key);
            QVERIFY(key->HWPozicDosky < BoardCount || key->HWPozicDosky == 255);
            QVERIFY(key->PozicLinky < LineCount || key->PozicLinky == 255);
            QVERIFY(key->PozicRLinky < ExtLineCount || key->PozicRLinky == 255);
        }
        for (const auto &board : pult->Dosky) {
            if (!board)
                continue;
            QVERIFY(board->PocetLiniek <= LineCount);
            for (const auto &line : board->Linky) {
                if (!line)
                    continue;
                QVERIFY(line->PocetRLiniek <= ExtLineCount);
                QVERIFY(line->Klavesa < KeyCount || line->Klavesa == 255);
                for (const auto &ext : line->RLinky)
                    if (ext)
                        QVERIFY(ext->Klavesa < KeyCount || ext->Klavesa == 255);
            }
        }
    }
}

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LoadShippedLanguage(); }

    void hostileImages_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<int>("numlin");
        QTest::addColumn<bool>("fromSystem");
        QTest::addColumn<bool>("presetSlots");
        QTest::newRow("package list, from system") << 1 << 1 << true << false;
        QTest::newRow("package list, from a record") << 1 << 1 << false << true;
        QTest::newRow("by position, from system") << 1 << 0 << true << true;
        QTest::newRow("by position, no extension slots") << 0 << 0 << false << false;
        QTest::newRow("all flags") << 7 << 1 << true << true;
    }

    void hostileImages()
    {
        QFETCH(int, listType);
        QFETCH(int, numlin);
        QFETCH(bool, fromSystem);
        QFETCH(bool, presetSlots);
        TestList list{Byte(listType), Byte(numlin)};
        for (quint32 seed = 1; seed <= 12; ++seed) {
            QRandomGenerator random(seed * 7919u + quint32(listType * 31 + numlin));
            auto image = std::make_unique<TSystemImage>();
            fillHostile(*image, random);
            std::unique_ptr<TAPult> config;
            TCardSet cards;
            if (presetSlots) {
                config = std::make_unique<TAPult>();
                const char *names[] = {"TUL10", "T4W5", "TE1"};
                for (int s = 0; s < BoardCount; ++s) {
                    config->SlotyDosiek[s].Kod = edgeByte(random);
                    if (random.bounded(2) == 0)
                        continue;
                    const QString name = QString::fromLatin1(names[random.bounded(3)]);
                    config->SlotyDosiek[s].Meno = name;
                    cards.CreateCardByName(name, s);
                    if (TCardOld *card = cards.CardOfSlot(s))
                        for (int l = 0; l < 10; ++l)
                            card->SetNameLin(Byte(l), QStringLiteral("MD MM HLS MB")
                                                          .split(QLatin1Char(' '))
                                                          .value(random.bounded(4)));
                }
            }
            RecordingLog log;
            for (int console = 0; console < ConsoleCount; ++console) {
                TAPult *raw = config.release();
                TImageToModelContext context{raw, *image, list, cards, log, true, QString()};
                int count = 0;
                ImageToModel(context, console, fromSystem, count);
                config.reset(raw);
                QVERIFY(count >= 0 && count <= 192);
                QVERIFY(log.boxes.empty());
                QVERIFY(config);
                verifyBounds(*config);
                BuildUniTable(config.get(), *image, &list);
                verifyBounds(*config);
                // Fresh hostile tables for the second console.
                fillHostile(*image, random);
            }
        }
    }

    void hostileModels_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<int>("typNumlinov");
        QTest::addColumn<int>("typDosiek");
        QTest::newRow("running numbers, shared") << 3 << 1 << 1;
        QTest::newRow("running numbers") << 2 << 1 << 0;
        QTest::newRow("by position") << 3 << 0 << 1;
    }

    void hostileModels()
    {
        QFETCH(int, listType);
        QFETCH(int, typNumlinov);
        QFETCH(int, typDosiek);
        TestList list{Byte(listType), Byte(typNumlinov)};
        for (quint32 seed = 1; seed <= 20; ++seed) {
            QRandomGenerator random(seed);
            TAPult config;
            config.TypNumlinov = typNumlinov;
            config.TypDosiek = typDosiek;
            fillHostileModel(config, random);
            auto image = std::make_unique<TSystemImage>();
            image->ClearSystemImage();
            BuildUniTable(&config, *image, &list);
            for (int i = 0; i < img::UniCount; ++i) {
                const auto e = image->UniEntry(i);
                QVERIFY(e[img::UeLine] == 0xFF || e[img::UeLine] == i);
                if (e[img::UeLine] != 0xFF)
                    QVERIFY(IsUniBoardCode(e[img::UeBoardCode]));
            }
        }
    }

    void hostileQueries()
    {
        TCardSet cards;
        QVERIFY(cards.CreateCardByName(QStringLiteral("TUL10"), 0));
        QVERIFY(cards.CreateCardByName(QStringLiteral("T4W5"), 1));
        for (int slot : {-1, 0, 1, 2, 31, 32, 255, 1000})
            for (int line : {0, 4, 9, 10, 254, 255})
                for (int type : {0, 6, 7, 11, 12, 254, 255})
                    QVERIFY(CardTemplateQuery(cards, slot, Byte(line), Byte(type)) <= 28);
        TAPult config;
        for (int code : {-1, 0, 255, 256, 0x7FFFFFFF}) {
            StorePairValue(&config, code, 7);
            QCOMPARE(FindPairValue(&config, code), code == 255 ? 7 : 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "test_hostile.moc"
