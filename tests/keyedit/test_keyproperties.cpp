#include "editing/keyproperties.h"

#include <QTest>

#include "editing/colorpalette.h"
#include "tests/fixture/fixture.h"
#include "tests/keyedit/rig.h"

namespace
{

class Source : public TKeyInfoSource
{
public:
    QString CardLineText(int, int) override { return QStringLiteral("MB"); }
    QString CardTypeName(int slot) override { return slot < 32 ? QStringLiteral("UL10") : QString(); }
    QString LineName(int, int) override { return QString(); }
    QString SystemTypeText() override { return QStringLiteral("Zapojovac"); }
};

// Every pair filled, so only the rules of type, board and emptiness decide.
TKeyInfo filledInfo()
{
    TKeyInfo info;
    for (int i = 1; i <= KeyInfoCount; ++i)
        info[i] = {QStringLiteral("L%1").arg(i), QStringLiteral("v%1").arg(i)};
    info[5].value = QStringLiteral("0");
    info[23].value = QStringLiteral("255");
    return info;
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// A GSM-R key: line 0 of a $72 board in slot 3 bound to key 5 of console 0
// and key 40 of console 1, key 7 and 9 of console 0 on other lines.
struct GsmRig : KeyRig {
    Source source;
    GsmRig()
    {
        addCard(3, std::make_unique<TGsmCard>());
        bindLine(0, 5, 3, 0);
        bindLine(1, 40, 3, 0);
        bindLine(0, 7, 3, 1);
        bindLine(0, 9, 3, 2);
    }
    TKeyInfo info(int n)
    {
        TKeyArray keys;
        binding(0).SaveKeys(keys);
        TKeyInfo info;
        FillKeyInfo(info, n, keys, pult(0).FNGSMR, 1, source);
        return info;
    }
};

} // namespace

class TestKeyProperties : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fixture::LoadLanguage(); }
    void visibleRows_data();
    void visibleRows();
    void rowKindsAndGeometry();
    void okAndLock_data();
    void okAndLock();
    void digitsOnly_data();
    void digitsOnly();
    void packing_data();
    void packing();
    void okWritesTheKeyAndItsLine();
    void nothingChangedWritesNothing();
    void colourToMarkedKeys();
    void paletteNames_data();
    void paletteNames();
    void swatchLayout_data();
    void swatchLayout();
    void valueLine();
};

void TestKeyProperties::visibleRows_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<int>>("empty");
    QTest::addColumn<QList<int>>("rows");
    QTest::newRow("PC UL10") << 1 << 0x47 << QList<int>{}
                             << QList<int>{1, 2, 20, 11, 6, 7, 8, 9, 10, 16, 18, 19, 22, 23};
    QTest::newRow("PC UL10, empty values left out")
        << 1 << 0x47 << QList<int>{1, 2, 11, 18, 20} << QList<int>{1, 2, 6, 7, 8, 9, 10, 16, 19, 22, 23};
    QTest::newRow("PC GSM") << 1 << 0x72 << QList<int>{}
                            << QList<int>{1, 2, 3, 4, 5, 20, 11, 6, 7, 8, 9, 10, 16, 18, 19, 22, 23};
    QTest::newRow("PC GSM, empty numbers still shown")
        << 1 << 0x72 << QList<int>{3, 4, 5}
        << QList<int>{1, 2, 3, 4, 20, 11, 6, 7, 8, 9, 10, 16, 18, 19, 22, 23};
    QTest::newRow("mechanical GSM") << 2 << 0x72 << QList<int>{}
                                    << QList<int>{1, 2, 3, 4, 5, 20, 11, 6, 7, 8, 9, 10, 16, 18, 19, 23};
    QTest::newRow("mechanical F0") << 2 << 0xF0 << QList<int>{}
                                   << QList<int>{1, 2, 25, 20, 11, 6, 7, 8, 9, 10, 16, 18, 19, 23};
    QTest::newRow("no type, F0") << 0 << 0xF0 << QList<int>{}
                                 << QList<int>{1,  2,  24, 25, 20, 11, 6,  7,  8,  9,  10,
                                               12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23};
}

void TestKeyProperties::visibleRows()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(QList<int>, empty);
    QFETCH(QList<int>, rows);
    TKeyInfo info = filledInfo();
    for (int i : empty)
        info[i].value.clear();
    TKlavesa key;
    key.KodDosky = Byte(code);
    const TKeyPropertiesModel model(info, key, Byte(type));
    QCOMPARE(model.Rows(), rows);
    QCOMPARE(model.Gsm, code == 0x72);
    QCOMPARE(model.F0, code == 0xF0);
    QCOMPARE(model.FocusItem(), 1);
    for (int i = 1; i <= KeyInfoCount; ++i)
        QCOMPARE(model.Shown(i), rows.contains(i));
    QCOMPARE(KeyProps::DialogHeight(int(rows.size())), (int(rows.size()) + 2) * 25 + 20);
}

