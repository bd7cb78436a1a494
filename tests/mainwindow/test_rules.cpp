// Decisions of the main window without a window: numbers, names, board slots,
// the card-type menu, log texts.
#include <QtTest>

#include "cardpack/karty.h"
#include "cardpack/registry.h"
#include "editing/mainrules.h"

using namespace MainRules;

namespace {

// A board-type list whose flags and class names a test chooses.
class TFakeList : public TZOZ
{
public:
    explicit TFakeList(Byte type, QHash<int, QString> names = {}) : type_(type), names_(std::move(names)) {}
    Byte GetType() override { return type_; }
    QString Num2Name(Byte code) override
    {
        if (names_.isEmpty())
            return TZOZ::Num2Name(code);
        return names_.value(code);
    }

private:
    Byte type_;
    QHash<int, QString> names_;
};

class TProbeCard : public TCardOld
{
public:
    QString GetCardHelp() override { return QStringLiteral("probe board"); }
};

const TLayoutTexts texts{QStringLiteral("empty slot"), QStringLiteral("row"), QStringLiteral("position")};

} // namespace

class TestRules : public QObject
{
    Q_OBJECT

private slots:
    void numberFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("letters only") << "Pult" << 0;
        QTest::newRow("mixed") << "Pult 12a3" << 123;
        QTest::newRow("leading zeros") << "007" << 7;
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("one beyond") << "2147483648" << 2147483647;
        QTest::newRow("long digit string") << QString(400, u'9') << 2147483647;
        QTest::newRow("minus is not a digit") << "-5" << 5;
    }
    void numberFromText()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(NumberFromText(text), value);
    }

    void isNumberInRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("low");
        QTest::addColumn<qint64>("high");
        QTest::addColumn<bool>("result");
        QTest::newRow("empty") << "" << qint64(0) << qint64(0) << false;
        QTest::newRow("digits, no range") << "123" << qint64(0) << qint64(0) << true;
        QTest::newRow("in range") << "255" << qint64(0) << qint64(255) << true;
        QTest::newRow("above range") << "256" << qint64(0) << qint64(255) << false;
        QTest::newRow("below range") << "3" << qint64(5) << qint64(9) << false;
        QTest::newRow("non digit") << "1a" << qint64(0) << qint64(0) << false;
        QTest::newRow("sign") << "+1" << qint64(0) << qint64(0) << false;
        QTest::newRow("32-bit limit") << "2147483647" << qint64(0) << qint64(0) << true;
        QTest::newRow("beyond 32 bits") << "2147483648" << qint64(0) << qint64(0) << false;
        QTest::newRow("long zeros wrap not") << QString(30, u'0') + "1" << qint64(0) << qint64(255) << true;
        QTest::newRow("long digits") << QString(60, u'9') << qint64(0) << qint64(255) << false;
        QTest::newRow("wraps to small in 64 bits") << "18446744073709551617" << qint64(0) << qint64(255) << false;
    }
    void isNumberInRange()
    {
        QFETCH(QString, text);
        QFETCH(qint64, low);
        QFETCH(qint64, high);
        QFETCH(bool, result);
        QCOMPARE(IsNumberInRange(text, low, high), result);
    }

    void ipAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("loopback") << "127.0.0.1" << true;
        QTest::newRow("part above 255") << "10.0.256.1" << false;
        QTest::newRow("three parts") << "10.0.1" << false;
        QTest::newRow("empty part") << "10..0.1" << false;
        QTest::newRow("fourth holds a dot") << "1.2.3.4.5" << false;
        QTest::newRow("letters") << "a.b.c.d" << false;
    }
    void ipAddress()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(IsValidIPAddress(text), valid);
    }

    void names()
    {
        QCOMPARE(MakeControlName(254, 1, 2, 255), QStringLiteral("spe0102FF"));
        QCOMPARE(MakeControlName(255, 16, 0, 10), QStringLiteral("lab10000A"));
        QCOMPARE(MakeControlName(3, 31, 9, 0), QStringLiteral("b031F0900"));
        QCOMPARE(CaptionForFile(QString(), "Kelvara v. 2.6.0"), QStringLiteral("Kelvara v. 2.6.0"));
        QCOMPARE(CaptionForFile("/home/u/proj/a.orv", "K"), QStringLiteral("a.orv - K"));
        QCOMPARE(FileVersion().count(u'.'), 3);
        QCOMPARE(SlotPosName(0), QStringLiteral("E0-L0"));
        QCOMPARE(SlotPosName(11), QStringLiteral("E0-H3"));
        QCOMPARE(SlotPosName(19), QStringLiteral("E1-L3"));
        QCOMPARE(SlotPosName(31), QStringLiteral("E1-H7"));
        QCOMPARE(ConsoleLabelText(1, "Console", "connected"), QStringLiteral("Console 1 connected"));
    }

    void chooseFileArgument_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("no arguments") << QStringList{"kelvara"} << QString();
        QTest::newRow("one, missing") << QStringList{"kelvara", "c"} << "c";
        QTest::newRow("one, existing") << QStringList{"kelvara", "b"} << "b";
        QTest::newRow("b exists") << QStringList{"kelvara", "a", "b", "c"} << "b";
        QTest::newRow("none exists") << QStringList{"kelvara", "a", "x", "c"} << "c";
    }
    void chooseFileArgument()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, chosen);
        QCOMPARE(ChooseFileArgument(args, [](const QString &s) { return s == QLatin1String("b"); }), chosen);
    }

    void fileExists()
    {
        QTemporaryDir dir;
        QVERIFY(!FileExists(QString()));
        QVERIFY(!FileExists(dir.path()));
        QFile f(dir.filePath("x.orv"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(FileExists(f.fileName()));
        QVERIFY(!FileExists(dir.filePath("y.orv")));
    }

    void slotValidity_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("valid");
        QTest::newRow("13 slots: 12") << 1 << 12 << true;
        QTest::newRow("13 slots: 13") << 1 << 13 << false;
        QTest::newRow("13 slots: 15") << 1 << 15 << false;
        QTest::newRow("bit 0: 16") << 1 << 16 << true;
        QTest::newRow("bit 0: 28") << 1 << 28 << true;
        QTest::newRow("bit 0: 29") << 1 << 29 << false;
        QTest::newRow("no bit 0: 16") << 0 << 16 << false;
        QTest::newRow("16 slots: 15") << 4 << 15 << true;
        QTest::newRow("negative") << 5 << -1 << false;
        QTest::newRow("32") << 5 << 32 << false;
    }
    void slotValidity()
    {
        QFETCH(int, type);
        QFETCH(int, slot);
        QFETCH(bool, valid);
        QCOMPARE(IsBoardSlotValid(slot, BoardSlotCount(Byte(type)), Byte(type)), valid);
    }

    // Captions of row 0 and whether row 1 has panels, by the list's flag bits.
    void layout_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("row0");
        QTest::addColumn<bool>("row1");
        QTest::addColumn<int>("height");
        const QStringList thirteen = QStringList(13, "X") + QStringList{"Reserve", "DF", "DR"};
        const QStringList sixteen = QStringList(16, "X");
        QTest::newRow("0: 13 slots, one row") << 0 << 13 << thirteen << false << 55;
        QTest::newRow("1: 13 slots, two rows") << 1 << 13 << thirteen << true << 86;
        QTest::newRow("4: 16 slots, one row") << 4 << 16 << sixteen << false << 55;
        QTest::newRow("5: 16 slots, two rows") << 5 << 16 << sixteen << true << 86;
    }
    void layout()
    {
        QFETCH(int, type);
        QFETCH(int, count);
        QFETCH(QStringList, row0);
        QFETCH(bool, row1);
        QFETCH(int, height);
        TFakeList list{Byte(type)};
        const TBoardLayout l = LayoutBoardSlots(&list, texts);
        QVERIFY(l.hasList);
        QCOMPARE(l.slotCount, count);
        QCOMPARE(l.cells.size(), 32);
        QStringList captions;
        for (int s = 0; s < 16; ++s) {
            QVERIFY(l.cells[s].panel);
            captions << l.cells[s].caption;
            QCOMPARE(l.cells[s].lowered, s < count);
            QCOMPARE(l.cells[s].geometry, QRect(s * 45 + 25, 20, 45, 30));
            QCOMPARE(l.cells[s].label, s < count);
            QCOMPARE(l.cells[s].hint, s < count ? QStringLiteral("empty slot") : QString());
        }
        QCOMPARE(captions, row0);
        for (int s = 16; s < 32; ++s) {
            const bool expected = row1 && s <= 28;
            QCOMPARE(l.cells[s].panel, expected);
            if (expected) {
                QVERIFY(l.cells[s].lowered);
                QCOMPARE(l.cells[s].caption, QStringLiteral("X"));
                QCOMPARE(l.cells[s].geometry, QRect((s - 16) * 45 + 25, 52, 45, 30));
            }
            QVERIFY(!l.cells[s].label);
        }
        QCOMPARE(l.cardPanelHeight, height);
        QCOMPARE(l.rowLabels.size(), row1 ? 2 : 1);
        QCOMPARE(l.rowLabels[0].text, QStringLiteral("E0"));
        QCOMPARE(l.rowLabels[0].bandTop, 15);
        if (row1) {
            QCOMPARE(l.rowLabels[1].text, QStringLiteral("E1"));
            QCOMPARE(l.rowLabels[1].bandTop, 47);
        }
        QCOMPARE(l.cells[11].labelText, QStringLiteral("H3"));
        QCOMPARE(l.cells[11].labelHint, QStringLiteral("11. position (H3)"));
        QCOMPARE(l.keysPerScreenMech, 112);
        QCOMPARE(l.keysPerScreenPC, 80);
    }

    void layoutWithoutList()
    {
        const TBoardLayout l = LayoutBoardSlots(nullptr, texts);
        QVERIFY(!l.hasList);
        QCOMPARE(l.cells.size(), 32);
        for (const TSlotCell &c : l.cells)
            QVERIFY(!c.panel && !c.label);
        QVERIFY(l.rowLabels.isEmpty());
        QCOMPARE(l.cardPanelHeight, 55);
    }

    void cardMenu()
    {
        QCOMPARE(CardMenuCaption("TUL10Card"), QStringLiteral("UL10"));
        QCOMPARE(CardMenuCaption("TE1Card"), QStringLiteral("E1"));
        QCOMPARE(CardMenuCaption("TFoo"), QStringLiteral("Foo"));

        TFakeList list{1, {{3, "TE1Card"}, {4, "TE1Card"}, {5, "DF"}, {9, "TFoo"}, {200, ""}, {201, "Tx"}}};
        const auto items = CardMenuItems(&list, [](const QString &n) { return "about " + n; }, "none");
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0].className, QStringLiteral("TE1Card"));
        QCOMPARE(items[0].caption, QStringLiteral("E1"));
        QCOMPARE(items[0].hint, QStringLiteral("|about TE1Card"));
        QCOMPARE(items[1].caption, QStringLiteral("Foo"));
        QCOMPARE(items[2].caption, QStringLiteral("x"));

        // The real list names three card classes.
        TZOZ real;
        QStringList captions;
        for (const auto &item : CardMenuItems(&real, CardCaptionByName, "none"))
            captions << item.caption;
        QCOMPARE(captions, (QStringList{"UL10", "4W5", "E1"}));

        const auto empty = CardMenuItems(nullptr, CardCaptionByName, "none");
        QCOMPARE(empty.size(), 1);
        QCOMPARE(empty[0].caption, QStringLiteral("none"));
        QVERIFY(empty[0].className.isEmpty());
    }

    void cardCaptionByName()
    {
        Registry::RegisterClass("TProbeCard", [] { return std::unique_ptr<TPersistent>(new TProbeCard); });
        QCOMPARE(CardCaptionByName("TProbe"), QStringLiteral("probe board"));
        QCOMPARE(CardCaptionByName("TProbeCard"), QStringLiteral("probe board"));
        Registry::UnregisterClass("TProbeCard");
        QVERIFY(CardCaptionByName("TProbe").isEmpty());
        QVERIFY(CardCaptionByName("TZOZ").isEmpty()); // a list is no card
        QVERIFY(CardCaptionByName("UL10").isEmpty());
        QVERIFY(CardCaptionByName(QString()).isEmpty());
    }

    void sizes()
    {
        QVERIFY(SizePresetFits(QSize(1024, 600), QSize(800, 600)));
        QVERIFY(!SizePresetFits(QSize(1024, 600), QSize(1024, 768)));
        QVERIFY(SizePresetFits(QSize(640, 480), QSize(640, 480)));
        QVERIFY(!SizePresetFits(QSize(799, 600), QSize(800, 600)));
        QVERIFY(!NormButtonVisible(491));
        QVERIFY(NormButtonVisible(490));
        QCOMPARE(DraggedLogHeight(100, 500, 480, 30, 300), 120);
        QCOMPARE(DraggedLogHeight(40, 500, 510, 30, 300), -1); // the least height itself is refused
        QCOMPARE(DraggedLogHeight(100, 500, 300, 30, 300), -1);
    }

    void formCanResize_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QSize>("given");
        QTest::newRow("large enough") << QSize(900, 700) << true << QSize(900, 700);
        QTest::newRow("the minimum") << QSize(755, 480) << true << QSize(755, 480);
        QTest::newRow("640 by 480 preset") << QSize(640, 480) << true << QSize(755, 480);
        QTest::newRow("too low") << QSize(800, 300) << true << QSize(800, 480);
        QTest::newRow("default height") << QSize(755, 470) << true << QSize(755, 480);
        QTest::newRow("both too small") << QSize(754, 479) << false << QSize(754, 479);
        QTest::newRow("nothing") << QSize(0, 0) << false << QSize(0, 0);
    }
    void formCanResize()
    {
        QFETCH(QSize, asked);
        QFETCH(bool, allowed);
        QFETCH(QSize, given);
        QSize size = asked;
        QCOMPARE(FormCanResize(size), allowed);
        QCOMPARE(size, given);
    }

    void fitPlacement_data()
    {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("placed");
        QTest::newRow("fits") << QRect(50, 40, 760, 500) << QRect(50, 40, 760, 500);
        QTest::newRow("too narrow") << QRect(10, 10, 300, 600) << QRect(10, 10, 755, 600);
        QTest::newRow("refused keeps the size") << QRect(10, 10, 300, 200) << QRect(10, 10, 755, 470);
        QTest::newRow("larger than the screen") << QRect(0, 0, 3000, 2000) << QRect(0, 0, 1024, 768);
        QTest::newRow("off the right and top") << QRect(2000, -50, 800, 600) << QRect(224, 0, 800, 600);
        QTest::newRow("off the bottom") << QRect(100, 700, 800, 600) << QRect(100, 168, 800, 600);
    }
    void fitPlacement()
    {
        QFETCH(QRect, wanted);
        QFETCH(QRect, placed);
        QCOMPARE(FitPlacement(wanted, QSize(755, 470), QSize(1024, 768)), placed);
    }

    void logTexts()
    {
        const QDateTime t(QDate(2007, 3, 21), QTime(14, 5, 9));
        QCOMPARE(DateText(t), QStringLiteral("21. 03. 2007"));
        QCOMPARE(TimeText(t), QStringLiteral("14:05:09"));
        QCOMPARE(LogFileStamp(t), QStringLiteral("2007-03-21_14-05-09"));
        QCOMPARE(LogEntryLines(1, "bad", TimeText(t), DateText(t)),
                 (QStringList{"14:05:09 21. 03. 2007 ERROR:", "bad", "", ""}));
        QCOMPARE(LogEntryLines(2, "x", "t", "d")[0], QStringLiteral("t d Information:"));
        QCOMPARE(LogEntryLines(0, "x", "t", "d")[0], QStringLiteral("t d WARNING:"));
        QCOMPARE(LogEntryLines(7, "x", "t", "d")[0], QStringLiteral("t d :"));
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "test_rules.moc"
