// The colour dialogs and the key properties dialog, offscreen, with real
// mouse presses and key strokes.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "cardpack/dll_load.h"
#include "tests/fixture/fixture.h"
#include "tests/keyedit/rig.h"
#include "windows/colorbutton.h"
#include "windows/colordlg.h"
#include "windows/customcolors.h"
#include "windows/keypropertiesdlg.h"

namespace
{

class Source : public TKeyInfoSource
{
public:
    QString CardLineText(int, int) override { return QStringLiteral("MB"); }
    QString CardTypeName(int) override { return QStringLiteral("UL10"); }
    QString LineName(int, int) override { return QString(); }
    QString SystemTypeText() override { return QString(); }
};

// Runs `step` once a modal dialog of type T is up (polling, bounded).
template <class T> void whenModal(std::function<void(T *)> step, int tries = 200)
{
    QTimer::singleShot(10, [step, tries] {
        if (auto *dlg = qobject_cast<T *>(QApplication::activeModalWidget())) {
            step(dlg);
            return;
        }
        if (tries > 0)
            whenModal<T>(step, tries - 1);
    });
}

TColorSwatch *swatch(TTColorDlg &dlg, int n)
{
    return dlg.findChild<TColorSwatch *>(QStringLiteral("Swatch%1").arg(n));
}

// Keys of console 0: 5 on line 0 of a GSM-R board in slot 3 (console 1 has
// it on key 40), 7 and 9 on lines of a UL10 board in slot 4.
struct DialogRig : KeyRig {
    Source source;
    QStringList functionNumbers;
    DialogRig()
    {
        addCard(3, std::make_unique<TGsmCard>());
        addCard(4, std::make_unique<TUL10Card>());
        bindLine(0, 5, 3, 0);
        bindLine(1, 40, 3, 0);
        bindLine(0, 7, 4, 1);
        bindLine(0, 9, 4, 2);
    }
    TKeyPropertiesCall call(int key)
    {
        TKeyPropertiesCall c;
        c.Config = cfg.get();
        c.Console = 0;
        c.Key = key;
        c.ConsoleType = 1;
        c.Source = &source;
        c.Binding = services();
        c.SetPultName = [this](const QString &fn) {
            functionNumbers << fn;
            pult(0).FNGSMR = fn;
        };
        return c;
    }
};

} // namespace

class TestKeyEditDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fixture::LoadLanguage(); }
    void paletteDialogTexts();
    void swatchesLayOut();
    void clickingSwatchesNamesTheColour_data();
    void clickingSwatchesNamesTheColour();
    void customColour_data();
    void customColour();
    void customValueLine();
    void gsmKeyIsLockedUntilOk();
    void digitEditsTakeDigitsOnly();
    void plainKeyCancels();
    void rowsAndColourToMarkedKeys();
};

void TestKeyEditDialogs::paletteDialogTexts()
{
    TTColorDlg dlg;
    QCOMPARE(dlg.windowTitle(), LoadStrDll(256));
    QCOMPARE(dlg.Label1->text(), LoadStrDll(254));
    QCOMPARE(dlg.Label2->text(), LoadStrDll(255));
    QCOMPARE(dlg.OKButton->text(), LoadStrDll(257));
    QCOMPARE(dlg.CancelButton->text(), LoadStrDll(258));
    QCOMPARE(dlg.Area->palette().color(QPalette::Window), QColor(0, 128, 128));
    QCOMPARE(dlg.Swatches.size(), 91);
    for (int n = 1; n <= 91; ++n) {
        QCOMPARE(dlg.Swatches[n - 1]->text(), QString::number(n));
        QCOMPARE(TColorFromColor(dlg.Swatches[n - 1]->palette().color(QPalette::Window)),
                 std::uint32_t(PaletteColor(n)));
    }
    QCOMPARE(dlg.SelectColor(), 0);
    QCOMPARE(dlg.Preview->text(), QStringLiteral("89"));
}