void TestKeyProperties::rowKindsAndGeometry()
{
    using K = TKeyPropertiesModel::TRowKind;
    QCOMPARE(TKeyPropertiesModel::RowKind(1), K::Edit);
    QCOMPARE(TKeyPropertiesModel::RowKind(2), K::Edit);
    QCOMPARE(TKeyPropertiesModel::RowKind(3), K::DigitEdit);
    QCOMPARE(TKeyPropertiesModel::RowKind(4), K::DigitEdit);
    QCOMPARE(TKeyPropertiesModel::RowKind(5), K::CheckBox);
    QCOMPARE(TKeyPropertiesModel::RowKind(23), K::Colour);
    QCOMPARE(TKeyPropertiesModel::RowKind(20), K::ReadOnly);
    QCOMPARE(KeyProps::DialogWidth, 550);
    QCOMPARE(KeyProps::RowTop(3), 85);
    QCOMPARE(KeyProps::ValueLeft, 126);
}

void TestKeyProperties::okAndLock_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("fn");
    QTest::addColumn<QString>("msn");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<int>("tag");
    QTest::addColumn<bool>("ok");
    QTest::newRow("GSM, both empty") << 0x72 << ""
                                     << "" << true << 0 << false;
    QTest::newRow("GSM, MSN empty") << 0x72 << "123"
                                    << "" << true << 2 << false;
    QTest::newRow("GSM, function number empty") << 0x72 << ""
                                                << "45" << true << 1 << false;
    QTest::newRow("GSM, both given") << 0x72 << "123"
                                     << "45" << false << 3 << true;
    QTest::newRow("not GSM") << 0x47 << ""
                             << "" << false << 0 << true;
}

void TestKeyProperties::okAndLock()
{
    QFETCH(int, code);
    QFETCH(QString, fn);
    QFETCH(QString, msn);
    QFETCH(bool, locked);
    QFETCH(int, tag);
    QFETCH(bool, ok);
    TKeyInfo info = filledInfo();
    info[3].value = fn;
    info[4].value = msn;
    TKlavesa key;
    key.KodDosky = Byte(code);
    TKeyPropertiesModel model(info, key, 1);
    QCOMPARE(model.Locked, locked);
    QCOMPARE(model.OkTag(), tag);
    QCOMPARE(model.OkEnabled(), ok);
    // Typing digits into both edits enables OK; the lock stays until OK.
    model.SetFunctionNumber(QStringLiteral("9"));
    model.SetMsn(QStringLiteral("8x"));
    QCOMPARE(model.Msn, QStringLiteral("8"));
    QVERIFY(model.OkEnabled());
    QCOMPARE(model.Locked, locked);
    model.SetMsn(QStringLiteral("abc"));
    QCOMPARE(model.OkEnabled(), !model.Gsm);
    QCOMPARE(TKeyPropertiesModel::DigitEditColour(QString()), std::optional<std::uint32_t>(0x8080FF));
    QCOMPARE(TKeyPropertiesModel::DigitEditColour(QStringLiteral("1")), std::optional<std::uint32_t>());
}

void TestKeyProperties::digitsOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("digits");
    QTest::newRow("plain") << "123" << 24 << "123";
    QTest::newRow("pasted with signs") << "+421 (905) 12-34" << 24 << "421905 1234";
    QTest::newRow("25 digits cut to 24") << "1234567890123456789012345" << 24 << "123456789012345678901234";
    QTest::newRow("19 digits cut to 18") << "1234567890123456789" << 18 << "123456789012345678";
    QTest::newRow("letters and hex") << "ABCDEF" << 24 << "";
    QTest::newRow("other digit scripts") << QString::fromUtf16(u"١٢3") << 24 << "3";
}

void TestKeyProperties::digitsOnly()
{
    QFETCH(QString, text);
    QFETCH(int, max);
    QFETCH(QString, digits);
    digits.remove(u' ');
    QCOMPARE(DigitsOnly(text, max), digits);

    TKeyInfo info = filledInfo();
    TKlavesa key;
    key.KodDosky = 0x72;
    TKeyPropertiesModel model(info, key, 1);
    model.SetMsn(text);
    QCOMPARE(model.Msn, DigitsOnly(text, 24));
    QVERIFY(model.Msn.size() <= 24);
    model.SetFunctionNumber(text);
    QCOMPARE(model.FunctionNumber, DigitsOnly(text, 18));
    QVERIFY(model.FunctionNumber.size() <= 18);

    for (QChar c : QStringLiteral("0123456789\x08\x03\x16"))
        QVERIFY(AcceptsDigitKey(c));
    for (QChar c : QStringLiteral("aF-+ \x1b"))
        QVERIFY(!AcceptsDigitKey(c));
}

