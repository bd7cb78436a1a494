#include <QTest>

#include "cardpack/karty.h"
#include "cardpack/registry.h"
#include "cardpack/t4w5card.h"
#include "cardpack/te1card.h"
#include "cardpack/ul10card.h"

class TestRegistry : public QObject
{
    Q_OBJECT

private slots:
    void registeredAtLoad();
    void create_data();
    void create();
    void createCard_data();
    void createCard();
    void createBoardList_data();
    void createBoardList();
    void mainWindowLookup_data();
    void mainWindowLookup();
    void countedUnit();
};

namespace
{
const QStringList sixClasses{"TZoznam", "TZOZ", "TCardOld", "TUL10Card", "T4W5Card", "TE1Card"};
}

void TestRegistry::registeredAtLoad()
{
    // Nothing in this test registers: loading the package did.
    QCOMPARE(Registry::RegisteredClasses(), sixClasses);
}

void TestRegistry::create_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isCard");
    QTest::addColumn<bool>("isList");
    QTest::newRow("TZoznam") << "TZoznam" << false << true;
    QTest::newRow("TZOZ") << "TZOZ" << false << true;
    QTest::newRow("TCardOld") << "TCardOld" << true << false;
    QTest::newRow("TUL10Card") << "TUL10Card" << true << false;
    QTest::newRow("T4W5Card") << "T4W5Card" << true << false;
    QTest::newRow("TE1Card") << "TE1Card" << true << false;
}

void TestRegistry::create()
{
    QFETCH(QString, name);
    QFETCH(bool, isCard);
    QFETCH(bool, isList);
    QVERIFY(Registry::IsRegistered(name));
    auto object = Registry::Create(name);
    QVERIFY(object);
    QCOMPARE(object->ClassName(), name);
    QCOMPARE(dynamic_cast<TCardOld *>(object.get()) != nullptr, isCard);
    QCOMPARE(dynamic_cast<TZoznam *>(object.get()) != nullptr, isList);
    // Each name gives exactly its own class, not a relative.
    QCOMPARE(dynamic_cast<TZOZ *>(object.get()) != nullptr, name == "TZOZ");
    QCOMPARE(dynamic_cast<TUL10Card *>(object.get()) != nullptr, name == "TUL10Card");
    QCOMPARE(dynamic_cast<T4W5Card *>(object.get()) != nullptr, name == "T4W5Card");
    QCOMPARE(dynamic_cast<TE1Card *>(object.get()) != nullptr, name == "TE1Card");
}

void TestRegistry::createCard_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cardName");
    QTest::newRow("TCardOld") << "TCardOld"
                              << "Card";
    QTest::newRow("TUL10Card") << "TUL10Card"
                               << "UL10";
    QTest::newRow("T4W5Card") << "T4W5Card"
                              << "4W5";
    QTest::newRow("TE1Card") << "TE1Card"
                             << "E1";
    QTest::newRow("list TZOZ") << "TZOZ"
                               << "";
    QTest::newRow("list TZoznam") << "TZoznam"
                                  << "";
    QTest::newRow("unknown") << "TXYZCard"
                             << "";
    QTest::newRow("lower case") << "tul10card"
                                << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("DF") << "DF"
                        << "";
}

void TestRegistry::createCard()
{
    QFETCH(QString, name);
    QFETCH(QString, cardName);
    auto card = Registry::CreateCard(name);
    QCOMPARE(bool(card), !cardName.isEmpty());
    if (card)
        QCOMPARE(card->GetCardName(), cardName);
}

void TestRegistry::createBoardList_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::newRow("TZOZ") << "TZOZ" << 1;
    QTest::newRow("TZoznam") << "TZoznam" << 0;
    QTest::newRow("card TUL10Card") << "TUL10Card" << -1;
    QTest::newRow("card TCardOld") << "TCardOld" << -1;
    QTest::newRow("card TE1Card") << "TE1Card" << -1;
    QTest::newRow("unknown") << "TZOZZ" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestRegistry::createBoardList()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    auto list = Registry::CreateBoardList(name);
    QCOMPARE(bool(list), type >= 0);
    if (list)
        QCOMPARE(int(list->GetType()), type);
}

void TestRegistry::mainWindowLookup_data()
{
    QTest::addColumn<QString>("boardName");
    QTest::addColumn<QString>("cardName");
    QTest::newRow("UL10") << "UL10"
                          << "UL10";
    QTest::newRow("4W5") << "4W5"
                         << "4W5";
    QTest::newRow("E1") << "E1"
                        << "E1";
    QTest::newRow("slot named ZOZ") << "ZOZ"
                                    << "";
    QTest::newRow("slot named TZOZ") << "TZOZ"
                                     << "";
    QTest::newRow("slot named TZoznam") << "TZoznam"
                                        << "";
    QTest::newRow("slot named DF") << "DF"
                                   << "";
}

void TestRegistry::mainWindowLookup()
{
    // "T" + board name + "Card" first, then the name as it stands.
    QFETCH(QString, boardName);
    QFETCH(QString, cardName);
    auto card = Registry::CreateCard("T" + boardName + "Card");
    if (!card)
        card = Registry::CreateCard(boardName);
    QCOMPARE(bool(card), !cardName.isEmpty());
    if (card)
        QCOMPARE(card->GetCardName(), cardName);
}

void TestRegistry::countedUnit()
{
    // A second start does nothing; its end leaves the classes in place.
    KartyInitialization();
    QCOMPARE(Registry::RegisteredClasses(), sixClasses);
    KartyFinalization();
    QCOMPARE(Registry::RegisteredClasses(), sixClasses);
    // The last end removes all six.
    KartyFinalization();
    QVERIFY(Registry::RegisteredClasses().isEmpty());
    QVERIFY(!Registry::CreateCard(QStringLiteral("TUL10Card")));
    QVERIFY(!Registry::CreateBoardList(QStringLiteral("TZOZ")));
    // An end without a start does nothing, and the count does not go below zero.
    KartyFinalization();
    KartyInitialization();
    QCOMPARE(Registry::RegisteredClasses(), sixClasses);
    QVERIFY(Registry::CreateCard(QStringLiteral("TUL10Card")));
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