void TestKeyEditDialogs::swatchesLayOut()
{
    TTColorDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.Area->setMinimumSize(720, 390);
    dlg.Area->setMaximumSize(720, 390);
    QTRY_COMPARE(dlg.Area->size(), QSize(720, 390));
    QCOMPARE(swatch(dlg, 1)->geometry(), QRect(10, 335, 50, 50));
    QCOMPARE(swatch(dlg, 7)->geometry(), QRect(10, 5, 50, 50));
    QCOMPARE(swatch(dlg, 8)->geometry(), QRect(65, 335, 50, 50));
    QCOMPARE(swatch(dlg, 91)->geometry(), QRect(670, 5, 50, 50));
}

void TestKeyEditDialogs::clickingSwatchesNamesTheColour_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<std::uint32_t>("stored");
    QTest::newRow("white") << 7 << std::uint32_t(0xFFFFFF);
    QTest::newRow("black") << 89 << std::uint32_t(0x000000);
    QTest::newRow("red") << 64 << std::uint32_t(0x0000FF);
    QTest::newRow("blue") << 66 << std::uint32_t(0xFF0000);
}

void TestKeyEditDialogs::clickingSwatchesNamesTheColour()
{
    QFETCH(int, n);
    QFETCH(std::uint32_t, stored);
    TTColorDlg dlg;
    dlg.SetSelectColor(PaletteColor(24));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::mouseClick(swatch(dlg, n), Qt::LeftButton);
    QCOMPARE(std::uint32_t(dlg.SelectColor()), stored);
    QCOMPARE(dlg.Preview->text(), QString::number(n));
    QCOMPARE(TColorFromColor(dlg.Preview->palette().color(QPalette::Window)), stored);
    // The right button selects nothing.
    QTest::mouseClick(swatch(dlg, 1), Qt::RightButton);
    QCOMPARE(std::uint32_t(dlg.SelectColor()), stored);
    // OK by mouse ends the dialog with that colour.
    QTest::mouseClick(dlg.OKButton, Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestKeyEditDialogs::customColour_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<std::uint32_t>("stored");
    QTest::addColumn<QString>("name");
    // From black: End moves the red slider to 255.
    QTest::newRow("red, in the palette") << "end" << true << std::uint32_t(0x0000FF) << "64";
    QTest::newRow("red 1, not in the palette") << "right" << true << std::uint32_t(0x000001) << "";
    QTest::newRow("cancel keeps black") << "end" << false << std::uint32_t(0) << "89";
}

void TestKeyEditDialogs::customColour()
{
    QFETCH(QString, keys);
    QFETCH(bool, ok);
    QFETCH(std::uint32_t, stored);
    QFETCH(QString, name);
    TTColorDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    bool seen = false;
    whenModal<TCustomColor>([&](TCustomColor *custom) {
        seen = true;
        QCOMPARE(custom->windowTitle(), LoadStrDll(259));
        QCOMPARE(custom->RedBar->value(), 0);
        custom->RedBar->setFocus();
        QTest::keyClick(custom->RedBar, keys == QStringLiteral("end") ? Qt::Key_End : Qt::Key_Right);
        QTest::mouseClick(ok ? custom->OKButton : custom->CancelButton, Qt::LeftButton);
    });
    QTest::mouseClick(dlg.SpeedButton, Qt::LeftButton);
    QVERIFY(seen);
    QCOMPARE(std::uint32_t(dlg.SelectColor()), stored);
    QCOMPARE(dlg.Preview->text(), name);
    QVERIFY(!dlg.findChild<TCustomColor *>()); // freed afterwards
}

void TestKeyEditDialogs::customValueLine()
{
    TCustomColor custom(nullptr, TRGB_Color(std::uint8_t(10), std::uint8_t(20), std::uint8_t(255)));
    QCOMPARE(custom.RedBar->property("Tag").toInt(), 1);
    QCOMPARE(custom.BlueBar->property("Tag").toInt(), 3);
    const QString r = LoadStrDll(260), g = LoadStrDll(261), b = LoadStrDll(262);
    QCOMPARE(custom.ValueLine->text(), QStringLiteral("%1 10 / %2 20 / %3 255").arg(r, g, b));
    custom.GreenBar->setValue(171);
    QCOMPARE(custom.ValueLine->text(), QStringLiteral("%1 10 / %2 171 / %3 255").arg(r, g, b));
    QCOMPARE(std::uint32_t(custom.SelectColor()), std::uint32_t(0xFFAB0A));
    custom.SetHexDisplay(true);
    QCOMPARE(custom.ValueLine->text(), QStringLiteral("%1 $0A / %2 $AB / %3 $FF").arg(r, g, b));
    QCOMPARE(TColorFromColor(custom.Preview->palette().color(QPalette::Window)), std::uint32_t(0xFFAB0A));
}

void TestKeyEditDialogs::gsmKeyIsLockedUntilOk()
{
    DialogRig rig;
    TKeyPropertiesCall call = rig.call(5);
    bool checked = false;
    call.Opened = [&](TKeyPropertiesDlg &dlg) {
        whenModal<TKeyPropertiesDlg>([&](TKeyPropertiesDlg *d) {
            QCOMPARE(d, &dlg);
            QVERIFY(d->CloseBlocked());
            QVERIFY(!d->bCancel->isEnabled());
            QVERIFY(!d->bOK->isEnabled());
            QVERIFY(!(d->windowFlags() & Qt::WindowCloseButtonHint));
            QVERIFY(!(d->windowFlags() & Qt::WindowSystemMenuHint));
            // Esc, the close request and a click on the disabled Cancel: still open.
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(d->isVisible());
            QVERIFY(!d->close());
            QVERIFY(d->isVisible());
            QTest::mouseClick(d->bCancel, Qt::LeftButton);
            QVERIFY(d->isVisible());
            QTest::mouseClick(d->bOK, Qt::LeftButton);
            QVERIFY(d->isVisible());
            // One number alone does not enable OK.
            QTest::keyClicks(d->EditFunkcneCislo, QStringLiteral("123"));
            QVERIFY(!d->bOK->isEnabled());
            QTest::keyClicks(d->EditMSN, QStringLiteral("45"));
            QVERIFY(d->bOK->isEnabled());
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(d->isVisible());
            checked = true;
            QTest::mouseClick(d->bOK, Qt::LeftButton);
        });
    };
    const auto outcome = RunKeyProperties(call);
    QVERIFY(checked);
    QVERIFY(outcome.has_value());
    QVERIFY(outcome->MsnChanged);
    QCOMPARE(rig.functionNumbers, QStringList{QStringLiteral("123")});
    QCOMPARE(rig.key(0, 5).GetMSNText(), QStringLiteral("45"));
    QCOMPARE(rig.key(1, 40).GetMSNText(), QStringLiteral("45"));
    CHECK_BINDINGS(*rig.cfg);
}

void TestKeyEditDialogs::digitEditsTakeDigitsOnly()
{
    DialogRig rig;
    TKeyPropertiesCall call = rig.call(5);
    call.Opened = [&](TKeyPropertiesDlg &) {
        whenModal<TKeyPropertiesDlg>([&](TKeyPropertiesDlg *d) {
            QCOMPARE(d->EditMSN->palette().color(QPalette::Base), ColorFromTColor(0x8080FF));
            QTest::keyClicks(d->EditMSN, QStringLiteral("1a2-3 "));
            QCOMPARE(d->EditMSN->text(), QStringLiteral("123"));
            QVERIFY(d->EditMSN->palette().color(QPalette::Base) != ColorFromTColor(0x8080FF));
            // A paste brings 25 characters of digits and signs: 24 digits stay.
            QApplication::clipboard()->setText(QStringLiteral("4-5678901234567890123456789"));
            QTest::keyClick(d->EditMSN, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(d->EditMSN->text(), QStringLiteral("123456789012345678901234"));
            QApplication::clipboard()->setText(QStringLiteral("+421 9000 1111 2222 3333 4"));
            QTest::keyClick(d->EditFunkcneCislo, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(d->EditFunkcneCislo->text(), QStringLiteral("421900011112222333"));
            QCOMPARE(d->Model.FunctionNumber, QStringLiteral("421900011112222333"));
            QVERIFY(d->bOK->isEnabled());
            QTest::keyClick(d->bOK, Qt::Key_Space);
        });
    };
    const auto outcome = RunKeyProperties(call);
    QVERIFY(outcome.has_value());
    QCOMPARE(rig.pult(0).FNGSMR, QStringLiteral("421900011112222333"));
    QCOMPARE(rig.key(0, 5).GetMSNText(), QStringLiteral("123456789012345678901234"));
    QCOMPARE(BytesToHex(rig.key(0, 5).MSNcislo.data(), 12), QStringLiteral("123456789012345678901234"));
    CHECK_BINDINGS(*rig.cfg);
}

void TestKeyEditDialogs::plainKeyCancels()
{
    DialogRig rig;
    const QString before = DumpConsole(rig.pult(0));
    int released = 0;
    TKeyPropertiesCall call = rig.call(7);
    call.ReleaseCardButton = [&] { ++released; };
    call.Opened = [&](TKeyPropertiesDlg &) {
        whenModal<TKeyPropertiesDlg>([&](TKeyPropertiesDlg *d) {
            QVERIFY(!d->CloseBlocked());
            QVERIFY(d->bCancel->isEnabled());
            QVERIFY(d->bOK->isEnabled());
            QVERIFY(!d->EditFunkcneCislo);
            QTest::keyClicks(d->EditMeno, QStringLiteral("changed"));
            QTest::keyClick(d, Qt::Key_Escape);
        });
    };
    QVERIFY(!RunKeyProperties(call).has_value());
    QCOMPARE(released, 1);
    QCOMPARE(DumpConsole(rig.pult(0)), before);
    QCOMPARE(rig.modified, 4); // the four bindings only
}

void TestKeyEditDialogs::rowsAndColourToMarkedKeys()
{
    DialogRig rig;
    TKeyPropertiesCall call = rig.call(7);
    call.MarkedCaptioned = {9};
    const QString name = rig.key(0, 7).MenoKlavesy;
    call.Opened = [&](TKeyPropertiesDlg &) {
        whenModal<TKeyPropertiesDlg>([&](TKeyPropertiesDlg *d) {
            QCOMPARE(d->windowTitle(), LoadStrDll(53).chopped(3));
            QCOMPARE(d->Labels.keys(), [&] {
                QList<int> rows = d->Model.Rows();
                std::sort(rows.begin(), rows.end());
                return rows;
            }());
            QCOMPARE(d->Model.Rows().front(), 1);
            QVERIFY(!d->Labels.contains(3));
            QVERIFY(!d->Labels.contains(12));
            QCOMPARE(d->Values.value(1)->geometry(), QRect(126, 10, 410, 20));
            QCOMPARE(d->Labels.value(2)->geometry(), QRect(3, 35, 115, 20));
            QCOMPARE(d->size(), QSize(550, (int(d->Model.Rows().size()) + 2) * 25 + 20));
            QCOMPARE(d->bOK->geometry(), QRect(205, d->height() - 55, 60, 25));
            QCOMPARE(d->bCancel->geometry(), QRect(285, d->height() - 55, 60, 25));
            QVERIFY(d->EditMeno->hasFocus());
            QCOMPARE(d->ColorButton->text(), QStringLiteral("89"));
            // The palette dialog from the colour button: swatch 64 by mouse, OK.
            whenModal<TTColorDlg>([](TTColorDlg *palette) {
                QCOMPARE(palette->SelectColor(), 0);
                QTest::mouseClick(swatch(*palette, 64), Qt::LeftButton);
                QTest::mouseClick(palette->OKButton, Qt::LeftButton);
            });
            QTest::mouseClick(d->ColorButton, Qt::LeftButton);
            QCOMPARE(d->ColorButton->text(), QStringLiteral("64"));
            QTest::mouseClick(d->CheckColor, Qt::LeftButton);
            QVERIFY(d->CheckColor->isChecked());
            QTest::mouseClick(d->bOK, Qt::LeftButton);
        });
    };
    const auto outcome = RunKeyProperties(call);
    QVERIFY(outcome.has_value());
    QCOMPARE(outcome->Caption, std::optional<QString>(name));
    QCOMPARE(outcome->RecolouredKeys, QList<int>{9});
    QCOMPARE(rig.key(0, 7).TextColor, 0x0000FF);
    QCOMPARE(rig.key(0, 9).TextColor, 0x0000FF);
    QCOMPARE(rig.key(0, 5).TextColor, 0);
    QVERIFY(rig.functionNumbers.isEmpty());
    CHECK_BINDINGS(*rig.cfg);
}

QTEST_MAIN(TestKeyEditDialogs)
#include "test_dialogs.moc"