void TestKeyProperties::packing_data()
{
    QTest::addColumn<QString>("digits");
    QTest::addColumn<QString>("msn");
    QTest::addColumn<QString>("fn");
    QTest::newRow("123") << "123"
                         << "12 3F FF FF FF FF FF FF FF FF FF FF"
                         << "12 3F FF FF FF FF FF FF FF";
    QTest::newRow("empty") << ""
                           << "FF FF FF FF FF FF FF FF FF FF FF FF"
                           << "FF FF FF FF FF FF FF FF FF";
    QTest::newRow("even") << "0905"
                          << "09 05 FF FF FF FF FF FF FF FF FF FF"
                          << "09 05 FF FF FF FF FF FF FF";
    QTest::newRow("full") << "123456789012345678901234"
                          << "12 34 56 78 90 12 34 56 78 90 12 34"
                          << "12 34 56 78 90 12 34 56 78";
}

void TestKeyProperties::packing()
{
    QFETCH(QString, digits);
    QFETCH(QString, msn);
    QFETCH(QString, fn);
    QCOMPARE(hex(PackDigits(digits, 12)), msn);
    QCOMPARE(hex(PackFunctionNumber(digits)), fn);
    const auto bytes = PackMsn(digits);
    QCOMPARE(hex(QByteArray(reinterpret_cast<const char *>(bytes.data()), 12)), msn);
    TKlavesa key;
    key.MSNcislo = bytes;
    QCOMPARE(key.GetMSNText(), digits);
}

void TestKeyProperties::okWritesTheKeyAndItsLine()
{
    GsmRig rig;
    CHECK_BINDINGS(*rig.cfg);
    TKeyInfo info = rig.info(5);
    QCOMPARE(info[3].value, QString());
    QCOMPARE(info[4].value, QString());
    TKeyArray b;
    rig.binding(0).SaveKeys(b);
    TKeyPropertiesModel model(info, *b[5], 1);
    QVERIFY(model.Locked);
    QVERIFY(!model.OkEnabled());
    model.Name = QString();
    model.Hint = QStringLiteral("new hint");
    model.SetFunctionNumber(QStringLiteral("4567"));
    model.SetMsn(QStringLiteral("123"));
    model.MsnFlag = true;
    QVERIFY(model.OkEnabled());

    QStringList stored;
    TKeyBinding binding = rig.binding(0);
    const int modified = rig.modified;
    const TKeyPropOutcome out = ApplyKeyProperties(model, 5, b, {}, rig.pult(0).FNGSMR, binding,
                                                   [&](const QString &fn) { stored << fn; });
    QVERIFY(out.Changed);
    QVERIFY(out.MsnChanged);
    QCOMPARE(out.Caption, std::optional<QString>(QStringLiteral(" ")));
    QCOMPARE(out.Hint, std::optional<QString>(QStringLiteral("new hint")));
    QCOMPARE(out.FunctionNumber, std::optional<QString>(QStringLiteral("4567")));
    QCOMPARE(stored, QStringList{QStringLiteral("4567")});
    QVERIFY(rig.modified > modified); // written back
    CHECK_BINDINGS(*rig.cfg);

    const TKlavesa &k = rig.key(0, 5);
    QCOMPARE(k.MenoKlavesy, QStringLiteral(" "));
    QCOMPARE(k.HintKlavesy, QStringLiteral("new hint"));
    QCOMPARE(hex(QByteArray(reinterpret_cast<const char *>(k.MSNcislo.data()), 12)),
             QStringLiteral("12 3F FF FF FF FF FF FF FF FF FF FF"));
    QCOMPARE(k.MSNpriznak[0], Byte(0xC0));
    // The key of the same line in the other console follows.
    QCOMPARE(rig.key(1, 40).GetMSNText(), QStringLiteral("123"));
    QCOMPARE(rig.key(1, 40).MSNpriznak[0], Byte(0xC0));
    QCOMPARE(rig.key(0, 7).GetMSNText(), QString());

    // The flag cleared again keeps bit $80.
    info = rig.info(5);
    rig.binding(0).SaveKeys(b);
    TKeyPropertiesModel again(info, *b[5], 1);
    QVERIFY(again.MsnFlag);
    again.MsnFlag = false;
    ApplyKeyProperties(again, 5, b, {}, QStringLiteral("4567"), binding, nullptr);
    QCOMPARE(rig.key(0, 5).MSNpriznak[0], Byte(0x80));
    CHECK_BINDINGS(*rig.cfg);
}

void TestKeyProperties::nothingChangedWritesNothing()
{
    GsmRig rig;
    rig.pult(0).FNGSMR = QStringLiteral("77");
    rig.key(0, 5).MSNcislo = PackMsn(QStringLiteral("55"));
    TKeyInfo info = rig.info(5);
    TKeyArray b;
    rig.binding(0).SaveKeys(b);
    const TKeyPropertiesModel model(info, *b[5], 1);
    QVERIFY(!model.Locked);
    const QString before = DumpConsole(rig.pult(0));
    const int modified = rig.modified;
    int stored = 0;
    TKeyBinding binding = rig.binding(0);
    const TKeyPropOutcome out = ApplyKeyProperties(model, 5, b, {}, QStringLiteral("77"), binding,
                                                   [&](const QString &) { ++stored; });
    QVERIFY(!out.Changed);
    QCOMPARE(stored, 0);
    QCOMPARE(rig.modified, modified);
    QCOMPARE(DumpConsole(rig.pult(0)), before);
    QCOMPARE(out.Caption, std::optional<QString>(rig.key(0, 5).MenoKlavesy));
}

void TestKeyProperties::colourToMarkedKeys()
{
    GsmRig rig;
    TKeyInfo info = rig.info(5);
    TKeyArray b;
    rig.binding(0).SaveKeys(b);
    TKeyPropertiesModel model(info, *b[5], 1);
    model.SetFunctionNumber(QStringLiteral("1"));
    model.SetMsn(QStringLiteral("2"));
    model.Colour = PaletteColor(64);
    model.ColourToMarked = true;
    TKeyBinding binding = rig.binding(0);
    const TKeyPropOutcome out = ApplyKeyProperties(model, 5, b, {7, 9}, QString(), binding, nullptr);
    QCOMPARE(out.CaptionColour, std::optional<std::int32_t>(0x0000FF));
    QCOMPARE(out.RecolouredKeys, (QList<int>{7, 9}));
    QCOMPARE(rig.key(0, 5).TextColor, 0x0000FF);
    QCOMPARE(rig.key(0, 7).TextColor, 0x0000FF);
    QCOMPARE(rig.key(0, 9).TextColor, 0x0000FF);
    CHECK_BINDINGS(*rig.cfg);

    // Unchecked: only the key itself.
    rig.binding(0).SaveKeys(b);
    info = rig.info(5);
    TKeyPropertiesModel only(info, *b[5], 1);
    only.Colour = PaletteColor(66);
    ApplyKeyProperties(only, 5, b, {7, 9}, QString(), binding, nullptr);
    QCOMPARE(rig.key(0, 5).TextColor, PaletteColor(66));
    QCOMPARE(rig.key(0, 7).TextColor, 0x0000FF);
}

void TestKeyProperties::paletteNames_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("name");
    QTest::newRow("white") << 255 << 255 << 255 << "7";
    QTest::newRow("black") << 0 << 0 << 0 << "89";
    QTest::newRow("red") << 255 << 0 << 0 << "64";
    QTest::newRow("blue") << 0 << 0 << 255 << "66";
    QTest::newRow("first") << 219 << 112 << 147 << "1";
    QTest::newRow("last") << 0 << 100 << 0 << "91";
    QTest::newRow("not in the palette") << 1 << 2 << 3 << "";
}

void TestKeyProperties::paletteNames()
{
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(QString, name);
    const TRGB_Color rgb{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)};
    const TColorValue stored = rgb.ToColor();
    QCOMPARE(stored, TColorValue(r | (g << 8) | (b << 16)));
    QCOMPARE(TRGB_Color(stored), rgb);
    QCOMPARE(PaletteName(stored), name);
    if (!name.isEmpty())
        QCOMPARE(PaletteRgb(name.toInt()), rgb);
    // A system colour is never a palette colour.
    QCOMPARE(PaletteName(-16777201), QString());
}

void TestKeyProperties::swatchLayout_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("1") << 1 << QRect(10, 335, 50, 50);
    QTest::newRow("7") << 7 << QRect(10, 5, 50, 50);
    QTest::newRow("8") << 8 << QRect(65, 335, 50, 50);
    QTest::newRow("91") << 91 << QRect(670, 5, 50, 50);
    QTest::newRow("none") << 92 << QRect();
}

void TestKeyProperties::swatchLayout()
{
    QFETCH(int, n);
    QFETCH(QRect, rect);
    QCOMPARE(SwatchRect(n, QSize(720, 390)), rect);
}

void TestKeyProperties::valueLine()
{
    const TRGB_Color c(255, 10, 0);
    QCOMPARE(ColorValueLine(c, QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B"), false),
             QStringLiteral("R 255 / G 10 / B 0"));
    QCOMPARE(ColorValueLine(c, QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B"), true),
             QStringLiteral("R $FF / G $0A / B $00"));
}

QTEST_GUILESS_MAIN(TestKeyProperties)
#include "test_keyproperties.moc"
